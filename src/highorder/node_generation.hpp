// Creation of the second-order nodes through the sub-entity hash.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "highorder/conversion.hpp"

namespace gridlume::highorder {

// The key of a sub-entity from its corner vertex numbers: an edge (min, max,
// 0); a triangle its three vertices ascending; a quadrangle, from its
// smallest vertex, (smallest, the smaller of its two neighbours in the
// cycle, the opposite vertex). Inline: they run a dozen times per element,
// and an out-of-line call returning the key costs more than the lookup.
inline std::array<std::int32_t, 3> edge_key(std::int32_t a, std::int32_t b) noexcept {
  return {std::min(a, b), std::max(a, b), 0};
}
inline std::array<std::int32_t, 3> triangle_key(std::int32_t a, std::int32_t b,
                                                std::int32_t c) noexcept {
  std::array<std::int32_t, 3> key = {a, b, c};
  std::sort(key.begin(), key.end());
  return key;
}
inline std::array<std::int32_t, 3> quadrangle_key(const std::int32_t (&cycle)[4]) noexcept {
  int smallest = 0;
  for (int i = 1; i < 4; ++i)
    if (cycle[i] < cycle[smallest]) smallest = i;
  const std::int32_t before = cycle[(smallest + 3) % 4], after = cycle[(smallest + 1) % 4];
  return {cycle[smallest], std::min(before, after), cycle[(smallest + 2) % 4]};
}

// The number of sub-entities the hash can hold for the mesh's element
// counts (its overflow pool, allocated once).
std::int64_t sub_entity_pool_size(const InternalMesh &mesh) noexcept;

// Turns every element of state.mesh into an order-2 element: node lists
// rebuilt with their edge, face and centre nodes, the new nodes appended to
// the vertices at their straight positions: edge and face nodes in order of
// first appearance along the node lists, then the element centres. With
// workers, the edge and face nodes are generated on them
// (generate_nodes_on_workers), with the same numbers and positions. Returns
// code_success, code_failure (memory) or code_generation_failure (pool
// exhausted, with report::collision_table printed). `pool_size` < 1 means
// sub_entity_pool_size(); tests pass a small one.
int generate_nodes(ConversionState &state, std::int64_t pool_size = 0) noexcept;

// The edge and face nodes generated on the workers, the element sequence cut
// into shares: the same node lists, numbers and positions, and the same
// codes, as on the caller's thread. `pool_size` >= 1.
int generate_nodes_on_workers(ConversionState &state, std::int64_t pool_size) noexcept;

// The straight position of a sub-entity's node: the average of the n
// vertices nodes[local[0 .. n - 1]], summed in that order.
void corner_average(const InternalMesh &mesh, const std::int32_t *nodes, const std::int8_t *local,
                    int n, double *out) noexcept;

}  // namespace gridlume::highorder
