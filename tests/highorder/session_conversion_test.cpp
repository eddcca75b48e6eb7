// A high-order session running the whole conversion: the output mesh of a
// straight conversion serves the middles of the edges and faces in the order
// of the interface, a surface that does not match the volume is reported,
// and a second compute serves its own result.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "gridlume.h"
#include "highorder/linear_meshes.hpp"
#include "support/message_capture.hpp"
#include "support/test_helpers.hpp"

using namespace gridlume_test;

namespace {

using Point = std::array<double, 3>;

Point middle(const std::vector<Point> &points) {
  Point sum{0, 0, 0};
  for (const Point &p : points)
    for (int i = 0; i < 3; i++) sum[std::size_t(i)] += p[std::size_t(i)] / double(points.size());
  return sum;
}

Point vertex_of(gridlume_mesh *mesh, int vertex) {
  return values_of<3>(gridlume_mesh_get_vertex_coordinates, mesh, vertex);
}

void expect_near(const Point &actual, const Point &expected, const char *what, int index) {
  for (int i = 0; i < 3; i++)
    EXPECT_NEAR(actual[std::size_t(i)], expected[std::size_t(i)], 1e-12) << what << " " << index;
}

struct Conversion : ::testing::Test {
  Context context;
  MessageCapture capture;
  gridlume_highorder_session *session = nullptr;
  gridlume_mesh *output = nullptr;
  void SetUp() override {
    capture.install(context);
    session = gridlume_highorder_session_new(context);
  }
  // Converts the mesh with straight mid-nodes on `threads` and answers the
  // output mesh.
  void convert_straight(const LinearMesh &mesh, const char *threads) {
    ASSERT_EQ(gridlume_highorder_set_volume_mesh(session, in_memory(context, mesh)), 0);
    ASSERT_EQ(gridlume_highorder_set_param(session, "curve_propagation_mode", "-1"), 0);
    ASSERT_EQ(gridlume_highorder_set_param(session, "max_number_of_threads", threads), 0);
    ASSERT_EQ(gridlume_highorder_compute_mesh(session), 0) << capture.text();
    ASSERT_EQ(gridlume_highorder_get_mesh(session, &output), 0);
  }
};
using HighorderSessionConversion = Conversion;

}  // namespace

TEST_F(HighorderSessionConversion, StraightTetrahedraServeTheirEdgeMiddlesInEdgeOrder) {
  const LinearMesh cube = unit_cube_tetrahedra();
  convert_straight(cube, "1");
  EXPECT_EQ(value_of(gridlume_mesh_get_tetrahedron_count, output), 6);
  EXPECT_EQ(value_of(gridlume_mesh_get_triangle_count, output), 12);
  // 8 corners and one node per edge: 12 cube edges, 6 face diagonals, the
  // inner diagonal.
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_count, output), 8 + 19);
  constexpr std::array<std::array<int, 2>, 6> edges = {
      {{0, 1}, {1, 2}, {2, 0}, {0, 3}, {1, 3}, {2, 3}}};
  for (int t = 1; t <= 6; t++) {
    const auto corners = values_of<4>(gridlume_mesh_get_tetrahedron_vertices, output, t);
    std::array<int, 6> extra{};
    int code = 0;
    ASSERT_EQ(gridlume_mesh_get_tetrahedron_extra_vertices(output, t, &code, extra.data()), 0);
    EXPECT_EQ(code, 4006);
    for (std::size_t e = 0; e < edges.size(); e++)
      expect_near(vertex_of(output, extra[e]),
                  middle({vertex_of(output, corners[std::size_t(edges[e][0])]),
                          vertex_of(output, corners[std::size_t(edges[e][1])])}),
                  "tetrahedron edge", int(e));
    EXPECT_EQ(value_of(gridlume_mesh_get_tetrahedron_tag, output, t), 40 + t);
  }
  for (int t = 1; t <= 12; t++) {
    const auto corners = values_of<3>(gridlume_mesh_get_triangle_vertices, output, t);
    std::array<int, 3> extra{};
    int code = 0;
    ASSERT_EQ(gridlume_mesh_get_triangle_extra_vertices(output, t, &code, extra.data()), 0);
    EXPECT_EQ(code, 2003);
    for (int e = 0; e < 3; e++)
      expect_near(vertex_of(output, extra[std::size_t(e)]),
                  middle({vertex_of(output, corners[std::size_t(e)]),
                          vertex_of(output, corners[std::size_t((e + 1) % 3)])}),
                  "triangle edge", e);
  }
}

