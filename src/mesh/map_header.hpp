// The fields that element generation maps and size maps share, first in both
// records and in this order, so that one accessor serves both families.
#pragma once

#include <cstdint>
#include <type_traits>

#include "gridlume/common.h"

namespace gridlume {

// Releases the user data of a map's function.
using MapDataRelease = gridlume_object_delete_routine;

struct MapHeader {
  gridlume_context *context;
  gridlume_mesh *parent_mesh;
  gridlume_cad *parent_cad;
  std::int32_t kind;
  gridlume_map_function function;
  void *user_data;
  MapDataRelease release_user_data;
};
static_assert(std::is_standard_layout_v<MapHeader>);

// Runs the release function on the user data when both are set.
inline void release_map_user_data(MapHeader &header) noexcept {
  if (header.release_user_data != nullptr && header.user_data != nullptr)
    header.release_user_data(header.user_data);
}

}  // namespace gridlume
