// Front propagation: fronts leave every marked edge into the triangles beside
// it and move from triangle to triangle; where fronts of two different
// sources facing each other meet, the vertices of the triangle learn the
// distance between the sources.
#pragma once

#include <cstdint>

#include "core/allocator.hpp"
#include "proximity/fronts.hpp"
#include "proximity/marked_lines.hpp"
#include "proximity/proximity_mesh.hpp"

namespace gridlume::proximity {

// Distances are compared with this relative tolerance: a front replaces
// another only when it is nearer by more than this factor.
inline constexpr double distance_tolerance_factor = 1.01;
// Two fronts travel the same way, coming from the same side, when their
// directions of travel make an angle below 60 degrees: its cosine. Fronts at
// right angles come from two walls meeting at a corner and are both kept.
inline constexpr double same_way_cosine = 0.5;
// Two fronts face each other when their directions of travel make an angle
// of at least 120 degrees: its cosine. The two sides of a right-angled
// corner do not face each other, so a corner alone makes no proximity.
inline constexpr double facing_cosine = -0.5;
// Propagation runs at most max(vertex count / 100, 25) passes.
inline constexpr std::int32_t vertices_per_pass = 100;
inline constexpr std::int32_t smallest_pass_limit = 25;

inline constexpr double no_proximity = -1.0;

// Per vertex v (at index v - 1): the smallest accepted distance, or -1, and
// the direction between the two sources it was measured across (0 when none).
struct VertexProximity {
  Vector<double> distances;
  Vector<Vector3> directions;
};

struct PropagationSummary {
  std::int32_t passes = 0;
  std::size_t front_records = 0;
};

// Fills `result` for the vertices of `tables` (whose element front lists it
// uses). Throws std::bad_alloc when memory fails.
PropagationSummary compute_vertex_proximity(ProximityMesh &tables, double proximity_threshold,
                                            VertexProximity &result);

}  // namespace gridlume::proximity