TEST_F(HighorderSessionConversion,
       StraightHexahedronServesItsNineteenExtraVerticesInInterfaceOrder) {
  convert_straight(unit_cube_hexahedron(), "2");
  ASSERT_EQ(value_of(gridlume_mesh_get_hexahedron_count, output), 1);
  const auto corners = values_of<8>(gridlume_mesh_get_hexahedron_vertices, output, 1);
  std::vector<Point> p;
  for (int c : corners) p.push_back(vertex_of(output, c));
  // Edges of the bottom and top faces alternating, the vertical edges, the
  // bottom and top faces, the four side faces, the centre.
  const std::vector<std::vector<int>> expected = {{0, 1},
                                                  {4, 7},
                                                  {1, 2},
                                                  {4, 5},
                                                  {0, 3},
                                                  {6, 7},
                                                  {2, 3},
                                                  {5, 6},
                                                  {0, 4},
                                                  {1, 5},
                                                  {2, 6},
                                                  {3, 7},
                                                  {0, 1, 2, 3},
                                                  {4, 5, 6, 7},
                                                  {0, 1, 5, 4},
                                                  {1, 2, 6, 5},
                                                  {3, 2, 6, 7},
                                                  {0, 3, 7, 4},
                                                  {0, 1, 2, 3, 4, 5, 6, 7}};
  std::array<int, 19> extra{};
  int code = 0;
  ASSERT_EQ(gridlume_mesh_get_hexahedron_extra_vertices(output, 1, &code, extra.data()), 0);
  EXPECT_EQ(code, 5019);
  for (std::size_t j = 0; j < expected.size(); j++) {
    std::vector<Point> points;
    for (int corner : expected[j]) points.push_back(p[std::size_t(corner)]);
    expect_near(vertex_of(output, extra[j]), middle(points), "hexahedron extra vertex", int(j));
  }
}

TEST_F(HighorderSessionConversion, SurfaceWhoseTrianglesDifferFromTheBoundaryIsReported) {
  LinearMesh volume = unit_cube_tetrahedra();
  LinearMesh surface = volume;
  surface.tetrahedra.clear();
  std::swap(surface.triangles[4][0], surface.triangles[4][1]);
  for (std::size_t t = 0; t < 3 * surface.triangles.size(); t++)
    surface.vertices.push_back({0, 0, 0});
  gridlume_mesh *second_order = in_memory(context, surface);
  for (int t = 1; t <= int(surface.triangles.size()); t++) {
    const int extra[3] = {8 + 3 * t - 2, 8 + 3 * t - 1, 8 + 3 * t};
    gridlume_mesh_set_triangle_extra_vertices(second_order, t, 2003, extra);
  }
  ASSERT_EQ(gridlume_highorder_set_volume_mesh(session, in_memory(context, volume)), 0);
  ASSERT_EQ(gridlume_highorder_set_surface_mesh(session, second_order), 0);
  EXPECT_EQ(gridlume_highorder_compute_mesh(session), -1);
  ASSERT_EQ(capture.messages().size(), 1u);
  EXPECT_EQ(capture.messages()[0].code, 5301);
  EXPECT_EQ(capture.messages()[0].sender, "HIGHORDER");
  EXPECT_EQ(capture.messages()[0].description,
            "highorder error: surface is inconstistent with the volume\n");
}

TEST_F(HighorderSessionConversion, SecondComputeServesItsOwnResultThroughTheSameMesh) {
  convert_straight(unit_cube_tetrahedra(), "1");
  const Point straight = vertex_of(output, 9);
  ASSERT_EQ(gridlume_highorder_set_param(session, "curve_propagation_mode", "0"), 0);
  ASSERT_EQ(gridlume_highorder_compute_mesh(session), 0);
  gridlume_mesh *again = nullptr;
  ASSERT_EQ(gridlume_highorder_get_mesh(session, &again), 0);
  EXPECT_EQ(again, output);
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_count, again), 27);
  // The cube's faces are flat: curving leaves every node where it was.
  const Point curved = vertex_of(again, 9);
  for (int i = 0; i < 3; i++) EXPECT_NEAR(curved[std::size_t(i)], straight[std::size_t(i)], 1e-9);
}
