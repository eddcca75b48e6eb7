// In-memory 2D meshes for the proximity tests: a band of triangles filling
// the space between two polylines of the same number of points, whose two
// polylines are the mesh's edges (the marked edges). Two straight lines give
// a strip; a circle and a square, both closed, give a square with a hole.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <numbers>
#include <random>
#include <vector>

#include "gridlume.h"

namespace gridlume_test {

using Point = std::array<double, 3>;

struct Band {
  std::vector<Point> inner, outer;  // the same number of points
  int rows = 1;                     // rows of cells between the polylines
  bool closed = false;              // the polylines close on themselves
  bool mark_inner = true, mark_outer = true;
  bool mark_ends = false;        // also the first and last columns of an open band
  std::vector<int> marked_rows;  // rows of vertices inside the band also marked
  unsigned shuffle_seed = 0;     // when not 0, the triangles are numbered at random
  int inner_tag = 1, outer_tag = 2, end_tag = 3;  // edge tags

  int columns() const { return static_cast<int>(inner.size()); }
  // Vertex number of point i of row j (row 0 is the inner polyline).
  int vertex(int i, int j) const { return j * columns() + i % columns() + 1; }
  Point point(int i, int j) const {
    const double s = double(j) / rows;
    const Point &a = inner[i], &b = outer[i];
    return {a[0] + s * (b[0] - a[0]), a[1] + s * (b[1] - a[1]), a[2] + s * (b[2] - a[2])};
  }
  int cells_per_row() const { return closed ? columns() : columns() - 1; }
  int vertex_count() const { return columns() * (rows + 1); }
  int triangle_count() const { return 2 * cells_per_row() * rows; }

  gridlume_mesh *make(gridlume_context *context) const {
    gridlume_mesh *mesh = gridlume_mesh_new_in_memory(context);
    gridlume_mesh_set_dimension(mesh, 2);
    gridlume_mesh_set_vertex_count(mesh, vertex_count());
    for (int j = 0; j <= rows; ++j)
      for (int i = 0; i < columns(); ++i) {
        const Point p = point(i, j);
        gridlume_mesh_set_vertex_coordinates(mesh, vertex(i, j), p.data());
      }
    std::vector<std::array<int, 3>> triangles;
    for (int j = 0; j < rows; ++j)
      for (int i = 0; i < cells_per_row(); ++i) {
        const int a = vertex(i, j), b = vertex(i + 1, j), c = vertex(i + 1, j + 1),
                  d = vertex(i, j + 1);
        triangles.push_back({a, b, c});
        triangles.push_back({a, c, d});
      }
    if (shuffle_seed != 0)
      std::shuffle(triangles.begin(), triangles.end(), std::mt19937(shuffle_seed));
    gridlume_mesh_set_triangle_count(mesh, triangle_count());
    for (int t = 1; t <= triangle_count(); ++t)
      gridlume_mesh_set_triangle_vertices(mesh, t, triangles[t - 1].data());
    std::vector<std::array<int, 3>> edges;  // two vertices and a tag
    for (int i = 0; i < cells_per_row(); ++i) {
      if (mark_inner) edges.push_back({vertex(i, 0), vertex(i + 1, 0), inner_tag});
      if (mark_outer) edges.push_back({vertex(i, rows), vertex(i + 1, rows), outer_tag});
      for (int row : marked_rows) edges.push_back({vertex(i, row), vertex(i + 1, row), inner_tag});
    }
    for (int j = 0; mark_ends && !closed && j < rows; ++j) {
      edges.push_back({vertex(0, j), vertex(0, j + 1), end_tag});
      edges.push_back({vertex(columns() - 1, j), vertex(columns() - 1, j + 1), end_tag});
    }
    gridlume_mesh_set_edge_count(mesh, static_cast<int>(edges.size()));
    for (int e = 0; e < static_cast<int>(edges.size()); ++e) {
      gridlume_mesh_set_edge_vertices(mesh, e + 1, edges[e].data());
      gridlume_mesh_set_edge_tag(mesh, e + 1, &edges[e][2]);
    }
    return mesh;
  }
};

// Two parallel lines of `columns` points, `length` long and `width` apart,
// `rows` rows of cells between them; `place` maps (along, across) to space.
inline Band strip(
    int columns, int rows, double length, double width,
    const std::function<Point(double, double)> &place = [](double u, double v) {
      return Point{u, v, 0.0};
    }) {
  Band band;
  band.rows = rows;
  for (int i = 0; i < columns; ++i) {
    const double u = length * i / (columns - 1);
    band.inner.push_back(place(u, 0.0));
    band.outer.push_back(place(u, width));
  }
  return band;
}

// Two closed polylines about the origin: a circle of radius `inner` and the
// points at distance `reach(c, s)` along each ray (c, s).
inline Band closed_band(int points, int rows, double inner,
                        const std::function<double(double, double)> &reach) {
  Band band;
  band.rows = rows;
  band.closed = true;
  for (int i = 0; i < points; ++i) {
    const double angle = 2 * std::numbers::pi * i / points;
    const double c = std::cos(angle), s = std::sin(angle), r = reach(c, s);
    band.inner.push_back({inner * c, inner * s, 0.0});
    band.outer.push_back({r * c, r * s, 0.0});
  }
  return band;
}

// Two circles about the origin, of radii `inner` and `outer`.
inline Band ring(int points, int rows, double inner, double outer) {
  return closed_band(points, rows, inner, [outer](double, double) { return outer; });
}

// A circle of radius `radius` about the origin inside the square [-1, 1]^2.
inline Band circle_in_square(int points, int rows, double radius) {
  return closed_band(points, rows, radius,
                     [](double c, double s) { return 1.0 / std::max(std::abs(c), std::abs(s)); });
}

}  // namespace gridlume_test
