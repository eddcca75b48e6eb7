// The tetrahedral grid constructor on a 101 x 101 x 101 box: about one million
// vertices and six million tetrahedra, expected well under a second.
#include <benchmark/benchmark.h>

#include "gridlume.h"

namespace {

constexpr int points_per_side = 101;

void TetraGrid101(benchmark::State &state) {
  gridlume_context *context = gridlume_context_new();
  const double min[3] = {0, 0, 0}, max[3] = {1, 1, 1};
  int tetrahedra = 0;
  for (auto _ : state) {
    gridlume_mesh *grid = gridlume_mesh_new_tetra_grid(context, min, max, points_per_side,
                                                       points_per_side, points_per_side);
    if (grid == nullptr) {
      state.SkipWithError("grid construction failed");
      break;
    }
    state.PauseTiming();
    gridlume_mesh_get_tetrahedron_count(grid, &tetrahedra);
    gridlume_mesh_delete(grid);
    state.ResumeTiming();
  }
  state.counters["tetrahedra"] = tetrahedra;
  gridlume_context_delete(context);
}
BENCHMARK(TetraGrid101)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
