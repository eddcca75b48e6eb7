// The distances fronts are measured with: point to segment, segment to
// segment, in the plane and in space.
#include "proximity/segment_distance.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using gridlume::proximity::nearest_point;
using gridlume::proximity::point_segment_distance;
using gridlume::proximity::Segment;
using gridlume::proximity::segment_distance;
using gridlume::proximity::Vector3;

TEST(ProximityDistances, APointIsMeasuredToTheSegmentNotToItsLine) {
  const Segment s{{0, 0, 0}, {2, 0, 0}};
  EXPECT_DOUBLE_EQ(point_segment_distance({1, 3, 0}, s), 3.0);    // above the inside
  EXPECT_DOUBLE_EQ(point_segment_distance({5, 4, 0}, s), 5.0);    // past the end
  EXPECT_DOUBLE_EQ(point_segment_distance({-3, -4, 0}, s), 5.0);  // before the start
  EXPECT_DOUBLE_EQ(point_segment_distance({1, 0, 0}, s), 0.0);
  const Vector3 foot = nearest_point(s, {0.5, -1, 7});
  EXPECT_EQ(foot.x, 0.5);
  EXPECT_EQ(foot.y, 0.0);
  EXPECT_EQ(foot.z, 0.0);
}

TEST(ProximityDistances, ASegmentOfZeroLengthIsItsPoint) {
  const Segment point{{1, 1, 1}, {1, 1, 1}};
  EXPECT_DOUBLE_EQ(point_segment_distance({1, 1, 4}, point), 3.0);
  EXPECT_DOUBLE_EQ(segment_distance(point, {{0, 0, 0}, {2, 0, 0}}), std::sqrt(2.0));
  EXPECT_DOUBLE_EQ(segment_distance(point, point), 0.0);
}

TEST(ProximityDistances, SegmentsAreMeasuredBetweenTheirNearestPoints) {
  const Segment base{{0, 0, 0}, {4, 0, 0}};
  // Parallel and facing: the gap between them.
  EXPECT_DOUBLE_EQ(segment_distance(base, {{1, 2, 0}, {3, 2, 0}}), 2.0);
  // Parallel and shifted past an end: end to end.
  EXPECT_DOUBLE_EQ(segment_distance(base, {{7, 4, 0}, {9, 4, 0}}), 5.0);
  // Collinear and apart.
  EXPECT_DOUBLE_EQ(segment_distance(base, {{6, 0, 0}, {8, 0, 0}}), 2.0);
  // Crossing in the plane.
  EXPECT_DOUBLE_EQ(segment_distance(base, {{2, -1, 0}, {2, 1, 0}}), 0.0);
  // An end touching the other segment.
  EXPECT_DOUBLE_EQ(segment_distance(base, {{2, 0, 0}, {2, 5, 0}}), 0.0);
  // Skew in space, nearest points inside both: the gap along z.
  EXPECT_DOUBLE_EQ(segment_distance(base, {{2, -1, 3}, {2, 1, 3}}), 3.0);
  // Skew, nearest points at an end of one.
  EXPECT_DOUBLE_EQ(segment_distance(base, {{5, -1, 3}, {5, 1, 3}}), std::sqrt(10.0));
}

TEST(ProximityDistances, TheDistanceIsSymmetric) {
  const Segment a{{0.3, 1.7, -2}, {4.1, -0.2, 0.5}}, b{{-1, 2, 3}, {2.5, 2.5, -1}};
  EXPECT_DOUBLE_EQ(segment_distance(a, b), segment_distance(b, a));
  EXPECT_DOUBLE_EQ(segment_distance(a, b), segment_distance({a.end, a.start}, {b.end, b.start}));
}

}  // namespace
