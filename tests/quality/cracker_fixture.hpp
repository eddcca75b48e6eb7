// Meshes for the cracker tests: tetrahedral grids of the unit cube tagged by
// slabs along x, and the contents of a mesh read back into plain arrays.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <vector>

#include "gridlume.h"

namespace gridlume_test {

using Point = std::array<double, 3>;
using Tetrahedron = std::array<int, 4>;
using Face = std::array<int, 3>;

// A grid of n x n x n vertices of the unit cube whose tetrahedra are tagged
// 1 + the number of `cuts` (x values) below their centroid.
inline gridlume_mesh *slab_grid(gridlume_context *context, int n, const std::vector<double> &cuts) {
  const double min[3] = {0, 0, 0}, max[3] = {1, 1, 1};
  gridlume_mesh *mesh = gridlume_mesh_new_tetra_grid(context, min, max, n, n, n);
  int count = 0;
  gridlume_mesh_get_tetrahedron_count(mesh, &count);
  for (int t = 1; t <= count; ++t) {
    int v[4];
    gridlume_mesh_get_tetrahedron_vertices(mesh, t, v);
    double x = 0;
    for (int k = 0; k < 4; ++k) {
      double xyz[3];
      gridlume_mesh_get_vertex_coordinates(mesh, v[k], xyz);
      x += xyz[0] / 4;
    }
    int tag = 1;
    for (double cut : cuts) tag += x > cut ? 1 : 0;
    gridlume_mesh_set_tetrahedron_tag(mesh, t, &tag);
  }
  return mesh;
}

// What a mesh holds, read through its getters.
struct MeshContents {
  std::vector<Point> points;  // [v - 1]
  std::vector<Tetrahedron> tetrahedra;
  std::vector<int> tetrahedron_tags;
  std::vector<Face> triangles;
  std::vector<int> triangle_tags;
  std::vector<std::array<int, 2>> edges;
  std::vector<std::array<int, 4>> quadrangles;
  std::vector<int> quadrangle_tags;
};

inline MeshContents contents_of(gridlume_mesh *mesh) {
  MeshContents c;
  int n = 0;
  gridlume_mesh_get_vertex_count(mesh, &n);
  c.points.resize(n);
  for (int v = 1; v <= n; ++v)
    gridlume_mesh_get_vertex_coordinates(mesh, v, c.points[v - 1].data());
  gridlume_mesh_get_tetrahedron_count(mesh, &n);
  c.tetrahedra.resize(n);
  c.tetrahedron_tags.resize(n);
  for (int t = 1; t <= n; ++t) {
    gridlume_mesh_get_tetrahedron_vertices(mesh, t, c.tetrahedra[t - 1].data());
    gridlume_mesh_get_tetrahedron_tag(mesh, t, &c.tetrahedron_tags[t - 1]);
  }
  gridlume_mesh_get_triangle_count(mesh, &n);
  c.triangles.resize(n);
  c.triangle_tags.resize(n);
  for (int t = 1; t <= n; ++t) {
    gridlume_mesh_get_triangle_vertices(mesh, t, c.triangles[t - 1].data());
    gridlume_mesh_get_triangle_tag(mesh, t, &c.triangle_tags[t - 1]);
  }
  gridlume_mesh_get_edge_count(mesh, &n);
  c.edges.resize(n);
  for (int e = 1; e <= n; ++e) gridlume_mesh_get_edge_vertices(mesh, e, c.edges[e - 1].data());
  gridlume_mesh_get_quadrangle_count(mesh, &n);
  c.quadrangles.resize(n);
  c.quadrangle_tags.resize(n);
  for (int q = 1; q <= n; ++q) {
    gridlume_mesh_get_quadrangle_vertices(mesh, q, c.quadrangles[q - 1].data());
    gridlume_mesh_get_quadrangle_tag(mesh, q, &c.quadrangle_tags[q - 1]);
  }
  return c;
}

inline double signed_volume(const MeshContents &c, const Tetrahedron &t) {
  const Point &a = c.points[t[0] - 1], &b = c.points[t[1] - 1], &p = c.points[t[2] - 1],
              &d = c.points[t[3] - 1];
  const double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  const double v[3] = {p[0] - a[0], p[1] - a[1], p[2] - a[2]};
  const double w[3] = {d[0] - a[0], d[1] - a[1], d[2] - a[2]};
  return (u[0] * (v[1] * w[2] - v[2] * w[1]) - u[1] * (v[0] * w[2] - v[2] * w[0]) +
          u[2] * (v[0] * w[1] - v[1] * w[0])) /
         6.0;
}

inline double centroid_x(const MeshContents &c, const Tetrahedron &t) {
  double x = 0;
  for (int v : t) x += c.points[v - 1][0] / 4;
  return x;
}

inline bool contains(const Tetrahedron &t, int v) {
  return std::find(t.begin(), t.end(), v) != t.end();
}

// The faces of the tetrahedra lying in the plane x = `x`, each once, ordered
// so that their normal (p1 - p0) x (p2 - p0) points towards +x.
inline std::vector<Face> plane_faces(const MeshContents &c, double x) {
  std::set<std::array<int, 3>> seen;
  std::vector<Face> faces;
  for (const Tetrahedron &t : c.tetrahedra) {
    std::vector<int> on_plane;
    for (int v : t)
      if (std::abs(c.points[v - 1][0] - x) < 1e-12) on_plane.push_back(v);
    if (on_plane.size() != 3) continue;
    std::array<int, 3> key = {on_plane[0], on_plane[1], on_plane[2]};
    std::sort(key.begin(), key.end());
    if (!seen.insert(key).second) continue;
    Face face = {on_plane[0], on_plane[1], on_plane[2]};
    const Point &a = c.points[face[0] - 1], &b = c.points[face[1] - 1], &p = c.points[face[2] - 1];
    const double normal_x = (b[1] - a[1]) * (p[2] - a[2]) - (b[2] - a[2]) * (p[1] - a[1]);
    if (normal_x < 0) std::swap(face[1], face[2]);
    faces.push_back(face);
  }
  return faces;
}

// Whether a vertex lies on the boundary of the unit cube.
inline bool on_cube_boundary(const Point &p) {
  for (double value : p)
    if (std::abs(value) < 1e-12 || std::abs(value - 1) < 1e-12) return true;
  return false;
}

}  // namespace gridlume_test
