#include "test_meshes.hpp"

#include <algorithm>
#include <cmath>
#include <map>

using namespace gridlume::highorder;

namespace highorder_test {

namespace {

double six_volume(const std::array<double, 3> &a, const std::array<double, 3> &b,
                  const std::array<double, 3> &c, const std::array<double, 3> &d) {
  const double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  const double v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
  const double w[3] = {d[0] - a[0], d[1] - a[1], d[2] - a[2]};
  return u[0] * (v[1] * w[2] - v[2] * w[1]) - u[1] * (v[0] * w[2] - v[2] * w[0]) +
         u[2] * (v[0] * w[1] - v[1] * w[0]);
}

// Kuhn split of the grid cells kept by `keep`, oriented positively, and the
// faces met once as boundary triangles.
template <class Keep>
TetMesh grid(int n, Keep keep) {
  TetMesh mesh;
  auto index = [n](int i, int j, int k) { return (k * (n + 1) + j) * (n + 1) + i + 1; };
  for (int k = 0; k <= n; ++k)
    for (int j = 0; j <= n; ++j)
      for (int i = 0; i <= n; ++i)
        mesh.vertices.push_back({-1.0 + 2.0 * i / n, -1.0 + 2.0 * j / n, -1.0 + 2.0 * k / n});
  static const int permutations[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2},
                                         {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
  for (int k = 0; k < n; ++k)
    for (int j = 0; j < n; ++j)
      for (int i = 0; i < n; ++i) {
        if (!keep(i, j, k)) continue;
        for (const auto &order : permutations) {
          int at[3] = {i, j, k};
          std::array<std::int32_t, 4> t;
          t[0] = index(at[0], at[1], at[2]);
          for (int s = 0; s < 3; ++s) {
            ++at[order[s]];
            t[s + 1] = index(at[0], at[1], at[2]);
          }
          if (six_volume(mesh.vertices[t[0] - 1], mesh.vertices[t[1] - 1], mesh.vertices[t[2] - 1],
                         mesh.vertices[t[3] - 1]) < 0)
            std::swap(t[2], t[3]);
          mesh.tetrahedra.push_back(t);
        }
      }
  std::map<std::array<std::int32_t, 3>, std::pair<int, std::array<std::int32_t, 3>>> faces;
  static const int sides[4][3] = {{0, 2, 1}, {0, 1, 3}, {1, 2, 3}, {0, 3, 2}};
  for (const auto &t : mesh.tetrahedra)
    for (const auto &side : sides) {
      std::array<std::int32_t, 3> face = {t[side[0]], t[side[1]], t[side[2]]};
      std::array<std::int32_t, 3> key = face;
      std::sort(key.begin(), key.end());
      auto &entry = faces[key];
      ++entry.first;
      entry.second = face;
    }
  for (const auto &[key, entry] : faces)
    if (entry.first == 1) mesh.triangles.push_back(entry.second);
  // Drop vertices no tetrahedron uses.
  std::vector<std::int32_t> renumber(mesh.vertices.size() + 1, 0);
  for (const auto &t : mesh.tetrahedra)
    for (auto v : t) renumber[v] = 1;
  std::vector<std::array<double, 3>> used;
  for (std::size_t v = 1; v < renumber.size(); ++v)
    if (renumber[v]) {
      used.push_back(mesh.vertices[v - 1]);
      renumber[v] = std::int32_t(used.size());
    }
  mesh.vertices = used;
  for (auto &t : mesh.tetrahedra)
    for (auto &v : t) v = renumber[v];
  for (auto &t : mesh.triangles)
    for (auto &v : t) v = renumber[v];
  return mesh;
}

double infinity_norm(const std::array<double, 3> &x) {
  return std::max({std::fabs(x[0]), std::fabs(x[1]), std::fabs(x[2])});
}
double euclid_norm(const std::array<double, 3> &x) {
  return std::sqrt(x[0] * x[0] + x[1] * x[1] + x[2] * x[2]);
}

}  // namespace

TetMesh cube(int n) {
  return grid(n, [](int, int, int) { return true; });
}

TetMesh ball(int n) {
  TetMesh mesh = cube(n);
  for (auto &x : mesh.vertices) {
    const double length = euclid_norm(x);
    if (length == 0.0) continue;
    const double scale = infinity_norm(x) / length;
    for (auto &c : x) c *= scale;
  }
  return mesh;
}

TetMesh scrambled(TetMesh mesh) {
  std::uint32_t seed = 12345;
  auto shuffle = [&](auto &values) {
    for (std::size_t i = values.size(); i > 1; --i) {
      seed = seed * 1664525u + 1013904223u;
      std::swap(values[i - 1], values[seed % i]);
    }
  };
  std::vector<std::int32_t> new_of_old(mesh.vertices.size() + 1, 0);
  for (std::size_t v = 1; v < new_of_old.size(); ++v) new_of_old[v] = std::int32_t(v);
  auto tail = std::vector<std::int32_t>(new_of_old.begin() + 1, new_of_old.end());
  shuffle(tail);
  std::copy(tail.begin(), tail.end(), new_of_old.begin() + 1);
  std::vector<std::array<double, 3>> vertices(mesh.vertices.size());
  for (std::size_t v = 1; v < new_of_old.size(); ++v)
    vertices[std::size_t(new_of_old[v] - 1)] = mesh.vertices[v - 1];
  mesh.vertices = vertices;
  for (auto &t : mesh.tetrahedra)
    for (auto &v : t) v = new_of_old[std::size_t(v)];
  for (auto &t : mesh.triangles)
    for (auto &v : t) v = new_of_old[std::size_t(v)];
  shuffle(mesh.tetrahedra);
  return mesh;
}

TetMesh shell(int n) {
  const int low = n / 4, high = 3 * n / 4;
  TetMesh mesh = grid(n, [=](int i, int j, int k) {
    return !(i >= low && i < high && j >= low && j < high && k >= low && k < high);
  });
  for (auto &x : mesh.vertices) {
    const double rho = infinity_norm(x);
    const double radius = 0.5 + (rho - 0.5);
    const double scale = radius / euclid_norm(x);
    for (auto &c : x) c *= scale;
  }
  return mesh;
}

HexMesh hexahedra(int n, bool bend) {
  HexMesh mesh;
  auto index = [n](int i, int j, int k) { return (k * (n + 1) + j) * (n + 1) + i + 1; };
  for (int k = 0; k <= n; ++k)
    for (int j = 0; j <= n; ++j)
      for (int i = 0; i <= n; ++i) {
        double x = double(i) / n, y = double(j) / n, z = double(k) / n;
        if (bend) {
          // Radius 1 + x, angle y * pi / 2: a thick quarter cylinder.
          const double radius = 1.0 + x, angle = y * 1.5707963267948966;
          x = radius * std::cos(angle);
          y = radius * std::sin(angle);
        }
        mesh.vertices.push_back({x, y, z});
      }
  for (int k = 0; k < n; ++k)
    for (int j = 0; j < n; ++j)
      for (int i = 0; i < n; ++i)
        mesh.hexahedra.push_back({index(i, j, k), index(i + 1, j, k), index(i + 1, j + 1, k),
                                  index(i, j + 1, k), index(i, j, k + 1), index(i + 1, j, k + 1),
                                  index(i + 1, j + 1, k + 1), index(i, j + 1, k + 1)});
  return mesh;
}

void import(const TetMesh &mesh, ConversionState &state, bool with_triangles) {
  InternalMesh &m = state.mesh;
  allocate_vertices(m, std::int32_t(mesh.vertices.size()));
  for (std::size_t v = 0; v < mesh.vertices.size(); ++v)
    std::copy(mesh.vertices[v].begin(), mesh.vertices[v].end(), m.vertex(std::int32_t(v + 1)));
  allocate_elements(m, kind_tetrahedron, std::int32_t(mesh.tetrahedra.size()));
  for (std::size_t t = 0; t < mesh.tetrahedra.size(); ++t) {
    std::copy(mesh.tetrahedra[t].begin(), mesh.tetrahedra[t].end(),
              m.elements[kind_tetrahedron].element(std::int32_t(t + 1)));
    m.elements[kind_tetrahedron].tags[t + 1] = 1;
  }
  if (!with_triangles) return;
  allocate_elements(m, kind_triangle, std::int32_t(mesh.triangles.size()));
  for (std::size_t t = 0; t < mesh.triangles.size(); ++t) {
    std::copy(mesh.triangles[t].begin(), mesh.triangles[t].end(),
              m.elements[kind_triangle].element(std::int32_t(t + 1)));
    m.elements[kind_triangle].tags[t + 1] = 2;
  }
}

void import(const HexMesh &mesh, ConversionState &state) {
  InternalMesh &m = state.mesh;
  allocate_vertices(m, std::int32_t(mesh.vertices.size()));
  for (std::size_t v = 0; v < mesh.vertices.size(); ++v)
    std::copy(mesh.vertices[v].begin(), mesh.vertices[v].end(), m.vertex(std::int32_t(v + 1)));
  allocate_elements(m, kind_hexahedron, std::int32_t(mesh.hexahedra.size()));
  for (std::size_t h = 0; h < mesh.hexahedra.size(); ++h) {
    std::copy(mesh.hexahedra[h].begin(), mesh.hexahedra[h].end(),
              m.elements[kind_hexahedron].element(std::int32_t(h + 1)));
    m.elements[kind_hexahedron].tags[h + 1] = 1;
  }
}

namespace {

double det(const double (*g)[3]) {
  return g[0][0] * (g[1][1] * g[2][2] - g[1][2] * g[2][1]) -
         g[0][1] * (g[1][0] * g[2][2] - g[1][2] * g[2][0]) +
         g[0][2] * (g[1][0] * g[2][1] - g[1][1] * g[2][0]);
}

constexpr int lattice = 8;

}  // namespace

double smallest_tetrahedron_jacobian(const double (*p)[3]) {
  // Lagrange functions: corners l(2l - 1), edge (i, j) 4 li lj, with the
  // edges of the node list: (0,1) (1,2) (2,0) (0,3) (1,3) (2,3).
  static const int edges[6][2] = {{0, 1}, {1, 2}, {2, 0}, {0, 3}, {1, 3}, {2, 3}};
  double straight[3][3];
  for (int d = 0; d < 3; ++d)
    for (int c = 0; c < 3; ++c) straight[d][c] = p[d + 1][c] - p[0][c];
  const double reference = det(straight);
  double smallest = 1e300;
  for (int a = 0; a <= lattice; ++a)
    for (int b = 0; a + b <= lattice; ++b)
      for (int c = 0; a + b + c <= lattice; ++c) {
        const double l[4] = {double(lattice - a - b - c) / lattice, double(a) / lattice,
                             double(b) / lattice, double(c) / lattice};
        // d l / d xi_k: l0 -> -1, l_k -> 1.
        double g[3][3] = {};
        for (int k = 0; k < 3; ++k) {
          auto dl = [k](int i) { return i == 0 ? -1.0 : (i == k + 1 ? 1.0 : 0.0); };
          for (int i = 0; i < 4; ++i)
            for (int x = 0; x < 3; ++x) g[k][x] += (4 * l[i] - 1) * dl(i) * p[i][x];
          for (int e = 0; e < 6; ++e) {
            const int i = edges[e][0], j = edges[e][1];
            for (int x = 0; x < 3; ++x) g[k][x] += 4 * (dl(i) * l[j] + l[i] * dl(j)) * p[4 + e][x];
          }
        }
        smallest = std::min(smallest, det(g) / reference);
      }
  return smallest;
}

double smallest_hexahedron_jacobian(const double (*p)[3]) {
  // Lattice position of each node: corners, edges, faces, centre.
  static const int position[27][3] = {
      {0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}, {0, 0, 2}, {2, 0, 2}, {2, 2, 2},
      {0, 2, 2}, {1, 0, 0}, {2, 1, 0}, {1, 2, 0}, {0, 1, 0}, {1, 0, 2}, {2, 1, 2},
      {1, 2, 2}, {0, 1, 2}, {0, 0, 1}, {2, 0, 1}, {2, 2, 1}, {0, 2, 1}, {0, 1, 1},
      {2, 1, 1}, {1, 0, 1}, {1, 2, 1}, {1, 1, 0}, {1, 1, 2}, {1, 1, 1}};
  auto basis = [](int node, double t, bool derivative) {
    const double nodes[3] = {0.0, 0.5, 1.0};
    double value = 0.0;
    if (!derivative) {
      value = 1.0;
      for (int m = 0; m < 3; ++m)
        if (m != node) value *= (t - nodes[m]) / (nodes[node] - nodes[m]);
      return value;
    }
    for (int skip = 0; skip < 3; ++skip) {
      if (skip == node) continue;
      double term = 1.0 / (nodes[node] - nodes[skip]);
      for (int m = 0; m < 3; ++m)
        if (m != node && m != skip) term *= (t - nodes[m]) / (nodes[node] - nodes[m]);
      value += term;
    }
    return value;
  };
  double smallest = 1e300, reference = 0.0;
  for (int a = 0; a <= lattice; ++a)
    for (int b = 0; b <= lattice; ++b)
      for (int c = 0; c <= lattice; ++c) {
        const double t[3] = {double(a) / lattice, double(b) / lattice, double(c) / lattice};
        double g[3][3] = {};
        for (int n = 0; n < 27; ++n) {
          double f[3], df[3];
          for (int d = 0; d < 3; ++d) {
            f[d] = basis(position[n][d], t[d], false);
            df[d] = basis(position[n][d], t[d], true);
          }
          const double w[3] = {df[0] * f[1] * f[2], f[0] * df[1] * f[2], f[0] * f[1] * df[2]};
          for (int d = 0; d < 3; ++d)
            for (int x = 0; x < 3; ++x) g[d][x] += w[d] * p[n][x];
        }
        const double j = det(g);
        if (a == lattice / 2 && b == lattice / 2 && c == lattice / 2) reference = j;
        smallest = std::min(smallest, j);
      }
  return reference > 0 ? smallest / reference : -1.0;
}

double smallest_jacobian(const ConversionState &state, int kind) {
  const ElementArray &array = state.mesh.elements[kind];
  double smallest = 1e300;
  for (std::int32_t e = 1; e <= array.count; ++e) {
    double p[27][3];
    for (int n = 0; n < array.nodes_per_element; ++n)
      std::copy_n(state.mesh.vertex(array.element(e)[n]), 3, p[n]);
    smallest = std::min(smallest, kind == kind_tetrahedron ? smallest_tetrahedron_jacobian(p)
                                                           : smallest_hexahedron_jacobian(p));
  }
  return smallest;
}

}  // namespace highorder_test

namespace highorder_test {

MixedMesh split_hexahedra(int n, bool prisms) {
  const HexMesh hexes = hexahedra(n, true);
  MixedMesh mesh;
  mesh.vertices = hexes.vertices;
  for (const auto &h : hexes.hexahedra) {
    if (prisms) {
      // Split along the diagonal (0,2)/(4,6) of the bottom and top faces.
      mesh.prisms.push_back({h[0], h[1], h[2], h[4], h[5], h[6]});
      mesh.prisms.push_back({h[0], h[2], h[3], h[4], h[6], h[7]});
      continue;
    }
    std::array<double, 3> centre = {0, 0, 0};
    for (auto v : h)
      for (int c = 0; c < 3; ++c) centre[c] += mesh.vertices[v - 1][c] / 8;
    mesh.vertices.push_back(centre);
    const auto apex = std::int32_t(mesh.vertices.size());
    // Each face seen from the centre, oriented so the pyramid is positive.
    static const int faces[6][4] = {{0, 1, 2, 3}, {4, 7, 6, 5}, {0, 4, 5, 1},
                                    {1, 5, 6, 2}, {2, 6, 7, 3}, {3, 7, 4, 0}};
    for (const auto &f : faces) mesh.pyramids.push_back({h[f[0]], h[f[1]], h[f[2]], h[f[3]], apex});
  }
  return mesh;
}

void import(const MixedMesh &mesh, ConversionState &state) {
  InternalMesh &m = state.mesh;
  allocate_vertices(m, std::int32_t(mesh.vertices.size()));
  for (std::size_t v = 0; v < mesh.vertices.size(); ++v)
    std::copy(mesh.vertices[v].begin(), mesh.vertices[v].end(), m.vertex(std::int32_t(v + 1)));
  allocate_elements(m, kind_prism, std::int32_t(mesh.prisms.size()));
  for (std::size_t e = 0; e < mesh.prisms.size(); ++e)
    std::copy(mesh.prisms[e].begin(), mesh.prisms[e].end(),
              m.elements[kind_prism].element(std::int32_t(e + 1)));
  allocate_elements(m, kind_pyramid, std::int32_t(mesh.pyramids.size()));
  for (std::size_t e = 0; e < mesh.pyramids.size(); ++e)
    std::copy(mesh.pyramids[e].begin(), mesh.pyramids[e].end(),
              m.elements[kind_pyramid].element(std::int32_t(e + 1)));
}

}  // namespace highorder_test
