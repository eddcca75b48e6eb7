// The parametric domain of a face: clamping into its range, and the domain
// test on squares, holes in either orientation, slits, faces with hundreds
// of edges and thousands of support vertices, and boundaries it must refuse.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "cad/cad_fixtures.hpp"
#include "cad/objects.hpp"
#include "gridlume/cad_domain.h"
#include "support/message_capture.hpp"

using namespace gridlume_test;
using namespace cad_test;

namespace {

constexpr double pi = 3.14159265358979323846;

struct FaceDomain : ::testing::Test {
  Context context;
  MessageCapture messages;
  gridlume_cad *cad = gridlume_cad_new(context);
  void SetUp() override { messages.install(context); }
  gridlume_cad_face *face = gridlume_cad_face_new(cad, 1, quadratic_surface, nullptr);
  int next_id = 1;

  // A polyline edge through the uv points, its ends numbered first and last.
  gridlume_cad_edge *polyline(const std::vector<double> &uv, int first = 0, int last = 0) {
    std::vector<double> xyz(uv.size() / 2 * 3, 0.0);
    gridlume_cad_edge *edge =
        gridlume_cad_edge_new_newton1(face, next_id++, int(uv.size() / 2), uv.data(), xyz.data());
    EXPECT_NE(edge, nullptr);
    gridlume_cad_edge_set_uv_extremities(edge, first, last);
    return edge;
  }
  // A closed loop of straight edges through the corners, numbered from `base`.
  void loop(const std::vector<double> &corners, int base) {
    int n = int(corners.size() / 2);
    for (int k = 0; k < n; ++k) {
      int l = (k + 1) % n;
      polyline({corners[2 * k], corners[2 * k + 1], corners[2 * l], corners[2 * l + 1]}, base + k,
               base + l);
    }
  }
  int inside(double u, double v) {
    const double uv[2] = {u, v};
    int answer = -7;
    EXPECT_EQ(gridlume_cad_face_check_uv(face, uv, &answer), 0);
    return answer;
  }
};

}  // namespace

TEST_F(FaceDomain, RangeClampingCountsAndSparesPeriodicDirections) {
  double uv[2] = {1.5, -0.2};
  int count = -1;
  EXPECT_EQ(gridlume_cad_face_check_point_parametric_range(face, uv, &count), 0);
  EXPECT_EQ(count, -1);  // no known range: nothing written
  EXPECT_EQ(uv[0], 1.5);
  const double range[2] = {0, 1};
  gridlume_cad_face_set_surface_parametric_range(face, range, range);
  EXPECT_EQ(gridlume_cad_face_check_point_parametric_range(face, uv, &count), 0);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(uv[0], 1);
  EXPECT_EQ(uv[1], 0);
  gridlume_cad_face_set_surface_periodicity(face, 1, 0, 1, 0);
  double periodic[2] = {1.5, -0.2};
  EXPECT_EQ(gridlume_cad_face_check_point_parametric_range(face, periodic, &count), 0);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(periodic[0], 1.5);
  EXPECT_EQ(periodic[1], 0);
  EXPECT_EQ(gridlume_cad_face_check_point_parametric_range(face, periodic, nullptr), 0);
  EXPECT_EQ(gridlume_cad_face_check_point_parametric_range(nullptr, periodic, &count), -1);
}

TEST_F(FaceDomain, SquareOfSegmentEdgesWithNumberedCorners) {
  const double corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  for (int k = 0; k < 4; ++k) {
    gridlume_cad_edge *edge =
        gridlume_cad_edge_new_segment(face, k + 1, corners[k], corners[(k + 1) % 4]);
    gridlume_cad_edge_set_uv_extremities(edge, k + 1, (k + 1) % 4 + 1);
  }
  EXPECT_EQ(inside(0.5, 0.5), 1);
  EXPECT_EQ(inside(1.5, 0.5), 0);
  EXPECT_EQ(inside(0, 0.5), 1);  // on the boundary
  EXPECT_EQ(inside(1, 1), 1);    // on a corner
  EXPECT_EQ(inside(-0.001, 0.5), 0);
  EXPECT_EQ(inside(100, 100), 0);
  EXPECT_NE(face->domain_structure, nullptr);
  // Later edges do not rebuild the structure.
  loop({0, 0, 2, 0, 2, 1, 0, 1}, 11);
  EXPECT_EQ(inside(1.5, 0.5), 0);
}

TEST_F(FaceDomain, HolesCountWhateverTheOrientationOfEitherLoop) {
  for (int outer_reversed = 0; outer_reversed < 2; ++outer_reversed)
    for (int hole_reversed = 0; hole_reversed < 2; ++hole_reversed) {
      face = gridlume_cad_face_new(cad, 10, quadratic_surface, nullptr);
      std::vector<double> outer = {0, 0, 4, 0, 4, 3, 0, 3};
      std::vector<double> hole = {1, 1, 2, 1, 2, 2, 1, 2};
      auto reverse = [](std::vector<double> &points) {
        for (std::size_t i = 0, j = points.size() - 2; i < j; i += 2, j -= 2) {
          std::swap(points[i], points[j]);
          std::swap(points[i + 1], points[j + 1]);
        }
      };
      if (outer_reversed) reverse(outer);
      if (hole_reversed) reverse(hole);
      loop(outer, 1);
      loop(hole, 11);
      EXPECT_EQ(inside(0.5, 0.5), 1);
      EXPECT_EQ(inside(1.5, 1.5), 0) << outer_reversed << hole_reversed;
      EXPECT_EQ(inside(3.5, 2.5), 1);
      EXPECT_EQ(inside(1, 1.5), 1);  // on the hole's boundary
      EXPECT_EQ(inside(5, 1), 0);
    }
}

