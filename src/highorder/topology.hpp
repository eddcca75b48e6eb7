// The topology the steps after node generation need: the elements around
// every node, the boundary faces with outward orientation, and which nodes
// lie on the boundary.
#pragma once

#include <cstdint>

#include "core/allocator.hpp"

namespace gridlume::highorder {

struct InternalMesh;
struct ConversionState;

// An element reference packs its index and kind as index * 8 + kind.
inline constexpr std::uint32_t element_reference(int kind, std::int32_t index) noexcept {
  return static_cast<std::uint32_t>(index) * 8u + static_cast<std::uint32_t>(kind);
}
inline constexpr int reference_kind(std::uint32_t reference) noexcept {
  return static_cast<int>(reference & 7u);
}
inline constexpr std::int32_t reference_index(std::uint32_t reference) noexcept {
  return static_cast<std::int32_t>(reference >> 3);
}

// Node flags.
inline constexpr std::uint8_t boundary_node = 1;  // on the curved boundary: never smoothed
inline constexpr std::uint8_t ridge_node = 2;     // mid-node of a ridge of the boundary

struct Topology {
  // Volume elements around high-order node n: elements[offsets[n] ..
  // offsets[n + 1]). Corners never move, so their ranges are empty.
  FillLaterVector<std::int64_t> offsets;
  FillLaterVector<std::uint32_t> elements;
  // Boundary faces, 0-based, each outward from the volume element it bounds
  // (for a face between two elements, the one of smaller tag): triangles of
  // 6 nodes, quadrangles of 9, with their tags.
  std::int32_t triangle_count = 0;
  std::int32_t quadrangle_count = 0;
  Vector<std::int32_t> triangle_nodes;
  Vector<std::int32_t> quadrangle_nodes;
  Vector<std::int32_t> triangle_tags;
  Vector<std::int32_t> quadrangle_tags;
  // Per node (1..vertex count).
  Vector<std::uint8_t> node_flags;
  // The position of every boundary node on the curved description of the
  // boundary (3 per node). Only boundary nodes have one: the entries of the
  // other nodes are unset and never read.
  FillLaterVector<double> curved;

  const std::uint32_t *begin(std::int32_t node) const noexcept {
    return elements.data() + offsets[std::size_t(node)];
  }
  const std::uint32_t *end(std::int32_t node) const noexcept {
    return elements.data() + offsets[std::size_t(node) + 1];
  }
};

// Builds the topology of the order-2 mesh. The boundary faces are the mesh's
// triangles and quadrangles when it has any, else the faces of the volume
// elements that bound only one element. With a conversion state that has
// workers (`state` is the one owning `mesh`), the adjacency is built on
// them; the result is the same. Throws std::bad_alloc.
void build_topology(const InternalMesh &mesh, Topology &topology, ConversionState *state = nullptr);

// True when the element referenced has corner `vertex`.
bool element_has_corner(const InternalMesh &mesh, std::uint32_t reference,
                        std::int32_t vertex) noexcept;

}  // namespace gridlume::highorder
