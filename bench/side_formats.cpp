// Reading the side formats at size: a binary STL height field of 2 million
// facets read with corner merging, and the bulk data deck of the
// 101 x 101 x 101 tetrahedral grid.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "bench_files.hpp"
#include "gridlume.h"

namespace {

using gridlume_bench::file_size;
using gridlume_bench::scratch_path;

constexpr int squares_per_side = 1000;  // 2 triangles a square: 2 000 000 facets
constexpr int grid_points_per_side = 101;

// A wavy height field over the unit square, written by the library's own
// writer in binary.
std::string height_field_stl(gridlume_context *context) {
  const std::string path = scratch_path("height_field.stl");
  if (file_size(path) == 84 + 50L * 2 * squares_per_side * squares_per_side) return path;
  gridlume_mesh *mesh = gridlume_mesh_new_in_memory(context);
  const int side = squares_per_side + 1;
  gridlume_mesh_set_vertex_count(mesh, side * side);
  for (int j = 0; j < side; ++j)
    for (int i = 0; i < side; ++i) {
      const double x = double(i) / squares_per_side, y = double(j) / squares_per_side;
      const double xyz[3] = {x, y, 0.05 * std::sin(12 * x) * std::cos(9 * y)};
      gridlume_mesh_set_vertex_coordinates(mesh, 1 + i + side * j, xyz);
    }
  gridlume_mesh_set_triangle_count(mesh, 2 * squares_per_side * squares_per_side);
  int triangle = 0;
  for (int j = 0; j < squares_per_side; ++j)
    for (int i = 0; i < squares_per_side; ++i) {
      const int a = 1 + i + side * j, b = a + 1, c = a + side, d = c + 1;
      const int first[3] = {a, b, d}, second[3] = {a, d, c};
      gridlume_mesh_set_triangle_vertices(mesh, ++triangle, first);
      gridlume_mesh_set_triangle_vertices(mesh, ++triangle, second);
    }
  gridlume_mesh_write_stl(mesh, path.c_str(), 1);
  gridlume_mesh_delete(mesh);
  return path;
}

void BinaryStlReadWithMerging(benchmark::State &state) {
  gridlume_context *context = gridlume_context_new();
  const std::string path = height_field_stl(context);
  int vertices = 0, facets = 0;
  for (auto _ : state) {
    gridlume_mesh *mesh = gridlume_mesh_new_read_stl(context, path.c_str(), 1e-6);
    if (mesh == nullptr) {
      state.SkipWithError("reading failed");
      break;
    }
    state.PauseTiming();
    gridlume_mesh_get_vertex_count(mesh, &vertices);
    gridlume_mesh_get_triangle_count(mesh, &facets);
    gridlume_mesh_delete(mesh);
    state.ResumeTiming();
  }
  state.counters["vertices"] = vertices;
  state.counters["facets/s"] =
      benchmark::Counter(double(facets), benchmark::Counter::kIsIterationInvariantRate);
  state.SetBytesProcessed(state.iterations() * file_size(path));
  gridlume_context_delete(context);
}
BENCHMARK(BinaryStlReadWithMerging)->Unit(benchmark::kMillisecond)->UseRealTime();

// The deck of the grid's tetrahedra: with the boundary triangles dropped,
// the running element identifiers are the tetrahedra's own numbers, so the
// whole deck is read.
std::string tetra_grid_deck(gridlume_context *context) {
  const std::string path = scratch_path("tetra_grid.bdf");
  if (file_size(path) > 0) return path;
  const double low[3] = {0, 0, 0}, high[3] = {1, 1, 1};
  gridlume_mesh *grid = gridlume_mesh_new_tetra_grid(
      context, low, high, grid_points_per_side, grid_points_per_side, grid_points_per_side);
  gridlume_mesh_set_triangle_count(grid, 0);
  gridlume_mesh_write_bdf(grid, path.c_str());
  gridlume_mesh_delete(grid);
  return path;
}

void BulkDataRead(benchmark::State &state) {
  gridlume_context *context = gridlume_context_new();
  const std::string path = tetra_grid_deck(context);
  int tetrahedra = 0;
  for (auto _ : state) {
    gridlume_mesh *mesh = gridlume_mesh_new_read_bdf(context, path.c_str());
    if (mesh == nullptr) {
      state.SkipWithError("reading failed");
      break;
    }
    state.PauseTiming();
    gridlume_mesh_get_tetrahedron_count(mesh, &tetrahedra);
    gridlume_mesh_delete(mesh);
    state.ResumeTiming();
  }
  state.counters["tetrahedra"] = tetrahedra;
  state.SetBytesProcessed(state.iterations() * file_size(path));
  gridlume_context_delete(context);
}
BENCHMARK(BulkDataRead)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
