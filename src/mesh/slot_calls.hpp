// Calls to a mesh's slot callbacks by slot number, for the operations that
// walk the attribute table (copies, concatenation, extraction). A slot
// without a callback answers -1, as the accessor operations do.
#pragma once

#include "mesh/mesh.hpp"

namespace gridlume {

template <class Callback, class... Arguments>
int call_getter(const gridlume_mesh *mesh, Slot slot, Arguments... arguments) noexcept {
  const AccessorSlot &accessor = mesh->slots[slot];
  if (accessor.getter == nullptr) return GRIDLUME_STATUS_ERROR;
  return reinterpret_cast<Callback>(accessor.getter)(arguments..., accessor.getter_data);
}

template <class Callback, class... Arguments>
int call_setter(const gridlume_mesh *mesh, Slot slot, Arguments... arguments) noexcept {
  const AccessorSlot &accessor = mesh->slots[slot];
  if (accessor.setter == nullptr) return GRIDLUME_STATUS_ERROR;
  return reinterpret_cast<Callback>(accessor.setter)(arguments..., accessor.setter_data);
}

inline int get_count(const gridlume_mesh *mesh, Slot count_slot, int *count) noexcept {
  return call_getter<gridlume_mesh_count_getter>(mesh, count_slot, count);
}

inline int set_count(const gridlume_mesh *mesh, Slot count_slot, int count) noexcept {
  return call_setter<gridlume_mesh_count_setter>(mesh, count_slot, count);
}

}  // namespace gridlume
