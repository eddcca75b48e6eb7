// The key kinds of the hashed index tables and their growth rules.
//
// A key kind says what a key is, which bucket it falls in and when two keys
// are the same key. Keys are stored by value in flat arrays, so every kind is
// trivially copyable.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

namespace gridlume {

// Tables are sized near their final size when created, so they grow in small
// steps: a seventeenth of the capacity, at least 21 keys.
inline constexpr std::int32_t table_growth_divisor = 17;
inline constexpr std::int32_t table_growth_floor = 21;
// Integer sets are short-lived and grow faster: a third, at least 21 keys.
inline constexpr std::int32_t set_growth_divisor = 3;
inline constexpr std::int32_t set_growth_floor = 21;

struct TableGrowth {
  static std::int32_t increment(std::int32_t capacity) noexcept {
    return std::max(capacity / table_growth_divisor, table_growth_floor);
  }
};

struct SetGrowth {
  static std::int32_t increment(std::int32_t capacity) noexcept {
    return std::max(capacity / set_growth_divisor, set_growth_floor);
  }
};

namespace hash_detail {
// abs(value) mod bucket_count, without overflow for the most negative value.
inline std::int32_t bucket_of_value(std::int64_t value, std::int32_t bucket_count) noexcept {
  std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value)
                                      : static_cast<std::uint64_t>(value);
  return static_cast<std::int32_t>(magnitude % static_cast<std::uint64_t>(bucket_count));
}
}  // namespace hash_detail

// One 32-bit integer; bucket abs(k) mod B.
struct IntegerKey {
  using Key = std::int32_t;
  static std::int32_t bucket(Key key, std::int32_t bucket_count) noexcept {
    return hash_detail::bucket_of_value(key, bucket_count);
  }
  static bool equal(Key a, Key b) noexcept { return a == b; }
};

// An unordered vertex pair, stored as given; (a, b) and (b, a) are one key.
// Bucket abs((a + 1) * (b + 1)) mod B with the product wrapping in 32 bits.
struct VertexPairKey {
  using Key = std::array<std::int32_t, 2>;
  static std::int32_t bucket(const Key &key, std::int32_t bucket_count) noexcept {
    std::uint32_t product = (static_cast<std::uint32_t>(key[0]) + 1u) *
                            (static_cast<std::uint32_t>(key[1]) + 1u);
    // abs of the product as a signed 32-bit value, which fits in 32 unsigned
    // bits: a 32-bit division, quicker than the 64-bit one of other keys.
    const std::uint32_t magnitude = static_cast<std::int32_t>(product) < 0 ? 0u - product : product;
    return static_cast<std::int32_t>(magnitude % static_cast<std::uint32_t>(bucket_count));
  }
  static bool equal(const Key &a, const Key &b) noexcept {
    return (a[0] == b[0] && a[1] == b[1]) || (a[0] == b[1] && a[1] == b[0]);
  }
};

// An unordered vertex triple, stored as given; any permutation is the same
// key. Bucket abs(a + b + c) mod B.
struct VertexTripleKey {
  using Key = std::array<std::int32_t, 3>;
  static std::int32_t bucket(const Key &key, std::int32_t bucket_count) noexcept {
    return hash_detail::bucket_of_value(
        static_cast<std::int64_t>(key[0]) + key[1] + key[2], bucket_count);
  }
  // Once a's first value is matched in b, the triples are the same exactly
  // when the two values left over are the same pair in either order. Most
  // keys of a chain differ in their first value, so this answers after one
  // to three compares, where sorting both triples cost a face search of a
  // large volume mesh half its time.
  static bool equal(const Key &a, const Key &b) noexcept {
    if (a[0] == b[0]) return same_pair(a[1], a[2], b[1], b[2]);
    if (a[0] == b[1]) return same_pair(a[1], a[2], b[0], b[2]);
    if (a[0] == b[2]) return same_pair(a[1], a[2], b[0], b[1]);
    return false;
  }

 private:
  static bool same_pair(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d) noexcept {
    return (a == c && b == d) || (a == d && b == c);
  }
};

// A vertex triple already put in a canonical order by its owner (the
// sub-entities of the high-order conversion); two keys are the same key only
// when equal in order. Bucket (3a + 5b + 7c) mod B, summed in 64 bits.
struct OrderedTripleKey {
  using Key = std::array<std::int32_t, 3>;
  static std::int32_t bucket(const Key &key, std::int32_t bucket_count) noexcept {
    const std::int64_t sum = 3 * static_cast<std::int64_t>(key[0]) +
                             5 * static_cast<std::int64_t>(key[1]) +
                             7 * static_cast<std::int64_t>(key[2]);
    // Vertex numbers are positive and the sum mostly fits in 32 bits, where
    // the division is several times quicker.
    if (sum >= 0 && sum <= static_cast<std::int64_t>(UINT32_MAX))
      return static_cast<std::int32_t>(static_cast<std::uint32_t>(sum) %
                                       static_cast<std::uint32_t>(bucket_count));
    return hash_detail::bucket_of_value(sum, bucket_count);
  }
  static bool equal(const Key &a, const Key &b) noexcept {
    return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
  }
};

// An address; bucket ((low 32 bits of p) >> 3) mod B, since allocations are
// aligned and their low three bits carry nothing.
struct PointerKey {
  using Key = const void *;
  static std::int32_t bucket(Key key, std::int32_t bucket_count) noexcept {
    auto low_bits = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(key));
    return static_cast<std::int32_t>((low_bits >> 3) % static_cast<std::uint32_t>(bucket_count));
  }
  static bool equal(Key a, Key b) noexcept { return a == b; }
};

}  // namespace gridlume
