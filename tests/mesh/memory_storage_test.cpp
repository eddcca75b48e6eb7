// In-memory storage: sizing on first set after a count change, zeros for
// values never set, range checks, extra-vertex lists, subdomains, and memory
// failure keeping the stored values.
#include <gtest/gtest.h>

#include "gridlume_stubs.h"
#include "mesh/memory_storage.hpp"
#include "support/test_helpers.hpp"

using namespace gridlume_test;

namespace {

struct InMemoryMesh : ::testing::Test {
  int stored_length(gridlume::Slot slot) const {
    return gridlume::storage_of(mesh)->arrays[slot].length;
  }
  Context context;
  gridlume_mesh *mesh = gridlume_mesh_new_in_memory(context);
};

// ---- Every slot through the public operations, generated from the table ----
// Each shape either stores the values of a slot or reads them back.

constexpr int entities = 3;

// A value distinct for every slot, entity and position, so that two
// attributes sharing an array would show.
int slot_value(gridlume::Slot slot, int i, int position) {
  return 100000 * (slot + 1) + 100 * i + position;
}

template <class Set, class Get>
void round_trip_COUNT(bool store, gridlume_mesh *mesh, Set set, Get get, gridlume::Slot, int) {
  if (store) { ASSERT_EQ(set(mesh, entities), 0); }
  else EXPECT_EQ(value_of(get, mesh), entities);
}

template <class Set, class Get>
void round_trip_INTEGER(bool store, gridlume_mesh *mesh, Set set, Get get, gridlume::Slot slot,
                        int width) {
  for (int i = 1; i <= entities; ++i) {
    std::array<int, 8> values;
    values.fill(unwritten<int>());  // nothing past the width is written
    for (int v = 0; v < width; ++v) values[v] = slot_value(slot, i, v);
    if (store) ASSERT_EQ(set(mesh, i, values.data()), 0) << gridlume::attribute_table[slot].name;
    else EXPECT_EQ(values_of<8>(get, mesh, i), values) << gridlume::attribute_table[slot].name;
  }
}
#define round_trip_VERTICES round_trip_INTEGER

template <class Set, class Get>
void round_trip_POINT(bool store, gridlume_mesh *mesh, Set set, Get get, gridlume::Slot slot,
                      int) {
  for (int i = 1; i <= entities; ++i) {
    const std::array<double, 3> xyz = {slot_value(slot, i, 0) + 0.5,
                                       slot_value(slot, i, 1) + 0.25, -1.0 * i};
    if (store) { ASSERT_EQ(set(mesh, i, xyz.data()), 0); }
    else EXPECT_EQ(values_of<3>(get, mesh, i), xyz) << gridlume::attribute_table[slot].name;
  }
}

template <class Set, class Get>
void round_trip_CORNER_POINT(bool store, gridlume_mesh *mesh, Set set, Get get,
                             gridlume::Slot slot, int width) {
  for (int i = 1; i <= entities; ++i)
    for (int j = 1; j <= width; ++j) {
      const std::array<double, 3> xyz = {double(slot_value(slot, i, j)), 1.0 * j, 2.0 * i};
      if (store) { ASSERT_EQ(set(mesh, i, j, xyz.data()), 0); }
      else EXPECT_EQ(values_of<3>(get, mesh, i, j), xyz) << gridlume::attribute_table[slot].name;
    }
}

template <class Set, class Get>
void round_trip_EXTRA(bool store, gridlume_mesh *mesh, Set set, Get get, gridlume::Slot slot,
                      int) {
  for (int i = 1; i <= entities; ++i) {
    const int list[3] = {slot_value(slot, i, 0), slot_value(slot, i, 1), slot_value(slot, i, 2)};
    if (store) {
      ASSERT_EQ(set(mesh, i, 4000 + i, list), 0);
      continue;
    }
    int count = 0, read[4] = {-7, -7, -7, -7};
    ASSERT_EQ(get(mesh, i, &count, read), 0);
    EXPECT_EQ(count, 4000 + i) << gridlume::attribute_table[slot].name;
    for (int v = 0; v < i; ++v) EXPECT_EQ(read[v], list[v]);
    EXPECT_EQ(read[i], -7);  // only count modulo 1000 entries are written
  }
}

template <class Set, class Get>
void round_trip_DESCRIPTION(bool store, gridlume_mesh *mesh, Set set, Get get, gridlume::Slot,
                            int) {
  for (int i = 1; i <= entities; ++i) {
    if (store) {
      ASSERT_EQ(set(mesh, i, 10 + i, 2000, i, -1), 0);
      continue;
    }
    int tag = 0, kind = 0, index = 0, orientation = 0;
    ASSERT_EQ(get(mesh, i, &tag, &kind, &index, &orientation), 0);
    EXPECT_EQ((std::array<int, 4>{tag, kind, index, orientation}),
              (std::array<int, 4>{10 + i, 2000, i, -1}));
  }
}

#define ROUND_TRIP(kind, attribute, shape, width)                                  \
  round_trip_##shape(store, mesh, gridlume_mesh_set_##kind##_##attribute,          \
                     gridlume_mesh_get_##kind##_##attribute,                       \
                     gridlume::slot_##kind##_##attribute, width);

}  // namespace

