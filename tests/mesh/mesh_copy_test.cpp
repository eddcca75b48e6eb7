// Copies of a mesh: in-memory copies (in the same or a new context) and the
// callback copy that reads through its source.
#include <gtest/gtest.h>

#include <vector>

#include "gridlume.h"
#include "gridlume_stubs.h"
#include "mesh/memory_storage.hpp"
#include "support/allocation_failure.hpp"

using gridlume_test::AllocationFailure;
using gridlume_test::for_each_allocation_failure;

namespace {

// A caller's own vertex table, served through installed callbacks.
struct CallerVertices {
  std::vector<double> xyz;
  int failing_index = 0;  // the coordinate getter fails for this vertex
  static int count(int *n, void *data) {
    *n = static_cast<int>(static_cast<CallerVertices *>(data)->xyz.size() / 3);
    return 0;
  }
  static int coordinates(int i, double *xyz, void *data) {
    auto *self = static_cast<CallerVertices *>(data);
    if (i == self->failing_index) return -4;
    for (int c = 0; c < 3; ++c) xyz[c] = self->xyz[3 * (i - 1) + c];
    return 0;
  }
  void install(gridlume_mesh *mesh) {
    gridlume_mesh_set_get_vertex_count(mesh, count, this);
    gridlume_mesh_set_get_vertex_coordinates(mesh, coordinates, this);
  }
};

int failing_count(int *, void *) { return -1; }
int two_subdomains(int *n, void *) {
  *n = 2;
  return 0;
}

// An in-memory mesh using every kind of stored data.
gridlume_mesh *rich_mesh(gridlume_context *context) {
  gridlume_mesh *mesh = gridlume_mesh_new_in_memory(context);
  gridlume_mesh_set_vertex_count(mesh, 4);
  for (int i = 1; i <= 4; ++i) {
    const double xyz[3] = {1.0 * i, 2.0 * i, 3.0 * i};
    const int tag = 10 + i;
    gridlume_mesh_set_vertex_coordinates(mesh, i, xyz);
    gridlume_mesh_set_vertex_tag(mesh, i, &tag);
  }
  gridlume_mesh_set_triangle_count(mesh, 2);
  const int first[3] = {1, 2, 3}, second[3] = {2, 4, 3};
  gridlume_mesh_set_triangle_vertices(mesh, 1, first);
  gridlume_mesh_set_triangle_vertices(mesh, 2, second);
  gridlume_mesh_set_triangle_extra_vertices(mesh, 2, 2003, second);
  const double normal[3] = {0, 0, 1};
  gridlume_mesh_set_triangle_vertex_normal_coordinates(mesh, 2, 3, normal);
  gridlume_mesh_set_subdomain_count(mesh, 1);
  gridlume_mesh_set_subdomain_description(mesh, 1, 7, 2000, 2, -1);
  gridlume_mesh_set_dimension(mesh, 2);
  gridlume_mesh_set_tag_system(mesh, gridlume_tag_system_new(2));
  const int faces1[] = {1, 2, 3}, faces2[] = {4, 5};
  gridlume_mesh_add_face_multiple_periodicity_with_transformation_function(
      mesh, faces1, 3, faces2, 2, nullptr, nullptr);
  return mesh;
}

void expect_rich_contents(gridlume_mesh *copy) {
  int count = 0;
  gridlume_mesh_get_vertex_count(copy, &count);
  EXPECT_EQ(count, 4);
  double xyz[3] = {};
  gridlume_mesh_get_vertex_coordinates(copy, 4, xyz);
  EXPECT_EQ(xyz[2], 12.0);
  int tag = 0;
  gridlume_mesh_get_vertex_tag(copy, 3, &tag);
  EXPECT_EQ(tag, 13);
  int vertices[3] = {};
  gridlume_mesh_get_triangle_vertices(copy, 2, vertices);
  EXPECT_EQ(vertices[1], 4);
  int list[3] = {};
  gridlume_mesh_get_triangle_extra_vertices(copy, 2, &count, list);
  EXPECT_EQ(count, 2003);
  EXPECT_EQ(list[2], 3);
  double normal[3] = {};
  gridlume_mesh_get_triangle_vertex_normal_coordinates(copy, 2, 3, normal);
  EXPECT_EQ(normal[2], 1.0);
  int kind = 0, index = 0, orientation = 0;
  gridlume_mesh_get_subdomain_description(copy, 1, &tag, &kind, &index, &orientation);
  EXPECT_EQ(tag, 7);
  EXPECT_EQ(orientation, -1);
  int dimension = 0;
  gridlume_mesh_get_dimension(copy, &dimension);
  EXPECT_EQ(dimension, 2);
  gridlume_tag_system *tags = nullptr;
  gridlume_mesh_get_tag_system(copy, &tags);
  EXPECT_NE(tags, nullptr);
  gridlume_mesh_get_face_multiple_periodicity_count(copy, &count);
  EXPECT_EQ(count, 1);
}

}  // namespace

