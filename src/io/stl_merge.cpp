// Building the mesh of an STL file: facet corners merged into shared
// vertices through a bucket grid over their bounding box.
//
// The grid has about 125 cells, as the reader has always had. A cell of it
// can hold a great many vertices (a million-vertex surface puts thousands in
// each), so every cell is further split, per axis, into parts about as large
// as a facet's edge and never smaller than the tolerance: a vertex within
// the tolerance of a corner then lies in the parts overlapping the box of
// half-width `tolerance` around the corner, most often a single part. Parts
// are numbered over the whole grid and hashed into a table of chain heads,
// parts next to each other along the first axis in heads next to each other,
// so that a walk along the surface stays in the cache; each vertex is an
// entry of the store, chained to the next vertex of its bucket.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <new>
#include <utility>

#include "gridlume/mesh_memory.h"
#include "io/stl_facets.hpp"
#include "mesh/memory_storage.hpp"

namespace gridlume {

namespace {

// The grid aims at this many cells, and shrinks while it has more than
// grid_cell_slack times as many.
constexpr double grid_cell_target = 125;
constexpr double grid_cell_slack = 1.3;
constexpr double grid_shrink_factor = 0.75;
constexpr double grid_max_cells_per_axis = 125;
// The entry store starts with room for this many vertices per facet, and
// grows by the larger of this factor and this step.
constexpr std::int64_t entries_per_facet = 3;
constexpr double entry_growth_factor = 1.2;
constexpr std::int64_t entry_growth_step = 21;
// Parts per axis over the whole grid, so that a part number fits 63 bits.
constexpr std::int64_t max_parts_per_axis = std::int64_t(1) << 20;
// Parts are kept a little larger than the tolerance, so that rounding in
// their sizes never makes one smaller.
constexpr double part_size_margin = 1.0 + 1e-9;
// Corners ahead of the one looked up whose chain head, and whose chain's
// first vertex, are fetched early.
constexpr std::int64_t head_lookahead = 16;
constexpr std::int64_t vertex_lookahead = 8;
// Chain heads: a power of two between these, near the facet count.
constexpr int min_bucket_bits = 10;
constexpr int max_bucket_bits = 26;

// A vertex of the store: its coordinates (corners are floats) and the next
// vertex of its bucket, 0 at the end.
struct Entry {
  float xyz[3];
  std::int32_t next;
};

struct Axis {
  double minimum = 0;
  double parts_per_length = 0;  // 0 for a flat axis: every corner in part 0
  std::int64_t parts = 1;

  // Any function of the coordinate that never decreases as the coordinate
  // grows finds every vertex of a box in the parts between those of the
  // box's ends; a product by the inverse size is one (and quicker than a
  // division).
  std::int64_t part_of(double coordinate) const {
    const double position = (coordinate - minimum) * parts_per_length;
    if (!(position >= 0)) return 0;
    if (position >= static_cast<double>(parts - 1)) return parts - 1;
    return static_cast<std::int64_t>(position);
  }
};

class VertexGrid {
 public:
  VertexGrid(const FacetSummary &summary, double tolerance) : tolerance_(tolerance) {
    size_axes(summary);
    int bits = min_bucket_bits;
    while (bits < max_bucket_bits && (std::int64_t(1) << bits) < summary.facet_count) ++bits;
    heads_.assign(std::size_t(1) << bits, 0);
    mask_ = (std::uint64_t(1) << bits) - 1;
    entries_.reserve(static_cast<std::size_t>(entries_per_facet * summary.facet_count + 1));
    entries_.push_back(Entry{});  // number 0 ends the chains
  }

  // The number of the vertex nearest to the corner within the tolerance,
  // adding the corner as a new vertex when there is none.
  std::int32_t vertex_of(const float *corner) {
    // Vertices never coincide (a corner at distance 0 from a vertex is
    // merged into it), so a vertex at the corner's very place is the
    // nearest. Neighbouring facets share corners: the vertices of the last
    // few corners are looked at first.
    for (std::int32_t v : recent_) {
      const Entry &entry = entries_[v];
      if (v != 0 && entry.xyz[0] == corner[0] && entry.xyz[1] == corner[1] &&
          entry.xyz[2] == corner[2])
        return remember(v);
    }
    return remember(search(corner));
  }

  // Hints for a corner a few ahead of the one being looked up: bring the
  // chain head of its part into the cache, then the first vertex of that
  // chain. They change nothing.
  void prefetch_head(const float *corner) const { __builtin_prefetch(&heads_[head_index(corner)]); }
  void prefetch_first_vertex(const float *corner) const {
    __builtin_prefetch(&entries_.data()[heads_[head_index(corner)]]);
  }

  // The vertices, numbered from 1 (entry 0 is no vertex).
  Vector<Entry> take_entries() { return std::move(entries_); }

 private:
  std::int32_t remember(std::int32_t vertex) {
    recent_[next_recent_] = vertex;
    next_recent_ = (next_recent_ + 1) % recent_count;
    return vertex;
  }

