// Edges: creation on a face, copies, evaluation of the curve, range, original
// geometry and support vertices.
#include <algorithm>

#include "cad/objects.hpp"
#include "core/allocator.hpp"
#include "core/flat_array.hpp"

namespace {

void zero(double *values, int count) {
  if (values != nullptr) std::fill(values, values + count, 0.0);
}

bool is_discrete(const gridlume_cad_face *face) { return face->discrete_definition != nullptr; }

// Resizes the three arrays of a private record to `count` vertices, new
// vertices zero; a count of 0 empties the record. -5 when memory fails (the
// record unchanged).
int resize_support_vertices(gridlume::SupportVertices &record, std::int32_t count) {
  if (count == 0) {
    for (double *array : {record.t, record.uv, record.xyz}) gridlume_free(array);
    record.t = record.uv = record.xyz = nullptr;
    record.count = 0;
    return GRIDLUME_STATUS_OK;
  }
  auto old_count = static_cast<std::size_t>(record.count);
  auto new_count = static_cast<std::size_t>(count);
  double *t = gridlume::copy_resized(record.t, old_count, new_count);
  double *uv = gridlume::copy_resized(record.uv, 2 * old_count, 2 * new_count);
  double *xyz = gridlume::copy_resized(record.xyz, 3 * old_count, 3 * new_count);
  if (t == nullptr || uv == nullptr || xyz == nullptr) {
    for (double *array : {t, uv, xyz}) gridlume_free(array);
    return GRIDLUME_STATUS_NO_MEMORY;
  }
  for (double *array : {record.t, record.uv, record.xyz}) gridlume_free(array);
  record.t = t;
  record.uv = uv;
  record.xyz = xyz;
  record.count = count;
  return GRIDLUME_STATUS_OK;
}

}  // namespace

namespace gridlume {

int edge_support_vertices(gridlume_cad_edge *edge, int &count, double *&t, double *&uv,
                          double *&xyz) noexcept {
  if (const SupportVertices *record = edge->support_vertices; record != nullptr) {
    count = record->count;
    t = record->t;
    uv = record->uv;
    xyz = record->xyz;
    return GRIDLUME_STATUS_OK;
  }
  if (edge->support_vertices_function == nullptr) return GRIDLUME_STATUS_ERROR;
  return edge->support_vertices_function(&count, &t, &uv, &xyz, edge->user_data);
}

gridlume_cad_edge *copy_edge(const gridlume_cad_edge *source) noexcept {
  gridlume_cad_edge *copy =
      new_standalone_edge(source->id, source->tmin, source->tmax, source->curve, nullptr);
  if (copy == nullptr) return nullptr;
  copy_curve_fields(copy, source);
  copy->orientation = source->orientation;
  copy->coorientation = source->coorientation;
  copy->property = source->property;
  copy->uv_extremities = source->uv_extremities;
  copy->curve3d = source->curve3d;
  copy->curve3d_data = source->curve3d_data;
  copy->original_geometry = source->original_geometry;
  copy->flags = source->flags & ~edge_attached_bit;
  bool copied = copy->original_ids.copy_from(source->original_ids);
  if (copied && source->discrete_definition.indices != nullptr) {
    auto count = static_cast<std::size_t>(source->discrete_definition.count);
    copy->discrete_definition.indices =
        copy_resized(source->discrete_definition.indices, count, count);
    copy->discrete_definition.count = source->discrete_definition.count;
    copied = copy->discrete_definition.indices != nullptr;
  }
  if (!copied || !finish_curve_copy(copy, source)) {
    free_object(copy);
    return nullptr;
  }
  return copy;
}

}  // namespace gridlume

