// Accessor throughput of an in-memory mesh: 1 million vertices and 6 million
// tetrahedra set in index order after setting the counts, then read back, all
// through the public gridlume_mesh_set_* / gridlume_mesh_get_* calls.
//
// Setting into a fresh mesh also pays the operating system's first touch of
// the ~120 MB the arrays need; PlainStoresIntoFreshMemory does the same stores
// with no accessor at all, as the floor of that cost. SetIntoSizedArrays
// repeats the sets on a mesh whose arrays already have the right size.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdlib>

#include "gridlume.h"
#include "gridlume_stubs.h"

namespace {

constexpr int vertex_count = 1000000;
constexpr int tetrahedron_count = 6000000;
constexpr int calls_per_pass = vertex_count + tetrahedron_count;
constexpr int vertex_mask = (1 << 19) - 1;

// Cheap, valid vertex numbers so that the loop measures the accessor.
inline void tetrahedron_of(int i, int v[4]) {
  const int first = (i & vertex_mask) + 1;
  v[0] = first;
  v[1] = first + 1;
  v[2] = first + 2;
  v[3] = first + 3;
}

void set_everything(gridlume_mesh *mesh) {
  gridlume_mesh_set_vertex_count(mesh, vertex_count);
  gridlume_mesh_set_tetrahedron_count(mesh, tetrahedron_count);
  for (int i = 1; i <= vertex_count; ++i) {
    const double xyz[3] = {double(i), 0.5 * i, 0.25 * i};
    if (gridlume_mesh_set_vertex_coordinates(mesh, i, xyz) != 0) std::abort();
  }
  for (int i = 1; i <= tetrahedron_count; ++i) {
    int v[4];
    tetrahedron_of(i, v);
    if (gridlume_mesh_set_tetrahedron_vertices(mesh, i, v) != 0) std::abort();
  }
}

std::size_t heap_in_use() {
  struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

void report_calls(benchmark::State &state) {
  state.counters["calls_per_second"] =
      benchmark::Counter(double(calls_per_pass), benchmark::Counter::kIsIterationInvariantRate);
}

void SetIntoFreshMesh(benchmark::State &state) {
  gridlume_context *context = gridlume_context_new();
  double bytes_per_tetrahedron = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::size_t before = heap_in_use();
    gridlume_mesh *mesh = gridlume_mesh_new_in_memory(context);
    state.ResumeTiming();
    set_everything(mesh);
    state.PauseTiming();
    bytes_per_tetrahedron = double(heap_in_use() - before) / tetrahedron_count;
    gridlume_mesh_delete(mesh);
    state.ResumeTiming();
  }
  report_calls(state);
  // Everything the mesh holds (record, storage, both arrays) per tetrahedron:
  // 16 bytes of vertex indices plus a sixth of a vertex's 24 bytes.
  state.counters["bytes_per_tetrahedron"] = bytes_per_tetrahedron;
  gridlume_context_delete(context);
}
BENCHMARK(SetIntoFreshMesh)->Unit(benchmark::kMillisecond);

void SetIntoSizedArrays(benchmark::State &state) {
  gridlume_context *context = gridlume_context_new();
  gridlume_mesh *mesh = gridlume_mesh_new_in_memory(context);
  set_everything(mesh);
  for (auto _ : state) set_everything(mesh);
  report_calls(state);
  gridlume_context_delete(context);
}
BENCHMARK(SetIntoSizedArrays)->Unit(benchmark::kMillisecond);

void PlainStoresIntoFreshMemory(benchmark::State &state) {
  for (auto _ : state) {
    auto *xyz = static_cast<double *>(gridlume_calloc(3 * std::size_t{vertex_count}, 8));
    auto *vertices = static_cast<int *>(gridlume_calloc(4 * std::size_t{tetrahedron_count}, 4));
    for (int i = 1; i <= vertex_count; ++i) {
      double *p = xyz + 3 * std::size_t(i - 1);
      p[0] = double(i);
      p[1] = 0.5 * i;
      p[2] = 0.25 * i;
    }
    for (int i = 1; i <= tetrahedron_count; ++i) tetrahedron_of(i, vertices + 4 * std::size_t(i - 1));
    benchmark::DoNotOptimize(xyz);
    benchmark::DoNotOptimize(vertices);
    benchmark::ClobberMemory();
    state.PauseTiming();
    gridlume_free(xyz);
    gridlume_free(vertices);
    state.ResumeTiming();
  }
  report_calls(state);
}
BENCHMARK(PlainStoresIntoFreshMemory)->Unit(benchmark::kMillisecond);

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
  report_calls(state);
  gridlume_context_delete(context);
}
BENCHMARK(GetInIndexOrder)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