  std::int32_t search(const float *corner) {
    std::int64_t low[3], high[3];
    for (int a = 0; a < 3; ++a) {
      low[a] = axes_[a].part_of(corner[a] - tolerance_);
      high[a] = axes_[a].part_of(corner[a] + tolerance_);
    }
    std::int32_t nearest = 0;
    double nearest_square = std::numeric_limits<double>::infinity();
    for (std::int64_t z = low[2]; z <= high[2]; ++z)
      for (std::int64_t y = low[1]; y <= high[1]; ++y)
        for (std::int64_t x = low[0]; x <= high[0]; ++x)
          for (std::int32_t v = heads_[bucket(x, y, z)]; v != 0; v = entries_[v].next) {
            const Entry &entry = entries_[v];
            const double dx = double(entry.xyz[0]) - corner[0];
            const double dy = double(entry.xyz[1]) - corner[1];
            const double dz = double(entry.xyz[2]) - corner[2];
            const double square = dx * dx + dy * dy + dz * dz;
            // Of vertices at the same distance, the first numbered is kept.
            if (square < nearest_square || (square == nearest_square && v < nearest)) {
              nearest = v;
              nearest_square = square;
            }
          }
    if (nearest != 0 && std::sqrt(nearest_square) < tolerance_) return nearest;
    return add(corner);
  }

  void size_axes(const FacetSummary &summary) {
    double minimum[3], maximum[3];
    for (int a = 0; a < 3; ++a) {
      minimum[a] = summary.box_min[a];
      maximum[a] = summary.box_max[a];
    }
    // Parts about as large as a facet's edge hold a vertex or a few of a
    // surface.
    const double edge = summary.edges_sampled > 0 && std::isfinite(summary.edge_sum)
                            ? summary.edge_sum / double(summary.edges_sampled)
                            : 0;
    const double part_floor = std::max(tolerance_ * part_size_margin, edge);
    double extent[3], cells[3];
    for (int a = 0; a < 3; ++a) extent[a] = std::isfinite(maximum[a] - minimum[a]) ? maximum[a] - minimum[a] : 0;
    double cell = std::cbrt(std::fabs(extent[0] * extent[1] * extent[2]) / grid_cell_target);
    if (!(cell > 0)) cell = 1;
    for (int a = 0; a < 3; ++a) cells[a] = std::max(1.0, extent[a] / cell);
    while (cells[0] * cells[1] * cells[2] > grid_cell_slack * grid_cell_target)
      for (double &count : cells)
        count = std::clamp(count * grid_shrink_factor, 1.0, grid_max_cells_per_axis);
    for (int a = 0; a < 3; ++a) {
      const auto cell_count = static_cast<std::int64_t>(cells[a]);
      const double cell_size = extent[a] / static_cast<double>(cell_count);
      std::int64_t split = 1;
      if (cell_size > 0 && part_floor > 0) {
        const double fitting = std::floor(cell_size / part_floor);
        split = static_cast<std::int64_t>(
            std::clamp(fitting, 1.0, double(max_parts_per_axis / cell_count)));
      }
      axes_[a].minimum = minimum[a];
      axes_[a].parts = cell_count * split;
      const double part_size = cell_size / static_cast<double>(split);
      axes_[a].parts_per_length = part_size > 0 ? 1 / part_size : 0;
    }
  }

  std::size_t bucket(std::int64_t x, std::int64_t y, std::int64_t z) const {
    // Parts next to each other along the first axis share cache lines.
    constexpr std::uint64_t y_mix = 0x9E3779B1u, z_mix = 0x85EBCA77u;
    return static_cast<std::size_t>((std::uint64_t(x) + std::uint64_t(y) * y_mix +
                                     std::uint64_t(z) * z_mix) & mask_);
  }

  std::int32_t add(const float *corner) {
    if (entries_.size() == entries_.capacity()) {
      const std::size_t size = entries_.size();
      entries_.reserve(std::max<std::size_t>(static_cast<std::size_t>(size * entry_growth_factor),
                                             size + entry_growth_step));
    }
    const auto number = static_cast<std::int32_t>(entries_.size());
    std::int32_t &head = head_of(corner);
    entries_.push_back(Entry{{corner[0], corner[1], corner[2]}, head});
    head = number;
    return number;
  }

  std::size_t head_index(const float *corner) const {
    return bucket(axes_[0].part_of(corner[0]), axes_[1].part_of(corner[1]),
                  axes_[2].part_of(corner[2]));
  }
  std::int32_t &head_of(const float *corner) { return heads_[head_index(corner)]; }

