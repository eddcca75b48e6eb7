// The conversion as users judge it: valid elements, curved boundaries,
// straight mode, numbering independent of the thread count, failures.
#include "highorder/conversion.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <set>

#include "highorder/element_loops.hpp"
#include "highorder/element_quality.hpp"
#include "highorder/element_shapes.hpp"
#include "highorder/node_generation.hpp"
#include "highorder/renumbering.hpp"
#include "support/allocation_failure.hpp"
#include "test_meshes.hpp"

using namespace gridlume::highorder;
using namespace highorder_test;

namespace {

struct StateDelete {
  void operator()(ConversionState *state) const { conversion_state_delete(state); }
};
using State = std::unique_ptr<ConversionState, StateDelete>;

State converted(const TetMesh &mesh, int threads = 1, int mode = 0, bool triangles = true) {
  State state(conversion_state_new());
  import(mesh, *state, triangles);
  state->thread_count = threads;
  state->curve_propagation_mode = mode;
  EXPECT_EQ(run_conversion(*state), code_success);
  return state;
}

double radius(const double *x) { return std::sqrt(x[0] * x[0] + x[1] * x[1] + x[2] * x[2]); }

// Mean distance to the sphere of radius r of the boundary mid-nodes of the
// triangles whose corners lie on it, and of their straight midpoints.
std::pair<double, double> sphere_distances(const ConversionState &state, double r) {
  const ElementArray &triangles = state.mesh.elements[kind_triangle];
  double curved = 0.0, straight = 0.0;
  int count = 0;
  for (std::int32_t t = 1; t <= triangles.count; ++t) {
    const std::int32_t *nodes = triangles.element(t);
    if (std::fabs(radius(state.mesh.vertex(nodes[0])) - r) > 1e-9) continue;
    for (int e = 0; e < 3; ++e) {
      const double *a = state.mesh.vertex(nodes[e]), *b = state.mesh.vertex(nodes[(e + 1) % 3]);
      const double middle[3] = {(a[0] + b[0]) / 2, (a[1] + b[1]) / 2, (a[2] + b[2]) / 2};
      curved += std::fabs(radius(state.mesh.vertex(nodes[3 + e])) - r);
      straight += std::fabs(radius(middle) - r);
      ++count;
    }
  }
  return {curved / count, straight / count};
}

}  // namespace

TEST(HighOrderConversion, BallBoundaryMidNodesLieMuchCloserToTheSphereThanStraightMidpoints) {
  for (int n : {4, 8, 12}) {
    State state = converted(ball(n));
    const auto [curved, straight] = sphere_distances(*state, 1.0);
    EXPECT_LT(4.0 * curved, straight) << n << " cells: " << curved << " vs " << straight;
  }
}

TEST(HighOrderConversion, EveryElementIsValidOnConvexAndConcaveBoundaries) {
  for (const TetMesh &mesh : {ball(4), ball(10), shell(8), shell(12), cube(3)}) {
    State state = converted(mesh);
    EXPECT_GT(smallest_jacobian(*state, kind_tetrahedron), 0.0);
    for (std::int32_t t = 1; t <= state->mesh.count(kind_tetrahedron); ++t)
      ASSERT_GT(state->quality[kind_tetrahedron][t], 0.0);
  }
}

TEST(HighOrderConversion, ConcaveInnerSphereIsCurvedInward) {
  State state = converted(shell(12));
  const auto [curved, straight] = sphere_distances(*state, 0.5);
  EXPECT_LT(4.0 * curved, straight);
}

