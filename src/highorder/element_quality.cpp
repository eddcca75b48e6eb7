// Jacobian qualities of the second-order elements.
#include "highorder/element_quality.hpp"

#include <algorithm>
#include <array>
#include <cmath>

#include "highorder/element_loops.hpp"

namespace gridlume::highorder {

namespace {

using Point = std::array<double, 3>;

inline double det3(const double *u, const double *v, const double *w) noexcept {
  return u[0] * (v[1] * w[2] - v[2] * w[1]) - u[1] * (v[0] * w[2] - v[2] * w[0]) +
         u[2] * (v[0] * w[1] - v[1] * w[0]);
}

// min/max of jacobian values, with the threshold applied to the ratio: an
// element counts as valid only when min/max exceeds the threshold.
double ratio_quality(double smallest, double largest, double threshold) noexcept {
  if (!(largest > 0.0)) return -1.0;
  double quality = smallest / largest;
  if (!(quality > threshold)) quality = std::min(quality, 0.0);
  return quality;
}

// The index of the degree-3 Bernstein coefficient reached by the ordered
// triple (j, l, m) of barycentric directions, for all 64 triples.
struct BernsteinTable {
  std::array<std::int8_t, 64> coefficient;
  std::array<double, 20> weight;  // 1 / number of triples of the coefficient
};

constexpr BernsteinTable make_bernstein_table() {
  BernsteinTable table{};
  std::array<std::array<int, 4>, 20> exponents{};
  int count = 0;
  std::array<int, 20> multiplicity{};
  for (int t = 0; t < 64; ++t) {
    std::array<int, 4> gamma{};
    ++gamma[t / 16];
    ++gamma[(t / 4) % 4];
    ++gamma[t % 4];
    int found = -1;
    for (int c = 0; c < count; ++c)
      if (exponents[c] == gamma) found = c;
    if (found < 0) {
      found = count;
      exponents[count++] = gamma;
    }
    table.coefficient[t] = static_cast<std::int8_t>(found);
    ++multiplicity[found];
  }
  for (int c = 0; c < 20; ++c) table.weight[c] = 1.0 / multiplicity[c];
  return table;
}
constexpr BernsteinTable bernstein_table = make_bernstein_table();

// Control points of the quadratic tetrahedron: P[i][j] for corners i, j.
inline void control_points(const double (*p)[3], double (&control)[4][4][3]) noexcept {
  static constexpr int edge_of[4][4] = {{-1, 4, 6, 7}, {4, -1, 5, 8}, {6, 5, -1, 9}, {7, 8, 9, -1}};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      for (int c = 0; c < 3; ++c)
        control[i][j][c] = i == j ? p[i][c] : 2.0 * p[edge_of[i][j]][c] - 0.5 * (p[i][c] + p[j][c]);
}

void bernstein_extremes(const double (*p)[3], double &smallest, double &largest) noexcept {
  double control[4][4][3];
  control_points(p, control);
  // Derivative k (1..3) of the map is linear in the barycentric directions
  // j with coefficients D[k][j] = 2 (P[k][j] - P[0][j]).
  double derivative[3][4][3];
  for (int k = 0; k < 3; ++k)
    for (int j = 0; j < 4; ++j)
      for (int c = 0; c < 3; ++c)
        derivative[k][j][c] = 2.0 * (control[k + 1][j][c] - control[0][j][c]);
  double cross23[4][4][3];
  for (int l = 0; l < 4; ++l)
    for (int m = 0; m < 4; ++m) {
      const double *v = derivative[1][l], *w = derivative[2][m];
      cross23[l][m][0] = v[1] * w[2] - v[2] * w[1];
      cross23[l][m][1] = v[2] * w[0] - v[0] * w[2];
      cross23[l][m][2] = v[0] * w[1] - v[1] * w[0];
    }
  double coefficients[20] = {};
  for (int j = 0; j < 4; ++j) {
    const double *u = derivative[0][j];
    for (int l = 0; l < 4; ++l)
      for (int m = 0; m < 4; ++m) {
        const double *x = cross23[l][m];
        coefficients[bernstein_table.coefficient[j * 16 + l * 4 + m]] +=
            u[0] * x[0] + u[1] * x[1] + u[2] * x[2];
      }
  }
  smallest = largest = coefficients[0] * bernstein_table.weight[0];
  for (int c = 1; c < 20; ++c) {
    const double value = coefficients[c] * bernstein_table.weight[c];
    smallest = std::min(smallest, value);
    largest = std::max(largest, value);
  }
}

double six_volume(const double *a, const double *b, const double *c, const double *d) noexcept {
  const double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  const double v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
  const double w[3] = {d[0] - a[0], d[1] - a[1], d[2] - a[2]};
  return det3(u, v, w);
}

// Quadratic Lagrange functions on [0, 1] with nodes 0, 1/2, 1, and their
// derivatives.
inline void line_basis(double t, double (&value)[3], double (&slope)[3]) noexcept {
  value[0] = 2.0 * (t - 0.5) * (t - 1.0);
  value[1] = -4.0 * t * (t - 1.0);
  value[2] = 2.0 * t * (t - 0.5);
  slope[0] = 4.0 * t - 3.0;
  slope[1] = -8.0 * t + 4.0;
  slope[2] = 4.0 * t - 1.0;
}

inline constexpr int lattice_points = 5;

// Hexahedron node at lattice position (i, j, k), each 0, 1 (middle) or 2.
constexpr std::array<std::array<std::array<std::int8_t, 3>, 3>, 3> hexahedron_lattice = {{
    {{{0, 16, 4}, {11, 20, 15}, {3, 19, 7}}},
    {{{8, 22, 12}, {24, 26, 25}, {10, 23, 14}}},
    {{{1, 17, 5}, {9, 21, 13}, {2, 18, 6}}},
}};

}  // namespace

double tetrahedron_bernstein_quality(const double (*p)[3], double threshold) noexcept {
  double smallest = 0.0, largest = 0.0;
  bernstein_extremes(p, smallest, largest);
  return ratio_quality(smallest, largest, threshold);
}

double tetrahedron_c3d10m_quality(const double (*p)[3], double threshold) noexcept {
  static constexpr std::int8_t sub[8][4] = {{0, 4, 6, 7}, {4, 1, 5, 8}, {6, 5, 2, 9}, {7, 8, 9, 3},
                                            {4, 9, 5, 6}, {4, 9, 6, 7}, {4, 9, 7, 8}, {4, 9, 8, 5}};
  double smallest = 0.0, largest = 0.0;
  for (int t = 0; t < 8; ++t) {
    const double volume = six_volume(p[sub[t][0]], p[sub[t][1]], p[sub[t][2]], p[sub[t][3]]);
    smallest = t == 0 ? volume : std::min(smallest, volume);
    largest = t == 0 ? volume : std::max(largest, volume);
  }
  return ratio_quality(smallest, largest, threshold);
}

double pyramid_quality(const double (*p)[3], double threshold) noexcept {
  // Corners a, b, c and apex of each tetrahedron, with the node of each of
  // its six edges in the pyramid's node list.
  static constexpr std::int8_t tetrahedra[4][10] = {
      {0, 1, 2, 4, 5, 6, 13, 9, 10, 11},
      {0, 2, 3, 4, 13, 7, 8, 9, 11, 12},
      {0, 1, 3, 4, 5, 13, 8, 9, 10, 12},
      {1, 2, 3, 4, 6, 7, 13, 10, 11, 12},
  };
  double worst = 1.0;
  for (const auto &tetrahedron : tetrahedra) {
    double nodes[10][3];
    for (int n = 0; n < 10; ++n)
      for (int c = 0; c < 3; ++c) nodes[n][c] = p[tetrahedron[n]][c];
    worst = std::min(worst, tetrahedron_bernstein_quality(nodes, threshold));
  }
  return worst;
}

double hexahedron_quality(const double (*p)[3], double threshold) noexcept {
  double smallest = 0.0, largest = 0.0;
  bool first = true;
  for (int a = 0; a < lattice_points; ++a)
    for (int b = 0; b < lattice_points; ++b)
      for (int c = 0; c < lattice_points; ++c) {
        double fu[3], du[3], fv[3], dv[3], fw[3], dw[3];
        line_basis(a / 4.0, fu, du);
        line_basis(b / 4.0, fv, dv);
        line_basis(c / 4.0, fw, dw);
        double g[3][3] = {};
        for (int i = 0; i < 3; ++i)
          for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k) {
              const double *x = p[hexahedron_lattice[i][j][k]];
              const double weights[3] = {du[i] * fv[j] * fw[k], fu[i] * dv[j] * fw[k],
                                         fu[i] * fv[j] * dw[k]};
              for (int d = 0; d < 3; ++d)
                for (int e = 0; e < 3; ++e) g[d][e] += weights[d] * x[e];
            }
        const double jacobian = det3(g[0], g[1], g[2]);
        smallest = first ? jacobian : std::min(smallest, jacobian);
        largest = first ? jacobian : std::max(largest, jacobian);
        first = false;
      }
  return ratio_quality(smallest, largest, threshold);
}

