// Inside tests, distances and bounding boxes of the creator's shapes.
#include <gtest/gtest.h>

#include <cmath>

#include "sizemap/constraint.hpp"

namespace {

using gridlume::Constraint;
using gridlume::Vector3;

constexpr double tight = 1e-12;

// The unit cube [0, 1]^3 with its corners in the creator's order: V0..V3 the
// bottom face turning so that its normal points up, into the solid.
constexpr Vector3 unit_cube[8] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                  {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};

// The unit cube with every corner moved by `f`.
template <class F>
Constraint cube_like(F f) {
  Vector3 corners[8];
  for (int k = 0; k < 8; ++k) corners[k] = f(k, unit_cube[k]);
  return gridlume::make_hexahedron(corners, 1.0);
}

void expect_box(const Constraint &c, Vector3 low, Vector3 high) {
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
  expect_box(cube_like([](int k, Vector3 v) {
               return k == 6 ? Vector3{5, 5, 5} : v + Vector3{-2, 3, 0};
             }),
             {-2, 3, 0}, {5, 5, 5});
}

// Inside, or outside at the distance to the nearest part of the shape.
TEST(ShapeDistance, InsideOrTheDistanceToTheNearestFaceEdgeOrEnd) {
  const Constraint sphere = gridlume::make_sphere({1, 1, 1}, 2, 1);
  const Constraint cylinder = gridlume::make_cylinder({0, 0, 0}, {0, 0, 4}, 1, 1);
  const Constraint oblique = gridlume::make_cylinder({1, 1, 1}, {3, 3, 3}, 0.5, 1);
  // A zero-length axis holds every point, whatever the radius.
  const Constraint coincident = gridlume::make_cylinder({1, 2, 3}, {1, 2, 3}, 0.1, 1);
  const Constraint zero_radius = gridlume::make_cylinder({0, 0, 0}, {0, 0, 0}, 0, 1);
  const Constraint cube = cube_like([](int, Vector3 v) { return v; });
  // A parallelepiped sheared along x with height: top face shifted by 2.
  const Constraint sheared = cube_like([](int k, Vector3 v) {
    return k >= 4 ? v + Vector3{2, 0, 0} : v;
  });
  // Every signed volume of a hexahedron collapsed to a point is 0, so every
  // face accepts every point, as the zero-length cylinder does.
  const Constraint collapsed = cube_like([](int, Vector3) { return Vector3{1, 1, 1}; });
  const Constraint flat = cube_like([](int, Vector3 v) { return Vector3{v.x, v.y, 0}; });
  const Constraint point = gridlume::make_point({1, 2, 3}, 1);
  constexpr double in = -1;  // inside
  const struct {
    const char *what;
    const Constraint &shape;
    Vector3 x;
    double distance;
  } cases[] = {
      {"sphere centre", sphere, {1, 1, 1}, in},
      {"sphere surface", sphere, {3, 1, 1}, in},
      {"off the sphere", sphere, {1, 1, 4.5}, 1.5},
      {"cylinder inside", cylinder, {0.5, 0.5, 2}, in},
      {"cylinder rim", cylinder, {1, 0, 0}, in},
      {"beside the side", cylinder, {3, 0, 2}, 2.0},
      {"below the first end, within the radius", cylinder, {0.5, 0, -2}, 2.0},
      {"above the second end, within the radius", cylinder, {0, 0.5, 7}, 3.0},
      {"off the first end's rim", cylinder, {4, 0, -3}, std::hypot(3.0, 3.0)},
      {"off the second end's rim", cylinder, {0, -2, 5}, std::hypot(1.0, 1.0)},
      // (2, 2, 2) + a unit vector orthogonal to the axis.
      {"across an oblique axis", oblique, {2 + 1 / std::sqrt(2.0), 2 - 1 / std::sqrt(2.0), 2}, 0.5},
      {"coincident ends", coincident, {1, 2, 3}, in},
      {"coincident ends, far", coincident, {100, -5, 3}, in},
      {"coincident ends, below", coincident, {1, 2, -40}, in},
      {"coincident ends, zero radius", zero_radius, {7, 7, 7}, in},
      {"cube centre", cube, {0.5, 0.5, 0.5}, in},
      {"cube corner", cube, {0, 0, 0}, in},
      {"cube edge", cube, {1, 0.5, 1}, in},
      {"cube near an edge", cube, {0.999, 0.001, 0.5}, in},
      {"above the top face", cube, {0.5, 0.5, 3}, 2.0},
      {"beside a side face", cube, {-0.25, 0.5, 0.5}, 0.25},
      {"off a vertical edge", cube, {2, 2, 0.5}, std::sqrt(2.0)},
      {"off a corner", cube, {-1, -1, -1}, std::sqrt(3.0)},
      {"beside the back face", cube, {0.3, 1.5, 0.9}, 0.5},
      {"sheared inside", sheared, {2.4, 0.5, 0.9}, in},
      // The sheared side face x - 2z = 0 is at distance |x - 2z| / sqrt(5).
      {"sheared side", sheared, {0.5, 0.5, 0.9}, std::abs(0.5 - 1.8) / std::sqrt(5.0)},
      {"flat corners", flat, {0.5, 0.5, 2}, 2.0},
      {"collapsed corners", collapsed, {1, 1, 3}, in},
      {"the point", point, {1, 2, 3}, in},
      {"off the point", point, {4, 6, 3}, 5.0},
  };
  for (const auto &c : cases) {
    const gridlume::ShapeDistance where = gridlume::shape_distance(c.shape, c.x);
    EXPECT_EQ(where.inside, c.distance == in) << c.what;
    if (c.distance != in) {
      EXPECT_NEAR(where.distance, c.distance, tight) << c.what;
    }
  }
  // Flat and collapsed corners give finite distances wherever a point is.
  for (const Constraint *shape : {&flat, &collapsed})
    for (Vector3 x : {Vector3{0.5, 0.5, 2}, Vector3{3, -1, 0}, Vector3{1, 1, 1}}) {
      const auto where = gridlume::shape_distance(*shape, x);
      if (!where.inside) {
        EXPECT_TRUE(std::isfinite(where.distance));
        EXPECT_GE(where.distance, 0.0);
      }
    }
  // Only the point itself is inside a point.
  const auto near = gridlume::shape_distance(point, {1, 2, std::nextafter(3.0, 4.0)});
  EXPECT_FALSE(near.inside);
  EXPECT_GT(near.distance, 0.0);
}

TEST(PointTriangleDistance, EveryRegionOfTheTriangleAndDegenerateTrianglesAnswerTheirEdges) {
  const Vector3 a{0, 0, 0}, b{2, 0, 0}, c{0, 2, 0};
  const struct {
    Vector3 x, a, b, c;
    double distance;
  } cases[] = {
      {{0.5, 0.5, 3}, a, b, c, 3.0},           // above the interior
      {{-1, -1, 0}, a, b, c, std::sqrt(2.0)},  // corner a
      {{3, -1, 0}, a, b, c, std::sqrt(2.0)},   // corner b
      {{-1, 3, 0}, a, b, c, std::sqrt(2.0)},   // corner c
      {{1, -2, 0}, a, b, c, 2.0},              // edge ab
      {{-2, 1, 1}, a, b, c, std::sqrt(5.0)},   // edge ca
      {{2, 2, 0}, a, b, c, std::sqrt(2.0)},    // edge bc
      {{1, 1, 0}, a, a, a, std::sqrt(2.0)},    // a point
      {{1, 1, 0}, a, b, b, 1.0},               // two coincident corners
      {{1, 1, 0}, a, {1, 0, 0}, {3, 0, 0}, 1.0},  // collinear corners
      {{5, 0, 0}, a, {1, 0, 0}, {3, 0, 0}, 2.0},
  };
  for (const auto &k : cases)
    EXPECT_NEAR(gridlume::point_triangle_distance(k.x, k.a, k.b, k.c), k.distance, tight)
        << k.x.x << " " << k.x.y << " " << k.x.z;
}

}  // namespace
