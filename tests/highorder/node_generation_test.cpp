// Node generation: sub-entity keys and buckets, shared nodes, straight
// positions, the overflow pool.
#include "highorder/node_generation.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <set>

#include "core/hash_keys.hpp"
#include "highorder/conversion.hpp"
#include "highorder/element_loops.hpp"
#include "test_meshes.hpp"

using namespace gridlume::highorder;
using namespace highorder_test;

namespace {

struct StateDelete {
  void operator()(ConversionState *state) const { conversion_state_delete(state); }
};
using State = std::unique_ptr<ConversionState, StateDelete>;

State imported(const TetMesh &mesh) {
  State state(conversion_state_new());
  import(mesh, *state);
  return state;
}

}  // namespace

TEST(HighOrderNodeKeys, EdgeTriangleAndQuadrangleKeysFollowTheirRules) {
  EXPECT_EQ(edge_key(9, 4), (std::array<std::int32_t, 3>{4, 9, 0}));
  EXPECT_EQ(edge_key(4, 9), edge_key(9, 4));
  EXPECT_EQ(triangle_key(7, 2, 5), (std::array<std::int32_t, 3>{2, 5, 7}));
  // From the smallest vertex: the smaller of its two neighbours, then the
  // vertex opposite.
  EXPECT_EQ(quadrangle_key({8, 3, 6, 5}), (std::array<std::int32_t, 3>{3, 6, 5}));
  EXPECT_EQ(quadrangle_key({3, 9, 6, 4}), (std::array<std::int32_t, 3>{3, 4, 6}));
  EXPECT_EQ(quadrangle_key({4, 6, 9, 3}), quadrangle_key({3, 9, 6, 4}));
  // Bucket (3 a + 5 b + 7 c) mod size, without overflow for large numbers.
  EXPECT_EQ(gridlume::OrderedTripleKey::bucket({1, 2, 3}, 100), 34);
  EXPECT_EQ(gridlume::OrderedTripleKey::bucket({INT32_MAX, INT32_MAX, INT32_MAX}, 1000),
            std::int32_t((15LL * INT32_MAX) % 1000));
}

TEST(HighOrderNodeGeneration, EveryEdgeGetsOneNodeSharedByItsElementsAtItsMidpoint) {
  State state = imported(cube(2));
  const std::int32_t linear = state->mesh.vertex_count;
  ASSERT_EQ(generate_nodes(*state), code_success);
  EXPECT_EQ(state->mesh.order, 2);
  std::map<std::pair<int, int>, std::int32_t> edge_nodes;
  static const int edges[6][2] = {{0, 1}, {1, 2}, {2, 0}, {0, 3}, {1, 3}, {2, 3}};
  const ElementArray &tets = state->mesh.elements[kind_tetrahedron];
  ASSERT_EQ(tets.nodes_per_element, 10);
  for (std::int32_t t = 1; t <= tets.count; ++t)
    for (int e = 0; e < 6; ++e) {
      const std::int32_t *list = tets.element(t);
      const auto key = std::minmax(list[edges[e][0]], list[edges[e][1]]);
      auto [entry, added] = edge_nodes.emplace(key, list[4 + e]);
      EXPECT_EQ(entry->second, list[4 + e]);
      const double *a = state->mesh.vertex(key.first), *b = state->mesh.vertex(key.second);
      for (int c = 0; c < 3; ++c) EXPECT_EQ(state->mesh.vertex(list[4 + e])[c], (a[c] + b[c]) / 2);
    }
  EXPECT_EQ(state->mesh.vertex_count, linear + std::int32_t(edge_nodes.size()));
  EXPECT_EQ(state->mesh.linear_vertex_count, linear);
  // Boundary triangles reuse the nodes of the tetrahedra's edges.
  const ElementArray &triangles = state->mesh.elements[kind_triangle];
  for (std::int32_t t = 1; t <= triangles.count; ++t)
    for (int e = 0; e < 3; ++e) {
      const std::int32_t *list = triangles.element(t);
      EXPECT_EQ(list[3 + e], edge_nodes.at(std::minmax(list[e], list[(e + 1) % 3])));
    }
  // New nodes are numbered in order of first appearance.
  std::int32_t expected = linear;
  std::set<std::int32_t> seen;
  for (std::int32_t t = 1; t <= triangles.count; ++t)
    for (int e = 3; e < 6; ++e)
      if (seen.insert(triangles.element(t)[e]).second) {
        EXPECT_EQ(triangles.element(t)[e], ++expected);
      }
}