double prism_quality(const double (*p)[3], double threshold) noexcept {
  // Triangle node t (corners 0-2, then edges (0,1) (1,2) (2,0)) at level
  // 0 (bottom), 1 (middle), 2 (top).
  static constexpr std::int8_t nodes[6][3] = {{0, 12, 3}, {1, 13, 4},  {2, 14, 5},
                                              {6, 15, 9}, {7, 16, 10}, {8, 17, 11}};
  double smallest = 0.0, largest = 0.0;
  bool first = true;
  for (int a = 0; a < lattice_points; ++a)
    for (int b = 0; a + b < lattice_points; ++b)
      for (int c = 0; c < lattice_points; ++c) {
        const double u = a / 4.0, v = b / 4.0, l0 = 1.0 - u - v;
        // P2 triangle functions and their u, v derivatives.
        const double f[6] = {l0 * (2 * l0 - 1), u * (2 * u - 1), v * (2 * v - 1),
                             4 * l0 * u,        4 * u * v,       4 * v * l0};
        const double fu[6] = {-(4 * l0 - 1), 4 * u - 1, 0, 4 * (l0 - u), 4 * v, -4 * v};
        const double fv[6] = {-(4 * l0 - 1), 0, 4 * v - 1, -4 * u, 4 * u, 4 * (l0 - v)};
        double hw[3], dw[3];
        line_basis(c / 4.0, hw, dw);
        double g[3][3] = {};
        for (int t = 0; t < 6; ++t)
          for (int k = 0; k < 3; ++k) {
            const double *x = p[nodes[t][k]];
            const double weights[3] = {fu[t] * hw[k], fv[t] * hw[k], f[t] * dw[k]};
            for (int d = 0; d < 3; ++d)
              for (int e = 0; e < 3; ++e) g[d][e] += weights[d] * x[e];
          }
        const double jacobian = det3(g[0], g[1], g[2]);
        smallest = first ? jacobian : std::min(smallest, jacobian);
        largest = first ? jacobian : std::max(largest, jacobian);
        first = false;
      }
  return ratio_quality(smallest, largest, threshold);
}