TEST(InMemoryCopy, HoldsEveryAttributeSubdomainTagSystemAndPeriodicity) {
  gridlume_context *context = gridlume_context_new();
  gridlume_mesh *source = rich_mesh(context);
  gridlume_mesh *copy = gridlume_mesh_new_in_memory_copy(source);
  ASSERT_NE(copy, nullptr);
  gridlume_context *copy_context = nullptr;
  gridlume_mesh_get_context(copy, &copy_context);
  EXPECT_EQ(copy_context, context);
  gridlume_mesh_delete(source);
  expect_rich_contents(copy);
  gridlume_tag_system *tags = nullptr;
  gridlume_mesh_get_tag_system(copy, &tags);
  // Attributes the source never stored are not created in the copy.
  EXPECT_EQ(gridlume::storage_of(copy)->arrays[gridlume::slot_vertex_normal_coordinates].length,
            0);
  EXPECT_EQ(gridlume::storage_of(copy)->arrays[gridlume::slot_triangle_tag].length, 0);
  gridlume_context_delete(context);
}

TEST(InMemoryCopy, DefaultGettersAreSkippedAndCallerGettersCopied) {
  gridlume_context *context = gridlume_context_new();
  gridlume_mesh *source = gridlume_mesh_new(context);
  CallerVertices caller{{0, 0, 0, 1, 0, 0, 0, 1, 0}};
  caller.install(source);
  gridlume_mesh *copy = gridlume_mesh_new_in_memory_copy(source);
  ASSERT_NE(copy, nullptr);
  double xyz[3] = {};
  EXPECT_EQ(gridlume_mesh_get_vertex_coordinates(copy, 3, xyz), 0);
  EXPECT_EQ(xyz[1], 1.0);
  const gridlume::MeshStorage &storage = *gridlume::storage_of(copy);
  EXPECT_EQ(storage.arrays[gridlume::slot_vertex_coordinates].length, 3);
  EXPECT_EQ(storage.arrays[gridlume::slot_vertex_tag].length, 0);
  gridlume_context_delete(context);
}

TEST(InMemoryCopy, AFailingSourceLeavesNothingBehind) {
  gridlume_context *context = gridlume_context_new();
  long before = gridlume_stubs_live_block_count();
  gridlume_mesh *source = gridlume_mesh_new(context);
  CallerVertices caller{{0, 0, 0, 1, 0, 0}, 2};
  caller.install(source);
  EXPECT_EQ(gridlume_mesh_new_in_memory_copy(source), nullptr);
  EXPECT_EQ(gridlume_mesh_new_in_memory_independent_copy(source), nullptr);
  // Subdomains that the source counts but cannot describe fail the copy too.
  caller.failing_index = 0;
  gridlume_mesh_set_get_subdomain_count(source, two_subdomains, nullptr);
  EXPECT_EQ(gridlume_mesh_new_in_memory_copy(source), nullptr);
  // A count that cannot be read fails the copy.
  gridlume_mesh_set_get_subdomain_count(source, nullptr, nullptr);
  gridlume_mesh_set_get_edge_count(source, failing_count, nullptr);
  EXPECT_EQ(gridlume_mesh_new_in_memory_copy(source), nullptr);
  gridlume_mesh_delete(source);
  EXPECT_EQ(gridlume_stubs_live_block_count(), before);
  EXPECT_EQ(gridlume_mesh_new_in_memory_copy(nullptr), nullptr);
  EXPECT_EQ(gridlume_mesh_new_in_memory_independent_copy(nullptr), nullptr);
  gridlume_context_delete(context);
}

TEST(InMemoryCopy, PeriodicityDataOwnedByTheSourceIsReleasedOnce) {
  gridlume_context *context = gridlume_context_new();
  gridlume_mesh *source = gridlume_mesh_new_in_memory(context);
  const int faces[] = {1, 2};
  gridlume_mesh_add_face_multiple_periodicity_with_transformation_function(
      source, faces, 2, faces, 2, nullptr, gridlume_malloc(16));
  source->periodicity_records[0].owns_user_data = 1;  // as if made from point pairs
  gridlume_mesh *copy = gridlume_mesh_new_in_memory_copy(source);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->periodicity_records[0].owns_user_data, 0);
  EXPECT_EQ(copy->periodicity_records[0].user_data, source->periodicity_records[0].user_data);
  EXPECT_EQ(copy->periodicity_capacity, source->periodicity_capacity);
  gridlume_mesh_delete(source);
  gridlume_mesh_delete(copy);
  gridlume_context_delete(context);
}

TEST(InMemoryCopy, AnIndependentCopyOutlivesTheSourceContext) {
  gridlume_context *context = gridlume_context_new();
  gridlume_mesh *copy = gridlume_mesh_new_in_memory_independent_copy(rich_mesh(context));
  ASSERT_NE(copy, nullptr);
  gridlume_context_delete(context);
  expect_rich_contents(copy);
  gridlume_context *own = nullptr;
  ASSERT_EQ(gridlume_mesh_get_context(copy, &own), 0);
  EXPECT_NE(own, context);
  gridlume_context_delete(own);
}

