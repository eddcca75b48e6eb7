// A growable list of 32-bit integers for work lists and tag lists.
#pragma once

#include <cstdint>

namespace gridlume {

class IntegerStack {
 public:
  IntegerStack() noexcept = default;
  IntegerStack(const IntegerStack &) = delete;
  IntegerStack &operator=(const IntegerStack &) = delete;
  IntegerStack(IntegerStack &&other) noexcept { swap(other); }
  IntegerStack &operator=(IntegerStack &&other) noexcept {
    IntegerStack taken(static_cast<IntegerStack &&>(other));
    swap(taken);
    return *this;
  }
  ~IntegerStack() { release(); }

  // An empty list with room for `capacity` values (negative counts as 0).
  // 0, or -5 when memory fails (the list is then empty with no room).
  int create(std::int32_t capacity) noexcept;
  // Makes this list a copy of `source`: capacity, count and contents.
  // 0, or -5 when memory fails (this list unchanged).
  int copy_from(const IntegerStack &source) noexcept;
  void release() noexcept;

  // Appends `value` and returns the new count; a full list first doubles its
  // capacity (new slots zero). 0 when memory fails (the list unchanged).
  std::int32_t push(std::int32_t value) noexcept;
  // Removes and returns the last value; the list must not be empty.
  std::int32_t pop() noexcept { return values_[--count_]; }
  void clear() noexcept { count_ = 0; }

  std::int32_t count() const noexcept { return count_; }
  std::int32_t capacity() const noexcept { return capacity_; }
  bool empty() const noexcept { return count_ == 0; }
  // Values are indexed from 0 to count - 1.
  std::int32_t operator[](std::int32_t index) const noexcept { return values_[index]; }
  std::int32_t &operator[](std::int32_t index) noexcept { return values_[index]; }
  const std::int32_t *data() const noexcept { return values_; }

 private:
  void swap(IntegerStack &other) noexcept;

  std::int32_t capacity_ = 0;
  std::int32_t count_ = 0;
  std::int32_t *values_ = nullptr;
};

}  // namespace gridlume
