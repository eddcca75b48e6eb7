#include "proximity/fronts.hpp"

#include <new>

namespace gridlume::proximity {

std::int32_t FrontPool::take() {
  if (free_head_ != no_front) {
    const std::int32_t front = free_head_;
    free_head_ = fronts_[front].next;
    return front;
  }
  // Fronts are numbered in 32 bits; a pool that would pass them is as full
  // as an exhausted memory.
  if (fronts_.size() >= static_cast<std::size_t>(INT32_MAX)) throw std::bad_alloc();
  fronts_.push_back(Front{});
  return static_cast<std::int32_t>(fronts_.size() - 1);
}

}  // namespace gridlume::proximity