TEST_F(InMemoryMesh, EveryAttributeOfEveryKindKeepsItsOwnValues) {
  // Counts come first in each kind's rows, so every array is sized to 3; all
  // values are stored before any is read back.
  for (bool store : {true, false}) {
    GRIDLUME_MESH_ATTRIBUTES(ROUND_TRIP)
    GRIDLUME_MESH_SUBDOMAIN_ATTRIBUTES(ROUND_TRIP)
  }
}

TEST_F(InMemoryMesh, NewMeshHasEveryCountZeroAndNoVertexOne) {
  for (int slot = 0; slot < gridlume::slot_total; ++slot) {
    if (gridlume::attribute_table[slot].shape != gridlume::AttributeShape::COUNT) continue;
    ASSERT_EQ(gridlume::storage_getter(static_cast<gridlume::Slot>(slot)), mesh->slots[slot].getter);
    auto getter = reinterpret_cast<gridlume_mesh_count_getter>(mesh->slots[slot].getter);
    int count = -1;
    EXPECT_EQ(getter(&count, mesh->slots[slot].getter_data), 0);
    EXPECT_EQ(count, 0) << gridlume::attribute_table[slot].name;
  }
  double xyz[3];
  EXPECT_EQ(gridlume_mesh_get_vertex_coordinates(mesh, 1, xyz), -1);
  EXPECT_EQ(value_of(gridlume_mesh_get_dimension, mesh), 3);
}

TEST_F(InMemoryMesh, ValuesNeverSetReadAsZeroAndOnlyASetResizesToTheCount) {
  ASSERT_EQ(gridlume_mesh_set_vertex_count(mesh, 10), 0);
  EXPECT_EQ(stored_length(gridlume::slot_vertex_coordinates), 0);  // the count sizes nothing
  const double xyz[3] = {1, 2, 3};
  ASSERT_EQ(gridlume_mesh_set_vertex_coordinates(mesh, 10, xyz), 0);
  EXPECT_EQ(values_of<3>(gridlume_mesh_get_vertex_coordinates, mesh, 5),
            (std::array<double, 3>{0, 0, 0}));
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_tag, mesh, 5), 0);
  EXPECT_EQ(stored_length(gridlume::slot_vertex_tag), 0);  // getters never allocate
  const int tag = 4;
  gridlume_mesh_set_vertex_tag(mesh, 3, &tag);
  ASSERT_EQ(gridlume_mesh_set_vertex_count(mesh, 20), 0);
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_tag, mesh, 15), 0);
  EXPECT_EQ(stored_length(gridlume::slot_vertex_tag), 10);
  ASSERT_EQ(gridlume_mesh_set_vertex_tag(mesh, 15, &tag), 0);
  EXPECT_EQ(stored_length(gridlume::slot_vertex_tag), 20);
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_tag, mesh, 3), 4);
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_tag, mesh, 14), 0);
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_tag, mesh, 15), 4);
}

