// Flat arrays of trivially copyable values from the allocator layer, as the
// hashed index tables keep them.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "gridlume_stubs.h"

namespace gridlume {

// A zero-filled array of `count` values (at least one slot is obtained, so
// that an empty array is still a block); nullptr when memory fails.
template <class T>
T *allocate_zeroed(std::size_t count) noexcept {
  static_assert(std::is_trivially_copyable_v<T>);
  return static_cast<T *>(gridlume_calloc(std::max<std::size_t>(count, 1), sizeof(T)));
}

// The same with the zeroes written: every page of the array is then written
// before it is read. Bucket heads are read before they are written, and a
// first read of a fresh page maps the kernel's shared zero page, so that the
// first write faults a second time (and, with other threads of the process
// running, interrupts their processors to flush the stale mapping).
template <class T>
T *allocate_written_zeroes(std::size_t count) noexcept {
  static_assert(std::is_trivially_copyable_v<T>);
  count = std::max<std::size_t>(count, 1);
  if (count > std::size_t(-1) / sizeof(T)) return nullptr;
  T *array = static_cast<T *>(gridlume_malloc(count * sizeof(T)));
  if (array != nullptr) std::memset(static_cast<void *>(array), 0, count * sizeof(T));
  return array;
}

// A new array of `new_count` values holding the first values of `array`
// (which has `old_count`), the rest zero. The old array is left alone, so a
// caller replacing several arrays can keep all of them when one fails.
template <class T>
T *copy_resized(const T *array, std::size_t old_count, std::size_t new_count) noexcept {
  T *copy = allocate_zeroed<T>(new_count);
  if (copy != nullptr && array != nullptr)
    std::memcpy(static_cast<void *>(copy), array, std::min(old_count, new_count) * sizeof(T));
  return copy;
}

// Slots of an array indexed 0..capacity.
inline std::size_t slots_for(std::int32_t capacity) noexcept {
  return static_cast<std::size_t>(capacity) + 1;
}

// The capacity reached from `capacity` by the growth steps of `Growth` so
// that `needed` values fit; -1 when it would pass the 32-bit range.
template <class Growth>
std::int32_t grown_capacity(std::int32_t capacity, std::int64_t needed) noexcept {
  std::int64_t grown = capacity;
  while (grown < needed) {
    grown += Growth::increment(static_cast<std::int32_t>(grown));
    if (grown >= INT32_MAX) return -1;
  }
  return static_cast<std::int32_t>(grown);
}

}  // namespace gridlume
