// The mesh object: default callbacks, dispatch to installed callbacks, the
// attributes the mesh stores itself, and deletion with what it owns.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gridlume_stubs.h"
#include "mesh/mesh.hpp"
#include "support/test_helpers.hpp"

using namespace gridlume_test;

namespace {

struct MeshObject : ::testing::Test {
  Context context;
  gridlume_mesh *mesh = gridlume_mesh_new(context);
};

int calls_seen = 0;
int count_call(int, const int *, void *data) {
  ++calls_seen;
  return *static_cast<int *>(data);
}
int answer_seven(int, int *value, void *) {
  *value = 7;
  return 0;
}

std::vector<std::string> deleted;
void record_deletion(void *name) { deleted.push_back(static_cast<const char *>(name)); }

}  // namespace

TEST_F(MeshObject, NewMeshDescribesNothingAndAcceptsNothingButADimensionOfTwoOrThree) {
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_count, mesh), 0);
  EXPECT_EQ(value_of(gridlume_mesh_get_subdomain_count, mesh), 0);
  EXPECT_EQ(gridlume_mesh_get_vertex_count(mesh, nullptr), -1);
  EXPECT_EQ(gridlume_mesh_set_vertex_count(mesh, 3), -1);
  EXPECT_EQ(gridlume_mesh_set_subdomain_count(mesh, 3), -1);
  int tag = 0, kind = 0, index = 0, orientation = 0;
  EXPECT_EQ(gridlume_mesh_get_subdomain_description(mesh, 1, &tag, &kind, &index, &orientation),
            -1);
  EXPECT_EQ(gridlume_mesh_set_subdomain_description(mesh, 1, 1, 2000, 1, 1), -1);
  const double xyz_in[3] = {1, 2, 3};
  EXPECT_EQ(gridlume_mesh_set_vertex_coordinates(mesh, 1, xyz_in), -1);
  EXPECT_EQ(gridlume_mesh_set_triangle_vertex_normal_coordinates(mesh, 1, 1, xyz_in), -1);
  EXPECT_EQ(gridlume_mesh_set_edge_extra_vertices(mesh, 1, 1001, nullptr), -1);
  EXPECT_EQ(value_of(gridlume_mesh_get_dimension, mesh), 3);
  EXPECT_EQ(gridlume_mesh_set_dimension(mesh, 1), -1);
  EXPECT_EQ(gridlume_mesh_set_dimension(mesh, 4), -1);
  EXPECT_EQ(value_of(gridlume_mesh_get_dimension, mesh), 3);
  EXPECT_EQ(gridlume_mesh_set_dimension(mesh, 2), 0);
  EXPECT_EQ(value_of(gridlume_mesh_get_dimension, mesh), 2);
  EXPECT_EQ(gridlume_mesh_get_dimension(mesh, nullptr), -1);
}

TEST_F(MeshObject, DefaultGettersWriteOnlyWhatTheyPromise) {
  using Reals = std::array<double, 3>;
  // Coordinates: the first value only; normals: all three.
  EXPECT_EQ(values_of<3>(gridlume_mesh_get_vertex_coordinates, mesh, 1)[0], 0.0);
  EXPECT_TRUE(std::isnan(values_of<3>(gridlume_mesh_get_vertex_coordinates, mesh, 1)[1]));
  EXPECT_EQ(values_of<3>(gridlume_mesh_get_vertex_normal_coordinates, mesh, 1), (Reals{0, 0, 0}));
  EXPECT_EQ(values_of<3>(gridlume_mesh_get_quadrangle_vertex_normal_coordinates, mesh, 1, 4),
            (Reals{0, 0, 0}));
  EXPECT_EQ(gridlume_mesh_get_vertex_coordinates(mesh, 1, nullptr), -1);
  const int u = unwritten<int>();
  EXPECT_EQ(values_of<4>(gridlume_mesh_get_tetrahedron_vertices, mesh, 1),
            (std::array<int, 4>{0, u, u, u}));
  int count = 9, list[2] = {9, 9};
  EXPECT_EQ(gridlume_mesh_get_prism_extra_vertices(mesh, 1, &count, list), 0);
  EXPECT_EQ((std::array<int, 3>{count, list[0], list[1]}), (std::array<int, 3>{0, 0, 9}));
  count = 9;
  EXPECT_EQ(gridlume_mesh_get_prism_extra_vertices(mesh, 1, &count, nullptr), -1);
  EXPECT_EQ(count, 0);
}