TEST_F(InMemoryMesh, AShrunkCountResizesExactlyAndKeepsTheFirstValues) {
  gridlume_mesh_set_edge_count(mesh, 20);
  for (int i = 1; i <= 20; ++i) {
    const int list[2] = {i, i + 1};
    ASSERT_EQ(gridlume_mesh_set_edge_extra_vertices(mesh, i, 1002, list), 0);
    ASSERT_EQ(gridlume_mesh_set_edge_vertices(mesh, i, list), 0);
  }
  gridlume_mesh_set_edge_count(mesh, 5);
  const int list[2] = {50, 51};
  ASSERT_EQ(gridlume_mesh_set_edge_vertices(mesh, 5, list), 0);
  ASSERT_EQ(gridlume_mesh_set_edge_extra_vertices(mesh, 5, 1002, list), 0);
  EXPECT_EQ(stored_length(gridlume::slot_edge_vertices), 5);
  EXPECT_EQ(stored_length(gridlume::slot_edge_extra_vertices), 5);
  EXPECT_EQ(values_of<2>(gridlume_mesh_get_edge_vertices, mesh, 4), (std::array<int, 2>{4, 5}));
  int vertices[2] = {};
  EXPECT_EQ(gridlume_mesh_get_edge_vertices(mesh, 6, vertices), -1);
  EXPECT_EQ(gridlume_mesh_set_edge_vertices(mesh, 6, vertices), -1);
  int count = 0;
  ASSERT_EQ(gridlume_mesh_get_edge_extra_vertices(mesh, 3, &count, vertices), 0);
  EXPECT_EQ(vertices[0], 3);
}

TEST_F(InMemoryMesh, ACountOfZeroReleasesTheArraysOnTheNextSet) {
  long before = gridlume_stubs_live_block_count();
  gridlume_mesh_set_triangle_count(mesh, 4);
  const int list[3] = {1, 2, 3};
  ASSERT_EQ(gridlume_mesh_set_triangle_vertices(mesh, 2, list), 0);
  ASSERT_EQ(gridlume_mesh_set_triangle_extra_vertices(mesh, 2, 2003, list), 0);
  gridlume_mesh_set_triangle_count(mesh, 0);
  EXPECT_EQ(gridlume_mesh_set_triangle_vertices(mesh, 1, list), -1);
  EXPECT_EQ(gridlume_mesh_set_triangle_extra_vertices(mesh, 1, 2003, list), -1);
  EXPECT_EQ(gridlume_stubs_live_block_count(), before);  // arrays and the list released
  int vertices[3];
  EXPECT_EQ(gridlume_mesh_get_triangle_vertices(mesh, 1, vertices), -1);
  // A negative count behaves as no entity at all, and is stored as given.
  gridlume_mesh_set_triangle_count(mesh, -2);
  EXPECT_EQ(gridlume_mesh_set_triangle_vertices(mesh, 1, list), -1);
  EXPECT_EQ(value_of(gridlume_mesh_get_triangle_count, mesh), -2);
}

