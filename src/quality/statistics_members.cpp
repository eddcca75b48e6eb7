// The measure reports and their exported forms, generated from the member
// table of statistics.h: element measures run the engine over the elements
// read through the mesh accessors; the other report kinds go to their own
// files.
#include <cstdio>
#include <type_traits>

#include "gridlume/mesh.h"
#include "gridlume/statistics.h"
#include "mesh/mesh.hpp"
#include "quality/element_batch_kernels.hpp"
#include "quality/statistics_measures.hpp"
#include "quality/statistics_reports.hpp"
#include "quality/vertex_coordinate_table.hpp"

namespace gridlume::statistics {

namespace {

using geometry::Vector3;

// The values of one element measure over the elements of one kind.
template <Slot vertices_slot, int per_element, auto element_measure>
class ElementSource {
 public:
  static constexpr int vertices_per_element = attribute_table[vertices_slot].width;
  static constexpr int values_per_element = per_element;

  ElementSource(const gridlume_mesh &mesh, int count) noexcept
      : coordinates_(mesh, static_cast<long long>(count) * vertices_per_element),
        reader_(mesh, vertices_slot, coordinates_),
        vertex_query_(mesh.getter<gridlume_mesh_integers_getter>(vertices_slot)),
        vertex_query_data_(mesh.slots[vertices_slot].getter_data) {}

  [[gnu::flatten]] void measure(int element, double *values) const noexcept {
    Vector3 points[vertices_per_element];
    // The accessors' statuses are not examined: the measure is taken on what
    // they answered.
    reader_.read(element, points);
    if constexpr (std::is_invocable_r_v<double, decltype(element_measure), const Vector3 *>)
      values[0] = element_measure(points);
    else
      element_measure(points, values);
  }
  // Measures with a batched form take their elements by batches.
  static constexpr auto batch_measure = gridlume::measures::batch_form<element_measure>;
  static constexpr int batch_size = gridlume::measures::element_batch_size;
  using Batch = gridlume::measures::CornerBatch<vertices_per_element>;
  void read_batch(int first, int used, Batch &batch) const noexcept
    requires(gridlume::measures::has_batch_form<element_measure>)
  {
    for (int lane = 0; lane < used; ++lane) {
      Vector3 points[vertices_per_element];
      reader_.read(first + lane, points);
      for (int corner = 0; corner < vertices_per_element; ++corner)
        batch.set(lane, corner, points[corner]);
    }
    // The lanes past the last element repeat the first one: measured, not
    // reported.
    for (int lane = used; lane < batch_size; ++lane)
      for (int corner = 0; corner < vertices_per_element; ++corner)
        batch.set(lane, corner, batch.corner(0, corner));
  }
  void measure_batch(const Batch &batch, double (&values)[batch_size]) const noexcept
    requires(gridlume::measures::has_batch_form<element_measure>)
  {
    batch_measure(batch, values);
  }
  void vertices(int element, int *vertices) const noexcept {
    if (vertex_query_ != nullptr) vertex_query_(element, vertices, vertex_query_data_);
  }

 private:
  VertexCoordinateTable coordinates_;
  TableElementReader<vertices_per_element> reader_;
  gridlume_mesh_integers_getter vertex_query_;
  void *vertex_query_data_;
};

template <Slot count_slot, Slot vertices_slot, int per_element, auto measure>
int element_report(gridlume_mesh *mesh, const Member &member, const char *prefix,
                   int threshold_count, const double *thresholds) noexcept {
  static_assert(attribute_table[count_slot].shape == AttributeShape::COUNT &&
                attribute_table[count_slot].kind == attribute_table[vertices_slot].kind);
  int count = 0;
  if (mesh == nullptr) return GRIDLUME_STATUS_ERROR;
  const auto count_query = mesh->getter<gridlume_mesh_count_getter>(count_slot);
  if (count_query == nullptr ||
      count_query(&count, mesh->slots[count_slot].getter_data) != GRIDLUME_STATUS_OK)
    return GRIDLUME_STATUS_ERROR;
  if (count <= 0) return GRIDLUME_STATUS_OK;
  PreparedReport report;
  if (prepare_report(member, prefix, threshold_count, thresholds, report) != GRIDLUME_STATUS_OK)
    return GRIDLUME_STATUS_ERROR;
  const ElementSource<vertices_slot, per_element, measure> source(*mesh, count);
  if (run_statistics(mesh->context, source, count, report.request) != GRIDLUME_STATUS_OK)
    return GRIDLUME_STATUS_ERROR;
  return GRIDLUME_STATUS_OK;
}

}  // namespace

int prepare_report(const Member &member, const char *prefix, int threshold_count,
                   const double *thresholds, PreparedReport &report) noexcept {
  std::span<const double> chosen = member.default_thresholds;
  if (threshold_count > 0) {
    if (thresholds == nullptr) return GRIDLUME_STATUS_ERROR;
    chosen = {thresholds, static_cast<std::size_t>(threshold_count)};
  } else if (threshold_count < 0) {
    chosen = {};
  }
  const bool key_style = prefix != nullptr && member.key_pattern[0] != '\0';
  if (key_style) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    std::snprintf(report.label, sizeof report.label, member.key_pattern, prefix);
#pragma GCC diagnostic pop
  } else {
    std::snprintf(report.label, sizeof report.label, "%s", member.display_name);
  }
  report.request = {report.label, key_style, member.print_sum, chosen};
  return GRIDLUME_STATUS_OK;
}

