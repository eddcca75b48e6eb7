// Topological statistics on the shapes whose connectivity is known: report
// lines compared character for character in both styles.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "array_mesh.hpp"
#include "gridlume.h"
#include "support/allocation_failure.hpp"
#include "support/message_capture.hpp"

using gridlume_test::AllocationFailure;
using gridlume_test::ArrayMesh;
using gridlume_test::for_each_allocation_failure;
using gridlume_test::MessageCapture;

namespace {

struct Expected {
  int free_edges, free_components, non_manifold, non_manifold_components, surfaces, outside_surface,
      outside_volume;
};

class TopologicalStatistics : public ::testing::Test {
 protected:
  void SetUp() override {
    context_ = gridlume_context_new();
    capture_.install(context_);
  }
  void TearDown() override { gridlume_context_delete(context_); }

  std::vector<std::string> human_report() {
    gridlume_mesh *mesh = arrays_.make_mesh(context_);
    capture_.clear();
    EXPECT_EQ(gridlume_mesh_compute_topological_statistics(mesh), 0);
    gridlume_mesh_delete(mesh);
    return lines();
  }
  std::vector<std::string> key_report(const char *prefix) {
    gridlume_mesh *mesh = arrays_.make_mesh(context_);
    capture_.clear();
    EXPECT_EQ(gridlume_mesh_compute_topological_statistics_valid(mesh, prefix), 0);
    gridlume_mesh_delete(mesh);
    return lines();
  }
  std::vector<std::string> lines() const {
    std::vector<std::string> result;
    for (const auto &message : capture_.messages()) {
      EXPECT_EQ(message.code, 0);
      result.push_back(message.description);
    }
    return result;
  }
  // The key-style report read back as numbers.
  void expect_counts(const Expected &e) {
    const std::vector<std::string> expected = {
        "VALID.s.free_edge.count = " + std::to_string(e.free_edges) + "\n",
        "VALID.s.free_edge_component.count = " + std::to_string(e.free_components) + "\n",
        "VALID.s.non_manifold_edge.count = " + std::to_string(e.non_manifold) + "\n",
        "VALID.s.non_manifold_edge_component.count = " + std::to_string(e.non_manifold_components) +
            "\n",
        "VALID.s.surface_component_by_edge.count = " + std::to_string(e.surfaces) + "\n",
        "VALID.s.edge_outside_surface_elements.count = " + std::to_string(e.outside_surface) + "\n",
        "VALID.s.edge_outside_volume_elements.count = " + std::to_string(e.outside_volume) + "\n"};
    EXPECT_EQ(key_report("s"), expected);
  }
  void add_points(int count) {
    for (int p = 0; p < count; ++p) arrays_.add_point(p, p * p, 0);
  }

