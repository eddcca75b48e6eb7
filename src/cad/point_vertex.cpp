// Points of a face's parameter plane and vertices of the cad's space.
#include <algorithm>

#include "cad/cad.hpp"
#include "cad/objects.hpp"
#include "core/allocator.hpp"

extern "C" {

gridlume_cad_point *gridlume_cad_point_new(gridlume_cad_face *face, int id, const double *uv) {
  if (face == nullptr || uv == nullptr || face->discrete_definition != nullptr) return nullptr;
  gridlume_cad_point *point = gridlume::create<gridlume_cad_point>();
  if (point == nullptr) return nullptr;
  point->face = face;
  point->id = id;
  point->uv[0] = uv[0];
  point->uv[1] = uv[1];
  if (!face->points.append(point)) {
    gridlume::destroy(point);
    return nullptr;
  }
  return point;
}

void gridlume_cad_point_delete(gridlume_cad_point *point) {
  if (point == nullptr) return;
  if (point->face != nullptr) {
    std::int32_t index = point->face->points.index_of(point);
    if (index >= 0) point->face->points.remove_swap_last(index);
  }
  gridlume::destroy(point);
}

int gridlume_cad_point_get_uv(gridlume_cad_point *point, double *uv) {
  if (point == nullptr || uv == nullptr) return GRIDLUME_STATUS_ERROR;
  uv[0] = point->uv[0];
  uv[1] = point->uv[1];
  return GRIDLUME_STATUS_OK;
}

gridlume_cad_vertex *gridlume_cad_vertex_new(gridlume_cad *cad, int id, const double *xyz) {
  if (cad == nullptr || xyz == nullptr || !cad->vertex_map.created()) return nullptr;
  // An id names one vertex: asking again gives the vertex made first.
  std::int32_t index = 0;
  if (cad->vertex_map.find(id, index)) return cad->vertices[index];
  gridlume_cad_vertex *vertex = gridlume::create<gridlume_cad_vertex>();
  if (vertex == nullptr) return nullptr;
  vertex->cad = cad;
  vertex->id = id;
  std::copy(xyz, xyz + 3, vertex->xyz);
  index = cad->vertices.count();
  if (!cad->vertices.append(vertex)) {
    gridlume::destroy(vertex);
    return nullptr;
  }
  if (cad->vertex_map.set(id, index) != GRIDLUME_STATUS_OK) {
    cad->vertices.remove_swap_last(index);
    gridlume::destroy(vertex);
    return nullptr;
  }
  return vertex;
}

int gridlume_cad_vertex_get_coordinates(gridlume_cad_vertex *vertex, double *xyz) {
  if (vertex == nullptr || xyz == nullptr) return GRIDLUME_STATUS_ERROR;
  std::copy(vertex->xyz, vertex->xyz + 3, xyz);
  return GRIDLUME_STATUS_OK;
}

int gridlume_cad_vertex_get_original_geometry(gridlume_cad_vertex *vertex,
                                              gridlume_cad_vertex **vertex0) {
  if (vertex == nullptr || vertex0 == nullptr) return GRIDLUME_STATUS_ERROR;
  *vertex0 = vertex;
  return GRIDLUME_STATUS_OK;
}

}  // extern "C"
