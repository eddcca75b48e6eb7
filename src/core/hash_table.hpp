// Hashed index tables: each distinct key gets a stable number 1..count in
// order of first insertion, found again in constant expected time.
//
// A table is three flat arrays (keys, bucket heads, next links) chained by
// integer links, so it costs three allocations whatever its size and nothing
// per key. Key k lives in slot k of the key array; slot 0 holds no key and
// link 0 ends a chain. Numbers never change for the life of the table; single
// keys are never removed.
//
//   HashedIndexTable<VertexPairKey> edges;
//   if (edges.create(2 * triangle_count + 1, 3 * triangle_count) != 0) ...
//   std::int32_t edge = edges.insert({a, b});   // 0 when memory fails
//   edges.key(edge)                              // the pair as first inserted
//
// Memory failure answers number 0 from insertions and -5 from the sizing
// operations; the table stays usable with what it held.
#pragma once

#include <cstdint>

#include "core/hash_keys.hpp"

namespace gridlume {

template <class KeyKind, class Growth = TableGrowth>
class HashedIndexTable {
 public:
  using Key = typename KeyKind::Key;

  HashedIndexTable() noexcept = default;
  HashedIndexTable(const HashedIndexTable &) = delete;
  HashedIndexTable &operator=(const HashedIndexTable &) = delete;
  HashedIndexTable(HashedIndexTable &&other) noexcept { swap(other); }
  HashedIndexTable &operator=(HashedIndexTable &&other) noexcept {
    HashedIndexTable taken(static_cast<HashedIndexTable &&>(other));
    swap(taken);
    return *this;
  }
  ~HashedIndexTable() { release(); }

  // An empty table of `bucket_count` buckets (at least 1) with room for
  // `capacity` keys. Whatever the table held before is released. 0, -1 for a
  // bucket count below 1 or a negative capacity, -5 when memory fails (the
  // table is then empty and answers 0 to every insertion).
  int create(std::int32_t bucket_count, std::int32_t capacity) noexcept;
  // Makes this table a copy of `source` (same sizes, numbers and chains);
  // 0, or -5 when memory fails (this table unchanged).
  int copy_from(const HashedIndexTable &source) noexcept;
  // Releases the arrays; the table is then empty with no buckets.
  void release() noexcept;

  // The number of `key`, adding it as number count + 1 when absent. 0 when
  // the table has no buckets or memory fails.
  std::int32_t insert(const Key &key) noexcept;
  // The same, for a caller that has already found bucket_of(key) (which
  // stays valid until the table is rehashed or its buckets resized).
  std::int32_t insert(const Key &key, std::int32_t bucket) noexcept;
  // The number of `key`, or 0 when absent; never adds.
  std::int32_t find(const Key &key) const noexcept;

  // Grows the key room so that `additional` more keys fit without further
  // allocation, in the table's own growth steps. 0 or -5.
  int reserve(std::int32_t additional) noexcept;
  // Reallocates the bucket heads to `bucket_count` entries (new heads 0) when
  // it is not 0, and the keys and links to `capacity` + 1 slots when it is not
  // 0. A bucket change leaves the chains to be rebuilt: rehash does both.
  // 0, -1 for a negative size or a capacity below the count, -5 when memory
  // fails (the part that failed is unchanged).
  int resize(std::int32_t bucket_count, std::int32_t capacity) noexcept;
  // Rebuilds the chains over `bucket_count` buckets; numbers never change and
  // every chain then runs from its highest number to its lowest. A count
  // below 1 releases the buckets and links: the table then answers 0 to every
  // insertion and find until rehashed again. 0 or -5.
  int rehash(std::int32_t bucket_count) noexcept;
  // When on, an insertion that finds count / bucket count above the maximum
  // load factor first rehashes to twice the buckets. Off at creation.
  void set_automatic_rehash(bool enabled, double maximum_load_factor) noexcept {
    automatic_rehash_ = enabled ? 1 : 0;
    maximum_load_factor_ = maximum_load_factor;
  }

  std::int32_t count() const noexcept { return count_; }
  std::int32_t capacity() const noexcept { return capacity_; }
  std::int32_t bucket_count() const noexcept { return bucket_count_; }
  // The key numbered `number` (1..count), as it was first inserted.
  const Key &key(std::int32_t number) const noexcept { return keys_[number]; }
  // Chain walking: the first number of a bucket, the number after `number`
  // in its chain (0 ends both).
  std::int32_t head(std::int32_t bucket) const noexcept { return heads_[bucket]; }
  std::int32_t next(std::int32_t number) const noexcept { return next_[number]; }
  std::int32_t bucket_of(const Key &key) const noexcept {
    return KeyKind::bucket(key, bucket_count_);
  }
  // Hints for a caller that knows its next keys: bring a bucket's chain head,
  // or a numbered key with its link, into the cache ahead of the insert or
  // find that will read them. They change nothing.
  void prefetch_bucket(std::int32_t bucket) const noexcept {
    if (heads_ != nullptr) __builtin_prefetch(heads_ + bucket);
  }
  void prefetch_number(std::int32_t number) const noexcept {
    if (number == 0) return;
    __builtin_prefetch(keys_ + number);
    if (next_ != nullptr) __builtin_prefetch(next_ + number);
  }

 private:
  void swap(HashedIndexTable &other) noexcept;
  // Replaces keys and links with arrays of `capacity` + 1 slots.
  int reallocate_keys(std::int32_t capacity) noexcept;

  std::int32_t count_ = 0;
  std::int32_t capacity_ = 0;
  std::int32_t bucket_count_ = 0;
  Key *keys_ = nullptr;
  std::int32_t *heads_ = nullptr;
  std::int32_t *next_ = nullptr;
  std::int32_t automatic_rehash_ = 0;
  double maximum_load_factor_ = 0.0;
};

// The five variants; their code is compiled once in hash_table.cpp.
using IntegerTable = HashedIndexTable<IntegerKey>;
using VertexPairTable = HashedIndexTable<VertexPairKey>;
using VertexTripleTable = HashedIndexTable<VertexTripleKey>;
using PointerTable = HashedIndexTable<PointerKey>;
using OrderedTripleTable = HashedIndexTable<OrderedTripleKey>;

// A temporary set of integers numbered in insertion order (used vertices,
// base tags under construction): the integer table without rehash, growing
// by a third of its capacity, at least 21.
class IntegerSet : private HashedIndexTable<IntegerKey, SetGrowth> {
  using Table = HashedIndexTable<IntegerKey, SetGrowth>;

 public:
  // `bucket_count` at least 1; 0, -1 or -5 as for tables.
  using Table::create;
  using Table::release;
  // The number of the value, adding it when absent; 0 when memory fails.
  using Table::insert;
  using Table::find;
  bool contains(std::int32_t value) const noexcept { return find(value) != 0; }
  using Table::count;
  using Table::capacity;
  using Table::bucket_count;
  using Table::key;
};

extern template class HashedIndexTable<IntegerKey>;
extern template class HashedIndexTable<VertexPairKey>;
extern template class HashedIndexTable<VertexTripleKey>;
extern template class HashedIndexTable<PointerKey>;
extern template class HashedIndexTable<OrderedTripleKey>;
extern template class HashedIndexTable<IntegerKey, SetGrowth>;

}  // namespace gridlume
