// Creation of the second-order nodes through the sub-entity hash.
#pragma once

#include <array>
#include <cstdint>

#include "highorder/conversion.hpp"

namespace gridlume::highorder {

// The key of a sub-entity from its corner vertex numbers: an edge (min, max,
// 0); a triangle its three vertices ascending; a quadrangle, from its
// smallest vertex, (smallest, the smaller of its two neighbours in the
// cycle, the opposite vertex).
std::array<std::int32_t, 3> edge_key(std::int32_t a, std::int32_t b) noexcept;
std::array<std::int32_t, 3> triangle_key(std::int32_t a, std::int32_t b, std::int32_t c) noexcept;
std::array<std::int32_t, 3> quadrangle_key(const std::int32_t (&cycle)[4]) noexcept;

// The number of sub-entities the hash can hold for the mesh's element
// counts (its overflow pool, allocated once).
std::int64_t sub_entity_pool_size(const InternalMesh &mesh) noexcept;

// Turns every element of state.mesh into an order-2 element: node lists
// rebuilt with their edge, face and centre nodes, the new nodes appended to
// the vertices at their straight positions: edge and face nodes in order of
// first appearance along the node lists, then the element centres. Returns code_success,
// code_failure (memory) or code_generation_failure (pool exhausted, with
// report::collision_table printed). `pool_size` < 1 means
// sub_entity_pool_size(); tests pass a small one.
int generate_nodes(ConversionState &state, std::int64_t pool_size = 0) noexcept;

}  // namespace gridlume::highorder