// One report function per member, by its report kind.
#define GRIDLUME_STATISTICS_REPORT_ELEMENT(kind, measure, values)                            \
  return element_report<slot_##kind##_count, slot_##kind##_vertices, values,                \
                        &member_measures::kind##_##measure>(mesh, member, prefix, threshold_count, \
                                                            thresholds);
#define GRIDLUME_STATISTICS_REPORT_EDGES(kind, measure, values) \
  return edge_length_report(mesh, EdgeElements::kind, member, prefix, threshold_count, thresholds);
#define GRIDLUME_STATISTICS_REPORT_FACE_VALIDITY(kind, measure, values) \
  (void)member;                                                         \
  (void)threshold_count;                                                \
  (void)thresholds;                                                     \
  return face_validity_report(mesh, VolumeKind::kind, prefix);
// The volume edge lengths are the four volume kinds' reports in turn.
#define GRIDLUME_STATISTICS_REPORT_VOLUME_EDGES(kind, measure, values)                          \
  (void)member;                                                                                 \
  for (auto report : {report_tetrahedron_edge_length, report_hexahedron_edge_length,             \
                      report_pyramid_edge_length, report_prism_edge_length})                     \
    if (report(mesh, prefix, threshold_count, thresholds) != GRIDLUME_STATUS_OK)                \
      return GRIDLUME_STATUS_ERROR;                                                              \
  return GRIDLUME_STATUS_OK;

#define GRIDLUME_STATISTICS_DEFINE_REPORT(kind, measure, report, values, display_name,        \
                                          key_pattern, bins, sum, forms)                      \
  int report_##kind##_##measure(gridlume_mesh *mesh, const char *prefix, int threshold_count, \
                                const double *thresholds) noexcept {                          \
    static constexpr Member member = {display_name, key_pattern, bins_##bins, sum_##sum};     \
    GRIDLUME_STATISTICS_REPORT_##report(kind, measure, values)                                \
  }
GRIDLUME_MESH_STATISTICS_MEMBERS(GRIDLUME_STATISTICS_DEFINE_REPORT)
#undef GRIDLUME_STATISTICS_DEFINE_REPORT

}  // namespace gridlume::statistics

// The exported forms, by the member's forms column.
#define GRIDLUME_STATISTICS_FORM_PLAIN(name)                          \
  int gridlume_mesh_compute_statistics_##name(gridlume_mesh *mesh) {  \
    return gridlume::statistics::report_##name(mesh, nullptr, 0, nullptr); \
  }
#define GRIDLUME_STATISTICS_FORM_PLAIN_VALID(name)                                         \
  GRIDLUME_STATISTICS_FORM_PLAIN(name)                                                     \
  int gridlume_mesh_compute_statistics_##name##_valid(gridlume_mesh *mesh, const char *prefix) { \
    return gridlume::statistics::report_##name(mesh, prefix, 0, nullptr);                 \
  }
#define GRIDLUME_STATISTICS_FORM_ALL(name)                                                    \
  GRIDLUME_STATISTICS_FORM_PLAIN_VALID(name)                                                  \
  int gridlume_mesh_compute_statistics_##name##_with_custom_histogram(                        \
      gridlume_mesh *mesh, int threshold_count, const double *thresholds) {                   \
    return gridlume::statistics::report_##name(mesh, nullptr, threshold_count, thresholds);   \
  }                                                                                           \
  int gridlume_mesh_compute_statistics_##name##_with_custom_histogram_valid(                  \
      gridlume_mesh *mesh, const char *prefix, int threshold_count, const double *thresholds) { \
    return gridlume::statistics::report_##name(mesh, prefix, threshold_count, thresholds);    \
  }
#define GRIDLUME_STATISTICS_DEFINE_FORMS(kind, measure, report, values, display_name, key_pattern, \
                                         bins, sum, forms)                                       \
  GRIDLUME_STATISTICS_FORM_##forms(kind##_##measure)

extern "C" {
GRIDLUME_MESH_STATISTICS_MEMBERS(GRIDLUME_STATISTICS_DEFINE_FORMS)
}