TEST_F(InMemoryMesh, IndicesOutsideTheCountAndLocalNumbersOutsideTheKindAreRefused) {
  gridlume_mesh_set_quadrangle_count(mesh, 2);
  int vertices[4] = {1, 2, 3, 4};
  for (int i : {0, 3}) {
    EXPECT_EQ(gridlume_mesh_set_quadrangle_vertices(mesh, i, vertices), -1);
    EXPECT_EQ(gridlume_mesh_get_quadrangle_vertices(mesh, i, vertices), -1);
  }
  EXPECT_EQ(gridlume_mesh_get_quadrangle_vertices(mesh, 1, nullptr), -1);
  EXPECT_EQ(gridlume_mesh_set_quadrangle_vertices(mesh, 1, nullptr), -1);
  gridlume_mesh_set_triangle_count(mesh, 1);
  gridlume_mesh_set_edge_count(mesh, 1);
  double xyz[3] = {1, 2, 3};
  for (int j : {0, 4}) {
    EXPECT_EQ(gridlume_mesh_get_triangle_vertex_normal_coordinates(mesh, 1, j, xyz), -1);
    EXPECT_EQ(gridlume_mesh_set_triangle_vertex_normal_coordinates(mesh, 1, j, xyz), -1);
  }
  EXPECT_EQ(gridlume_mesh_set_edge_vertex_tangent_coordinates(mesh, 1, 3, xyz), -1);
  EXPECT_EQ(gridlume_mesh_set_edge_vertex_tangent_coordinates(mesh, 1, 2, xyz), 0);
  EXPECT_EQ(values_of<3>(gridlume_mesh_get_triangle_vertex_normal_coordinates, mesh, 1, 3)[0], 0);
}

