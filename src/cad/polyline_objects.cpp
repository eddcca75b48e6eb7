// Polyline edges and wires: the curves through given points, with their
// points as support vertices and, for edges, the edges the points lie on.
#include <algorithm>

#include "cad/cad.hpp"
#include "cad/derived.hpp"
#include "cad/polyline.hpp"
#include "core/flat_array.hpp"

namespace gridlume {
namespace {

// Shared by an edge and its copies (the clone function raises the count).
struct PolylineRecord {
  std::int32_t count;
  double *parameters;
  double *points;           // uv for an edge, xyz for a wire
  double *xyz;              // an edge's points in space, or nullptr
  double *edge_parameters;  // each point's parameter on its edge, or nullptr
  std::int32_t run_count;
  gridlume_cad_edge **run_edges;
  std::int32_t *run_starts;
  std::int32_t references;
};

void free_arrays(PolylineRecord *record) {
  gridlume_free(record->parameters);
  // A wire's points in space are its points.
  if (record->xyz != record->points) gridlume_free(record->xyz);
  gridlume_free(record->points);
  gridlume_free(record->edge_parameters);
  gridlume_free(record->run_edges);
  gridlume_free(record->run_starts);
  destroy(record);
}

void *share_polyline(void *data) {
  ++static_cast<PolylineRecord *>(data)->references;
  return data;
}

void release_polyline(void *data) {
  auto *record = static_cast<PolylineRecord *>(data);
  if (--record->references > 0) return;
  for (std::int32_t r = 0; r < record->run_count; ++r)
    if (record->run_edges[r] != nullptr) release(record->run_edges[r]);
  free_arrays(record);
}

Polyline shape(const PolylineRecord &record, std::int32_t dimension, const double *points) {
  return {record.count, dimension, record.parameters, points};
}

int edge_curve(double t, double *uv, double *dt, double *dtt, void *data) {
  const auto &record = *static_cast<const PolylineRecord *>(data);
  shape(record, 2, record.points).evaluate(t, uv, dt, dtt);
  return GRIDLUME_STATUS_OK;
}

int edge_curve3d(double t, double *xyz, void *data) {
  if (xyz == nullptr) return GRIDLUME_STATUS_ERROR;
  const auto &record = *static_cast<const PolylineRecord *>(data);
  shape(record, 3, record.xyz).evaluate(t, xyz, nullptr, nullptr);
  return GRIDLUME_STATUS_OK;
}

int wire_curve(double t, double *xyz, double *dt, double *dtt, void *data) {
  const auto &record = *static_cast<const PolylineRecord *>(data);
  shape(record, 3, record.points).evaluate(t, xyz, dt, dtt);
  return GRIDLUME_STATUS_OK;
}

int polyline_support_vertices(int *count, double **t, double **uv, double **xyz, void *data) {
  auto &record = *static_cast<PolylineRecord *>(data);
  if (count != nullptr) *count = record.count;
  if (t != nullptr) *t = record.parameters;
  if (uv != nullptr) *uv = record.points;
  if (xyz != nullptr) *xyz = record.xyz;
  return GRIDLUME_STATUS_OK;
}

int wire_support_vertices(int *count, double **t, double **xyz, void *data) {
  auto &record = *static_cast<PolylineRecord *>(data);
  if (count != nullptr) *count = record.count;
  if (t != nullptr) *t = record.parameters;
  if (xyz != nullptr) *xyz = record.points;
  return GRIDLUME_STATUS_OK;
}

// The edge a point lies on at t: the run holding the interval's first point,
// at the parameter interpolated between the edge parameters of the
// interval's ends; chained to that edge's own original geometry.
int edge_original_geometry(double t, gridlume_cad_edge **edge0, double *t0, double *tmin,
                           double *tmax, void *data) {
  const auto &record = *static_cast<const PolylineRecord *>(data);
  PolylineInterval interval = locate_interval(record.parameters, record.count, t);
  std::int32_t run = 0;
  while (run + 1 < record.run_count && record.run_starts[run + 1] <= interval.low) ++run;
  gridlume_cad_edge *edge = record.run_count > 0 ? record.run_edges[run] : nullptr;
  const double low = record.edge_parameters[interval.low];
  const double high = record.edge_parameters[interval.high];
  const double parameter = (1.0 - interval.weight) * low + interval.weight * high;
  if (edge == nullptr) return GRIDLUME_STATUS_ERROR;
  if (edge->original_geometry != nullptr)
    return gridlume_cad_edge_get_original_geometry(edge, parameter, edge0, t0, tmin, tmax);
  if (edge0 != nullptr) *edge0 = edge;
  if (t0 != nullptr) *t0 = parameter;
  if (tmin != nullptr) *tmin = std::min(low, high);
  if (tmax != nullptr) *tmax = std::max(low, high);
  return GRIDLUME_STATUS_OK;
}

double *copy_values(const double *values, std::size_t count, bool &built) {
  if (values == nullptr) return nullptr;
  double *copy = copy_resized(values, count, count);
  built = built && copy != nullptr;
  return copy;
}

// A record with copies of the points and their parameters; with edge
// associations, the parameters add no length where the edge changes and the
// points are grouped in runs on one edge. No reference is taken yet.
PolylineRecord *build_record(std::int32_t count, std::int32_t dimension, const double *points,
                             const double *xyz, gridlume_cad_edge *const *edges,
                             const double *edge_parameters) {
  auto *record = create<PolylineRecord>();
  if (record == nullptr) return nullptr;
  record->count = count;
  auto n = static_cast<std::size_t>(count);
  bool built = true;
  record->parameters = allocate_zeroed<double>(n);
  built = record->parameters != nullptr;
  record->points = copy_values(points, dimension * n, built);
  record->xyz = dimension == 3 ? record->points : copy_values(xyz, 3 * n, built);
  record->edge_parameters = copy_values(edge_parameters, n, built);
  bool *joins = nullptr;
  if (built && edges != nullptr) {
    joins = allocate_zeroed<bool>(n);
    std::int32_t runs = 1;
    for (std::int32_t i = 1; i < count; ++i) runs += edges[i] != edges[i - 1] ? 1 : 0;
    record->run_edges = allocate_zeroed<gridlume_cad_edge *>(static_cast<std::size_t>(runs));
    record->run_starts = allocate_zeroed<std::int32_t>(static_cast<std::size_t>(runs));
    built = joins != nullptr && record->run_edges != nullptr && record->run_starts != nullptr;
    if (built) {
      record->run_edges[0] = edges[0];
      for (std::int32_t i = 1; i < count; ++i) {
        joins[i] = edges[i] != edges[i - 1];
        if (!joins[i]) continue;
        record->run_edges[record->run_count + 1] = edges[i];
        record->run_starts[record->run_count + 1] = i;
        ++record->run_count;
      }
      ++record->run_count;
    }
  }
  if (!built) {
    gridlume_free(joins);
    record->run_count = 0;
    free_arrays(record);
    return nullptr;
  }
  parameterise(record->points, count, dimension, joins, record->parameters);
  gridlume_free(joins);
  return record;
}

// Takes the references of the runs once the edge exists.
void retain_runs(PolylineRecord *record) {
  for (std::int32_t r = 0; r < record->run_count; ++r)
    if (record->run_edges[r] != nullptr) retain(record->run_edges[r]);
}

}  // namespace
}  // namespace gridlume

