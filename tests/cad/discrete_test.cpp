// Discrete faces, edges, points and wires of a cad, and the dcad with its
// edge and wire discretisations.
#include <gtest/gtest.h>

#include <vector>

#include "cad/cad.hpp"
#include "cad/cad_fixtures.hpp"
#include "cad/dcad.hpp"
#include "cad/objects.hpp"
#include "gridlume/dcad.h"
#include "gridlume/mesh_memory.h"

using namespace gridlume_test;
using namespace cad_test;

namespace {

// An in-memory mesh of `vertices` vertices and `triangles` triangles.
gridlume_mesh *small_mesh(gridlume_context *context, int vertices, int triangles) {
  gridlume_mesh *mesh = gridlume_mesh_new_in_memory(context);
  gridlume_mesh_set_vertex_count(mesh, vertices);
  gridlume_mesh_set_triangle_count(mesh, triangles);
  return mesh;
}

struct Discrete : ::testing::Test {
  Context context;
  gridlume_cad *cad = gridlume_cad_new(context);
  gridlume_mesh *definition = small_mesh(context, 4, 2);
  gridlume_mesh *geometry = small_mesh(context, 3, 1);
};

}  // namespace

TEST_F(Discrete, FacesAndWiresKeepTheirOwnCopiesOfTheMeshesBeyondTheOriginals) {
  gridlume_cad_face *face = gridlume_cad_face_new_discrete(cad, 7, definition, geometry);
  ASSERT_NE(face, nullptr);
  EXPECT_EQ(value_of(gridlume_cad_has_discrete_definition, cad), 1);
  EXPECT_EQ(value_of(gridlume_cad_face_has_discrete_definition, face), 1);
  gridlume_mesh *held_definition = nullptr, *held_geometry = nullptr;
  ASSERT_EQ(gridlume_cad_face_get_discrete_definition(face, &held_definition, &held_geometry), 0);
  EXPECT_NE(held_definition, definition);
  gridlume_mesh_delete(definition);
  gridlume_mesh_delete(geometry);
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_count, held_definition), 4);
  EXPECT_EQ(value_of(gridlume_mesh_get_triangle_count, held_geometry), 1);
  EXPECT_EQ(face->edges.capacity(), 5);
  EXPECT_EQ(face->points.capacity(), 1);
  EXPECT_EQ(gridlume_cad_face_new_discrete(nullptr, 1, nullptr, nullptr), nullptr);
  // So does a wire.
  gridlume_mesh *line = small_mesh(context, 5, 0);
  gridlume_cad_wire *wire = gridlume_cad_wire_new_discrete(cad, 3, line);
  ASSERT_NE(wire, nullptr);
  gridlume_mesh_delete(line);
  gridlume_mesh *held = value_of(gridlume_cad_wire_get_discrete_definition, wire);
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_count, held), 5);
  EXPECT_EQ(gridlume_cad_wire_new_discrete(cad, 4, nullptr), nullptr);
}

TEST_F(Discrete, GeometryMappingIsSizedByTheGeometryMeshAndNeedsOne) {
  gridlume_cad_face *face = gridlume_cad_face_new_discrete(cad, 1, definition, geometry);
  int *vertices = nullptr, *triangles = nullptr;
  ASSERT_EQ(gridlume_cad_face_discrete_get_geometry_mapping(face, &vertices, &triangles), 0);
  EXPECT_EQ(vertices, nullptr);
  int vertex_mapping[3] = {30, 20, 10}, triangle_mapping[1] = {5};
  ASSERT_EQ(gridlume_cad_face_discrete_set_geometry_mapping(face, vertex_mapping, triangle_mapping),
            0);
  vertex_mapping[0] = 0;
  ASSERT_EQ(gridlume_cad_face_discrete_get_geometry_mapping(face, &vertices, nullptr), 0);
  EXPECT_EQ(vertices[0], 30);
  EXPECT_EQ(vertices[2], 10);
  ASSERT_EQ(gridlume_cad_face_discrete_get_geometry_mapping(face, nullptr, &triangles), 0);
  EXPECT_EQ(triangles[0], 5);
  gridlume_cad_face *plain = gridlume_cad_face_new(cad, 2, quadratic_surface, nullptr);
  EXPECT_EQ(
      gridlume_cad_face_discrete_set_geometry_mapping(plain, vertex_mapping, triangle_mapping), -1);
  EXPECT_EQ(gridlume_cad_face_discrete_get_geometry_mapping(plain, &vertices, &triangles), -1);
  // Without meshes a discrete face holds none and takes no mapping.
  gridlume_cad_face *empty = gridlume_cad_face_new_discrete(cad, 3, nullptr, nullptr);
  gridlume_mesh *a = definition, *b = geometry;
  ASSERT_EQ(gridlume_cad_face_get_discrete_definition(empty, &a, &b), 0);
  EXPECT_EQ(a, nullptr);
  EXPECT_EQ(b, nullptr);
  EXPECT_EQ(
      gridlume_cad_face_discrete_set_geometry_mapping(empty, vertex_mapping, triangle_mapping), -1);
}

