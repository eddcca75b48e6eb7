// The part of a surface mesh touched by tags that a new tag system has and an
// old one does not have as base tags.
#include <algorithm>
#include <array>

#include "core/grouped_table.hpp"
#include "core/hash_table.hpp"
#include "core/integer_stack.hpp"
#include "gridlume/mesh.h"
#include "gridlume/mesh_memory.h"
#include "gridlume/tag_system.h"
#include "mesh/tag_system.hpp"

namespace {

using gridlume::IntegerSet;
using gridlume::IntegerStack;

constexpr std::int32_t no_memory = GRIDLUME_STATUS_NO_MEMORY;
constexpr std::int32_t triangle_side_count = 3;
// Each triangle side is indexed under its unordered vertex pair; a side is
// shared by about two triangles.
constexpr std::int32_t triangles_per_side = 2;
// The side table is sized for at most this many sides and grows past it.
constexpr std::int64_t largest_side_estimate = INT32_MAX / 4;

// Modified tags: every tag of the new system when the old one has none, else
// the new system's tags that are not base tags of the old one.
int modified_tags(const gridlume_tag_system &old_tags, const gridlume_tag_system &new_tags,
                  IntegerSet &modified) {
  std::int32_t tag_count = new_tags.definitions.group_count();
  if (modified.create(2 * tag_count + 1, tag_count) != GRIDLUME_STATUS_OK) return no_memory;
  bool old_is_empty = old_tags.definitions.group_count() == 0;
  for (std::int32_t group = 1; group <= tag_count; ++group) {
    std::int32_t tag = new_tags.definitions.group_key(group);
    if (!old_is_empty && old_tags.memberships.find_group(tag) != 0) continue;
    if (modified.insert(tag) == 0) return no_memory;
  }
  return GRIDLUME_STATUS_OK;
}

int copy_vertices(gridlume_mesh *mesh, gridlume_mesh *output) {
  int dimension = 0;
  int status = gridlume_mesh_get_dimension(mesh, &dimension);
  if (status == GRIDLUME_STATUS_OK) status = gridlume_mesh_set_dimension(output, dimension);
  int count = 0;
  if (status == GRIDLUME_STATUS_OK) status = gridlume_mesh_get_vertex_count(mesh, &count);
  if (status == GRIDLUME_STATUS_OK) status = gridlume_mesh_set_vertex_count(output, count);
  for (int i = 1; i <= count && status == GRIDLUME_STATUS_OK; ++i) {
    double xyz[3] = {};
    int tag = 0;
    status = gridlume_mesh_get_vertex_coordinates(mesh, i, xyz);
    if (status == GRIDLUME_STATUS_OK) status = gridlume_mesh_get_vertex_tag(mesh, i, &tag);
    if (status == GRIDLUME_STATUS_OK) status = gridlume_mesh_set_vertex_coordinates(output, i, xyz);
    if (status == GRIDLUME_STATUS_OK) status = gridlume_mesh_set_vertex_tag(output, i, &tag);
  }
  return status;
}

// The source entities (numbers) whose tag is modified or that `also` holds.
template <int (*get_count)(gridlume_mesh *, int *),
          int (*get_tag)(gridlume_mesh *, int, int *)>
int select_entities(gridlume_mesh *mesh, const IntegerSet &modified, const IntegerSet *also,
                    IntegerStack &selected) {
  int count = 0;
  int status = get_count(mesh, &count);
  if (status == GRIDLUME_STATUS_OK && selected.create(0) != GRIDLUME_STATUS_OK) status = no_memory;
  for (int i = 1; i <= count && status == GRIDLUME_STATUS_OK; ++i) {
    int tag = 0;
    status = get_tag(mesh, i, &tag);
    if (status != GRIDLUME_STATUS_OK) break;
    if ((modified.contains(tag) || (also != nullptr && also->contains(i))) &&
        selected.push(i) == 0)
      status = no_memory;
  }
  return status;
}

// Writes the selected source entities to the output, renumbered 1..n in
// source order, with their vertices and tag.
template <int Width, int (*get_vertices)(gridlume_mesh *, int, int *),
          int (*get_tag)(gridlume_mesh *, int, int *),
          int (*set_count)(gridlume_mesh *, int),
          int (*set_vertices)(gridlume_mesh *, int, const int *),
          int (*set_tag)(gridlume_mesh *, int, const int *)>
int write_entities(gridlume_mesh *mesh, gridlume_mesh *output, const IntegerStack &selected) {
  int status = set_count(output, selected.count());
  for (std::int32_t j = 0; j < selected.count() && status == GRIDLUME_STATUS_OK; ++j) {
    std::array<int, Width> vertices{};
    int tag = 0;
    status = get_vertices(mesh, selected[j], vertices.data());
    if (status == GRIDLUME_STATUS_OK) status = get_tag(mesh, selected[j], &tag);
    if (status == GRIDLUME_STATUS_OK) status = set_vertices(output, j + 1, vertices.data());
    if (status == GRIDLUME_STATUS_OK) status = set_tag(output, j + 1, &tag);
  }
  return status;
}

// The triangles having a side in common with one of the selected edges.
int triangles_beside_edges(gridlume_mesh *mesh, const IntegerStack &edges,
                           IntegerSet &beside) {
  int triangle_count = 0;
  int status = gridlume_mesh_get_triangle_count(mesh, &triangle_count);
  if (status != GRIDLUME_STATUS_OK) return status;
  auto side_estimate = static_cast<std::int32_t>(std::min<std::int64_t>(
      static_cast<std::int64_t>(triangle_count) / 2 * triangle_side_count + triangle_side_count,
      largest_side_estimate));
  gridlume::VertexPairGroupedTable sides;
  if (sides.create(side_estimate, side_estimate, 1, triangles_per_side) != GRIDLUME_STATUS_OK ||
      beside.create(2 * edges.count() + 1, edges.count()) != GRIDLUME_STATUS_OK)
    return no_memory;
  for (int t = 1; t <= triangle_count; ++t) {
    std::array<int, triangle_side_count> v{};
    status = gridlume_mesh_get_triangle_vertices(mesh, t, v.data());
    if (status != GRIDLUME_STATUS_OK) return status;
    for (int side = 0; side < triangle_side_count; ++side)
      if (sides.insert({v[side], v[(side + 1) % triangle_side_count]}, {t}) == 0) return no_memory;
  }
  for (std::int32_t e = 0; e < edges.count(); ++e) {
    std::array<int, 2> v{};
    status = gridlume_mesh_get_edge_vertices(mesh, edges[e], v.data());
    if (status != GRIDLUME_STATUS_OK) return status;
    bool inserted = sides.for_each_entry(sides.find_group({v[0], v[1]}), [&](std::int32_t entry) {
      return beside.insert(sides.tuple(entry)[0]) != 0;
    });
    if (!inserted) return no_memory;
  }
  return GRIDLUME_STATUS_OK;
}

int extract_modified_surface(const gridlume_tag_system &old_tags,
                             const gridlume_tag_system &new_tags, gridlume_mesh *mesh,
                             gridlume_mesh *output) {
  IntegerSet modified;
  int status = modified_tags(old_tags, new_tags, modified);
  if (status == GRIDLUME_STATUS_OK) status = copy_vertices(mesh, output);
  if (status != GRIDLUME_STATUS_OK) return status;

  IntegerStack edges;
  status = select_entities<gridlume_mesh_get_edge_count, gridlume_mesh_get_edge_tag>(
      mesh, modified, nullptr, edges);
  if (status == GRIDLUME_STATUS_OK)
    status = write_entities<2, gridlume_mesh_get_edge_vertices, gridlume_mesh_get_edge_tag,
                            gridlume_mesh_set_edge_count, gridlume_mesh_set_edge_vertices,
                            gridlume_mesh_set_edge_tag>(mesh, output, edges);
  if (status != GRIDLUME_STATUS_OK) return status;

  IntegerSet beside;
  bool has_edges = edges.count() > 0;
  if (has_edges) status = triangles_beside_edges(mesh, edges, beside);
  IntegerStack triangles;
  if (status == GRIDLUME_STATUS_OK)
    status = select_entities<gridlume_mesh_get_triangle_count, gridlume_mesh_get_triangle_tag>(
        mesh, modified, has_edges ? &beside : nullptr, triangles);
  if (status == GRIDLUME_STATUS_OK)
    status = write_entities<3, gridlume_mesh_get_triangle_vertices,
                            gridlume_mesh_get_triangle_tag, gridlume_mesh_set_triangle_count,
                            gridlume_mesh_set_triangle_vertices, gridlume_mesh_set_triangle_tag>(
        mesh, output, triangles);
  return status;
}

}  // namespace

extern "C" {

int gridlume_mesh_tag_system_get_modified_surface(const gridlume_tag_system *old_tag_system,
                                                  const gridlume_tag_system *new_tag_system,
                                                  gridlume_mesh *mesh,
                                                  gridlume_mesh **modified_surface) {
  gridlume_context *context = nullptr;
  if (modified_surface == nullptr || old_tag_system == nullptr || new_tag_system == nullptr ||
      gridlume_mesh_get_context(mesh, &context) != GRIDLUME_STATUS_OK || context == nullptr)
    return GRIDLUME_STATUS_ERROR;
  // The output is handed over whatever happens next: on failure it holds
  // what was built so far and the caller deletes it.
  *modified_surface = gridlume_mesh_new_in_memory(context);
  if (*modified_surface == nullptr) return no_memory;
  return extract_modified_surface(*old_tag_system, *new_tag_system, mesh, *modified_surface);
}

}  // extern "C"
