// Curving of boundary-layer meshes: the layers follow the wall they were
// extruded from, and elements the curving folds are relaxed towards their
// straight form.
#pragma once

#include "highorder/conversion.hpp"

namespace gridlume::highorder {

// Gives every inner edge node whose two ends were extruded from the two
// ends of a curved wall edge (boundary-layer pairs (b, c): b the wall
// vertex, c the layer) the displacement of that wall edge's mid-node: the
// layers of a thin boundary layer are parallel offsets of the wall, so they
// bend as the wall does. code_success or code_failure (memory).
int curve_boundary_layer(ConversionState &state) noexcept;

// Stores the quality of every volume element with its nodes at their
// straight positions, before the boundary is curved. code_success or
// code_failure.
int record_initial_qualities(ConversionState &state) noexcept;

// The relaxation of the boundary-layer mode (its report lines when
// verbose): for step s = 1..N, relax = 1 - s/N, every element of quality <=
// 0 and below twice its quality before curving gets its high-order nodes at
// relax x curved + (1 - relax) x straight, so an element keeps as much of
// its curvature as leaves it valid; then the serial repair stack.
// code_success or code_failure.
int relax_boundary_layer(ConversionState &state) noexcept;

}  // namespace gridlume::highorder
