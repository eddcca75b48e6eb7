// Surface extraction: the edges, triangles and quadrangles of a mesh with only
// the vertices they use, renumbered 1..m in increasing order of their old
// numbers.
#include "core/allocator.hpp"
#include "core/guard.hpp"
#include "gridlume/mesh_memory.h"
#include "mesh/memory_storage.hpp"
#include "mesh/slot_calls.hpp"
#include "mesh/surface_parts.hpp"

namespace gridlume {
namespace {

// new_numbers[old] is the new number of a used vertex, 0 for an unused one.
using Renumbering = Vector<int>;

int read_element(const gridlume_mesh *mesh, const SurfaceElementKind &kind, int i,
                 int (&vertices)[surface_element_width]) noexcept {
  return call_getter<gridlume_mesh_integers_getter>(mesh, kind.vertices, i, vertices);
}

// Marks the vertices used by surface elements, then numbers them in
// increasing order of their old numbers. A vertex index outside 1..vertex
// count cannot be carried over: -1.
int number_used_vertices(const gridlume_mesh *mesh, int vertex_count,
                         Renumbering &new_numbers, int &used_count) {
  new_numbers.assign(static_cast<std::size_t>(vertex_count) + 1, 0);
  for (const SurfaceElementKind &kind : surface_element_kinds) {
    int count = 0;
    int status = get_count(mesh, kind.count, &count);
    for (int i = 1; status == GRIDLUME_STATUS_OK && i <= count; ++i) {
      int vertices[surface_element_width] = {};
      status = read_element(mesh, kind, i, vertices);
      for (int v = 0; status == GRIDLUME_STATUS_OK && v < kind.width; ++v) {
        if (vertices[v] < 1 || vertices[v] > vertex_count) status = GRIDLUME_STATUS_ERROR;
        else new_numbers[static_cast<std::size_t>(vertices[v])] = 1;
      }
    }
    if (status != GRIDLUME_STATUS_OK) return status;
  }
  used_count = 0;
  for (int old = 1; old <= vertex_count; ++old)
    if (new_numbers[static_cast<std::size_t>(old)] != 0)
      new_numbers[static_cast<std::size_t>(old)] = ++used_count;
  return GRIDLUME_STATUS_OK;
}

int copy_used_vertices(const gridlume_mesh *mesh, const gridlume_mesh *surface,
                       const Renumbering &new_numbers, int used_count) noexcept {
  int status = set_count(surface, slot_vertex_count, used_count);
  for (std::size_t old = 1; status == GRIDLUME_STATUS_OK && old < new_numbers.size(); ++old) {
    const int target = new_numbers[old];
    if (target == 0) continue;
    double xyz[3] = {};
    int tag = 0;
    const int source = static_cast<int>(old);
    status = call_getter<gridlume_mesh_point_getter>(mesh, slot_vertex_coordinates, source, xyz);
    if (status == GRIDLUME_STATUS_OK)
      status = call_setter<gridlume_mesh_point_setter>(surface, slot_vertex_coordinates, target,
                                                       xyz);
    if (status == GRIDLUME_STATUS_OK)
      status = call_getter<gridlume_mesh_integers_getter>(mesh, slot_vertex_tag, source, &tag);
    if (status == GRIDLUME_STATUS_OK)
      status = call_setter<gridlume_mesh_integers_setter>(surface, slot_vertex_tag, target, &tag);
  }
  return status;
}

int copy_elements(const gridlume_mesh *mesh, const gridlume_mesh *surface,
                  const SurfaceElementKind &kind, const Renumbering &new_numbers) noexcept {
  int count = 0;
  int status = get_count(mesh, kind.count, &count);
  if (status == GRIDLUME_STATUS_OK) status = set_count(surface, kind.count, count);
  for (int i = 1; status == GRIDLUME_STATUS_OK && i <= count; ++i) {
    int vertices[surface_element_width] = {};
    int tag = 0;
    status = read_element(mesh, kind, i, vertices);
    if (status != GRIDLUME_STATUS_OK) break;
    for (int v = 0; v < kind.width; ++v) {
      // The source may have changed under its callbacks since the vertices
      // were numbered.
      if (vertices[v] < 1 || static_cast<std::size_t>(vertices[v]) >= new_numbers.size() ||
          new_numbers[static_cast<std::size_t>(vertices[v])] == 0)
        return GRIDLUME_STATUS_ERROR;
      vertices[v] = new_numbers[static_cast<std::size_t>(vertices[v])];
    }
    status = call_setter<gridlume_mesh_integers_setter>(surface, kind.vertices, i, vertices);
    if (status == GRIDLUME_STATUS_OK)
      status = call_getter<gridlume_mesh_integers_getter>(mesh, kind.tag, i, &tag);
    if (status == GRIDLUME_STATUS_OK)
      status = call_setter<gridlume_mesh_integers_setter>(surface, kind.tag, i, &tag);
  }
  return status;
}

int extract(gridlume_context *context, const gridlume_mesh *mesh, gridlume_mesh **out) {
  int vertex_count = 0;
  int status = get_count(mesh, slot_vertex_count, &vertex_count);
  if (status != GRIDLUME_STATUS_OK) return status;
  if (vertex_count < 0) return GRIDLUME_STATUS_ERROR;
  Renumbering new_numbers;
  int used_count = 0;
  status = number_used_vertices(mesh, vertex_count, new_numbers, used_count);
  if (status != GRIDLUME_STATUS_OK) return status;

  gridlume_mesh *surface = new_in_memory_mesh(context);
  if (surface == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
  *out = surface;
  surface->set_dimension(mesh->dimension());
  status = copy_used_vertices(mesh, surface, new_numbers, used_count);
  for (const SurfaceElementKind &kind : surface_element_kinds) {
    if (status != GRIDLUME_STATUS_OK) break;
    status = copy_elements(mesh, surface, kind, new_numbers);
  }
  return status;
}

}  // namespace
}  // namespace gridlume

extern "C" int gridlume_mesh_new_extract_surface_mesh(gridlume_context *context,
                                                      gridlume_mesh *mesh, gridlume_mesh **out) {
  if (out != nullptr) *out = nullptr;
  if (context == nullptr || mesh == nullptr || out == nullptr) return GRIDLUME_STATUS_ERROR;
  return gridlume::guard_status([&] { return gridlume::extract(context, mesh, out); });
}