TEST(HighOrderConversion, SkinOfAMeshWithoutTrianglesIsCurved) {
  State state = converted(ball(8), 1, 0, false);
  EXPECT_GT(smallest_jacobian(*state, kind_tetrahedron), 0.0);
  // Edge nodes of boundary edges moved outwards from the straight midpoints.
  int outward = 0;
  const ElementArray &tets = state->mesh.elements[kind_tetrahedron];
  for (std::int32_t t = 1; t <= tets.count; ++t)
    for (int e = 0; e < 6; ++e) {
      static const int edges[6][2] = {{0, 1}, {1, 2}, {2, 0}, {0, 3}, {1, 3}, {2, 3}};
      const double *a = state->mesh.vertex(tets.element(t)[edges[e][0]]);
      const double *b = state->mesh.vertex(tets.element(t)[edges[e][1]]);
      if (std::fabs(radius(a) - 1) > 1e-9 || std::fabs(radius(b) - 1) > 1e-9) continue;
      const double middle[3] = {(a[0] + b[0]) / 2, (a[1] + b[1]) / 2, (a[2] + b[2]) / 2};
      if (radius(state->mesh.vertex(tets.element(t)[4 + e])) > radius(middle) + 1e-6) ++outward;
    }
  EXPECT_GT(outward, 100);
}

TEST(HighOrderConversion, BentHexahedraStayValid) {
  State state(conversion_state_new());
  import(hexahedra(3, true), *state);
  state->thread_count = 1;
  ASSERT_EQ(run_conversion(*state), code_success);
  EXPECT_EQ(state->mesh.elements[kind_hexahedron].nodes_per_element, 27);
  EXPECT_GT(smallest_jacobian(*state, kind_hexahedron), 0.0);
}

TEST(HighOrderConversion, PropagationModeMinusOneGivesStraightMidNodesOnAnyThreadCount) {
  // In the input's order and in none, which the workers renumber.
  for (const TetMesh &mesh : {ball(5), scrambled(ball(5))}) {
    State one = converted(mesh, 1, -1);
    const InternalMesh &m = one->mesh;
    for (int kind : {kind_triangle, kind_tetrahedron}) {
      const ElementArray &array = m.elements[kind];
      const int edges = kind == kind_triangle ? 3 : 6;
      static const int pairs[6][2] = {{0, 1}, {1, 2}, {2, 0}, {0, 3}, {1, 3}, {2, 3}};
      for (std::int32_t e = 1; e <= array.count; ++e)
        for (int i = 0; i < edges; ++i) {
          const std::int32_t *list = array.element(e);
          const double *a = m.vertex(list[pairs[i][0]]), *b = m.vertex(list[pairs[i][1]]);
          const double *x = m.vertex(list[array.nodes_per_element - edges + i]);
          for (int c = 0; c < 3; ++c) ASSERT_EQ(x[c], (a[c] + b[c]) / 2);
        }
    }
    for (int threads : {2, 3, 1000}) {
      State other = converted(mesh, threads, -1);
      ASSERT_EQ(other->mesh.vertex_count, m.vertex_count);
      for (std::int32_t v = 1; v <= m.vertex_count; ++v)
        for (int c = 0; c < 3; ++c) ASSERT_EQ(other->mesh.vertex(v)[c], m.vertex(v)[c]) << threads;
      for (int kind : {kind_triangle, kind_tetrahedron})
        EXPECT_EQ(other->mesh.elements[kind].nodes, m.elements[kind].nodes) << threads;
    }
  }
}

TEST(HighOrderConversion, CurvedNumberingDoesNotDependOnTheThreadCount) {
  for (const TetMesh &mesh : {shell(8), scrambled(shell(8))}) {
    State one = converted(mesh, 1);
    State four = converted(mesh, 4);
    EXPECT_EQ(four->mesh.elements[kind_tetrahedron].nodes,
              one->mesh.elements[kind_tetrahedron].nodes);
    EXPECT_EQ(four->mesh.elements[kind_triangle].nodes, one->mesh.elements[kind_triangle].nodes);
    // The boundary is curved alike; inner nodes may be smoothed in another
    // order, but stay valid.
    for (std::int32_t node : one->mesh.elements[kind_triangle].nodes)
      for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(four->mesh.vertex(node)[c], one->mesh.vertex(node)[c], 1e-12);
    EXPECT_GT(smallest_jacobian(*four, kind_tetrahedron), 0.0);
  }
  // Hexahedra, whose centres are numbered after the edge and face nodes.
  State hexes_one(conversion_state_new()), hexes_two(conversion_state_new());
  import(hexahedra(3, true), *hexes_one);
  import(hexahedra(3, true), *hexes_two);
  hexes_one->thread_count = 1;
  hexes_two->thread_count = 2;
  ASSERT_EQ(run_conversion(*hexes_one), code_success);
  ASSERT_EQ(run_conversion(*hexes_two), code_success);
  EXPECT_EQ(hexes_one->mesh.elements[kind_hexahedron].nodes,
            hexes_two->mesh.elements[kind_hexahedron].nodes);
}

