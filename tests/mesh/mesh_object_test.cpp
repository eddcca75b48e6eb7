// The mesh object: default callbacks, dispatch to installed callbacks, the
// attributes the mesh stores itself, and deletion with what it owns.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gridlume.h"
#include "gridlume_stubs.h"
#include "mesh/mesh.hpp"
#include "support/allocation_failure.hpp"

using gridlume_test::AllocationFailure;
using gridlume_test::for_each_allocation_failure;

namespace {

class MeshObject : public ::testing::Test {
 protected:
  void SetUp() override { mesh = gridlume_mesh_new(context); }
  void TearDown() override { gridlume_context_delete(context); }
  gridlume_context *context = gridlume_context_new();
  gridlume_mesh *mesh = nullptr;
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

TEST_F(MeshObject, NewMeshDescribesNothingAndAcceptsNothing) {
  int count = -1;
  EXPECT_EQ(gridlume_mesh_get_vertex_count(mesh, &count), 0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(gridlume_mesh_get_subdomain_count(mesh, &count), 0);
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
}

TEST_F(MeshObject, DefaultGettersWriteOnlyWhatTheyPromise) {
  double xyz[3] = {9, 9, 9};
  EXPECT_EQ(gridlume_mesh_get_vertex_coordinates(mesh, 1, xyz), 0);
  EXPECT_EQ(xyz[0], 0.0);  // the first value only
  EXPECT_EQ(xyz[1], 9.0);
  double normal[3] = {9, 9, 9};
  EXPECT_EQ(gridlume_mesh_get_vertex_normal_coordinates(mesh, 1, normal), 0);
  EXPECT_EQ(normal[2], 0.0);
  EXPECT_EQ(gridlume_mesh_get_quadrangle_vertex_normal_coordinates(mesh, 1, 4, normal), 0);
  EXPECT_EQ(gridlume_mesh_get_vertex_coordinates(mesh, 1, nullptr), -1);
  int vertices[4] = {9, 9, 9, 9};
  EXPECT_EQ(gridlume_mesh_get_tetrahedron_vertices(mesh, 1, vertices), 0);
  EXPECT_EQ(vertices[0], 0);
  EXPECT_EQ(vertices[1], 9);
  int count = 9, list[2] = {9, 9};
  EXPECT_EQ(gridlume_mesh_get_prism_extra_vertices(mesh, 1, &count, list), 0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(list[0], 0);
  EXPECT_EQ(list[1], 9);
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

TEST_F(MeshObject, InstalledCallbacksReceiveTheirArgumentsAndTheirStatusComesBack) {
  int answer = -3;
  calls_seen = 0;
  ASSERT_EQ(gridlume_mesh_set_set_edge_tag(mesh, count_call, &answer), 0);
  const int tag = 4;
  EXPECT_EQ(gridlume_mesh_set_edge_tag(mesh, 1, &tag), -3);
  EXPECT_EQ(calls_seen, 1);
  // A NULL callback is stored as given and then refused.
  ASSERT_EQ(gridlume_mesh_set_set_edge_tag(mesh, nullptr, nullptr), 0);
  EXPECT_EQ(gridlume_mesh_set_edge_tag(mesh, 1, &tag), -1);
}

TEST_F(MeshObject, RequiredStatusNamesShareTheRequiredPropertySlot) {
  int answer = 0;
  calls_seen = 0;
  ASSERT_EQ(gridlume_mesh_set_set_triangle_required_status(mesh, count_call, &answer), 0);
  const int flag = 1;
  EXPECT_EQ(gridlume_mesh_set_triangle_required_property(mesh, 1, &flag), 0);
  EXPECT_EQ(gridlume_mesh_set_triangle_required_status(mesh, 1, &flag), 0);
  EXPECT_EQ(calls_seen, 2);
  ASSERT_EQ(gridlume_mesh_set_get_vertex_required_property(mesh, answer_seven, nullptr), 0);
  int value = 0;
  EXPECT_EQ(gridlume_mesh_get_vertex_required_status(mesh, 1, &value), 0);
  EXPECT_EQ(value, 7);
}

TEST_F(MeshObject, DimensionAcceptsOnlyTwoOrThree) {
  int dimension = 0;
  ASSERT_EQ(gridlume_mesh_get_dimension(mesh, &dimension), 0);
  EXPECT_EQ(dimension, 3);
  EXPECT_EQ(gridlume_mesh_set_dimension(mesh, 1), -1);
  EXPECT_EQ(gridlume_mesh_set_dimension(mesh, 4), -1);
  gridlume_mesh_get_dimension(mesh, &dimension);
  EXPECT_EQ(dimension, 3);
  EXPECT_EQ(gridlume_mesh_set_dimension(mesh, 2), 0);
  gridlume_mesh_get_dimension(mesh, &dimension);
  EXPECT_EQ(dimension, 2);
  EXPECT_EQ(gridlume_mesh_get_dimension(mesh, nullptr), -1);
}

TEST_F(MeshObject, GetContextTellsAMeshFromAnythingElse) {
  gridlume_context *found = nullptr;
  EXPECT_EQ(gridlume_mesh_get_context(mesh, &found), 0);
  EXPECT_EQ(found, context);
  struct {
    int type_tag = 1231;
    void *rest[4] = {};
  } not_a_mesh;
  found = context;
  EXPECT_EQ(gridlume_mesh_get_context(reinterpret_cast<gridlume_mesh *>(&not_a_mesh), &found),
            -1);
  EXPECT_EQ(found, nullptr);
  found = context;
  EXPECT_EQ(gridlume_mesh_get_context(nullptr, &found), -1);
  EXPECT_EQ(found, nullptr);
  EXPECT_EQ(gridlume_mesh_get_context(mesh, nullptr), -1);
}

TEST_F(MeshObject, PeriodicityRecordsKeepCopiesAndWidenTheGenericBuffer) {
  std::vector<int> faces1(100), faces2(60);
  for (int f = 0; f < 100; ++f) faces1[f] = f + 1;
  for (int f = 0; f < 60; ++f) faces2[f] = 1000 + f;
  int marker = 0;
  ASSERT_EQ(gridlume_mesh_add_face_multiple_periodicity_with_transformation_function(
                mesh, faces1.data(), 100, faces2.data(), 60, nullptr, &marker),
            0);
  faces1[0] = -1;  // the mesh kept its own copy
  EXPECT_GE(mesh->generic_buffer_minimum, 400);
  int count = 0;
  ASSERT_EQ(gridlume_mesh_get_face_multiple_periodicity_count(mesh, &count), 0);
  EXPECT_EQ(count, 1);

  // Two generic buffers receive the lists; writing 400 bytes into one is
  // within its bounds (checked under the address sanitizer).
  int *list1 = static_cast<int *>(gridlume_mesh_calloc_generic_buffer(mesh));
  int *list2 = static_cast<int *>(gridlume_mesh_calloc_generic_buffer(mesh));
  list1[99] = 0;
  int size1 = 0, size2 = 0;
  gridlume_transformation_function function = nullptr;
  void *data = nullptr;
  EXPECT_EQ(gridlume_mesh_get_face_multiple_periodicity(mesh, 1, &list1, &size1, &list2, &size2,
                                                        &function, &data),
            0);
  EXPECT_EQ(size1, 100);
  EXPECT_EQ(size2, 60);
  EXPECT_EQ(list1[0], 1);
  EXPECT_EQ(list1[99], 100);
  EXPECT_EQ(list2[59], 1059);
  EXPECT_EQ(data, &marker);
  EXPECT_EQ(gridlume_mesh_get_face_multiple_periodicity(mesh, 2, &list1, &size1, &list2, &size2,
                                                        &function, &data),
            -1);
  gridlume_mesh_free_generic_buffer(list1);
  gridlume_mesh_free_generic_buffer(list2);
  EXPECT_EQ(gridlume_mesh_add_face_multiple_periodicity_with_transformation_function(
                mesh, nullptr, 0, faces2.data(), 1, nullptr, nullptr),
            -1);
}

TEST_F(MeshObject, PeriodicityArrayGrowsBeyondItsFirstStep) {
  const int faces[] = {1, 2};
  for (int r = 0; r < 3 * gridlume::periodicity_growth; ++r)
    ASSERT_EQ(gridlume_mesh_add_face_multiple_periodicity_with_transformation_function(
                  mesh, faces, 2, faces, 1, nullptr, nullptr),
              0);
  int count = 0;
  gridlume_mesh_get_face_multiple_periodicity_count(mesh, &count);
  EXPECT_EQ(count, 3 * gridlume::periodicity_growth);
}

TEST_F(MeshObject, TagSystemIsStoredAndDeletedWithTheMesh) {
  long before = gridlume_stubs_live_block_count();
  gridlume_tag_system *tags = gridlume_tag_system_new(4);
  ASSERT_EQ(gridlume_mesh_set_tag_system(mesh, tags), 0);
  gridlume_tag_system *found = nullptr;
  EXPECT_EQ(gridlume_mesh_get_tag_system(mesh, &found), 0);
  EXPECT_EQ(found, tags);
  gridlume_mesh_delete(mesh);
  EXPECT_LT(gridlume_stubs_live_block_count(), before);  // the mesh and its tag system
  mesh = nullptr;
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

TEST(MeshLifeCycle, ADeletedMeshIsForgottenByItsContext) {
  long before = gridlume_stubs_live_block_count();
  gridlume_context *context = gridlume_context_new();
  gridlume_mesh *mesh = gridlume_mesh_new(context);
  static char name[] = "object";
  gridlume_mesh_attach_object(mesh, name, record_deletion);
  deleted.clear();
  gridlume_mesh_delete(mesh);
  EXPECT_EQ(deleted.size(), 1u);
  gridlume_context_delete(context);  // must not delete the mesh again
  EXPECT_EQ(deleted.size(), 1u);
  EXPECT_EQ(gridlume_stubs_live_block_count(), before);
}

TEST(MeshLifeCycle, NewMeshAndAttachSurviveEveryAllocationFailure) {
  EXPECT_EQ(gridlume_mesh_new(nullptr), nullptr);
  for_each_allocation_failure([](AllocationFailure &failure) {
    gridlume_context *context = gridlume_context_new();
    failure.arm();
    gridlume_mesh *mesh = gridlume_mesh_new(context);
    int attached = mesh ? gridlume_mesh_attach_object(mesh, nullptr, nullptr) : -5;
    failure.disarm();
    if (failure.happened()) {
      EXPECT_EQ(attached, -5);
    } else {
      EXPECT_EQ(attached, 0);
    }
    gridlume_context_delete(context);
  });
}

TEST(MeshLifeCycle, PeriodicityRecordsSurviveEveryAllocationFailure) {
  for_each_allocation_failure([](AllocationFailure &failure) {
    gridlume_context *context = gridlume_context_new();
    gridlume_mesh *mesh = gridlume_mesh_new(context);
    const int faces[] = {1, 2, 3};
    failure.arm();
    int status = 0;
    for (int r = 0; r < 9 && status == 0; ++r)
      status = gridlume_mesh_add_face_multiple_periodicity_with_transformation_function(
          mesh, faces, 3, faces, 2, nullptr, nullptr);
    failure.disarm();
    EXPECT_EQ(status, failure.happened() ? -5 : 0);
    gridlume_context_delete(context);
  });
}
