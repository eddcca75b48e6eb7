// Piecewise linear curves through given points, parameterised by length:
// the interval search and the derivatives shared by polyline edges (in a
// face's parameter plane) and polyline wires (in space).
#pragma once

#include <cstdint>

namespace gridlume {

// The reciprocal of a length that is not positive is replaced by this, and
// a second derivative over such a length is multiplied by it.
inline constexpr double degenerate_length_factor = 10000.0;

// The interval [t[low], t[high]] holding a parameter, and the weight of
// t[high] in it (0 for an empty interval).
struct PolylineInterval {
  std::int32_t low;
  std::int32_t high;
  double weight;
};

// The interval of t among n increasing parameters, found by bisection; a t
// outside the parameters falls in the first or last interval.
PolylineInterval locate_interval(const double *parameters, std::int32_t n, double t) noexcept;

// Points of `dimension` reals each at the n parameters.
struct Polyline {
  std::int32_t count;
  std::int32_t dimension;
  const double *parameters;
  const double *points;

  // The point at t, interpolated linearly within its interval.
  void position(const PolylineInterval &interval, double *output) const noexcept;
  // The slope of the interval.
  void first_derivative(const PolylineInterval &interval, double *output) const noexcept;
  // The change of slope across the interval's ends, divided by the length
  // around it; 0 for two points or fewer.
  void second_derivative(const PolylineInterval &interval, double *output) const noexcept;
  // Evaluates every non-NULL output at t.
  void evaluate(double t, double *position, double *first, double *second) const noexcept;
};

// The parameters of the points: t0 = 0, then each point adds its distance to
// the previous one, except where `joins` (when given) says that no length is
// added (a change of associated edge).
void parameterise(const double *points, std::int32_t count, std::int32_t dimension,
                  const bool *joins, double *parameters) noexcept;

}  // namespace gridlume
