// Orientation and in-circle tests in the plane whose signs are always
// exact: a floating-point evaluation is trusted when it clears its error
// bound, and otherwise the determinant is evaluated exactly in expansion
// arithmetic (sums of non-overlapping doubles).
#pragma once

namespace gridlume {

// > 0 when a, b, c turn counter-clockwise, < 0 clockwise, 0 when collinear.
// Only the sign is meaningful.
double orient2d(const double *a, const double *b, const double *c) noexcept;
// > 0 when d lies inside the circle through the counter-clockwise a, b, c,
// < 0 outside, 0 on it. Only the sign is meaningful.
double incircle(const double *a, const double *b, const double *c, const double *d) noexcept;

}  // namespace gridlume
