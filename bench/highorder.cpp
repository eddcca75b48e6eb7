// The high-order conversion of a unit ball of about two million tetrahedra
// (a cube of 70 x 70 x 70 cells, six tetrahedra each, mapped onto the ball),
// on one and two threads. The input is imported afresh before each run
// (not timed).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "highorder/conversion.hpp"

namespace {

using namespace gridlume::highorder;

constexpr int cells = 70;

double six_volume(const double *a, const double *b, const double *c, const double *d) {
  const double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  const double v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
  const double w[3] = {d[0] - a[0], d[1] - a[1], d[2] - a[2]};
  return u[0] * (v[1] * w[2] - v[2] * w[1]) - u[1] * (v[0] * w[2] - v[2] * w[0]) +
         u[2] * (v[0] * w[1] - v[1] * w[0]);
}

// The Kuhn split of the cube's cells mapped onto the ball; the boundary
// triangles are the tetrahedron faces on the cube's faces.
void import_ball(ConversionState &state) {
  const int n = cells, side = n + 1;
  InternalMesh &mesh = state.mesh;
  allocate_vertices(mesh, side * side * side);
  auto index = [side](int i, int j, int k) { return (k * side + j) * side + i + 1; };
  for (int k = 0; k <= n; ++k)
    for (int j = 0; j <= n; ++j)
      for (int i = 0; i <= n; ++i) {
        double x[3] = {-1.0 + 2.0 * i / n, -1.0 + 2.0 * j / n, -1.0 + 2.0 * k / n};
        const double length = std::sqrt(x[0] * x[0] + x[1] * x[1] + x[2] * x[2]);
        const double scale =
            length > 0 ? std::max({std::fabs(x[0]), std::fabs(x[1]), std::fabs(x[2])}) / length : 0;
        for (int c = 0; c < 3; ++c) mesh.vertex(index(i, j, k))[c] = x[c] * scale;
      }
  allocate_elements(mesh, kind_tetrahedron, 6 * n * n * n);
  allocate_elements(mesh, kind_triangle, 12 * n * n);
  static const int permutations[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2},
                                         {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
  static const int sides[4][3] = {{0, 2, 1}, {0, 1, 3}, {1, 2, 3}, {0, 3, 2}};
  std::int32_t tetrahedron = 0, triangle = 0;
  for (int k = 0; k < n; ++k)
    for (int j = 0; j < n; ++j)
      for (int i = 0; i < n; ++i)
        for (const auto &order : permutations) {
          int at[4][3] = {{i, j, k}};
          for (int s = 0; s < 3; ++s) {
            std::copy(at[s], at[s] + 3, at[s + 1]);
            ++at[s + 1][order[s]];
          }
          std::int32_t *t = mesh.elements[kind_tetrahedron].element(++tetrahedron);
          for (int v = 0; v < 4; ++v) t[v] = index(at[v][0], at[v][1], at[v][2]);
          if (six_volume(mesh.vertex(t[0]), mesh.vertex(t[1]), mesh.vertex(t[2]),
                         mesh.vertex(t[3])) < 0) {
            std::swap(t[2], t[3]);
            std::swap(at[2], at[3]);
          }
          mesh.elements[kind_tetrahedron].tags[std::size_t(tetrahedron)] = 1;
          for (const auto &face : sides)
            for (int axis = 0; axis < 3; ++axis) {
              const int level = at[face[0]][axis];
              if ((level != 0 && level != n) || at[face[1]][axis] != level ||
                  at[face[2]][axis] != level)
                continue;
              std::int32_t *f = mesh.elements[kind_triangle].element(++triangle);
              for (int v = 0; v < 3; ++v) f[v] = t[face[v]];
              mesh.elements[kind_triangle].tags[std::size_t(triangle)] = 2;
            }
        }
}

void ConvertBall(benchmark::State &state) {
  const int threads = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    ConversionState *conversion = conversion_state_new();
    import_ball(*conversion);
    conversion->thread_count = threads;
    state.ResumeTiming();
    const int code = run_conversion(*conversion);
    state.PauseTiming();
    state.counters["tetrahedra"] = conversion->mesh.count(kind_tetrahedron);
    state.counters["nodes"] = conversion->mesh.vertex_count;
    conversion_state_delete(conversion);
    state.ResumeTiming();
    if (code != code_success) {
      state.SkipWithError("conversion failed");
      break;
    }
  }
}
BENCHMARK(ConvertBall)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