TEST_F(MeshObject, NullMeshAnswersMinusOneFromEveryFamily) {
  int value = 0;
  EXPECT_EQ(gridlume_mesh_get_vertex_count(nullptr, &value), -1);
  EXPECT_EQ(gridlume_mesh_set_edge_tag(nullptr, 1, &value), -1);
  EXPECT_EQ(gridlume_mesh_set_get_edge_tag(nullptr, answer_seven, nullptr), -1);
  EXPECT_EQ(gridlume_mesh_set_set_edge_tag(nullptr, count_call, nullptr), -1);
  EXPECT_EQ(gridlume_mesh_get_vertex_required_status(nullptr, 1, &value), -1);
  EXPECT_EQ(gridlume_mesh_get_dimension(nullptr, &value), -1);
  EXPECT_EQ(gridlume_mesh_set_dimension(nullptr, 3), -1);
  EXPECT_EQ(gridlume_mesh_attach_object(nullptr, nullptr, nullptr), -1);
  EXPECT_EQ(gridlume_mesh_calloc_generic_buffer(nullptr), nullptr);
  gridlume_mesh_free_generic_buffer(nullptr);
  gridlume_cad_free_generic_buffer(nullptr);
  gridlume_mesh_delete(nullptr);
}

TEST_F(MeshObject, InstalledCallbacksAnswerForTheirSlotAndRequiredStatusNamesShareOne) {
  int answer = -3;
  calls_seen = 0;
  ASSERT_EQ(gridlume_mesh_set_set_edge_tag(mesh, count_call, &answer), 0);
  const int tag = 4;
  EXPECT_EQ(gridlume_mesh_set_edge_tag(mesh, 1, &tag), -3);
  EXPECT_EQ(calls_seen, 1);
  // A NULL callback is stored as given and then refused.
  ASSERT_EQ(gridlume_mesh_set_set_edge_tag(mesh, nullptr, nullptr), 0);
  EXPECT_EQ(gridlume_mesh_set_edge_tag(mesh, 1, &tag), -1);
  answer = 0;
  ASSERT_EQ(gridlume_mesh_set_set_triangle_required_status(mesh, count_call, &answer), 0);
  EXPECT_EQ(gridlume_mesh_set_triangle_required_property(mesh, 1, &tag), 0);
  EXPECT_EQ(gridlume_mesh_set_triangle_required_status(mesh, 1, &tag), 0);
  EXPECT_EQ(calls_seen, 3);
  ASSERT_EQ(gridlume_mesh_set_get_vertex_required_property(mesh, answer_seven, nullptr), 0);
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_required_status, mesh, 1), 7);
}

TEST_F(MeshObject, GetContextTellsAMeshFromAnythingElse) {
  EXPECT_EQ(value_of(gridlume_mesh_get_context, mesh), context.handle);
  struct {
    int type_tag = 1231;
    void *rest[4] = {};
  } not_a_mesh;
  for (gridlume_mesh *other : {reinterpret_cast<gridlume_mesh *>(&not_a_mesh),
                               static_cast<gridlume_mesh *>(nullptr)}) {
    gridlume_context *found = context;
    EXPECT_EQ(gridlume_mesh_get_context(other, &found), -1);
    EXPECT_EQ(found, nullptr);
  }
  EXPECT_EQ(gridlume_mesh_get_context(mesh, nullptr), -1);
}

