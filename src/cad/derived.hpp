// What the derived geometries share: their user data records are plain
// records of the allocator layer, copied by their clone function and freed by
// gridlume_cad_free_generic_buffer unless they hold references.
#pragma once

#include <type_traits>

#include "cad/objects.hpp"
#include "core/allocator.hpp"

namespace gridlume {

// The clone function of a record that is copied as it is.
template <class Record>
void *copy_record(void *record) {
  static_assert(std::is_trivially_copyable_v<Record>);
  return create<Record>(*static_cast<const Record *>(record));
}

// Destroys an edge, face or wire that a derived constructor could not
// finish: its delete function releases the record it was given.
template <class Object>
std::nullptr_t abandon(Object *object) noexcept {
  release_user_data(object);
  free_object(object);
  return nullptr;
}

// Attaches a derived edge to its face when it has one; the edge is abandoned
// when the face's list cannot grow.
gridlume_cad_edge *finish_derived_edge(gridlume_cad_edge *edge, gridlume_cad_face *face) noexcept;

}  // namespace gridlume
