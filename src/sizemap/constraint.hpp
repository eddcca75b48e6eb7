// The constraint records of the size map creator and the geometry of their
// shapes: what lies inside a shape and how far a point is from it. The
// creator keeps the records in a list; generation copies the shape records
// into the evaluation data, which reads them from several threads at once, so
// everything here is plain functions of their arguments.
#pragma once

#include <cstdint>

#include "quality/geometry.hpp"

namespace gridlume {

using geometry::Vector3;

enum class ConstraintType : std::int32_t {
  default_size = 1,
  sphere = 2,
  cylinder = 3,
  hexahedron = 4,
  point = 5,
  default_gradation = 6,
};

inline constexpr int hexahedron_corner_count = 8;

struct SphereShape {
  Vector3 centre;
  double radius;
};

struct CylinderShape {
  double radius;
  Vector3 first_end;
  Vector3 second_end;
  Vector3 axis;              // second end - first end
  double reciprocal_length;  // 0 for a zero-length axis
};

// V0 V1 V2 V3 is one face, (V1 - V0) x (V2 - V0) pointing into the solid;
// V4..V7 the opposite face, Vk+4 joined to Vk.
struct HexahedronShape {
  Vector3 corners[hexahedron_corner_count];
};

struct PointShape {
  Vector3 point;
};

// The type, the value and the start of the shape come first so that an
// evaluation reading a sphere touches a single stretch of 48 bytes; the box,
// only needed to build the grid, comes after the shape.
struct Constraint {
  ConstraintType type;
  double value;  // the size, or the gradation of a default gradation
  union {
    SphereShape sphere;
    CylinderShape cylinder;
    HexahedronShape hexahedron;
    PointShape point;
  };
  Vector3 box_minimum;
  Vector3 box_maximum;
  Constraint *next;  // the creator's list, in insertion order
};

// Shape records with their bounding boxes; the default records take the
// creator's box.
Constraint make_sphere(const Vector3 &centre, double radius, double size) noexcept;
Constraint make_cylinder(const Vector3 &first_end, const Vector3 &second_end, double radius,
                         double size) noexcept;
Constraint make_hexahedron(const Vector3 (&corners)[hexahedron_corner_count], double size) noexcept;
Constraint make_point(const Vector3 &point, double size) noexcept;

// Where a point stands against a shape: inside (distance 0), or outside at
// the given distance.
struct ShapeDistance {
  bool inside;
  double distance;
};

ShapeDistance sphere_distance(const SphereShape &sphere, const Vector3 &x) noexcept;
ShapeDistance cylinder_distance(const CylinderShape &cylinder, const Vector3 &x) noexcept;
ShapeDistance hexahedron_distance(const HexahedronShape &hexahedron, const Vector3 &x) noexcept;
ShapeDistance point_distance(const PointShape &point, const Vector3 &x) noexcept;
// Dispatch on the type of a shape constraint (types 2 to 5).
ShapeDistance shape_distance(const Constraint &constraint, const Vector3 &x) noexcept;

// Distance from x to the triangle (a, b, c); a flat triangle (collinear or
// coincident corners) answers the distance to its edges.
double point_triangle_distance(const Vector3 &x, const Vector3 &a, const Vector3 &b,
                               const Vector3 &c) noexcept;

}  // namespace gridlume