TEST_F(Discrete, DiscreteObjectsGoOnlyOnDiscreteFacesAndCurveObjectsNever) {
  gridlume_cad_face *plain = gridlume_cad_face_new(cad, 1, quadratic_surface, nullptr);
  gridlume_cad_face *face = gridlume_cad_face_new_discrete(cad, 2, definition, nullptr);
  gridlume_cad_edge *curve_edge = gridlume_cad_edge_new(plain, 1, 0, 1, line_curve, nullptr);
  gridlume_cad_point *plain_point = gridlume_cad_point_new(plain, 1, Pair{}.data());
  gridlume_cad_wire *wire = gridlume_cad_wire_new(cad, 1, 0, 1, straight_wire, nullptr);
  int chain[3] = {1, 2, 4}, count = 0, index = 0, *indices = nullptr;
  gridlume_mesh *mesh = nullptr, *held_geometry = nullptr;
  EXPECT_EQ(gridlume_cad_edge_new_discrete(plain, 1, 3, chain), nullptr);
  EXPECT_EQ(gridlume_cad_point_new_discrete(plain, 1, 2), nullptr);
  EXPECT_EQ(value_of(gridlume_cad_face_has_discrete_definition, plain), 0);
  EXPECT_EQ(value_of(gridlume_cad_edge_has_discrete_definition, curve_edge), 0);
  EXPECT_EQ(value_of(gridlume_cad_wire_has_discrete_definition, wire), 0);
  EXPECT_EQ(gridlume_cad_face_get_discrete_definition(plain, &mesh, &held_geometry), -1);
  EXPECT_EQ(gridlume_cad_edge_get_discrete_definition(curve_edge, &count, &indices), -1);
  EXPECT_EQ(gridlume_cad_point_get_discrete_definition(plain_point, &index), -1);
  EXPECT_EQ(gridlume_cad_wire_get_discrete_definition(wire, &mesh), -1);
  gridlume_cad_edge *edge = gridlume_cad_edge_new_discrete(face, 3, 3, chain);
  ASSERT_NE(edge, nullptr);
  chain[0] = 99;
  ASSERT_EQ(gridlume_cad_edge_get_discrete_definition(edge, &count, &indices), 0);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(indices[0], 1);
  EXPECT_EQ(indices[2], 4);
  EXPECT_EQ(value_of(gridlume_cad_edge_has_discrete_definition, edge), 1);
  EXPECT_EQ(edge->tmin, 0);
  EXPECT_EQ(edge->tmax, 0);
  EXPECT_EQ(edge->property, 0);
  gridlume_cad_point *point = gridlume_cad_point_new_discrete(face, 4, 3);
  ASSERT_NE(point, nullptr);
  EXPECT_EQ(value_of(gridlume_cad_point_get_discrete_definition, point), 3);
  // Curve edges and uv points, made or attached, have no place on a discrete face.
  EXPECT_EQ(gridlume_cad_point_new(face, 5, Pair{}.data()), nullptr);
  EXPECT_EQ(gridlume_cad_edge_new(face, 6, 0, 1, line_curve, nullptr), nullptr);
  EXPECT_EQ(gridlume_cad_edge_new0(face, 6, 0, 1, power_curve, nullptr), nullptr);
  EXPECT_EQ(gridlume_cad_edge_new_segment(face, 6, Pair{}.data(), Pair{}.data()), nullptr);
  EXPECT_EQ(gridlume_cad_edge_new_discrete(face, 7, -1, chain), nullptr);
  gridlume_cad_edge *loose = gridlume_cad_edge_new_copy(curve_edge);
  EXPECT_EQ(gridlume_cad_edge_attach(loose, face), -1);
  gridlume_cad_edge_delete(loose);
  EXPECT_EQ(value_of(gridlume_cad_face_get_edge_count, face), 1);
}