  double tolerance_;
  Axis axes_[3];
  Vector<std::int32_t> heads_;
  std::uint64_t mask_ = 0;
  Vector<Entry> entries_;
  // The vertices of the last corners, 0 where there is none yet.
  static constexpr int recent_count = 6;
  std::array<std::int32_t, recent_count> recent_{};
  int next_recent_ = 0;
};

// How the tolerance bounds the merge.
enum class Merge { none, within_tolerance, all };

Merge merge_kind(double tolerance) {
  if (tolerance < 0 || std::isinf(tolerance)) return Merge::all;
  // A distance is never below 0, nor below an undefined tolerance.
  if (!(tolerance > 0)) return Merge::none;
  return Merge::within_tolerance;
}

// Hands every corner of the chunks, in order, to `take(corner, number)`;
// false when the chunks fail or hold another count of facets.
template <class Take>
bool for_each_corner(FacetChunks chunks, std::int64_t facet_count, Take take) {
  std::int64_t corner_number = 0;
  const float *corners = nullptr;
  for (std::int64_t count; (count = chunks.next(chunks.state, &corners)) != 0;) {
    if (count < 0 || corner_number + 3 * count > 3 * facet_count) return false;
    for (std::int64_t c = 0; c < 3 * count; ++c, ++corner_number) take(corners + 3 * c, corner_number);
  }
  return corner_number == 3 * facet_count;
}

int build(gridlume_mesh *mesh, const FacetSummary &summary, FacetChunks chunks, double tolerance) {
  MeshStorage &storage = *storage_of(mesh);
  gridlume_mesh_set_dimension(mesh, 3);
  const std::int64_t facet_count = summary.facet_count;
  if (facet_count == 0) return GRIDLUME_STATUS_OK;
  const std::int64_t corner_count = 3 * facet_count;
  if (facet_count > INT32_MAX) return GRIDLUME_STATUS_ERROR;
  // Corner vertex numbers go straight into the triangles.
  int *corner_vertices = sized_values<slot_triangle_vertices>(storage, static_cast<int>(facet_count));
  if (corner_vertices == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
  auto fill_coordinates = [&](const float *first, std::size_t stride, std::int64_t count) {
    double *xyz = sized_values<slot_vertex_coordinates>(storage, static_cast<int>(count));
    if (xyz == nullptr) return false;
    for (std::int64_t v = 0; v < count; ++v)
      for (int a = 0; a < 3; ++a) xyz[3 * v + a] = first[v * stride + a];
    return true;
  };
  switch (merge_kind(tolerance)) {
    case Merge::within_tolerance: {
      VertexGrid grid(summary, tolerance);
      std::int64_t number = 0;
      const float *corners = nullptr;
      for (std::int64_t count; (count = chunks.next(chunks.state, &corners)) != 0;) {
        if (count < 0 || number + 3 * count > corner_count) return GRIDLUME_STATUS_ERROR;
        // Corners a little ahead have their chain heads, then the first
        // vertices of those chains, fetched while the current one is
        // looked up.
        const std::int64_t in_chunk = 3 * count;
        for (std::int64_t c = 0; c < in_chunk; ++c) {
          if (c + head_lookahead < in_chunk) grid.prefetch_head(corners + 3 * (c + head_lookahead));
          if (c + vertex_lookahead < in_chunk)
            grid.prefetch_first_vertex(corners + 3 * (c + vertex_lookahead));
          corner_vertices[number++] = grid.vertex_of(corners + 3 * c);
        }
      }
      if (number != corner_count) return GRIDLUME_STATUS_ERROR;
      const Vector<Entry> vertices = grid.take_entries();
      const auto vertex_count = static_cast<std::int64_t>(vertices.size()) - 1;
      if (!fill_coordinates(vertices[1].xyz, sizeof(Entry) / sizeof(float), vertex_count))
        return GRIDLUME_STATUS_NO_MEMORY;
      break;
    }
    case Merge::all: {
      float first[3] = {};
      if (!for_each_corner(chunks, facet_count, [&](const float *corner, std::int64_t number) {
            if (number == 0) std::copy(corner, corner + 3, first);
            corner_vertices[number] = 1;
          }))
        return GRIDLUME_STATUS_ERROR;
      if (!fill_coordinates(first, 3, 1)) return GRIDLUME_STATUS_NO_MEMORY;
      break;
    }
    case Merge::none: {
      if (corner_count > INT32_MAX) return GRIDLUME_STATUS_ERROR;
      double *xyz = sized_values<slot_vertex_coordinates>(storage, static_cast<int>(corner_count));
      if (xyz == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
      if (!for_each_corner(chunks, facet_count, [&](const float *corner, std::int64_t number) {
            for (int a = 0; a < 3; ++a) xyz[3 * number + a] = corner[a];
            corner_vertices[number] = static_cast<int>(number + 1);
          }))
        return GRIDLUME_STATUS_ERROR;
      break;
    }
  }
  int *tags = sized_values<slot_triangle_tag>(storage, static_cast<int>(facet_count));
  if (tags == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
  std::int32_t first = 0;
  for (std::size_t group = 0; group < summary.group_ends.size(); ++group) {
    std::fill(tags + first, tags + summary.group_ends[group], static_cast<int>(group + 1));
    first = summary.group_ends[group];
  }
  return GRIDLUME_STATUS_OK;
}

}  // namespace

int build_stl_mesh(gridlume_mesh *mesh, const FacetSummary &summary, FacetChunks chunks,
                   double tolerance) noexcept {
  try {
    return build(mesh, summary, chunks, tolerance);
  } catch (const std::bad_alloc &) {
    return GRIDLUME_STATUS_NO_MEMORY;
  }
}

}  // namespace gridlume
