#include "cad/polyline.hpp"

#include <algorithm>
#include <cmath>

namespace gridlume {
namespace {

double inverse_length(double length) {
  return length > 0.0 ? 1.0 / length : degenerate_length_factor;
}

}  // namespace

PolylineInterval locate_interval(const double *parameters, std::int32_t n, double t) noexcept {
  std::int32_t low = 0;
  std::int32_t high = n - 1;
  while (high - low > 1) {
    std::int32_t middle = (low + high) / 2;
    if (parameters[middle] > t)
      high = middle;
    else
      low = middle;
  }
  double length = parameters[high] - parameters[low];
  double weight = length > 0.0 ? (t - parameters[low]) / length : 0.0;
  return {low, high, weight};
}

void Polyline::position(const PolylineInterval &interval, double *output) const noexcept {
  const double *a = points + interval.low * dimension;
  const double *b = points + interval.high * dimension;
  for (std::int32_t k = 0; k < dimension; ++k)
    output[k] = (1.0 - interval.weight) * a[k] + interval.weight * b[k];
}

void Polyline::first_derivative(const PolylineInterval &interval, double *output) const noexcept {
  const double *a = points + interval.low * dimension;
  const double *b = points + interval.high * dimension;
  double inverse = inverse_length(parameters[interval.high] - parameters[interval.low]);
  for (std::int32_t k = 0; k < dimension; ++k) output[k] = (b[k] - a[k]) * inverse;
}

void Polyline::second_derivative(const PolylineInterval &interval, double *output) const noexcept {
  if (count <= 2) {
    std::fill(output, output + dimension, 0.0);
    return;
  }
  const std::int32_t low = interval.low;
  const std::int32_t high = interval.high;
  const double *t = parameters;
  auto slope = [&](std::int32_t from, std::int32_t to, std::int32_t k) {
    return (points[to * dimension + k] - points[from * dimension + k]) *
           inverse_length(t[to] - t[from]);
  };
  // The slopes compared: the next interval's and this one's on the first
  // interval, this one's and the previous one's on the last, the next's and
  // the previous one's elsewhere.
  const bool first = low == 0;
  const bool last = high == count - 1;
  const std::int32_t after_from = last ? low : high;
  const std::int32_t after_to = last ? high : high + 1;
  const std::int32_t before_from = first ? low : low - 1;
  const std::int32_t before_to = first ? high : low;
  double length;
  if (first)
    length = std::max({t[high + 1] - t[high], t[high] - t[low], (t[high + 1] - t[low]) / 2});
  else if (last)
    length = std::max({t[high] - t[low], t[low] - t[low - 1], (t[high] - t[low - 1]) / 2});
  else
    length = std::max({t[high + 1] - t[high], t[high] - t[low], t[low] - t[low - 1],
                       (t[high + 1] - t[low - 1]) / 2});
  for (std::int32_t k = 0; k < dimension; ++k) {
    double difference = slope(after_from, after_to, k) - slope(before_from, before_to, k);
    output[k] = length > 0.0 ? difference / length : difference * degenerate_length_factor;
  }
}

void Polyline::evaluate(double t, double *position_output, double *first,
                        double *second) const noexcept {
  PolylineInterval interval = locate_interval(parameters, count, t);
  if (position_output != nullptr) position(interval, position_output);
  if (first != nullptr) first_derivative(interval, first);
  if (second != nullptr) second_derivative(interval, second);
}

void parameterise(const double *points, std::int32_t count, std::int32_t dimension,
                  const bool *joins, double *parameters) noexcept {
  if (count < 1) return;
  parameters[0] = 0.0;
  for (std::int32_t i = 1; i < count; ++i) {
    double step = 0.0;
    if (joins == nullptr || !joins[i]) {
      const double *a = points + (i - 1) * dimension;
      const double *b = points + i * dimension;
      // hypot keeps the distance exact where squaring would overflow.
      step = dimension == 2 ? std::hypot(b[0] - a[0], b[1] - a[1])
                            : std::hypot(b[0] - a[0], b[1] - a[1], b[2] - a[2]);
    }
    parameters[i] = parameters[i - 1] + step;
  }
}

}  // namespace gridlume