TEST_F(Discrete, ConstructorsAnswerNullAndLeakNothingWhenMemoryFails) {
  expect_each_allocation_failure_reported([](gridlume_context *context, AllocationFailure &f) {
    gridlume_cad *cad = gridlume_cad_new(context);
    gridlume_mesh *mesh = small_mesh(context, 3, 1);
    f.arm();
    gridlume_cad_face *face = gridlume_cad_face_new_discrete(cad, 1, mesh, mesh);
    return face;
  });
  expect_each_allocation_failure_reported([](gridlume_context *context, AllocationFailure &f) {
    gridlume_cad *cad = gridlume_cad_new(context);
    gridlume_cad_face *face = gridlume_cad_face_new_discrete(cad, 1, nullptr, nullptr);
    for (int k = 0; k < 5; ++k) gridlume_cad_point_new_discrete(face, k, k);
    int chain[2] = {1, 2};
    f.arm();
    gridlume_cad_edge *edge = gridlume_cad_edge_new_discrete(face, 1, 2, chain);
    gridlume_cad_point *point = edge ? gridlume_cad_point_new_discrete(face, 9, 1) : nullptr;
    return point != nullptr ? static_cast<void *>(point) : nullptr;
  });
  expect_each_allocation_failure_reported([](gridlume_context *context, AllocationFailure &f) {
    gridlume_cad *cad = gridlume_cad_new(context);
    gridlume_mesh *mesh = small_mesh(context, 3, 1);
    f.arm();
    return gridlume_cad_wire_new_discrete(cad, 1, mesh);
  });
  expect_each_allocation_failure_reported([](gridlume_context *context, AllocationFailure &f) {
    gridlume_cad *cad = gridlume_cad_new(context);
    gridlume_cad_face *face =
        gridlume_cad_face_new_discrete(cad, 1, nullptr, small_mesh(context, 3, 1));
    int mapping[3] = {1, 2, 3};
    f.arm();
    return gridlume_cad_face_discrete_set_geometry_mapping(face, mapping, mapping);
  });
}

// ---- dcad -------------------------------------------------------------------

namespace {

struct Dcad : ::testing::Test {
  Context context;
  gridlume_cad *cad = gridlume_cad_new(context);
  gridlume_cad_face *face = gridlume_cad_face_new(cad, 1, quadratic_surface, nullptr);
  gridlume_cad_edge *edge = gridlume_cad_edge_new(face, 1, 0, 1, line_curve, nullptr);
  gridlume_cad_wire *wire = gridlume_cad_wire_new(cad, 1, 0, 1, straight_wire, nullptr);
  gridlume_dcad *dcad = gridlume_dcad_new(cad);
  ~Dcad() override { gridlume_dcad_delete(dcad); }
};

}  // namespace

TEST_F(Dcad, DiscretizationIsMadeOnceQueriedWithoutMakingAndOnlyForItsCad) {
  EXPECT_EQ(value_of(gridlume_dcad_get_cad, dcad), cad);
  gridlume_dcad_edge_discretization *queried = nullptr;
  EXPECT_EQ(gridlume_dcad_query_edge_discretization(dcad, edge, &queried), 0);
  EXPECT_EQ(queried, nullptr);
  gridlume_dcad_edge_discretization *first =
      value_of(gridlume_dcad_get_edge_discretization, dcad, edge);
  gridlume_dcad_edge_discretization *second =
      value_of(gridlume_dcad_get_edge_discretization, dcad, edge);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  EXPECT_EQ(value_of(gridlume_dcad_query_edge_discretization, dcad, edge), first);
  EXPECT_EQ(value_of(gridlume_dcad_edge_discretization_get_vertex_count, first), 0);
  gridlume_dcad_wire_discretization *w =
      value_of(gridlume_dcad_get_wire_discretization, dcad, wire);
  EXPECT_EQ(value_of(gridlume_dcad_query_wire_discretization, dcad, wire), w);
  // Objects of another cad are refused.
  gridlume_cad *other = gridlume_cad_new(context);
  gridlume_cad_face *other_face = gridlume_cad_face_new(other, 1, quadratic_surface, nullptr);
  gridlume_cad_edge *other_edge = gridlume_cad_edge_new(other_face, 1, 0, 1, line_curve, nullptr);
  gridlume_cad_wire *other_wire = gridlume_cad_wire_new(other, 1, 0, 1, straight_wire, nullptr);
  auto *edge_result = reinterpret_cast<gridlume_dcad_edge_discretization *>(this);
  EXPECT_EQ(gridlume_dcad_get_edge_discretization(dcad, other_edge, &edge_result), -1);
  EXPECT_EQ(edge_result, nullptr);
  auto *wire_result = reinterpret_cast<gridlume_dcad_wire_discretization *>(this);
  EXPECT_EQ(gridlume_dcad_get_wire_discretization(dcad, other_wire, &wire_result), -1);
  EXPECT_EQ(wire_result, nullptr);
}

