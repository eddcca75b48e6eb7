// The exact predicates and the constrained triangulation behind the face
// domain test: signs that match exact integer arithmetic on nearly
// degenerate input, triangulations that stay valid and Delaunay, segments
// that are recovered or refused when they cross.
#include "cad/triangulation.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "cad/exact_predicates.hpp"

namespace {

using gridlume::Triangulation;
using Int = __int128;

int sign(double value) { return (value > 0) - (value < 0); }
int sign(Int value) { return (value > 0) - (value < 0); }

Int orient_exact(const Int *a, const Int *b, const Int *c) {
  return (a[0] - c[0]) * (b[1] - c[1]) - (a[1] - c[1]) * (b[0] - c[0]);
}

Int incircle_exact(const Int *a, const Int *b, const Int *c, const Int *d) {
  Int adx = a[0] - d[0], ady = a[1] - d[1], bdx = b[0] - d[0], bdy = b[1] - d[1], cdx = c[0] - d[0],
      cdy = c[1] - d[1];
  return (adx * adx + ady * ady) * (bdx * cdy - cdx * bdy) +
         (bdx * bdx + bdy * bdy) * (cdx * ady - adx * cdy) +
         (cdx * cdx + cdy * cdy) * (adx * bdy - bdx * ady);
}

// Every triangle counter-clockwise, every neighbour link answered.
void expect_valid(const Triangulation &triangulation) {
  for (std::int32_t t = 0; t < triangulation.triangle_count(); ++t) {
    const auto &triangle = triangulation.triangle(t);
    ASSERT_GT(gridlume::orient2d(triangulation.point(triangle.vertex[0]),
                                 triangulation.point(triangle.vertex[1]),
                                 triangulation.point(triangle.vertex[2])),
              0)
        << "triangle " << t;
    for (int k = 0; k < 3; ++k) {
      std::int32_t u = triangle.neighbor[k];
      if (u < 0) continue;
      const auto &other = triangulation.triangle(u);
      int back = 0;
      for (int j = 0; j < 3; ++j) back += other.neighbor[j] == t;
      ASSERT_EQ(back, 1) << "triangle " << t << " side " << k;
    }
  }
}

void expect_delaunay(const Triangulation &triangulation) {
  for (std::int32_t t = 0; t < triangulation.triangle_count(); ++t) {
    const auto &triangle = triangulation.triangle(t);
    for (int k = 0; k < 3; ++k) {
      std::int32_t u = triangle.neighbor[k];
      if (u < 0) continue;
      const auto &other = triangulation.triangle(u);
      for (int j = 0; j < 3; ++j)
        if (other.neighbor[j] == t) {
          EXPECT_LE(gridlume::incircle(triangulation.point(triangle.vertex[0]),
                                       triangulation.point(triangle.vertex[1]),
                                       triangulation.point(triangle.vertex[2]),
                                       triangulation.point(other.vertex[j])),
                    0);
        }
    }
  }
}

struct Box : ::testing::Test {
  Triangulation triangulation;
  void SetUp() override {
    const double lower[2] = {-1, -1}, upper[2] = {2, 2};
    ASSERT_EQ(triangulation.create_box(lower, upper, 16), 0);
  }
  std::int32_t insert(double x, double y) {
    const double xy[2] = {x, y};
    std::int32_t vertex = -1;
    EXPECT_EQ(triangulation.insert_point(xy, vertex), 0);
    return vertex;
  }
};

}  // namespace

TEST(ExactPredicates, OrientationMatchesIntegersOnANearlyCollinearGrid) {
  // Points 0.5 + i ulp around the line y = x: floating evaluation gets many
  // of these wrong; the signs must match the exact integer determinant.
  const double ulp = std::ldexp(1.0, -53);
  const Int scale = Int(1) << 53;
  const double b[2] = {12, 12}, c[2] = {24, 24};
  const Int bi[2] = {12 * scale, 12 * scale}, ci[2] = {24 * scale, 24 * scale};
  int mismatches = 0;
  for (int i = 0; i < 64; ++i)
    for (int j = 0; j < 64; ++j) {
      const double a[2] = {0.5 + i * ulp, 0.5 + j * ulp};
      const Int ai[2] = {scale / 2 + i, scale / 2 + j};
      mismatches += sign(gridlume::orient2d(a, b, c)) != sign(orient_exact(ai, bi, ci));
    }
  EXPECT_EQ(mismatches, 0);
}

