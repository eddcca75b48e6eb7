// The statistics reports that are not a measure over the engine: element
// counts, the 2D element ratio, face element validity, the full reports and
// the short report.
#include "quality/statistics_reports.hpp"

#include <cstdarg>
#include <cstdio>

#include "gridlume/topological_statistics.h"
#include "mesh/mesh.hpp"
#include "quality/element_kernels.hpp"
#include "quality/element_reader.hpp"
#include "quality/statistics_measures.hpp"

namespace gridlume::statistics {

namespace {

// Every line is formatted in a buffer of this size.
constexpr std::size_t line_capacity = 256;
// What the key-style lines of the 2D element ratio carry when no prefix is
// given (the plain form and the human full report).
constexpr const char *ratio_default_prefix = "mesh";

constexpr const char *statistics_title = "Mesh statistics : \n";

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
// Formats from the tables below, with their arguments.
void send_line(gridlume_context *context, const char *format, ...) {
  char line[line_capacity];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(line, sizeof line, format, arguments);
  va_end(arguments);
  gridlume_context_send_message(context, report_message_code, line);
}
#pragma GCC diagnostic pop

// The count of a kind, 0 when its query fails or is missing.
int read_count(const gridlume_mesh &mesh, Slot count_slot) {
  const auto query = mesh.getter<gridlume_mesh_count_getter>(count_slot);
  int count = 0;
  if (query == nullptr || query(&count, mesh.slots[count_slot].getter_data) != GRIDLUME_STATUS_OK)
    return 0;
  return count;
}

struct CountLine {
  Slot count_slot;
  const char *human;
  const char *key;
};
constexpr CountLine count_lines[] = {
    {slot_vertex_count, "  number of vertices : %d \n", "VALID.%s.vertex.count = %d\n"},
    {slot_edge_count, "  number of edges : %d \n", "VALID.%s.edge.count = %d\n"},
    {slot_triangle_count, "  number of triangles : %d \n", "VALID.%s.triangle.count = %d\n"},
    {slot_quadrangle_count, "  number of quadrilaterals : %d \n",
     "VALID.%s.quadrangle.count = %d\n"},
    {slot_tetrahedron_count, "  number of tetrahedra : %d \n", "VALID.%s.tetrahedra.count = %d\n"},
    {slot_hexahedron_count, "  number of hexahedra : %d \n", "VALID.%s.hexahedra.count = %d\n"},
    {slot_pyramid_count, "  number of pyramids : %d \n", "VALID.%s.pyramid.count = %d\n"},
    {slot_prism_count, "  number of prisms : %d \n", "VALID.%s.prism.count = %d\n"},
    {slot_subdomain_count, "  number of volume subdomains : %d \n",
     "VALID.%s.subdomain.count = %d\n"},
};

// ---- Face element validity -------------------------------------------------

struct FaceValidityKind {
  Slot count_slot;
  Slot vertices_slot;
  const char *human;
  const char *key;
};
constexpr FaceValidityKind face_validity_kinds[] = {
    {slot_tetrahedron_count, slot_tetrahedron_vertices,
     "tetrahedron face_element_validity ratio =%.3e \n",
     "VALID.%s.tetrahedron.face_element_validity.ratio =%.3e \n"},
    {slot_hexahedron_count, slot_hexahedron_vertices,
     "hexahedron face_element_validity ratio =%e \n",
     "VALID.%s.hexahedron.face_element_validity.ratio =%e \n"},
    {slot_pyramid_count, slot_pyramid_vertices, "pyramid face_element_validity ratio =%e \n",
     "VALID.%s.pyramid.face_element_validity.ratio =%e \n"},
    // Worded like the hexahedron's and pyramid's.
    {slot_prism_count, slot_prism_vertices, "prism face_element_validity ratio =%e \n",
     "VALID.%s.prism.face_element_validity.ratio =%e \n"},
};

template <int corner_count, bool (*face_valid)(const geometry::Vector3 *)>
int count_face_valid(const gridlume_mesh &mesh, Slot vertices_slot, int count) {
  const ElementReader<corner_count> reader(mesh, vertices_slot);
  int valid = 0;
  for (int element = 1; element <= count; ++element) {
    geometry::Vector3 points[corner_count];
    reader.read(element, points);
    valid += face_valid(points) ? 1 : 0;
  }
  return valid;
}

int count_face_valid(const gridlume_mesh &mesh, VolumeKind kind, Slot vertices_slot, int count) {
  using namespace measures;
  switch (kind) {
    case VolumeKind::tetrahedron:
      return count_face_valid<topology::tetrahedron_corners, tetrahedron_face_valid>(
          mesh, vertices_slot, count);
    case VolumeKind::hexahedron:
      return count_face_valid<topology::hexahedron_corners, hexahedron_face_valid>(
          mesh, vertices_slot, count);
    case VolumeKind::pyramid:
      return count_face_valid<topology::pyramid_corners, pyramid_face_valid>(mesh, vertices_slot,
                                                                              count);
    case VolumeKind::prism:
      return count_face_valid<topology::prism_corners, prism_face_valid>(mesh, vertices_slot,
                                                                          count);
  }
  return 0;
}

// ---- Short report ----------------------------------------------------------

// The aspect-ratio block of the short report for one element kind: minimum,
// average (sum / count), maximum and variance, and the worst element (the
// first with the largest ratio) with its vertices.
template <int corner_count, double (*aspect_ratio)(const geometry::Vector3 *)>
void send_aspect_ratio_summary(const gridlume_mesh &mesh, Slot count_slot, Slot vertices_slot,
                               const char *title, const char *kind_name) {
  const int count = read_count(mesh, count_slot);
  if (count <= 0) return;
  const ElementReader<corner_count> reader(mesh, vertices_slot);
  Accumulator accumulator;
  for (int element = 1; element <= count; ++element) {
    geometry::Vector3 points[corner_count];
    reader.read(element, points);
    accumulator.add(aspect_ratio(points), element);
  }
  send_line(mesh.context, "%s", title);
  send_line(mesh.context, "    aspect ratio :  min/avg/max (var): %.3e / %.3e / %.3e (%.3e) \n",
            accumulator.min, accumulator.sum / accumulator.count, accumulator.max,
            accumulator.variance);
  if (accumulator.max_element == 0) return;
  int vertices[corner_count];
  geometry::Vector3 points[corner_count];
  reader.read(accumulator.max_element, vertices, points);
  char line[line_capacity];
  int length = std::snprintf(line, sizeof line, "                    worst %s : %d (", kind_name,
                             accumulator.max_element);
  for (int k = 0; k < corner_count; ++k)
    length += std::snprintf(line + length, sizeof line - static_cast<std::size_t>(length),
                            k == 0 ? "%d" : " %d", vertices[k]);
  std::snprintf(line + length, sizeof line - static_cast<std::size_t>(length), ")\n");
  gridlume_context_send_message(mesh.context, report_message_code, line);
}

}  // namespace

int face_validity_report(gridlume_mesh *mesh, VolumeKind kind, const char *prefix) noexcept {
  if (mesh == nullptr) return GRIDLUME_STATUS_ERROR;
  const FaceValidityKind &lines = face_validity_kinds[static_cast<int>(kind)];
  const auto count_query = mesh->getter<gridlume_mesh_count_getter>(lines.count_slot);
  int count = 0;
  if (count_query == nullptr ||
      count_query(&count, mesh->slots[lines.count_slot].getter_data) != GRIDLUME_STATUS_OK)
    return GRIDLUME_STATUS_ERROR;
  if (count <= 0) return GRIDLUME_STATUS_OK;
  const double ratio =
      static_cast<double>(count_face_valid(*mesh, kind, lines.vertices_slot, count)) / count;
  if (prefix != nullptr)
    send_line(mesh->context, lines.key, prefix, ratio);
  else
    send_line(mesh->context, lines.human, ratio);
  return GRIDLUME_STATUS_OK;
}

int element_count_report(gridlume_mesh *mesh, const char *prefix) noexcept {
  if (mesh == nullptr || mesh->context == nullptr) return GRIDLUME_STATUS_ERROR;
  for (const CountLine &line : count_lines) {
    const int count = read_count(*mesh, line.count_slot);
    if (count <= 0) continue;
    if (prefix != nullptr)
      send_line(mesh->context, line.key, prefix, count);
    else
      send_line(mesh->context, line.human, count);
  }
  return GRIDLUME_STATUS_OK;
}

int element_ratio_report(gridlume_mesh *mesh, const char *prefix) noexcept {
  if (mesh == nullptr || mesh->context == nullptr) return GRIDLUME_STATUS_ERROR;
  const int triangles = read_count(*mesh, slot_triangle_count);
  const int quadrangles = read_count(*mesh, slot_quadrangle_count);
  if (triangles <= 0 || quadrangles <= 0) return GRIDLUME_STATUS_OK;
  const char *shown_prefix = prefix != nullptr ? prefix : ratio_default_prefix;
  const double total = static_cast<double>(triangles) + quadrangles;
  send_line(mesh->context, "VALID.%s.triangle.ratio = %e\n", shown_prefix, triangles / total);
  send_line(mesh->context, "VALID.%s.quadrangle.ratio = %e\n", shown_prefix, quadrangles / total);
  return GRIDLUME_STATUS_OK;
}

namespace {

using FullReportStep = int (*)(gridlume_mesh *, const char *);

template <int (*report)(gridlume_mesh *, const char *, int, const double *) noexcept>
int with_default_thresholds(gridlume_mesh *mesh, const char *prefix) {
  return report(mesh, prefix, 0, nullptr);
}

// The reports of the full report, in order.
constexpr FullReportStep full_report_steps[] = {
    element_ratio_report,
    element_count_report,
    with_default_thresholds<report_triangle_aspect_ratio>,
    with_default_thresholds<report_triangle_angles>,
    with_default_thresholds<report_triangle_equiangle_skew>,
    with_default_thresholds<report_triangle_area>,
    with_default_thresholds<report_quadrangle_aspect_ratio>,
    with_default_thresholds<report_quadrangle_angles>,
    with_default_thresholds<report_quadrangle_equiangle_skew>,
    with_default_thresholds<report_quadrangle_planarity>,
    with_default_thresholds<report_tetrahedron_aspect_ratio>,
    with_default_thresholds<report_tetrahedron_angles>,
    with_default_thresholds<report_tetrahedron_equiangle_skew>,
    with_default_thresholds<report_tetrahedron_volume>,
    with_default_thresholds<report_tetrahedron_height>,
    with_default_thresholds<report_tetrahedron_shape_factor>,
    with_default_thresholds<report_tetrahedron_element_validity>,
    with_default_thresholds<report_tetrahedron_face_element_validity>,
    with_default_thresholds<report_hexahedron_aspect_ratio>,
    with_default_thresholds<report_hexahedron_shape_factor>,
    with_default_thresholds<report_hexahedron_element_validity>,
    with_default_thresholds<report_hexahedron_face_element_validity>,
    with_default_thresholds<report_pyramid_shape_factor>,
    with_default_thresholds<report_pyramid_element_validity>,
    with_default_thresholds<report_pyramid_face_element_validity>,
    with_default_thresholds<report_prism_shape_factor>,
    with_default_thresholds<report_prism_element_validity>,
    with_default_thresholds<report_prism_face_element_validity>,
    with_default_thresholds<report_triangle_edge_length>,
    with_default_thresholds<report_quadrangle_edge_length>,
    with_default_thresholds<report_tetrahedron_edge_length>,
    with_default_thresholds<report_hexahedron_edge_length>,
    with_default_thresholds<report_pyramid_edge_length>,
    with_default_thresholds<report_prism_edge_length>,
};

// The quality half of the full report; stops with -1 at the first report
// that fails.
int full_quality_report(gridlume_mesh *mesh, const char *prefix) {
  if (prefix == nullptr)
    gridlume_context_send_message(mesh->context, report_message_code, statistics_title);
  for (const FullReportStep step : full_report_steps)
    if (step(mesh, prefix) != GRIDLUME_STATUS_OK) return GRIDLUME_STATUS_ERROR;
  return GRIDLUME_STATUS_OK;
}

}  // namespace

}  // namespace gridlume::statistics

