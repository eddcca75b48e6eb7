// The callbacks of a mesh that describes nothing and accepts nothing: getters
// write zeros and succeed, setters refuse.
#include "mesh/mesh.hpp"

namespace {

int zero_count(int *count, void *) {
  if (count == nullptr) return GRIDLUME_STATUS_ERROR;
  *count = 0;
  return GRIDLUME_STATUS_OK;
}

// Vertex coordinates and all integer getters write their first value only.
int zero_first_integer(int, int *values, void *) {
  if (values == nullptr) return GRIDLUME_STATUS_ERROR;
  values[0] = 0;
  return GRIDLUME_STATUS_OK;
}

int zero_first_coordinate(int, double *xyz, void *) {
  if (xyz == nullptr) return GRIDLUME_STATUS_ERROR;
  xyz[0] = 0.0;
  return GRIDLUME_STATUS_OK;
}

// Normals and tangents write all three components.
int zero_vector(int, double *xyz, void *) {
  if (xyz == nullptr) return GRIDLUME_STATUS_ERROR;
  xyz[0] = xyz[1] = xyz[2] = 0.0;
  return GRIDLUME_STATUS_OK;
}

int zero_corner_vector(int, int, double *xyz, void *) {
  if (xyz == nullptr) return GRIDLUME_STATUS_ERROR;
  xyz[0] = xyz[1] = xyz[2] = 0.0;
  return GRIDLUME_STATUS_OK;
}

int zero_extra_vertices(int, int *count, int *vertices, void *) {
  if (count != nullptr) *count = 0;
  if (vertices != nullptr) vertices[0] = 0;
  return count == nullptr || vertices == nullptr ? GRIDLUME_STATUS_ERROR : GRIDLUME_STATUS_OK;
}

int refuse_count(int, void *) { return GRIDLUME_STATUS_ERROR; }
int refuse_integers(int, const int *, void *) { return GRIDLUME_STATUS_ERROR; }
int refuse_point(int, const double *, void *) { return GRIDLUME_STATUS_ERROR; }
int refuse_corner_point(int, int, const double *, void *) { return GRIDLUME_STATUS_ERROR; }
int refuse_extra_vertices(int, int, const int *, void *) { return GRIDLUME_STATUS_ERROR; }

template <class Callback>
gridlume::AnyCallback any(Callback callback) {
  return reinterpret_cast<gridlume::AnyCallback>(callback);
}

}  // namespace

namespace gridlume {

AnyCallback default_getter(Slot slot) noexcept {
  if (slot == slot_vertex_coordinates) return any(zero_first_coordinate);
  switch (attribute_table[slot].shape) {
    case AttributeShape::COUNT: return any(zero_count);
    case AttributeShape::VERTICES:
    case AttributeShape::INTEGER: return any(zero_first_integer);
    case AttributeShape::POINT: return any(zero_vector);
    case AttributeShape::CORNER_POINT: return any(zero_corner_vector);
    case AttributeShape::EXTRA: return any(zero_extra_vertices);
    case AttributeShape::DESCRIPTION: return nullptr;  // none installed
  }
  return nullptr;
}

AnyCallback default_setter(Slot slot) noexcept {
  switch (attribute_table[slot].shape) {
    case AttributeShape::COUNT: return any(refuse_count);
    case AttributeShape::VERTICES:
    case AttributeShape::INTEGER: return any(refuse_integers);
    case AttributeShape::POINT: return any(refuse_point);
    case AttributeShape::CORNER_POINT: return any(refuse_corner_point);
    case AttributeShape::EXTRA: return any(refuse_extra_vertices);
    case AttributeShape::DESCRIPTION: return nullptr;  // none installed
  }
  return nullptr;
}

Slot count_slot(EntityKind kind) noexcept {
  for (int slot = 0; slot < slot_total; ++slot)
    if (attribute_table[slot].kind == kind && attribute_table[slot].shape == AttributeShape::COUNT)
      return static_cast<Slot>(slot);
  return slot_vertex_count;
}

}  // namespace gridlume
