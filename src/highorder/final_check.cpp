// Deviation of the final boundary mid-nodes from their curved positions.
#include "highorder/final_check.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>

#include "highorder/report.hpp"

namespace gridlume::highorder {

int check_curvature(ConversionState &state, CurvatureReport &result) noexcept {
  result = CurvatureReport{};
  const InternalMesh &mesh = state.mesh;
  const Topology &topology = state.topology;
  const double half_sqrt2 = std::sqrt(2.0) / 2.0;
  try {
    Vector<std::uint8_t> seen(std::size_t(mesh.vertex_count) + 1, 0);
    double distance_sum = 0.0, ratio_sum = 0.0;
    auto measure = [&](const std::int32_t *face, int corners) {
      const double *a = mesh.vertex(face[0]);
      const double *b = mesh.vertex(face[1]);
      const double *c = mesh.vertex(face[corners - 1]);
      const double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
      const double v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
      double normal[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                          u[0] * v[1] - u[1] * v[0]};
      const double normal_length =
          std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
      for (int i = 0; i < corners; ++i) {
        const std::int32_t node = face[corners + i];
        if (seen[std::size_t(node)]) continue;
        seen[std::size_t(node)] = 1;
        const double *p = mesh.vertex(face[i]), *q = mesh.vertex(face[(i + 1) % corners]);
        const double *x = mesh.vertex(node);
        const double *target = topology.curved.data() + 3 * std::size_t(node);
        double distance = 0.0, length = 0.0, along = 0.0, offset = 0.0;
        for (int k = 0; k < 3; ++k) {
          distance += (x[k] - target[k]) * (x[k] - target[k]);
          length += (q[k] - p[k]) * (q[k] - p[k]);
          const double direction = target[k] - 0.5 * (p[k] + q[k]);
          along += direction * normal[k];
          offset += direction * direction;
        }
        distance = std::sqrt(distance);
        length = std::sqrt(length);
        const double ratio = length > 0.0 ? distance / length : 0.0;
        ++result.middle_nodes;
        distance_sum += distance;
        ratio_sum += ratio;
        result.max_distance = std::max(result.max_distance, distance);
        result.max_ratio = std::max(result.max_ratio, ratio);
        // A node farther than the tolerance (relative to its edge) is not
        // on the curved description: a repair straightened it.
        if (state.verbose && ratio > state.tolerance) std::printf(report::off_geometry, node);
        if (ratio < state.deviation_threshold) continue;
        ++result.deviating;
        const double scale = std::sqrt(offset) * normal_length;
        if (scale > 0.0 && std::fabs(along) / scale > half_sqrt2)
          ++result.volume_rejections;
        else
          ++result.surface_rejections;
      }
    };
    for (std::int32_t t = 0; t < topology.triangle_count; ++t)
      measure(topology.triangle_nodes.data() + 6 * std::size_t(t), 3);
    for (std::int32_t q = 0; q < topology.quadrangle_count; ++q)
      measure(topology.quadrangle_nodes.data() + 9 * std::size_t(q), 4);
    if (result.middle_nodes > 0) {
      result.mean_distance = distance_sum / result.middle_nodes;
      result.mean_ratio = ratio_sum / result.middle_nodes;
    }
  } catch (const std::bad_alloc &) {
    return code_failure;
  }
  if (state.verbose) {
    report::print_rule();
    std::printf("%s\n", report::curvature_title);
    std::printf(report::middle_count, result.middle_nodes);
    std::printf(report::distance_line, result.mean_distance, result.max_distance);
    std::printf(report::chordal_line, result.mean_ratio, result.max_ratio);
    std::printf(report::deviation_count, state.deviation_threshold, result.deviating);
    std::printf(report::rejection_line, result.volume_rejections, result.surface_rejections);
  }
  return code_success;
}

}  // namespace gridlume::highorder
