// Element quality measures on the 101 x 101 x 101 tetrahedral grid (6 million
// tetrahedra): the tetrahedron aspect ratio read through the mesh accessors,
// as the statistics read it, and through the per-element query.
#include <benchmark/benchmark.h>

#include <array>
#include <vector>

#include "gridlume.h"
#include "quality/element_batch_kernels.hpp"
#include "quality/element_kernels.hpp"
#include "quality/element_reader.hpp"

namespace {

constexpr int grid_points = 101;  // per axis

// A grid of unit cubes, each split into six positively oriented tetrahedra
// along its main diagonal, served through callbacks over plain arrays.
struct TetrahedralGrid {
  std::vector<double> coordinates;  // 3 per vertex
  std::vector<int> tetrahedra;      // 4 per tetrahedron, 1-based

  TetrahedralGrid() {
    const int n = grid_points;
    coordinates.reserve(3u * n * n * n);
    for (int k = 0; k < n; ++k)
      for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i)
          coordinates.insert(coordinates.end(), {double(i), double(j), double(k)});
    auto vertex = [n](int i, int j, int k) { return 1 + i + n * (j + n * k); };
    // The six paths from corner (0,0,0) to (1,1,1), one axis step at a time;
    // odd permutations get two vertices swapped to stay positive.
    const int paths[6][3] = {{0, 1, 2}, {1, 2, 0}, {2, 0, 1}, {0, 2, 1}, {2, 1, 0}, {1, 0, 2}};
    tetrahedra.reserve(24u * (n - 1) * (n - 1) * (n - 1));
    for (int k = 0; k + 1 < n; ++k)
      for (int j = 0; j + 1 < n; ++j)
        for (int i = 0; i + 1 < n; ++i)
          for (int p = 0; p < 6; ++p) {
            int corner[3] = {i, j, k};
            int path[4];
            path[0] = vertex(i, j, k);
            for (int step = 0; step < 3; ++step) {
              ++corner[paths[p][step]];
              path[step + 1] = vertex(corner[0], corner[1], corner[2]);
            }
            if (p >= 3) std::swap(path[1], path[2]);
            tetrahedra.insert(tetrahedra.end(), path, path + 4);
          }
  }
  int tetrahedron_count() const { return int(tetrahedra.size() / 4); }

  static int count(int *count, void *grid) {
    *count = static_cast<TetrahedralGrid *>(grid)->tetrahedron_count();
    return 0;
  }
  static int vertices(int i, int *vertices, void *grid) {
    const int *source = &static_cast<TetrahedralGrid *>(grid)->tetrahedra[4 * (i - 1)];
    vertices[0] = source[0];
    vertices[1] = source[1];
    vertices[2] = source[2];
    vertices[3] = source[3];
    return 0;
  }
  static int point(int i, double *xyz, void *grid) {
    const double *source = &static_cast<TetrahedralGrid *>(grid)->coordinates[3 * (i - 1)];
    xyz[0] = source[0];
    xyz[1] = source[1];
    xyz[2] = source[2];
    return 0;
  }
};

struct Fixture {
  TetrahedralGrid grid;
  gridlume_context *context = gridlume_context_new();
  gridlume_mesh *mesh = gridlume_mesh_new(context);
  Fixture() {
    gridlume_mesh_set_get_tetrahedron_count(mesh, TetrahedralGrid::count, &grid);
    gridlume_mesh_set_get_tetrahedron_vertices(mesh, TetrahedralGrid::vertices, &grid);
    gridlume_mesh_set_get_vertex_coordinates(mesh, TetrahedralGrid::point, &grid);
  }
  ~Fixture() { gridlume_context_delete(context); }
};

Fixture &fixture() {
  static Fixture instance;
  return instance;
}

// What the statistics do: callbacks fetched once, then one vertex call and
// four coordinate calls per tetrahedron, and the kernel.
void TetrahedronAspectRatioThroughAccessors(benchmark::State &state) {
  Fixture &f = fixture();
  int count = 0;
  gridlume_mesh_get_tetrahedron_count(f.mesh, &count);
  const gridlume::ElementReader<4> reader(*f.mesh, gridlume::slot_tetrahedron_vertices);
  for (auto _ : state) {
    double sum = 0;
    for (int i = 1; i <= count; ++i) {
      gridlume::geometry::Vector3 points[4];
      reader.read(i, points);
      sum += gridlume::measures::tetrahedron_aspect_ratio(points);
    }
    benchmark::DoNotOptimize(sum);
  }
  state.counters["tetrahedra/s"] =
      benchmark::Counter(double(count) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(TetrahedronAspectRatioThroughAccessors)->Unit(benchmark::kMillisecond);

// The exported query, one call per tetrahedron.
void TetrahedronAspectRatioQuery(benchmark::State &state) {
  Fixture &f = fixture();
  int count = 0;
  gridlume_mesh_get_tetrahedron_count(f.mesh, &count);
  for (auto _ : state) {
    double sum = 0;
    for (int i = 1; i <= count; ++i) {
      double ratio;
      gridlume_mesh_get_tetrahedron_aspect_ratio(f.mesh, i, &ratio);
      sum += ratio;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.counters["tetrahedra/s"] =
      benchmark::Counter(double(count) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(TetrahedronAspectRatioQuery)->Unit(benchmark::kMillisecond);

// The kernel alone, on coordinates gathered beforehand (one million
// tetrahedra), to separate its cost from the accessors'.
void TetrahedronAspectRatioKernel(benchmark::State &state) {
  Fixture &f = fixture();
  constexpr int sample = 1000000;
  std::vector<gridlume::geometry::Vector3> points(4 * sample);
  const gridlume::ElementReader<4> reader(*f.mesh, gridlume::slot_tetrahedron_vertices);
  for (int i = 0; i < sample; ++i) {
    gridlume::geometry::Vector3 corners[4];
    reader.read(i + 1, corners);
    std::copy(corners, corners + 4, &points[4 * i]);
  }
  for (auto _ : state) {
    double sum = 0;
    for (int i = 0; i < sample; ++i)
      sum += gridlume::measures::tetrahedron_aspect_ratio(&points[4 * i]);
    benchmark::DoNotOptimize(sum);
  }
  state.counters["tetrahedra/s"] =
      benchmark::Counter(double(sample) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(TetrahedronAspectRatioKernel)->Unit(benchmark::kMillisecond);

// The batched kernel alone on the same tetrahedra, laid out eight at a time
// coordinate by coordinate beforehand.
void TetrahedronAspectRatioBatchKernel(benchmark::State &state) {
  using gridlume::measures::CornerBatch;
  using gridlume::measures::element_batch_size;
  Fixture &f = fixture();
  constexpr int sample = 1000000;
  static_assert(sample % element_batch_size == 0);
  std::vector<CornerBatch<4>> batches(sample / element_batch_size);
  const gridlume::ElementReader<4> reader(*f.mesh, gridlume::slot_tetrahedron_vertices);
  for (int i = 0; i < sample; ++i) {
    gridlume::geometry::Vector3 corners[4];
    reader.read(i + 1, corners);
    for (int c = 0; c < 4; ++c)
      batches[i / element_batch_size].set(i % element_batch_size, c, corners[c]);
  }
  for (auto _ : state) {
    double sum = 0;
    for (const CornerBatch<4> &batch : batches) {
      double values[element_batch_size];
      gridlume::measures::tetrahedron_aspect_ratios(batch, values);
      for (const double v : values) sum += v;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.counters["tetrahedra/s"] =
      benchmark::Counter(double(sample) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(TetrahedronAspectRatioBatchKernel)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
