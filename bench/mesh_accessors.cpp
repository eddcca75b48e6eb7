// Accessor throughput of an in-memory mesh: 1 million vertices and 6 million
// tetrahedra set in index order after setting the counts, then read back,
// all through the public gridlume_mesh_set_* / gridlume_mesh_get_* calls.
#include <benchmark/benchmark.h>

#include "gridlume.h"
#include "gridlume_stubs.h"

namespace {

constexpr int vertex_count = 1000000;
constexpr int tetrahedron_count = 6000000;
constexpr int vertex_mask = (1 << 19) - 1;
constexpr int calls_per_fill = vertex_count + tetrahedron_count;

void set_everything(gridlume_mesh *mesh) {
  gridlume_mesh_set_vertex_count(mesh, vertex_count);
  gridlume_mesh_set_tetrahedron_count(mesh, tetrahedron_count);
  for (int i = 1; i <= vertex_count; ++i) {
    const double xyz[3] = {double(i), 0.5 * i, 0.25 * i};
    if (gridlume_mesh_set_vertex_coordinates(mesh, i, xyz) != 0) std::abort();
  }
  for (int i = 1; i <= tetrahedron_count; ++i) {
    const int first = (i & vertex_mask) + 1;  // cheap valid vertex numbers
    const int v[4] = {first, first + 1, first + 2, first + 3};
    if (gridlume_mesh_set_tetrahedron_vertices(mesh, i, v) != 0) std::abort();
  }
}

void SetInIndexOrder(benchmark::State &state) {
  gridlume_context *context = gridlume_context_new();
  long bytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    gridlume_mesh *mesh = gridlume_mesh_new_in_memory(context);
    long before = gridlume_stubs_live_block_count();
    (void)before;
    state.ResumeTiming();
    set_everything(mesh);
    state.PauseTiming();
    gridlume_mesh_delete(mesh);
    state.ResumeTiming();
  }
  (void)bytes;
  state.counters["calls_per_second"] =
      benchmark::Counter(double(calls_per_fill), benchmark::Counter::kIsIterationInvariantRate);
  gridlume_context_delete(context);
}
BENCHMARK(SetInIndexOrder)->Unit(benchmark::kMillisecond);

void GetInIndexOrder(benchmark::State &state) {
  gridlume_context *context = gridlume_context_new();
  gridlume_mesh *mesh = gridlume_mesh_new_in_memory(context);
  set_everything(mesh);
  for (auto _ : state) {
    double sum = 0.0;
    long vertex_sum = 0;
    for (int i = 1; i <= vertex_count; ++i) {
      double xyz[3];
      gridlume_mesh_get_vertex_coordinates(mesh, i, xyz);
      sum += xyz[0];
    }
    for (int i = 1; i <= tetrahedron_count; ++i) {
      int v[4];
      gridlume_mesh_get_tetrahedron_vertices(mesh, i, v);
      vertex_sum += v[3];
    }
    benchmark::DoNotOptimize(sum);
    benchmark::DoNotOptimize(vertex_sum);
  }
  state.counters["calls_per_second"] =
      benchmark::Counter(double(calls_per_fill), benchmark::Counter::kIsIterationInvariantRate);
  gridlume_context_delete(context);
}
BENCHMARK(GetInIndexOrder)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
