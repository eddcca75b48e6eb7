// The size map object: which parent each type takes, its accessors, what it
// owns and releases, and the per-vertex getters and setters.
#include <gtest/gtest.h>

#include <vector>

#include "sizemap_fixture.hpp"

using namespace sizemap_test;

namespace {

using SizemapObject = SizemapTest;

int constant_size(int vertex, double *size, void *) {
  *size = 0.5 * vertex;
  return vertex == 7 ? 42 : 0;
}
int constant_metric(int vertex, double *metric, void *) {
  for (int k = 0; k < 6; ++k) metric[k] = vertex + k;
  return 0;
}

TEST_F(SizemapObject, EachTypeTakesItsParentAndNoOther) {
  gridlume_cad *cad = gridlume_cad_new(context);
  gridlume_mesh *mesh = gridlume_mesh_new(context);
  const std::vector<int> cad_types = {1, 2, 3, 5, 6, 10, 11, 12, 15, 18, 20};
  const std::vector<int> mesh_types = {4, 8, 13, 14, 16, 17, 19};
  const std::vector<int> context_types = {7, 9};
  auto parent_of = [&](int type) -> void * {
    for (int t : cad_types)
      if (t == type) return cad;
    for (int t : mesh_types)
      if (t == type) return mesh;
    return context.handle;
  };
  for (int type = 1; type <= 20; ++type) {
    SCOPED_TRACE(type);
    for (void *parent : {static_cast<void *>(cad), static_cast<void *>(mesh),
                         static_cast<void *>(context.handle)}) {
      gridlume_sizemap *sizemap = gridlume_sizemap_new(parent, type, stored(constant_size), this);
      EXPECT_EQ(sizemap != nullptr, parent == parent_of(type));
      if (sizemap == nullptr) continue;
      EXPECT_EQ(gridlume_test::value_of(gridlume_sizemap_get_type, sizemap), type);
      EXPECT_EQ(gridlume_test::value_of(gridlume_sizemap_get_parent_cad, sizemap),
                parent == cad ? cad : nullptr);
      EXPECT_EQ(gridlume_test::value_of(gridlume_sizemap_get_parent_mesh, sizemap),
                parent == mesh ? mesh : nullptr);
      EXPECT_EQ(gridlume_test::value_of(gridlume_sizemap_get_function, sizemap),
                stored(constant_size));
      EXPECT_EQ(gridlume_test::value_of(gridlume_sizemap_get_user_data, sizemap), this);
      gridlume_sizemap_delete(sizemap);
    }
  }
  for (int type : {0, 21, -4, 1000})
    EXPECT_EQ(gridlume_sizemap_new(mesh, type, stored(constant_size), nullptr), nullptr);
  EXPECT_EQ(gridlume_sizemap_new(nullptr, 4, stored(constant_size), nullptr), nullptr);
  EXPECT_EQ(gridlume_sizemap_new(mesh, 4, nullptr, nullptr), nullptr);
}

TEST_F(SizemapObject, AccessorsRefuseNullArguments) {
  gridlume_sizemap *sizemap = gridlume_sizemap_new(context, 7, stored(point_size), nullptr);
  int type = 0;
  void *data = nullptr;
  gridlume_map_function function = nullptr;
  gridlume_cad *cad = nullptr;
  gridlume_mesh *mesh = nullptr;
  EXPECT_EQ(gridlume_sizemap_get_type(nullptr, &type), -1);
  EXPECT_EQ(gridlume_sizemap_get_type(sizemap, nullptr), -1);
  EXPECT_EQ(gridlume_sizemap_get_user_data(nullptr, &data), -1);
  EXPECT_EQ(gridlume_sizemap_get_user_data(sizemap, nullptr), -1);
  EXPECT_EQ(gridlume_sizemap_get_function(nullptr, &function), -1);
  EXPECT_EQ(gridlume_sizemap_get_function(sizemap, nullptr), -1);
  EXPECT_EQ(gridlume_sizemap_get_parent_cad(nullptr, &cad), -1);
  EXPECT_EQ(gridlume_sizemap_get_parent_cad(sizemap, nullptr), -1);
  EXPECT_EQ(gridlume_sizemap_get_parent_mesh(nullptr, &mesh), -1);
  EXPECT_EQ(gridlume_sizemap_get_parent_mesh(sizemap, nullptr), -1);
  EXPECT_EQ(gridlume_sizemap_set_delete_function(nullptr, nullptr), -1);
  EXPECT_EQ(gridlume_sizemap_attach_object(nullptr, nullptr, nullptr), -1);
  gridlume_sizemap_delete(nullptr);
}

std::vector<int> released;
void release_marked(void *object) { released.push_back(*static_cast<int *>(object)); }

TEST_F(SizemapObject, DeletionReleasesAttachedObjectsNewestFirstThenNonNullUserData) {
  for (bool through_context : {false, true}) {
    SCOPED_TRACE(through_context);
    released.clear();
    gridlume_test::Context own;
    int data = 0, first = 1, second = 2;
    gridlume_sizemap *sizemap = gridlume_sizemap_new(own, 9, stored(point_metric), &data);
    ASSERT_EQ(gridlume_sizemap_set_delete_function(sizemap, release_marked), 0);
    ASSERT_EQ(gridlume_sizemap_attach_object(sizemap, &first, release_marked), 0);
    ASSERT_EQ(gridlume_sizemap_attach_object(sizemap, &second, release_marked), 0);
    ASSERT_EQ(gridlume_sizemap_attach_object(sizemap, &second, nullptr), 0);
    if (through_context)
      gridlume_context_delete(own.handle), own.handle = nullptr;
    else
      gridlume_sizemap_delete(sizemap);
    EXPECT_EQ(released, (std::vector<int>{2, 1, 0}));
  }
  // NULL user data is never released.
  released.clear();
  gridlume_sizemap *sizemap = gridlume_sizemap_new(context, 7, stored(point_size), nullptr);
  gridlume_sizemap_set_delete_function(sizemap, release_marked);
  gridlume_sizemap_delete(sizemap);
  EXPECT_TRUE(released.empty());
}

TEST_F(SizemapObject, VertexGettersCallTheFunctionOfTheirTypeOnlyAndSettersRefuse) {
  gridlume_mesh *mesh = vertex_mesh(context, 3);
  gridlume_sizemap *iso = gridlume_sizemap_new(mesh, 4, stored(constant_size), nullptr);
  gridlume_sizemap *aniso = gridlume_sizemap_new(mesh, 8, stored(constant_metric), nullptr);
  double size = 0;
  double metric[6] = {};
  EXPECT_EQ(gridlume_sizemap_iso_mesh_vertex_get_size(iso, 3, &size), 0);
  EXPECT_EQ(size, 1.5);
  EXPECT_EQ(gridlume_sizemap_iso_mesh_vertex_get_size(iso, 7, &size), 42);
  EXPECT_EQ(gridlume_sizemap_aniso_mesh_vertex_get_metric(aniso, 2, metric), 0);
  EXPECT_EQ(metric[5], 7.0);
  EXPECT_EQ(gridlume_sizemap_iso_mesh_vertex_get_size(aniso, 1, &size), -1);
  EXPECT_EQ(gridlume_sizemap_aniso_mesh_vertex_get_metric(iso, 1, metric), -1);
  EXPECT_EQ(gridlume_sizemap_iso_mesh_vertex_get_size(nullptr, 1, &size), -1);
  EXPECT_EQ(gridlume_sizemap_iso_mesh_vertex_get_size(iso, 1, nullptr), -1);
  EXPECT_EQ(gridlume_sizemap_aniso_mesh_vertex_get_metric(aniso, 1, nullptr), -1);
  // A size map of the caller's function has nothing to set.
  double values[6] = {1, 2, 3, 4, 5, 6};
  EXPECT_EQ(gridlume_sizemap_iso_mesh_vertex_set_size(nullptr, 1, values), -1);
  EXPECT_EQ(gridlume_sizemap_iso_mesh_vertex_set_size(iso, 1, nullptr), -1);
  EXPECT_EQ(gridlume_sizemap_aniso_mesh_vertex_set_metric(aniso, 1, nullptr), -1);
  EXPECT_TRUE(messages.messages().empty());
  EXPECT_EQ(gridlume_sizemap_iso_mesh_vertex_set_size(iso, 1, values), -1);
  EXPECT_EQ(gridlume_sizemap_aniso_mesh_vertex_set_metric(aniso, 1, values), -1);
  EXPECT_EQ(sent(), (Sent{{-1, "sizemap:iso_mesh_vertex_set_size : Error setting size.\n"},
                          {-1, "sizemap:aniso_mesh_vertex_set_metric : Error setting metric.\n"}}));
  EXPECT_EQ(messages.messages()[0].sender, "Core");
}

TEST_F(SizemapObject, CreationAndAttachmentReportEveryAllocationFailure) {
  gridlume_test::expect_each_allocation_failure_reported(
      [](gridlume_context *own, gridlume_test::AllocationFailure &failure) {
        gridlume_mesh *mesh = gridlume_mesh_new(own);
        failure.arm();
        return gridlume_sizemap_new(mesh, 4, stored(constant_size), nullptr);
      });
  gridlume_test::expect_each_allocation_failure_reported(
      [](gridlume_context *own, gridlume_test::AllocationFailure &failure) {
        gridlume_sizemap *sizemap = gridlume_sizemap_new(own, 7, stored(point_size), nullptr);
        failure.arm();
        return gridlume_sizemap_attach_object(sizemap, own, nullptr);
      });
}

}  // namespace
