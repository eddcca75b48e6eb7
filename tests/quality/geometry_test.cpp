// The geometric kernels on their own: orientation conventions, degenerate
// inputs, and the precision the stable forms keep where the textbook forms
// lose it.
#include "quality/geometry.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "quality/element_kernels.hpp"

using namespace gridlume::geometry;

namespace {

TEST(Geometry, FaceNormalIsOrientedAsCMinusACrossBMinusA) {
  const Vector3 n = face_unit_normal({0, 0, 0}, {2, 0, 0}, {0, 3, 0});
  EXPECT_EQ(n.x, 0.0);
  EXPECT_EQ(n.y, 0.0);
  EXPECT_EQ(n.z, -1.0);
  const Vector3 zero = face_unit_normal({1, 1, 1}, {2, 2, 2}, {3, 3, 3});
  EXPECT_EQ(squared_norm(zero), 0.0);
}

TEST(Geometry, SignedVolumeIsPositiveForRightHandedEdges) {
  EXPECT_DOUBLE_EQ(signed_tetrahedron_volume({0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}), 1.0 / 6);
  EXPECT_DOUBLE_EQ(signed_tetrahedron_volume({0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {0, 0, 1}), -1.0 / 6);
  EXPECT_EQ(determinant3({2, 1, 0}, {0, 3, 1}, {1, 0, 4}), 2.0 * 12 - 0 + 1.0 * 1);
}

TEST(Geometry, CornerAngleIs90AtACoincidentPointAndExactNearZeroAnd180) {
  EXPECT_EQ(corner_angle({0, 0, 0}, {0, 0, 0}, {1, 0, 0}), 90.0);
  EXPECT_EQ(corner_angle({1, 0, 0}, {0, 0, 0}, {0, 0, 0}), 90.0);
  EXPECT_NEAR(corner_angle({1, 0, 0}, {0, 0, 0}, {-1, 0, 0}), 180.0, 1e-12);
  // A corner of 1e-10 radians: the cosine rounds to 1, so acos of it answers
  // 0; the angle from sine and cosine together keeps every digit.
  const double radians = 1e-10;
  const Vector3 a{1, 0, 0}, b{0, 0, 0}, c{std::cos(radians), std::sin(radians), 0};
  EXPECT_EQ(std::acos(dot(a - b, c - b)), 0.0);
  EXPECT_NEAR(corner_angle(a, b, c), radians * corner_degrees_per_radian,
              1e-14 * radians * corner_degrees_per_radian);
}

// Twice the area from the sum of cross products of position vectors.
double position_vector_area(const Vector3 &a, const Vector3 &b, const Vector3 &c) {
  return 0.5 * norm(cross(a, b) + cross(b, c) + cross(c, a));
}
// Twice the area from the sides at the first corner, whatever the shape.
double first_corner_area(const Vector3 &a, const Vector3 &b, const Vector3 &c) {
  return 0.5 * norm(cross(b - a, c - a));
}

TEST(Geometry, TriangleAreaFarFromTheOriginKeepsItsPrecision) {
  const double far = 1e8;
  const Vector3 a{far, far, far}, b{far + 1, far, far}, c{far, far + 1, far};
  EXPECT_EQ(triangle_area(a, b, c), 0.5);
  // Position vectors of size 1e8 make products of 1e16 that cancel to 1.
  EXPECT_GT(std::fabs(position_vector_area(a, b, c) - 0.5), 0.1);
}

#ifdef __SIZEOF_FLOAT128__
// The area computed in quadruple precision from the same double corners.
double reference_area(const Vector3 &a, const Vector3 &b, const Vector3 &c) {
  using Quad = __float128;
  const Quad ux = Quad(b.x) - a.x, uy = Quad(b.y) - a.y, uz = Quad(b.z) - a.z;
  const Quad vx = Quad(c.x) - a.x, vy = Quad(c.y) - a.y, vz = Quad(c.z) - a.z;
  const Quad nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
  const Quad squared = nx * nx + ny * ny + nz * nz;
  Quad root = std::sqrt(double(squared));
  root = (root + squared / root) / 2;  // one Newton step to quadruple precision
  return double(root / 2);
}

TEST(Geometry, TriangleAreaTakesTheSidesAtTheCornerOppositeTheLongestSide) {
  // Needles with a short side b-c: the corner at a is tiny, so the sides
  // from a cancel in the cross product; the sides at b or c do not.
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> unit(-1, 1);
  double worst_stable = 0, worst_first_corner = 0;
  for (int k = 0; k < 2000; ++k) {
    const Vector3 a{unit(random), unit(random), unit(random)};
    const Vector3 b = a + Vector3{unit(random), unit(random), unit(random)};
    const Vector3 c = b + Vector3{1e-7 * unit(random), 1e-7 * unit(random), 1e-7 * unit(random)};
    const double exact = reference_area(a, b, c);
    worst_stable = std::max(worst_stable, std::fabs(triangle_area(a, b, c) - exact) / exact);
    worst_first_corner =
        std::max(worst_first_corner, std::fabs(first_corner_area(a, b, c) - exact) / exact);
  }
  EXPECT_LT(worst_stable, 1e-12);
  EXPECT_GT(worst_first_corner, 1e-9);
}
#endif

TEST(Geometry, TetrahedronMeasuresFarFromTheOriginKeepTheirPrecision) {
  const double far = 1e6, s3 = std::sqrt(3.0);
  const Vector3 regular[4] = {{far, far, far},
                              {far + 1, far, far},
                              {far + 0.5, far + s3 / 2, far},
                              {far + 0.5, far + s3 / 6, far + std::sqrt(2.0 / 3.0)}};
  EXPECT_NEAR(gridlume::measures::tetrahedron_aspect_ratio(regular), 1.0, 1e-9);
  EXPECT_NEAR(gridlume::measures::tetrahedron_shape_factor(regular), 1.0, 1e-9);
  // The same sum of face areas from position vectors is off in the fourth
  // digit.
  double position_sum = 0, stable_sum = 0;
  for (const auto &face : gridlume::topology::tetrahedron_faces) {
    position_sum += position_vector_area(regular[face[0]], regular[face[1]], regular[face[2]]);
    stable_sum += triangle_area(regular[face[0]], regular[face[1]], regular[face[2]]);
  }
  EXPECT_NEAR(stable_sum, s3, 1e-9);
  EXPECT_GT(std::fabs(position_sum - s3), 1e-6);
}

TEST(Geometry, SkewKernelsClampAndPlanarityScoresSplits) {
  // A flat triangle has angles 0, 0, 180: skew 1 after the clamp.
  EXPECT_EQ(triangle_equiangle_skew({0, 0, 0}, {1, 0, 0}, {2, 0, 0}), 1.0);
  EXPECT_NEAR(quadrangle_equiangle_skew({0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}), 0.0, 1e-12);
  EXPECT_NEAR(quadrangle_planarity({0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}), 1.0, 1e-12);
  // Folding a square along its diagonal a-c by 90 degrees: split a-c scores
  // (1 + cos 90) / 2.
  const double folded =
      quadrangle_planarity({0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0.5, 0.5, std::sqrt(0.5)});
  EXPECT_LE(folded, 0.5 + 1e-12);
  EXPECT_GT(folded, 0.0);
}

}  // namespace
