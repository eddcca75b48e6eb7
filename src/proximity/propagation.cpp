// How fronts move and meet.
//
// Entering a triangle, a front slides along its marked line to the segment
// nearest to the triangle's centroid, which becomes its source. Its distance
// is the distance from that segment to the centroid, and its direction of
// travel goes from the segment's nearest point to the centroid. All three
// follow from the geometry alone, so fronts of one line reaching a triangle
// along different paths are the same front.
//
// Entering a triangle, a front is compared with the fronts already there:
// - a front of the same source is already there: the newcomer stops;
// - a front travelling the same way (directions less than 60 degrees apart)
//   comes from the same side of the triangle: only the nearest is kept, and
//   the newcomer displaces the others only when nearer by more than the
//   tolerance factor (otherwise it stops), so near-equal fronts never take
//   turns at displacing each other;
// - fronts travelling other ways are joined, and each pair is examined.
// A front never crosses a marked edge (it has reached a wall), never enters a
// triangle lying wholly farther from its source than the proximity threshold
// (no distance could come of it), and is pushed once per arrival.
//
// Two fronts of a triangle produce a distance when their sources share no
// vertex, lie closer to each other than the proximity threshold, and the
// fronts face each other. At each vertex p of the triangle the candidate is
// |a - b|, a and b being the points of the two marked lines nearest to p
// (found from the sources along their lines): the width of the gap beside p,
// exact between two parallel walls and equal to the distance to the far wall
// for a vertex on a wall. Its direction is b - a.
//
// A pass sweeps the triangles with pending fronts; a front pushed into a
// triangle later in the sweep moves on in the same pass, and sweeps alternate
// in direction, so fronts cross a mesh in a few passes whatever its numbering.
#include "proximity/propagation.hpp"

#include <algorithm>
#include <array>
#include <new>

namespace gridlume::proximity {

namespace {

class FrontPropagation {
 public:
  FrontPropagation(ProximityMesh &tables, double proximity_threshold, VertexProximity &result)
      : tables_(tables), threshold_(proximity_threshold), result_(result) {}

  // A front on each side of every marked edge.
  void start();
  // Runs the passes; answers how many ran.
  std::int32_t propagate();
  std::size_t front_records() const { return pool_.records(); }

 private:
  Vector3 travel(const Element &element, std::int32_t source) const {
    return element.centroid - nearest_point(lines_[source].segment, element.centroid);
  }
  // Pushes the pending fronts of an element; true when one entered a neighbour.
  bool push_pending(std::int32_t element_index);
  // The front of `source` arriving in an element through `side`; true when
  // it stays there.
  bool enter(std::int32_t element_index, std::int32_t source, std::int8_t side);
  // `way` has the length `distance`, as a front's travel has its distance.
  bool travels_same_way(const Element &element, const Front &front, const Vector3 &way,
                        double distance) const {
    return geometry::dot(travel(element, front.source), way) >
           same_way_cosine * front.distance * distance;
  }
  // Examines the pair of fronts `earlier` and `arrived` of an element.
  void meet(const Element &element, const Front &earlier, const Front &arrived,
            const Vector3 &arrived_way);

