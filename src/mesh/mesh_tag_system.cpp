// The tag system of a mesh: clearing, cloning, building it from the tags the
// mesh carries, and the composite queries of a mesh with or without one.
#include <algorithm>
#include <array>

#include "gridlume/mesh.h"
#include "mesh/mesh.hpp"
#include "mesh/tag_system.hpp"

namespace {

// A tag system built from a mesh's tags starts sized for this many tags...
constexpr std::int64_t initial_size_hint = 1000;
// ...and is rebuilt, sized for `rebuilt_size_factor` x the largest tag, when
// `oversize_factor` x the largest tag exceeds the size it was built for.
constexpr std::int64_t oversize_factor = 3;
constexpr std::int64_t rebuilt_size_factor = 10;

struct TaggedKind {
  int (*count)(gridlume_mesh *, int *);
  int (*tag)(gridlume_mesh *, int, int *);
};

// The entity kinds whose tags a tag system records, in slot order.
constexpr std::array<TaggedKind, 8> tagged_kinds = {{
    {gridlume_mesh_get_vertex_count, gridlume_mesh_get_vertex_tag},
    {gridlume_mesh_get_edge_count, gridlume_mesh_get_edge_tag},
    {gridlume_mesh_get_triangle_count, gridlume_mesh_get_triangle_tag},
    {gridlume_mesh_get_quadrangle_count, gridlume_mesh_get_quadrangle_tag},
    {gridlume_mesh_get_tetrahedron_count, gridlume_mesh_get_tetrahedron_tag},
    {gridlume_mesh_get_hexahedron_count, gridlume_mesh_get_hexahedron_tag},
    {gridlume_mesh_get_pyramid_count, gridlume_mesh_get_pyramid_tag},
    {gridlume_mesh_get_prism_count, gridlume_mesh_get_prism_tag},
}};

// A count whose getter fails counts as 0.
int count_or_zero(int (*getter)(gridlume_mesh *, int *), gridlume_mesh *mesh) {
  int count = 0;
  if (getter(mesh, &count) != GRIDLUME_STATUS_OK) return 0;
  return std::max(count, 0);
}

// Records every entity and subdomain tag of the mesh as a base tag of its
// tag system, keeping the largest tag seen; stops at the first failure.
int record_mesh_tags(gridlume_mesh *mesh, std::int32_t &largest_tag) {
  gridlume_tag_system *tag_system = mesh->tag_system;
  auto record = [&](int tag) {
    largest_tag = std::max(largest_tag, tag);
    return gridlume_tag_system_add_base_tag(tag_system, tag);
  };
  for (const TaggedKind &kind : tagged_kinds) {
    int count = count_or_zero(kind.count, mesh);
    for (int i = 1; i <= count; ++i) {
      int tag = 0;
      int status = kind.tag(mesh, i, &tag);
      if (status == GRIDLUME_STATUS_OK) status = record(tag);
      if (status != GRIDLUME_STATUS_OK) return status;
    }
  }
  int subdomain_count = count_or_zero(gridlume_mesh_get_subdomain_count, mesh);
  for (int i = 1; i <= subdomain_count; ++i) {
    int tag = 0, seed_kind = 0, seed_index = 0, orientation = 0;
    int status = gridlume_mesh_get_subdomain_description(mesh, i, &tag, &seed_kind, &seed_index,
                                                         &orientation);
    if (status == GRIDLUME_STATUS_OK) status = record(tag);
    if (status != GRIDLUME_STATUS_OK) return status;
  }
  return GRIDLUME_STATUS_OK;
}

}  // namespace

extern "C" {

int gridlume_mesh_clear_tag_system(gridlume_mesh *mesh) {
  if (mesh == nullptr) return GRIDLUME_STATUS_ERROR;
  gridlume_tag_system_delete(mesh->tag_system);
  mesh->tag_system = nullptr;
  return GRIDLUME_STATUS_OK;
}

int gridlume_mesh_clone_tag_system(gridlume_mesh *source, gridlume_mesh *destination) {
  if (source == nullptr || destination == nullptr) return GRIDLUME_STATUS_ERROR;
  destination->tag_system = gridlume_tag_system_clone(source->tag_system);
  return GRIDLUME_STATUS_OK;
}

int gridlume_mesh_create_tag_system_from_existing_tags(gridlume_mesh *mesh) {
  if (mesh == nullptr) return GRIDLUME_STATUS_ERROR;
  std::int64_t size_hint = initial_size_hint;
  for (;;) {
    bool created = false;
    if (mesh->tag_system == nullptr) {
      mesh->tag_system = gridlume_tag_system_new(
          static_cast<int>(std::min<std::int64_t>(size_hint, INT32_MAX)));
      if (mesh->tag_system == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
      created = true;
    }
    std::int32_t largest_tag = -1;
    int status = record_mesh_tags(mesh, largest_tag);
    // A system sized far below the tags it received is rebuilt once at a
    // better size; the second pass sees the same largest tag and stops.
    if (created && oversize_factor * largest_tag > size_hint) {
      gridlume_mesh_clear_tag_system(mesh);
      size_hint = rebuilt_size_factor * largest_tag;
      continue;
    }
    return status;
  }
}

int gridlume_mesh_get_composite_tag_definition(gridlume_mesh *mesh, int tag, int *count,
                                               int *list) {
  if (mesh == nullptr || count == nullptr || list == nullptr) return GRIDLUME_STATUS_ERROR;
  if (mesh->tag_system != nullptr)
    return gridlume_tag_system_get_composite_tag_definition(mesh->tag_system, tag, count, list);
  // Without a tag system every tag is its own definition.
  *count = 1;
  list[0] = tag;
  return GRIDLUME_STATUS_OK;
}

int gridlume_mesh_get_composite_tag_list(gridlume_mesh *mesh, int *count, int *list) {
  if (mesh == nullptr || count == nullptr || list == nullptr) return GRIDLUME_STATUS_ERROR;
  if (mesh->tag_system != nullptr)
    return gridlume_tag_system_get_composite_tag_list(mesh->tag_system, count, list);
  *count = 0;
  list[0] = 0;
  return GRIDLUME_STATUS_OK;
}

}  // extern "C"