TEST_F(InMemoryMesh, ExtraVertexCountsKeepTheirKindCode) {
  gridlume_mesh_set_triangle_count(mesh, 2);
  const int list[3] = {7, 8, 9};
  ASSERT_EQ(gridlume_mesh_set_triangle_extra_vertices(mesh, 1, 2003, list), 0);
  ASSERT_EQ(gridlume_mesh_set_triangle_extra_vertices(mesh, 2, 2000, nullptr), 0);
  int count = 0, read[4] = {-1, -1, -1, -1};
  ASSERT_EQ(gridlume_mesh_get_triangle_extra_vertices(mesh, 1, &count, read), 0);
  EXPECT_EQ(count, 2003);
  EXPECT_EQ((std::array<int, 4>{read[0], read[1], read[2], read[3]}),
            (std::array<int, 4>{7, 8, 9, -1}));
  read[0] = -1;
  ASSERT_EQ(gridlume_mesh_get_triangle_extra_vertices(mesh, 2, &count, read), 0);
  EXPECT_EQ(count, 2000);
  EXPECT_EQ(read[0], -1);  // no list stored
  EXPECT_EQ(gridlume_mesh_set_triangle_extra_vertices(mesh, 2, 2002, nullptr), -1);
  // Replacing a list releases the previous one.
  long before = gridlume_stubs_live_block_count();
  ASSERT_EQ(gridlume_mesh_set_triangle_extra_vertices(mesh, 1, 2001, list), 0);
  EXPECT_EQ(gridlume_stubs_live_block_count(), before);
  // An element beyond the stored length reads a count of 0, its list untouched.
  gridlume_mesh_set_triangle_count(mesh, 3);
  ASSERT_EQ(gridlume_mesh_get_triangle_extra_vertices(mesh, 3, &count, read), 0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(read[0], -1);
}

TEST_F(InMemoryMesh, SubdomainDescriptionsAcceptMissingOutputs) {
  int tag = -1, kind = -1, index = -1, orientation = -1;
  EXPECT_EQ(gridlume_mesh_get_subdomain_description(mesh, 1, &tag, &kind, &index, &orientation),
            -1);
  ASSERT_EQ(gridlume_mesh_set_subdomain_count(mesh, 2), 0);
  ASSERT_EQ(gridlume_mesh_get_subdomain_description(mesh, 2, &tag, &kind, &index, &orientation),
            0);
  EXPECT_EQ(tag, 0);
  EXPECT_EQ(orientation, 0);
  ASSERT_EQ(gridlume_mesh_set_subdomain_description(mesh, 2, 5, 3000, 7, -1), 0);
  tag = -1;
  ASSERT_EQ(gridlume_mesh_get_subdomain_description(mesh, 2, &tag, nullptr, nullptr, &orientation),
            0);
  EXPECT_EQ(tag, 5);
  EXPECT_EQ(orientation, -1);
  EXPECT_EQ(gridlume_mesh_set_subdomain_description(mesh, 3, 5, 3000, 7, 1), -1);
}

TEST(InMemoryStorage, CallbacksWithoutStorageAnswerMinusOne) {
  using gridlume::storage_getter, gridlume::storage_setter;
  int count = 0, list[2] = {};
  double xyz[3] = {};
  EXPECT_EQ(reinterpret_cast<gridlume_mesh_count_getter>(
                storage_getter(gridlume::slot_vertex_count))(&count, nullptr),
            -1);
  EXPECT_EQ(reinterpret_cast<gridlume_mesh_count_setter>(
                storage_setter(gridlume::slot_vertex_count))(3, nullptr),
            -1);
  EXPECT_EQ(reinterpret_cast<gridlume_mesh_point_setter>(
                storage_setter(gridlume::slot_vertex_coordinates))(1, xyz, nullptr),
            -1);
  EXPECT_EQ(reinterpret_cast<gridlume_mesh_extra_vertices_getter>(
                storage_getter(gridlume::slot_edge_extra_vertices))(1, &count, list, nullptr),
            -1);
}

TEST(InMemoryStorage, NewInMemorySurvivesEveryAllocationFailure) {
  EXPECT_EQ(gridlume_mesh_new_in_memory(nullptr), nullptr);
  expect_each_allocation_failure_reported([](gridlume_context *context, AllocationFailure &failure) {
    failure.arm();
    return gridlume_mesh_new_in_memory(context);
  });
}

TEST(InMemoryStorage, ASetThatCannotResizeAnswersMinusFiveAndKeepsTheValues) {
  for_each_allocation_failure([](AllocationFailure &failure) {
    Context context;
    gridlume_mesh *mesh = gridlume_mesh_new_in_memory(context);
    gridlume_mesh_set_vertex_count(mesh, 10);
    gridlume_mesh_set_edge_count(mesh, 4);
    const double xyz[3] = {1, 2, 3};
    const int list[3] = {4, 5, 6};
    gridlume_mesh_set_vertex_coordinates(mesh, 5, xyz);
    gridlume_mesh_set_edge_extra_vertices(mesh, 1, 1003, list);
    gridlume_mesh_set_edge_extra_vertices(mesh, 4, 1003, list);
    gridlume_mesh_set_vertex_count(mesh, 20);
    gridlume_mesh_set_edge_count(mesh, 2);  // shrinking must not lose edge 1 either

    failure.arm();
    int grown = gridlume_mesh_set_vertex_coordinates(mesh, 15, xyz);
    int shrunk = gridlume_mesh_set_edge_extra_vertices(mesh, 2, 1002, list);
    failure.disarm();
    EXPECT_TRUE(grown == 0 || grown == -5);
    EXPECT_TRUE(shrunk == 0 || shrunk == -5);
    EXPECT_EQ(failure.happened(), grown == -5 || shrunk == -5);
    EXPECT_EQ(values_of<3>(gridlume_mesh_get_vertex_coordinates, mesh, 5)[2], 3.0);
    int count = 0, vertices[3] = {};
    EXPECT_EQ(gridlume_mesh_get_edge_extra_vertices(mesh, 1, &count, vertices), 0);
    EXPECT_EQ(count, 1003);
    EXPECT_EQ(vertices[2], 6);
    EXPECT_EQ(gridlume_mesh_get_edge_extra_vertices(mesh, 2, &count, vertices), 0);
    // A list that could not be copied leaves a count of 0.
    EXPECT_EQ(count, shrunk == 0 ? 1002 : 0);
  });
}
