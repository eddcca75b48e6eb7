// Two-level grouped tables.
#include "core/grouped_table.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "support/allocation_failure.hpp"

using gridlume::GroupedTable1;
using gridlume::GroupedTable3;
using gridlume::GroupedTable4;
using gridlume::VertexPairGroupedTable;
using gridlume_test::AllocationFailure;
using gridlume_test::for_each_allocation_failure;

namespace {

template <class Table>
std::vector<std::int32_t> first_values_of_group(const Table &table, std::int32_t group) {
  std::vector<std::int32_t> values;
  table.for_each_entry(group, [&](std::int32_t entry) { values.push_back(table.tuple(entry)[0]); });
  return values;
}

// Entry capacity after one tuple more than a table created with room for
// `capacity` entries can hold.
std::int32_t entry_capacity_after_overflow(std::int32_t capacity) {
  GroupedTable1 table;
  EXPECT_EQ(table.create(3, capacity, 2, 1), 0);
  EXPECT_EQ(table.entry_capacity(), capacity);
  for (std::int32_t value = 1; value <= capacity + 1; ++value)
    EXPECT_EQ(table.insert(value % 5, {value}), value);
  return table.entry_capacity();
}

}  // namespace

TEST(GroupedTable, EntriesGrowBy11BelowCapacity55ThenByAFifth) {
  EXPECT_EQ(entry_capacity_after_overflow(0), 11);
  EXPECT_EQ(entry_capacity_after_overflow(50), 61);
  EXPECT_EQ(entry_capacity_after_overflow(60), 72);
}

TEST(GroupedTable, NumbersDistinctTuplesPerGroup) {
  GroupedTable1 table;
  ASSERT_EQ(table.create(3, 2, 2, 2), 0);
  EXPECT_EQ(table.insert(10, {1}), 1);
  EXPECT_EQ(table.insert(20, {1}), 2);  // same tuple, other group
  EXPECT_EQ(table.insert(10, {1}), 1);
  EXPECT_EQ(table.find(20, {1}), 2);
  EXPECT_EQ(table.find(20, {2}), 0);
  EXPECT_EQ(table.find(30, {1}), 0);
  EXPECT_EQ(table.group_count(), 2);
  EXPECT_EQ(table.find_group(20), 2);
  EXPECT_EQ(table.group_key(1), 10);
}

TEST(GroupedTable, TwoBucketsPerGroupListEvenValuesBeforeOddOnes) {
  GroupedTable1 table;
  ASSERT_EQ(table.create(3, 2, 2, 2), 0);
  for (std::int32_t value : {5, 2, 7, -4, 1, 8}) table.insert(4, {value});
  EXPECT_EQ(first_values_of_group(table, 1), (std::vector<std::int32_t>{2, -4, 8, 5, 7, 1}));
  EXPECT_TRUE(first_values_of_group(table, 2).empty());
}

TEST(GroupedTable, WalkStopsWhenTheVisitorSaysSo) {
  GroupedTable1 table;
  ASSERT_EQ(table.create(3, 2, 1, 2), 0);
  for (std::int32_t value = 1; value <= 5; ++value) table.insert(1, {value});
  int visited = 0;
  EXPECT_FALSE(table.for_each_entry(1, [&](std::int32_t) { return ++visited < 3; }));
  EXPECT_EQ(visited, 3);
}

TEST(GroupedTable, WideTuplesAreEqualOnlyInOrder) {
  GroupedTable3 triples;
  ASSERT_EQ(triples.create(3, 2, 3, 2), 0);
  EXPECT_EQ(triples.insert(1, {1, 2, 3}), 1);
  EXPECT_EQ(triples.insert(1, {3, 2, 1}), 2);
  EXPECT_EQ(triples.insert(1, {1, 2, 3}), 1);
  GroupedTable4 quads;
  ASSERT_EQ(quads.create(3, 2, 3, 2), 0);
  EXPECT_EQ(quads.insert(-7, {1, 2, 3, 4}), 1);
  EXPECT_EQ(quads.insert(-7, {1, 2, 4, 3}), 2);
  EXPECT_EQ(quads.find(-7, {1, 2, 3, 4}), 1);
}