TEST_F(Dcad, TablesAreSizedFromTheCad) {
  gridlume_cad *empty = gridlume_cad_new(context);
  gridlume_dcad *fresh = gridlume_dcad_new(empty);
  EXPECT_EQ(fresh->edges.keys.bucket_count(), 50000);
  EXPECT_EQ(fresh->edges.keys.capacity(), 50000);
  EXPECT_EQ(fresh->wires.keys.bucket_count(), 23);
  gridlume_dcad_delete(fresh);
  // One edge and one wire: both tables sized for 2 edges.
  EXPECT_EQ(dcad->edges.keys.bucket_count(), 2);
  EXPECT_EQ(dcad->wires.keys.bucket_count(), 2);
  // Registering past the table's first capacity grows the value array.
  std::vector<gridlume_cad_edge *> edges;
  for (int k = 2; k <= 10; ++k)
    edges.push_back(gridlume_cad_edge_new(face, k, 0, 1, line_curve, nullptr));
  gridlume_dcad *sized = gridlume_dcad_new(cad);
  for (gridlume_cad_edge *e : edges) {
    gridlume_dcad_edge_discretization *d =
        value_of(gridlume_dcad_get_edge_discretization, sized, e);
    EXPECT_NE(d, nullptr);
  }
  gridlume_dcad_delete(sized);
}

TEST_F(Dcad, ResizingKeepsOldVerticesAndZeroesNewOnes) {
  gridlume_dcad_edge_discretization *d =
      value_of(gridlume_dcad_get_edge_discretization, dcad, edge);
  ASSERT_EQ(gridlume_dcad_edge_discretization_set_vertex_count(d, 2), 0);
  const double uv[2] = {0.5, 0.25}, xyz[3] = {1, 2, 3};
  ASSERT_EQ(gridlume_dcad_edge_discretization_set_vertex_coordinates(d, 1, 0.1, uv, xyz), 0);
  ASSERT_EQ(gridlume_dcad_edge_discretization_set_vertex_coordinates(d, 2, 0.9, nullptr, xyz), 0);
  ASSERT_EQ(gridlume_dcad_edge_discretization_set_vertex_tag(d, 2, 8), 0);
  ASSERT_EQ(gridlume_dcad_edge_discretization_set_vertex_count(d, 4), 0);
  double t = -1, out_uv[2] = {-1, -1}, out_xyz[3] = {-1, -1, -1};
  ASSERT_EQ(gridlume_dcad_edge_discretization_get_vertex_coordinates(d, 1, &t, out_uv, out_xyz), 0);
  EXPECT_EQ(t, 0.1);
  EXPECT_EQ(out_uv[1], 0.25);
  EXPECT_EQ(out_xyz[2], 3);
  ASSERT_EQ(gridlume_dcad_edge_discretization_get_vertex_coordinates(d, 2, &t, out_uv, nullptr), 0);
  EXPECT_EQ(out_uv[0], 0);  // uv given as null stayed as made
  EXPECT_EQ(value_of(gridlume_dcad_edge_discretization_get_vertex_tag, d, 2), 8);
  ASSERT_EQ(gridlume_dcad_edge_discretization_get_vertex_coordinates(d, 4, &t, out_uv, out_xyz), 0);
  EXPECT_EQ(t, 0);
  EXPECT_EQ(out_uv[0], 0);
  EXPECT_EQ(out_xyz[0], 0);
  EXPECT_EQ(value_of(gridlume_dcad_edge_discretization_get_vertex_tag, d, 3), 0);
  ASSERT_EQ(gridlume_dcad_edge_discretization_set_vertex_count(d, 0), 0);
  ASSERT_EQ(gridlume_dcad_edge_discretization_set_vertex_count(d, 1), 0);
  ASSERT_EQ(gridlume_dcad_edge_discretization_get_vertex_coordinates(d, 1, &t, out_uv, out_xyz), 0);
  EXPECT_EQ(t, 0);
  EXPECT_EQ(out_xyz[2], 0);
  EXPECT_EQ(gridlume_dcad_edge_discretization_get_vertex_coordinates(d, 2, &t, out_uv, out_xyz),
            -1);
  EXPECT_EQ(gridlume_dcad_edge_discretization_set_vertex_tag(d, 0, 1), -1);
  EXPECT_EQ(gridlume_dcad_edge_discretization_set_vertex_tag(nullptr, 1, 1), -1);
  EXPECT_EQ(gridlume_dcad_edge_discretization_set_vertex_count(d, -1), -1);
}

