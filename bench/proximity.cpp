// The 2D proximity size map of a strip of 1 000 000 triangles: two marked
// walls 2.5 apart and 20 long, 2 000 x 250 square cells of two triangles
// between them, read through an in-memory mesh.
#include <benchmark/benchmark.h>

#include "gridlume.h"

namespace {

constexpr int columns = 2000, rows = 250;  // cells
constexpr double cell = 0.01;

struct Strip {
  gridlume_context *context = gridlume_context_new();
  gridlume_mesh *mesh = gridlume_mesh_new_in_memory(context);

  Strip() {
    auto vertex = [](int i, int j) { return j * (columns + 1) + i + 1; };
    gridlume_mesh_set_dimension(mesh, 2);
    gridlume_mesh_set_vertex_count(mesh, (columns + 1) * (rows + 1));
    for (int j = 0; j <= rows; ++j)
      for (int i = 0; i <= columns; ++i) {
        const double xyz[3] = {i * cell, j * cell, 0.0};
        gridlume_mesh_set_vertex_coordinates(mesh, vertex(i, j), xyz);
      }
    gridlume_mesh_set_triangle_count(mesh, 2 * columns * rows);
    int triangle = 0;
    for (int j = 0; j < rows; ++j)
      for (int i = 0; i < columns; ++i) {
        const int first[3] = {vertex(i, j), vertex(i + 1, j), vertex(i + 1, j + 1)};
        const int second[3] = {vertex(i, j), vertex(i + 1, j + 1), vertex(i, j + 1)};
        gridlume_mesh_set_triangle_vertices(mesh, ++triangle, first);
        gridlume_mesh_set_triangle_vertices(mesh, ++triangle, second);
      }
    gridlume_mesh_set_edge_count(mesh, 2 * columns);
    for (int i = 0; i < columns; ++i) {
      const int bottom[2] = {vertex(i, 0), vertex(i + 1, 0)};
      const int top[2] = {vertex(i, rows), vertex(i + 1, rows)};
      gridlume_mesh_set_edge_vertices(mesh, 2 * i + 1, bottom);
      gridlume_mesh_set_edge_vertices(mesh, 2 * i + 2, top);
    }
  }
  ~Strip() { gridlume_context_delete(context); }
};

Strip &strip() {
  static Strip instance;
  return instance;
}

void ProximityStrip(benchmark::State &state) {
  Strip &s = strip();
  const int anisotropic = static_cast<int>(state.range(0));
  for (auto _ : state) {
    gridlume_sizemap *sizemap =
        gridlume_proximity2D_compute_core(s.mesh, 1.0, 1.0, anisotropic, 1e-9, 1e30);
    benchmark::DoNotOptimize(sizemap);
    gridlume_sizemap_delete(sizemap);
  }
  state.SetItemsProcessed(state.iterations() * 2 * columns * rows);
}
BENCHMARK(ProximityStrip)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