extern "C" {

gridlume_cad_edge *gridlume_cad_edge_new_newton1_with_ea(gridlume_cad_face *face, int id, int n,
                                                         const double *uv, const double *xyz,
                                                         gridlume_cad_edge **edges,
                                                         const double *edge_parameters) {
  using namespace gridlume;
  if (face == nullptr || uv == nullptr || n < 1 || face->discrete_definition != nullptr)
    return nullptr;
  PolylineRecord *record = build_record(n, 2, uv, xyz, edges, edge_parameters);
  if (record == nullptr) return nullptr;
  record->references = 1;
  gridlume_cad_edge *edge =
      new_standalone_edge(id, 0.0, record->parameters[n - 1], gridlume::edge_curve, record);
  if (edge == nullptr) {
    free_arrays(record);
    return nullptr;
  }
  // Until the edge is complete the record holds no reference: abandoning
  // the edge frees it without releasing any.
  const std::int32_t run_count = record->run_count;
  record->run_count = 0;
  edge->delete_function = release_polyline;
  edge->clone_function = share_polyline;
  edge->support_vertices_function = polyline_support_vertices;
  if (record->xyz != nullptr) {
    edge->curve3d = gridlume::edge_curve3d;
    edge->curve3d_data = record;
  }
  if (record->run_edges != nullptr && record->edge_parameters != nullptr)
    edge->original_geometry = edge_original_geometry;
  edge = finish_derived_edge(edge, face);
  if (edge == nullptr) return nullptr;
  record->run_count = run_count;
  retain_runs(record);
  return edge;
}

gridlume_cad_edge *gridlume_cad_edge_new_newton1(gridlume_cad_face *face, int id, int n,
                                                 const double *uv, const double *xyz) {
  return gridlume_cad_edge_new_newton1_with_ea(face, id, n, uv, xyz, nullptr, nullptr);
}

gridlume_cad_wire *gridlume_cad_wire_new_newton1(gridlume_cad *cad, int id, int n,
                                                 const double *xyz) {
  using namespace gridlume;
  if (cad == nullptr || xyz == nullptr || n < 1) return nullptr;
  PolylineRecord *record = build_record(n, 3, xyz, nullptr, nullptr, nullptr);
  if (record == nullptr) return nullptr;
  record->references = 1;
  gridlume_cad_wire *wire =
      new_wire_record(id, 0.0, record->parameters[n - 1], gridlume::wire_curve, record);
  if (wire == nullptr) {
    free_arrays(record);
    return nullptr;
  }
  wire->delete_function = release_polyline;
  wire->clone_function = share_polyline;
  wire->support_vertices_function = gridlume::wire_support_vertices;
  if (attach_wire(wire, cad) != GRIDLUME_STATUS_OK) return abandon(wire);
  return wire;
}

}  // extern "C"
