// The modified surface: the part of a surface mesh touched by tags that a
// new tag system adds.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "gridlume.h"
#include "gridlume/mesh_memory.h"
#include "support/allocation_failure.hpp"

using gridlume_test::AllocationFailure;
using gridlume_test::for_each_allocation_failure;

namespace {

// A surface served from arrays through getter callbacks.
struct Surface {
  std::vector<std::array<double, 3>> points;
  std::vector<std::array<int, 2>> edges;
  std::vector<int> edge_tags;
  std::vector<std::array<int, 3>> triangles;
  std::vector<int> triangle_tags;
  int failing_triangle = 0;
};

Surface &surface_of(void *data) { return *static_cast<Surface *>(data); }
std::size_t at(int i) { return static_cast<std::size_t>(i - 1); }

int vertex_count(int *n, void *d) { *n = static_cast<int>(surface_of(d).points.size()); return 0; }
int vertex_coordinates(int i, double *xyz, void *d) {
  for (int k = 0; k < 3; ++k) xyz[k] = surface_of(d).points[at(i)][k];
  return 0;
}
int vertex_tag(int i, int *tag, void *) { *tag = 100 + i; return 0; }
int edge_count(int *n, void *d) { *n = static_cast<int>(surface_of(d).edges.size()); return 0; }
int edge_vertices(int i, int *v, void *d) {
  v[0] = surface_of(d).edges[at(i)][0];
  v[1] = surface_of(d).edges[at(i)][1];
  return 0;
}
int edge_tag(int i, int *tag, void *d) { *tag = surface_of(d).edge_tags[at(i)]; return 0; }
int triangle_count(int *n, void *d) {
  *n = static_cast<int>(surface_of(d).triangles.size());
  return 0;
}
int triangle_vertices(int i, int *v, void *d) {
  if (i == surface_of(d).failing_triangle) return 9;
  for (int k = 0; k < 3; ++k) v[k] = surface_of(d).triangles[at(i)][k];
  return 0;
}
int triangle_tag(int i, int *tag, void *d) {
  *tag = surface_of(d).triangle_tags[at(i)];
  return 0;
}

struct ModifiedSurface : ::testing::Test {
  gridlume_context *context = gridlume_context_new();
  gridlume_mesh *mesh = gridlume_mesh_new(context);
  gridlume_tag_system *old_tags = gridlume_tag_system_new(4);
  gridlume_tag_system *new_tags = nullptr;
  Surface surface;

  ModifiedSurface() {
    surface.points = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {2, 1, 0}, {2, 2, 0}};
    // Edge 1 carries the new tag 3; edge 2 an old tag.
    surface.edges = {{1, 2}, {4, 5}};
    surface.edge_tags = {3, 1};
    // Triangles 1 and 2 share the side of edge 1 (in either order); 3 has the
    // new tag; 4 is untouched.
    surface.triangles = {{1, 2, 3}, {2, 1, 4}, {4, 5, 6}, {3, 4, 6}};
    surface.triangle_tags = {1, 1, 3, 2};
    gridlume_mesh_set_get_vertex_count(mesh, vertex_count, &surface);
    gridlume_mesh_set_get_vertex_coordinates(mesh, vertex_coordinates, &surface);
    gridlume_mesh_set_get_vertex_tag(mesh, vertex_tag, &surface);
    gridlume_mesh_set_get_edge_count(mesh, edge_count, &surface);
    gridlume_mesh_set_get_edge_vertices(mesh, edge_vertices, &surface);
    gridlume_mesh_set_get_edge_tag(mesh, edge_tag, &surface);
    gridlume_mesh_set_get_triangle_count(mesh, triangle_count, &surface);
    gridlume_mesh_set_get_triangle_vertices(mesh, triangle_vertices, &surface);
    gridlume_mesh_set_get_triangle_tag(mesh, triangle_tag, &surface);
    gridlume_mesh_set_dimension(mesh, 2);
    gridlume_tag_system_add_base_tag(old_tags, 1);
    gridlume_tag_system_add_base_tag(old_tags, 2);
    new_tags = gridlume_tag_system_clone(old_tags);
    gridlume_tag_system_add_base_tag(new_tags, 3);
  }
  ~ModifiedSurface() override {
    gridlume_tag_system_delete(old_tags);
    gridlume_tag_system_delete(new_tags);
    gridlume_context_delete(context);
  }
};

std::vector<std::array<int, 4>> triangles_of(gridlume_mesh *mesh) {
  int count = 0;
  gridlume_mesh_get_triangle_count(mesh, &count);
  std::vector<std::array<int, 4>> triangles(static_cast<std::size_t>(count));
  for (int i = 1; i <= count; ++i) {
    gridlume_mesh_get_triangle_vertices(mesh, i, triangles[at(i)].data());
    gridlume_mesh_get_triangle_tag(mesh, i, &triangles[at(i)][3]);
  }
  return triangles;
}

}  // namespace

