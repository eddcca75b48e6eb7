// Two-level grouped tables: group lookup, tuple chains per group, growth.
#include "core/grouped_table.hpp"

#include <utility>

#include "core/flat_array.hpp"
#include "gridlume/common.h"

namespace gridlume {

namespace {
std::size_t head_slots(std::int32_t groups, std::int32_t buckets_per_group) noexcept {
  return static_cast<std::size_t>(groups) * static_cast<std::size_t>(buckets_per_group);
}
// Element by element: tuples are a few integers, too short for memcmp.
template <std::size_t Width>
bool same_tuple(const std::array<std::int32_t, Width> &a,
                const std::array<std::int32_t, Width> &b) noexcept {
  for (std::size_t i = 0; i < Width; ++i)
    if (a[i] != b[i]) return false;
  return true;
}
}  // namespace

template <class GroupKeyKind, int TupleWidth>
void GroupedTable<GroupKeyKind, TupleWidth>::swap(GroupedTable &other) noexcept {
  std::swap(groups_, other.groups_);
  std::swap(buckets_per_group_, other.buckets_per_group_);
  std::swap(groups_allocated_, other.groups_allocated_);
  std::swap(heads_, other.heads_);
  std::swap(entry_count_, other.entry_count_);
  std::swap(entry_capacity_, other.entry_capacity_);
  std::swap(tuples_, other.tuples_);
  std::swap(next_, other.next_);
}

template <class GroupKeyKind, int TupleWidth>
void GroupedTable<GroupKeyKind, TupleWidth>::release() noexcept {
  groups_.release();
  gridlume_free(heads_);
  gridlume_free(tuples_);
  gridlume_free(next_);
  heads_ = nullptr;
  tuples_ = nullptr;
  next_ = nullptr;
  buckets_per_group_ = groups_allocated_ = entry_count_ = entry_capacity_ = 0;
}

template <class GroupKeyKind, int TupleWidth>
int GroupedTable<GroupKeyKind, TupleWidth>::create(std::int32_t group_bucket_count,
                                                   std::int32_t group_capacity,
                                                   std::int32_t buckets_per_group,
                                                   std::int32_t tuples_per_group) noexcept {
  release();
  if (group_bucket_count < 1 || buckets_per_group < 1 || group_capacity < 0 ||
      tuples_per_group < 0)
    return GRIDLUME_STATUS_ERROR;
  std::int64_t entry_capacity = static_cast<std::int64_t>(group_capacity) * tuples_per_group;
  if (entry_capacity >= INT32_MAX) return GRIDLUME_STATUS_NO_MEMORY;
  GroupedTable built;
  int status = built.groups_.create(group_bucket_count, group_capacity);
  if (status != GRIDLUME_STATUS_OK) return status;
  built.heads_ = allocate_zeroed<std::int32_t>(head_slots(group_capacity, buckets_per_group));
  built.tuples_ = allocate_zeroed<Tuple>(slots_for(static_cast<std::int32_t>(entry_capacity)));
  built.next_ =
      allocate_zeroed<std::int32_t>(slots_for(static_cast<std::int32_t>(entry_capacity)));
  if (built.heads_ == nullptr || built.tuples_ == nullptr || built.next_ == nullptr)
    return GRIDLUME_STATUS_NO_MEMORY;
  built.buckets_per_group_ = buckets_per_group;
  built.groups_allocated_ = group_capacity;
  built.entry_capacity_ = static_cast<std::int32_t>(entry_capacity);
  swap(built);
  return GRIDLUME_STATUS_OK;
}

template <class GroupKeyKind, int TupleWidth>
int GroupedTable<GroupKeyKind, TupleWidth>::copy_from(const GroupedTable &source) noexcept {
  if (&source == this) return GRIDLUME_STATUS_OK;
  GroupedTable built;
  int status = built.groups_.copy_from(source.groups_);
  if (status != GRIDLUME_STATUS_OK) return status;
  std::size_t heads = head_slots(source.groups_allocated_, source.buckets_per_group_);
  std::size_t entries = slots_for(source.entry_capacity_);
  built.heads_ = copy_resized(source.heads_, heads, heads);
  built.tuples_ = copy_resized(source.tuples_, entries, entries);
  built.next_ = copy_resized(source.next_, entries, entries);
  if (built.heads_ == nullptr || built.tuples_ == nullptr || built.next_ == nullptr)
    return GRIDLUME_STATUS_NO_MEMORY;
  built.buckets_per_group_ = source.buckets_per_group_;
  built.groups_allocated_ = source.groups_allocated_;
  built.entry_count_ = source.entry_count_;
  built.entry_capacity_ = source.entry_capacity_;
  swap(built);
  return GRIDLUME_STATUS_OK;
}

template <class GroupKeyKind, int TupleWidth>
int GroupedTable<GroupKeyKind, TupleWidth>::reserve(std::int32_t additional_groups,
                                                    std::int32_t additional_entries) noexcept {
  int status = groups_.reserve(additional_groups);
  if (status != GRIDLUME_STATUS_OK) return status;
  // The bucket array follows the group table's capacity once a group number
  // passes the groups it was sized for.
  if (static_cast<std::int64_t>(groups_.count()) + std::max(additional_groups, 0) >
      groups_allocated_) {
    std::int32_t groups = groups_.capacity();
    std::int32_t *heads = copy_resized(heads_, head_slots(groups_allocated_, buckets_per_group_),
                                       head_slots(groups, buckets_per_group_));
    if (heads == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
    gridlume_free(heads_);
    heads_ = heads;
    groups_allocated_ = groups;
  }
  std::int64_t needed = static_cast<std::int64_t>(entry_count_) + std::max(additional_entries, 0);
  if (needed > entry_capacity_) {
    std::int32_t capacity = grown_capacity<GroupedEntryGrowth>(entry_capacity_, needed);
    if (capacity < 0) return GRIDLUME_STATUS_NO_MEMORY;
    Tuple *tuples = copy_resized(tuples_, slots_for(entry_capacity_), slots_for(capacity));
    std::int32_t *next =
        tuples ? copy_resized(next_, slots_for(entry_capacity_), slots_for(capacity)) : nullptr;
    if (next == nullptr) {
      gridlume_free(tuples);
      return GRIDLUME_STATUS_NO_MEMORY;
    }
    gridlume_free(tuples_);
    gridlume_free(next_);
    tuples_ = tuples;
    next_ = next;
    entry_capacity_ = capacity;
  }
  return GRIDLUME_STATUS_OK;
}

template <class GroupKeyKind, int TupleWidth>
std::int32_t GroupedTable<GroupKeyKind, TupleWidth>::tuple_bucket(
    std::int32_t group, const Tuple &tuple) const noexcept {
  std::int64_t sum = 0;
  for (std::int32_t value : tuple) sum += value;
  return (group - 1) * buckets_per_group_ + hash_detail::bucket_of_value(sum, buckets_per_group_);
}

template <class GroupKeyKind, int TupleWidth>
std::int32_t GroupedTable<GroupKeyKind, TupleWidth>::find(const GroupKey &group_key,
                                                          const Tuple &tuple) const noexcept {
  std::int32_t group = groups_.find(group_key);
  if (group == 0 || group > groups_allocated_) return 0;
  for (std::int32_t entry = heads_[tuple_bucket(group, tuple)]; entry != 0; entry = next_[entry])
    if (same_tuple(tuples_[entry], tuple)) return entry;
  return 0;
}

template <class GroupKeyKind, int TupleWidth>
std::int32_t GroupedTable<GroupKeyKind, TupleWidth>::insert(const GroupKey &group_key,
                                                            const Tuple &tuple) noexcept {
  if (heads_ == nullptr) return 0;
  std::int32_t group = groups_.find(group_key);
  std::int32_t last = 0;
  if (group != 0 && group <= groups_allocated_) {
    for (std::int32_t entry = heads_[tuple_bucket(group, tuple)]; entry != 0;
         entry = next_[entry]) {
      if (same_tuple(tuples_[entry], tuple)) return entry;
      last = entry;
    }
  }
  // Make room first, so that a failure leaves neither a group without its
  // tuple nor a half-linked entry.
  if (reserve(group == 0 ? 1 : 0, 1) != GRIDLUME_STATUS_OK) return 0;
  if (group == 0) group = groups_.insert(group_key);
  if (group == 0) return 0;
  std::int32_t entry = ++entry_count_;
  tuples_[entry] = tuple;
  next_[entry] = 0;
  if (last != 0)
    next_[last] = entry;
  else
    heads_[tuple_bucket(group, tuple)] = entry;
  return entry;
}

template class GroupedTable<IntegerKey, 1>;
template class GroupedTable<IntegerKey, 3>;
template class GroupedTable<IntegerKey, 4>;
template class GroupedTable<VertexPairKey, 1>;
template class GroupedTable<VertexTripleKey, 1>;

}  // namespace gridlume
