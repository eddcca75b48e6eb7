// The marked edges as lines the fronts come from: one source segment per
// marked edge, shared by the fronts leaving it on either side, and the
// segments that continue each other at a vertex, along which a front finds
// the point of its line nearest to a place.
#pragma once

#include <array>
#include <cstdint>

#include "core/allocator.hpp"
#include "core/hash_table.hpp"
#include "proximity/proximity_mesh.hpp"

namespace gridlume::proximity {

// The walk along a marked line towards the point nearest to a place stops
// after this many edges, or where the line turns by 30 degrees or more (the
// cosine of that turn): past a corner lies another wall.
inline constexpr int marked_edge_walk_limit = 16;
inline constexpr double walk_turn_cosine = 0.8660254037844386;

struct SourceSegment {
  std::array<std::int32_t, 2> vertices;
  Segment segment;

  bool shares_vertex_with(const SourceSegment &other) const {
    return vertices[0] == other.vertices[0] || vertices[0] == other.vertices[1] ||
           vertices[1] == other.vertices[0] || vertices[1] == other.vertices[1];
  }
};

struct NearestOnLine {
  std::int32_t source;  // the segment holding the point
  Vector3 point;
};

class MarkedLines {
 public:
  // One source per distinct marked side of the mesh. Throws std::bad_alloc.
  void build(const ProximityMesh &tables);
  // The source of marked side `side` of `element`.
  std::int32_t source_of(const Element &element, int side) const;
  const SourceSegment &operator[](std::int32_t source) const { return sources_[source]; }
  std::size_t size() const { return sources_.size(); }
  // The point nearest to `place` of the segments reached from `source` by
  // walking along its line while the distance decreases.
  NearestOnLine nearest(std::int32_t source, const Vector3 &place) const;

 private:
  VertexPairTable numbers_;  // marked side -> source number + 1
  Vector<SourceSegment> sources_;
  // Sources ending at vertex v: line_sources_[first_line_source_[v] ..
  // first_line_source_[v + 1] - 1].
  Vector<std::int32_t> first_line_source_;
  Vector<std::int32_t> line_sources_;
};

}  // namespace gridlume::proximity
