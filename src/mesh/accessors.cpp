// The accessor families of the mesh, generated from the attribute table: each
// get or set forwards to the slot's callback with the slot's user data; the
// installers store a callback as given.
#include "mesh/mesh.hpp"

using gridlume::AnyCallback;

#define GRIDLUME_DEFINE_ACCESSORS(kind, attribute, shape, width)                            \
  int gridlume_mesh_get_##kind##_##attribute(gridlume_mesh *mesh,                            \
                                             GRIDLUME_MESH_GET_PARAMETERS_##shape) {         \
    if (mesh == nullptr) return GRIDLUME_STATUS_ERROR;                                       \
    const gridlume::AccessorSlot &slot = mesh->slots[gridlume::slot_##kind##_##attribute];   \
    if (slot.getter == nullptr) return GRIDLUME_STATUS_ERROR;                                \
    return reinterpret_cast<GRIDLUME_MESH_GETTER_##shape>(slot.getter)(                      \
        GRIDLUME_MESH_GET_ARGUMENTS_##shape, slot.getter_data);                              \
  }                                                                                          \
  int gridlume_mesh_set_##kind##_##attribute(gridlume_mesh *mesh,                            \
                                             GRIDLUME_MESH_SET_PARAMETERS_##shape) {         \
    if (mesh == nullptr) return GRIDLUME_STATUS_ERROR;                                       \
    const gridlume::AccessorSlot &slot = mesh->slots[gridlume::slot_##kind##_##attribute];   \
    if (slot.setter == nullptr) return GRIDLUME_STATUS_ERROR;                                \
    return reinterpret_cast<GRIDLUME_MESH_SETTER_##shape>(slot.setter)(                      \
        GRIDLUME_MESH_SET_ARGUMENTS_##shape, slot.setter_data);                              \
  }                                                                                          \
  int gridlume_mesh_set_get_##kind##_##attribute(                                            \
      gridlume_mesh *mesh, GRIDLUME_MESH_GETTER_##shape getter, void *user_data) {           \
    if (mesh == nullptr) return GRIDLUME_STATUS_ERROR;                                       \
    gridlume::AccessorSlot &slot = mesh->slots[gridlume::slot_##kind##_##attribute];         \
    slot.getter = reinterpret_cast<AnyCallback>(getter);                                     \
    slot.getter_data = user_data;                                                            \
    return GRIDLUME_STATUS_OK;                                                               \
  }                                                                                          \
  int gridlume_mesh_set_set_##kind##_##attribute(                                            \
      gridlume_mesh *mesh, GRIDLUME_MESH_SETTER_##shape setter, void *user_data) {           \
    if (mesh == nullptr) return GRIDLUME_STATUS_ERROR;                                       \
    gridlume::AccessorSlot &slot = mesh->slots[gridlume::slot_##kind##_##attribute];         \
    slot.setter = reinterpret_cast<AnyCallback>(setter);                                     \
    slot.setter_data = user_data;                                                            \
    return GRIDLUME_STATUS_OK;                                                               \
  }

#define GRIDLUME_DEFINE_REQUIRED_STATUS(kind)                                                \
  int gridlume_mesh_get_##kind##_required_status(gridlume_mesh *mesh, int i, int *value) {   \
    return gridlume_mesh_get_##kind##_required_property(mesh, i, value);                     \
  }                                                                                          \
  int gridlume_mesh_set_##kind##_required_status(gridlume_mesh *mesh, int i,                 \
                                                 const int *value) {                         \
    return gridlume_mesh_set_##kind##_required_property(mesh, i, value);                     \
  }                                                                                          \
  int gridlume_mesh_set_get_##kind##_required_status(                                        \
      gridlume_mesh *mesh, gridlume_mesh_integers_getter getter, void *user_data) {          \
    return gridlume_mesh_set_get_##kind##_required_property(mesh, getter, user_data);        \
  }                                                                                          \
  int gridlume_mesh_set_set_##kind##_required_status(                                        \
      gridlume_mesh *mesh, gridlume_mesh_integers_setter setter, void *user_data) {          \
    return gridlume_mesh_set_set_##kind##_required_property(mesh, setter, user_data);        \
  }

extern "C" {
GRIDLUME_MESH_ATTRIBUTES(GRIDLUME_DEFINE_ACCESSORS)
GRIDLUME_MESH_SUBDOMAIN_ATTRIBUTES(GRIDLUME_DEFINE_ACCESSORS)
GRIDLUME_MESH_REQUIRED_STATUS_KINDS(GRIDLUME_DEFINE_REQUIRED_STATUS)
}