TEST(HighOrderConversion, CurveOffStillLeavesNoInvalidElement) {
  State state(conversion_state_new());
  import(shell(8), *state);
  state->thread_count = 1;
  state->curve = 0;
  ASSERT_EQ(run_conversion(*state), code_success);
  EXPECT_GT(smallest_jacobian(*state, kind_tetrahedron), 0.0);
}

TEST(HighOrderConversion, BoundaryLayerModeBendsTheLayersAndRelaxesToValidElements) {
  // The ball of 6 cells a side; the vertices one cell below the face z = 1
  // of the cube form a layer extruded from the vertices of that face.
  constexpr int n = 6;
  const TetMesh mesh = ball(n);
  auto index = [](int i, int j, int k) { return (k * (n + 1) + j) * (n + 1) + i + 1; };
  for (int threads : {1, 2}) {
    State state(conversion_state_new());
    import(mesh, *state);
    state->thread_count = threads;
    ASSERT_EQ(allocate_boundary_layer_pairs(*state, state->mesh.vertex_count), 0);
    state->boundary_layer_mode = 1;
    for (int i = 0; i <= n; ++i)
      for (int j = 0; j <= n; ++j)
        state->boundary_layer_pairs[index(i, j, n - 1)] = {index(i, j, n), 1};
    ASSERT_EQ(run_conversion(*state), code_success);
    EXPECT_GT(smallest_jacobian(*state, kind_tetrahedron), 0.0) << threads;
    // The inner edges of the layer (off the sphere) bend exactly as the wall
    // edges they were extruded from.
    const ElementArray &tets = state->mesh.elements[kind_tetrahedron];
    static const int edges[6][2] = {{0, 1}, {1, 2}, {2, 0}, {0, 3}, {1, 3}, {2, 3}};
    std::map<std::pair<std::int32_t, std::int32_t>, std::int32_t> edge_node;
    for (std::int32_t t = 1; t <= tets.count; ++t)
      for (int e = 0; e < 6; ++e)
        edge_node[std::minmax(tets.element(t)[edges[e][0]], tets.element(t)[edges[e][1]])] =
            tets.element(t)[4 + e];
    auto shift = [&](std::int32_t a, std::int32_t b, int c) {
      const std::int32_t node = edge_node.at(std::minmax(a, b));
      return state->mesh.vertex(node)[c] -
             (state->mesh.vertex(a)[c] + state->mesh.vertex(b)[c]) / 2;
    };
    int followed = 0, layer_edges = 0;
    for (int i = 1; i < n - 1; ++i)
      for (int j = 1; j < n; ++j) {
        const std::int32_t a = index(i, j, n - 1), b = index(i + 1, j, n - 1);
        ++layer_edges;
        bool same = true;
        for (int c = 0; c < 3; ++c)
          same = same &&
                 std::fabs(shift(a, b, c) - shift(index(i, j, n), index(i + 1, j, n), c)) < 1e-12;
        if (same && std::fabs(shift(a, b, 2)) > 1e-6) ++followed;
      }
    EXPECT_GT(followed, layer_edges / 2) << threads << ": " << followed << " of " << layer_edges;
  }
}

