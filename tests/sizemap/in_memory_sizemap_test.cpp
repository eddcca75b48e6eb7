// In-memory size maps: values kept per vertex, refused indices, the
// messages of bad meshes and types, and memory failures.
#include <gtest/gtest.h>

#include "sizemap_fixture.hpp"

using namespace sizemap_test;

namespace {

using InMemorySizemap = SizemapTest;

TEST_F(InMemorySizemap, KeepsTheValuesSetAndZerosElsewhere) {
  gridlume_mesh *mesh = vertex_mesh(context, 4);
  gridlume_sizemap *iso = gridlume_sizemap_new_in_memory(mesh, 4);
  gridlume_sizemap *aniso = gridlume_sizemap_new_in_memory(mesh, 8);
  ASSERT_NE(iso, nullptr);
  ASSERT_NE(aniso, nullptr);
  EXPECT_EQ(gridlume_test::value_of(gridlume_sizemap_get_parent_mesh, iso), mesh);
  double size = 0.25;
  double metric[6] = {1, 2, 3, 4, 5, 6};
  EXPECT_EQ(gridlume_sizemap_iso_mesh_vertex_set_size(iso, 4, &size), 0);
  EXPECT_EQ(gridlume_sizemap_aniso_mesh_vertex_set_metric(aniso, 1, metric), 0);
  EXPECT_EQ(gridlume_test::value_of(gridlume_sizemap_iso_mesh_vertex_get_size, iso, 4), 0.25);
  EXPECT_EQ(gridlume_test::value_of(gridlume_sizemap_iso_mesh_vertex_get_size, iso, 3), 0.0);
  auto read = gridlume_test::values_of<6>(gridlume_sizemap_aniso_mesh_vertex_get_metric, aniso, 1);
  EXPECT_EQ(read, (std::array<double, 6>{1, 2, 3, 4, 5, 6}));
  EXPECT_TRUE(messages.messages().empty());
}

TEST_F(InMemorySizemap, VerticesOutsideTheMeshReadZerosAndFail) {
  gridlume_mesh *mesh = vertex_mesh(context, 4);
  gridlume_sizemap *iso = gridlume_sizemap_new_in_memory(mesh, 4);
  gridlume_sizemap *aniso = gridlume_sizemap_new_in_memory(mesh, 8);
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
}

TEST_F(InMemorySizemap, SettersOfTheOtherTypeRefuseWithTheirMessage) {
  gridlume_mesh *mesh = vertex_mesh(context, 2);
  gridlume_sizemap *iso = gridlume_sizemap_new_in_memory(mesh, 4);
  gridlume_sizemap *aniso = gridlume_sizemap_new_in_memory(mesh, 8);
  double metric[6] = {1, 2, 3, 4, 5, 6};
  EXPECT_EQ(gridlume_sizemap_aniso_mesh_vertex_set_metric(iso, 1, metric), -1);
  EXPECT_EQ(gridlume_sizemap_iso_mesh_vertex_set_size(aniso, 1, metric), -1);
  EXPECT_EQ(sent(), (Sent{{-1, "sizemap:aniso_mesh_vertex_set_metric : Error setting metric.\n"},
                          {-1, "sizemap:iso_mesh_vertex_set_size : Error setting size.\n"}}));
  EXPECT_EQ(gridlume_test::value_of(gridlume_sizemap_iso_mesh_vertex_get_size, iso, 1), 0.0);
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
}

TEST_F(InMemorySizemap, AnEmptyMeshGivesAnEmptySizemap) {
  gridlume_sizemap *iso = gridlume_sizemap_new_in_memory(gridlume_mesh_new_in_memory(context), 4);
  ASSERT_NE(iso, nullptr);
  double size = 1;
  EXPECT_EQ(gridlume_sizemap_iso_mesh_vertex_get_size(iso, 1, &size), -1);
}

TEST_F(InMemorySizemap, CreationReportsEveryAllocationFailure) {
  for (int type : {4, 8}) {
    gridlume_test::expect_each_allocation_failure_reported(
        [type](gridlume_context *own, gridlume_test::AllocationFailure &failure) {
          gridlume_mesh *mesh = vertex_mesh(own, 5);
          failure.arm();
          return gridlume_sizemap_new_in_memory(mesh, type);
        });
  }
}

}  // namespace
