// The final geometric check: how far the boundary mid-nodes ended from the
// curved description of the boundary.
#pragma once

#include <cstdint>

#include "highorder/conversion.hpp"

namespace gridlume::highorder {

struct CurvatureReport {
  std::int32_t middle_nodes = 0;
  double mean_distance = 0.0, max_distance = 0.0;
  double mean_ratio = 0.0, max_ratio = 0.0;  // distance / straight edge length
  std::int32_t deviating = 0;                // ratio >= the deviation threshold
  std::int32_t volume_rejections = 0, surface_rejections = 0;
};

// Measures every boundary edge node once and prints the report when
// verbose. A deviating node is a volume rejection when the direction from
// its straight edge's midpoint to its curved position lies within 45 degrees
// of the face normal (the node was pulled back into the volume), a surface
// rejection otherwise. code_success or code_failure.
int check_curvature(ConversionState &state, CurvatureReport &result) noexcept;

}  // namespace gridlume::highorder
