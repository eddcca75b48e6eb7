// The final geometric check: distances of the boundary mid-nodes to their
// curved positions, and how deviating nodes are classified.
#include "highorder/final_check.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "highorder/boundary_curving.hpp"
#include "highorder/node_generation.hpp"
#include "test_meshes.hpp"

using namespace gridlume::highorder;
using namespace highorder_test;

namespace {

struct StateDelete {
  void operator()(ConversionState *state) const { conversion_state_delete(state); }
};
using State = std::unique_ptr<ConversionState, StateDelete>;

// A ball with its boundary curved, as the conversion leaves it before the
// final check.
State curved_ball() {
  State state(conversion_state_new());
  import(ball(4), *state);
  EXPECT_EQ(generate_nodes(*state), code_success);
  state->straight_coordinates = state->mesh.coordinates;
  build_topology(state->mesh, state->topology);
  derive_curved_boundary(*state);
  return state;
}

}  // namespace

TEST(HighOrderFinalCheck, NodesOnTheirCurvedPositionsDeviateNowhere) {
  State state = curved_ball();
  CurvatureReport report;
  ASSERT_EQ(check_curvature(*state, report), code_success);
  // 96 x 2 triangles, 288 distinct edges on the sphere.
  EXPECT_EQ(report.middle_nodes, 288);
  EXPECT_EQ(report.max_distance, 0.0);
  EXPECT_EQ(report.deviating, 0);
}

TEST(HighOrderFinalCheck, StraightenedNodeIsAVolumeRejectionAndSlidNodeASurfaceOne) {
  State state = curved_ball();
  const std::int32_t *triangle = state->mesh.elements[kind_triangle].element(1);
  // Node 3 back at its straight position: it moved along the normal.
  const std::int32_t straightened = triangle[3];
  for (int c = 0; c < 3; ++c)
    state->mesh.vertex(straightened)[c] = state->straight_coordinates[3 * straightened + c];
  // Node 4: its curved position slid along the edge by a fifth of it, the
  // node left at the straight midpoint.
  const std::int32_t slid = triangle[4];
  const double *a = state->mesh.vertex(triangle[1]), *b = state->mesh.vertex(triangle[2]);
  for (int c = 0; c < 3; ++c) {
    state->topology.curved[3 * slid + c] = (a[c] + b[c]) / 2 + 0.2 * (b[c] - a[c]);
    state->mesh.vertex(slid)[c] = (a[c] + b[c]) / 2;
  }
  CurvatureReport report;
  testing::internal::CaptureStdout();
  state->verbose = 1;
  ASSERT_EQ(check_curvature(*state, report), code_success);
  const std::string output = testing::internal::GetCapturedStdout();
  EXPECT_EQ(report.deviating, 2);
  EXPECT_EQ(report.volume_rejections, 1);
  EXPECT_EQ(report.surface_rejections, 1);
  EXPECT_NEAR(report.max_ratio, 0.2, 1e-12);
  EXPECT_GT(report.mean_distance, 0.0);
  EXPECT_NE(output.find("the quadratic node " + std::to_string(straightened) +
                        " is not exactly on the geometry\n"),
            std::string::npos);
  EXPECT_NE(output.find(" Nodes with deviation > 0.01      : 2\n"
                        " Rejection constraints            : volume = 1, surface = 1\n"),
            std::string::npos);
}
