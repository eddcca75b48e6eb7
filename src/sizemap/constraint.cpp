// Shape records of the size map creator and the inside tests and distances
// the evaluation uses.
#include "sizemap/constraint.hpp"

#include <algorithm>
#include <array>
#include <cmath>

namespace gridlume {
namespace {

using geometry::cross;
using geometry::dot;
using geometry::norm;
using geometry::squared_norm;

Vector3 component_minimum(const Vector3 &a, const Vector3 &b) {
  return {std::min(a.x, b.x), std::min(a.y, b.y), std::min(a.z, b.z)};
}
Vector3 component_maximum(const Vector3 &a, const Vector3 &b) {
  return {std::max(a.x, b.x), std::max(a.y, b.y), std::max(a.z, b.z)};
}
Vector3 shifted(const Vector3 &a, double amount) {
  return {a.x + amount, a.y + amount, a.z + amount};
}
Vector3 scaled(const Vector3 &a, double factor) {
  return {a.x * factor, a.y * factor, a.z * factor};
}

Constraint shape_record(ConstraintType type, double size) {
  Constraint record{};
  record.type = type;
  record.value = size;
  return record;
}

// The faces of the hexahedron as corner numbers, each ordered so that its
// first triangle's normal points into the solid.
constexpr std::array<std::array<int, 4>, 6> hexahedron_faces{{
    {0, 1, 2, 3},
    {4, 7, 6, 5},
    {0, 4, 5, 1},
    {1, 5, 6, 2},
    {2, 6, 7, 3},
    {0, 3, 7, 4},
}};

// The four triangles cut from a face (corners 1-3-4, 1-2-3, 1-2-4, 2-3-4 in
// the face's own numbering) for the distance to a face that rejects a point.
constexpr std::array<std::array<int, 3>, 4> face_triangles{{
    {0, 2, 3},
    {0, 1, 2},
    {0, 1, 3},
    {1, 2, 3},
}};

// A parameter in [0, 1] from a ratio whose denominator may vanish on a flat
// triangle; 0 then.
double unit_ratio(double numerator, double denominator) {
  if (!(denominator > 0.0)) return 0.0;
  return std::clamp(numerator / denominator, 0.0, 1.0);
}

double point_segment_distance(const Vector3 &x, const Vector3 &a, const Vector3 &b) {
  const Vector3 ab = b - a;
  const double t = unit_ratio(dot(x - a, ab), squared_norm(ab));
  return norm(x - (a + scaled(ab, t)));
}

double flat_triangle_distance(const Vector3 &x, const Vector3 &a, const Vector3 &b,
                              const Vector3 &c) {
  return std::min({point_segment_distance(x, a, b), point_segment_distance(x, b, c),
                   point_segment_distance(x, c, a)});
}

}  // namespace

Constraint make_sphere(const Vector3 &centre, double radius, double size) noexcept {
  Constraint record = shape_record(ConstraintType::sphere, size);
  record.sphere = {centre, radius};
  record.box_minimum = shifted(centre, -radius);
  record.box_maximum = shifted(centre, radius);
  return record;
}

Constraint make_cylinder(const Vector3 &first_end, const Vector3 &second_end, double radius,
                         double size) noexcept {
  Constraint record = shape_record(ConstraintType::cylinder, size);
  const Vector3 axis = second_end - first_end;
  const double length = norm(axis);
  record.cylinder = {radius, first_end, second_end, axis, length > 0.0 ? 1.0 / length : 0.0};
  record.box_minimum = shifted(component_minimum(first_end, second_end), -radius);
  record.box_maximum = shifted(component_maximum(first_end, second_end), radius);
  return record;
}

Constraint make_hexahedron(const Vector3 (&corners)[hexahedron_corner_count],
                           double size) noexcept {
  Constraint record = shape_record(ConstraintType::hexahedron, size);
  record.box_minimum = record.box_maximum = corners[0];
  for (int corner = 0; corner < hexahedron_corner_count; ++corner) {
    record.hexahedron.corners[corner] = corners[corner];
    record.box_minimum = component_minimum(record.box_minimum, corners[corner]);
    record.box_maximum = component_maximum(record.box_maximum, corners[corner]);
  }
  return record;
}

Constraint make_point(const Vector3 &point, double size) noexcept {
  Constraint record = shape_record(ConstraintType::point, size);
  record.point = {point};
  record.box_minimum = record.box_maximum = point;
  return record;
}

ShapeDistance sphere_distance(const SphereShape &sphere, const Vector3 &x) noexcept {
  const double from_centre = norm(x - sphere.centre);
  if (from_centre <= sphere.radius) return {true, 0.0};
  return {false, from_centre - sphere.radius};
}

ShapeDistance cylinder_distance(const CylinderShape &cylinder, const Vector3 &x) noexcept {
  // Distance to the axis line: twice the area of (P1, P2, x) over the axis
  // length, the area taken from its two shortest sides.
  const Vector3 to_second = x - cylinder.second_end;
  const Vector3 from_x = cylinder.first_end - x;
  const double double_area = geometry::triangle_double_area_from_sides(
      cylinder.axis, to_second, from_x, squared_norm(cylinder.axis), squared_norm(to_second),
      squared_norm(from_x));
  const double radial = double_area * cylinder.reciprocal_length - cylinder.radius;
  const double beyond_first = dot(x - cylinder.first_end, cylinder.axis);
  double axial = 0.0;
  if (beyond_first < 0.0) {
    axial = -beyond_first * cylinder.reciprocal_length;
  } else {
    const double beyond_second = dot(to_second, cylinder.axis);
    if (beyond_second > 0.0) {
      axial = beyond_second * cylinder.reciprocal_length;
    } else {
      if (radial <= 0.0) return {true, 0.0};
      return {false, radial};
    }
  }
  if (radial <= 0.0) return {false, axial};
  return {false, std::hypot(axial, radial)};
}

double point_triangle_distance(const Vector3 &x, const Vector3 &a, const Vector3 &b,
                               const Vector3 &c) noexcept {
  // The closest point is found by the Voronoi region of x among the corners,
  // edges and interior of the triangle.
  const Vector3 ab = b - a, ac = c - a, ap = x - a;
  const double d1 = dot(ab, ap), d2 = dot(ac, ap);
  if (d1 <= 0.0 && d2 <= 0.0) return norm(ap);
  const Vector3 bp = x - b;
  const double d3 = dot(ab, bp), d4 = dot(ac, bp);
  if (d3 >= 0.0 && d4 <= d3) return norm(bp);
  const double vc = d1 * d4 - d3 * d2;
  if (vc <= 0.0 && d1 >= 0.0 && d3 <= 0.0)
    return norm(x - (a + scaled(ab, unit_ratio(d1, d1 - d3))));
  const Vector3 cp = x - c;
  const double d5 = dot(ab, cp), d6 = dot(ac, cp);
  if (d6 >= 0.0 && d5 <= d6) return norm(cp);
  const double vb = d5 * d2 - d1 * d6;
  if (vb <= 0.0 && d2 >= 0.0 && d6 <= 0.0)
    return norm(x - (a + scaled(ac, unit_ratio(d2, d2 - d6))));
  const double va = d3 * d6 - d5 * d4;
  if (va <= 0.0 && d4 - d3 >= 0.0 && d5 - d6 >= 0.0)
    return norm(x - (b + scaled(c - b, unit_ratio(d4 - d3, (d4 - d3) + (d5 - d6)))));
  const double denominator = va + vb + vc;
  if (!(denominator > 0.0)) return flat_triangle_distance(x, a, b, c);
  const double v = vb / denominator, w = vc / denominator;
  return norm(x - (a + scaled(ab, v) + scaled(ac, w)));
}

ShapeDistance hexahedron_distance(const HexahedronShape &hexahedron, const Vector3 &x) noexcept {
  const Vector3 *corner = hexahedron.corners;
  bool rejected[hexahedron_faces.size()] = {};
  bool inside = true;
  for (std::size_t face = 0; face < hexahedron_faces.size(); ++face) {
    const auto &f = hexahedron_faces[face];
    const bool accepted =
        geometry::six_tetrahedron_volume(corner[f[0]], corner[f[1]], corner[f[2]], x) >= 0.0 ||
        geometry::six_tetrahedron_volume(corner[f[0]], corner[f[2]], corner[f[3]], x) >= 0.0;
    rejected[face] = !accepted;
    inside = inside && accepted;
  }
  if (inside) return {true, 0.0};
  double distance = geometry::infinity;
  for (std::size_t face = 0; face < hexahedron_faces.size(); ++face) {
    if (!rejected[face]) continue;
    const auto &f = hexahedron_faces[face];
    for (const auto &t : face_triangles)
      distance = std::min(
          distance, point_triangle_distance(x, corner[f[t[0]]], corner[f[t[1]]], corner[f[t[2]]]));
  }
  return {false, distance};
}

ShapeDistance point_distance(const PointShape &point, const Vector3 &x) noexcept {
  if (x.x == point.point.x && x.y == point.point.y && x.z == point.point.z) return {true, 0.0};
  return {false, norm(x - point.point)};
}

ShapeDistance shape_distance(const Constraint &constraint, const Vector3 &x) noexcept {
  switch (constraint.type) {
    case ConstraintType::sphere:
      return sphere_distance(constraint.sphere, x);
    case ConstraintType::cylinder:
      return cylinder_distance(constraint.cylinder, x);
    case ConstraintType::hexahedron:
      return hexahedron_distance(constraint.hexahedron, x);
    case ConstraintType::point:
      return point_distance(constraint.point, x);
    default:
      break;
  }
  // The defaults are no shapes: nothing is inside them and they are never
  // copied into the evaluation data.
  return {false, geometry::infinity};
}

}  // namespace gridlume