  gridlume_context *context_ = nullptr;
  MessageCapture capture_;
  ArrayMesh arrays_;
};

TEST_F(TopologicalStatistics, HumanStyleLinesForASingleTriangle) {
  add_points(3);
  arrays_.triangles.add({1, 2, 3});
  const std::vector<std::string> expected = {
      "Mesh topological statistics : \n",
      "    Number of free edges :          3 (1 components) \n",
      "    Number of non-manifold edges :  0 (0 components) \n",
      "    Number of surface components (edge neighbourings) : 1 \n",
      "    Number of edges outside surface elements: 0 \n",
      "    Number of edges outside volume elements : 0 \n"};
  EXPECT_EQ(human_report(), expected);
}

TEST_F(TopologicalStatistics, ClosedOctahedronHasNoFreeEdgesAndOneComponent) {
  add_points(6);  // 1, 2 poles; 3..6 the equator
  for (auto t : {std::array<int, 3>{1, 3, 4},
                 {1, 4, 5},
                 {1, 5, 6},
                 {1, 6, 3},
                 {2, 4, 3},
                 {2, 5, 4},
                 {2, 6, 5},
                 {2, 3, 6}})
    arrays_.triangles.add({t[0], t[1], t[2]});
  expect_counts({0, 0, 0, 0, 1, 0, 0});
}

TEST_F(TopologicalStatistics, TrianglesMeetingAtAVertexShareOneFreeEdgeComponent) {
  add_points(5);
  arrays_.triangles.add({1, 2, 3});
  arrays_.triangles.add({3, 4, 5});
  expect_counts({6, 1, 0, 0, 2, 0, 0});
}

TEST_F(TopologicalStatistics, ThreeTrianglesOnOneEdgeMakeItNonManifold) {
  add_points(5);
  arrays_.triangles.add({1, 2, 3});
  arrays_.triangles.add({2, 1, 4});
  arrays_.triangles.add({1, 2, 5});
  expect_counts({6, 1, 1, 1, 1, 0, 0});
}

TEST_F(TopologicalStatistics, ASharedSideIsManifoldWhateverTheOrientations) {
  add_points(4);
  arrays_.triangles.add({1, 2, 3});
  arrays_.triangles.add({2, 1, 4});  // opposite orientation along 1-2
  expect_counts({4, 1, 0, 0, 1, 0, 0});
  arrays_.triangles.vertices[3] = 1;  // (1, 2, 4): the same orientation
  arrays_.triangles.vertices[4] = 2;
  expect_counts({4, 1, 0, 0, 1, 0, 0});
}

TEST_F(TopologicalStatistics, QuadranglesFollowTrianglesAndShareSidesWithThem) {
  add_points(6);
  arrays_.quadrangles.add({2, 5, 6, 3});
  arrays_.triangles.add({1, 2, 3});
  arrays_.triangles.add({4, 5, 6});  // away from the others but for edge 5-6
  expect_counts({6, 1, 0, 0, 1, 0, 0});
}

TEST_F(TopologicalStatistics, SeparateGroupsOfFreeAndNonManifoldEdgesAreCounted) {
  add_points(12);
  for (int base : {0, 5}) {  // two fans of three triangles around an edge
    arrays_.triangles.add({base + 1, base + 2, base + 3});
    arrays_.triangles.add({base + 2, base + 1, base + 4});
    arrays_.triangles.add({base + 1, base + 2, base + 5});
  }
  expect_counts({12, 2, 2, 2, 2, 0, 0});
}

TEST_F(TopologicalStatistics, ListedEdgesOutsideSurfaceAndVolumeElements) {
  add_points(5);
  arrays_.triangles.add({1, 2, 3});
  arrays_.edges.add({2, 1});             // a side of the triangle
  arrays_.edges.add({4, 5});             // no side of anything
  expect_counts({3, 1, 0, 0, 1, 1, 2});  // no tetrahedra: every edge outside
  arrays_.tetrahedra.add({1, 2, 4, 5});
  expect_counts({3, 1, 0, 0, 1, 1, 0});
}

TEST_F(TopologicalStatistics, ALongStripIsOneComponentWithoutDeepRecursion) {
  const int triangles = 200000;
  for (int p = 0; p < triangles + 2; ++p) arrays_.add_point(p / 2, p % 2, 0);
  for (int t = 0; t < triangles; ++t) arrays_.triangles.add({t + 1, t + 2, t + 3});
  expect_counts({triangles + 2, 1, 0, 0, 1, 0, 0});
}

TEST_F(TopologicalStatistics, BadArgumentsAndFailingQueries) {
  gridlume_mesh *mesh = arrays_.make_mesh(context_);
  EXPECT_EQ(gridlume_mesh_compute_topological_statistics(nullptr), -1);
  EXPECT_EQ(gridlume_mesh_compute_topological_statistics_valid(nullptr, "p"), -1);
  EXPECT_EQ(gridlume_mesh_compute_topological_statistics_valid(mesh, nullptr), -1);
  EXPECT_TRUE(capture_.messages().empty());
  // A failing count ends the report after its title, with status 0.
  gridlume_mesh_set_get_quadrangle_count(mesh, nullptr, nullptr);
  EXPECT_EQ(gridlume_mesh_compute_topological_statistics(mesh), 0);
  EXPECT_EQ(lines(), std::vector<std::string>{"Mesh topological statistics : \n"});
  capture_.clear();
  EXPECT_EQ(gridlume_mesh_compute_topological_statistics_valid(mesh, "p"), 0);
  EXPECT_TRUE(capture_.messages().empty());
  // A triangle whose vertices cannot be read ends it too.
  add_points(3);
  arrays_.triangles.add({1, 2, 3});
  gridlume_mesh *failing = arrays_.make_mesh(context_);
  gridlume_mesh_set_get_triangle_vertices(
      failing, [](int, int *, void *) { return -3; }, nullptr);
  EXPECT_EQ(gridlume_mesh_compute_topological_statistics_valid(failing, "p"), 0);
  EXPECT_TRUE(capture_.messages().empty());
}

TEST_F(TopologicalStatistics, MemoryExhaustionEndsTheReportSilentlyAndLeaksNothing) {
  add_points(5);
  arrays_.triangles.add({1, 2, 3});
  arrays_.triangles.add({2, 1, 4});
  arrays_.triangles.add({1, 2, 5});
  arrays_.edges.add({4, 5});
  gridlume_mesh *mesh = arrays_.make_mesh(context_);
  const long failures = for_each_allocation_failure([&](AllocationFailure &failure) {
    capture_.clear();
    failure.arm();
    const int status = gridlume_mesh_compute_topological_statistics_valid(mesh, "p");
    failure.disarm();
    EXPECT_EQ(status, 0);
    if (!failure.happened()) {
      EXPECT_EQ(capture_.messages().size(), 7u);
    }
  });
  EXPECT_GT(failures, 5);
}

}  // namespace
