// Propagation of the boundary displacement into the volume.
#pragma once

#include "highorder/conversion.hpp"

namespace gridlume::highorder {

inline constexpr int propagation_passes = 3;

// Moves the inner high-order nodes near the boundary along with it, so that
// elements touching a curved face bend with it instead of folding.
//
// The displacement of the nodes from their straight positions is extended
// from the boundary as a discrete harmonic (graph Laplacian) extension cut
// to three layers: pass p reaches the inner high-order nodes of the elements
// around the nodes of pass p - 1 (pass 1: around the boundary nodes), and
// each takes the mean displacement of the other high-order nodes of the
// elements around it, all computed from the positions the previous pass left
// (a Jacobi sweep, so the result does not depend on the order of the nodes).
// Each node moves once, and a shift below the deviation threshold times
// the node's edge length is dropped (the node stays straight and passes
// nothing on), so the cost follows the curved part of the boundary. Face and centre
// nodes then follow their edges by transfinite interpolation.
// code_success or code_failure (memory).
int propagate_displacement(ConversionState &state) noexcept;

// Places every quadrangular face node and hexahedron centre that is not on
// the boundary by transfinite interpolation of the element's edge nodes.
void place_face_and_centre_nodes(ConversionState &state) noexcept;

}  // namespace gridlume::highorder
