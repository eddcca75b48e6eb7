// The lists of a cad and of its objects: a capacity, a count and a flat array
// of trivially copyable values from the allocator layer. A list that cannot
// grow stays as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "gridlume/common.h"
#include "gridlume_stubs.h"

namespace gridlume {

template <class T>
class GrowableArray {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  GrowableArray() noexcept = default;
  GrowableArray(const GrowableArray &) = delete;
  GrowableArray &operator=(const GrowableArray &) = delete;
  ~GrowableArray() { release(); }

  // Room for `capacity` values; 0, or -5 when memory fails (the list is then
  // unchanged).
  int reserve(std::int32_t capacity) noexcept {
    if (capacity <= capacity_) return GRIDLUME_STATUS_OK;
    void *grown = gridlume_realloc(items_, sizeof(T) * static_cast<std::size_t>(capacity));
    if (grown == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
    items_ = static_cast<T *>(grown);
    capacity_ = capacity;
    return GRIDLUME_STATUS_OK;
  }
  // Appends a value; a full list doubles its capacity first (an empty one
  // takes one slot). False when memory fails.
  bool append(const T &value) noexcept {
    if (count_ == capacity_) {
      if (capacity_ > INT32_MAX / 2) return false;
      if (reserve(capacity_ == 0 ? 1 : 2 * capacity_) != GRIDLUME_STATUS_OK) return false;
    }
    items_[count_++] = value;
    return true;
  }
  // Removes the value at `index` (from 0); the last value takes its slot.
  void remove_swap_last(std::int32_t index) noexcept {
    items_[index] = items_[count_ - 1];
    --count_;
  }
  // The index (from 0) of the first value equal to `value`, or -1.
  std::int32_t index_of(const T &value) const noexcept {
    for (std::int32_t i = 0; i < count_; ++i)
      if (items_[i] == value) return i;
    return -1;
  }
  void clear() noexcept { count_ = 0; }
  void release() noexcept {
    gridlume_free(items_);
    items_ = nullptr;
    capacity_ = count_ = 0;
  }

  std::int32_t count() const noexcept { return count_; }
  std::int32_t capacity() const noexcept { return capacity_; }
  T &operator[](std::int32_t index) noexcept { return items_[index]; }
  const T &operator[](std::int32_t index) const noexcept { return items_[index]; }
  T *data() noexcept { return items_; }
  T *begin() noexcept { return items_; }
  T *end() noexcept { return items_ + count_; }

 private:
  std::int32_t capacity_ = 0;
  std::int32_t count_ = 0;
  T *items_ = nullptr;
};

// The original ids of a face, edge or wire. Until the first id is added no
// list exists, and the object's own id is its only original id.
class OriginalIds {
 public:
  bool present() const noexcept { return present_; }
  // The count, 1 while no list exists.
  std::int32_t count() const noexcept { return present_ ? ids_.count() : 1; }
  // The i-th id (from 1), `own_id` being the only one while no list exists;
  // false when i is out of range.
  bool get(std::int32_t i, std::int32_t own_id, std::int32_t &id) const noexcept {
    if (i < 1 || i > count()) return false;
    id = present_ ? ids_[i - 1] : own_id;
    return true;
  }
  // The list starts with room for one id and doubles when full. False when
  // memory fails (the list unchanged).
  bool add(std::int32_t id) noexcept {
    if (!ids_.append(id)) return false;
    present_ = true;
    return true;
  }
  // Empties the list: the count is 0 afterwards, not 1.
  void reset() noexcept {
    ids_.clear();
    present_ = true;
  }
  // Makes this list a copy of `source`; false when memory fails (this list
  // unchanged).
  bool copy_from(const OriginalIds &source) noexcept {
    if (!source.present_) return true;
    if (ids_.reserve(source.ids_.capacity()) != GRIDLUME_STATUS_OK) return false;
    ids_.clear();
    for (std::int32_t i = 0; i < source.ids_.count(); ++i) ids_.append(source.ids_[i]);
    present_ = true;
    return true;
  }

 private:
  bool present_ = false;
  GrowableArray<std::int32_t> ids_;
};

}  // namespace gridlume
