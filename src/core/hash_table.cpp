// Hashed index tables: insertion, lookup, growth and rehash, shared by every
// key kind.
#include "core/hash_table.hpp"

#include <utility>

#include "core/flat_array.hpp"
#include "gridlume/common.h"

namespace gridlume {

template <class KeyKind, class Growth>
void HashedIndexTable<KeyKind, Growth>::swap(HashedIndexTable &other) noexcept {
  std::swap(count_, other.count_);
  std::swap(capacity_, other.capacity_);
  std::swap(bucket_count_, other.bucket_count_);
  std::swap(keys_, other.keys_);
  std::swap(heads_, other.heads_);
  std::swap(next_, other.next_);
  std::swap(automatic_rehash_, other.automatic_rehash_);
  std::swap(maximum_load_factor_, other.maximum_load_factor_);
}

template <class KeyKind, class Growth>
void HashedIndexTable<KeyKind, Growth>::release() noexcept {
  gridlume_free(keys_);
  gridlume_free(heads_);
  gridlume_free(next_);
  keys_ = nullptr;
  heads_ = nullptr;
  next_ = nullptr;
  count_ = capacity_ = bucket_count_ = 0;
}

template <class KeyKind, class Growth>
int HashedIndexTable<KeyKind, Growth>::create(std::int32_t bucket_count,
                                              std::int32_t capacity) noexcept {
  release();
  if (bucket_count < 1 || capacity < 0 || capacity == INT32_MAX) return GRIDLUME_STATUS_ERROR;
  HashedIndexTable built;
  built.keys_ = allocate_zeroed<Key>(slots_for(capacity));
  built.next_ = allocate_zeroed<std::int32_t>(slots_for(capacity));
  built.heads_ = allocate_written_zeroes<std::int32_t>(static_cast<std::size_t>(bucket_count));
  if (built.keys_ == nullptr || built.next_ == nullptr || built.heads_ == nullptr)
    return GRIDLUME_STATUS_NO_MEMORY;
  built.capacity_ = capacity;
  built.bucket_count_ = bucket_count;
  swap(built);
  return GRIDLUME_STATUS_OK;
}

template <class KeyKind, class Growth>
int HashedIndexTable<KeyKind, Growth>::copy_from(const HashedIndexTable &source) noexcept {
  if (&source == this) return GRIDLUME_STATUS_OK;
  HashedIndexTable built;
  std::size_t slots = slots_for(source.capacity_);
  if (source.keys_ != nullptr) {
    built.keys_ = copy_resized(source.keys_, slots, slots);
    if (built.keys_ == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
  }
  if (source.next_ != nullptr) {
    built.next_ = copy_resized(source.next_, slots, slots);
    if (built.next_ == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
  }
  if (source.heads_ != nullptr) {
    std::size_t buckets = static_cast<std::size_t>(source.bucket_count_);
    built.heads_ = copy_resized(source.heads_, buckets, buckets);
    if (built.heads_ == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
  }
  built.count_ = source.count_;
  built.capacity_ = source.capacity_;
  built.bucket_count_ = source.bucket_count_;
  built.automatic_rehash_ = source.automatic_rehash_;
  built.maximum_load_factor_ = source.maximum_load_factor_;
  swap(built);
  return GRIDLUME_STATUS_OK;
}

template <class KeyKind, class Growth>
int HashedIndexTable<KeyKind, Growth>::reallocate_keys(std::int32_t capacity) noexcept {
  // Both arrays are replaced together or not at all.
  std::size_t old_slots = slots_for(capacity_);
  Key *keys = copy_resized(keys_, old_slots, slots_for(capacity));
  if (keys == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
  // Links released by rehash(0) stay released: the next rehash rebuilds them.
  std::int32_t *next = nullptr;
  if (next_ != nullptr) {
    next = copy_resized(next_, old_slots, slots_for(capacity));
    if (next == nullptr) {
      gridlume_free(keys);
      return GRIDLUME_STATUS_NO_MEMORY;
    }
  }
  gridlume_free(keys_);
  gridlume_free(next_);
  keys_ = keys;
  next_ = next;
  capacity_ = capacity;
  return GRIDLUME_STATUS_OK;
}

template <class KeyKind, class Growth>
int HashedIndexTable<KeyKind, Growth>::reserve(std::int32_t additional) noexcept {
  std::int64_t needed = static_cast<std::int64_t>(count_) + std::max(additional, 0);
  if (needed <= capacity_) return GRIDLUME_STATUS_OK;
  std::int32_t capacity = grown_capacity<Growth>(capacity_, needed);
  if (capacity < 0) return GRIDLUME_STATUS_NO_MEMORY;
  return reallocate_keys(capacity);
}

template <class KeyKind, class Growth>
int HashedIndexTable<KeyKind, Growth>::resize(std::int32_t bucket_count,
                                              std::int32_t capacity) noexcept {
  if (bucket_count < 0 || capacity < 0 || capacity == INT32_MAX) return GRIDLUME_STATUS_ERROR;
  if (capacity != 0 && capacity < count_) return GRIDLUME_STATUS_ERROR;
  if (capacity != 0 && capacity != capacity_) {
    int status = reallocate_keys(capacity);
    if (status != GRIDLUME_STATUS_OK) return status;
  }
  if (bucket_count != 0) {
    std::int32_t *heads = copy_resized(heads_, heads_ ? static_cast<std::size_t>(bucket_count_) : 0,
                                       static_cast<std::size_t>(bucket_count));
    if (heads == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
    gridlume_free(heads_);
    heads_ = heads;
    bucket_count_ = bucket_count;
  }
  return GRIDLUME_STATUS_OK;
}

template <class KeyKind, class Growth>
int HashedIndexTable<KeyKind, Growth>::rehash(std::int32_t bucket_count) noexcept {
  if (bucket_count < 1) {
    gridlume_free(heads_);
    gridlume_free(next_);
    heads_ = nullptr;
    next_ = nullptr;
    bucket_count_ = 0;
    return GRIDLUME_STATUS_OK;
  }
  if (bucket_count != bucket_count_ || heads_ == nullptr) {
    int status = resize(bucket_count, std::max(capacity_, bucket_count));
    if (status != GRIDLUME_STATUS_OK) return status;
  }
  if (next_ == nullptr) {
    next_ = allocate_zeroed<std::int32_t>(slots_for(capacity_));
    if (next_ == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
  }
  std::fill(heads_, heads_ + bucket_count_, 0);
  std::fill(next_, next_ + slots_for(capacity_), 0);
  // Each key goes to the front of its chain, so chains end up running from
  // the highest number to the lowest.
  for (std::int32_t number = 1; number <= count_; ++number) {
    std::int32_t bucket = KeyKind::bucket(keys_[number], bucket_count_);
    next_[number] = heads_[bucket];
    heads_[bucket] = number;
  }
  return GRIDLUME_STATUS_OK;
}

template <class KeyKind, class Growth>
std::int32_t HashedIndexTable<KeyKind, Growth>::find(const Key &key) const noexcept {
  if (heads_ == nullptr) return 0;
  for (std::int32_t number = heads_[KeyKind::bucket(key, bucket_count_)]; number != 0;
       number = next_[number])
    if (KeyKind::equal(keys_[number], key)) return number;
  return 0;
}

template <class KeyKind, class Growth>
std::int32_t HashedIndexTable<KeyKind, Growth>::insert(const Key &key) noexcept {
  if (heads_ == nullptr) return 0;
  return insert(key, KeyKind::bucket(key, bucket_count_));
}

template <class KeyKind, class Growth>
std::int32_t HashedIndexTable<KeyKind, Growth>::insert(const Key &key,
                                                       std::int32_t bucket) noexcept {
  if (heads_ == nullptr) return 0;
  if (automatic_rehash_ != 0 &&
      static_cast<double>(count_) / bucket_count_ > maximum_load_factor_) {
    std::int32_t doubled = bucket_count_ > INT32_MAX / 2 ? INT32_MAX : 2 * bucket_count_;
    if (rehash(doubled) != GRIDLUME_STATUS_OK) return 0;
    bucket = KeyKind::bucket(key, bucket_count_);
  }
  std::int32_t last = 0;
  for (std::int32_t number = heads_[bucket]; number != 0; number = next_[number]) {
    if (KeyKind::equal(keys_[number], key)) return number;
    last = number;
  }
  if (count_ == capacity_ && reserve(1) != GRIDLUME_STATUS_OK) return 0;
  std::int32_t number = ++count_;
  next_[number] = 0;
  if (last != 0)
    next_[last] = number;
  else
    heads_[bucket] = number;
  keys_[number] = key;
  return number;
}

template class HashedIndexTable<IntegerKey>;
template class HashedIndexTable<VertexPairKey>;
template class HashedIndexTable<VertexTripleKey>;
template class HashedIndexTable<PointerKey>;
template class HashedIndexTable<OrderedTripleKey>;
template class HashedIndexTable<IntegerKey, SetGrowth>;

}  // namespace gridlume
