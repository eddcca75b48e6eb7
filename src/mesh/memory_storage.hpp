// The storage behind an in-memory mesh: one array per attribute, sized to the
// entity count on demand, zero for everything never set. Its callbacks are
// generated from the attribute table, one template per shape instantiated per
// slot.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "mesh/mesh.hpp"

namespace gridlume {

// The extra vertices of one element: its owned list and the whole composite
// count (list length modulo 1000, producer's kind code in the thousands).
// Both live in one entry so that resizing them is a single all-or-nothing
// reallocation.
struct ExtraVertices {
  int *list;
  std::int32_t count;
};

// The values of one attribute for `length` entities (values is nullptr when
// length is 0).
struct StoredArray {
  void *values;
  std::int32_t length;
};

struct MeshStorage {
  std::array<std::int32_t, entity_kind_count> counts;  // by EntityKind
  std::array<StoredArray, slot_total> arrays;           // by Slot; count slots unused
};

// The list length that a composite extra-vertex count carries.
inline constexpr int extra_vertex_kind_factor = 1000;

// How a slot's values are stored: the value type and the values per entity.
constexpr int stored_values_per_entity(Slot slot) {
  const AttributeInfo &info = attribute_table[slot];
  switch (info.shape) {
    case AttributeShape::VERTICES: return info.width;
    case AttributeShape::POINT: return 3;
    case AttributeShape::CORNER_POINT: return 3 * info.width;
    case AttributeShape::DESCRIPTION: return 4;
    case AttributeShape::INTEGER:
    case AttributeShape::EXTRA: return 1;
    case AttributeShape::COUNT: return 0;
  }
  return 0;
}

template <Slot S>
using StoredValue = std::conditional_t<
    attribute_table[S].shape == AttributeShape::POINT ||
        attribute_table[S].shape == AttributeShape::CORNER_POINT,
    double,
    std::conditional_t<attribute_table[S].shape == AttributeShape::EXTRA, ExtraVertices, int>>;

// The storage callbacks of a slot.
AnyCallback storage_getter(Slot slot) noexcept;
AnyCallback storage_setter(Slot slot) noexcept;

// True when the slot's getter is the storage getter and the storage holds no
// array for it, so that every value it reads is zero.
bool storage_slot_is_empty(const gridlume_mesh *mesh, Slot slot) noexcept;

// The storage serving an in-memory mesh, nullptr for any other mesh.
MeshStorage *storage_of(const gridlume_mesh *mesh) noexcept;

// Sets the count of the slot's entity kind and sizes its array to it, so that
// a constructor can fill the values in place without a call per entity.
// nullptr when memory fails (count and array unchanged) or the count is not
// positive.
void *sized_values(MeshStorage &storage, Slot slot, int count) noexcept;

template <Slot S>
StoredValue<S> *sized_values(MeshStorage &storage, int count) noexcept {
  return static_cast<StoredValue<S> *>(sized_values(storage, S, count));
}

// A new in-memory mesh; nullptr when the context is NULL or memory fails.
gridlume_mesh *new_in_memory_mesh(gridlume_context *context) noexcept;

}  // namespace gridlume