TEST_F(ModifiedSurface, KeepsEdgesOfNewTagsAndTheTrianglesBesideThem) {
  gridlume_mesh *output = nullptr;
  ASSERT_EQ(gridlume_mesh_tag_system_get_modified_surface(old_tags, new_tags, mesh, &output), 0);
  ASSERT_NE(output, nullptr);
  int value = 0;
  gridlume_mesh_get_dimension(output, &value);
  EXPECT_EQ(value, 2);
  gridlume_mesh_get_vertex_count(output, &value);
  EXPECT_EQ(value, 6);
  double xyz[3] = {};
  gridlume_mesh_get_vertex_coordinates(output, 5, xyz);
  EXPECT_EQ(xyz[0], 2.0);
  EXPECT_EQ(xyz[1], 1.0);
  gridlume_mesh_get_vertex_tag(output, 5, &value);
  EXPECT_EQ(value, 105);

  gridlume_mesh_get_edge_count(output, &value);
  ASSERT_EQ(value, 1);
  int edge[2] = {};
  gridlume_mesh_get_edge_vertices(output, 1, edge);
  gridlume_mesh_get_edge_tag(output, 1, &value);
  EXPECT_EQ(edge[0], 1);
  EXPECT_EQ(edge[1], 2);
  EXPECT_EQ(value, 3);

  using Triangle = std::array<int, 4>;
  EXPECT_EQ(triangles_of(output),
            (std::vector<Triangle>{{1, 2, 3, 1}, {2, 1, 4, 1}, {4, 5, 6, 3}}));
  gridlume_mesh_delete(output);
}

TEST_F(ModifiedSurface, WithoutModifiedEdgesOnlyTrianglesOfNewTagsRemain) {
  surface.edge_tags = {1, 2};
  gridlume_mesh *output = nullptr;
  ASSERT_EQ(gridlume_mesh_tag_system_get_modified_surface(old_tags, new_tags, mesh, &output), 0);
  int edge_count = -1;
  gridlume_mesh_get_edge_count(output, &edge_count);
  EXPECT_EQ(edge_count, 0);
  EXPECT_EQ(triangles_of(output), (std::vector<std::array<int, 4>>{{4, 5, 6, 3}}));
  gridlume_mesh_delete(output);
}

TEST_F(ModifiedSurface, CompositeTagsOfTheNewSystemCountAsModified) {
  int pair[] = {1, 2};
  int composite = 0;
  ASSERT_EQ(gridlume_tag_system_get_composite_tag(new_tags, pair, 2, &composite), 0);
  surface.triangle_tags[3] = composite;
  gridlume_mesh *output = nullptr;
  ASSERT_EQ(gridlume_mesh_tag_system_get_modified_surface(old_tags, new_tags, mesh, &output), 0);
  EXPECT_EQ(triangles_of(output).size(), 4u);
  gridlume_mesh_delete(output);
}

TEST_F(ModifiedSurface, FailingCallbackIsReturnedWithThePartialMesh) {
  surface.failing_triangle = 2;
  gridlume_mesh *output = nullptr;
  EXPECT_EQ(gridlume_mesh_tag_system_get_modified_surface(old_tags, new_tags, mesh, &output), 9);
  ASSERT_NE(output, nullptr);
  int count = 0;
  gridlume_mesh_get_edge_count(output, &count);
  EXPECT_EQ(count, 1);
  gridlume_mesh_delete(output);
}

TEST_F(ModifiedSurface, NullArgumentsAnswerMinusOne) {
  gridlume_mesh *output = nullptr;
  EXPECT_EQ(gridlume_mesh_tag_system_get_modified_surface(nullptr, new_tags, mesh, &output), -1);
  EXPECT_EQ(gridlume_mesh_tag_system_get_modified_surface(old_tags, nullptr, mesh, &output), -1);
  EXPECT_EQ(gridlume_mesh_tag_system_get_modified_surface(old_tags, new_tags, nullptr, &output),
            -1);
  EXPECT_EQ(gridlume_mesh_tag_system_get_modified_surface(old_tags, new_tags, mesh, nullptr), -1);
  EXPECT_EQ(output, nullptr);
}

TEST_F(ModifiedSurface, MemoryFailureAnswersMinus5AndLeaksNothing) {
  for_each_allocation_failure([&](AllocationFailure &failure) {
    gridlume_mesh *output = nullptr;
    failure.arm();
    int status = gridlume_mesh_tag_system_get_modified_surface(old_tags, new_tags, mesh, &output);
    failure.disarm();
    if (failure.happened()) {
      EXPECT_EQ(status, -5);
    } else {
      EXPECT_EQ(status, 0);
      EXPECT_EQ(triangles_of(output).size(), 3u);
    }
    gridlume_mesh_delete(output);
  });
}
