// Inside tests, distances and bounding boxes of the creator's shapes.
#include <gtest/gtest.h>

#include <cmath>

#include "sizemap/constraint.hpp"

namespace {

using gridlume::Vector3;

constexpr double tight = 1e-12;

// The unit cube [0, 1]^3 with its corners in the creator's order: V0..V3 the
// bottom face turning so that its normal points up, into the solid.
constexpr Vector3 unit_cube[8] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                  {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};

gridlume::HexahedronShape hexahedron_of(const Vector3 (&corners)[8]) {
  return gridlume::make_hexahedron(corners, 1.0).hexahedron;
}

void expect_box(const gridlume::Constraint &c, Vector3 low, Vector3 high) {
  EXPECT_DOUBLE_EQ(c.box_minimum.x, low.x);
  EXPECT_DOUBLE_EQ(c.box_minimum.y, low.y);
  EXPECT_DOUBLE_EQ(c.box_minimum.z, low.z);
  EXPECT_DOUBLE_EQ(c.box_maximum.x, high.x);
  EXPECT_DOUBLE_EQ(c.box_maximum.y, high.y);
  EXPECT_DOUBLE_EQ(c.box_maximum.z, high.z);
}

TEST(ShapeBoxes, EachShapeIsBoundedByItsOwnBox) {
  expect_box(gridlume::make_sphere({1, 2, 3}, 0.5, 1), {0.5, 1.5, 2.5}, {1.5, 2.5, 3.5});
  expect_box(gridlume::make_cylinder({0, 5, 1}, {2, 1, 1}, 1, 1), {-1, 0, 0}, {3, 6, 2});
  expect_box(gridlume::make_point({4, 5, 6}, 1), {4, 5, 6}, {4, 5, 6});
  Vector3 shifted[8];
  for (int k = 0; k < 8; ++k) shifted[k] = unit_cube[k] + Vector3{-2, 3, 0};
  shifted[6] = {5, 5, 5};
  expect_box(gridlume::make_hexahedron(shifted, 1), {-2, 3, 0}, {5, 5, 5});
}

TEST(SphereDistance, InsideUpToTheRadiusThenDistanceToTheSurface) {
  const gridlume::SphereShape sphere{{1, 1, 1}, 2};
  EXPECT_TRUE(gridlume::sphere_distance(sphere, {1, 1, 1}).inside);
  EXPECT_TRUE(gridlume::sphere_distance(sphere, {3, 1, 1}).inside);
  const auto outside = gridlume::sphere_distance(sphere, {1, 1, 4.5});
  EXPECT_FALSE(outside.inside);
  EXPECT_NEAR(outside.distance, 1.5, tight);
}

TEST(CylinderDistance, RadialBetweenTheEndPlanesAxialOrDiagonalBeyondThem) {
  const auto cylinder = gridlume::make_cylinder({0, 0, 0}, {0, 0, 4}, 1, 1).cylinder;
  EXPECT_NEAR(cylinder.reciprocal_length, 0.25, tight);
  EXPECT_TRUE(gridlume::cylinder_distance(cylinder, {0.5, 0.5, 2}).inside);
  EXPECT_TRUE(gridlume::cylinder_distance(cylinder, {1, 0, 0}).inside);
  struct Case {
    Vector3 x;
    double distance;
  };
  const Case cases[] = {
      {{3, 0, 2}, 2.0},                    // beside the side
      {{0.5, 0, -2}, 2.0},                 // below the first end, within the radius
      {{0, 0.5, 7}, 3.0},                  // above the second end, within the radius
      {{4, 0, -3}, std::hypot(3.0, 3.0)},  // off the first end's rim
      {{0, -2, 5}, std::hypot(1.0, 1.0)},  // off the second end's rim
  };
  for (const Case &c : cases) {
    const auto where = gridlume::cylinder_distance(cylinder, c.x);
    EXPECT_FALSE(where.inside);
    EXPECT_NEAR(where.distance, c.distance, 1e-12) << c.x.x << " " << c.x.y << " " << c.x.z;
  }
}

TEST(CylinderDistance, AnObliqueAxisMeasuresAcrossTheAxisNotTheCoordinates) {
  const auto cylinder = gridlume::make_cylinder({1, 1, 1}, {3, 3, 3}, 0.5, 1).cylinder;
  // (2, 2, 2) + a unit vector orthogonal to the axis.
  const Vector3 off = {2 + 1 / std::sqrt(2.0), 2 - 1 / std::sqrt(2.0), 2};
  const auto where = gridlume::cylinder_distance(cylinder, off);
  EXPECT_FALSE(where.inside);
  EXPECT_NEAR(where.distance, 0.5, 1e-12);
}

TEST(CylinderDistance, AZeroLengthAxisHoldsEveryPoint) {
  const auto cylinder = gridlume::make_cylinder({1, 2, 3}, {1, 2, 3}, 0.1, 1).cylinder;
  EXPECT_EQ(cylinder.reciprocal_length, 0.0);
  for (Vector3 x : {Vector3{1, 2, 3}, Vector3{100, -5, 3}, Vector3{1, 2, -40}})
    EXPECT_TRUE(gridlume::cylinder_distance(cylinder, x).inside);
  const auto zero_radius = gridlume::make_cylinder({0, 0, 0}, {0, 0, 0}, 0, 1).cylinder;
  EXPECT_TRUE(gridlume::cylinder_distance(zero_radius, {7, 7, 7}).inside);
}

TEST(HexahedronDistance, InsideTheCubeAndOnItsFaces) {
  const auto cube = hexahedron_of(unit_cube);
  for (Vector3 x :
       {Vector3{0.5, 0.5, 0.5}, Vector3{0, 0, 0}, Vector3{1, 0.5, 1}, Vector3{0.999, 0.001, 0.5}})
    EXPECT_TRUE(gridlume::hexahedron_distance(cube, x).inside);
}

TEST(HexahedronDistance, OutsideTheDistanceToTheNearestFaceEdgeOrCorner) {
  const auto cube = hexahedron_of(unit_cube);
  struct Case {
    Vector3 x;
    double distance;
  };
  const Case cases[] = {
      {{0.5, 0.5, 3}, 2.0},            // above the top face
      {{-0.25, 0.5, 0.5}, 0.25},       // beside a side face
      {{2, 2, 0.5}, std::sqrt(2.0)},   // off a vertical edge
      {{-1, -1, -1}, std::sqrt(3.0)},  // off a corner
      {{0.3, 1.5, 0.9}, 0.5},          // beside the back face
  };
  for (const Case &c : cases) {
    const auto where = gridlume::hexahedron_distance(cube, c.x);
    EXPECT_FALSE(where.inside);
    EXPECT_NEAR(where.distance, c.distance, 1e-12);
  }
}

TEST(HexahedronDistance, ASkewedHexahedronUsesItsOwnFaces) {
  // A parallelepiped sheared along x with height: top face shifted by 2.
  Vector3 sheared[8];
  for (int k = 0; k < 8; ++k) sheared[k] = unit_cube[k];
  for (int k = 4; k < 8; ++k) sheared[k].x += 2;
  const auto shape = hexahedron_of(sheared);
  EXPECT_TRUE(gridlume::hexahedron_distance(shape, {2.4, 0.5, 0.9}).inside);
  EXPECT_FALSE(gridlume::hexahedron_distance(shape, {0.5, 0.5, 0.9}).inside);
  // The sheared side face x - 2z = 0 is at distance |x - 2z| / sqrt(5).
  const auto where = gridlume::hexahedron_distance(shape, {0.5, 0.5, 0.9});
  EXPECT_NEAR(where.distance, std::abs(0.5 - 1.8) / std::sqrt(5.0), 1e-12);
}

TEST(HexahedronDistance, FlatCornersGiveFiniteDistancesAndCollapsedOnesHoldEveryPoint) {
  Vector3 flat[8];
  for (int k = 0; k < 8; ++k) flat[k] = {unit_cube[k].x, unit_cube[k].y, 0.0};
  Vector3 collapsed[8];
  for (Vector3 &corner : collapsed) corner = {1, 1, 1};
  for (const auto &shape : {hexahedron_of(flat), hexahedron_of(collapsed)}) {
    for (Vector3 x : {Vector3{0.5, 0.5, 2}, Vector3{3, -1, 0}, Vector3{1, 1, 1}}) {
      const auto where = gridlume::hexahedron_distance(shape, x);
      if (!where.inside) {
        EXPECT_TRUE(std::isfinite(where.distance));
        EXPECT_GE(where.distance, 0.0);
      }
    }
  }
  EXPECT_NEAR(gridlume::hexahedron_distance(hexahedron_of(flat), {0.5, 0.5, 2}).distance, 2.0,
              1e-12);
  // Every signed volume of a hexahedron collapsed to a point is 0, so every
  // face accepts every point, as the zero-length cylinder does.
  EXPECT_TRUE(gridlume::hexahedron_distance(hexahedron_of(collapsed), {1, 1, 3}).inside);
}

TEST(PointDistance, OnlyThePointItselfIsInside) {
  const gridlume::PointShape point{{1, 2, 3}};
  EXPECT_TRUE(gridlume::point_distance(point, {1, 2, 3}).inside);
  const auto near = gridlume::point_distance(point, {1, 2, std::nextafter(3.0, 4.0)});
  EXPECT_FALSE(near.inside);
  EXPECT_GT(near.distance, 0.0);
  EXPECT_NEAR(gridlume::point_distance(point, {4, 6, 3}).distance, 5.0, tight);
}

TEST(PointTriangleDistance, EveryRegionOfTheTriangle) {
  const Vector3 a{0, 0, 0}, b{2, 0, 0}, c{0, 2, 0};
  struct Case {
    Vector3 x;
    double distance;
  };
  const Case cases[] = {
      {{0.5, 0.5, 3}, 3.0},           // above the interior
      {{-1, -1, 0}, std::sqrt(2.0)},  // corner a
      {{3, -1, 0}, std::sqrt(2.0)},   // corner b
      {{-1, 3, 0}, std::sqrt(2.0)},   // corner c
      {{1, -2, 0}, 2.0},              // edge ab
      {{-2, 1, 1}, std::sqrt(5.0)},   // edge ca
      {{2, 2, 0}, std::sqrt(2.0)},    // edge bc
  };
  for (const Case &k : cases)
    EXPECT_NEAR(gridlume::point_triangle_distance(k.x, a, b, c), k.distance, tight);
}

TEST(PointTriangleDistance, DegenerateTrianglesAnswerTheirEdges) {
  const Vector3 x{1, 1, 0};
  EXPECT_NEAR(gridlume::point_triangle_distance(x, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}), std::sqrt(2.0),
              tight);
  EXPECT_NEAR(gridlume::point_triangle_distance(x, {0, 0, 0}, {2, 0, 0}, {2, 0, 0}), 1.0, tight);
  EXPECT_NEAR(gridlume::point_triangle_distance(x, {0, 0, 0}, {1, 0, 0}, {3, 0, 0}), 1.0, tight);
  EXPECT_NEAR(gridlume::point_triangle_distance({5, 0, 0}, {0, 0, 0}, {1, 0, 0}, {3, 0, 0}), 2.0,
              tight);
}

}  // namespace
