// Size maps holding values per vertex in memory, their copies, and
// per-vertex size maps evaluating a point size map over a mesh or over a grid
// made for a box.
#include <gtest/gtest.h>

#include <vector>

#include "sizemap_fixture.hpp"

using namespace sizemap_test;

namespace {

using DerivedSizemap = SizemapTest;
using InMemorySizemap = SizemapTest;
using gridlume_test::value_of;
using gridlume_test::values_of;

// Values set are kept, other vertices read zeros, vertices outside the mesh
// fail and read zeros, and a copy keeps the values once its source is gone.
TEST_F(InMemorySizemap, KeepsTheValuesSetAndZerosElsewhereAndItsCopyOutlivesIt) {
  gridlume_mesh *mesh = vertex_mesh(context, 4);
  gridlume_sizemap *iso = gridlume_sizemap_new_in_memory(mesh, 4);
  gridlume_sizemap *aniso = gridlume_sizemap_new_in_memory(mesh, 8);
  ASSERT_NE(iso, nullptr);
  ASSERT_NE(aniso, nullptr);
  EXPECT_EQ(value_of(gridlume_sizemap_get_parent_mesh, iso), mesh);
  double size = 0.25;
  EXPECT_EQ(gridlume_sizemap_iso_mesh_vertex_set_size(iso, 4, &size), 0);
  EXPECT_EQ(value_of(gridlume_sizemap_iso_mesh_vertex_get_size, iso, 4), 0.25);
  EXPECT_EQ(value_of(gridlume_sizemap_iso_mesh_vertex_get_size, iso, 3), 0.0);
  for (int vertex = 1; vertex <= 4; ++vertex) {
    double metric[6] = {1.0 * vertex, 2, 3, 4, 5, 6.0 * vertex};
    EXPECT_EQ(gridlume_sizemap_aniso_mesh_vertex_set_metric(aniso, vertex, metric), 0);
  }
  EXPECT_TRUE(messages.messages().empty());
  for (int vertex : {0, 5, -1}) {
    SCOPED_TRACE(vertex);
    double size = 7;
    double metric[6] = {7, 7, 7, 7, 7, 7};
    EXPECT_EQ(gridlume_sizemap_iso_mesh_vertex_get_size(iso, vertex, &size), -1);
    EXPECT_EQ(size, 0.0);
    EXPECT_EQ(gridlume_sizemap_aniso_mesh_vertex_get_metric(aniso, vertex, metric), -1);
    for (double value : metric) EXPECT_EQ(value, 0.0);
    EXPECT_EQ(gridlume_sizemap_iso_mesh_vertex_set_size(iso, vertex, &size), -1);
    EXPECT_EQ(gridlume_sizemap_aniso_mesh_vertex_set_metric(aniso, vertex, metric), -1);
  }
  // The setters of the other type refuse with their message.
  double metric[6] = {1, 2, 3, 4, 5, 6};
  EXPECT_EQ(gridlume_sizemap_aniso_mesh_vertex_set_metric(iso, 1, metric), -1);
  EXPECT_EQ(gridlume_sizemap_iso_mesh_vertex_set_size(aniso, 1, metric), -1);
  EXPECT_EQ(sent(), (Sent{{-1, "sizemap:aniso_mesh_vertex_set_metric : Error setting metric.\n"},
                          {-1, "sizemap:iso_mesh_vertex_set_size : Error setting size.\n"}}));
  EXPECT_EQ(value_of(gridlume_sizemap_iso_mesh_vertex_get_size, iso, 1), 0.0);
  messages.clear();
  gridlume_sizemap *copy = gridlume_sizemap_new_in_memory_copy(aniso);
  ASSERT_NE(copy, nullptr);
  gridlume_sizemap_delete(aniso);
  auto read = values_of<6>(gridlume_sizemap_aniso_mesh_vertex_get_metric, copy, 3);
  EXPECT_EQ(read, (std::array<double, 6>{3, 2, 3, 4, 5, 18}));
  EXPECT_EQ(gridlume_sizemap_aniso_mesh_vertex_set_metric(copy, 4, read.data()), 0);
  EXPECT_EQ(gridlume_sizemap_iso_mesh_vertex_get_size(copy, 1, &size), -1);
  EXPECT_TRUE(messages.messages().empty());
}

int failing_vertex_count(int *, void *) { return -17; }

TEST_F(InMemorySizemap, RefusesUnknownTypesAndUnreadableMeshesWithTheirMessages) {
  gridlume_mesh *mesh = vertex_mesh(context, 2);
  for (int type : {7, 9, 0, 13}) EXPECT_EQ(gridlume_sizemap_new_in_memory(mesh, type), nullptr);
  EXPECT_EQ(messages.messages().size(), 4u);
  EXPECT_EQ(sent()[0], (std::pair<int, std::string>{
                           -1, "sizemap:new_in_memory : Unsupported sizemap type.\n"}));
  messages.clear();
  gridlume_mesh *broken = gridlume_mesh_new(context);
  gridlume_mesh_set_get_vertex_count(broken, failing_vertex_count, nullptr);
  EXPECT_EQ(gridlume_sizemap_new_in_memory(broken, 4), nullptr);
  EXPECT_EQ(sent(), (Sent{{-17, "sizemap:new_in_memory : Error accessing associated mesh.\n"}}));
  EXPECT_EQ(gridlume_sizemap_new_in_memory(nullptr, 4), nullptr);
  // An empty mesh gives an empty size map.
  gridlume_sizemap *iso = gridlume_sizemap_new_in_memory(gridlume_mesh_new_in_memory(context), 4);
  ASSERT_NE(iso, nullptr);
  double size = 1;
  EXPECT_EQ(gridlume_sizemap_iso_mesh_vertex_get_size(iso, 1, &size), -1);
}

int size_by_vertex(int vertex, double *size, void *) {
  *size = 10.0 * vertex;
  return vertex == 3 ? -9 : 0;
}

TEST_F(DerivedSizemap, CopyReportsTypesAndFailingValuesWithTheirMessages) {
  gridlume_mesh *mesh = vertex_mesh(context, 4);
  EXPECT_EQ(gridlume_sizemap_new_in_memory_copy(nullptr), nullptr);
  EXPECT_TRUE(messages.messages().empty());
  gridlume_sizemap *point = gridlume_sizemap_new(context, 7, stored(point_size), nullptr);
  EXPECT_EQ(gridlume_sizemap_new_in_memory_copy(point), nullptr);
  gridlume_sizemap *failing = gridlume_sizemap_new(mesh, 4, stored(size_by_vertex), nullptr);
  EXPECT_EQ(gridlume_sizemap_new_in_memory_copy(failing), nullptr);
  EXPECT_EQ(sent(), (Sent{{-1, "sizemap:new_in_memory_copy : Unsupported sizemap type.\n"},
                          {-9, "sizemap:new_in_memory_copy : Unable to get size.\n"}}));
}

TEST_F(DerivedSizemap, PointSizemapIsEvaluatedAtTheMeshVertices) {
  gridlume_mesh *mesh = vertex_mesh(context, 3);
  gridlume_sizemap *iso_point = gridlume_sizemap_new(context, 7, stored(point_size), nullptr);
  gridlume_sizemap *aniso_point = gridlume_sizemap_new(context, 9, stored(point_metric), nullptr);
  gridlume_sizemap *iso = gridlume_sizemap_new_mesh_vertex_from_sizemap_and_mesh(iso_point, mesh);
  gridlume_sizemap *aniso =
      gridlume_sizemap_new_mesh_vertex_from_sizemap_and_mesh(aniso_point, mesh);
  ASSERT_NE(iso, nullptr);
  ASSERT_NE(aniso, nullptr);
  EXPECT_EQ(value_of(gridlume_sizemap_get_type, iso), 4);
  EXPECT_EQ(value_of(gridlume_sizemap_get_type, aniso), 8);
  EXPECT_EQ(value_of(gridlume_sizemap_get_parent_mesh, iso), mesh);
  // Vertex 2 lies at (2, 4, 6).
  EXPECT_EQ(value_of(gridlume_sizemap_iso_mesh_vertex_get_size, iso, 2), 642.0);
  EXPECT_EQ(values_of<6>(gridlume_sizemap_aniso_mesh_vertex_get_metric, aniso, 2),
            (std::array<double, 6>{642, 2, 4, 6, 1, 2}));
  double size = 5;
  EXPECT_EQ(gridlume_sizemap_iso_mesh_vertex_get_size(iso, 4, &size), -1);
  EXPECT_EQ(size, 0.0);
  // Its values can be kept in memory, independent of the point size map.
  gridlume_sizemap *copy = gridlume_sizemap_new_in_memory_copy(iso);
  gridlume_sizemap_delete(iso);
  gridlume_sizemap_delete(iso_point);
  EXPECT_EQ(value_of(gridlume_sizemap_iso_mesh_vertex_get_size, copy, 3), 963.0);
}

TEST_F(DerivedSizemap, OnlyPointTypesAndReadableMeshesAreWrapped) {
  gridlume_mesh *mesh = vertex_mesh(context, 3);
  gridlume_sizemap *vertex_sizemap = gridlume_sizemap_new_in_memory(mesh, 4);
  gridlume_sizemap *point = gridlume_sizemap_new(context, 7, stored(point_size), nullptr);
  EXPECT_EQ(gridlume_sizemap_new_mesh_vertex_from_sizemap_and_mesh(vertex_sizemap, mesh), nullptr);
  EXPECT_EQ(gridlume_sizemap_new_mesh_vertex_from_sizemap_and_mesh(point, nullptr), nullptr);
  EXPECT_EQ(gridlume_sizemap_new_mesh_vertex_from_sizemap_and_mesh(nullptr, mesh), nullptr);
  const double low[3] = {0, 0, 0}, high[3] = {1, 1, 1};
  EXPECT_EQ(gridlume_sizemap_new_mesh_vertex_from_sizemap(vertex_sizemap, low, high, 100), nullptr);
  EXPECT_EQ(gridlume_sizemap_new_mesh_vertex_from_sizemap(point, low, high, 7), nullptr);
  EXPECT_EQ(gridlume_sizemap_new_mesh_vertex_from_sizemap(point, nullptr, high, 100), nullptr);
}

int grid_vertex_count(gridlume_sizemap *sizemap) {
  return value_of(gridlume_mesh_get_vertex_count,
                  value_of(gridlume_sizemap_get_parent_mesh, sizemap));
}

TEST_F(DerivedSizemap, BoxGridHasAboutTheWantedVertexCountAndGoesWithItsWrapper) {
  gridlume_sizemap *point = gridlume_sizemap_new(context, 7, stored(point_size), nullptr);
  const double low[3] = {0, 0, 0}, cube[3] = {1, 1, 1}, flat[3] = {3, 5, 0};
  gridlume_sizemap *grid_sizemap =
      gridlume_sizemap_new_mesh_vertex_from_sizemap(point, low, cube, 1000);
  ASSERT_NE(grid_sizemap, nullptr);
  EXPECT_EQ(grid_vertex_count(grid_sizemap), 1000);
  // The last grid point is the box's highest corner.
  EXPECT_EQ(value_of(gridlume_sizemap_iso_mesh_vertex_get_size, grid_sizemap, 1000), 111.0);
  gridlume_sizemap *flat_sizemap =
      gridlume_sizemap_new_mesh_vertex_from_sizemap(point, low, flat, 8);
  ASSERT_NE(flat_sizemap, nullptr);
  // h = 1: 3 × 5 × 2 points.
  EXPECT_EQ(grid_vertex_count(flat_sizemap), 30);
  // Deleting the wrapper deletes its grid (the leak check of the sanitizer
  // build sees it released) but not the source, which still answers. The
  // flat one is left to its context, and goes with it, grid included.
  gridlume_sizemap_delete(grid_sizemap);
  EXPECT_EQ(value_of(gridlume_sizemap_get_type, point), 7);
}

// Each size map made from a mesh or from another size map, with the source
// made before the failure is armed.
TEST(DerivedSizemapMemory, EveryAllocationFailureIsReportedAndLeaksNothing) {
  using Make = gridlume_sizemap *(*)(gridlume_context *, gridlume_test::AllocationFailure &);
  const Make makes[] = {
      [](gridlume_context *own, gridlume_test::AllocationFailure &failure) {
        gridlume_mesh *mesh = vertex_mesh(own, 5);
        failure.arm();
        return gridlume_sizemap_new_in_memory(mesh, 4);
      },
      [](gridlume_context *own, gridlume_test::AllocationFailure &failure) {
        gridlume_mesh *mesh = vertex_mesh(own, 5);
        failure.arm();
        return gridlume_sizemap_new_in_memory(mesh, 8);
      },
      [](gridlume_context *own, gridlume_test::AllocationFailure &failure) {
        gridlume_sizemap *source = gridlume_sizemap_new_in_memory(vertex_mesh(own, 6), 4);
        failure.arm();
        return gridlume_sizemap_new_in_memory_copy(source);
      },
      [](gridlume_context *own, gridlume_test::AllocationFailure &failure) {
        gridlume_mesh *mesh = vertex_mesh(own, 3);
        gridlume_sizemap *point = gridlume_sizemap_new(own, 7, stored(point_size), nullptr);
        failure.arm();
        return gridlume_sizemap_new_mesh_vertex_from_sizemap_and_mesh(point, mesh);
      },
      [](gridlume_context *own, gridlume_test::AllocationFailure &failure) {
        gridlume_sizemap *point = gridlume_sizemap_new(own, 9, stored(point_metric), nullptr);
        const double low[3] = {0, 0, 0}, high[3] = {1, 2, 3};
        failure.arm();
        return gridlume_sizemap_new_mesh_vertex_from_sizemap(point, low, high, 50);
      },
  };
  for (Make make : makes) gridlume_test::expect_each_allocation_failure_reported(make);
}

}  // namespace
