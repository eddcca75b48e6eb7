// The mesh record: accessor slots generated from the attribute table, and the
// attributes the mesh stores directly.
#pragma once

#include <array>
#include <cstdint>

#include "core/attachment_list.hpp"
#include "gridlume/context.h"
#include "gridlume/mesh.h"

namespace gridlume {

inline constexpr std::int32_t mesh_type_tag = 2537;
inline constexpr int default_mesh_dimension = 3;
inline constexpr std::int32_t dimension_bits = 3;  // bits 0-1 of the flags
// Periodicity record arrays grow by this many records at a time.
inline constexpr std::int32_t periodicity_growth = 7;
// The fixed minimum size of a generic buffer, in bytes.
inline constexpr std::int32_t generic_buffer_fixed_minimum = 216;

enum class EntityKind : std::uint8_t {
  vertex, edge, triangle, quadrangle, tetrahedron, hexahedron, pyramid, prism, subdomain
};
inline constexpr int entity_kind_count = 9;

enum class AttributeShape : std::uint8_t {
  COUNT, VERTICES, INTEGER, POINT, CORNER_POINT, EXTRA, DESCRIPTION
};

// Slot numbers: the 49 attribute slots in table order, then the two subdomain
// slots.
enum Slot : int {
#define GRIDLUME_SLOT_ENUMERATOR(kind, attribute, shape, width) slot_##kind##_##attribute,
  GRIDLUME_MESH_ATTRIBUTES(GRIDLUME_SLOT_ENUMERATOR)
  GRIDLUME_MESH_SUBDOMAIN_ATTRIBUTES(GRIDLUME_SLOT_ENUMERATOR)
#undef GRIDLUME_SLOT_ENUMERATOR
  slot_total
};
inline constexpr int attribute_slot_count = slot_subdomain_count;  // 49

// What the table says about one slot.
struct AttributeInfo {
  EntityKind kind;
  AttributeShape shape;
  int width;
  const char *name;
};
inline constexpr std::array<AttributeInfo, slot_total> attribute_table = {{
#define GRIDLUME_SLOT_INFO(kind, attribute, shape, width) \
  {EntityKind::kind, AttributeShape::shape, width, #kind "_" #attribute},
    GRIDLUME_MESH_ATTRIBUTES(GRIDLUME_SLOT_INFO)
    GRIDLUME_MESH_SUBDOMAIN_ATTRIBUTES(GRIDLUME_SLOT_INFO)
#undef GRIDLUME_SLOT_INFO
}};

// The count slot of an entity kind.
Slot count_slot(EntityKind kind) noexcept;

// Callbacks are kept as plain function pointers and cast back to the type of
// their shape (mesh_attributes.h) when called.
using AnyCallback = void (*)();

struct AccessorSlot {
  AnyCallback getter;
  void *getter_data;
  AnyCallback setter;
  void *setter_data;
};

// The callbacks gridlume_mesh_new installs in a slot.
AnyCallback default_getter(Slot slot) noexcept;
AnyCallback default_setter(Slot slot) noexcept;
inline bool has_default_getter(const AccessorSlot &accessor, Slot slot) noexcept {
  return accessor.getter == default_getter(slot);
}

struct PeriodicityRecord {
  int *faces1;
  std::int32_t size1;
  int *faces2;
  std::int32_t size2;
  gridlume_transformation_function transformation;
  void *user_data;
  std::int32_t owns_user_data;  // the library made the user data from point pairs
};

struct RequiredDiscretization {
  std::int32_t line_tag;
  std::int32_t point_count;
  int *ids;
  double *coordinates;  // 3 per point
};

struct RequiredDiscretizationTable {
  std::int32_t count;
  std::int32_t capacity;
  RequiredDiscretization *entries;
};
// Releases the table with each entry's arrays; nullptr is ignored.
void release_required_discretizations(RequiredDiscretizationTable *table) noexcept;

// Copies the periodicity records of `source` into `destination` (which has
// none): own copies of both lists, the transformation shared and not owned.
// 0 or -5 (destination then unchanged).
int copy_periodicity_records(const gridlume_mesh *source, gridlume_mesh *destination) noexcept;

// The routine a context or owner calls to delete a mesh.
void delete_mesh_routine(void *mesh) noexcept;

}  // namespace gridlume

struct gridlume_mesh {
  std::int32_t type_tag;
  gridlume_context *context;
  std::array<gridlume::AccessorSlot, gridlume::slot_total> slots;
  gridlume_tag_system *tag_system;
  gridlume::RequiredDiscretizationTable *required_discretizations;
  std::int32_t generic_buffer_minimum;
  std::int32_t periodicity_count;
  std::int32_t periodicity_capacity;
  gridlume::PeriodicityRecord *periodicity_records;
  gridlume::AttachmentList attachments;
  std::int32_t flags;

  int dimension() const { return flags & gridlume::dimension_bits; }
  void set_dimension(int dimension) {
    flags = (flags & ~gridlume::dimension_bits) | (dimension & gridlume::dimension_bits);
  }
  template <class Callback>
  Callback getter(gridlume::Slot slot) const {
    return reinterpret_cast<Callback>(slots[slot].getter);
  }
  template <class Callback>
  Callback setter(gridlume::Slot slot) const {
    return reinterpret_cast<Callback>(slots[slot].setter);
  }
};

namespace gridlume {
// A mesh with the default callbacks, attached to its context; nullptr when the
// context is NULL or memory fails.
gridlume_mesh *new_mesh(gridlume_context *context) noexcept;
}  // namespace gridlume
