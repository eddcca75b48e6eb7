// A hash set of distinct 3D vectors that numbers each new vector 1, 2, 3, ...
// in order of first insertion: the shared "Normals" and "Tangents" tables of
// mesh files. Two vectors are the same only when all three components are
// equal.
#pragma once

#include <array>
#include <cstdint>

#include "core/allocator.hpp"

namespace gridlume {

class VectorTable {
 public:
  // Buckets for about initial_size vectors. Throws std::bad_alloc.
  explicit VectorTable(std::int32_t initial_size);

  // The number of the vector, inserting it when new. Throws std::bad_alloc
  // (the table is unchanged then).
  std::int32_t insert(const double vector[3]);
  std::int32_t size() const { return static_cast<std::int32_t>(vectors_.size()); }
  // Vector number 1..size().
  const std::array<double, 3> &operator[](std::int32_t number) const {
    return vectors_[static_cast<std::size_t>(number - 1)];
  }

 private:
  std::size_t bucket_of(const std::array<double, 3> &vector) const;
  void rehash(std::size_t bucket_count);

  Vector<std::array<double, 3>> vectors_;
  Vector<std::int32_t> next_;     // chain: next entry number of the same bucket, 0 ends
  Vector<std::int32_t> buckets_;  // first entry number of each bucket, 0 when empty
};

}  // namespace gridlume