TEST(HighOrderConversion, GivenSurfaceNodesAreTakenAndTheirNumbersKept) {
  for (bool clash : {false, true}) {
    const TetMesh mesh = ball(3);
    // The surface: the boundary triangles with mid-nodes on the sphere,
    // numbered after the volume's vertices in reverse order of creation.
    State state(conversion_state_new());
    import(mesh, *state);
    state->thread_count = 1;
    ASSERT_EQ(allocate_input_surface(*state), 0);
    InternalMesh &surface = *state->surface;
    const auto vertices = std::int32_t(mesh.vertices.size());
    std::map<std::pair<int, int>, std::int32_t> middle;
    for (const auto &t : mesh.triangles)
      for (int e = 0; e < 3; ++e) {
        auto key = std::minmax(t[e], t[(e + 1) % 3]);
        if (!middle.count(key)) middle[key] = 0;
      }
    ASSERT_EQ(allocate_vertices(surface, vertices + std::int32_t(middle.size())), 0);
    std::int32_t next = surface.vertex_count;
    for (auto &[key, number] : middle) {
      number = next--;
      const auto &a = mesh.vertices[key.first - 1], &b = mesh.vertices[key.second - 1];
      double x[3] = {(a[0] + b[0]) / 2, (a[1] + b[1]) / 2, (a[2] + b[2]) / 2};
      const double r = radius(x);
      for (int c = 0; c < 3; ++c) surface.vertex(number)[c] = x[c] / r;
    }
    for (std::int32_t v = 1; v <= vertices; ++v)
      std::copy(mesh.vertices[v - 1].begin(), mesh.vertices[v - 1].end(), surface.vertex(v));
    ASSERT_EQ(allocate_elements(surface, kind_triangle, std::int32_t(mesh.triangles.size())), 0);
    for (std::size_t t = 0; t < mesh.triangles.size(); ++t) {
      std::int32_t *list = surface.elements[kind_triangle].element(std::int32_t(t + 1));
      for (int e = 0; e < 3; ++e) {
        list[e] = mesh.triangles[t][e];
        list[3 + e] = middle[std::minmax(mesh.triangles[t][e], mesh.triangles[t][(e + 1) % 3])];
      }
    }
    if (clash) {
      // Two edges of one triangle given one surface node: no numbering can
      // give both nodes that number.
      std::int32_t *first = surface.elements[kind_triangle].element(1);
      first[4] = first[3];
      EXPECT_EQ(run_conversion(*state), code_failure);
      continue;
    }
    ASSERT_EQ(run_conversion(*state), code_success);
    const ElementArray &triangles = state->mesh.elements[kind_triangle];
    for (std::int32_t t = 1; t <= triangles.count; ++t)
      EXPECT_EQ(std::vector<std::int32_t>(triangles.element(t), triangles.element(t) + 6),
                std::vector<std::int32_t>(surface.elements[kind_triangle].element(t),
                                          surface.elements[kind_triangle].element(t) + 6));
    for (const auto &[key, number] : middle)
      EXPECT_NEAR(radius(state->mesh.vertex(number)), 1.0, 1e-12);
    EXPECT_GT(smallest_jacobian(*state, kind_tetrahedron), 0.0);
  }
}

TEST(HighOrderConversion, SurfaceWithOtherTriangleNumberingFailsWithCode4) {
  const TetMesh mesh = ball(2);
  State state(conversion_state_new());
  import(mesh, *state);
  state->thread_count = 1;
  ASSERT_EQ(allocate_input_surface(*state), 0);
  InternalMesh &surface = *state->surface;
  ASSERT_EQ(allocate_vertices(surface, std::int32_t(mesh.vertices.size())), 0);
  ASSERT_EQ(allocate_elements(surface, kind_triangle, 2), 0);
  std::int32_t *first = surface.elements[kind_triangle].element(1);
  std::copy(mesh.triangles[0].begin(), mesh.triangles[0].end(), first);
  std::int32_t *second = surface.elements[kind_triangle].element(2);
  // Same vertices as the volume's triangle 2, another order.
  second[0] = mesh.triangles[1][1];
  second[1] = mesh.triangles[1][0];
  second[2] = mesh.triangles[1][2];
  testing::internal::CaptureStdout();
  state->verbose = 1;
  EXPECT_EQ(run_conversion(*state), code_surface_mismatch);
  const std::string output = testing::internal::GetCapturedStdout();
  EXPECT_NE(output.find("Inconsistent volume and surface mesh numbering:\n triangle 2 from the P1 "
                        "volume  mesh is made of"),
            std::string::npos);
}

