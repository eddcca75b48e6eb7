// Copies of a mesh into a fresh in-memory mesh: every attribute read through
// the source's getters and written through the copy's setters, then the
// subdomains, the tag system, the dimension and the periodicity records.
#include <algorithm>

#include "core/allocator.hpp"
#include "gridlume/context.h"
#include "gridlume/mesh_memory.h"
#include "gridlume/tag_system.h"
#include "mesh/memory_storage.hpp"
#include "mesh/slot_calls.hpp"

namespace gridlume {
namespace {

// The most values one entity of a VERTICES or INTEGER slot carries.
constexpr int largest_vertex_list = 8;

// A source attribute whose getter can only answer zeros is not copied: the
// copy reads zeros for it anyway.
bool attribute_is_empty(const gridlume_mesh *source, Slot slot) noexcept {
  return has_default_getter(source->slots[slot], slot) || storage_slot_is_empty(source, slot);
}

template <class Getter, class Setter, class Value>
int copy_values(const gridlume_mesh *source, const gridlume_mesh *destination, Slot slot,
                int count, Value *buffer) noexcept {
  for (int i = 1; i <= count; ++i) {
    int status = call_getter<Getter>(source, slot, i, buffer);
    if (status == GRIDLUME_STATUS_OK) status = call_setter<Setter>(destination, slot, i, buffer);
    if (status != GRIDLUME_STATUS_OK) return status;
  }
  return GRIDLUME_STATUS_OK;
}

int copy_corner_points(const gridlume_mesh *source, const gridlume_mesh *destination, Slot slot,
                       int count) noexcept {
  double xyz[3];
  for (int i = 1; i <= count; ++i) {
    for (int j = 1; j <= attribute_table[slot].width; ++j) {
      int status = call_getter<gridlume_mesh_corner_point_getter>(source, slot, i, j, xyz);
      if (status == GRIDLUME_STATUS_OK)
        status = call_setter<gridlume_mesh_corner_point_setter>(destination, slot, i, j, xyz);
      if (status != GRIDLUME_STATUS_OK) return status;
    }
  }
  return GRIDLUME_STATUS_OK;
}

// Extra-vertex lists go through a generic buffer of the source, which is
// large enough for any list it hands out.
int copy_extra_vertices(gridlume_mesh *source, const gridlume_mesh *destination, Slot slot,
                        int count) noexcept {
  Block<int> buffer(static_cast<int *>(gridlume_mesh_calloc_generic_buffer(source)));
  if (buffer == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
  for (int i = 1; i <= count; ++i) {
    int extra_count = 0;
    int status = call_getter<gridlume_mesh_extra_vertices_getter>(source, slot, i, &extra_count,
                                                                  buffer.get());
    if (status == GRIDLUME_STATUS_OK)
      status = call_setter<gridlume_mesh_extra_vertices_setter>(destination, slot, i,
                                                                extra_count, buffer.get());
    if (status != GRIDLUME_STATUS_OK) return status;
  }
  return GRIDLUME_STATUS_OK;
}

int copy_attribute(gridlume_mesh *source, const gridlume_mesh *destination, Slot slot,
                   int count) noexcept {
  switch (attribute_table[slot].shape) {
    case AttributeShape::VERTICES:
    case AttributeShape::INTEGER: {
      int buffer[largest_vertex_list] = {};
      return copy_values<gridlume_mesh_integers_getter, gridlume_mesh_integers_setter>(
          source, destination, slot, count, buffer);
    }
    case AttributeShape::POINT: {
      double buffer[3] = {};
      return copy_values<gridlume_mesh_point_getter, gridlume_mesh_point_setter>(
          source, destination, slot, count, buffer);
    }
    case AttributeShape::CORNER_POINT: return copy_corner_points(source, destination, slot, count);
    case AttributeShape::EXTRA: return copy_extra_vertices(source, destination, slot, count);
    case AttributeShape::COUNT:
    case AttributeShape::DESCRIPTION: break;
  }
  return GRIDLUME_STATUS_OK;
}

// The count is read and set again before every attribute, so that a source
// whose count changes under a callback is followed as it goes.
int copy_attributes(gridlume_mesh *source, const gridlume_mesh *destination) noexcept {
  for (int s = 0; s < attribute_slot_count; ++s) {
    const Slot slot = static_cast<Slot>(s);
    if (attribute_table[slot].shape == AttributeShape::COUNT) continue;
    const Slot count_of_kind = count_slot(attribute_table[slot].kind);
    int count = 0;
    int status = get_count(source, count_of_kind, &count);
    if (status == GRIDLUME_STATUS_OK) status = set_count(destination, count_of_kind, count);
    if (status != GRIDLUME_STATUS_OK) return status;
    if (attribute_is_empty(source, slot)) continue;
    status = copy_attribute(source, destination, slot, count);
    if (status != GRIDLUME_STATUS_OK) return status;
  }
  return GRIDLUME_STATUS_OK;
}

// Subdomains are copied only when the source can tell how many it has.
int copy_subdomains(const gridlume_mesh *source, const gridlume_mesh *destination) noexcept {
  int count = 0;
  if (get_count(source, slot_subdomain_count, &count) != GRIDLUME_STATUS_OK)
    return GRIDLUME_STATUS_OK;
  int status = set_count(destination, slot_subdomain_count, count);
  for (int i = 1; status == GRIDLUME_STATUS_OK && i <= count; ++i) {
    int tag = 0, seed_kind = 0, seed_index = 0, orientation = 0;
    status = call_getter<gridlume_mesh_description_getter>(
        source, slot_subdomain_description, i, &tag, &seed_kind, &seed_index, &orientation);
    if (status == GRIDLUME_STATUS_OK)
      status = call_setter<gridlume_mesh_description_setter>(
          destination, slot_subdomain_description, i, tag, seed_kind, seed_index, orientation);
  }
  return status;
}

int copy_contents(gridlume_mesh *source, gridlume_mesh *destination) noexcept {
  int status = copy_attributes(source, destination);
  if (status == GRIDLUME_STATUS_OK) status = copy_subdomains(source, destination);
  if (status != GRIDLUME_STATUS_OK) return status;
  if (source->tag_system != nullptr) {
    destination->tag_system = gridlume_tag_system_clone(source->tag_system);
    if (destination->tag_system == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
  }
  destination->set_dimension(source->dimension());
  destination->generic_buffer_minimum = source->generic_buffer_minimum;
  return copy_periodicity_records(source, destination);
}

// Fills `destination` from `source`; any failure deletes the destination.
gridlume_mesh *copy_into(gridlume_mesh *source, gridlume_mesh *destination) noexcept {
  if (destination == nullptr) return nullptr;
  if (source == nullptr || copy_contents(source, destination) != GRIDLUME_STATUS_OK) {
    gridlume_mesh_delete(destination);
    return nullptr;
  }
  return destination;
}

}  // namespace
}  // namespace gridlume

extern "C" {

gridlume_mesh *gridlume_mesh_new_in_memory_copy(gridlume_mesh *mesh) {
  if (mesh == nullptr) return nullptr;
  return gridlume::copy_into(mesh, gridlume::new_in_memory_mesh(mesh->context));
}

gridlume_mesh *gridlume_mesh_new_in_memory_independent_copy(gridlume_mesh *mesh) {
  if (mesh == nullptr) return nullptr;
  gridlume_context *context = gridlume_context_new();
  if (context == nullptr) return nullptr;
  gridlume_mesh *copy = gridlume::copy_into(mesh, gridlume::new_in_memory_mesh(context));
  if (copy == nullptr) gridlume_context_delete(context);
  return copy;
}

}  // extern "C"
