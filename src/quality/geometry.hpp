// The geometric kernels of the quality measures: plain functions on point
// coordinates, shared by the element queries, the statistics, the coherency
// check and the cracker. Everything is inline and works on the stack.
//
// Every kernel works on differences of vertex positions, never on raw position
// vectors, so an element far from the origin keeps the precision of its own
// size rather than that of its distance to the origin.
#pragma once

#include <algorithm>
#include <cmath>
#include <limits>

namespace gridlume::geometry {

struct Vector3 {
  double x, y, z;
};

inline constexpr Vector3 operator-(const Vector3 &a, const Vector3 &b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline constexpr Vector3 operator+(const Vector3 &a, const Vector3 &b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline constexpr double dot(const Vector3 &a, const Vector3 &b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline constexpr Vector3 cross(const Vector3 &a, const Vector3 &b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline constexpr double squared_norm(const Vector3 &a) { return dot(a, a); }
inline double norm(const Vector3 &a) { return std::sqrt(squared_norm(a)); }
inline double distance(const Vector3 &a, const Vector3 &b) { return norm(b - a); }

inline constexpr double infinity = std::numeric_limits<double>::infinity();

// Degrees per radian of the corner angles (180/pi).
inline constexpr double corner_degrees_per_radian = 57.29577951308232;
// Degrees per radian of the tetrahedron dihedral angles: 180 divided by
// 3.141593, a rounded pi, so these angles differ from corner angles in the
// seventh digit.
inline constexpr double dihedral_degrees_per_radian = 57.29577319531843;
// The angle reported at a corner with a coincident neighbour.
inline constexpr double degenerate_corner_angle = 90.0;

// sqrt(3)/12: an equilateral triangle has aspect ratio 1.
inline constexpr double triangle_aspect_ratio_scale = 0.14433756729740646;

// Ideal angles of the equiangle skews, in degrees.
inline constexpr double triangle_ideal_angle = 60.0;
inline constexpr double quadrangle_ideal_angle = 90.0;
inline constexpr double straight_angle = 180.0;

// Angle at b between a and c, in degrees; 90 when a or c coincides with b.
// atan2(|u x v|, u.v) equals acos(u.v / (|u| |v|)) but keeps full precision
// for angles near 0 and 180 degrees, where acos of a rounded cosine loses
// half the digits.
inline double corner_angle(const Vector3 &a, const Vector3 &b, const Vector3 &c) {
  const Vector3 u = a - b;
  const Vector3 v = c - b;
  if (squared_norm(u) * squared_norm(v) <= 0.0) return degenerate_corner_angle;
  return std::atan2(norm(cross(u, v)), dot(u, v)) * corner_degrees_per_radian;
}

// Unit normal of the face (a, b, c) oriented as (c - a) x (b - a); the zero
// vector for a degenerate face.
inline Vector3 face_unit_normal(const Vector3 &a, const Vector3 &b, const Vector3 &c) {
  const Vector3 n = cross(c - a, b - a);
  const double length = norm(n);
  if (!(length > 0.0)) return {0.0, 0.0, 0.0};
  return {n.x / length, n.y / length, n.z / length};
}

// Twice the area of a triangle given its three sides as vectors (ab + bc + ca
// = 0) and their squared lengths. Any two sides give the same cross product
// in exact arithmetic; the two shortest, which meet at the corner opposite the
// longest side (the corner of largest sine), cancel least when rounded.
inline double triangle_double_area_from_sides(const Vector3 &ab, const Vector3 &bc,
                                              const Vector3 &ca, double ab_squared,
                                              double bc_squared, double ca_squared) {
  if (ab_squared >= bc_squared && ab_squared >= ca_squared) return norm(cross(bc, ca));
  if (bc_squared >= ca_squared) return norm(cross(ab, ca));
  return norm(cross(ab, bc));
}

// Area of the triangle (a, b, c); never negative.
inline double triangle_area(const Vector3 &a, const Vector3 &b, const Vector3 &c) {
  const Vector3 ab = b - a, bc = c - b, ca = a - c;
  return 0.5 * triangle_double_area_from_sides(ab, bc, ca, squared_norm(ab), squared_norm(bc),
                                               squared_norm(ca));
}

// Determinant of the 3x3 matrix with columns u, v, w (rule of Sarrus).
inline constexpr double determinant3(const Vector3 &u, const Vector3 &v, const Vector3 &w) {
  return u.x * v.y * w.z + v.x * w.y * u.z + w.x * u.y * v.z - w.x * v.y * u.z - v.x * u.y * w.z -
         u.x * w.y * v.z;
}

// Six times the signed volume of the tetrahedron (a, b, c, d).
inline constexpr double six_tetrahedron_volume(const Vector3 &a, const Vector3 &b, const Vector3 &c,
                                               const Vector3 &d) {
  return determinant3(b - a, c - a, d - a);
}

// Signed volume of the tetrahedron (a, b, c, d): positive when
// (b - a, c - a, d - a) is right-handed.
inline constexpr double signed_tetrahedron_volume(const Vector3 &a, const Vector3 &b,
                                                  const Vector3 &c, const Vector3 &d) {
  return six_tetrahedron_volume(a, b, c, d) / 6.0;
}

// Aspect ratio of the triangle (a, b, c): 1 for an equilateral triangle,
// +infinity for a flat one.
inline double triangle_aspect_ratio(const Vector3 &a, const Vector3 &b, const Vector3 &c) {
  const Vector3 ab = b - a, bc = c - b, ca = a - c;
  const double ab_squared = squared_norm(ab), bc_squared = squared_norm(bc),
               ca_squared = squared_norm(ca);
  const double area =
      0.5 * triangle_double_area_from_sides(ab, bc, ca, ab_squared, bc_squared, ca_squared);
  if (area == 0.0) return infinity;
  const double l1 = std::sqrt(ab_squared), l2 = std::sqrt(bc_squared), l3 = std::sqrt(ca_squared);
  return triangle_aspect_ratio_scale * std::max({l1, l2, l3}) * (l1 + l2 + l3) / area;
}

// Equiangle skew of a triangle from its three angles: 0 for equal angles.
inline double triangle_skew_from_angles(double a0, double a1, double a2) {
  const double largest = std::max({a0, a1, a2}), smallest = std::min({a0, a1, a2});
  return std::max((largest - triangle_ideal_angle) / (straight_angle - triangle_ideal_angle),
                  (triangle_ideal_angle - smallest) / triangle_ideal_angle);
}

// Equiangle skew of a quadrangle from its four angles: 0 for right angles.
inline double quadrangle_skew_from_angles(double a0, double a1, double a2, double a3) {
  const double largest = std::max({a0, a1, a2, a3}), smallest = std::min({a0, a1, a2, a3});
  return std::max((largest - quadrangle_ideal_angle) / quadrangle_ideal_angle,
                  (quadrangle_ideal_angle - smallest) / quadrangle_ideal_angle);
}

// Equiangle skew of the triangle (a, b, c), in [0, 1].
inline double triangle_equiangle_skew(const Vector3 &a, const Vector3 &b, const Vector3 &c) {
  return std::clamp(triangle_skew_from_angles(corner_angle(c, a, b), corner_angle(a, b, c),
                                              corner_angle(b, c, a)),
                    0.0, 1.0);
}

// Equiangle skew of the quadrangle (a, b, c, d), in [0, 1], from its angles at
// b, c, d and a.
inline double quadrangle_equiangle_skew(const Vector3 &a, const Vector3 &b, const Vector3 &c,
                                        const Vector3 &d) {
  return std::clamp(quadrangle_skew_from_angles(corner_angle(a, b, c), corner_angle(b, c, d),
                                                corner_angle(c, d, a), corner_angle(d, a, b)),
                    0.0, 1.0);
}

// Planarity of the quadrangle (a, b, c, d): how well the two triangles of
// each diagonal split agree, the worse split counting. 1 for a flat convex
// quadrangle, 0 when folded flat onto itself; a degenerate corner triangle
// (zero normal) contributes 0.5.
inline double quadrangle_planarity(const Vector3 &a, const Vector3 &b, const Vector3 &c,
                                   const Vector3 &d) {
  const Vector3 na = face_unit_normal(a, b, c), nb = face_unit_normal(a, c, d);
  const Vector3 nc = face_unit_normal(a, b, d), nd = face_unit_normal(b, c, d);
  const double split_ac = 0.5 * (1.0 + dot(nb, na));
  const double split_bd = 0.5 * (1.0 + dot(nd, nc));
  return std::clamp(std::min(split_ac, split_bd), -1.0, 1.0);
}

}  // namespace gridlume::geometry
