// Per-vertex size maps on the 101 x 101 x 101 tetrahedral grid (1.03 million
// vertices): a scalar and a metric size map written to and read from binary
// and text solution files and bb files, and an in-memory size map evaluated
// through its function pointer and through the exported getter.
//
// Writes go to a file that does not exist yet (the previous one is removed
// outside the timed region), as in bench_keyword_files.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "bench_files.hpp"
#include "gridlume.h"

namespace {

using gridlume_bench::file_size;
using gridlume_bench::scratch_path;

constexpr int grid_points = 101;

struct Fixture {
  gridlume_context *context = nullptr;
  gridlume_mesh *mesh = nullptr;
  gridlume_sizemap *scalar = nullptr;
  gridlume_sizemap *metric = nullptr;
  int vertex_count = 0;
};

// Sizes and metrics that vary smoothly over the grid, every value a real of
// full precision as a generator computes them.
const Fixture &fixture() {
  static Fixture built = [] {
    Fixture f;
    f.context = gridlume_context_new();
    const double low[3] = {0, 0, 0}, high[3] = {1, 1, 1};
    f.mesh =
        gridlume_mesh_new_tetra_grid(f.context, low, high, grid_points, grid_points, grid_points);
    gridlume_mesh_get_vertex_count(f.mesh, &f.vertex_count);
    f.scalar = gridlume_sizemap_new_in_memory(f.mesh, 4);
    f.metric = gridlume_sizemap_new_in_memory(f.mesh, 8);
    for (int i = 1; i <= f.vertex_count; ++i) {
      double xyz[3];
      gridlume_mesh_get_vertex_coordinates(f.mesh, i, xyz);
      double size = 0.01 + 0.1 * std::sin(xyz[0] * 3) * std::cos(xyz[1] + xyz[2]);
      // A metric stretched along a direction that turns across the box.
      double c = std::cos(xyz[0] + 2 * xyz[1]), s = std::sin(xyz[0] + 2 * xyz[1]);
      double along = 1 / (size * size), across = 0.01 * along + 1 + xyz[2];
      double metric[6] = {along * c * c + across * s * s,
                          (along - across) * c * s,
                          along * s * s + across * c * c,
                          0.1 * xyz[2] * c,
                          0.1 * xyz[2] * s,
                          across + xyz[0]};
      gridlume_sizemap_iso_mesh_vertex_set_size(f.scalar, i, &size);
      gridlume_sizemap_aniso_mesh_vertex_set_metric(f.metric, i, metric);
    }
    return f;
  }();
  return built;
}

using Writer = int (*)(gridlume_sizemap *, const char *);
using Reader = gridlume_sizemap *(*)(gridlume_mesh *, const char *);

gridlume_sizemap *sizemap_of(bool metric) { return metric ? fixture().metric : fixture().scalar; }

void write_file(benchmark::State &state, Writer writer, bool metric, const char *name) {
  const std::string path = scratch_path(name);
  gridlume_sizemap *sizemap = sizemap_of(metric);
  for (auto _ : state) {
    state.PauseTiming();
    std::remove(path.c_str());
    state.ResumeTiming();
    if (writer(sizemap, path.c_str()) != 0) state.SkipWithError("writing failed");
  }
  state.SetBytesProcessed(state.iterations() * file_size(path));
}

void read_file(benchmark::State &state, Writer writer, Reader reader, bool metric,
               const char *name) {
  const std::string path = scratch_path(name);
  if (writer(sizemap_of(metric), path.c_str()) != 0) state.SkipWithError("writing failed");
  for (auto _ : state) {
    gridlume_sizemap *read = reader(fixture().mesh, path.c_str());
    if (read == nullptr) state.SkipWithError("reading failed");
    benchmark::DoNotOptimize(read);
    state.PauseTiming();
    gridlume_sizemap_delete(read);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * file_size(path));
}

#define GRIDLUME_BENCH_FILE(name, writer, reader, metric, file)                                   \
  void BM_Write##name(benchmark::State &state) { write_file(state, writer, metric, file); }       \
  void BM_Read##name(benchmark::State &state) { read_file(state, writer, reader, metric, file); } \
  BENCHMARK(BM_Write##name)->Unit(benchmark::kMillisecond)->UseRealTime();                        \
  BENCHMARK(BM_Read##name)->Unit(benchmark::kMillisecond)->UseRealTime();

GRIDLUME_BENCH_FILE(ScalarSolb, gridlume_sizemap_write_sol, gridlume_sizemap_new_read_sol, false,
                    "scalar.solb")
GRIDLUME_BENCH_FILE(MetricSolb, gridlume_sizemap_write_sol, gridlume_sizemap_new_read_sol, true,
                    "metric.solb")
GRIDLUME_BENCH_FILE(ScalarSol, gridlume_sizemap_write_sol, gridlume_sizemap_new_read_sol, false,
                    "scalar.sol")
GRIDLUME_BENCH_FILE(MetricSol, gridlume_sizemap_write_sol, gridlume_sizemap_new_read_sol, true,
                    "metric.sol")
GRIDLUME_BENCH_FILE(ScalarBb, gridlume_sizemap_write_bb, gridlume_sizemap_new_read_bb, false,
                    "scalar.bb")
GRIDLUME_BENCH_FILE(MetricBb, gridlume_sizemap_write_bb, gridlume_sizemap_new_read_bb, true,
                    "metric.bb")

// Every vertex's size through the function pointer and user data a mesh
// generator takes from the size map once.
void BM_InMemoryFunctionCalls(benchmark::State &state) {
  const Fixture &f = fixture();
  gridlume_map_function stored = nullptr;
  void *user_data = nullptr;
  gridlume_sizemap_get_function(f.scalar, &stored);
  gridlume_sizemap_get_user_data(f.scalar, &user_data);
  auto function = reinterpret_cast<gridlume_sizemap_mesh_vertex_function>(stored);
  for (auto _ : state) {
    double sum = 0, size = 0;
    for (int i = 1; i <= f.vertex_count; ++i) {
      function(i, &size, user_data);
      sum += size;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * f.vertex_count);
}
BENCHMARK(BM_InMemoryFunctionCalls)->Unit(benchmark::kMillisecond);

// The same through the exported getter, which checks the type each time.
void BM_InMemoryGetSize(benchmark::State &state) {
  const Fixture &f = fixture();
  for (auto _ : state) {
    double sum = 0, size = 0;
    for (int i = 1; i <= f.vertex_count; ++i) {
      gridlume_sizemap_iso_mesh_vertex_get_size(f.scalar, i, &size);
      sum += size;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * f.vertex_count);
}
BENCHMARK(BM_InMemoryGetSize)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
