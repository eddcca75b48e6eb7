// The internal mesh of the high-order conversion: the linear volume mesh the
// session imports, turned in place into the second-order mesh the session's
// output mesh serves.
//
// Every array is indexed from 1; entry 0 exists and is never used, so that a
// vertex number read from the caller indexes the arrays directly.
//
// Node lists of the second-order elements, corners first (local numbers of
// the linear element, 0-based), then:
//   edge        2: mid-node of (0,1)
//   triangle    3..5: edges (0,1) (1,2) (2,0)
//   quadrangle  4..7: edges (0,1) (1,2) (2,3) (3,0); 8: centre
//   tetrahedron 4..9: edges (0,1) (1,2) (2,0) (0,3) (1,3) (2,3)
//   pyramid     5..12: base edges (0,1) (1,2) (2,3) (3,0), then (0,4) (1,4)
//               (2,4) (3,4); 13: base centre
//   prism       6..14: edges (0,1) (1,2) (2,0) (3,4) (4,5) (5,3) (0,3) (1,4)
//               (2,5); 15..17: sides (0,1,4,3) (1,2,5,4) (2,0,3,5)
//   hexahedron  8..19: edges (0,1) (1,2) (2,3) (3,0) (4,5) (5,6) (6,7) (7,4)
//               (0,4) (1,5) (2,6) (3,7); 20..25: faces (0,4,7,3) (1,2,6,5)
//               (0,1,5,4) (3,7,6,2) (0,3,2,1) (4,5,6,7); 26: centre
// (the edge and face tables are in element_shapes.hpp).
#pragma once

#include <array>
#include <cstdint>

#include "core/allocator.hpp"

namespace gridlume::highorder {

// Element kind codes of the conversion; slot 0 of per-kind arrays is unused.
enum ElementKind : int {
  kind_edge = 1,
  kind_triangle = 2,
  kind_quadrangle = 3,
  kind_tetrahedron = 4,
  kind_pyramid = 5,
  kind_prism = 6,
  kind_hexahedron = 7,
};
inline constexpr int kind_slots = 8;
inline constexpr int first_volume_kind = kind_tetrahedron;
inline constexpr int last_kind = kind_hexahedron;
inline constexpr int volume_kind_count = 4;

inline constexpr std::array<int, kind_slots> corner_counts = {0, 2, 3, 4, 4, 5, 6, 8};

// Nodes of an element of `kind` at `order` (order >= 1).
constexpr std::int64_t nodes_per_element(int kind, std::int64_t order) noexcept {
  const std::int64_t k = order;
  switch (kind) {
    case kind_edge:
      return k + 1;
    case kind_triangle:
      return (k + 1) * (k + 2) / 2;
    case kind_quadrangle:
      return (k + 1) * (k + 1);
    case kind_tetrahedron:
      return (k + 1) * (k + 2) * (k + 3) / 6;
    case kind_pyramid:
      return (k + 1) * (k + 2) * (2 * k + 3) / 6;
    case kind_prism:
      return (k + 1) * (k + 1) * (k + 2) / 2;
    case kind_hexahedron:
      return (k + 1) * (k + 1) * (k + 1);
    default:
      return 0;
  }
}

// The elements of one kind: `nodes_per_element` node numbers per element,
// element i at nodes[i * nodes_per_element], a tag and two mark bytes each.
struct ElementArray {
  std::int32_t count = 0;
  std::int32_t nodes_per_element = 0;
  FillLaterVector<std::int32_t> nodes;
  Vector<std::int32_t> tags;
  // Marks of the repair steps: [0] elements treated or good, [1] elements
  // put on a repair stack.
  std::array<Vector<std::uint8_t>, 2> marks;

  std::int32_t *element(std::int32_t index) noexcept {
    return nodes.data() + static_cast<std::size_t>(index) * nodes_per_element;
  }
  const std::int32_t *element(std::int32_t index) const noexcept {
    return nodes.data() + static_cast<std::size_t>(index) * nodes_per_element;
  }
};

struct InternalMesh {
  // 1 after import; the target order once the nodes are generated.
  std::int32_t order = 1;
  std::int32_t vertex_count = 0;
  std::int32_t vertex_capacity = 0;
  // The vertices of the linear mesh: numbers above it are generated nodes.
  std::int32_t linear_vertex_count = 0;
  std::int64_t surface_element_count = 0;
  std::int64_t volume_element_count = 0;
  // x, y, z of vertex i at coordinates[3 * i].
  FillLaterVector<double> coordinates;
  FillLaterVector<std::int32_t> vertex_tags;
  std::array<ElementArray, kind_slots> elements;

  double *vertex(std::int32_t index) noexcept {
    return coordinates.data() + 3 * std::size_t(index);
  }
  const double *vertex(std::int32_t index) const noexcept {
    return coordinates.data() + 3 * std::size_t(index);
  }
  std::int32_t count(int kind) const noexcept { return elements[kind].count; }
};

// Sizes the vertex arrays for `count` vertices 1..count, zero-filled, and
// makes it the linear vertex count. 0, -1 for a negative count, -5 when
// memory fails (the mesh then has no vertices).
int allocate_vertices(InternalMesh &mesh, std::int32_t count) noexcept;
// Sizes the arrays of `kind` for `count` elements of the mesh's current
// order, zero-filled, and updates the surface and volume totals. 0, -1 for a
// bad kind or count, -5 when memory fails (the kind then has no elements).
int allocate_elements(InternalMesh &mesh, int kind, std::int32_t count) noexcept;
// Appends one vertex (coordinates copied, tag 0), doubling the capacity when
// the arrays are full. Its number, or 0 when memory fails.
std::int32_t append_vertex(InternalMesh &mesh, const double *xyz) noexcept;
// Recomputes the surface and volume totals from the counts.
void update_totals(InternalMesh &mesh) noexcept;

}  // namespace gridlume::highorder
