// The facets of an STL file as the reader keeps them before building the
// mesh: the corners of every facet (normals are never used), grouped by
// solid in order of creation.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

#include "core/allocator.hpp"
#include "gridlume/mesh.h"

namespace gridlume {

// Nine coordinates a facet: three corners.
inline constexpr int facet_coordinates = 9;

struct StlFacets {
  static constexpr float inf = std::numeric_limits<float>::infinity();

  // Corners are read as floats, so they are kept as floats; they are widened
  // to doubles wherever they are used.
  Vector<float> corners;
  // The facet count at the end of each solid group: group g (tag g + 1) holds
  // facets group_ends[g - 1] .. group_ends[g] - 1.
  Vector<std::int32_t> group_ends;

  // The bounding box of every corner, taken while the facets are read.
  std::array<float, 3> box_min{inf, inf, inf};
  std::array<float, 3> box_max{-inf, -inf, -inf};

  void add_to_box(const float *corner) {
    for (int a = 0; a < 3; ++a) {
      box_min[a] = std::min(box_min[a], corner[a]);
      box_max[a] = std::max(box_max[a], corner[a]);
    }
  }

  std::int64_t facet_count() const {
    return static_cast<std::int64_t>(corners.size()) / facet_coordinates;
  }
};

// Fills the in-memory `mesh` (dimension 3) with the facets' triangles, their
// corners merged into shared vertices within `tolerance`. 0, or -5 when memory
// fails (throws nothing; std::bad_alloc is caught inside).
int build_stl_mesh(gridlume_mesh *mesh, const StlFacets &facets, double tolerance) noexcept;

}  // namespace gridlume
