// The boundary-layer size map creator: one rule of layer heights per surface
// tag, found through a hashed tag map.
#pragma once

#include <cstdint>

#include "core/hash_table.hpp"
#include "gridlume/mesh.h"
#include "gridlume/sizemap_creator.h"

namespace gridlume {

// The tag map starts with this many buckets and this room for tags.
inline constexpr std::int32_t tag_map_bucket_count = 10000;
inline constexpr std::int32_t tag_map_capacity = 10000;
inline constexpr int boundary_layer_sizemap_type = 19;

struct LayerRule {
  double first_height;
  double ratio;
  double second_ratio;
  std::int32_t forced_layers;
  std::int32_t maximum_layers;  // 0 or less: no maximum
  std::int32_t relative;        // heights are fractions of the longest edge
  std::int32_t tag;
};

// The layer-height function of the generated size maps.
int boundary_layer_height(void *unused_first, int triangle, int layer, void *unused_fourth,
                          double *height, int *required, void *creator) noexcept;

}  // namespace gridlume

struct gridlume_boundary_layer_sizemap_creator {
  gridlume::IntegerTable tag_map;
  // Slot k holds the rule number (1-based) of the tag numbered k, 0 for none;
  // it has tag_map.capacity() + 1 slots once the table has grown to them.
  std::int32_t *rule_of_tag = nullptr;
  std::int32_t rule_of_tag_size = 0;
  std::int32_t rule_count = 0;
  gridlume::LayerRule **rules = nullptr;
  std::int32_t rule_capacity = 0;
  gridlume_mesh *mesh = nullptr;

  gridlume_boundary_layer_sizemap_creator() = default;
  gridlume_boundary_layer_sizemap_creator(const gridlume_boundary_layer_sizemap_creator &) = delete;
  gridlume_boundary_layer_sizemap_creator &operator=(
      const gridlume_boundary_layer_sizemap_creator &) = delete;
  ~gridlume_boundary_layer_sizemap_creator();

  // The rule of a tag, or nullptr.
  const gridlume::LayerRule *rule_for(std::int32_t tag) const noexcept;
};
