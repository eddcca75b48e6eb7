#include "cad/vertex_map.hpp"

#include "core/flat_array.hpp"
#include "gridlume/common.h"

namespace gridlume {

int VertexMap::create() noexcept {
  release();
  int status = ids_.create(vertex_map_bucket_count, vertex_map_initial_capacity);
  if (status != GRIDLUME_STATUS_OK) return status;
  indices_ = allocate_zeroed<std::int32_t>(slots_for(vertex_map_initial_capacity));
  if (indices_ == nullptr) {
    ids_.release();
    return GRIDLUME_STATUS_NO_MEMORY;
  }
  index_capacity_ = vertex_map_initial_capacity;
  return GRIDLUME_STATUS_OK;
}

void VertexMap::release() noexcept {
  ids_.release();
  gridlume_free(indices_);
  indices_ = nullptr;
  index_capacity_ = 0;
}

int VertexMap::set(std::int32_t id, std::int32_t index) noexcept {
  if (!created()) return GRIDLUME_STATUS_ERROR;
  std::int32_t number = ids_.find(id);
  if (number == 0) {
    // Both the ids and the indices get their room before the id goes in, so
    // that a failure leaves the map as it was.
    if (ids_.reserve(1) != GRIDLUME_STATUS_OK) return GRIDLUME_STATUS_NO_MEMORY;
    if (index_capacity_ < ids_.capacity()) {
      std::int32_t *grown = copy_resized(indices_, slots_for(index_capacity_),
                                         slots_for(ids_.capacity()));
      if (grown == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
      gridlume_free(indices_);
      indices_ = grown;
      index_capacity_ = ids_.capacity();
    }
    number = ids_.insert(id);
    if (number == 0) return GRIDLUME_STATUS_NO_MEMORY;
  }
  indices_[number] = index;
  return GRIDLUME_STATUS_OK;
}

bool VertexMap::find(std::int32_t id, std::int32_t &index) const noexcept {
  if (!created()) return false;
  std::int32_t number = ids_.find(id);
  if (number == 0) return false;
  index = indices_[number];
  return true;
}

}  // namespace gridlume
