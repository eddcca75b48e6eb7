// A constrained triangulation of a box in the plane: points are inserted
// into a Delaunay triangulation of the box, segments between them are then
// recovered by edge flips, and the triangles are classified inside or
// outside by the parity of the segments crossed from the box's border. All
// geometric decisions go through the exact predicates, so nearly collinear
// input never loses a point or a segment to rounding.
#pragma once

#include <cstdint>

#include "cad/growable_array.hpp"

namespace gridlume {

struct TriangulationTriangle {
  std::int32_t vertex[3];    // counter-clockwise
  std::int32_t neighbor[3];  // across the side opposite vertex[k], -1 on the box border
  // Bits 0-2: the side opposite vertex[k] is a segment; bits 3-5: it was
  // given an odd number of times (it separates inside from outside).
  std::int32_t sides;
  std::int32_t flags;  // bit 1: outside the domain
};

inline constexpr std::int32_t triangle_outside_bit = 1 << 1;

class Triangulation {
 public:
  Triangulation() noexcept = default;
  Triangulation(const Triangulation &) = delete;
  Triangulation &operator=(const Triangulation &) = delete;

  // The two triangles of the box [xmin, xmax] x [ymin, ymax], with room for
  // `point_capacity` more points. 0 or -5.
  int create_box(const double *lower, const double *upper, std::int32_t point_capacity) noexcept;
  // Inserts a point strictly inside the box; `vertex` receives its number,
  // or that of an existing vertex at the same place. 0, -1 for a point not
  // strictly inside the box, -5 when memory fails.
  int insert_point(const double *xy, std::int32_t &vertex) noexcept;
  // Makes the segment between two vertices a side of the triangulation,
  // splitting it at vertices that lie on it. 0, -1 when it crosses a segment
  // already recovered or cannot be recovered, -5 when memory fails.
  int insert_segment(std::int32_t a, std::int32_t b) noexcept;
  // Marks every triangle inside or outside by the parity of the segments
  // crossed from the box's border. 0 or -5.
  int classify() noexcept;
  // Builds the grid of starting triangles for locate. 0 or -5.
  int build_locator() noexcept;

  // The triangle containing xy (on its border included), found by walking
  // from the grid cell of xy; -1 outside the box. `zero_sides` receives a
  // bit k for each side opposite vertex k on which xy lies.
  std::int32_t locate(const double *xy, int &zero_sides) const noexcept;
  // True when xy lies in at least one triangle not marked outside.
  bool inside(const double *xy) const noexcept;

  std::int32_t triangle_count() const noexcept { return triangles_.count(); }
  std::int32_t vertex_count() const noexcept { return points_.count() / 2; }
  const TriangulationTriangle &triangle(std::int32_t t) const noexcept { return triangles_[t]; }
  const double *point(std::int32_t v) const noexcept { return &points_[2 * v]; }
  // Whether the triangulation has an edge between two vertices that is a
  // segment.
  bool has_segment(std::int32_t a, std::int32_t b) const noexcept;

 private:
  std::int32_t walk(const double *xy, std::int32_t start, int &zero_sides) const noexcept;
  int add_triangle(const TriangulationTriangle &triangle, std::int32_t &number) noexcept;
  void relink(std::int32_t t, std::int32_t old_neighbor, std::int32_t new_neighbor) noexcept;
  void set_vertex_triangles(std::int32_t t) noexcept;
  void flip(std::int32_t t, int side) noexcept;
  bool flippable(std::int32_t t, int side) const noexcept;
  int legalize(std::int32_t vertex) noexcept;
  int split_triangle(std::int32_t t, std::int32_t vertex) noexcept;
  int split_side(std::int32_t t, int side, std::int32_t vertex) noexcept;
  // The triangle around a with side (a, b) as its first side after a; -1.
  bool find_edge(std::int32_t a, std::int32_t b, std::int32_t &t, int &side) const noexcept;
  void mark_segment(std::int32_t t, int side) noexcept;
  int recover(std::int32_t a, std::int32_t b, std::int32_t &reached) noexcept;

  GrowableArray<double> points_;  // two per vertex
  GrowableArray<std::int32_t> vertex_triangle_;
  GrowableArray<TriangulationTriangle> triangles_;
  GrowableArray<std::int32_t> work_;
  std::int32_t last_triangle_ = 0;
  double lower_[2] = {0, 0}, upper_[2] = {0, 0};
  // The locator grid: cell (i, j) holds a triangle near its centre.
  GrowableArray<std::int32_t> grid_;
  std::int32_t grid_size_ = 0;
  double cell_scale_[2] = {0, 0};
};

}  // namespace gridlume
