// Size map creator: generation of a size map from 10 000 sphere constraints
// with a default size and a gradation, and its evaluation at 1 000 000 points
// on one and two threads sharing the size map.
//
// Workload: the unit box; sphere centres drawn uniformly with a fixed seed,
// radii in [0.002, 0.01], sizes in [0.005, 0.02]; default size 0.05,
// gradation 2 (each sphere influences points up to (0.05 - size) / ln 2,
// 0.043 to 0.065, beyond its surface). Points are either a 100 x 100 x 100
// lattice walked in order, as the vertices of a mesh usually are, or drawn
// at random over the box.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "gridlume.h"
#include "sizemap/sizemap_evaluation.hpp"

namespace {

constexpr int sphere_count = 10000;
constexpr int lattice_side = 100;

struct Workload {
  gridlume_context *context = gridlume_context_new();
  gridlume_sizemap_creator *creator = nullptr;
  gridlume_sizemap *sizemap = nullptr;
  gridlume_sizemap_3d_function function = nullptr;
  void *user_data = nullptr;
  std::vector<double> lattice;
  std::vector<double> scattered;

  Workload() {
    const double low[3] = {0, 0, 0}, high[3] = {1, 1, 1};
    creator = gridlume_sizemap_creator_new(context, GRIDLUME_SIZEMAP_CREATOR_ISOTROPIC, low, high);
    gridlume_sizemap_creator_add_constraint_default(creator, 0.05);
    gridlume_sizemap_creator_add_constraint_default_gradation(creator, 2.0);
    std::mt19937 random(2026);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int k = 0; k < sphere_count; ++k) {
      const double centre[3] = {unit(random), unit(random), unit(random)};
      gridlume_sizemap_creator_add_constraint_on_sphere(
          creator, centre, 0.002 + 0.008 * unit(random), 0.005 + 0.015 * unit(random));
    }
    sizemap = gridlume_sizemap_creator_generate_sizemap(creator);
    gridlume_map_function stored = nullptr;
    gridlume_sizemap_get_function(sizemap, &stored);
    gridlume_sizemap_get_user_data(sizemap, &user_data);
    function = reinterpret_cast<gridlume_sizemap_3d_function>(stored);
    for (int i = 0; i < lattice_side; ++i)
      for (int j = 0; j < lattice_side; ++j)
        for (int k = 0; k < lattice_side; ++k)
          lattice.insert(lattice.end(), {(i + 0.5) / lattice_side, (j + 0.5) / lattice_side,
                                         (k + 0.5) / lattice_side});
    scattered.resize(lattice.size());
    for (double &c : scattered) c = unit(random);
  }
  ~Workload() { gridlume_context_delete(context); }
};

Workload &workload() {
  static Workload shared;
  return shared;
}

// Each thread evaluates its own share of the points.
void evaluate_points(benchmark::State &state, const std::vector<double> &points) {
  Workload &w = workload();
  if (w.sizemap == nullptr) {
    state.SkipWithError("generation failed");
    return;
  }
  const std::size_t point_count = points.size() / 3;
  const std::size_t first = point_count * state.thread_index() / state.threads();
  const std::size_t last = point_count * (state.thread_index() + 1) / state.threads();
  double sum = 0;
  for (auto _ : state) {
    for (std::size_t p = first; p < last; ++p) {
      double size = 0;
      w.function(&points[3 * p], &size, w.user_data);
      sum += size;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(std::int64_t(state.iterations()) * std::int64_t(last - first));
}

void EvaluateLattice(benchmark::State &state) { evaluate_points(state, workload().lattice); }
void EvaluateScattered(benchmark::State &state) { evaluate_points(state, workload().scattered); }
BENCHMARK(EvaluateLattice)->Unit(benchmark::kMillisecond)->UseRealTime()->Threads(1)->Threads(2);
BENCHMARK(EvaluateScattered)->Unit(benchmark::kMillisecond)->UseRealTime()->Threads(1)->Threads(2);

void Generate(benchmark::State &state) {
  Workload &w = workload();
  for (auto _ : state) {
    gridlume_sizemap *sizemap = gridlume_sizemap_creator_generate_sizemap(w.creator);
    if (sizemap == nullptr) {
      state.SkipWithError("generation failed");
      break;
    }
    state.PauseTiming();
    gridlume_map_function stored = nullptr;
    void *data = nullptr;
    gridlume_sizemap_get_function(sizemap, &stored);
    gridlume_sizemap_get_user_data(sizemap, &data);
    const auto &grid = static_cast<const gridlume::EvaluationData *>(data)->grid;
    state.counters["grids"] = grid.grid_count;
    state.counters["listed"] = grid.node_count;
    state.counters["lists"] = grid.list_count;
    gridlume_sizemap_delete(sizemap);
    state.ResumeTiming();
  }
}
BENCHMARK(Generate)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
