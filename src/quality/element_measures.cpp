// The element quality queries, generated from the query table of quality.h:
// each reads the element's corners through the mesh accessors and applies the
// measure of the same name from element_kernels.hpp.
#include <cstring>
#include <type_traits>

#include "gridlume/quality.h"
#include "mesh/mesh.hpp"
#include "quality/element_kernels.hpp"
#include "quality/element_reader.hpp"

namespace {

using gridlume::geometry::Vector3;

// Whether a NULL result pointer is an error (the table's result_check).
constexpr bool null_result_is_error_CHECKED = true;
constexpr bool null_result_is_error_UNCHECKED = false;

template <gridlume::Slot vertices_slot, int value_count, bool null_result_is_error, auto measure>
int run_query(gridlume_mesh *mesh, int i, double *values) {
  if (mesh == nullptr) return GRIDLUME_STATUS_ERROR;
  if (values == nullptr) return null_result_is_error ? GRIDLUME_STATUS_ERROR : GRIDLUME_STATUS_OK;
  constexpr int corner_count = gridlume::attribute_table[vertices_slot].width;
  Vector3 points[corner_count];
  // The accessors' statuses are not examined: the measure is taken on what
  // they answered.
  gridlume::ElementReader<corner_count>(*mesh, vertices_slot).read(i, points);
  if constexpr (std::is_invocable_r_v<double, decltype(measure), const Vector3 *>) {
    static_assert(value_count == 1);
    values[0] = measure(points);
  } else {
    double result[value_count];
    measure(points, result);
    std::memcpy(values, result, sizeof result);
  }
  return GRIDLUME_STATUS_OK;
}

}  // namespace

extern "C" {

int gridlume_mesh_get_edge_length(gridlume_mesh *mesh, const int *vertices, double *length) {
  if (vertices == nullptr || length == nullptr) return GRIDLUME_STATUS_OK;
  double a[3] = {0.0, 0.0, 0.0}, b[3] = {0.0, 0.0, 0.0};
  gridlume_mesh_get_vertex_coordinates(mesh, vertices[0], a);
  gridlume_mesh_get_vertex_coordinates(mesh, vertices[1], b);
  *length = gridlume::geometry::distance({a[0], a[1], a[2]}, {b[0], b[1], b[2]});
  return GRIDLUME_STATUS_OK;
}

#define GRIDLUME_DEFINE_QUALITY_QUERY(kind, measure, value_count, result_check)                   \
  int gridlume_mesh_get_##kind##_##measure(gridlume_mesh *mesh, int i, double *values) {          \
    return run_query<gridlume::slot_##kind##_vertices, value_count,                               \
                     null_result_is_error_##result_check, &gridlume::measures::kind##_##measure>( \
        mesh, i, values);                                                                         \
  }
GRIDLUME_MESH_QUALITY_QUERIES(GRIDLUME_DEFINE_QUALITY_QUERY)
#undef GRIDLUME_DEFINE_QUALITY_QUERY

}  // extern "C"
