// The copy that keeps reading through its source: counts, setters and
// subdomain slots are the source's own; every other getter is a bounded
// forwarder that answers zeros beyond the count seen at copy time.
#include <algorithm>
#include <utility>

#include "core/allocator.hpp"
#include "gridlume/mesh_memory.h"
#include "gridlume/tag_system.h"
#include "mesh/mesh.hpp"
#include "mesh/slot_calls.hpp"

namespace gridlume {
namespace {

// The user data of a forwarding getter; attached to the copy, released with it.
struct BoundedForwarder {
  std::int32_t count;
  AnyCallback getter;
  void *getter_data;
};

template <class Callback, class... Arguments>
int forward(const BoundedForwarder *forwarder, Arguments... arguments) noexcept {
  if (forwarder->getter == nullptr) return GRIDLUME_STATUS_ERROR;
  return reinterpret_cast<Callback>(forwarder->getter)(arguments..., forwarder->getter_data);
}

// The values one call writes: every vertex index of the element, the three
// components of a vector, or the one integer.
constexpr int output_values(Slot slot) {
  switch (attribute_table[slot].shape) {
    case AttributeShape::VERTICES: return attribute_table[slot].width;
    case AttributeShape::POINT:
    case AttributeShape::CORNER_POINT: return 3;
    default: return 1;
  }
}

template <Slot S, class Value>
int forward_values(int i, Value *values, void *data) noexcept {
  const auto *forwarder = static_cast<const BoundedForwarder *>(data);
  if (i < 1) return GRIDLUME_STATUS_ERROR;
  if (i > forwarder->count) {
    if (values == nullptr) return GRIDLUME_STATUS_ERROR;
    std::fill_n(values, output_values(S), Value{});
    return GRIDLUME_STATUS_OK;
  }
  return forward<int (*)(int, Value *, void *)>(forwarder, i, values);
}

template <Slot S>
int forward_corner(int i, int j, double *xyz, void *data) noexcept {
  const auto *forwarder = static_cast<const BoundedForwarder *>(data);
  if (i < 1) return GRIDLUME_STATUS_ERROR;
  if (i > forwarder->count) {
    if (xyz == nullptr) return GRIDLUME_STATUS_ERROR;
    std::fill_n(xyz, 3, 0.0);
    return GRIDLUME_STATUS_OK;
  }
  return forward<gridlume_mesh_corner_point_getter>(forwarder, i, j, xyz);
}

template <Slot S>
int forward_extra(int i, int *count, int *vertices, void *data) noexcept {
  const auto *forwarder = static_cast<const BoundedForwarder *>(data);
  if (i < 1) return GRIDLUME_STATUS_ERROR;
  if (i > forwarder->count) {
    if (count == nullptr) return GRIDLUME_STATUS_ERROR;
    *count = 0;
    return GRIDLUME_STATUS_OK;
  }
  return forward<gridlume_mesh_extra_vertices_getter>(forwarder, i, count, vertices);
}

template <Slot S>
AnyCallback forwarder_of() noexcept {
  constexpr AttributeShape shape = attribute_table[S].shape;
  if constexpr (shape == AttributeShape::CORNER_POINT)
    return reinterpret_cast<AnyCallback>(&forward_corner<S>);
  else if constexpr (shape == AttributeShape::EXTRA)
    return reinterpret_cast<AnyCallback>(&forward_extra<S>);
  else if constexpr (shape == AttributeShape::POINT)
    return reinterpret_cast<AnyCallback>(&forward_values<S, double>);
  else if constexpr (shape == AttributeShape::VERTICES || shape == AttributeShape::INTEGER)
    return reinterpret_cast<AnyCallback>(&forward_values<S, int>);
  else
    return nullptr;  // counts and subdomains are shared, not forwarded
}

template <std::size_t... S>
std::array<AnyCallback, attribute_slot_count> make_forwarders(std::index_sequence<S...>) {
  return {forwarder_of<static_cast<Slot>(S)>()...};
}

AnyCallback forwarding_getter(Slot slot) noexcept {
  static const std::array<AnyCallback, attribute_slot_count> forwarders =
      make_forwarders(std::make_index_sequence<attribute_slot_count>());
  return forwarders[slot];
}

int install_forwarder(gridlume_mesh *source, gridlume_mesh *copy, Slot slot) noexcept {
  AccessorSlot &accessor = copy->slots[slot];
  accessor.setter = source->slots[slot].setter;
  accessor.setter_data = source->slots[slot].setter_data;
  int count = 0;
  // A source that cannot tell its count leaves the copy's default getter.
  if (get_count(source, count_slot(attribute_table[slot].kind), &count) != GRIDLUME_STATUS_OK)
    return GRIDLUME_STATUS_OK;
  auto *forwarder = create<BoundedForwarder>();
  if (forwarder == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
  *forwarder = {count, source->slots[slot].getter, source->slots[slot].getter_data};
  int status = gridlume_mesh_attach_object(copy, forwarder, gridlume_free);
  if (status != GRIDLUME_STATUS_OK) {
    destroy(forwarder);
    return status;
  }
  accessor.getter = forwarding_getter(slot);
  accessor.getter_data = forwarder;
  return GRIDLUME_STATUS_OK;
}

int share_source(gridlume_mesh *source, gridlume_mesh *copy) noexcept {
  for (int s = 0; s < attribute_slot_count; ++s) {
    const Slot slot = static_cast<Slot>(s);
    if (attribute_table[slot].shape == AttributeShape::COUNT) {
      copy->slots[slot] = source->slots[slot];
      continue;
    }
    int status = install_forwarder(source, copy, slot);
    if (status != GRIDLUME_STATUS_OK) return status;
  }
  if (source->tag_system != nullptr) {
    copy->tag_system = gridlume_tag_system_clone(source->tag_system);
    if (copy->tag_system == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
  }
  copy->slots[slot_subdomain_count] = source->slots[slot_subdomain_count];
  copy->slots[slot_subdomain_description] = source->slots[slot_subdomain_description];
  copy->set_dimension(source->dimension());
  copy->generic_buffer_minimum = source->generic_buffer_minimum;
  return copy_periodicity_records(source, copy);
}

}  // namespace
}  // namespace gridlume

extern "C" gridlume_mesh *gridlume_mesh_new_copy(gridlume_mesh *mesh) {
  if (mesh == nullptr) return nullptr;
  gridlume_mesh *copy = gridlume::new_mesh(mesh->context);
  if (copy == nullptr) return nullptr;
  if (gridlume::share_source(mesh, copy) != GRIDLUME_STATUS_OK) {
    gridlume_mesh_delete(copy);
    return nullptr;
  }
  return copy;
}