TEST(HighOrderConversion, MeshWithoutVolumeElementsOrWithUnknownVerticesFailsWithCode2) {
  State state(conversion_state_new());
  ASSERT_EQ(allocate_vertices(state->mesh, 3), 0);
  ASSERT_EQ(allocate_elements(state->mesh, kind_triangle, 1), 0);
  EXPECT_EQ(run_conversion(*state), code_failure);
  for (std::int32_t bad : {0, -2, 126}) {
    State other(conversion_state_new());
    import(ball(4), *other);
    other->mesh.elements[kind_tetrahedron].element(17)[2] = bad;
    EXPECT_EQ(run_conversion(*other), code_failure) << bad;
  }
  // Checked on three workers, the bad vertex in the last one's part.
  State shared(conversion_state_new());
  import(ball(12), *shared);
  ElementArray &tetrahedra = shared->mesh.elements[kind_tetrahedron];
  tetrahedra.element(tetrahedra.count)[3] = shared->mesh.vertex_count + 1;
  shared->thread_count = 3;
  EXPECT_EQ(run_conversion(*shared), code_failure);
}

TEST(HighOrderConversion, MemoryFailureAnywhereAnswersCode2AndLeaksNothing) {
  // Tetrahedra on two threads, hexahedra whose skin is extracted, and a
  // boundary-layer run: every step's allocations are reached.
  enum Run { tetrahedra, hexahedra_skin, boundary_layer };
  for (Run run : {tetrahedra, hexahedra_skin, boundary_layer}) {
    const long failures =
        gridlume_test::for_each_allocation_failure([&](gridlume_test::AllocationFailure &failure) {
          ConversionState *state = conversion_state_new();
          ASSERT_NE(state, nullptr);
          if (run == hexahedra_skin) {
            import(hexahedra(2, true), *state);
          } else if (run == tetrahedra) {
            // In no spatial order, so that the workers renumber it.
            import(scrambled(ball(4)), *state);
          } else {
            import(ball(2), *state);
          }
          state->thread_count = run == tetrahedra ? 2 : 1;
          if (run == boundary_layer) {
            ASSERT_EQ(allocate_boundary_layer_pairs(*state, state->mesh.vertex_count), 0);
            state->boundary_layer_mode = 1;
            for (std::int32_t v = 1; v <= state->mesh.vertex_count; ++v)
              state->boundary_layer_pairs[v] = {v, 0};
          }
          failure.arm();
          const int code = run_conversion(*state);
          failure.disarm();
          // The pool that cannot start is code 1; any other step answers
          // code 2.
          if (failure.happened())
            EXPECT_TRUE(code == code_failure || code == code_parallel_failure) << code;
          else
            EXPECT_EQ(code, code_success);
          conversion_state_delete(state);
        });
    EXPECT_GT(failures, 10) << run;
  }
}

