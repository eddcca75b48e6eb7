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
  // A segment of zero length is its point.
  EXPECT_DOUBLE_EQ(point_segment_distance({1, 1, 4}, {{1, 1, 1}, {1, 1, 1}}), 3.0);
  const Vector3 foot = nearest_point(s, {0.5, -1, 7});
  EXPECT_EQ(foot.x, 0.5);
  EXPECT_EQ(foot.y, 0.0);
  EXPECT_EQ(foot.z, 0.0);
}

// Both orders of the segments and of their ends give the same distance.
TEST(ProximityDistances, SegmentsAreMeasuredBetweenTheirNearestPointsInAnyOrder) {
  const Segment base{{0, 0, 0}, {4, 0, 0}}, point{{1, 1, 1}, {1, 1, 1}};
  const struct {
    const char *what;
    Segment a, b;
    double distance;
  } cases[] = {
      {"parallel and facing", base, {{1, 2, 0}, {3, 2, 0}}, 2.0},
      {"parallel, shifted past an end", base, {{7, 4, 0}, {9, 4, 0}}, 5.0},
      {"collinear and apart", base, {{6, 0, 0}, {8, 0, 0}}, 2.0},
      {"crossing in the plane", base, {{2, -1, 0}, {2, 1, 0}}, 0.0},
      {"an end touching the other", base, {{2, 0, 0}, {2, 5, 0}}, 0.0},
      {"skew, nearest points inside both", base, {{2, -1, 3}, {2, 1, 3}}, 3.0},
      {"skew, nearest point at an end of one", base, {{5, -1, 3}, {5, 1, 3}}, std::sqrt(10.0)},
      {"a zero-length segment", point, {{0, 0, 0}, {2, 0, 0}}, std::sqrt(2.0)},
      {"two zero-length segments", point, point, 0.0},
      {"skew, in general position", {{0.3, 1.7, -2}, {4.1, -0.2, 0.5}},
       {{-1, 2, 3}, {2.5, 2.5, -1}}, -1},  // only the symmetry is checked
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    const double distance = segment_distance(c.a, c.b);
    if (c.distance >= 0) {
      EXPECT_DOUBLE_EQ(distance, c.distance);
    }
    EXPECT_DOUBLE_EQ(segment_distance(c.b, c.a), distance);
    EXPECT_DOUBLE_EQ(segment_distance({c.a.end, c.a.start}, {c.b.end, c.b.start}), distance);
  }
}

}  // namespace
