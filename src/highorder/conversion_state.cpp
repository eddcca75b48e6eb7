// Creation and release of the conversion state.
#include <new>

#include "gridlume/common.h"
#include "highorder/conversion.hpp"

namespace gridlume::highorder {

ConversionState *conversion_state_new() noexcept { return create<ConversionState>(); }

void conversion_state_delete(ConversionState *state) noexcept {
  if (state == nullptr) return;
  destroy(state->surface);
  destroy(state);
}

int allocate_boundary_layer_pairs(ConversionState &state, std::int32_t vertex_count) noexcept {
  if (vertex_count < 0 || vertex_count == INT32_MAX) return GRIDLUME_STATUS_ERROR;
  try {
    state.boundary_layer_pairs.assign(std::size_t(vertex_count) + 1, {0, 0});
  } catch (const std::bad_alloc &) {
    state.boundary_layer_pairs = {};
    return GRIDLUME_STATUS_NO_MEMORY;
  }
  return GRIDLUME_STATUS_OK;
}

int allocate_input_surface(ConversionState &state) noexcept {
  if (state.surface != nullptr) return GRIDLUME_STATUS_OK;
  state.surface = create<InternalMesh>();
  if (state.surface == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
  // The given surface is second order: its triangles carry 6 nodes and its
  // quadrangles 9.
  state.surface->order = 2;
  return GRIDLUME_STATUS_OK;
}

}  // namespace gridlume::highorder
