// Sizes and metrics of the proximity size map, from the distance and the
// direction a vertex was given.
#pragma once

#include <array>

#include "gridlume/sizemap.h"
#include "proximity/propagation.hpp"

namespace gridlume::proximity {

struct SizeRule {
  double scale;         // distance -> size
  double default_size;  // where no proximity was found, and across it
  double tolerance;     // the smallest meaningful length
};

// scale * distance, or the default size when that is below the tolerance
// (as it is for a vertex without proximity, distance -1).
double isotropic_size(const SizeRule &rule, double distance);

// The metric of size h along the direction and of the default size across
// it, as M_xx, M_xy, M_yy, M_xz, M_yz, M_zz. A direction shorter than the
// tolerance gives the isotropic metric of the default size.
std::array<double, 6> anisotropic_metric(const SizeRule &rule, double distance,
                                         const Vector3 &direction);

// Stores the size or metric of every vertex through the size map's setter
// (type 4 or 8); the first failing status, else 0.
int store_sizes(gridlume_sizemap *sizemap, bool anisotropic, const SizeRule &rule,
                const VertexProximity &proximity);

}  // namespace gridlume::proximity
