// Fronts: what moves from a marked edge through the triangles. A front knows
// its source segment (shared by number with every front of that segment, in
// the marked lines), the side through which it entered its triangle, and its
// distance from the source. Fronts of a triangle form a list threaded
// through the pool; fronts taken out of a list are recycled through a free
// list, so a long propagation reuses the same records.
#pragma once

#include <cstdint>

#include "core/allocator.hpp"
#include "proximity/proximity_mesh.hpp"

namespace gridlume::proximity {

struct Front {
  std::int32_t next;       // next front of the same triangle, or of the free list
  std::int32_t source;     // index of the source segment
  double distance;         // from the source to the triangle's centroid
  std::int8_t entry_side;  // local side it came through; its source side for a starting front
  std::uint8_t pending;    // not yet pushed into the neighbours
};

class FrontPool {
 public:
  // Room for `expected` fronts before the pool grows; throws std::bad_alloc.
  void reserve(std::size_t expected) { fronts_.reserve(expected); }
  // A front record, recycled when one is free; throws std::bad_alloc.
  std::int32_t take();
  // Returns a front to the free list.
  void recycle(std::int32_t front) {
    fronts_[front].next = free_head_;
    free_head_ = front;
  }
  Front &operator[](std::int32_t front) { return fronts_[front]; }
  const Front &operator[](std::int32_t front) const { return fronts_[front]; }
  std::size_t records() const { return fronts_.size(); }

 private:
  Vector<Front> fronts_;
  std::int32_t free_head_ = no_front;
};

}  // namespace gridlume::proximity