TEST_F(Dcad, WireDiscretizationHasNoUvAndPropertyBitsAccumulate) {
  gridlume_dcad_wire_discretization *d =
      value_of(gridlume_dcad_get_wire_discretization, dcad, wire);
  ASSERT_EQ(gridlume_dcad_wire_discretization_set_vertex_count(d, 3), 0);
  const double xyz[3] = {4, 5, 6};
  ASSERT_EQ(gridlume_dcad_wire_discretization_set_vertex_coordinates(d, 3, 2.5, xyz), 0);
  double t, out[3];
  ASSERT_EQ(gridlume_dcad_wire_discretization_get_vertex_coordinates(d, 3, &t, out), 0);
  EXPECT_EQ(t, 2.5);
  EXPECT_EQ(out[1], 5);
  EXPECT_EQ(value_of(gridlume_dcad_wire_discretization_query_property, d, 1), 0);
  gridlume_dcad_wire_discretization_set_property(d, 1);
  gridlume_dcad_wire_discretization_set_property(d, 4);
  EXPECT_EQ(value_of(gridlume_dcad_wire_discretization_query_property, d, 5), 1);
  EXPECT_EQ(value_of(gridlume_dcad_wire_discretization_query_property, d, 2), 0);
  EXPECT_EQ(value_of(gridlume_dcad_wire_discretization_query_property, d, 4), 1);
}

TEST(DcadAllocation, CreationRegistrationAndResizingAnswerFiveAndLeakNothing) {
  expect_each_allocation_failure_reported([](gridlume_context *context, AllocationFailure &f) {
    gridlume_cad *cad = gridlume_cad_new(context);
    gridlume_cad_wire_new(cad, 1, 0, 1, straight_wire, nullptr);
    f.arm();
    gridlume_dcad *dcad = gridlume_dcad_new(cad);
    f.disarm();
    bool made = dcad != nullptr;
    gridlume_dcad_delete(dcad);
    return made ? static_cast<void *>(cad) : nullptr;
  });
  expect_each_allocation_failure_reported([](gridlume_context *context, AllocationFailure &f) {
    gridlume_cad *cad = gridlume_cad_new(context);
    gridlume_cad_face *face = gridlume_cad_face_new(cad, 1, quadratic_surface, nullptr);
    std::vector<gridlume_cad_edge *> edges;
    for (int k = 0; k < 4; ++k)
      edges.push_back(gridlume_cad_edge_new(face, k, 0, 1, line_curve, nullptr));
    gridlume_dcad *dcad = gridlume_dcad_new(cad);  // sized for 4 edges
    for (int k = 0; k < 8; ++k)
      edges.push_back(gridlume_cad_edge_new(face, k, 0, 1, line_curve, nullptr));
    f.arm();
    int status = 0;
    for (gridlume_cad_edge *edge : edges) {
      gridlume_dcad_edge_discretization *d = nullptr;
      status = gridlume_dcad_get_edge_discretization(dcad, edge, &d);
      if (status != 0) {
        EXPECT_EQ(d, nullptr);
        break;
      }
      status = gridlume_dcad_edge_discretization_set_vertex_count(d, 3);
      if (status != 0) {
        int n = -1;
        gridlume_dcad_edge_discretization_get_vertex_count(d, &n);
        EXPECT_EQ(n, 0);
        break;
      }
    }
    f.disarm();
    gridlume_dcad_delete(dcad);
    return status;
  });
}
