// Topological statistics and the subdomain coherency check on the
// 101 x 101 x 101 tetrahedral grid (6 million tetrahedra) with its 120 000
// boundary triangles, read through an in-memory mesh.
#include <benchmark/benchmark.h>

#include "gridlume.h"

namespace {

constexpr int grid_points = 101;  // per axis

struct GridWithBoundary {
  gridlume_context *context = gridlume_context_new();
  gridlume_mesh *mesh = nullptr;

  GridWithBoundary() {
    gridlume_context_set_message_callback(context, nullptr, nullptr);  // silent reports
    const double low[3] = {0, 0, 0}, high[3] = {1, 1, 1};
    const int n = grid_points;
    mesh = gridlume_mesh_new_tetra_grid(context, low, high, n, n, n);
    auto vertex = [n](int i, int j, int k) { return i * n * n + j * n + k + 1; };
    const int cells = n - 1;
    gridlume_mesh_set_triangle_count(mesh, 12 * cells * cells);
    int triangle = 0;
    // Two triangles per boundary square, on each of the six sides.
    for (int side = 0; side < 6; ++side) {
      const int axis = side % 3, level = side < 3 ? 0 : cells;
      for (int a = 0; a < cells; ++a)
        for (int b = 0; b < cells; ++b) {
          int corners[4];
          const int da[4] = {0, 1, 1, 0}, db[4] = {0, 0, 1, 1};
          for (int c = 0; c < 4; ++c) {
            int ijk[3];
            ijk[axis] = level;
            ijk[(axis + 1) % 3] = a + da[c];
            ijk[(axis + 2) % 3] = b + db[c];
            corners[c] = vertex(ijk[0], ijk[1], ijk[2]);
          }
          const int first[3] = {corners[0], corners[1], corners[2]};
          const int second[3] = {corners[0], corners[2], corners[3]};
          gridlume_mesh_set_triangle_vertices(mesh, ++triangle, first);
          gridlume_mesh_set_triangle_vertices(mesh, ++triangle, second);
        }
    }
  }
  ~GridWithBoundary() { gridlume_context_delete(context); }
};

GridWithBoundary &grid() {
  static GridWithBoundary instance;
  return instance;
}

void TopologicalStatisticsKeyStyle(benchmark::State &state) {
  GridWithBoundary &g = grid();
  for (auto _ : state)
    benchmark::DoNotOptimize(gridlume_mesh_compute_topological_statistics_valid(g.mesh, "b"));
}
BENCHMARK(TopologicalStatisticsKeyStyle)->Unit(benchmark::kMillisecond);

void TetrahedronAspectRatioQueryInMemory(benchmark::State &state) {
  GridWithBoundary &g = grid();
  int count = 0;
  gridlume_mesh_get_tetrahedron_count(g.mesh, &count);
  for (auto _ : state) {
    double sum = 0;
    for (int i = 1; i <= count; ++i) {
      double ratio;
      gridlume_mesh_get_tetrahedron_aspect_ratio(g.mesh, i, &ratio);
      sum += ratio;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.counters["tetrahedra/s"] =
      benchmark::Counter(double(count) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(TetrahedronAspectRatioQueryInMemory)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
