// The constrained triangulation behind a face's domain test.
#include "cad/triangulation.hpp"

#include <algorithm>
#include <cmath>

#include "cad/exact_predicates.hpp"
#include "gridlume/common.h"

namespace gridlume {
namespace {

inline int next(int k) { return k == 2 ? 0 : k + 1; }
inline int prev(int k) { return k == 0 ? 2 : k - 1; }

// Side bits: bit 0 the side is a segment, bit 1 it separates the domain.
constexpr std::int32_t segment_side = 1;
constexpr std::int32_t parity_side = 2;
inline std::int32_t side_bits(const TriangulationTriangle &t, int k) {
  return ((t.sides >> k) & 1) | (((t.sides >> (k + 3)) & 1) << 1);
}
inline void set_side_bits(TriangulationTriangle &t, int k, std::int32_t bits) {
  t.sides &= ~((1 << k) | (1 << (k + 3)));
  t.sides |= (bits & segment_side) << k;
  t.sides |= ((bits & parity_side) >> 1) << (k + 3);
}
inline int index_of(const TriangulationTriangle &t, std::int32_t vertex) {
  return t.vertex[0] == vertex ? 0 : t.vertex[1] == vertex ? 1 : t.vertex[2] == vertex ? 2 : -1;
}
inline int neighbor_index(const TriangulationTriangle &t, std::int32_t neighbor) {
  return t.neighbor[0] == neighbor ? 0 : t.neighbor[1] == neighbor ? 1 : 2;
}

// Walks give up after this many steps per triangle (they end far sooner on
// any valid triangulation; the bound only guards against a corrupted one).
constexpr std::int32_t walk_steps_per_triangle = 16;
constexpr std::int32_t walk_extra_steps = 1024;
// Segment recovery gives up after this many flip attempts per crossed edge
// squared.
constexpr std::int64_t recovery_attempts_per_edge = 8;
// The locator grid has about this many triangles per cell, and at most this
// many cells along a side.
constexpr std::int32_t triangles_per_cell = 2;
constexpr std::int32_t max_grid_size = 2048;

}  // namespace

int Triangulation::create_box(const double *lower, const double *upper,
                              std::int32_t point_capacity) noexcept {
  std::int32_t vertices = point_capacity + 4;
  if (points_.reserve(2 * vertices) != GRIDLUME_STATUS_OK ||
      vertex_triangle_.reserve(vertices) != GRIDLUME_STATUS_OK ||
      triangles_.reserve(2 * vertices) != GRIDLUME_STATUS_OK)
    return GRIDLUME_STATUS_NO_MEMORY;
  for (int k = 0; k < 2; ++k) lower_[k] = lower[k], upper_[k] = upper[k];
  const double corners[4][2] = {
      {lower[0], lower[1]}, {upper[0], lower[1]}, {upper[0], upper[1]}, {lower[0], upper[1]}};
  for (const auto &corner : corners) {
    points_.append(corner[0]);
    points_.append(corner[1]);
    vertex_triangle_.append(0);
  }
  triangles_.append({{0, 1, 2}, {-1, 1, -1}, 0, 0});
  triangles_.append({{0, 2, 3}, {-1, -1, 0}, 0, 0});
  vertex_triangle_[3] = 1;
  last_triangle_ = 0;
  return GRIDLUME_STATUS_OK;
}

std::int32_t Triangulation::walk(const double *xy, std::int32_t start,
                                 int &zero_sides) const noexcept {
  std::int32_t t = start;
  std::uint32_t state = 0x9e3779b9u;  // the side tried first varies, so no walk cycles
  const std::int64_t limit =
      static_cast<std::int64_t>(triangles_.count()) * walk_steps_per_triangle + walk_extra_steps;
  for (std::int64_t step = 0; step < limit; ++step) {
    const TriangulationTriangle &triangle = triangles_[t];
    state ^= state << 13, state ^= state >> 17, state ^= state << 5;
    const int first = static_cast<int>(state % 3);
    int zero = 0;
    std::int32_t moved = -2;
    for (int e = 0; e < 3; ++e) {
      int k = (first + e) % 3;
      double o = orient2d(point(triangle.vertex[next(k)]), point(triangle.vertex[prev(k)]), xy);
      if (o < 0) {
        moved = triangle.neighbor[k];
        break;
      }
      if (o == 0) zero |= 1 << k;
    }
    if (moved == -2) {
      zero_sides = zero;
      return t;
    }
    if (moved < 0) return -1;
    t = moved;
  }
  return -1;
}

int Triangulation::add_triangle(const TriangulationTriangle &triangle,
                                std::int32_t &number) noexcept {
  number = triangles_.count();
  return triangles_.append(triangle) ? GRIDLUME_STATUS_OK : GRIDLUME_STATUS_NO_MEMORY;
}

void Triangulation::relink(std::int32_t t, std::int32_t old_neighbor,
                           std::int32_t new_neighbor) noexcept {
  if (t < 0) return;
  TriangulationTriangle &triangle = triangles_[t];
  triangle.neighbor[neighbor_index(triangle, old_neighbor)] = new_neighbor;
}

void Triangulation::set_vertex_triangles(std::int32_t t) noexcept {
  for (std::int32_t vertex : triangles_[t].vertex) vertex_triangle_[vertex] = t;
}

int Triangulation::split_triangle(std::int32_t t, std::int32_t p) noexcept {
  if (triangles_.reserve(triangles_.count() + 2) != GRIDLUME_STATUS_OK)
    return GRIDLUME_STATUS_NO_MEMORY;
  const TriangulationTriangle old = triangles_[t];
  const std::int32_t a = old.vertex[0], b = old.vertex[1], c = old.vertex[2];
  std::int32_t t1 = triangles_.count(), t2 = t1 + 1;
  TriangulationTriangle first{{a, b, p}, {t1, t2, old.neighbor[2]}, 0, 0};
  TriangulationTriangle second{{b, c, p}, {t2, t, old.neighbor[0]}, 0, 0};
  TriangulationTriangle third{{c, a, p}, {t, t1, old.neighbor[1]}, 0, 0};
  set_side_bits(first, 2, side_bits(old, 2));
  set_side_bits(second, 2, side_bits(old, 0));
  set_side_bits(third, 2, side_bits(old, 1));
  triangles_[t] = first;
  std::int32_t number;
  add_triangle(second, number);
  add_triangle(third, number);
  relink(old.neighbor[0], t, t1);
  relink(old.neighbor[1], t, t2);
  for (std::int32_t n : {t, t1, t2}) set_vertex_triangles(n);
  return GRIDLUME_STATUS_OK;
}

int Triangulation::split_side(std::int32_t t, int k, std::int32_t p) noexcept {
  const std::int32_t u = triangles_[t].neighbor[k];
  if (u < 0) return GRIDLUME_STATUS_ERROR;
  if (triangles_.reserve(triangles_.count() + 2) != GRIDLUME_STATUS_OK)
    return GRIDLUME_STATUS_NO_MEMORY;
  const TriangulationTriangle old_t = triangles_[t], old_u = triangles_[u];
  const int j = neighbor_index(old_u, t);
  const std::int32_t a = old_t.vertex[k], x = old_t.vertex[next(k)], y = old_t.vertex[prev(k)];
  const std::int32_t w = old_u.vertex[j];
  const std::int32_t a1 = old_t.neighbor[next(k)], a2 = old_t.neighbor[prev(k)];
  const std::int32_t b1 = old_u.neighbor[next(j)], b2 = old_u.neighbor[prev(j)];
  const std::int32_t t2 = triangles_.count(), u2 = t2 + 1;
  const std::int32_t split_bits = side_bits(old_t, k);
  TriangulationTriangle t1_new{{a, x, p}, {u2, t2, a2}, 0, 0};
  TriangulationTriangle t2_new{{a, p, y}, {u, a1, t}, 0, 0};
  TriangulationTriangle u1_new{{w, y, p}, {t2, u2, b2}, 0, 0};
  TriangulationTriangle u2_new{{w, p, x}, {t, b1, u}, 0, 0};
  set_side_bits(t1_new, 2, side_bits(old_t, prev(k)));
  set_side_bits(t2_new, 1, side_bits(old_t, next(k)));
  set_side_bits(u1_new, 2, side_bits(old_u, prev(j)));
  set_side_bits(u2_new, 1, side_bits(old_u, next(j)));
  for (TriangulationTriangle *half : {&t1_new, &t2_new, &u1_new, &u2_new})
    set_side_bits(*half, 0, split_bits);
  triangles_[t] = t1_new;
  triangles_[u] = u1_new;
  std::int32_t number;
  add_triangle(t2_new, number);
  add_triangle(u2_new, number);
  relink(a1, t, t2);
  relink(b1, u, u2);
  for (std::int32_t n : {t, u, t2, u2}) set_vertex_triangles(n);
  return GRIDLUME_STATUS_OK;
}

bool Triangulation::flippable(std::int32_t t, int k) const noexcept {
  const TriangulationTriangle &triangle = triangles_[t];
  const std::int32_t u = triangle.neighbor[k];
  if (u < 0) return false;
  const TriangulationTriangle &other = triangles_[u];
  const std::int32_t w = other.vertex[neighbor_index(other, t)];
  const double *a = point(triangle.vertex[k]), *x = point(triangle.vertex[next(k)]),
               *y = point(triangle.vertex[prev(k)]), *apex = point(w);
  return orient2d(a, x, apex) > 0 && orient2d(a, apex, y) > 0;
}

void Triangulation::flip(std::int32_t t, int k) noexcept {
  const TriangulationTriangle old_t = triangles_[t];
  const std::int32_t u = old_t.neighbor[k];
  const TriangulationTriangle old_u = triangles_[u];
  const int j = neighbor_index(old_u, t);
  const std::int32_t a = old_t.vertex[k], x = old_t.vertex[next(k)], y = old_t.vertex[prev(k)];
  const std::int32_t w = old_u.vertex[j];
  const std::int32_t a1 = old_t.neighbor[next(k)], a2 = old_t.neighbor[prev(k)];
  const std::int32_t b1 = old_u.neighbor[next(j)], b2 = old_u.neighbor[prev(j)];
  TriangulationTriangle t_new{{a, x, w}, {b1, u, a2}, 0, old_t.flags};
  TriangulationTriangle u_new{{w, y, a}, {a1, t, b2}, 0, old_u.flags};
  set_side_bits(t_new, 0, side_bits(old_u, next(j)));
  set_side_bits(t_new, 2, side_bits(old_t, prev(k)));
  set_side_bits(u_new, 0, side_bits(old_t, next(k)));
  set_side_bits(u_new, 2, side_bits(old_u, prev(j)));
  triangles_[t] = t_new;
  triangles_[u] = u_new;
  relink(b1, u, t);
  relink(a1, t, u);
  set_vertex_triangles(t);
  set_vertex_triangles(u);
}

int Triangulation::legalize(std::int32_t p) noexcept {
  while (work_.count() > 0) {
    std::int32_t t = work_[work_.count() - 1];
    work_.remove_swap_last(work_.count() - 1);
    const TriangulationTriangle &triangle = triangles_[t];
    int k = index_of(triangle, p);
    if (k < 0) continue;
    std::int32_t u = triangle.neighbor[k];
    if (u < 0 || (side_bits(triangle, k) & segment_side) != 0) continue;
    const TriangulationTriangle &other = triangles_[u];
    std::int32_t w = other.vertex[neighbor_index(other, t)];
    if (incircle(point(triangle.vertex[0]), point(triangle.vertex[1]), point(triangle.vertex[2]),
                 point(w)) <= 0)
      continue;
    flip(t, k);
    if (!work_.append(t) || !work_.append(u)) return GRIDLUME_STATUS_NO_MEMORY;
  }
  return GRIDLUME_STATUS_OK;
}

int Triangulation::insert_point(const double *xy, std::int32_t &vertex) noexcept {
  if (!(xy[0] > lower_[0] && xy[0] < upper_[0] && xy[1] > lower_[1] && xy[1] < upper_[1]))
    return GRIDLUME_STATUS_ERROR;
  int zero_sides = 0;
  std::int32_t t = walk(xy, last_triangle_, zero_sides);
  if (t < 0) return GRIDLUME_STATUS_ERROR;
  const int on_sides = __builtin_popcount(static_cast<unsigned>(zero_sides));
  if (on_sides >= 2) {  // on the vertex the two sides share
    int k = 0;
    while (zero_sides & (1 << k)) ++k;
    vertex = triangles_[t].vertex[k];
    last_triangle_ = t;
    return GRIDLUME_STATUS_OK;
  }
  if (points_.reserve(points_.count() + 2) != GRIDLUME_STATUS_OK ||
      vertex_triangle_.reserve(vertex_triangle_.count() + 1) != GRIDLUME_STATUS_OK ||
      work_.reserve(work_.count() + 4) != GRIDLUME_STATUS_OK)
    return GRIDLUME_STATUS_NO_MEMORY;
  const std::int32_t p = vertex_triangle_.count();
  points_.append(xy[0]);
  points_.append(xy[1]);
  vertex_triangle_.append(t);
  std::int32_t first_new = triangles_.count();
  int status = on_sides == 1 ? split_side(t, __builtin_ctz(static_cast<unsigned>(zero_sides)), p)
                             : split_triangle(t, p);
  if (status != GRIDLUME_STATUS_OK) {
    points_.remove_swap_last(points_.count() - 1);
    points_.remove_swap_last(points_.count() - 1);
    vertex_triangle_.remove_swap_last(p);
    return status;
  }
  work_.clear();
  work_.append(t);
  if (on_sides == 1) work_.append(triangles_[first_new].neighbor[0]);  // the other old one
  for (std::int32_t n = first_new; n < triangles_.count(); ++n) work_.append(n);
  status = legalize(p);
  vertex = p;
  last_triangle_ = vertex_triangle_[p];
  return status;
}

bool Triangulation::find_edge(std::int32_t a, std::int32_t b, std::int32_t &t,
                              int &side) const noexcept {
  const std::int32_t start = vertex_triangle_[a];
  for (int direction = 0; direction < 2; ++direction) {
    std::int32_t current = start;
    for (std::int32_t step = 0; step <= triangles_.count(); ++step) {
      const TriangulationTriangle &triangle = triangles_[current];
      int i = index_of(triangle, a);
      if (triangle.vertex[next(i)] == b) {
        t = current, side = prev(i);
        return true;
      }
      if (triangle.vertex[prev(i)] == b) {
        t = current, side = next(i);
        return true;
      }
      current = triangle.neighbor[direction == 0 ? next(i) : prev(i)];
      if (current < 0 || current == start) break;
    }
    if (current == start) break;
  }
  return false;
}

void Triangulation::mark_segment(std::int32_t t, int side) noexcept {
  TriangulationTriangle &triangle = triangles_[t];
  std::int32_t bits = (side_bits(triangle, side) ^ parity_side) | segment_side;
  set_side_bits(triangle, side, bits);
  std::int32_t u = triangle.neighbor[side];
  if (u >= 0) set_side_bits(triangles_[u], neighbor_index(triangles_[u], t), bits);
}

bool Triangulation::has_segment(std::int32_t a, std::int32_t b) const noexcept {
  std::int32_t t;
  int side;
  return find_edge(a, b, t, side) && (side_bits(triangles_[t], side) & segment_side) != 0;
}

// Recovers the part of segment a-b from a to the first vertex on it (b when
// none lies on it), which `reached` receives.
int Triangulation::recover(std::int32_t a, std::int32_t b, std::int32_t &reached) noexcept {
  std::int32_t t;
  int side;
  if (find_edge(a, b, t, side)) {
    mark_segment(t, side);
    reached = b;
    return GRIDLUME_STATUS_OK;
  }
  const double *pa = point(a), *pb = point(b);
  auto ahead = [&](std::int32_t v) {
    const double *pv = point(v);
    return (pv[0] - pa[0]) * (pb[0] - pa[0]) + (pv[1] - pa[1]) * (pb[1] - pa[1]) > 0;
  };
  // The triangle around a whose opposite side the segment crosses.
  std::int32_t current = vertex_triangle_[a], start = current;
  std::int32_t right = -1, left = -1;
  for (std::int32_t step = 0; step <= triangles_.count() && right < 0; ++step) {
    const TriangulationTriangle &triangle = triangles_[current];
    int i = index_of(triangle, a);
    std::int32_t p = triangle.vertex[next(i)], q = triangle.vertex[prev(i)];
    double op = orient2d(pa, pb, point(p)), oq = orient2d(pa, pb, point(q));
    for (std::int32_t v : {p, q}) {
      if ((v == p ? op : oq) == 0 && ahead(v)) {  // a vertex on the segment
        if (!find_edge(a, v, t, side)) return GRIDLUME_STATUS_ERROR;
        mark_segment(t, side);
        reached = v;
        return GRIDLUME_STATUS_OK;
      }
    }
    if (op < 0 && oq > 0) {
      right = p, left = q;
      break;
    }
    current = triangle.neighbor[next(i)];
    if (current < 0 || current == start) return GRIDLUME_STATUS_ERROR;
  }
  if (right < 0) return GRIDLUME_STATUS_ERROR;
  // The sides the segment crosses, in order, up to b or a vertex on it.
  work_.clear();
  std::int32_t target = b;
  for (std::int32_t step = 0;; ++step) {
    if (step > triangles_.count()) return GRIDLUME_STATUS_ERROR;
    const TriangulationTriangle &triangle = triangles_[current];
    int k = index_of(triangle, right);
    int crossed = index_of(triangle, left) == next(k) ? prev(k) : next(k);
    if ((side_bits(triangle, crossed) & segment_side) != 0) return GRIDLUME_STATUS_ERROR;
    if (!work_.append(right) || !work_.append(left)) return GRIDLUME_STATUS_NO_MEMORY;
    std::int32_t u = triangle.neighbor[crossed];
    if (u < 0) return GRIDLUME_STATUS_ERROR;
    const TriangulationTriangle &other = triangles_[u];
    std::int32_t r = other.vertex[neighbor_index(other, current)];
    current = u;
    if (r == b) break;
    double o = orient2d(pa, pb, point(r));
    if (o == 0) {
      target = r;
      break;
    }
    (o < 0 ? right : left) = r;
  }
  // Flip the crossed sides away; a side whose quadrilateral is not convex
  // waits for its neighbours to move first.
  const double *pt = point(target);
  const std::int64_t crossed_count = work_.count() / 2;
  const std::int64_t limit = recovery_attempts_per_edge * crossed_count * crossed_count + 64;
  std::int32_t head = 0;
  for (std::int64_t attempt = 0; head < work_.count(); ++attempt) {
    if (attempt > limit) return GRIDLUME_STATUS_ERROR;
    std::int32_t p = work_[head], q = work_[head + 1];
    head += 2;
    if (!find_edge(p, q, t, side)) continue;  // already flipped away
    if (!flippable(t, side)) {
      if (!work_.append(p) || !work_.append(q)) return GRIDLUME_STATUS_NO_MEMORY;
      continue;
    }
    std::int32_t c = triangles_[t].vertex[side];
    const TriangulationTriangle &other = triangles_[triangles_[t].neighbor[side]];
    std::int32_t d = other.vertex[neighbor_index(other, t)];
    flip(t, side);
    if (c == a || c == target || d == a || d == target) continue;
    double oc = orient2d(pa, pt, point(c)), od = orient2d(pa, pt, point(d));
    if ((oc < 0 && od > 0) || (oc > 0 && od < 0)) {
      if (!work_.append(c) || !work_.append(d)) return GRIDLUME_STATUS_NO_MEMORY;
    }
    // Compact the queue now and then so that it does not grow without bound.
    if (head > 4096 && head * 2 > work_.count()) {
      std::int32_t remaining = work_.count() - head;
      for (std::int32_t i = 0; i < remaining; ++i) work_[i] = work_[head + i];
      while (work_.count() > remaining) work_.remove_swap_last(work_.count() - 1);
      head = 0;
    }
  }
  if (!find_edge(a, target, t, side)) return GRIDLUME_STATUS_ERROR;
  mark_segment(t, side);
  reached = target;
  return GRIDLUME_STATUS_OK;
}

int Triangulation::insert_segment(std::int32_t a, std::int32_t b) noexcept {
  for (std::int32_t pieces = 0; a != b; ++pieces) {
    if (pieces > vertex_count()) return GRIDLUME_STATUS_ERROR;
    std::int32_t reached = a;
    int status = recover(a, b, reached);
    if (status != GRIDLUME_STATUS_OK) return status;
    a = reached;
  }
  return GRIDLUME_STATUS_OK;
}

int Triangulation::classify() noexcept {
  GrowableArray<std::int32_t> parity;
  const std::int32_t count = triangles_.count();
  if (parity.reserve(count) != GRIDLUME_STATUS_OK || work_.reserve(count) != GRIDLUME_STATUS_OK)
    return GRIDLUME_STATUS_NO_MEMORY;
  work_.clear();
  for (std::int32_t t = 0; t < count; ++t) {
    const TriangulationTriangle &triangle = triangles_[t];
    bool border = triangle.neighbor[0] < 0 || triangle.neighbor[1] < 0 || triangle.neighbor[2] < 0;
    parity.append(border ? 0 : -1);
    if (border) work_.append(t);
  }
  for (std::int32_t head = 0; head < work_.count(); ++head) {
    std::int32_t t = work_[head];
    const TriangulationTriangle &triangle = triangles_[t];
    for (int k = 0; k < 3; ++k) {
      std::int32_t u = triangle.neighbor[k];
      if (u < 0 || parity[u] >= 0) continue;
      parity[u] = parity[t] ^ ((side_bits(triangle, k) & parity_side) != 0 ? 1 : 0);
      work_.append(u);
    }
  }
  for (std::int32_t t = 0; t < count; ++t) {
    if (parity[t] == 0)
      triangles_[t].flags |= triangle_outside_bit;
    else
      triangles_[t].flags &= ~triangle_outside_bit;
  }
  return GRIDLUME_STATUS_OK;
}

int Triangulation::build_locator() noexcept {
  auto size = static_cast<std::int32_t>(
      std::ceil(std::sqrt(static_cast<double>(triangles_.count()) / triangles_per_cell)));
  grid_size_ = std::clamp(size, 1, max_grid_size);
  if (grid_.reserve(grid_size_ * grid_size_) != GRIDLUME_STATUS_OK)
    return GRIDLUME_STATUS_NO_MEMORY;
  grid_.clear();
  for (int k = 0; k < 2; ++k) cell_scale_[k] = grid_size_ / (upper_[k] - lower_[k]);
  std::int32_t t = 0;
  for (std::int32_t j = 0; j < grid_size_; ++j)
    for (std::int32_t i = 0; i < grid_size_; ++i) {
      const double centre[2] = {lower_[0] + (i + 0.5) / cell_scale_[0],
                                lower_[1] + (j + 0.5) / cell_scale_[1]};
      int zero_sides;
      std::int32_t found = walk(centre, t, zero_sides);
      if (found >= 0) t = found;
      grid_.append(t);
    }
  return GRIDLUME_STATUS_OK;
}

std::int32_t Triangulation::locate(const double *xy, int &zero_sides) const noexcept {
  if (!(xy[0] >= lower_[0] && xy[0] <= upper_[0] && xy[1] >= lower_[1] && xy[1] <= upper_[1]))
    return -1;
  std::int32_t start = last_triangle_;
  if (grid_size_ > 0) {
    auto i = std::clamp(static_cast<std::int32_t>((xy[0] - lower_[0]) * cell_scale_[0]), 0,
                        grid_size_ - 1);
    auto j = std::clamp(static_cast<std::int32_t>((xy[1] - lower_[1]) * cell_scale_[1]), 0,
                        grid_size_ - 1);
    start = grid_[j * grid_size_ + i];
  }
  return walk(xy, start, zero_sides);
}

bool Triangulation::inside(const double *xy) const noexcept {
  int zero_sides = 0;
  std::int32_t t = locate(xy, zero_sides);
  if (t < 0) return false;
  const TriangulationTriangle &triangle = triangles_[t];
  if ((triangle.flags & triangle_outside_bit) == 0) return true;
  const int on_sides = __builtin_popcount(static_cast<unsigned>(zero_sides));
  if (on_sides == 1) {
    std::int32_t u = triangle.neighbor[__builtin_ctz(static_cast<unsigned>(zero_sides))];
    return u >= 0 && (triangles_[u].flags & triangle_outside_bit) == 0;
  }
  if (on_sides >= 2) {  // on a vertex: every triangle around it counts
    int k = 0;
    while (zero_sides & (1 << k)) ++k;
    const std::int32_t vertex = triangle.vertex[k];
    for (int direction = 0; direction < 2; ++direction) {
      std::int32_t current = t;
      for (std::int32_t step = 0; step <= triangles_.count(); ++step) {
        const TriangulationTriangle &around = triangles_[current];
        if ((around.flags & triangle_outside_bit) == 0) return true;
        int i = index_of(around, vertex);
        current = around.neighbor[direction == 0 ? next(i) : prev(i)];
        if (current < 0 || current == t) break;
      }
    }
  }
  return false;
}

}  // namespace gridlume
