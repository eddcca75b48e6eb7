// The size and metric a vertex gets from its distance and direction.
#include "proximity/size_output.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <utility>

namespace {

using gridlume::proximity::anisotropic_metric;
using gridlume::proximity::isotropic_size;
using gridlume::proximity::SizeRule;
using gridlume::proximity::Vector3;
using Metric = std::array<double, 6>;

constexpr SizeRule rule{2.0, 5.0, 1e-8};  // scale, default size, tolerance

// M v with M stored as xx, xy, yy, xz, yz, zz.
Vector3 apply(const Metric &m, const Vector3 &v) {
  return {m[0] * v.x + m[1] * v.y + m[3] * v.z, m[1] * v.x + m[2] * v.y + m[4] * v.z,
          m[3] * v.x + m[4] * v.y + m[5] * v.z};
}

void expect_eigenvector(const Metric &m, const Vector3 &v, double eigenvalue) {
  const Vector3 image = apply(m, v);
  EXPECT_NEAR(image.x, eigenvalue * v.x, 1e-14);
  EXPECT_NEAR(image.y, eigenvalue * v.y, 1e-14);
  EXPECT_NEAR(image.z, eigenvalue * v.z, 1e-14);
}

TEST(ProximitySizes, IsotropicSizeIsTheScaledDistanceUnlessBelowTheTolerance) {
  EXPECT_EQ(isotropic_size(rule, 0.75), 1.5);
  EXPECT_EQ(isotropic_size(rule, -1.0), 5.0);     // no proximity
  EXPECT_EQ(isotropic_size(rule, 4e-9), 5.0);     // 8e-9 is below the tolerance
  EXPECT_EQ(isotropic_size(rule, 5e-9), 1e-8);    // at the tolerance it counts
  EXPECT_EQ(isotropic_size(rule, 100.0), 200.0);  // no upper bound
}

TEST(ProximitySizes, ComponentsComeInTheOrderXxXyYyXzYzZz) {
  // Along (3, 4, 0) / 5, h = 1: M = n n^T + (I - n n^T) / 25.
  const Metric m = anisotropic_metric(rule, 0.5, {3, 4, 0});
  const double k = 1 - 1 / 25.0;
  const Metric expected = {0.36 * k + 0.04, 0.48 * k, 0.64 * k + 0.04, 0, 0, 0.04};
  for (int c = 0; c < 6; ++c) EXPECT_NEAR(m[c], expected[c], 1e-15) << "component " << c;
}

TEST(ProximitySizes, EveryBranchOfTheFrameGivesTheSameEigenstructure) {
  // Directions whose first non-negligible component is x, y, then z.
  const Vector3 directions[] = {{1, 2, 3}, {-2, 0.5, 0.1}, {0, -1, 1}, {0, 2, 0}, {0, 0, -7}};
  for (const Vector3 &d : directions) {
    SCOPED_TRACE(testing::Message() << d.x << ", " << d.y << ", " << d.z);
    const Metric m = anisotropic_metric(rule, 0.1, d);
    const double length = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    const Vector3 n{d.x / length, d.y / length, d.z / length};
    expect_eigenvector(m, n, 1 / (0.2 * 0.2));
    // Any vector orthogonal to n gets the default size.
    const Vector3 helper = std::abs(n.x) < 0.9 ? Vector3{1, 0, 0} : Vector3{0, 1, 0};
    const Vector3 t = gridlume::geometry::cross(n, helper);
    expect_eigenvector(m, t, 1 / 25.0);
    expect_eigenvector(m, gridlume::geometry::cross(n, t), 1 / 25.0);
  }
}

TEST(ProximitySizes, NoProximityOrANegligibleDirectionGivesTheIsotropicMetricOfTheDefaultSize) {
  const Metric expected = {1 / 25.0, 0, 1 / 25.0, 0, 0, 1 / 25.0};
  const std::pair<double, Vector3> cases[] = {
      {0.3, {0, 0, 0}}, {0.3, {1e-9, 0, 0}}, {0.3, {0, -5e-9, 5e-9}}, {-1.0, {1, 0, 0}}};
  for (const auto &[distance, direction] : cases) {
    const Metric m = anisotropic_metric(rule, distance, direction);
    for (int c = 0; c < 6; ++c) EXPECT_NEAR(m[c], expected[c], 1e-17);
  }
}

}  // namespace