namespace {

// A tetrahedron whose edge nodes all sit at their straight positions is
// affine: its jacobian is the constant six times its volume, and its quality
// 1 (or -1 when inverted) without the Bernstein expansion. Most elements
// away from the boundary are such.
bool straight_tetrahedron_quality(const ConversionState &state, const std::int32_t *nodes,
                                  double &quality) noexcept {
  const InternalMesh &mesh = state.mesh;
  if (state.straight_coordinates.size() != mesh.coordinates.size()) return false;
  const double *straight = state.straight_coordinates.data();
  for (int n = 4; n < 10; ++n) {
    const double *x = mesh.vertex(nodes[n]), *s = straight + 3 * std::size_t(nodes[n]);
    if (x[0] != s[0] || x[1] != s[1] || x[2] != s[2]) return false;
  }
  const double volume = six_volume(mesh.vertex(nodes[0]), mesh.vertex(nodes[1]),
                                   mesh.vertex(nodes[2]), mesh.vertex(nodes[3]));
  quality = volume > 0.0 ? ratio_quality(1.0, 1.0, state.jacobian_threshold) : -1.0;
  return true;
}

}  // namespace

double element_quality(const ConversionState &state, int kind, std::int32_t element) noexcept {
  if (state.quality_hook != nullptr) return state.quality_hook(state, kind, element);
  const InternalMesh &mesh = state.mesh;
  const ElementArray &array = mesh.elements[kind];
  const std::int32_t *nodes = array.element(element);
  double straight_quality = 0.0;
  if (kind == kind_tetrahedron && straight_tetrahedron_quality(state, nodes, straight_quality))
    return straight_quality;
  double p[27][3];
  for (int n = 0; n < array.nodes_per_element; ++n) {
    const double *x = mesh.vertex(nodes[n]);
    p[n][0] = x[0];
    p[n][1] = x[1];
    p[n][2] = x[2];
  }
  const double threshold = state.jacobian_threshold;
  switch (kind) {
    case kind_tetrahedron:
      return state.use_c3d10m_jacobian ? tetrahedron_c3d10m_quality(p, threshold)
                                       : tetrahedron_bernstein_quality(p, threshold);
    case kind_pyramid:
      return pyramid_quality(p, threshold);
    case kind_prism:
      return prism_quality(p, threshold);
    case kind_hexahedron:
      return hexahedron_quality(p, threshold);
    default:
      return 1.0;
  }
}

