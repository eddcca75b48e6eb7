// Copies of a mesh: in-memory copies (in the same or a new context) and the
// callback copy that reads through its source.
#include <gtest/gtest.h>

#include <vector>

#include "gridlume_stubs.h"
#include "mesh/memory_storage.hpp"
#include "mesh_builder.hpp"

using namespace gridlume_test;

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
  gridlume_mesh *mesh(gridlume_context *context) {
    gridlume_mesh *source = gridlume_mesh_new(context);
    gridlume_mesh_set_get_vertex_count(source, count, this);
    gridlume_mesh_set_get_vertex_coordinates(source, coordinates, this);
    return source;
  }
};

int failing_count(int *, void *) { return -1; }
int two_subdomains(int *n, void *) {
  *n = 2;
  return 0;
}
int stored_length(gridlume_mesh *mesh, gridlume::Slot slot) {
  return gridlume::storage_of(mesh)->arrays[slot].length;
}

}  // namespace

TEST(InMemoryCopy, HoldsEverythingOnceTheSourceOrItsContextIsGone) {
  gridlume_context *context = gridlume_context_new();
  gridlume_mesh *source = rich_mesh(context);
  gridlume_mesh *copy = gridlume_mesh_new_in_memory_copy(source);
  gridlume_mesh *independent = gridlume_mesh_new_in_memory_independent_copy(source);
  ASSERT_NE(copy, nullptr);
  ASSERT_NE(independent, nullptr);
  EXPECT_EQ(value_of(gridlume_mesh_get_context, copy), context);
  gridlume_mesh_delete(source);
  expect_rich_contents(copy);
  // Attributes the source never stored are not created in the copy.
  EXPECT_EQ(stored_length(copy, gridlume::slot_vertex_normal_coordinates), 0);
  EXPECT_EQ(stored_length(copy, gridlume::slot_edge_tag), 0);
  gridlume_context_delete(context);
  expect_rich_contents(independent);
  gridlume_context *own = value_of(gridlume_mesh_get_context, independent);
  EXPECT_NE(own, context);
  gridlume_context_delete(own);
}

TEST(InMemoryCopy, DefaultGettersAreSkippedAndCallerGettersCopied) {
  Context context;
  CallerVertices caller{{0, 0, 0, 1, 0, 0, 0, 1, 0}};
  gridlume_mesh *copy = gridlume_mesh_new_in_memory_copy(caller.mesh(context));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(values_of<3>(gridlume_mesh_get_vertex_coordinates, copy, 3)[1], 1.0);
  EXPECT_EQ(stored_length(copy, gridlume::slot_vertex_coordinates), 3);
  EXPECT_EQ(stored_length(copy, gridlume::slot_vertex_tag), 0);
}

TEST(InMemoryCopy, AFailingSourceLeavesNothingBehind) {
  Context context;
  long before = gridlume_stubs_live_block_count();
  CallerVertices caller{{0, 0, 0, 1, 0, 0}, 2};
  gridlume_mesh *source = caller.mesh(context);
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
}

TEST(InMemoryCopy, PeriodicityDataOwnedByTheSourceIsReleasedOnce) {
  Context context;
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
}

TEST(MeshCopies, EveryCopySurvivesEveryAllocationFailure) {
  for (auto make : {gridlume_mesh_new_in_memory_copy, gridlume_mesh_new_in_memory_independent_copy,
                    gridlume_mesh_new_copy}) {
    gridlume_context *source_context = nullptr;
    expect_each_allocation_failure_reported(
        [&](gridlume_context *context, AllocationFailure &failure) {
          gridlume_mesh *source = rich_mesh(source_context = context);
          failure.arm();
          return make(source);
        },
        [&](gridlume_mesh *copy) {
          expect_rich_contents(copy);
          gridlume_context *own = value_of(gridlume_mesh_get_context, copy);
          if (own != source_context) gridlume_context_delete(own);
        });
  }
}

TEST(CallbackCopy, ReadsThroughTheSourceWithinTheCountsOfTheCopy) {
  Context context;
  CallerVertices caller{{1, 2, 3, 4, 5, 6}};
  gridlume_mesh *copy = gridlume_mesh_new_copy(caller.mesh(context));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(values_of<3>(gridlume_mesh_get_vertex_coordinates, copy, 2)[2], 6.0);
  double xyz[3] = {9, 9, 9};
  EXPECT_EQ(gridlume_mesh_get_vertex_coordinates(copy, 0, xyz), -1);
  // The source grows: the count is the source's own, the new vertex reads zeros.
  caller.xyz.insert(caller.xyz.end(), {7, 8, 9});
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_count, copy), 3);
  EXPECT_EQ(values_of<3>(gridlume_mesh_get_vertex_coordinates, copy, 3),
            (std::array<double, 3>{0, 0, 0}));
  // The source's failures come back unchanged.
  caller.failing_index = 1;
  EXPECT_EQ(gridlume_mesh_get_vertex_coordinates(copy, 1, xyz), -4);
}

TEST(CallbackCopy, SharesSettersAndZerosWholeOutputsBeyondTheSource) {
  Context context;
  gridlume_mesh *source = rich_mesh(context);
  gridlume_mesh *copy = gridlume_mesh_new_copy(source);
  ASSERT_NE(copy, nullptr);
  const int tag = 99;
  ASSERT_EQ(gridlume_mesh_set_vertex_tag(copy, 1, &tag), 0);  // writes into the source
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_tag, source, 1), 99);
  gridlume_mesh_set_triangle_count(copy, 3);
  EXPECT_EQ(values_of<3>(gridlume_mesh_get_triangle_vertices, copy, 3),
            (std::array<int, 3>{0, 0, 0}));
  int extra = 9, list[1] = {9};
  EXPECT_EQ(gridlume_mesh_get_triangle_extra_vertices(copy, 3, &extra, list), 0);
  EXPECT_EQ(extra, 0);
  EXPECT_EQ(values_of<3>(gridlume_mesh_get_triangle_vertex_normal_coordinates, copy, 3, 2),
            (std::array<double, 3>{0, 0, 0}));
}

TEST(CallbackCopy, AnUnreadableCountKeepsTheDefaultGetter) {
  Context context;
  gridlume_mesh *source = gridlume_mesh_new(context);
  gridlume_mesh_set_get_edge_count(source, failing_count, nullptr);
  gridlume_mesh *copy = gridlume_mesh_new_copy(source);
  ASSERT_NE(copy, nullptr);
  EXPECT_TRUE(gridlume::has_default_getter(copy->slots[gridlume::slot_edge_tag],
                                           gridlume::slot_edge_tag));
  EXPECT_FALSE(gridlume::has_default_getter(copy->slots[gridlume::slot_vertex_tag],
                                            gridlume::slot_vertex_tag));
  EXPECT_EQ(gridlume_mesh_new_copy(nullptr), nullptr);
}
