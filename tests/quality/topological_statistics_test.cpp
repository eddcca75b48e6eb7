// Topological statistics on the shapes whose connectivity is known: report
// lines compared character for character in both styles.
#include <string>
#include <vector>

#include "statistics_fixture.hpp"
#include "support/test_helpers.hpp"

using namespace gridlume_test;

namespace {

struct Counts {
  int free_edges, free_components, non_manifold, non_manifold_components, surfaces,
      outside_surface, outside_volume;
};

struct TopologicalStatistics : StatisticsTest {
  // The report of the mesh over the arrays, in the key style when a prefix is given.
  Lines report(const char *prefix = nullptr) {
    EXPECT_EQ(prefix ? gridlume_mesh_compute_topological_statistics_valid(mesh(), prefix)
                     : gridlume_mesh_compute_topological_statistics(mesh()),
              0);
    return messages();
  }
  static Lines key_lines(const Counts &c) {
    auto line = [](const char *key, int count) {
      return "VALID.s." + std::string(key) + ".count = " + std::to_string(count) + "\n";
    };
    return {line("free_edge", c.free_edges),
            line("free_edge_component", c.free_components),
            line("non_manifold_edge", c.non_manifold),
            line("non_manifold_edge_component", c.non_manifold_components),
            line("surface_component_by_edge", c.surfaces),
            line("edge_outside_surface_elements", c.outside_surface),
            line("edge_outside_volume_elements", c.outside_volume)};
  }
  void add_points(int count) {
    for (int p = 0; p < count; ++p) arrays_.add_point(p, p * p, 0);
  }
};

using Tri = std::array<int, 3>;
struct Shape {
  const char *behaviour;
  int points;
  std::vector<Tri> triangles;
  Counts expected;
  std::vector<std::array<int, 4>> quadrangles = {}, tetrahedra = {};
  std::vector<std::array<int, 2>> edges = {};
};

const Shape shapes[] = {
    {"a closed octahedron has no free edges and one component", 6,
     {{1, 3, 4}, {1, 4, 5}, {1, 5, 6}, {1, 6, 3}, {2, 4, 3}, {2, 5, 4}, {2, 6, 5}, {2, 3, 6}},
     {0, 0, 0, 0, 1, 0, 0}},
    {"triangles meeting at a vertex share one free edge component", 5,
     {{1, 2, 3}, {3, 4, 5}}, {6, 1, 0, 0, 2, 0, 0}},
    {"three triangles on one edge make it non-manifold", 5,
     {{1, 2, 3}, {2, 1, 4}, {1, 2, 5}}, {6, 1, 1, 1, 1, 0, 0}},
    {"a shared side of opposite orientations is manifold", 4,
     {{1, 2, 3}, {2, 1, 4}}, {4, 1, 0, 0, 1, 0, 0}},
    {"a shared side of the same orientation is manifold", 4,
     {{1, 2, 3}, {1, 2, 4}}, {4, 1, 0, 0, 1, 0, 0}},
    {"quadrangles follow triangles and share sides with them", 6,
     {{1, 2, 3}, {4, 5, 6}}, {6, 1, 0, 0, 1, 0, 0}, {{2, 5, 6, 3}}},
    {"separate groups of free and non-manifold edges are counted", 12,
     {{1, 2, 3}, {2, 1, 4}, {1, 2, 5}, {6, 7, 8}, {7, 6, 9}, {6, 7, 10}},
     {12, 2, 2, 2, 2, 0, 0}},
    {"without tetrahedra every listed edge is outside the volume elements", 5,
     {{1, 2, 3}}, {3, 1, 0, 0, 1, 1, 2}, {}, {}, {{2, 1}, {4, 5}}},
    {"listed edges outside surface and volume elements", 5,
     {{1, 2, 3}}, {3, 1, 0, 0, 1, 1, 0}, {}, {{1, 2, 4, 5}}, {{2, 1}, {4, 5}}},
};

}  // namespace

