// Containers and records of the library take their memory from the allocator
// layer. Exhaustion inside surfaces as std::bad_alloc and is turned into a
// status or a NULL handle by the interface guards (guard.hpp).
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "gridlume_stubs.h"

namespace gridlume {

template <class T>
struct Allocator {
  using value_type = T;

  Allocator() noexcept = default;
  template <class U>
  Allocator(const Allocator<U> &) noexcept {}

  T *allocate(std::size_t n) {
    if (n > std::size_t(-1) / sizeof(T)) throw std::bad_alloc();
    void *block = gridlume_malloc(n * sizeof(T));
    if (block == nullptr) throw std::bad_alloc();
    return static_cast<T *>(block);
  }
  void deallocate(T *block, std::size_t) noexcept { gridlume_free(block); }

  template <class U>
  bool operator==(const Allocator<U> &) const noexcept { return true; }
};

template <class T>
using Vector = std::vector<T, Allocator<T>>;

// The allocator of large arrays filled right after they are sized, often by
// several threads each writing (and so first touching) its own part: sizing
// without a value (resize(n), a vector of n) leaves the values unset, where
// Vector would zero them all on the sizing thread first. Sizing with a value
// fills as usual.
template <class T>
struct FillLaterAllocator : Allocator<T> {
  using value_type = T;
  template <class U>
  struct rebind {
    using other = FillLaterAllocator<U>;
  };

  FillLaterAllocator() noexcept = default;
  template <class U>
  FillLaterAllocator(const FillLaterAllocator<U> &) noexcept {}

  template <class U>
  void construct(U *place) noexcept(std::is_nothrow_default_constructible_v<U>) {
    ::new (static_cast<void *>(place)) U;
  }
  template <class U, class... Args>
  void construct(U *place, Args &&...args) {
    ::new (static_cast<void *>(place)) U(std::forward<Args>(args)...);
  }
  template <class U>
  bool operator==(const FillLaterAllocator<U> &) const noexcept { return true; }
};

template <class T>
using FillLaterVector = std::vector<T, FillLaterAllocator<T>>;
using String = std::basic_string<char, std::char_traits<char>, Allocator<char>>;

// Releases a block of the allocator layer.
struct BlockRelease {
  void operator()(void *block) const noexcept { gridlume_free(block); }
};
template <class T>
using Block = std::unique_ptr<T, BlockRelease>;

// Builds a T in zero-filled memory of the allocator layer: records are
// allocated zero-filled. Returns nullptr when memory fails or T's constructor
// throws.
template <class T, class... Args>
T *create(Args &&...args) noexcept {
  void *memory = gridlume_calloc(1, sizeof(T));
  if (memory == nullptr) return nullptr;
  try {
    return new (memory) T(std::forward<Args>(args)...);
  } catch (...) {
    gridlume_free(memory);
    return nullptr;
  }
}

// Destroys and releases a record made by create(); nullptr is ignored.
template <class T>
void destroy(T *record) noexcept {
  if (record == nullptr) return;
  record->~T();
  gridlume_free(record);
}

// A plain array of n trivially copyable values from the allocator layer.
template <class T>
T *allocate_array(std::size_t n) noexcept {
  if (n > std::size_t(-1) / sizeof(T)) return nullptr;
  return static_cast<T *>(gridlume_malloc(n * sizeof(T)));
}

// Owned copy of a NUL-terminated text, or nullptr when memory fails.
char *duplicate_text(const char *text) noexcept;

}  // namespace gridlume
