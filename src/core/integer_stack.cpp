// The growable integer list: doubling growth and copies.
#include "core/integer_stack.hpp"

#include <utility>

#include "core/flat_array.hpp"
#include "gridlume/common.h"

namespace gridlume {

namespace {
// A list created with no room still grows: doubling starts from one slot.
constexpr std::int32_t smallest_grown_capacity = 1;
}  // namespace

void IntegerStack::swap(IntegerStack &other) noexcept {
  std::swap(capacity_, other.capacity_);
  std::swap(count_, other.count_);
  std::swap(values_, other.values_);
}

void IntegerStack::release() noexcept {
  gridlume_free(values_);
  values_ = nullptr;
  capacity_ = count_ = 0;
}

int IntegerStack::create(std::int32_t capacity) noexcept {
  release();
  capacity = std::max(capacity, 0);
  values_ = allocate_zeroed<std::int32_t>(static_cast<std::size_t>(capacity));
  if (values_ == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
  capacity_ = capacity;
  return GRIDLUME_STATUS_OK;
}

int IntegerStack::copy_from(const IntegerStack &source) noexcept {
  if (&source == this) return GRIDLUME_STATUS_OK;
  std::size_t slots = static_cast<std::size_t>(source.capacity_);
  std::int32_t *values = copy_resized(source.values_, slots, slots);
  if (values == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
  gridlume_free(values_);
  values_ = values;
  capacity_ = source.capacity_;
  count_ = source.count_;
  return GRIDLUME_STATUS_OK;
}

std::int32_t IntegerStack::push(std::int32_t value) noexcept {
  if (count_ == capacity_) {
    if (capacity_ > INT32_MAX / 2) return 0;
    std::int32_t capacity = std::max(2 * capacity_, smallest_grown_capacity);
    auto *grown = static_cast<std::int32_t *>(
        gridlume_realloc(values_, sizeof(std::int32_t) * static_cast<std::size_t>(capacity)));
    if (grown == nullptr) return 0;
    std::fill(grown + capacity_, grown + capacity, 0);
    values_ = grown;
    capacity_ = capacity;
  }
  values_[count_] = value;
  return ++count_;
}

}  // namespace gridlume