TEST(HighOrderNodeGeneration, HexahedraShareFaceNodesAndOwnTheirCentres) {
  State state(conversion_state_new());
  import(hexahedra(2, false), *state);
  ASSERT_EQ(generate_nodes(*state), code_success);
  // 27 vertices; 54 edges, 36 faces and 8 centres become nodes.
  EXPECT_EQ(state->mesh.vertex_count, 27 + 54 + 36 + 8);
  const ElementArray &hexes = state->mesh.elements[kind_hexahedron];
  // Hexahedra 1 and 2 meet at x = 1/2: face 21 of the first is face 20 of
  // the second.
  EXPECT_EQ(hexes.element(1)[21], hexes.element(2)[20]);
  const double *centre = state->mesh.vertex(hexes.element(1)[26]);
  EXPECT_DOUBLE_EQ(centre[0], 0.25);
  EXPECT_DOUBLE_EQ(centre[1], 0.25);
  EXPECT_DOUBLE_EQ(centre[2], 0.25);
}

TEST(HighOrderNodeGeneration, ExhaustedOverflowPoolReportsCode5AndItsMessage) {
  State state = imported(cube(2));
  testing::internal::CaptureStdout();
  EXPECT_EQ(generate_nodes(*state, 10), code_generation_failure);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "The collision table ran out of buckets\n");
}

TEST(HighOrderNodeGeneration, PoolBoundHoldsEveryEdgeOfTheTestMeshes) {
  for (const TetMesh &mesh : {cube(1), cube(4), ball(6), shell(8)}) {
    State state = imported(mesh);
    const std::int64_t pool = sub_entity_pool_size(state->mesh);
    const std::int32_t linear = state->mesh.vertex_count;
    ASSERT_EQ(generate_nodes(*state), code_success);
    EXPECT_LE(state->mesh.vertex_count - linear, pool);
  }
}

// The generation cut into shares on the workers numbers and places every
// node exactly as the serial one, whatever the number of shares, on meshes
// with quadrangular faces (nodes at face centres, summed from the first
// element that names the face) and on an input without spatial order.
TEST(HighOrderNodeGeneration, SharesOnTheWorkersGiveTheSerialNodesBitForBit) {
  auto fill = [](State &state, int mesh) {
    switch (mesh) {
      case 0: import(scrambled(ball(16)), *state); break;
      case 1: import(split_hexahedra(12, true), *state); break;
      case 2: import(split_hexahedra(10, false), *state); break;
      default: import(hexahedra(14, true), *state); break;
    }
  };
  for (int mesh = 0; mesh < 4; ++mesh) {
    State serial(conversion_state_new());
    fill(serial, mesh);
    ASSERT_EQ(generate_nodes(*serial), code_success);
    for (int threads : {2, 3, 5}) {
      State shared(conversion_state_new());
      fill(shared, mesh);
      shared->thread_count = threads;
      ASSERT_EQ(start_workers(*shared), code_success);
      ASSERT_EQ(generate_nodes(*shared), code_success);
      stop_workers(*shared);
      const InternalMesh &a = serial->mesh, &b = shared->mesh;
      ASSERT_EQ(b.vertex_count, a.vertex_count) << mesh << " " << threads;
      EXPECT_EQ(0, std::memcmp(a.coordinates.data(), b.coordinates.data(),
                               3 * (std::size_t(a.vertex_count) + 1) * sizeof(double)))
          << mesh << " " << threads;
      for (int kind = kind_edge; kind <= last_kind; ++kind) {
        ASSERT_EQ(b.elements[kind].nodes_per_element, a.elements[kind].nodes_per_element);
        EXPECT_TRUE(std::equal(a.elements[kind].nodes.begin(), a.elements[kind].nodes.end(),
                               b.elements[kind].nodes.begin(), b.elements[kind].nodes.end()))
            << mesh << " " << threads << " kind " << kind;
      }
    }
  }
  // An exhausted pool is found whichever share meets it.
  State small(conversion_state_new());
  fill(small, 0);
  small->thread_count = 3;
  ASSERT_EQ(start_workers(*small), code_success);
  testing::internal::CaptureStdout();
  EXPECT_EQ(generate_nodes(*small, 20000), code_generation_failure);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "The collision table ran out of buckets\n");
  stop_workers(*small);
}
