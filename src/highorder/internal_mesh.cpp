// Sizing of the internal mesh arrays.
#include "highorder/internal_mesh.hpp"

#include <algorithm>
#include <cstring>
#include <new>

#include "gridlume/common.h"

namespace gridlume::highorder {

int allocate_vertices(InternalMesh &mesh, std::int32_t count) noexcept {
  if (count < 0 || count == INT32_MAX) return GRIDLUME_STATUS_ERROR;
  try {
    const std::size_t slots = std::size_t(count) + 1;
    mesh.coordinates.assign(3 * slots, 0.0);
    mesh.vertex_tags.assign(slots, 0);
  } catch (const std::bad_alloc &) {
    mesh.coordinates = {};
    mesh.vertex_tags = {};
    mesh.vertex_count = mesh.vertex_capacity = mesh.linear_vertex_count = 0;
    return GRIDLUME_STATUS_NO_MEMORY;
  }
  mesh.vertex_count = mesh.vertex_capacity = mesh.linear_vertex_count = count;
  return GRIDLUME_STATUS_OK;
}

void update_totals(InternalMesh &mesh) noexcept {
  mesh.surface_element_count =
      std::int64_t(mesh.count(kind_triangle)) + mesh.count(kind_quadrangle);
  mesh.volume_element_count = 0;
  for (int kind = first_volume_kind; kind <= last_kind; ++kind)
    mesh.volume_element_count += mesh.count(kind);
}

int allocate_elements(InternalMesh &mesh, int kind, std::int32_t count) noexcept {
  if (kind < kind_edge || kind > last_kind || count < 0 || count == INT32_MAX)
    return GRIDLUME_STATUS_ERROR;
  ElementArray &array = mesh.elements[kind];
  const auto width = static_cast<std::int32_t>(nodes_per_element(kind, mesh.order));
  try {
    const std::size_t slots = std::size_t(count) + 1;
    array.nodes.assign(slots * std::size_t(width), 0);
    array.tags.assign(slots, 0);
    for (auto &marks : array.marks) marks.assign(slots, 0);
  } catch (const std::bad_alloc &) {
    array = ElementArray{};
    update_totals(mesh);
    return GRIDLUME_STATUS_NO_MEMORY;
  }
  array.count = count;
  array.nodes_per_element = width;
  update_totals(mesh);
  return GRIDLUME_STATUS_OK;
}

std::int32_t append_vertex(InternalMesh &mesh, const double *xyz) noexcept {
  if (mesh.vertex_count == INT32_MAX - 1) return 0;
  if (mesh.vertex_count >= mesh.vertex_capacity) {
    const std::int64_t grown = std::min<std::int64_t>(
        std::max<std::int64_t>(2 * std::int64_t(mesh.vertex_capacity), 16), INT32_MAX - 1);
    try {
      mesh.coordinates.resize(3 * std::size_t(grown + 1), 0.0);
      mesh.vertex_tags.resize(std::size_t(grown + 1), 0);
    } catch (const std::bad_alloc &) {
      return 0;
    }
    mesh.vertex_capacity = static_cast<std::int32_t>(grown);
  }
  const std::int32_t number = ++mesh.vertex_count;
  std::memcpy(mesh.vertex(number), xyz, 3 * sizeof(double));
  mesh.vertex_tags[std::size_t(number)] = 0;
  return number;
}

}  // namespace gridlume::highorder
