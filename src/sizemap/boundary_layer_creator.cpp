// The boundary-layer size map creator: rules per tag and the layer heights
// they give a triangle.
#include "sizemap/boundary_layer_creator.hpp"

#include <algorithm>
#include <cmath>

#include "core/allocator.hpp"
#include "gridlume/sizemap.h"
#include "quality/geometry.hpp"

gridlume_boundary_layer_sizemap_creator::~gridlume_boundary_layer_sizemap_creator() {
  for (std::int32_t rule = 0; rule < rule_count; ++rule) gridlume::destroy(rules[rule]);
  gridlume_free(rules);
  gridlume_free(rule_of_tag);
}

const gridlume::LayerRule *gridlume_boundary_layer_sizemap_creator::rule_for(
    std::int32_t tag) const noexcept {
  const std::int32_t number = tag_map.find(tag);
  if (number == 0 || number >= rule_of_tag_size) return nullptr;
  const std::int32_t rule = rule_of_tag[number];
  return rule == 0 ? nullptr : rules[rule - 1];
}

namespace gridlume {
namespace {

using Creator = gridlume_boundary_layer_sizemap_creator;

// Room for one more rule pointer; the array doubles.
int reserve_rule(Creator &creator) noexcept {
  if (creator.rule_count < creator.rule_capacity) return GRIDLUME_STATUS_OK;
  const std::int32_t capacity = creator.rule_capacity == 0 ? 16 : 2 * creator.rule_capacity;
  void *grown = gridlume_realloc(creator.rules, sizeof(LayerRule *) * std::size_t(capacity));
  if (grown == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
  creator.rules = static_cast<LayerRule **>(grown);
  creator.rule_capacity = capacity;
  return GRIDLUME_STATUS_OK;
}

// The rule slots follow the tag map's capacity, new slots 0.
int follow_tag_map_capacity(Creator &creator) noexcept {
  const std::int32_t wanted = creator.tag_map.capacity() + 1;
  if (creator.rule_of_tag_size >= wanted) return GRIDLUME_STATUS_OK;
  void *grown = gridlume_realloc(creator.rule_of_tag, sizeof(std::int32_t) * std::size_t(wanted));
  if (grown == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
  creator.rule_of_tag = static_cast<std::int32_t *>(grown);
  std::fill(creator.rule_of_tag + creator.rule_of_tag_size, creator.rule_of_tag + wanted, 0);
  creator.rule_of_tag_size = wanted;
  return GRIDLUME_STATUS_OK;
}

// The longest edge of a triangle, or a negative value when the mesh cannot
// give its corners.
double longest_edge(gridlume_mesh *mesh, int triangle) noexcept {
  int vertices[3];
  if (gridlume_mesh_get_triangle_vertices(mesh, triangle, vertices) != GRIDLUME_STATUS_OK)
    return -1.0;
  geometry::Vector3 corner[3];
  for (int k = 0; k < 3; ++k) {
    double xyz[3];
    if (gridlume_mesh_get_vertex_coordinates(mesh, vertices[k], xyz) != GRIDLUME_STATUS_OK)
      return -1.0;
    corner[k] = {xyz[0], xyz[1], xyz[2]};
  }
  return std::max({geometry::distance(corner[0], corner[1]),
                   geometry::distance(corner[1], corner[2]),
                   geometry::distance(corner[2], corner[0])});
}

}  // namespace

int boundary_layer_height(void *, int triangle, int layer, void *, double *height, int *required,
                          void *data) noexcept {
  if (height != nullptr) *height = 0.0;
  if (required != nullptr) *required = 0;
  const auto *creator = static_cast<const Creator *>(data);
  if (creator == nullptr || height == nullptr || required == nullptr) return GRIDLUME_STATUS_OK;
  int tag = 0;
  if (gridlume_mesh_get_triangle_tag(creator->mesh, triangle, &tag) != GRIDLUME_STATUS_OK)
    return GRIDLUME_STATUS_OK;
  const LayerRule *rule = creator->rule_for(tag);
  if (rule == nullptr) return GRIDLUME_STATUS_OK;
  const bool is_required = layer <= rule->forced_layers;
  *required = is_required ? 1 : 0;
  const double edge = longest_edge(creator->mesh, triangle);
  // A triangle whose corners cannot be read has no edge to compare with: only
  // its required layers get a height.
  double h = rule->first_height;
  if (rule->relative != 0) h *= std::max(edge, 0.0);
  const double later_ratio = rule->second_ratio > 1.0 ? rule->second_ratio : rule->ratio;
  if (is_required)
    h *= std::pow(rule->ratio, layer - 1);
  else
    h *= std::pow(rule->ratio, rule->forced_layers - 1) *
         std::pow(later_ratio, layer - rule->forced_layers);
  const bool within_maximum = rule->maximum_layers <= 0 || layer <= rule->maximum_layers;
  if (within_maximum && (h < edge || is_required)) *height = h;
  return GRIDLUME_STATUS_OK;
}

}  // namespace gridlume

using gridlume::Creator;

extern "C" {

gridlume_boundary_layer_sizemap_creator *gridlume_boundary_layer_sizemap_creator_new(
    gridlume_mesh *mesh) {
  if (mesh == nullptr) return nullptr;
  auto *creator = gridlume::create<Creator>();
  if (creator == nullptr) return nullptr;
  creator->mesh = mesh;
  if (creator->tag_map.create(gridlume::tag_map_bucket_count, gridlume::tag_map_capacity) !=
          GRIDLUME_STATUS_OK ||
      gridlume::follow_tag_map_capacity(*creator) != GRIDLUME_STATUS_OK) {
    gridlume::destroy(creator);
    return nullptr;
  }
  return creator;
}

void gridlume_boundary_layer_sizemap_creator_delete(Creator *creator) {
  gridlume::destroy(creator);
}

int gridlume_boundary_layer_sizemap_creator_add_constraint_on_tag(Creator *creator, double h1,
                                                                  double r1, double r2,
                                                                  int forced_layers,
                                                                  int maximum_layers, int relative,
                                                                  int tag) {
  if (creator == nullptr) return GRIDLUME_STATUS_ERROR;
  if (creator->rule_for(tag) != nullptr) return GRIDLUME_STATUS_OK;
  if (gridlume::reserve_rule(*creator) != GRIDLUME_STATUS_OK) return GRIDLUME_STATUS_NO_MEMORY;
  // A tag whose rule could not be recorded stays in the map with slot 0 (or
  // beyond the slots), which reads as no rule, so adding it again works.
  const std::int32_t number = creator->tag_map.insert(tag);
  if (number == 0 || gridlume::follow_tag_map_capacity(*creator) != GRIDLUME_STATUS_OK)
    return GRIDLUME_STATUS_NO_MEMORY;
  auto *rule = gridlume::create<gridlume::LayerRule>(
      gridlume::LayerRule{h1, r1, r2, forced_layers, maximum_layers, relative, tag});
  if (rule == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
  creator->rules[creator->rule_count++] = rule;
  creator->rule_of_tag[number] = creator->rule_count;
  return GRIDLUME_STATUS_OK;
}

int gridlume_boundary_layer_sizemap_creator_get_number_of_tags(Creator *creator) {
  return creator == nullptr ? 0 : creator->rule_count;
}

gridlume_sizemap *gridlume_boundary_layer_sizemap_creator_generate_sizemap(Creator *creator) {
  if (creator == nullptr) return nullptr;
  const gridlume_sizemap_boundary_layer_function function = gridlume::boundary_layer_height;
  return gridlume_sizemap_new(creator->mesh, gridlume::boundary_layer_sizemap_type,
                              reinterpret_cast<gridlume_map_function>(function), creator);
}

}  // extern "C"