TEST_F(TopologicalStatistics, HumanStyleLinesForASingleTriangle) {
  add_points(3);
  arrays_.triangles.add({1, 2, 3});
  EXPECT_EQ(report(), (Lines{"Mesh topological statistics : \n",
                             "    Number of free edges :          3 (1 components) \n",
                             "    Number of non-manifold edges :  0 (0 components) \n",
                             "    Number of surface components (edge neighbourings) : 1 \n",
                             "    Number of edges outside surface elements: 0 \n",
                             "    Number of edges outside volume elements : 0 \n"}));
}

TEST_F(TopologicalStatistics, KeyStyleCountsOfShapesWithKnownConnectivity) {
  for (const Shape &shape : shapes) {
    SCOPED_TRACE(shape.behaviour);
    arrays_ = ArrayMesh{};
    add_points(shape.points);
    for (const auto &t : shape.triangles) arrays_.triangles.add({t[0], t[1], t[2]});
    for (const auto &q : shape.quadrangles) arrays_.quadrangles.add({q[0], q[1], q[2], q[3]});
    for (const auto &t : shape.tetrahedra) arrays_.tetrahedra.add({t[0], t[1], t[2], t[3]});
    for (const auto &e : shape.edges) arrays_.edges.add({e[0], e[1]});
    EXPECT_EQ(report("s"), key_lines(shape.expected));
  }
}

TEST_F(TopologicalStatistics, ALongStripIsOneComponentWithoutDeepRecursion) {
  const int triangles = 200000;
  for (int p = 0; p < triangles + 2; ++p) arrays_.add_point(p / 2, p % 2, 0);
  for (int t = 0; t < triangles; ++t) arrays_.triangles.add({t + 1, t + 2, t + 3});
  EXPECT_EQ(report("s"), key_lines({triangles + 2, 1, 0, 0, 1, 0, 0}));
}

TEST_F(TopologicalStatistics, BadArgumentsAndFailingQueries) {
  gridlume_mesh *const m = mesh();
  EXPECT_EQ(gridlume_mesh_compute_topological_statistics(nullptr), -1);
  EXPECT_EQ(gridlume_mesh_compute_topological_statistics_valid(nullptr, "p"), -1);
  EXPECT_EQ(gridlume_mesh_compute_topological_statistics_valid(m, nullptr), -1);
  EXPECT_TRUE(capture_.messages().empty());
  // A failing count ends the report after its title, with status 0.
  gridlume_mesh_set_get_quadrangle_count(m, nullptr, nullptr);
  EXPECT_EQ(gridlume_mesh_compute_topological_statistics(m), 0);
  EXPECT_EQ(messages(), Lines{"Mesh topological statistics : \n"});
  EXPECT_EQ(gridlume_mesh_compute_topological_statistics_valid(m, "p"), 0);
  EXPECT_TRUE(capture_.messages().empty());
  // A triangle whose vertices cannot be read ends it too.
  add_points(3);
  arrays_.triangles.add({1, 2, 3});
  gridlume_mesh *failing = arrays_.make_mesh(context_);
  gridlume_mesh_set_get_triangle_vertices(failing, [](int, int *, void *) { return -3; }, nullptr);
  EXPECT_EQ(gridlume_mesh_compute_topological_statistics_valid(failing, "p"), 0);
  EXPECT_TRUE(capture_.messages().empty());
}

TEST_F(TopologicalStatistics, MemoryExhaustionEndsTheReportSilentlyAndLeaksNothing) {
  add_points(5);
  for (const auto &t : {Tri{1, 2, 3}, Tri{2, 1, 4}, Tri{1, 2, 5}})
    arrays_.triangles.add({t[0], t[1], t[2]});
  arrays_.edges.add({4, 5});
  gridlume_mesh *const m = mesh();
  const long failures = for_each_allocation_failure([&](AllocationFailure &failure) {
    capture_.clear();
    failure.arm();
    const int status = gridlume_mesh_compute_topological_statistics_valid(m, "p");
    failure.disarm();
    EXPECT_EQ(status, 0);
    if (!failure.happened()) { EXPECT_EQ(capture_.messages().size(), 7u); }
  });
  EXPECT_GT(failures, 5);
}
