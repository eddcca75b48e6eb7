// Two-level grouped tables: distinct tuples of n integers (n = 1, 3 or 4)
// gathered under a group key.
//
// The group keys live in a hashed index table; a key's number g is its group.
// Each group owns a fixed number of buckets (chosen at creation) in one shared
// array of heads, group g owning heads (g - 1) * B2 to g * B2 - 1. Tuples are
// numbered from 1 in one flat entry array with its own links; a tuple falls
// in bucket abs(sum of its integers) mod B2 of its group, and two tuples are
// equal when all their integers are equal in order.
//
//   GroupedTable<VertexPairKey, 1> edge_triangles;     // edge -> triangles
//   edge_triangles.create(buckets, edges, 1, 2);
//   edge_triangles.insert({a, b}, {triangle});
//   edge_triangles.for_each_entry(edge_triangles.find_group({a, b}),
//       [&](std::int32_t entry) { use(edge_triangles.tuple(entry)[0]); });
//
// Like the flat tables: a few allocations whatever the size, nothing per
// entry, numbers stable for the life of the table, no removal.
#pragma once

#include <array>
#include <cstdint>
#include <type_traits>

#include "core/hash_table.hpp"

namespace gridlume {

// Entry arrays grow by 11 while their capacity is below 55, then by a fifth.
inline constexpr std::int32_t grouped_entry_small_step = 11;
inline constexpr std::int32_t grouped_entry_small_limit = 55;
inline constexpr std::int32_t grouped_entry_growth_divisor = 5;

struct GroupedEntryGrowth {
  static std::int32_t increment(std::int32_t capacity) noexcept {
    return capacity < grouped_entry_small_limit ? grouped_entry_small_step
                                                : capacity / grouped_entry_growth_divisor;
  }
};

template <class GroupKeyKind, int TupleWidth>
class GroupedTable {
 public:
  using GroupKey = typename GroupKeyKind::Key;
  using Tuple = std::array<std::int32_t, TupleWidth>;

  GroupedTable() noexcept = default;
  GroupedTable(const GroupedTable &) = delete;
  GroupedTable &operator=(const GroupedTable &) = delete;
  GroupedTable(GroupedTable &&other) noexcept { swap(other); }
  GroupedTable &operator=(GroupedTable &&other) noexcept {
    GroupedTable taken(static_cast<GroupedTable &&>(other));
    swap(taken);
    return *this;
  }
  ~GroupedTable() { release(); }

  // An empty table: the group table gets `group_bucket_count` buckets and
  // room for `group_capacity` groups, each group `buckets_per_group` buckets,
  // and the entries room for group_capacity * tuples_per_group tuples.
  // 0, -1 when a bucket count is below 1 or a size negative, -5 when memory
  // fails (the table is then empty and answers 0 to every insertion).
  int create(std::int32_t group_bucket_count, std::int32_t group_capacity,
             std::int32_t buckets_per_group, std::int32_t tuples_per_group) noexcept;
  // Makes this table a copy of `source`; 0, or -5 (this table unchanged).
  int copy_from(const GroupedTable &source) noexcept;
  void release() noexcept;

  // The number of the tuple's entry in the group, adding the group and the
  // entry when absent. An insertion either completes or changes nothing but
  // capacities: 0 when memory fails.
  std::int32_t insert(const GroupKey &group_key, const Tuple &tuple) noexcept;
  // The entry number of the tuple in the group, 0 when absent.
  std::int32_t find(const GroupKey &group_key, const Tuple &tuple) const noexcept;
  // The group of a key, 0 when absent.
  std::int32_t find_group(const GroupKey &group_key) const noexcept {
    return groups_.find(group_key);
  }
  // Grows the room so that `additional_groups` new groups and
  // `additional_entries` new entries then fit without allocating, in the
  // table's own growth steps; lets a caller make several insertions that
  // cannot fail halfway. 0 or -5.
  int reserve(std::int32_t additional_groups, std::int32_t additional_entries) noexcept;

