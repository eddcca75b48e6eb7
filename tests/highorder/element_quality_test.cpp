// Jacobian qualities: ideal for straight elements, non-positive for folded
// ones, the bins of the table, the threshold.
#include "highorder/element_quality.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "test_meshes.hpp"

using namespace gridlume::highorder;

namespace {

// A ten-node tetrahedron with straight edges: corners, then the midpoints
// of (0,1) (1,2) (2,0) (0,3) (1,3) (2,3).
struct Tetrahedron {
  double p[10][3];
  explicit Tetrahedron(const double (&corners)[4][3]) {
    static const int edges[6][2] = {{0, 1}, {1, 2}, {2, 0}, {0, 3}, {1, 3}, {2, 3}};
    for (int n = 0; n < 4; ++n)
      for (int c = 0; c < 3; ++c) p[n][c] = corners[n][c];
    for (int e = 0; e < 6; ++e)
      for (int c = 0; c < 3; ++c)
        p[4 + e][c] = (corners[edges[e][0]][c] + corners[edges[e][1]][c]) / 2;
  }
};

constexpr double unit[4][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
constexpr double threshold = 2.2250738585072014e-308;

}  // namespace

TEST(HighOrderQuality, StraightTetrahedronIsIdealInBothModes) {
  const double skewed[4][3] = {{0, 0, 0}, {3, 0.2, 0}, {1, 2, 0.05}, {0.5, 0.1, 0.4}};
  for (const auto *corners : {&unit, &skewed}) {
    Tetrahedron t(*corners);
    EXPECT_NEAR(tetrahedron_bernstein_quality(t.p, threshold), 1.0, 1e-12);
    EXPECT_NEAR(tetrahedron_c3d10m_quality(t.p, threshold), 1.0, 1e-12);
  }
}

TEST(HighOrderQuality, InvertedTetrahedronIsInvalid) {
  const double inverted[4][3] = {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {0, 0, 1}};
  Tetrahedron t(inverted);
  EXPECT_LE(tetrahedron_bernstein_quality(t.p, threshold), 0.0);
  EXPECT_LE(tetrahedron_c3d10m_quality(t.p, threshold), 0.0);
}

TEST(HighOrderQuality, BernsteinQualityNeverCallsAFoldedTetrahedronValid) {
  // Push the (0,1) node across the element step by step: whenever the
  // independent lattice check finds a negative jacobian, the quality is not
  // positive; a gently bent element stays valid.
  for (int step = 0; step <= 20; ++step) {
    Tetrahedron t(unit);
    t.p[4][1] = 0.05 * step;
    t.p[4][2] = 0.05 * step;
    const double quality = tetrahedron_bernstein_quality(t.p, threshold);
    if (highorder_test::smallest_tetrahedron_jacobian(t.p) <= 0.0) {
      EXPECT_LE(quality, 0.0) << step;
    }
    if (step <= 2) {
      EXPECT_GT(quality, 0.0) << step;
    }
    EXPECT_LE(quality, 1.0);
  }
}

TEST(HighOrderQuality, ThresholdRaisesWhatCountsAsValid) {
  Tetrahedron t(unit);
  t.p[4][1] = 0.1;
  const double quality = tetrahedron_bernstein_quality(t.p, threshold);
  ASSERT_GT(quality, 0.0);
  ASSERT_LT(quality, 1.0);
  EXPECT_EQ(tetrahedron_bernstein_quality(t.p, quality), 0.0);
  EXPECT_EQ(tetrahedron_bernstein_quality(t.p, quality / 2), quality);
}

TEST(HighOrderQuality, StraightPyramidPrismAndHexahedronAreValid) {
  // The unit cube's 27 nodes in the node order of the hexahedron.
  static const double lattice[27][3] = {
      {0, 0, 0},   {1, 0, 0},   {1, 1, 0},   {0, 1, 0},   {0, 0, 1},   {1, 0, 1},   {1, 1, 1},
      {0, 1, 1},   {.5, 0, 0},  {1, .5, 0},  {.5, 1, 0},  {0, .5, 0},  {.5, 0, 1},  {1, .5, 1},
      {.5, 1, 1},  {0, .5, 1},  {0, 0, .5},  {1, 0, .5},  {1, 1, .5},  {0, 1, .5},  {0, .5, .5},
      {1, .5, .5}, {.5, 0, .5}, {.5, 1, .5}, {.5, .5, 0}, {.5, .5, 1}, {.5, .5, .5}};
  EXPECT_NEAR(hexahedron_quality(lattice, threshold), 1.0, 1e-12);
  double folded[27][3];
  std::copy(&lattice[0][0], &lattice[0][0] + 81, &folded[0][0]);
  folded[26][2] = 1.6;  // the centre pulled far above the top face
  EXPECT_LE(hexahedron_quality(folded, threshold), 0.0);
  // Prism: the bottom triangle (0,0) (1,0) (0,1) extruded by 1.
  double prism[18][3];
  const double base[6][2] = {{0, 0}, {1, 0}, {0, 1}, {.5, 0}, {.5, .5}, {0, .5}};
  static const int at[6][3] = {{0, 12, 3}, {1, 13, 4},  {2, 14, 5},
                               {6, 15, 9}, {7, 16, 10}, {8, 17, 11}};
  for (int t = 0; t < 6; ++t)
    for (int level = 0; level < 3; ++level) {
      prism[at[t][level]][0] = base[t][0];
      prism[at[t][level]][1] = base[t][1];
      prism[at[t][level]][2] = 0.5 * level;
    }
  EXPECT_NEAR(prism_quality(prism, threshold), 1.0, 1e-12);
  // Pyramid: unit square base, apex above its centre.
  double pyramid[14][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {.5, .5, 1}};
  static const int edges[8][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {0, 4}, {1, 4}, {2, 4}, {3, 4}};
  for (int e = 0; e < 8; ++e)
    for (int c = 0; c < 3; ++c)
      pyramid[5 + e][c] = (pyramid[edges[e][0]][c] + pyramid[edges[e][1]][c]) / 2;
  pyramid[13][0] = pyramid[13][1] = 0.5;
  pyramid[13][2] = 0.0;
  EXPECT_GT(pyramid_quality(pyramid, threshold), 0.0);
}

TEST(HighOrderQuality, BinsFollowTheTableRows) {
  EXPECT_EQ(quality_bin(-0.5), 0);
  EXPECT_EQ(quality_bin(0.0), 0);
  EXPECT_EQ(quality_bin(1e-9), 1);
  EXPECT_EQ(quality_bin(0.1), 1);
  EXPECT_EQ(quality_bin(0.15), 2);
  EXPECT_EQ(quality_bin(0.5), 5);
  EXPECT_EQ(quality_bin(1.0), 10);
  EXPECT_EQ(quality_bin(1.5), 0);
  EXPECT_EQ(quality_bin(std::nan("")), 0);
}
