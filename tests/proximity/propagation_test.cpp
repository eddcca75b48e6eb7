// The distances the fronts find, on cases checked by hand: parallel walls,
// a circle inside a square, corners, and what must give no distance.
#include "proximity/propagation.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "band_mesh.hpp"
#include "support/test_helpers.hpp"

namespace {

using gridlume::proximity::PropagationSummary;
using gridlume::proximity::ProximityMesh;
using gridlume::proximity::ReadResult;
using gridlume::proximity::VertexProximity;
using namespace gridlume_test;

constexpr double unlimited = 1e30;

struct Computed {
  ReadResult read;
  VertexProximity proximity;
  PropagationSummary summary;
};

Computed compute(gridlume_mesh *mesh, double threshold = unlimited) {
  Computed computed;
  ProximityMesh tables;
  computed.read = gridlume::proximity::read_proximity_mesh(mesh, tables);
  if (computed.read == ReadResult::ok)
    computed.summary =
        gridlume::proximity::compute_vertex_proximity(tables, threshold, computed.proximity);
  return computed;
}

double angle_to_axis(const gridlume::proximity::Vector3 &direction, int axis) {
  const double components[3] = {direction.x, direction.y, direction.z};
  const double length = std::sqrt(components[0] * components[0] + components[1] * components[1] +
                                  components[2] * components[2]);
  return std::acos(std::min(1.0, std::abs(components[axis]) / length));
}

// Strips of walls y = 0 and y = width, possibly closed at their ends or
// cut by a marked line: every vertex gets the distance between the nearest
// walls facing each other, across the strip.
TEST(ProximityPropagation, EveryVertexBetweenFacingWallsGetsTheirDistanceAcross) {
  const struct {
    const char *what;
    int columns, rows;
    double length, width;
    bool ends;       // the ends are walls too
    int marked_row;  // a marked line inside, or 0
    double distance, tolerance;
    int axis;
  } strips[] = {
      {"long strip", 41, 10, 4.0, 1.0, false, 0, 1.0, 0.05, 1},
      {"wide strip", 11, 40, 1.0, 4.0, false, 0, 4.0, 0.2, 1},
      {"thin strip", 101, 3, 10.0, 0.3, false, 0, 0.3, 0.015, 1},
      {"coarse strip", 30, 25, 2.0, 2.5, false, 0, 2.5, 0.125, 1},
      // Walls 2 apart along y and 1.5 apart along x: the corners too, where
      // two walls meet at right angles, get the narrower width.
      {"closed rectangle", 4, 2, 1.5, 2.0, true, 0, 1.5, 1e-12, 0},
      {"finer closed rectangle", 13, 16, 1.5, 2.0, true, 0, 1.5, 1e-12, 0},
      {"marked line at y = 1, a wall on both sides", 21, 8, 4.0, 2.0, false, 4, 1.0, 1e-12, 1},
  };
  for (const auto &shape : strips) {
    SCOPED_TRACE(shape.what);
    Context context;
    Band band = strip(shape.columns, shape.rows, shape.length, shape.width);
    band.mark_ends = shape.ends;
    if (shape.marked_row != 0) band.marked_rows = {shape.marked_row};
    const Computed computed = compute(band.make(context));
    ASSERT_EQ(computed.read, ReadResult::ok);
    // The fronts stop at a pass that moves nothing, well before the limit.
    EXPECT_GT(computed.summary.passes, 1);
    EXPECT_LT(computed.summary.passes, 25);
    const double angle = shape.tolerance < 1e-9 ? 1e-12 : 0.05;
    for (int v = 1; v <= band.vertex_count(); ++v) {
      EXPECT_NEAR(computed.proximity.distances[v - 1], shape.distance, shape.tolerance)
          << "vertex " << v;
      EXPECT_LT(angle_to_axis(computed.proximity.directions[v - 1], shape.axis), angle)
          << "vertex " << v;
    }
  }
}

TEST(ProximityPropagation, VerticesNearACircleGetTheirDistanceToTheSquare) {
  const double radius = 0.4;
  Context context;
  const Band band = circle_in_square(128, 24, radius);
  const Computed computed = compute(band.make(context));
  ASSERT_EQ(computed.read, ReadResult::ok);
  for (int j = 0; j <= 1; ++j)
    for (int i = 0; i < band.columns(); ++i) {
      const Point p = band.point(i, j);
      const double to_square = std::min(1.0 - std::abs(p[0]), 1.0 - std::abs(p[1]));
      const double found = computed.proximity.distances[band.vertex(i, j) - 1];
      SCOPED_TRACE(testing::Message() << "ring " << j << ", point " << i);
      EXPECT_NEAR(found, to_square, 0.05 * to_square);
    }
}

TEST(ProximityPropagation, BetweenTwoCirclesEveryVertexGetsTheGapAcrossTheRing) {
  // The outer wall is concave as seen from the ring: the nearest point of a
  // vertex on it is found by walking along it from the front's segment.
  Context context;
  const Band band = ring(96, 8, 0.5, 1.0);
  const Computed computed = compute(band.make(context));
  for (int j = 0; j <= band.rows; ++j)
    for (int i = 0; i < band.columns(); ++i) {
      const int v = band.vertex(i, j);
      SCOPED_TRACE(testing::Message() << "ring " << j << ", point " << i);
      EXPECT_NEAR(computed.proximity.distances[v - 1], 0.5, 0.025);
      const Point p = band.point(i, j);
      const gridlume::proximity::Vector3 &d = computed.proximity.directions[v - 1];
      const double cosine =
          std::abs(d.x * p[0] + d.y * p[1]) / (std::hypot(d.x, d.y) * std::hypot(p[0], p[1]));
      EXPECT_GT(cosine, std::cos(0.05));
    }
}

TEST(ProximityPropagation, ASquareOrACircleAloneMakesNoProximityAcrossTheBand) {
  Context context;
  Band band = circle_in_square(64, 12, 0.5);
  // Only the square marked: its sides meet at right angles and never face
  // across the band near a corner, and opposite sides are 2 apart.
  band.mark_inner = false;
  Computed computed = compute(band.make(context));
  for (int i = 0; i < band.columns(); ++i) {
    const double found = computed.proximity.distances[band.vertex(i, band.rows) - 1];
    if (found != -1.0) {
      EXPECT_GT(found, 1.9) << "square point " << i;
    }
  }
  // Only the circle marked: its fronts leave it outward, and distances are
  // measured across the triangles, never through the hole.
  band.mark_inner = true;
  band.mark_outer = false;
  computed = compute(band.make(context));
  EXPECT_GT(computed.summary.passes, 1);
  for (double distance : computed.proximity.distances) EXPECT_EQ(distance, -1.0);
}

TEST(ProximityPropagation, ASingleWallOrWallsFartherApartThanTheThresholdGiveNoDistance) {
  Context context;
  Band band = strip(21, 6, 2.0, 1.0);
  gridlume_mesh *mesh = band.make(context);
  for (double distance : compute(mesh, 0.9).proximity.distances) EXPECT_EQ(distance, -1.0);
  for (double distance : compute(mesh, 1.1).proximity.distances) EXPECT_NEAR(distance, 1.0, 0.05);
  band.mark_outer = false;
  for (double distance : compute(band.make(context)).proximity.distances)
    EXPECT_EQ(distance, -1.0);
}

TEST(ProximityPropagation, AMeshWithoutEdgesHasNoDistanceAndReadsNoCoordinates) {
  Context context;
  Band band = strip(5, 2, 1.0, 1.0);
  band.mark_inner = band.mark_outer = false;
  gridlume_mesh *mesh = band.make(context);
  gridlume_mesh_set_get_vertex_coordinates(
      mesh, [](int, double *, void *) { return -1; }, nullptr);
  const Computed computed = compute(mesh);
  ASSERT_EQ(computed.read, ReadResult::ok);
  EXPECT_EQ(computed.summary.passes, 0);
  EXPECT_EQ(computed.proximity.distances.size(), std::size_t(band.vertex_count()));
  for (double distance : computed.proximity.distances) EXPECT_EQ(distance, -1.0);
}

TEST(ProximityPropagation, PropagationStopsAtThePassLimit) {
  // 2 x 101 vertices, so at most max(202 / 100, 25) = 25 passes; with the
  // triangles numbered at random a front moves a few triangles per pass and
  // the 200 triangles between the walls take more than 25.
  Context context;
  Band band = strip(2, 100, 0.1, 10.0);
  band.shuffle_seed = 17;
  const Computed computed = compute(band.make(context));
  EXPECT_EQ(computed.summary.passes, 25);
  const auto found =
      std::count_if(computed.proximity.distances.begin(), computed.proximity.distances.end(),
                    [](double d) { return d != -1.0; });
  EXPECT_LT(found, band.vertex_count());
  // The same band numbered in order is crossed in a few passes.
  band.shuffle_seed = 0;
  const Computed ordered = compute(band.make(context));
  EXPECT_LT(ordered.summary.passes, 25);
  for (double distance : ordered.proximity.distances) EXPECT_NEAR(distance, 10.0, 1e-9);
}

}  // namespace
