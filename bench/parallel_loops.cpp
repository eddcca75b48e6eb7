// The parallel loop library: the cost of a launch over elements that share
// vertices, with and without the dependency rule, in both schedulings, and
// the cost of declaring the dependencies.
#include "highorder/parallel_loops.hpp"

#include <benchmark/benchmark.h>

#include <array>
#include <vector>

using namespace gridlume;

namespace {

constexpr int element_count = 400000;

// A box of tetrahedra-like elements: element e holds four vertices of a
// structured 3D grid near index e, so that neighbouring elements share
// vertices as in a renumbered mesh.
struct Elements {
  int vertex_count;
  std::vector<std::array<int, 4>> vertices;
  std::vector<double> values;
  std::vector<double> measures;  // per element
  Elements() {
    const int side = 50;
    vertex_count = side * side * side;
    vertices.resize(element_count);
    for (int e = 0; e < element_count; e++) {
      const int base = (e / 6) % (vertex_count - side * side - side - 1);
      vertices[std::size_t(e)] = {base + 1, base + 2, base + side + 1, base + side * side + 1};
    }
    values.assign(std::size_t(vertex_count) + 1, 0.0);
    measures.assign(std::size_t(element_count) + 1, 0.0);
  }
  // A quality-like measure of each element, written to the element alone:
  // no two blocks write the same place, so no dependency is needed.
  static void measure(int first, int last, int, void *user) {
    auto &elements = *static_cast<Elements *>(user);
    for (int e = first; e <= last; e++) {
      double sum = 0;
      for (int v : elements.vertices[std::size_t(e - 1)]) sum += elements.values[std::size_t(v)];
      elements.measures[std::size_t(e)] = sum * sum + 1.0;
    }
  }
  // A light smoothing-like update of each element's vertices.
  static void update(int first, int last, int, void *user) {
    auto &elements = *static_cast<Elements *>(user);
    for (int e = first; e <= last; e++) {
      const auto &element = elements.vertices[std::size_t(e - 1)];
      double sum = 0;
      for (int v : element) sum += elements.values[std::size_t(v)];
      for (int v : element) elements.values[std::size_t(v)] = 0.25 * sum + 1.0;
    }
  }
};

Elements &shared_elements() {
  static Elements elements;
  return elements;
}

struct DeclaredPool {
  ParallelPool *pool;
  int element_type, vertex_type;
  double statistics[3] = {};  // groups per block (mean, largest), passes
  DeclaredPool(int workers, int scheduling) {
    Elements &elements = shared_elements();
    pool = parallel_init(workers, 0, nullptr);
    parallel_set_options(pool, scheduling, 0);
    element_type = parallel_new_type(pool, element_count);
    vertex_type = parallel_new_type(pool, elements.vertex_count);
    parallel_begin_dependency(pool, element_type, vertex_type);
    for (int e = 1; e <= element_count; e++)
      parallel_add_dependency(pool, 1, &e, 4, elements.vertices[std::size_t(e - 1)].data());
    parallel_end_dependency(pool, statistics);
  }
  ~DeclaredPool() { parallel_stop(pool); }
};

void BM_SerialMeasure(benchmark::State &state) {
  Elements &elements = shared_elements();
  for (auto _ : state) Elements::measure(1, element_count, 0, &elements);
  state.SetItemsProcessed(state.iterations() * element_count);
}

void BM_SerialUpdate(benchmark::State &state) {
  Elements &elements = shared_elements();
  for (auto _ : state) Elements::update(1, element_count, 0, &elements);
  state.SetItemsProcessed(state.iterations() * element_count);
}

void BM_MeasureWithoutDependencies(benchmark::State &state) {
  DeclaredPool declared(int(state.range(0)), parallel_option_dynamic);
  for (auto _ : state)
    parallel_launch(declared.pool, declared.element_type, 0, Elements::measure, &shared_elements());
  state.SetItemsProcessed(state.iterations() * element_count);
}

void launch_with_dependencies(benchmark::State &state, int scheduling) {
  DeclaredPool declared(int(state.range(0)), scheduling);
  float concurrency = 0;
  for (auto _ : state)
    concurrency = parallel_launch(declared.pool, declared.element_type, declared.vertex_type,
                                  Elements::update, &shared_elements());
  state.counters["concurrency"] = concurrency;
  state.counters["passes"] = declared.statistics[2];
  state.counters["groups_per_block"] = declared.statistics[0];
  state.SetItemsProcessed(state.iterations() * element_count);
}

void BM_UpdateDynamic(benchmark::State &state) {
  launch_with_dependencies(state, parallel_option_dynamic);
}
void BM_UpdateStatic(benchmark::State &state) {
  launch_with_dependencies(state, parallel_option_static);
}

void BM_DeclareDependencies(benchmark::State &state) {
  for (auto _ : state) DeclaredPool declared(int(state.range(0)), parallel_option_static);
  state.SetItemsProcessed(state.iterations() * element_count);
}

}  // namespace

BENCHMARK(BM_SerialMeasure)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SerialUpdate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MeasureWithoutDependencies)
    ->Arg(2)
    ->Arg(4)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_UpdateDynamic)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_UpdateStatic)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DeclareDependencies)->Arg(4)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
