#include "proximity/marked_lines.hpp"

#include <new>

namespace gridlume::proximity {

namespace {

VertexPairKey::Key side_pair(const Element &element, int side) {
  return {element.vertices[side_corners[side][0]], element.vertices[side_corners[side][1]]};
}

// Two segments at a vertex continue one line when they make an angle below
// the walk's turn limit.
bool turns_gently(const Segment &a, const Segment &b) {
  const Vector3 u = a.end - a.start, v = b.end - b.start;
  const double dot = geometry::dot(u, v);
  return dot * dot >= walk_turn_cosine * walk_turn_cosine * geometry::squared_norm(u) *
                          geometry::squared_norm(v);
}

}  // namespace

void MarkedLines::build(const ProximityMesh &tables) {
  std::int64_t marked_sides = 0;
  for (const Element &element : tables.elements)
    for (int side = 0; side < triangle_side_count; ++side)
      marked_sides += element.side_is_marked(side) ? 1 : 0;
  const std::int32_t bucket_count = pair_table_bucket_count(marked_sides);
  if (numbers_.create(bucket_count, static_cast<std::int32_t>(marked_sides)) != GRIDLUME_STATUS_OK)
    throw std::bad_alloc();
  for (const Element &element : tables.elements) {
    for (int side = 0; side < triangle_side_count; ++side) {
      if (!element.side_is_marked(side)) continue;
      const std::int32_t number = numbers_.insert(side_pair(element, side));
      if (number == 0) throw std::bad_alloc();
      if (static_cast<std::size_t>(number) > sources_.size())
        sources_.push_back(
            SourceSegment{side_pair(element, side), tables.side_segment(element, side)});
    }
  }

  first_line_source_.assign(static_cast<std::size_t>(tables.vertex_count) + 2, 0);
  for (const SourceSegment &source : sources_)
    for (const std::int32_t vertex : source.vertices) ++first_line_source_[vertex];
  for (std::size_t v = 1; v < first_line_source_.size(); ++v)
    first_line_source_[v] += first_line_source_[v - 1];
  line_sources_.resize(2 * sources_.size());
  // Each count is now the end of its vertex's list; filling from the back
  // moves it to the start.
  for (std::size_t s = sources_.size(); s-- > 0;)
    for (const std::int32_t vertex : sources_[s].vertices)
      line_sources_[--first_line_source_[vertex]] = static_cast<std::int32_t>(s);
}

std::int32_t MarkedLines::source_of(const Element &element, int side) const {
  return numbers_.find(side_pair(element, side)) - 1;
}

// The distance along the line has a local minimum where the nearest point
// of a segment lies inside it; at an end, the walk goes on through the
// segments continuing the line there when one is nearer.
NearestOnLine MarkedLines::nearest(std::int32_t source, const Vector3 &place) const {
  const Segment &first = sources_[source].segment;
  double t = nearest_parameter(first, place);
  NearestOnLine found{source, first.start + scaled(first.end - first.start, t)};
  double smallest = geometry::squared_norm(place - found.point);
  for (int step = 0; step < marked_edge_walk_limit && (t <= 0.0 || t >= 1.0); ++step) {
    const SourceSegment &current = sources_[found.source];
    const std::int32_t vertex = t <= 0.0 ? current.vertices[0] : current.vertices[1];
    std::int32_t closer = -1;
    double closer_t = 0.0;
    for (std::int32_t k = first_line_source_[vertex]; k < first_line_source_[vertex + 1]; ++k) {
      if (line_sources_[k] == found.source) continue;
      const Segment &next = sources_[line_sources_[k]].segment;
      const double next_t = nearest_parameter(next, place);
      const Vector3 point = next.start + scaled(next.end - next.start, next_t);
      const double squared = geometry::squared_norm(place - point);
      if (squared < smallest && turns_gently(current.segment, next)) {
        smallest = squared;
        found.point = point;
        closer = line_sources_[k];
        closer_t = next_t;
      }
    }
    if (closer < 0) break;
    found.source = closer;
    t = closer_t;
  }
  return found;
}

}  // namespace gridlume::proximity