TEST_F(MeshObject, PeriodicityRecordsKeepCopiesWidenTheGenericBufferAndGrow) {
  std::vector<int> faces1(100), faces2(60);
  for (int f = 0; f < 100; ++f) faces1[f] = f + 1;
  for (int f = 0; f < 60; ++f) faces2[f] = 1000 + f;
  int marker = 0;
  ASSERT_EQ(gridlume_mesh_add_face_multiple_periodicity_with_transformation_function(
                mesh, faces1.data(), 100, faces2.data(), 60, nullptr, &marker),
            0);
  faces1[0] = -1;  // the mesh kept its own copy
  EXPECT_GE(mesh->generic_buffer_minimum, 400);
  EXPECT_EQ(value_of(gridlume_mesh_get_face_multiple_periodicity_count, mesh), 1);

  // Two generic buffers receive the lists; writing 400 bytes into one is
  // within its bounds (checked under the address sanitizer).
  int *list1 = static_cast<int *>(gridlume_mesh_calloc_generic_buffer(mesh));
  int *list2 = static_cast<int *>(gridlume_mesh_calloc_generic_buffer(mesh));
  list1[99] = 0;
  int size1 = 0, size2 = 0;
  gridlume_transformation_function function = nullptr;
  void *data = nullptr;
  auto get = [&](int record) {
    return gridlume_mesh_get_face_multiple_periodicity(mesh, record, &list1, &size1, &list2,
                                                       &size2, &function, &data);
  };
  EXPECT_EQ(get(1), 0);
  EXPECT_EQ((std::array<int, 5>{size1, size2, list1[0], list1[99], list2[59]}),
            (std::array<int, 5>{100, 60, 1, 100, 1059}));
  EXPECT_EQ(data, &marker);
  EXPECT_EQ(get(2), -1);
  // The record array grows beyond its first steps.
  for (int r = 1; r < 3 * gridlume::periodicity_growth; ++r)
    ASSERT_EQ(gridlume_mesh_add_face_multiple_periodicity_with_transformation_function(
                  mesh, faces2.data(), 2, faces2.data(), 1, nullptr, nullptr),
              0);
  EXPECT_EQ(value_of(gridlume_mesh_get_face_multiple_periodicity_count, mesh),
            3 * gridlume::periodicity_growth);
  EXPECT_EQ(get(1), 0);
  EXPECT_EQ(list1[99], 100);
  gridlume_mesh_free_generic_buffer(list1);
  gridlume_mesh_free_generic_buffer(list2);
  EXPECT_EQ(gridlume_mesh_add_face_multiple_periodicity_with_transformation_function(
                mesh, nullptr, 0, faces2.data(), 1, nullptr, nullptr),
            -1);
}

TEST(MeshLifeCycle, DeletingTheContextDeletesMeshesWithTheirAttachmentsNewestFirst) {
  long before = gridlume_stubs_live_block_count();
  gridlume_context *context = gridlume_context_new();
  gridlume_mesh *first = gridlume_mesh_new(context);
  gridlume_mesh *second = gridlume_mesh_new(context);
  static char a[] = "first:a", b[] = "first:b", c[] = "second:c";
  ASSERT_EQ(gridlume_mesh_attach_object(first, a, record_deletion), 0);
  ASSERT_EQ(gridlume_mesh_attach_object(first, b, record_deletion), 0);
  ASSERT_EQ(gridlume_mesh_attach_object(second, c, record_deletion), 0);
  ASSERT_EQ(gridlume_mesh_attach_object(second, nullptr, nullptr), 0);
  gridlume_mesh_set_tag_system(first, gridlume_tag_system_new(1));
  deleted.clear();
  gridlume_context_delete(context);
  EXPECT_EQ(deleted, (std::vector<std::string>{"second:c", "first:b", "first:a"}));
  EXPECT_EQ(gridlume_stubs_live_block_count(), before);
}

TEST(MeshLifeCycle, ADeletedMeshTakesItsTagSystemAndIsForgottenByItsContext) {
  long before = gridlume_stubs_live_block_count();
  gridlume_context *context = gridlume_context_new();
  gridlume_mesh *mesh = gridlume_mesh_new(context);
  static char name[] = "object";
  gridlume_mesh_attach_object(mesh, name, record_deletion);
  gridlume_tag_system *tags = gridlume_tag_system_new(4);
  ASSERT_EQ(gridlume_mesh_set_tag_system(mesh, tags), 0);
  EXPECT_EQ(value_of(gridlume_mesh_get_tag_system, mesh), tags);
  deleted.clear();
  gridlume_mesh_delete(mesh);
  EXPECT_EQ(deleted.size(), 1u);
  gridlume_context_delete(context);  // must not delete the mesh again
  EXPECT_EQ(deleted.size(), 1u);
  EXPECT_EQ(gridlume_stubs_live_block_count(), before);
}

TEST(MeshLifeCycle, NewMeshAttachAndPeriodicitySurviveEveryAllocationFailure) {
  EXPECT_EQ(gridlume_mesh_new(nullptr), nullptr);
  expect_each_allocation_failure_reported([](gridlume_context *context, AllocationFailure &failure) {
    failure.arm();
    gridlume_mesh *mesh = gridlume_mesh_new(context);
    return mesh ? gridlume_mesh_attach_object(mesh, nullptr, nullptr) : -5;
  });
  expect_each_allocation_failure_reported([](gridlume_context *context, AllocationFailure &failure) {
    gridlume_mesh *mesh = gridlume_mesh_new(context);
    const int faces[] = {1, 2, 3};
    failure.arm();
    int status = 0;
    for (int r = 0; r < 9 && status == 0; ++r)
      status = gridlume_mesh_add_face_multiple_periodicity_with_transformation_function(
          mesh, faces, 3, faces, 2, nullptr, nullptr);
    return status;
  });
}