int quality_bin(double quality) noexcept {
  if (!(quality > 0.0) || quality > 1.0) return 0;
  return std::clamp(static_cast<int>(std::ceil(10.0 * quality)), 1, 10);
}

void evaluate_quality_range(std::int32_t first, std::int32_t last, int worker,
                            void *user) noexcept {
  auto &loop = *static_cast<QualityLoop *>(user);
  ConversionState &state = *loop.state;
  const int kind = loop.kind;
  auto &row = state.histograms[std::size_t(worker)][std::size_t(kind - first_volume_kind)];
  double *quality = state.quality[kind].data();
  std::uint8_t *good = state.mesh.elements[kind].marks[0].data();
  for (std::int32_t element = first; element <= last; ++element) {
    const double q = element_quality(state, kind, element);
    quality[element] = q;
    ++row[std::size_t(quality_bin(q))];
    if (state.rejection && q >= 0.5) good[element] = 1;
  }
}

void recount_histograms(ConversionState &state) noexcept {
  for (auto &histogram : state.histograms)
    for (auto &row : histogram) row.fill(0);
  for (int kind = first_volume_kind; kind <= last_kind; ++kind) {
    const double *quality = state.quality[kind].data();
    const auto row = std::size_t(kind - first_volume_kind);
    // Each worker counts into its own row.
    run_range_loop(state, state.mesh.count(kind), [&](std::int64_t begin, std::int64_t end,
                                                       int worker) {
      auto &bins = state.histograms[std::size_t(worker)][row];
      for (std::int64_t element = begin + 1; element <= end; ++element)
        ++bins[std::size_t(quality_bin(quality[element]))];
    });
  }
}

void evaluate_all_qualities(ConversionState &state) noexcept {
  for (auto &histogram : state.histograms)
    for (auto &row : histogram) row.fill(0);
  for (int kind = first_volume_kind; kind <= last_kind; ++kind) {
    QualityLoop loop{&state, kind};
    run_element_loop(state, kind, evaluate_quality_range, &loop);
  }
}

}  // namespace gridlume::highorder