TEST(InMemoryCopy, BothCopiesSurviveEveryAllocationFailure) {
  for (bool independent : {false, true}) {
    for_each_allocation_failure([independent](AllocationFailure &failure) {
      gridlume_context *context = gridlume_context_new();
      gridlume_mesh *source = rich_mesh(context);
      failure.arm();
      gridlume_mesh *copy = independent ? gridlume_mesh_new_in_memory_independent_copy(source)
                                        : gridlume_mesh_new_in_memory_copy(source);
      failure.disarm();
      EXPECT_EQ(copy == nullptr, failure.happened());
      if (copy != nullptr) {
        expect_rich_contents(copy);
        gridlume_context *own = nullptr;
        gridlume_mesh_get_context(copy, &own);
        if (own != context) gridlume_context_delete(own);
      }
      gridlume_context_delete(context);
    });
  }
}

TEST(CallbackCopy, ReadsThroughTheSourceWithinTheCountsOfTheCopy) {
  gridlume_context *context = gridlume_context_new();
  gridlume_mesh *source = gridlume_mesh_new(context);
  CallerVertices caller{{1, 2, 3, 4, 5, 6}};
  caller.install(source);
  gridlume_mesh *copy = gridlume_mesh_new_copy(source);
  ASSERT_NE(copy, nullptr);
  double xyz[3] = {};
  EXPECT_EQ(gridlume_mesh_get_vertex_coordinates(copy, 2, xyz), 0);
  EXPECT_EQ(xyz[2], 6.0);
  EXPECT_EQ(gridlume_mesh_get_vertex_coordinates(copy, 0, xyz), -1);
  // The source grows: the count is the source's own, the new vertex reads zeros.
  caller.xyz.insert(caller.xyz.end(), {7, 8, 9});
  int count = 0;
  gridlume_mesh_get_vertex_count(copy, &count);
  EXPECT_EQ(count, 3);
  xyz[0] = xyz[1] = xyz[2] = 9;
  EXPECT_EQ(gridlume_mesh_get_vertex_coordinates(copy, 3, xyz), 0);
  EXPECT_EQ(xyz[0], 0.0);
  EXPECT_EQ(xyz[2], 0.0);
  // The source's failures come back unchanged.
  caller.failing_index = 1;
  EXPECT_EQ(gridlume_mesh_get_vertex_coordinates(copy, 1, xyz), -4);
  gridlume_context_delete(context);
}

TEST(CallbackCopy, SharesSettersCountsSubdomainsAndZerosWholeOutputs) {
  gridlume_context *context = gridlume_context_new();
  gridlume_mesh *source = rich_mesh(context);
  gridlume_mesh *copy = gridlume_mesh_new_copy(source);
  ASSERT_NE(copy, nullptr);
  expect_rich_contents(copy);
  const int tag = 99;
  ASSERT_EQ(gridlume_mesh_set_vertex_tag(copy, 1, &tag), 0);  // writes into the source
  int read = 0;
  gridlume_mesh_get_vertex_tag(source, 1, &read);
  EXPECT_EQ(read, 99);
  gridlume_mesh_set_triangle_count(copy, 3);
  int vertices[3] = {9, 9, 9};
  EXPECT_EQ(gridlume_mesh_get_triangle_vertices(copy, 3, vertices), 0);
  EXPECT_EQ(vertices[2], 0);
  int extra = 9, list[1] = {9};
  EXPECT_EQ(gridlume_mesh_get_triangle_extra_vertices(copy, 3, &extra, list), 0);
  EXPECT_EQ(extra, 0);
  double normal[3] = {9, 9, 9};
  EXPECT_EQ(gridlume_mesh_get_triangle_vertex_normal_coordinates(copy, 3, 2, normal), 0);
  EXPECT_EQ(normal[1], 0.0);
  gridlume_context_delete(context);
}

TEST(CallbackCopy, AnUnreadableCountKeepsTheDefaultGetter) {
  gridlume_context *context = gridlume_context_new();
  gridlume_mesh *source = gridlume_mesh_new(context);
  gridlume_mesh_set_get_edge_count(source, failing_count, nullptr);
  gridlume_mesh *copy = gridlume_mesh_new_copy(source);
  ASSERT_NE(copy, nullptr);
  EXPECT_TRUE(gridlume::has_default_getter(copy->slots[gridlume::slot_edge_tag],
                                           gridlume::slot_edge_tag));
  EXPECT_FALSE(gridlume::has_default_getter(copy->slots[gridlume::slot_vertex_tag],
                                            gridlume::slot_vertex_tag));
  EXPECT_EQ(gridlume_mesh_new_copy(nullptr), nullptr);
  gridlume_context_delete(context);
}

TEST(CallbackCopy, SurvivesEveryAllocationFailure) {
  for_each_allocation_failure([](AllocationFailure &failure) {
    gridlume_context *context = gridlume_context_new();
    gridlume_mesh *source = rich_mesh(context);
    failure.arm();
    gridlume_mesh *copy = gridlume_mesh_new_copy(source);
    failure.disarm();
    EXPECT_EQ(copy == nullptr, failure.happened());
    gridlume_context_delete(context);
  });
}
