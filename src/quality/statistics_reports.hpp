// The reports behind the statistics entry points, generated from the member
// table of statistics.h, and what they share: the member's description, the
// label and threshold choice, and the special reports (edge lengths, face
// element validity, element counts, 2D element ratio).
#pragma once

#include <span>

#include "gridlume/mesh.h"
#include "gridlume/statistics.h"
#include "quality/histogram.hpp"
#include "quality/statistics_engine.hpp"

namespace gridlume::statistics {

// What the member table says about a report.
struct Member {
  const char *display_name;
  const char *key_pattern;  // "" when the member has no key style
  std::span<const double> default_thresholds;
  bool print_sum;
};

// The table's bins and sum columns.
inline constexpr std::span<const double> bins_ASPECT_RATIO = aspect_ratio_thresholds;
inline constexpr std::span<const double> bins_TETRAHEDRON_ASPECT_RATIO =
    tetrahedron_aspect_ratio_thresholds;
inline constexpr std::span<const double> bins_UNIT_INTERVAL = unit_interval_thresholds;
inline constexpr std::span<const double> bins_ANGLES = angle_thresholds;
inline constexpr std::span<const double> bins_SKEW = skew_thresholds;
inline constexpr std::span<const double> bins_NONE = {};
inline constexpr bool sum_SUM = true;
inline constexpr bool sum_NO_SUM = false;

// A report's label and request: the key style when `prefix` is not NULL and
// the member has a key, the caller's thresholds when `threshold_count` is not
// 0 (none when it is negative), else the member's defaults.
struct PreparedReport {
  char label[label_capacity];
  ReportRequest request;
};
// 0, or -1 for thresholds missing while their count is positive.
int prepare_report(const Member &member, const char *prefix, int threshold_count,
                   const double *thresholds, PreparedReport &report) noexcept;

// The element kinds whose edges an edge-length report walks.
enum class EdgeElements { triangle, quadrangle, surface, tetrahedron, hexahedron, pyramid, prism };

// The length of every distinct edge of the elements, numbered in order of
// first appearance, through the engine (the caller's thresholds only). 0
// silently when there is no element or the edge table cannot be built; -1
// for a NULL mesh, a failing count query or bad thresholds, -5 from the
// engine.
int edge_length_report(gridlume_mesh *mesh, EdgeElements elements, const Member &member,
                       const char *prefix, int threshold_count, const double *thresholds) noexcept;

enum class VolumeKind { tetrahedron, hexahedron, pyramid, prism };

// The share of elements whose faces all see the centroid on their inner
// side, as one line. 0 (silently when there is no element), -1 for a NULL
// mesh or a failing count query.
int face_validity_report(gridlume_mesh *mesh, VolumeKind kind, const char *prefix) noexcept;

// Element counts and 2D element ratio (NULL prefix: human style). 0, or -1
// for a NULL mesh or a mesh without context.
int element_count_report(gridlume_mesh *mesh, const char *prefix) noexcept;
int element_ratio_report(gridlume_mesh *mesh, const char *prefix) noexcept;

// One report per member, whatever forms it exports: the style of `prefix`,
// the thresholds as prepare_report chooses them. 0 or -1.
#define GRIDLUME_STATISTICS_DECLARE_REPORT(kind, measure, report, values, display_name, \
                                           key_pattern, bins, sum, forms)             \
  int report_##kind##_##measure(gridlume_mesh *mesh, const char *prefix, int threshold_count, \
                                const double *thresholds) noexcept;
GRIDLUME_MESH_STATISTICS_MEMBERS(GRIDLUME_STATISTICS_DECLARE_REPORT)
#undef GRIDLUME_STATISTICS_DECLARE_REPORT

}  // namespace gridlume::statistics