extern "C" {

gridlume_cad_edge *gridlume_cad_edge_new(gridlume_cad_face *face, int id, double tmin,
                                         double tmax, gridlume_cad_curve_function curve,
                                         void *user_data) {
  if (face == nullptr || curve == nullptr || is_discrete(face)) return nullptr;
  gridlume_cad_edge *edge = gridlume::new_standalone_edge(id, tmin, tmax, curve, user_data);
  if (edge == nullptr) return nullptr;
  if (gridlume::attach_edge(edge, face) != GRIDLUME_STATUS_OK) {
    gridlume::free_object(edge);
    return nullptr;
  }
  return edge;
}

int gridlume_cad_edge_attach(gridlume_cad_edge *edge, gridlume_cad_face *face) {
  if (edge == nullptr || face == nullptr || edge->face != nullptr || is_discrete(face))
    return GRIDLUME_STATUS_ERROR;
  return gridlume::attach_edge(edge, face);
}

gridlume_cad_edge *gridlume_cad_edge_new_copy(gridlume_cad_edge *edge) {
  if (edge == nullptr) return nullptr;
  return gridlume::copy_edge(edge);
}

int gridlume_cad_edge_curve(gridlume_cad_edge *edge, double t, double *uv, double *dt,
                            double *dtt) {
  if (edge == nullptr || edge->curve == nullptr) return GRIDLUME_STATUS_ERROR;
  for (double *output : {uv, dt, dtt}) zero(output, 2);
  return edge->curve(t, uv, dt, dtt, edge->user_data);
}

int gridlume_cad_edge_curve3d(gridlume_cad_edge *edge, double t, double *xyz) {
  if (edge == nullptr || edge->curve3d == nullptr) return GRIDLUME_STATUS_ERROR;
  zero(xyz, 3);
  return edge->curve3d(t, xyz, edge->curve3d_data);
}

int gridlume_cad_edge_set_curve3d(gridlume_cad_edge *edge, gridlume_cad_curve3d_function curve3d,
                                  void *user_data) {
  if (edge == nullptr) return GRIDLUME_STATUS_ERROR;
  edge->curve3d = curve3d;
  edge->curve3d_data = user_data;
  return GRIDLUME_STATUS_OK;
}

int gridlume_cad_edge_get_curve3d(gridlume_cad_edge *edge, gridlume_cad_curve3d_function *curve3d,
                                  void **user_data) {
  if (edge == nullptr || curve3d == nullptr || user_data == nullptr) return GRIDLUME_STATUS_ERROR;
  *curve3d = edge->curve3d;
  *user_data = edge->curve3d_data;
  return GRIDLUME_STATUS_OK;
}

int gridlume_cad_edge_has_curve3d(gridlume_cad_edge *edge, int *flag) {
  if (edge == nullptr || flag == nullptr) return GRIDLUME_STATUS_ERROR;
  *flag = edge->curve3d != nullptr ? 1 : 0;
  return GRIDLUME_STATUS_OK;
}

int gridlume_cad_edge_set_range(gridlume_cad_edge *edge, double tmin, double tmax) {
  if (edge == nullptr) return GRIDLUME_STATUS_ERROR;
  edge->tmin = tmin;
  edge->tmax = tmax;
  return GRIDLUME_STATUS_OK;
}

int gridlume_cad_edge_get_wdef(gridlume_cad_edge *edge, int *flag) {
  if (edge == nullptr || flag == nullptr) return GRIDLUME_STATUS_ERROR;
  *flag = (edge->flags & gridlume::edge_approximated_derivatives_bit) == 0 ? 1 : 0;
  return GRIDLUME_STATUS_OK;
}

int gridlume_cad_edge_get_original_geometry(gridlume_cad_edge *edge, double t,
                                            gridlume_cad_edge **edge0, double *t0, double *tmin,
                                            double *tmax) {
  if (edge == nullptr || edge0 == nullptr || t0 == nullptr || tmin == nullptr ||
      tmax == nullptr)
    return GRIDLUME_STATUS_ERROR;
  if (edge->original_geometry != nullptr)
    return edge->original_geometry(t, edge0, t0, tmin, tmax, edge->user_data);
  *edge0 = edge;
  *t0 = *tmin = *tmax = t;
  return GRIDLUME_STATUS_OK;
}

int gridlume_cad_edge_set_support_vertex_count(gridlume_cad_edge *edge, int count) {
  if (edge == nullptr || count < 0) return GRIDLUME_STATUS_ERROR;
  int status = gridlume::make_support_vertices_private(edge);
  if (status != GRIDLUME_STATUS_OK) return status;
  return resize_support_vertices(*edge->support_vertices, count);
}

int gridlume_cad_edge_set_support_vertex(gridlume_cad_edge *edge, int i, double t,
                                         const double *uv, const double *xyz) {
  if (edge == nullptr || uv == nullptr || xyz == nullptr || edge->support_vertices == nullptr)
    return GRIDLUME_STATUS_ERROR;
  if (i < 1 || i > edge->support_vertices->count) return GRIDLUME_STATUS_ERROR;
  int status = gridlume::make_support_vertices_private(edge);
  if (status != GRIDLUME_STATUS_OK) return status;
  gridlume::SupportVertices &record = *edge->support_vertices;
  std::size_t k = static_cast<std::size_t>(i) - 1;
  record.t[k] = t;
  std::copy(uv, uv + 2, record.uv + 2 * k);
  std::copy(xyz, xyz + 3, record.xyz + 3 * k);
  return GRIDLUME_STATUS_OK;
}

int gridlume_cad_edge_get_support_vertices(gridlume_cad_edge *edge, int *count, double **t,
                                           double **uv, double **xyz) {
  if (edge == nullptr || count == nullptr) return GRIDLUME_STATUS_ERROR;
  double *t_array = nullptr, *uv_array = nullptr, *xyz_array = nullptr;
  int status = gridlume::edge_support_vertices(edge, *count, t_array, uv_array, xyz_array);
  if (t != nullptr) *t = t_array;
  if (uv != nullptr) *uv = uv_array;
  if (xyz != nullptr) *xyz = xyz_array;
  return status;
}

}  // extern "C"
