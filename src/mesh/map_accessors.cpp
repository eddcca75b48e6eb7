// The accessors of element generation maps and size maps: both records start
// with a MapHeader, so each accessor is written once and exported under the
// names of both families.
#include "gridlume/element_generation_map.h"
#include "gridlume/sizemap.h"
#include "mesh/map_header.hpp"

namespace gridlume {
namespace {

// The header of a record that starts with one (nullptr for nullptr).
template <class Map>
MapHeader *header_of(Map *map) noexcept {
  return reinterpret_cast<MapHeader *>(map);
}

int get_function(MapHeader *map, gridlume_map_function *function) noexcept {
  if (map == nullptr || function == nullptr) return GRIDLUME_STATUS_ERROR;
  *function = map->function;
  return GRIDLUME_STATUS_OK;
}

int get_user_data(MapHeader *map, void **user_data) noexcept {
  if (map == nullptr || user_data == nullptr) return GRIDLUME_STATUS_ERROR;
  *user_data = map->user_data;
  return GRIDLUME_STATUS_OK;
}

int get_parent_cad(MapHeader *map, gridlume_cad **cad) noexcept {
  if (map == nullptr || cad == nullptr) return GRIDLUME_STATUS_ERROR;
  *cad = map->parent_cad;
  return GRIDLUME_STATUS_OK;
}

int get_parent_mesh(MapHeader *map, gridlume_mesh **mesh) noexcept {
  if (map == nullptr || mesh == nullptr) return GRIDLUME_STATUS_ERROR;
  *mesh = map->parent_mesh;
  return GRIDLUME_STATUS_OK;
}

int get_type(MapHeader *map, int *type) noexcept {
  if (map == nullptr || type == nullptr) return GRIDLUME_STATUS_ERROR;
  *type = map->kind;
  return GRIDLUME_STATUS_OK;
}

int set_delete_function(MapHeader *map, MapDataRelease release) noexcept {
  if (map == nullptr) return GRIDLUME_STATUS_ERROR;
  map->release_user_data = release;
  return GRIDLUME_STATUS_OK;
}

}  // namespace
}  // namespace gridlume

// Both families, one row each.
#define GRIDLUME_MAP_FAMILIES(X) \
  X(element_generation_map)      \
  X(sizemap)

#define GRIDLUME_MAP_ACCESSORS(family)                                                            \
  int gridlume_##family##_get_function(gridlume_##family *map, gridlume_map_function *function) { \
    return gridlume::get_function(gridlume::header_of(map), function);                            \
  }                                                                                               \
  int gridlume_##family##_get_user_data(gridlume_##family *map, void **user_data) {               \
    return gridlume::get_user_data(gridlume::header_of(map), user_data);                          \
  }                                                                                               \
  int gridlume_##family##_get_parent_cad(gridlume_##family *map, gridlume_cad **cad) {            \
    return gridlume::get_parent_cad(gridlume::header_of(map), cad);                               \
  }                                                                                               \
  int gridlume_##family##_get_parent_mesh(gridlume_##family *map, gridlume_mesh **mesh) {         \
    return gridlume::get_parent_mesh(gridlume::header_of(map), mesh);                             \
  }                                                                                               \
  int gridlume_##family##_get_type(gridlume_##family *map, int *type) {                           \
    return gridlume::get_type(gridlume::header_of(map), type);                                    \
  }                                                                                               \
  int gridlume_##family##_set_delete_function(gridlume_##family *map,                             \
                                              gridlume_object_delete_routine release) {           \
    return gridlume::set_delete_function(gridlume::header_of(map), release);                      \
  }

extern "C" {
GRIDLUME_MAP_FAMILIES(GRIDLUME_MAP_ACCESSORS)
}
