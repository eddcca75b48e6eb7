// The distance building blocks of the proximity fronts: the point of a
// segment nearest to a point, and the distance between two segments. They
// work on differences of positions, so a mesh far from the origin keeps the
// precision of its own size.
#pragma once

#include <algorithm>
#include <cmath>

#include "quality/geometry.hpp"

namespace gridlume::proximity {

using geometry::Vector3;

struct Segment {
  Vector3 start;
  Vector3 end;
};

inline Vector3 scaled(const Vector3 &a, double factor) {
  return {a.x * factor, a.y * factor, a.z * factor};
}

// The parameter in [0, 1] of the point of `segment` nearest to `point`; a
// segment of zero length answers its start.
inline double nearest_parameter(const Segment &segment, const Vector3 &point) {
  const Vector3 along = segment.end - segment.start;
  const double length_squared = geometry::squared_norm(along);
  if (!(length_squared > 0.0)) return 0.0;
  return std::clamp(geometry::dot(point - segment.start, along) / length_squared, 0.0, 1.0);
}

inline Vector3 nearest_point(const Segment &segment, const Vector3 &point) {
  const double t = nearest_parameter(segment, point);
  return segment.start + scaled(segment.end - segment.start, t);
}

inline double point_segment_distance(const Vector3 &point, const Segment &segment) {
  return geometry::distance(point, nearest_point(segment, point));
}

// The smallest distance between a point of `a` and a point of `b`. The
// squared distance is convex over the pairs of parameters, so its minimum is
// either the stationary point inside the unit square or on its border, where
// one parameter is 0 or 1: an end of one segment against the other segment.
inline double segment_distance(const Segment &a, const Segment &b) {
  double smallest =
      std::min(std::min(point_segment_distance(a.start, b), point_segment_distance(a.end, b)),
               std::min(point_segment_distance(b.start, a), point_segment_distance(b.end, a)));
  const Vector3 u = a.end - a.start;
  const Vector3 v = b.end - b.start;
  const Vector3 w = a.start - b.start;
  const double uu = geometry::dot(u, u), uv = geometry::dot(u, v), vv = geometry::dot(v, v);
  const double uw = geometry::dot(u, w), vw = geometry::dot(v, w);
  const double determinant = uu * vv - uv * uv;
  // Parallel or degenerate segments have no isolated stationary point; their
  // minimum lies on the border.
  if (determinant > 1e-12 * uu * vv) {
    const double s = (uv * vw - vv * uw) / determinant;
    const double t = (uu * vw - uv * uw) / determinant;
    if (s > 0.0 && s < 1.0 && t > 0.0 && t < 1.0) {
      const Vector3 gap = (a.start + scaled(u, s)) - (b.start + scaled(v, t));
      smallest = std::min(smallest, geometry::norm(gap));
    }
  }
  return smallest;
}

}  // namespace gridlume::proximity
