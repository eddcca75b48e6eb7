// Concatenation of surface meshes: the source's vertices, edges, triangles
// and quadrangles are appended to the destination, element vertex indices
// raised by the destination's former vertex count.
#include <climits>

#include "gridlume/mesh_memory.h"
#include "mesh/memory_storage.hpp"
#include "mesh/slot_calls.hpp"
#include "mesh/surface_parts.hpp"

namespace gridlume {
namespace {

// Reads both counts and sets the destination's to their sum; the former
// destination count and the source count come back through the references.
int grow_count(const gridlume_mesh *destination, const gridlume_mesh *source, Slot count_slot,
               int &destination_count, int &source_count) noexcept {
  destination_count = source_count = 0;
  int status = get_count(destination, count_slot, &destination_count);
  if (status == GRIDLUME_STATUS_OK) status = get_count(source, count_slot, &source_count);
  if (status != GRIDLUME_STATUS_OK) return status;
  if (source_count < 0 || destination_count < 0 || destination_count > INT_MAX - source_count)
    return GRIDLUME_STATUS_ERROR;
  return set_count(destination, count_slot, destination_count + source_count);
}

// The first failing callback ends the copy. Vertex tags may be copied on a
// best-effort basis (an unreadable tag becomes 0, a refused one is dropped),
// so that a source without tags can still be joined; running out of memory
// while storing them is still a failure, not a silently missing tag.
int append_vertices(const gridlume_mesh *destination, const gridlume_mesh *source,
                    bool check_tags, int &vertex_offset) noexcept {
  int source_count = 0;
  int status = grow_count(destination, source, slot_vertex_count, vertex_offset, source_count);
  for (int i = 1; status == GRIDLUME_STATUS_OK && i <= source_count; ++i) {
    double xyz[3] = {};
    status = call_getter<gridlume_mesh_point_getter>(source, slot_vertex_coordinates, i, xyz);
    if (status == GRIDLUME_STATUS_OK)
      status = call_setter<gridlume_mesh_point_setter>(destination, slot_vertex_coordinates,
                                                       vertex_offset + i, xyz);
    if (status != GRIDLUME_STATUS_OK) break;
    int tag = 0;
    int tag_status = call_getter<gridlume_mesh_integers_getter>(source, slot_vertex_tag, i, &tag);
    if (tag_status == GRIDLUME_STATUS_OK || !check_tags)
      tag_status = call_setter<gridlume_mesh_integers_setter>(destination, slot_vertex_tag,
                                                              vertex_offset + i, &tag);
    if (check_tags || tag_status == GRIDLUME_STATUS_NO_MEMORY) status = tag_status;
  }
  return status;
}

int append_elements(const gridlume_mesh *destination, const gridlume_mesh *source,
                    const SurfaceElementKind &kind, int vertex_offset) noexcept {
  int destination_count = 0, source_count = 0;
  int status = grow_count(destination, source, kind.count, destination_count, source_count);
  for (int i = 1; status == GRIDLUME_STATUS_OK && i <= source_count; ++i) {
    int vertices[surface_element_width] = {};
    int tag = 0;
    const int target = destination_count + i;
    status = call_getter<gridlume_mesh_integers_getter>(source, kind.vertices, i, vertices);
    if (status != GRIDLUME_STATUS_OK) break;
    for (int v = 0; v < kind.width; ++v) vertices[v] += vertex_offset;
    status = call_setter<gridlume_mesh_integers_setter>(destination, kind.vertices, target,
                                                        vertices);
    if (status == GRIDLUME_STATUS_OK)
      status = call_getter<gridlume_mesh_integers_getter>(source, kind.tag, i, &tag);
    if (status == GRIDLUME_STATUS_OK)
      status = call_setter<gridlume_mesh_integers_setter>(destination, kind.tag, target, &tag);
  }
  return status;
}

int append(const gridlume_mesh *destination, const gridlume_mesh *source,
           bool check_vertex_tags) noexcept {
  int vertex_offset = 0;
  int status = append_vertices(destination, source, check_vertex_tags, vertex_offset);
  for (const SurfaceElementKind &kind : surface_element_kinds) {
    if (status != GRIDLUME_STATUS_OK) break;
    status = append_elements(destination, source, kind, vertex_offset);
  }
  return status;
}

}  // namespace
}  // namespace gridlume

extern "C" {

int gridlume_mesh_concatenate(gridlume_mesh *destination, gridlume_mesh *source) {
  if (destination == nullptr || source == nullptr) return GRIDLUME_STATUS_ERROR;
  return gridlume::append(destination, source, true);
}

int gridlume_mesh_new_concatenate(gridlume_context *context, gridlume_mesh *a, gridlume_mesh *b,
                                  gridlume_mesh **out) {
  if (out != nullptr) *out = nullptr;
  if (context == nullptr || a == nullptr || b == nullptr || out == nullptr)
    return GRIDLUME_STATUS_ERROR;
  gridlume_mesh *mesh = gridlume::new_in_memory_mesh(context);
  if (mesh == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
  *out = mesh;
  mesh->set_dimension(a->dimension() > b->dimension() ? a->dimension() : b->dimension());
  int status = gridlume::append(mesh, a, false);
  if (status == GRIDLUME_STATUS_OK) status = gridlume::append(mesh, b, false);
  return status;
}

}  // extern "C"
