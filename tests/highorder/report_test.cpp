// The verbose report: its texts, the quality table, and the environment
// variable that forces it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "highorder/conversion.hpp"
#include "test_meshes.hpp"

using namespace gridlume::highorder;
using namespace highorder_test;

namespace {

std::string report_of(ConversionState *state) {
  testing::internal::CaptureStdout();
  EXPECT_EQ(run_conversion(*state), code_success);
  std::string output = testing::internal::GetCapturedStdout();
  conversion_state_delete(state);
  return output;
}

std::vector<std::string> lines_of(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

const std::string rule(72, '-');

ConversionState *ball_state(int verbose) {
  ConversionState *state = conversion_state_new();
  import(ball(4), *state);
  state->thread_count = 1;
  state->verbose = verbose;
  return state;
}

}  // namespace

TEST(HighOrderReport, VerboseRunPrintsBannerSummaryAndParameters) {
  const std::string output = report_of(ball_state(1));
  const std::string expected_start =
      "\n" + rule + "\n Module Z1erEd,  v1.53,  january 03 2023,  VASKEN\n" + rule +
      "\n Converting the P1 volume mesh made of:\n      125 Vertices\n"
      "      192 Triangles\n      384 Tetrahedra\n Provided by the API call\n" +
      rule + "\nDeriving high-order mid-nodes from the P1 input surface.\n" + rule +
      "\n Into an order 2 volume mesh\n To return to the API call\n" + rule +
      "\n\n Parameters:\n * jacobian threshold = 0.000000 \n"
      " * jacobian quality mode = standart \n";
  EXPECT_EQ(output.substr(0, expected_start.size()), expected_start);
  EXPECT_NE(
      output.find(rule + "\n Initial Quality statistics before the mid-nodes smoothing\n" + rule +
                  "\n     Quality    |    Tet   |    Pyr   |    Pri   |    Hex   | Combined  \n"),
      std::string::npos);
  EXPECT_NE(output.find(" Optimized Quality statistics\n"), std::string::npos);
  EXPECT_NE(output.find(" Curvature evaluation\n Number of surface middle vertices: 288\n"),
            std::string::npos);
  // Tetrahedra only: no rejection, so no final quality check line.
  EXPECT_EQ(output.find("Final quality check"), std::string::npos);
}

TEST(HighOrderReport, QualityTableHasElevenBinsWithIntegerPercentages) {
  const auto lines = lines_of(report_of(ball_state(1)));
  std::size_t title = 0;
  while (title < lines.size() && lines[title].find("    Tet   |") == std::string::npos) ++title;
  ASSERT_LT(title + 13, lines.size());
  EXPECT_EQ(lines[title + 1], rule);
  long long total_percent = 0, total_tetrahedra = 0;
  for (int bin = 0; bin < 11; ++bin) {
    const std::string &line = lines[title + 2 + bin];
    char expected_bounds[32];
    std::snprintf(expected_bounds, sizeof expected_bounds, "% .1f < Q <= %.1f |", (bin - 1) / 10.0,
                  bin / 10.0);
    EXPECT_EQ(line.substr(0, std::string(expected_bounds).size()), expected_bounds);
    long long tet = 0, pyr = 0, pri = 0, hex = 0, percent = 0;
    ASSERT_EQ(std::sscanf(line.c_str() + line.find('|'), "| %lld | %lld | %lld | %lld | %lld%%",
                          &tet, &pyr, &pri, &hex, &percent),
              5)
        << line;
    EXPECT_EQ(percent, 100 * tet / 384);
    total_percent += percent;
    total_tetrahedra += tet;
  }
  EXPECT_EQ(lines[title + 13], rule);
  EXPECT_EQ(total_tetrahedra, 384);
  EXPECT_LE(total_percent, 100);
}

TEST(HighOrderReport, EnvironmentVariableForcesTheReport) {
  ASSERT_EQ(setenv("TarnwickZ1erEdDebug", "", 1), 0);
  const std::string forced = report_of(ball_state(0));
  ASSERT_EQ(unsetenv("TarnwickZ1erEdDebug"), 0);
  EXPECT_NE(forced.find(" Module Z1erEd,  v1.53,  january 03 2023,  VASKEN\n"), std::string::npos);
  EXPECT_EQ(report_of(ball_state(0)), "");
}

TEST(HighOrderReport, MixedMeshesReportTheRejectedElements) {
  ConversionState *state = conversion_state_new();
  import(hexahedra(2, true), *state);
  state->thread_count = 1;
  state->verbose = 1;
  const std::string output = report_of(state);
  EXPECT_NE(output.find("Final quality check: 0 elements rejected\n"), std::string::npos);
  EXPECT_NE(output.find(" Number of surface middle vertices: "), std::string::npos);
}

TEST(HighOrderReport, SeveralThreadsAnnounceStaticSchedulingOneThreadStartsNoPool) {
  ConversionState *state = ball_state(1);
  state->thread_count = 3;
  EXPECT_NE(report_of(state).find(" --> use static scheduling with nbth = 3 \n"),
            std::string::npos);
  state = ball_state(1);
  state->thread_count = 1000;
  EXPECT_NE(report_of(state).find(" --> use static scheduling with nbth = 256 \n"),
            std::string::npos);
  state = ball_state(1);
  EXPECT_EQ(report_of(state).find("static scheduling"), std::string::npos);
}

TEST(HighOrderReport, BoundaryLayerRunReportsItsRelaxationSteps) {
  ConversionState *state = ball_state(1);
  ASSERT_EQ(allocate_boundary_layer_pairs(*state, state->mesh.vertex_count), 0);
  state->boundary_layer_mode = 1;
  const std::string output = report_of(state);
  EXPECT_NE(output.find(rule + "\n Running boundary layer curving on 1 threads\n" + rule +
                        "\n\n BL mid-nodes moving: relaxing invalid elements coordinates\n"
                        " parallel step:   1, relax: 0.95, rejected: "),
            std::string::npos);
  EXPECT_NE(output.find(" parallel step:  20, relax: 0.00, rejected: "), std::string::npos);
  EXPECT_NE(output.find("\n serial stack-based final step,   rejected: "), std::string::npos);
  // The relaxation replaces the smoothing.
  EXPECT_EQ(output.find("Final quality check"), std::string::npos);
}