TEST(GroupedTable, BucketArrayFollowsTheGroupTableCapacity) {
  GroupedTable1 table;
  ASSERT_EQ(table.create(3, 2, 2, 1), 0);
  EXPECT_EQ(table.groups_allocated(), 2);
  table.insert(100, {1});
  table.insert(200, {2});
  table.insert(300, {3});  // a third group: the group table grows to 2 + 21
  EXPECT_EQ(table.groups().capacity(), 23);
  EXPECT_EQ(table.groups_allocated(), 23);
  for (std::int32_t group = 1; group <= 3; ++group)
    EXPECT_EQ(first_values_of_group(table, group), std::vector<std::int32_t>{group});
}

TEST(GroupedTable, CreateRefusesTablesWithoutBuckets) {
  GroupedTable1 table;
  EXPECT_EQ(table.create(0, 2, 2, 2), -1);
  EXPECT_EQ(table.create(2, 2, 0, 2), -1);
  EXPECT_EQ(table.insert(1, {1}), 0);
}

TEST(GroupedTable, VertexPairGroupsMapAnEdgeToItsTriangles) {
  VertexPairGroupedTable edges;
  ASSERT_EQ(edges.create(7, 3, 1, 2), 0);
  const std::int32_t triangles[][3] = {{1, 2, 3}, {3, 2, 4}, {4, 2, 5}};
  for (std::int32_t t = 0; t < 3; ++t)
    for (int side = 0; side < 3; ++side)
      edges.insert({triangles[t][side], triangles[t][(side + 1) % 3]}, {t + 1});
  EXPECT_EQ(edges.group_count(), 7);
  EXPECT_EQ(first_values_of_group(edges, edges.find_group({3, 2})),
            (std::vector<std::int32_t>{1, 2}));
  EXPECT_EQ(first_values_of_group(edges, edges.find_group({2, 4})),
            (std::vector<std::int32_t>{2, 3}));
  EXPECT_EQ(edges.find_group({1, 5}), 0);
}

TEST(GroupedTable, CopyAnswersLikeTheOriginal) {
  GroupedTable1 table;
  ASSERT_EQ(table.create(3, 1, 2, 1), 0);
  for (std::int32_t value = 0; value < 60; ++value) table.insert(value % 7, {value});
  GroupedTable1 copy;
  ASSERT_EQ(copy.copy_from(table), 0);
  for (std::int32_t group = 1; group <= 7; ++group)
    EXPECT_EQ(first_values_of_group(copy, group), first_values_of_group(table, group));
  EXPECT_EQ(copy.insert(3, {61}), 61);
}

TEST(GroupedTable, MemoryFailureAddsNeitherGroupNorEntry) {
  for_each_allocation_failure([](AllocationFailure &failure) {
    GroupedTable1 table;
    failure.arm();
    int created = table.create(3, 1, 2, 1);
    failure.disarm();
    if (failure.happened()) {
      EXPECT_EQ(created, -5);
      EXPECT_EQ(table.insert(1, {1}), 0);
      return;
    }
    ASSERT_EQ(table.insert(1, {1}), 1);
    // A second group and a second entry need every array to grow.
    failure.arm();
    std::int32_t entry = table.insert(2, {2});
    GroupedTable1 copy;
    int copied = copy.copy_from(table);
    failure.disarm();
    if (entry == 0) {
      EXPECT_EQ(table.group_count(), 1);
      EXPECT_EQ(table.entry_count(), 1);
      EXPECT_EQ(table.find_group(2), 0);
      EXPECT_EQ(table.insert(2, {2}), 2);
    } else {
      EXPECT_EQ(entry, 2);
    }
    if (copied != 0) { EXPECT_EQ(copied, -5); }
    EXPECT_EQ(table.find(1, {1}), 1);
  });
}
