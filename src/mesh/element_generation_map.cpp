// Element generation maps: a caller's function stored for the generators
// that work on a cad. The accessors shared with size maps are in
// map_accessors.cpp.
#include "gridlume/element_generation_map.h"

#include <cstddef>

#include "core/allocator.hpp"
#include "core/attachment_list.hpp"
#include "gridlume/cad.h"
#include "gridlume/context.h"
#include "mesh/map_header.hpp"

struct gridlume_element_generation_map {
  gridlume::MapHeader header;  // the parent mesh stays NULL
  gridlume::AttachmentList attachments;
};

namespace gridlume {
namespace {

static_assert(offsetof(gridlume_element_generation_map, header) == 0);

constexpr int first_kind = 1;
constexpr int last_kind = 2;

void delete_map_routine(void *object) noexcept {
  auto *map = static_cast<gridlume_element_generation_map *>(object);
  if (map == nullptr) return;
  map->attachments.delete_all();
  release_map_user_data(map->header);
  destroy(map);
}

}  // namespace
}  // namespace gridlume

extern "C" {

gridlume_element_generation_map *gridlume_element_generation_map_new(gridlume_cad *cad, int kind,
                                                                     gridlume_map_function function,
                                                                     void *user_data) {
  if (cad == nullptr || function == nullptr) return nullptr;
  if (kind < gridlume::first_kind || kind > gridlume::last_kind) return nullptr;
  gridlume_context *context = nullptr;
  if (gridlume_cad_get_context(cad, &context) != GRIDLUME_STATUS_OK || context == nullptr)
    return nullptr;
  auto *map = gridlume::create<gridlume_element_generation_map>();
  if (map == nullptr) return nullptr;
  map->header.context = context;
  map->header.parent_cad = cad;
  map->header.kind = kind;
  map->header.function = function;
  map->header.user_data = user_data;
  if (gridlume_context_attach_object(context, map, gridlume::delete_map_routine) !=
      GRIDLUME_STATUS_OK) {
    gridlume::destroy(map);
    return nullptr;
  }
  return map;
}

void gridlume_element_generation_map_delete(gridlume_element_generation_map *map) {
  if (map == nullptr) return;
  gridlume_context_delete_attached_object(map->header.context, map);
  gridlume::delete_map_routine(map);
}

int gridlume_element_generation_map_attach_object(gridlume_element_generation_map *map,
                                                  void *object,
                                                  gridlume_object_delete_routine routine) {
  if (map == nullptr) return GRIDLUME_STATUS_ERROR;
  return map->attachments.attach(object, routine);
}

}  // extern "C"