TEST_F(FaceDomain, SlitIsInsideOnBothSides) {
  loop({0, 0, 2, 0, 2, 2, 0, 2}, 1);
  // A cut from a corner into the face, traversed both ways.
  polyline({0, 0, 0.5, 0.5, 1, 1}, 1, 20);
  polyline({1, 1, 0.5, 0.5, 0, 0}, 20, 1);
  EXPECT_EQ(inside(0.51, 0.49), 1);
  EXPECT_EQ(inside(0.49, 0.51), 1);
  EXPECT_EQ(inside(0.5, 0.5), 1);
  EXPECT_EQ(inside(1.5, 1.5), 1);
  EXPECT_EQ(inside(2.5, 0.5), 0);
}

TEST_F(FaceDomain, NearlyStraightBoundaryKeepsItsDetail) {
  // A comb of teeth 1e-5 tall along one side: simplification at 1e-3 of the
  // diagonal flattens the teeth, and the domain is still the strip.
  std::vector<double> bottom;
  for (int k = 0; k <= 1000; ++k) {
    bottom.push_back(k / 1000.0);
    bottom.push_back(k % 2 ? 1e-5 : 0);
  }
  polyline(bottom, 1, 2);
  polyline({1, 0, 1, 0.1}, 2, 3);
  polyline({1, 0.1, 0, 0.1}, 3, 4);
  polyline({0, 0.1, 0, 0}, 4, 1);
  EXPECT_EQ(inside(0.5, 0.05), 1);
  EXPECT_EQ(inside(0.5, 0.2), 0);
  EXPECT_EQ(inside(0.5, -0.01), 0);
}

TEST_F(FaceDomain, ThinRingNeedsAFinerToleranceAndGetsIt) {
  // Two circles 1e-4 apart, one closed edge each: simplified at 1e-3 of the
  // diagonal their chords cross; a finer tolerance separates them.
  auto circle = [&](double radius, double phase, int number) {
    std::vector<double> uv;
    for (int i = 0; i <= 2000; ++i) {
      double angle = phase + 2 * pi * i / 2000;
      uv.push_back(0.5 + radius * std::cos(angle));
      uv.push_back(0.5 + radius * std::sin(angle));
    }
    uv[uv.size() - 2] = uv[0], uv[uv.size() - 1] = uv[1];
    polyline(uv, number, number);
  };
  // The phase puts the kept vertices of one circle between those of the other.
  circle(0.5, 0, 1);
  circle(0.4999, 0.05, 2);
  for (int k = 0; k < 64; ++k) {
    double angle = 2 * pi * (k + 0.37) / 64;
    auto at = [&](double r) {
      return inside(0.5 + r * std::cos(angle), 0.5 + r * std::sin(angle));
    };
    EXPECT_EQ(at(0.49995), 1) << k;
    EXPECT_EQ(at(0.45), 0) << k;
    EXPECT_EQ(at(0.55), 0) << k;
  }
}

TEST_F(FaceDomain, EdgesWithoutSupportVerticesFailOnceAndForAll) {
  gridlume_cad_edge_new(face, 1, 0, 1, line_curve, nullptr);
  const double uv[2] = {0.5, 0.5};
  int answer = -7;
  EXPECT_EQ(gridlume_cad_face_check_uv(face, uv, &answer), -1);
  EXPECT_EQ(gridlume_cad_face_check_uv(face, uv, &answer), -1);
  EXPECT_EQ(answer, -7);
  ASSERT_EQ(messages.messages().size(), 1u);  // the later call does not try again
  EXPECT_EQ(messages.messages()[0].code, -5301);
  EXPECT_EQ(messages.messages()[0].sender, "CAD");
  EXPECT_EQ(messages.text(),
            "gridlume_cad_face_check_uv : An edge of face 1 has no support vertices.\n");
  EXPECT_NE(face->flags & gridlume::face_domain_failed_bit, 0);
  EXPECT_EQ(face->domain_structure, nullptr);
}

