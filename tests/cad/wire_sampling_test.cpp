// Support vertices of a wire computed by sampling: the 170 samples of a
// straight wire, refinement where the curve bends, shifts around failing
// parameters, reproducibility, and the failing allocator.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "cad/cad_fixtures.hpp"
#include "cad/objects.hpp"

using namespace gridlume_test;
using namespace cad_test;

namespace {

constexpr double pi = 3.14159265358979323846;

// A circle of radius 1 for t in [0, 2 pi], with a counter of calls.
int circle_wire(double t, double *xyz, double *, double *, void *data) {
  if (data != nullptr) ++*static_cast<int *>(data);
  xyz[0] = std::cos(t), xyz[1] = std::sin(t), xyz[2] = 0;
  return 0;
}

// A straight wire that fails on an interval around t = 0.5.
int holed_wire(double t, double *xyz, double *, double *, void *) {
  if (std::fabs(t - 0.5) < 2e-4) return 3;
  xyz[0] = t, xyz[1] = xyz[2] = 0;
  return 0;
}

// A straight wire with a sharp kink at t = 0.3.
int kinked_wire(double t, double *xyz, double *, double *, void *) {
  xyz[0] = t, xyz[1] = std::fabs(t - 0.3), xyz[2] = 0;
  return 0;
}

struct Vertices {
  int count = 0;
  double *t = nullptr, *xyz = nullptr;
};

Vertices support(gridlume_cad_wire *wire) {
  Vertices v;
  EXPECT_EQ(gridlume_cad_wire_get_support_vertices(wire, &v.count, &v.t, &v.xyz), 0);
  return v;
}

void expect_increasing_from_tmin_to_tmax(const Vertices &v, double tmin, double tmax) {
  ASSERT_GE(v.count, 2);
  EXPECT_EQ(v.t[0], tmin);
  EXPECT_EQ(v.t[v.count - 1], tmax);
  for (int i = 1; i < v.count; ++i) ASSERT_LT(v.t[i - 1], v.t[i]) << i;
}

struct WireSampling : ::testing::Test {
  Context context;
  gridlume_cad *cad = gridlume_cad_new(context);
};

}  // namespace

TEST_F(WireSampling, StraightWireKeepsItsSamplesAndAFailingOneNoRecord) {
  gridlume_cad_wire *wire = gridlume_cad_wire_new(cad, 1, 0, 1, straight_wire, nullptr);
  Vertices v = support(wire);
  EXPECT_EQ(v.count, 170);
  expect_increasing_from_tmin_to_tmax(v, 0, 1);
  EXPECT_DOUBLE_EQ(v.t[1], 1.0 / 169);
  EXPECT_EQ(v.xyz[3 * 169 + 2], 3);
  // The record is kept: asking again gives the same arrays.
  Vertices again = support(wire);
  EXPECT_EQ(again.t, v.t);
  // A curve failing everywhere keeps no record until it answers.
  Probe probe;
  probe.status = 6;
  gridlume_cad_wire *failing = gridlume_cad_wire_new(cad, 1, 0, 1, straight_wire, &probe);
  int count = -3;
  EXPECT_EQ(gridlume_cad_wire_get_support_vertices(failing, &count, nullptr, nullptr), 6);
  EXPECT_EQ(probe.calls, 1 + 4);  // the first parameter and its four shifts
  EXPECT_EQ(failing->support_vertices, nullptr);
  probe.status = 0;
  EXPECT_EQ(gridlume_cad_wire_get_support_vertices(failing, &count, nullptr, nullptr), 0);
  EXPECT_EQ(count, 170);
}

TEST_F(WireSampling, BendingWireIsRefinedAndItsPointsLieOnIt) {
  int calls = 0;
  gridlume_cad_wire *wire = gridlume_cad_wire_new(cad, 1, 0, 2 * pi, circle_wire, &calls);
  Vertices v = support(wire);
  EXPECT_GT(v.count, 170);
  expect_increasing_from_tmin_to_tmax(v, 0, 2 * pi);
  for (int i = 0; i < v.count; ++i) {
    EXPECT_NEAR(v.xyz[3 * i], std::cos(v.t[i]), 1e-15);
    EXPECT_NEAR(v.xyz[3 * i + 1], std::sin(v.t[i]), 1e-15);
  }
  // Reproducible: a copy of the same wire in a new cad gives the same points.
  Context other_context;
  gridlume_cad *other = gridlume_cad_new(other_context);
  gridlume_cad_wire *twin = gridlume_cad_wire_new(other, 1, 0, 2 * pi, circle_wire, nullptr);
  Vertices w = support(twin);
  ASSERT_EQ(w.count, v.count);
  for (int i = 0; i < v.count; ++i) EXPECT_EQ(w.t[i], v.t[i]);
}

TEST_F(WireSampling, KinkGetsPointsNearIt) {
  gridlume_cad_wire *wire = gridlume_cad_wire_new(cad, 1, 0, 1, kinked_wire, nullptr);
  Vertices v = support(wire);
  expect_increasing_from_tmin_to_tmax(v, 0, 1);
  double nearest = 1;
  for (int i = 0; i < v.count; ++i) nearest = std::min(nearest, std::fabs(v.t[i] - 0.3));
  EXPECT_LT(nearest, 1.0 / 169 / 2);
}

TEST_F(WireSampling, FailingParametersAreShifted) {
  gridlume_cad_wire *wire = gridlume_cad_wire_new(cad, 1, 0, 1, holed_wire, nullptr);
  Vertices v = support(wire);
  expect_increasing_from_tmin_to_tmax(v, 0, 1);
  for (int i = 0; i < v.count; ++i) EXPECT_GE(std::fabs(v.t[i] - 0.5), 2e-4);
}

TEST(WireSamplingAllocation, SamplingAnswersFiveAndLeaksNothing) {
  expect_each_allocation_failure_reported([](gridlume_context *context, AllocationFailure &f) {
    gridlume_cad *cad = gridlume_cad_new(context);
    gridlume_cad_wire *wire = gridlume_cad_wire_new(cad, 1, 0, 2 * pi, circle_wire, nullptr);
    int count;
    f.arm();
    return gridlume_cad_wire_get_support_vertices(wire, &count, nullptr, nullptr);
  });
}