TEST(HighOrderConversion, PrismAndPyramidMeshesConvertToValidElements) {
  for (bool prisms : {true, false}) {
    const MixedMesh mesh = split_hexahedra(3, prisms);
    State state(conversion_state_new());
    import(mesh, *state);
    state->thread_count = 1;
    // Every input element is valid before the conversion.
    const int kind = prisms ? kind_prism : kind_pyramid;
    ASSERT_EQ(run_conversion(*state), code_success);
    EXPECT_EQ(state->mesh.elements[kind].nodes_per_element, prisms ? 18 : 14);
    for (std::int32_t e = 1; e <= state->mesh.count(kind); ++e)
      EXPECT_GT(state->quality[kind][e], 0.0) << (prisms ? "prism " : "pyramid ") << e;
    // The skin was found and curved: the nodes of the arcs of the outer
    // cylinder (radius 2, 30 degrees an edge) moved out to it, but for the
    // arcs on its ridges with the end planes z = 0 and z = 1.
    int arcs = 0;
    const ElementArray &array = state->mesh.elements[kind];
    const auto edges = shapes::order2_shapes[kind].edges;
    for (std::int32_t e = 1; e <= array.count; ++e)
      for (std::size_t i = 0; i < edges.size(); ++i) {
        const std::int32_t *list = array.element(e);
        const double *a = state->mesh.vertex(list[edges[i][0]]);
        const double *b = state->mesh.vertex(list[edges[i][1]]);
        if (std::fabs(std::hypot(a[0], a[1]) - 2) > 1e-9 ||
            std::fabs(std::hypot(b[0], b[1]) - 2) > 1e-9 || a[2] != b[2] || a[2] == 0.0 ||
            a[2] == 1.0 || (a[0] == b[0] && a[1] == b[1]))
          continue;
        const double *x = state->mesh.vertex(list[shapes::edge_node(kind, int(i))]);
        EXPECT_NEAR(std::hypot(x[0], x[1]), 2.0, 0.005);
        ++arcs;
      }
    EXPECT_GT(arcs, 0);
  }
}

// On one thread the steps work in the input numbering; from two threads on,
// in the workers' numbering, whose different order of smoothing and sums
// moves inner nodes by rounding (the test above). Any number of workers gives
// the same mesh bit for bit.
TEST(HighOrderConversion, DefaultConversionIsTheSameBitForBitOnTwoOrMoreWorkers) {
  const TetMesh mesh = scrambled(ball(16));
  State two = converted(mesh, 2);
  State three = converted(mesh, 3);
  ASSERT_EQ(two->mesh.vertex_count, three->mesh.vertex_count);
  EXPECT_EQ(two->mesh.coordinates, three->mesh.coordinates);
  for (int kind : {kind_triangle, kind_tetrahedron})
    EXPECT_EQ(two->mesh.elements[kind].nodes, three->mesh.elements[kind].nodes);
}

// A mesh generator's own order is kept; an input in no order is renumbered
// so that each element's vertices lie within a few layers of the grid.
TEST(HighOrderConversion, WorkersRenumberOnlyAnInputWithoutSpatialOrder) {
  for (bool scramble : {false, true}) {
    State state(conversion_state_new());
    import(scramble ? scrambled(ball(12)) : ball(12), *state);
    state->thread_count = 2;
    ASSERT_EQ(start_workers(*state), code_success);
    WorkerNumbering numbering;
    ASSERT_EQ(renumber_for_workers(*state, numbering), code_success);
    EXPECT_EQ(numbering.active, scramble);
    const ElementArray &tetrahedra = state->mesh.elements[kind_tetrahedron];
    std::int64_t span = 0;
    for (std::int32_t e = 1; e <= tetrahedra.count; ++e) {
      const std::int32_t *list = tetrahedra.element(e);
      span += *std::max_element(list, list + 4) - *std::min_element(list, list + 4);
    }
    // A layer of the 13^3 vertices holds 169 of them.
    EXPECT_LT(span / tetrahedra.count, 2 * 169) << scramble;
    ASSERT_EQ(restore_numbering(*state, numbering), code_success);
    stop_workers(*state);
  }
}

TEST(HighOrderConversion, AdjacencyBuiltOnTheWorkersIsTheSerialOne) {
  for (bool mixed : {false, true}) {
    State state(conversion_state_new());
    if (mixed)
      import(split_hexahedra(8, true), *state);
    else
      import(ball(16), *state);
    state->thread_count = 3;
    ASSERT_EQ(start_workers(*state), code_success);
    ASSERT_EQ(generate_nodes(*state), code_success);
    Topology serial, parallel;
    build_topology(state->mesh, serial);
    build_topology(state->mesh, parallel, state.get());
    EXPECT_EQ(parallel.offsets, serial.offsets) << mixed;
    EXPECT_EQ(parallel.elements, serial.elements) << mixed;
    stop_workers(*state);
  }
}
