// What the proximity computation reads of a 2D mesh: its triangles with their
// neighbours across shared sides, the sides that are marked mesh edges, and
// the vertex coordinates.
#pragma once

#include <array>
#include <cstdint>

#include "core/allocator.hpp"
#include "gridlume/mesh.h"
#include "proximity/segment_distance.hpp"

namespace gridlume::proximity {

inline constexpr int triangle_side_count = 3;
inline constexpr std::int32_t no_element = -1;
inline constexpr std::int32_t no_front = -1;

// Side k of a triangle joins its vertices k and k + 1 (mod 3).
inline constexpr std::array<std::array<int, 2>, triangle_side_count> side_corners = {
    {{0, 1}, {1, 2}, {2, 0}}};

struct Element {
  std::array<std::int32_t, 3> vertices;        // 1-based vertex numbers
  std::array<std::int32_t, 3> neighbours;      // 0-based element across each side, or no_element
  std::array<std::int8_t, 3> neighbour_sides;  // the neighbour's local side
  std::uint8_t marked_sides;                   // bit k: side k is a marked mesh edge
  std::int32_t first_front;                    // head of the element's front list
  Vector3 centroid;
  double radius;  // largest distance from centroid to a corner

  bool side_is_marked(int side) const { return (marked_sides >> side) & 1u; }
};

// How reading a mesh ended; each failure has its own message.
enum class ReadResult { ok, mesh_data, quadrangles, coordinates };

struct ProximityMesh {
  std::int32_t vertex_count = 0;
  std::int32_t edge_count = 0;
  Vector<Element> elements;
  Vector<Vector3> points;  // vertex v at points[v - 1]; read only when a side is marked
  bool has_marked_side = false;

  const Vector3 &point(std::int32_t vertex) const { return points[vertex - 1]; }
  Segment side_segment(const Element &element, int side) const {
    return {point(element.vertices[side_corners[side][0]]),
            point(element.vertices[side_corners[side][1]])};
  }
};

// Reads the counts, the triangles and the edges of `mesh`, links triangles
// across shared sides, marks the sides that are mesh edges and, when one is,
// reads the vertex coordinates. Memory exhaustion throws std::bad_alloc.
ReadResult read_proximity_mesh(gridlume_mesh *mesh, ProximityMesh &tables);

// The bucket count of a side or edge table for `key_estimate` keys: 11 for
// at most 32 keys, a third of them otherwise.
std::int32_t pair_table_bucket_count(std::int64_t key_estimate);

}  // namespace gridlume::proximity