  ProximityMesh &tables_;
  double threshold_;
  VertexProximity &result_;
  MarkedLines lines_;
  FrontPool pool_;
  // Per element, its fronts not yet pushed; apart from the elements, so that
  // a pass finds the elements to push without reading them all.
  Vector<std::int32_t> pending_fronts_;
  // Per vertex, the two sources it was last measured between, the smaller
  // first: the same pair met again in the next triangle gives the same
  // candidate.
  Vector<std::array<std::int32_t, 2>> last_measured_;
};

void FrontPropagation::start() {
  lines_.build(tables_);
  pool_.reserve(2 * tables_.elements.size());
  pending_fronts_.assign(tables_.elements.size(), 0);
  last_measured_.assign(static_cast<std::size_t>(tables_.vertex_count), {-1, -1});
  for (std::size_t e = 0; e < tables_.elements.size(); ++e) {
    const Element &element = tables_.elements[e];
    for (int side = 0; side < triangle_side_count; ++side) {
      if (element.side_is_marked(side))
        enter(static_cast<std::int32_t>(e), lines_.source_of(element, side),
              static_cast<std::int8_t>(side));
    }
  }
}

std::int32_t FrontPropagation::propagate() {
  const std::int32_t pass_limit =
      std::max(tables_.vertex_count / vertices_per_pass, smallest_pass_limit);
  const auto element_count = static_cast<std::int32_t>(tables_.elements.size());
  std::int32_t passes = 0;
  while (passes < pass_limit) {
    const bool forward = passes % 2 == 0;
    ++passes;
    bool moved = false;
    for (std::int32_t i = 0; i < element_count; ++i) {
      const std::int32_t e = forward ? i : element_count - 1 - i;
      if (pending_fronts_[e] > 0 && push_pending(e)) moved = true;
    }
    if (!moved) break;
  }
  return passes;
}

bool FrontPropagation::push_pending(std::int32_t element_index) {
  Element &element = tables_.elements[element_index];
  bool moved = false;
  // The neighbours are entered next; on a mesh numbered without locality
  // their records are far apart, so they are all asked for at once.
  for (const std::int32_t neighbour : element.neighbours)
    if (neighbour != no_element) __builtin_prefetch(&tables_.elements[neighbour]);
  // Entering a neighbour may grow the pool: fronts are reached by number.
  for (std::int32_t f = element.first_front; f != no_front; f = pool_[f].next) {
    if (!pool_[f].pending) continue;
    pool_[f].pending = 0;
    --pending_fronts_[element_index];
    const Front front = pool_[f];
    for (int side = 0; side < triangle_side_count; ++side) {
      const std::int32_t neighbour = element.neighbours[side];
      if (side == front.entry_side || neighbour == no_element || element.side_is_marked(side))
        continue;
      if (enter(neighbour, front.source, element.neighbour_sides[side])) moved = true;
    }
  }
  return moved;
}

bool FrontPropagation::enter(std::int32_t element_index, std::int32_t source, std::int8_t side) {
  Element &element = tables_.elements[element_index];
  const NearestOnLine nearest = lines_.nearest(source, element.centroid);
  source = nearest.source;
  const Vector3 way = element.centroid - nearest.point;
  const double distance = geometry::norm(way);
  if (distance - element.radius > threshold_) return false;

  for (std::int32_t f = element.first_front; f != no_front; f = pool_[f].next) {
    const Front &front = pool_[f];
    if (front.source == source) return false;
    if (travels_same_way(element, front, way, distance) &&
        !(distance * distance_tolerance_factor < front.distance))
      return false;
  }
  // Every front left travelling the same way is farther by more than the
  // tolerance: the newcomer displaces it.
  std::int32_t *link = &element.first_front;
  while (*link != no_front) {
    const std::int32_t f = *link;
    if (travels_same_way(element, pool_[f], way, distance)) {
      *link = pool_[f].next;
      if (pool_[f].pending) --pending_fronts_[element_index];
      pool_.recycle(f);
    } else {
      link = &pool_[f].next;
    }
  }

  const std::int32_t arrived = pool_.take();
  pool_[arrived] = Front{element.first_front, source, distance, side, 1};
  element.first_front = arrived;
  ++pending_fronts_[element_index];
  const Front &front = pool_[arrived];
  for (std::int32_t f = front.next; f != no_front; f = pool_[f].next)
    meet(element, pool_[f], front, way);
  return true;
}

void FrontPropagation::meet(const Element &element, const Front &earlier, const Front &arrived,
                            const Vector3 &arrived_way) {
  const SourceSegment &a = lines_[earlier.source];
  const SourceSegment &b = lines_[arrived.source];
  if (a.shares_vertex_with(b)) return;
  const double product = earlier.distance * arrived.distance;
  const double cosine_times_product = geometry::dot(travel(element, earlier.source), arrived_way);
  if (!(product > 0.0) || cosine_times_product > facing_cosine * product) return;
  if (!(segment_distance(a.segment, b.segment) < threshold_)) return;
  for (const std::int32_t vertex : element.vertices) {
    const std::array<std::int32_t, 2> pair = {std::min(earlier.source, arrived.source),
                                              std::max(earlier.source, arrived.source)};
    if (last_measured_[vertex - 1] == pair) continue;
    last_measured_[vertex - 1] = pair;
    const Vector3 &p = tables_.point(vertex);
    const Vector3 on_a = lines_.nearest(earlier.source, p).point;
    const Vector3 on_b = lines_.nearest(arrived.source, p).point;
    const double candidate = geometry::distance(on_a, on_b);
    double &kept = result_.distances[vertex - 1];
    if (kept < 0.0 || candidate < kept) {
      kept = candidate;
      result_.directions[vertex - 1] = on_b - on_a;
    }
  }
}

}  // namespace

PropagationSummary compute_vertex_proximity(ProximityMesh &tables, double proximity_threshold,
                                            VertexProximity &result) {
  result.distances.assign(static_cast<std::size_t>(tables.vertex_count), no_proximity);
  result.directions.assign(static_cast<std::size_t>(tables.vertex_count), Vector3{0, 0, 0});
  PropagationSummary summary;
  if (!tables.has_marked_side) return summary;
  FrontPropagation propagation(tables, proximity_threshold, result);
  propagation.start();
  summary.passes = propagation.propagate();
  summary.front_records = propagation.front_records();
  return summary;
}

}  // namespace gridlume::proximity