TEST(ExactPredicates, InCircleMatchesIntegersNearACircle) {
  std::mt19937_64 random(7);
  const std::int64_t base = std::int64_t(1) << 26;
  int mismatches = 0, zeros = 0;
  for (int trial = 0; trial < 20000; ++trial) {
    // Far from the origin and close together, so that the lifted terms cancel.
    std::int64_t coordinates[8];
    for (auto &value : coordinates) value = base + static_cast<std::int64_t>(random() % 5);
    // Three corners of a square and a fourth near the last corner.
    coordinates[0] = base, coordinates[1] = base;
    coordinates[2] = base + 4, coordinates[3] = base;
    coordinates[4] = base + 4, coordinates[5] = base + 4;
    const double a[2] = {double(coordinates[0]), double(coordinates[1])};
    const double b[2] = {double(coordinates[2]), double(coordinates[3])};
    const double c[2] = {double(coordinates[4]), double(coordinates[5])};
    const double d[2] = {double(coordinates[6]), double(coordinates[7])};
    const Int ai[2] = {coordinates[0], coordinates[1]}, bi[2] = {coordinates[2], coordinates[3]},
              ci[2] = {coordinates[4], coordinates[5]}, di[2] = {coordinates[6], coordinates[7]};
    Int exact = incircle_exact(ai, bi, ci, di);
    zeros += exact == 0;
    mismatches += sign(gridlume::incircle(a, b, c, d)) != sign(exact);
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_GT(zeros, 0);  // cocircular cases were met
}

TEST(ExactPredicates, InCircleOfTinyPerturbationsOfACircle) {
  const double a[2] = {1, 0}, b[2] = {0, 1}, c[2] = {-1, 0};
  const double on[2] = {0, -1};
  EXPECT_EQ(gridlume::incircle(a, b, c, on), 0);
  const double in[2] = {0, std::nextafter(-1.0, 0.0)};
  const double out[2] = {0, std::nextafter(-1.0, -2.0)};
  EXPECT_GT(gridlume::incircle(a, b, c, in), 0);
  EXPECT_LT(gridlume::incircle(a, b, c, out), 0);
}

TEST_F(Box, RandomPointsGiveAValidDelaunayTriangulation) {
  std::mt19937 random(3);
  std::uniform_real_distribution<double> unit(0, 1);
  for (int k = 0; k < 500; ++k) insert(unit(random), unit(random));
  EXPECT_EQ(triangulation.vertex_count(), 504);
  expect_valid(triangulation);
  expect_delaunay(triangulation);
}

TEST_F(Box, NearlyCollinearPointsAreAllKept) {
  // Points one ulp off a line with an irrational slope, and exact repeats.
  for (int k = 1; k <= 300; ++k) {
    double x = k / 300.0;
    double y = std::nextafter(x * 0.7071067811865476, k % 2 ? 1.0 : -1.0);
    insert(x, y);
  }
  const std::int32_t first = insert(0, 0);
  EXPECT_EQ(insert(0, 0), first);
  EXPECT_EQ(triangulation.vertex_count(), 4 + 300 + 1);
  expect_valid(triangulation);
  expect_delaunay(triangulation);
}

TEST_F(Box, PointsOnSidesAndOnTheBoxBorder) {
  insert(0, 0);
  insert(1, 1);
  insert(0.5, 0.5);  // on the side between the first two
  insert(0.25, 0.25);
  const double border[2] = {-1, 0.5};
  std::int32_t vertex;
  EXPECT_EQ(triangulation.insert_point(border, vertex), -1);
  expect_valid(triangulation);
}

TEST_F(Box, SegmentsAreRecoveredThroughManyPointsAndSplitAtCollinearOnes) {
  std::mt19937 random(11);
  std::uniform_real_distribution<double> unit(0, 1);
  for (int k = 0; k < 400; ++k) insert(unit(random), unit(random));
  std::int32_t a = insert(0.001, 0.5), b = insert(0.999, 0.5003);
  std::int32_t middle = insert(0.5, 0.50015);  // exactly on the segment? not necessarily
  ASSERT_EQ(triangulation.insert_segment(a, b), 0);
  expect_valid(triangulation);
  EXPECT_TRUE(triangulation.has_segment(a, b) ||
              (triangulation.has_segment(a, middle) && triangulation.has_segment(middle, b)));
  // A vertical segment through the same region crosses it.
  std::int32_t c = insert(0.4, 0.01), d = insert(0.41, 0.99);
  EXPECT_EQ(triangulation.insert_segment(c, d), -1);
}

TEST_F(Box, CollinearVerticesSplitASegment) {
  std::int32_t a = insert(0.1, 0.1), m = insert(0.5, 0.5), b = insert(0.9, 0.9);
  insert(0.3, 0.31);
  insert(0.7, 0.69);
  ASSERT_EQ(triangulation.insert_segment(a, b), 0);
  EXPECT_TRUE(triangulation.has_segment(a, m));
  EXPECT_TRUE(triangulation.has_segment(m, b));
}

TEST_F(Box, GridPointsWithNestedRectanglesAreClassifiedExactly) {
  // Every point of a 31 x 31 grid (all collinear and cocircular in many
  // ways) and three nested rectangles along grid lines, the middle one
  // reversed: the ring between the outer two and the inside of the inner
  // one are the domain.
  const int n = 31;
  std::vector<std::int32_t> vertex(n * n);
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) vertex[j * n + i] = insert(i / 30.0, j / 30.0);
  expect_delaunay(triangulation);
  const int rectangles[3][4] = {{2, 2, 28, 27}, {6, 5, 24, 22}, {10, 11, 15, 16}};
  for (int r = 0; r < 3; ++r) {
    const int *box = rectangles[r];
    std::int32_t corner[4] = {vertex[box[1] * n + box[0]], vertex[box[1] * n + box[2]],
                              vertex[box[3] * n + box[2]], vertex[box[3] * n + box[0]]};
    for (int k = 0; k < 4; ++k) {
      int from = r == 1 ? (4 - k) % 4 : k, to = r == 1 ? (3 - k) % 4 : (k + 1) % 4;
      ASSERT_EQ(triangulation.insert_segment(corner[from], corner[to]), 0) << r << k;
    }
  }
  expect_valid(triangulation);
  ASSERT_EQ(triangulation.classify(), 0);
  ASSERT_EQ(triangulation.build_locator(), 0);
  auto within = [](const int *box, double x, double y) {
    return x > box[0] && x < box[2] && y > box[1] && y < box[3];
  };
  int wrong = 0;
  for (int j = 0; j < 4 * n; ++j)
    for (int i = 0; i < 4 * n; ++i) {
      double x = (i + 0.37) / 4, y = (j + 0.61) / 4;  // in grid units, off the grid lines
      bool expected = (within(rectangles[0], x, y) && !within(rectangles[1], x, y)) ||
                      within(rectangles[2], x, y);
      const double xy[2] = {x / 30, y / 30};
      wrong += triangulation.inside(xy) != expected;
    }
  EXPECT_EQ(wrong, 0);
}