  std::int32_t group_count() const noexcept { return groups_.count(); }
  // The key of group g (1..group_count).
  const GroupKey &group_key(std::int32_t group) const noexcept { return groups_.key(group); }
  std::int32_t entry_count() const noexcept { return entry_count_; }
  std::int32_t entry_capacity() const noexcept { return entry_capacity_; }
  // The number of groups the bucket array has room for.
  std::int32_t groups_allocated() const noexcept { return groups_allocated_; }
  std::int32_t buckets_per_group() const noexcept { return buckets_per_group_; }
  const HashedIndexTable<GroupKeyKind> &groups() const noexcept { return groups_; }
  // The tuple of an entry (1..entry_count).
  const Tuple &tuple(std::int32_t entry) const noexcept { return tuples_[entry]; }

  // Stepwise walks of a group, for a caller that keeps its place between
  // calls: the first entry of bucket b (0..buckets_per_group - 1) of group g,
  // and the entry after `entry` in its bucket; 0 ends both (and answers a
  // group that does not exist).
  std::int32_t first_entry(std::int32_t group, std::int32_t bucket) const noexcept {
    if (group < 1 || group > groups_allocated_ || group > groups_.count()) return 0;
    return heads_[static_cast<std::size_t>(group - 1) * buckets_per_group_ + bucket];
  }
  std::int32_t next_entry(std::int32_t entry) const noexcept { return next_[entry]; }

  // Calls visit(entry number) for every entry of group g, bucket by bucket
  // and in insertion order within a bucket; nothing for a group that does not
  // exist. When visit returns bool, false stops the walk and for_each_entry
  // returns false.
  template <class Visit>
  bool for_each_entry(std::int32_t group, Visit &&visit) const {
    if (group < 1 || group > groups_allocated_ || group > groups_.count()) return true;
    const std::int32_t *heads = heads_ + static_cast<std::size_t>(group - 1) * buckets_per_group_;
    for (std::int32_t bucket = 0; bucket < buckets_per_group_; ++bucket) {
      for (std::int32_t entry = heads[bucket]; entry != 0; entry = next_[entry]) {
        if constexpr (std::is_same_v<decltype(visit(entry)), bool>) {
          if (!visit(entry)) return false;
        } else {
          visit(entry);
        }
      }
    }
    return true;
  }

 private:
  void swap(GroupedTable &other) noexcept;
  std::int32_t tuple_bucket(std::int32_t group, const Tuple &tuple) const noexcept;

  HashedIndexTable<GroupKeyKind> groups_;
  std::int32_t buckets_per_group_ = 0;
  std::int32_t groups_allocated_ = 0;
  std::int32_t *heads_ = nullptr;
  std::int32_t entry_count_ = 0;
  std::int32_t entry_capacity_ = 0;
  Tuple *tuples_ = nullptr;
  std::int32_t *next_ = nullptr;
};

// The variants in use; their code is compiled once in grouped_table.cpp.
using GroupedTable1 = GroupedTable<IntegerKey, 1>;
using GroupedTable3 = GroupedTable<IntegerKey, 3>;
using GroupedTable4 = GroupedTable<IntegerKey, 4>;
// An unordered vertex pair to a set of integers (an edge to its triangles).
using VertexPairGroupedTable = GroupedTable<VertexPairKey, 1>;
// An unordered vertex triple to a set of integers (a face to its triangles).
using VertexTripleGroupedTable = GroupedTable<VertexTripleKey, 1>;

extern template class GroupedTable<IntegerKey, 1>;
extern template class GroupedTable<IntegerKey, 3>;
extern template class GroupedTable<IntegerKey, 4>;
extern template class GroupedTable<VertexPairKey, 1>;
extern template class GroupedTable<VertexTripleKey, 1>;

}  // namespace gridlume
