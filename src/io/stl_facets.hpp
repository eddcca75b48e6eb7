// The facets of an STL file on their way to the mesh: what sizes the merge,
// and their corners (normals are never used) handed out in file order.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

#include "core/allocator.hpp"
#include "gridlume/mesh.h"

namespace gridlume {

// Nine coordinates a facet: three corners.
inline constexpr int facet_coordinates = 9;
// The mean edge length sizing the merge grid's parts is taken over at most
// this many facets, spread over the file.
inline constexpr std::int64_t edge_length_samples = 4096;

// What the merge is sized by, taken while the facets are first read: their
// count, the solid groups, the bounding box of every corner, and the mean
// length of the first edge of sampled facets. Corners are read as floats,
// and widened to doubles wherever they are used.
struct FacetSummary {
  static constexpr float inf = std::numeric_limits<float>::infinity();

  std::int64_t facet_count = 0;
  // The facet count at the end of each solid group: group g (tag g + 1)
  // holds facets group_ends[g - 1] .. group_ends[g] - 1.
  Vector<std::int32_t> group_ends;
  std::array<float, 3> box_min{inf, inf, inf};
  std::array<float, 3> box_max{-inf, -inf, -inf};
  double edge_sum = 0;
  std::int64_t edges_sampled = 0;

  // Every facet-th facet's first edge is sampled, so that at most
  // edge_length_samples are.
  static std::int64_t sample_step(std::int64_t facets) {
    return std::max<std::int64_t>(1, facets / edge_length_samples);
  }
  void add_to_box(const float *facet) {
    for (int k = 0; k < facet_coordinates; ++k) {
      box_min[k % 3] = std::min(box_min[k % 3], facet[k]);
      box_max[k % 3] = std::max(box_max[k % 3], facet[k]);
    }
  }
  void sample_edge(const float *facet) {
    const double dx = double(facet[3]) - facet[0], dy = double(facet[4]) - facet[1],
                 dz = double(facet[5]) - facet[2];
    edge_sum += std::sqrt(dx * dx + dy * dy + dz * dz);
    ++edges_sampled;
  }
};

// The facets' corners in file order, a chunk at a time: `next` points
// `corners` at the next facets (nine coordinates each) and answers how many
// there are, 0 after the last, -1 when they cannot be read.
struct FacetChunks {
  std::int64_t (*next)(void *state, const float **corners);
  void *state;
};

// Fills the in-memory `mesh` (dimension 3) with the facets' triangles, their
// corners merged into shared vertices within `tolerance`. 0, -1 when the
// chunks fail or the vertices pass the 32-bit range, -5 when memory fails
// (throws nothing; std::bad_alloc is caught inside).
int build_stl_mesh(gridlume_mesh *mesh, const FacetSummary &summary, FacetChunks chunks,
                   double tolerance) noexcept;

}  // namespace gridlume
