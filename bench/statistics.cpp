// Quality statistics on the 101 x 101 x 101 tetrahedral grid (6 000 000
// tetrahedra, 1 030 301 vertices) with its 120 000 boundary triangles, held in
// an in-memory mesh and read through its accessors.
//
// Three versions of the grid: as gridlume_mesh_new_tetra_grid builds it (its
// tetrahedra are negatively oriented, so every aspect ratio is +infinity and
// the kernel stops at the volume); reoriented (two vertices of every
// tetrahedron swapped: all congruent, so the histogram is a single value);
// and reoriented with every interior vertex moved by up to 0.15 of a cell
// (fixed seed), so that the values spread over the histogram bins.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <cstdint>

#include "gridlume.h"

namespace {

constexpr int grid_points = 101;  // per axis
constexpr double jitter = 0.15;   // of a cell

int vertex_number(int i, int j, int k) {
  return i * grid_points * grid_points + j * grid_points + k + 1;
}

// The two triangles of every boundary square of the box.
void add_boundary_triangles(gridlume_mesh *mesh) {
  constexpr int cells = grid_points - 1;
  gridlume_mesh_set_triangle_count(mesh, 12 * cells * cells);
  int triangle = 0;
  auto add_square = [&](int a, int b, int c, int d) {
    const int first[3] = {a, b, c}, second[3] = {a, c, d};
    gridlume_mesh_set_triangle_vertices(mesh, ++triangle, first);
    gridlume_mesh_set_triangle_vertices(mesh, ++triangle, second);
  };
  for (int side = 0; side < 2; ++side) {
    const int fixed = side * cells;
    for (int u = 0; u < cells; ++u)
      for (int v = 0; v < cells; ++v) {
        add_square(vertex_number(fixed, u, v), vertex_number(fixed, u + 1, v),
                   vertex_number(fixed, u + 1, v + 1), vertex_number(fixed, u, v + 1));
        add_square(vertex_number(u, fixed, v), vertex_number(u + 1, fixed, v),
                   vertex_number(u + 1, fixed, v + 1), vertex_number(u, fixed, v + 1));
        add_square(vertex_number(u, v, fixed), vertex_number(u + 1, v, fixed),
                   vertex_number(u + 1, v + 1, fixed), vertex_number(u, v + 1, fixed));
      }
  }
}

void reorient(gridlume_mesh *mesh) {
  int count = 0;
  gridlume_mesh_get_tetrahedron_count(mesh, &count);
  for (int t = 1; t <= count; ++t) {
    int vertices[4];
    gridlume_mesh_get_tetrahedron_vertices(mesh, t, vertices);
    std::swap(vertices[2], vertices[3]);
    gridlume_mesh_set_tetrahedron_vertices(mesh, t, vertices);
  }
}

void move_interior_vertices(gridlume_mesh *mesh) {
  std::uint64_t state = 12345;
  auto random_offset = [&state] {
    state = state * 6364136223846793005u + 1442695040888963407u;
    return jitter * (static_cast<double>(state >> 11) / 9007199254740992.0 * 2.0 - 1.0);
  };
  const double cell = 1.0 / (grid_points - 1);
  for (int i = 1; i + 1 < grid_points; ++i)
    for (int j = 1; j + 1 < grid_points; ++j)
      for (int k = 1; k + 1 < grid_points; ++k) {
        const int v = vertex_number(i, j, k);
        double xyz[3];
        gridlume_mesh_get_vertex_coordinates(mesh, v, xyz);
        for (double &x : xyz) x += random_offset() * cell;
        gridlume_mesh_set_vertex_coordinates(mesh, v, xyz);
      }
}

int discard(gridlume_message *, void *) { return 0; }

std::size_t heap_in_use() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

// The largest heap in use seen while messages arrive (a report's tables are
// alive while it sends its summary).
std::size_t peak_heap = 0;
int record_heap(gridlume_message *, void *) {
  peak_heap = std::max(peak_heap, heap_in_use());
  return 0;
}

enum Version { as_built, reoriented, moved };

struct Fixture {
  gridlume_context *context = gridlume_context_new();
  gridlume_mesh *mesh = nullptr;
  explicit Fixture(Version version) {
    gridlume_context_set_message_callback(context, discard, nullptr);
    const double min[3] = {0, 0, 0}, max[3] = {1, 1, 1};
    mesh = gridlume_mesh_new_tetra_grid(context, min, max, grid_points, grid_points, grid_points);
    add_boundary_triangles(mesh);
    if (version != as_built) reorient(mesh);
    if (version == moved) move_interior_vertices(mesh);
  }
  ~Fixture() { gridlume_context_delete(context); }
  int tetrahedron_count() const {
    int count = 0;
    gridlume_mesh_get_tetrahedron_count(mesh, &count);
    return count;
  }
};

Fixture &fixture(Version version) {
  static Fixture *fixtures[3] = {};
  if (fixtures[version] == nullptr) fixtures[version] = new Fixture(version);
  return *fixtures[version];
}

// One report of the tetrahedron aspect ratio with its statistics and
// default histogram.
void TetrahedronAspectRatioReport(benchmark::State &state) {
  Fixture &f = fixture(static_cast<Version>(state.range(0)));
  for (auto _ : state)
    benchmark::DoNotOptimize(gridlume_mesh_compute_statistics_tetrahedron_aspect_ratio(f.mesh));
  state.counters["tetrahedra/s"] = benchmark::Counter(
      double(f.tetrahedron_count()) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(TetrahedronAspectRatioReport)
    ->Arg(as_built)
    ->Arg(reoriented)
    ->Arg(moved)
    ->Unit(benchmark::kMillisecond);

// The full key-style report (quality reports, then topological statistics).
void FullKeyReport(benchmark::State &state) {
  Fixture &f = fixture(static_cast<Version>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(gridlume_mesh_compute_statistics_valid(f.mesh, "b"));
}
BENCHMARK(FullKeyReport)->Arg(as_built)->Arg(moved)->Unit(benchmark::kSecond)->Iterations(1);

// The edge lengths of the tetrahedra (7 090 600 distinct edges), with the
// heap they take at their peak per edge.
void TetrahedronEdgeLengthReport(benchmark::State &state) {
  Fixture &f = fixture(moved);
  const std::size_t before = heap_in_use();
  peak_heap = before;
  gridlume_context_set_message_callback(f.context, record_heap, nullptr);
  for (auto _ : state)
    benchmark::DoNotOptimize(gridlume_mesh_compute_statistics_tetrahedron_edge_length(f.mesh));
  gridlume_context_set_message_callback(f.context, discard, nullptr);
  constexpr double edges = 3.0 * 101 * 101 * 100 + 3.0 * 100 * 100 * 101 + 100.0 * 100 * 100;
  state.counters["edges/s"] = benchmark::Counter(edges * state.iterations(),
                                                 benchmark::Counter::kIsRate);
  state.counters["bytes/edge"] = double(peak_heap - before) / edges;
}
BENCHMARK(TetrahedronEdgeLengthReport)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