extern "C" {

int gridlume_mesh_compute_statistics(gridlume_mesh *mesh) {
  if (mesh == nullptr || mesh->context == nullptr) return GRIDLUME_STATUS_ERROR;
  return gridlume::statistics::full_quality_report(mesh, nullptr);
}

int gridlume_mesh_compute_statistics_valid(gridlume_mesh *mesh, const char *prefix) {
  if (mesh == nullptr || mesh->context == nullptr || prefix == nullptr)
    return GRIDLUME_STATUS_ERROR;
  // The quality half's status is not the answer: the topological statistics'
  // is.
  gridlume::statistics::full_quality_report(mesh, prefix);
  return gridlume_mesh_compute_topological_statistics_valid(mesh, prefix);
}

int gridlume_mesh_compute_statistics0(gridlume_mesh *mesh) {
  using namespace gridlume;
  if (mesh == nullptr || mesh->context == nullptr) return GRIDLUME_STATUS_ERROR;
  gridlume_context_send_message(mesh->context, statistics::report_message_code,
                                statistics::statistics_title);
  if (statistics::element_count_report(mesh, nullptr) != GRIDLUME_STATUS_OK)
    return GRIDLUME_STATUS_ERROR;
  statistics::send_aspect_ratio_summary<topology::triangle_corners,
                                        measures::triangle_aspect_ratio>(
      *mesh, slot_triangle_count, slot_triangle_vertices, "  triangle quality: \n", "triangle");
  statistics::send_aspect_ratio_summary<topology::tetrahedron_corners,
                                        measures::tetrahedron_aspect_ratio>(
      *mesh, slot_tetrahedron_count, slot_tetrahedron_vertices, "  tetrahedron quality: \n",
      "tetrahedron");
  return GRIDLUME_STATUS_OK;
}

int gridlume_mesh_compute_statistics_element_count(gridlume_mesh *mesh) {
  return gridlume::statistics::element_count_report(mesh, nullptr);
}
int gridlume_mesh_compute_statistics_element_count_valid(gridlume_mesh *mesh,
                                                         const char *prefix) {
  return gridlume::statistics::element_count_report(mesh, prefix);
}
int gridlume_mesh_compute_statistics_2D_element_ratio(gridlume_mesh *mesh) {
  return gridlume::statistics::element_ratio_report(mesh, nullptr);
}
int gridlume_mesh_compute_statistics_2D_element_ratio_valid(gridlume_mesh *mesh,
                                                            const char *prefix) {
  return gridlume::statistics::element_ratio_report(mesh, prefix);
}

}  // extern "C"