TEST_F(FaceDomain, FacesWithoutBoundaryOrWithADegenerateOneFail) {
  const double uv[2] = {0.5, 0.5};
  int answer = -7;
  EXPECT_EQ(gridlume_cad_face_check_uv(face, uv, &answer), -1);
  gridlume_cad_face *point_face = gridlume_cad_face_new(cad, 2, quadratic_surface, nullptr);
  std::vector<double> xyz(6, 0.0), same = {0.3, 0.3, 0.3, 0.3};
  gridlume_cad_edge_new_newton1(point_face, 1, 2, same.data(), xyz.data());
  EXPECT_EQ(gridlume_cad_face_check_uv(point_face, uv, &answer), -1);
  EXPECT_EQ(gridlume_cad_face_check_uv(nullptr, uv, &answer), -1);
  EXPECT_EQ(answer, -7);
  EXPECT_EQ(messages.text(),
            "gridlume_cad_face_check_uv : Face 1 has no boundary enclosing a domain.\n"
            "gridlume_cad_face_check_uv : Face 2 has no boundary enclosing a domain.\n");
}

TEST_F(FaceDomain, SelfCrossingBoundaryIsRefused) {
  // A bow tie: its two diagonals cross at (0.5, 0.5).
  loop({0, 0, 1, 1, 1, 0, 0, 1}, 1);
  const double uv[2] = {0.5, 0.25};
  int answer = -7;
  EXPECT_EQ(gridlume_cad_face_check_uv(face, uv, &answer), -1);
  EXPECT_EQ(gridlume_cad_face_check_uv(face, uv, &answer), -1);
  EXPECT_EQ(messages.text(),
            "gridlume_cad_face_check_uv : The boundary of face 1 crosses itself.\n");
  EXPECT_EQ(messages.messages()[0].code, -5303);
}

TEST(FaceDomainAllocation, BuildingAnswersFiveAndLeaksNothing) {
  expect_each_allocation_failure_reported([](gridlume_context *context, AllocationFailure &f) {
    gridlume_cad *cad = gridlume_cad_new(context);
    gridlume_cad_face *face = gridlume_cad_face_new(cad, 1, quadratic_surface, nullptr);
    for (int e = 0; e < 12; ++e) {
      std::vector<double> uv, xyz(3 * 5, 0.0);
      for (int i = 0; i < 5; ++i) {
        double angle = 2 * pi * (e + i / 4.0) / 12;
        uv.push_back(std::cos(angle));
        uv.push_back(std::sin(angle));
      }
      gridlume_cad_edge *edge =
          gridlume_cad_edge_new_newton1(face, e + 1, 5, uv.data(), xyz.data());
      gridlume_cad_edge_set_uv_extremities(edge, e + 1, (e + 1) % 12 + 1);
    }
    const double uv[2] = {0.1, 0.2};
    int answer = 0;
    f.arm();
    int status = gridlume_cad_face_check_uv(face, uv, &answer);
    f.disarm();
    if (status == 0) {
      EXPECT_EQ(answer, 1);
    } else {
      EXPECT_EQ(gridlume_cad_face_check_uv(face, uv, &answer), -1);
    }
    return status;
  });
}

TEST_F(FaceDomain, SpikyStarMatchesRayCastingAwayFromItsBoundary) {
  // 300 edges of 11 support vertices at random radii: spikes the
  // simplification must keep, so the domain is the polygon itself.
  std::mt19937 random(17);
  std::uniform_real_distribution<double> radius(0.2, 0.5);
  const int edges = 300, per_edge = 10;
  std::vector<double> polygon;
  for (int k = 0; k < edges * per_edge; ++k) {
    double angle = 2 * pi * k / (edges * per_edge), r = radius(random);
    polygon.push_back(0.5 + r * std::cos(angle));
    polygon.push_back(0.5 + r * std::sin(angle));
  }
  const int n = int(polygon.size() / 2);
  for (int e = 0; e < edges; ++e) {
    std::vector<double> uv;
    for (int i = 0; i <= per_edge; ++i) {
      int k = (e * per_edge + i) % n;
      uv.push_back(polygon[2 * k]);
      uv.push_back(polygon[2 * k + 1]);
    }
    polyline(uv, e + 1, (e + 1) % edges + 1);
  }
  auto ray_casting = [&](double u, double v) {
    bool in = false;
    for (int k = 0, l = n - 1; k < n; l = k++) {
      double uk = polygon[2 * k], vk = polygon[2 * k + 1], ul = polygon[2 * l],
             vl = polygon[2 * l + 1];
      if ((vk > v) != (vl > v) && u < (ul - uk) * (v - vk) / (vl - vk) + uk) in = !in;
    }
    return in;
  };
  auto distance_to_boundary = [&](double u, double v) {
    double best = 1;
    for (int k = 0, l = n - 1; k < n; l = k++) {
      double ax = polygon[2 * l], ay = polygon[2 * l + 1];
      double dx = polygon[2 * k] - ax, dy = polygon[2 * k + 1] - ay;
      double s = std::clamp(((u - ax) * dx + (v - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
      best = std::min(best, std::hypot(u - ax - s * dx, v - ay - s * dy));
    }
    return best;
  };
  std::uniform_real_distribution<double> unit(0, 1);
  int wrong = 0, checked = 0;
  for (int q = 0; q < 1500; ++q) {
    double u = unit(random), v = unit(random);
    if (distance_to_boundary(u, v) < 2e-3) continue;
    ++checked;
    wrong += inside(u, v) != (ray_casting(u, v) ? 1 : 0);
  }
  EXPECT_GT(checked, 700);
  EXPECT_EQ(wrong, 0);
}
