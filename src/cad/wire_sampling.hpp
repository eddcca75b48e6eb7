// Support vertices of a wire computed by sampling its curve.
#pragma once

#include "gridlume/cad.h"

namespace gridlume {

// Samples the wire's curve and stores the result as the wire's support-
// vertex record. 0; -1 for a wire without a curve function or with an empty
// range; the curve's status when it fails at a sample and every shift; -5
// when memory fails (the wire then keeps no record).
int sample_wire_support_vertices(gridlume_cad_wire *wire) noexcept;

}  // namespace gridlume
