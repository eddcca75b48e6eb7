// Composite tag workload: 100 000 composites of three base tags drawn from
// 1 000 base tags, created in a fresh tag system, then all looked up again.
#include <benchmark/benchmark.h>

#include <array>
#include <random>
#include <vector>

#include "gridlume/tag_system.h"

namespace {

constexpr int base_tag_count = 1000;
constexpr int composite_count = 100000;
constexpr int bases_per_composite = 3;

using Combination = std::array<int, bases_per_composite>;

const std::vector<Combination> &combinations() {
  static const std::vector<Combination> all = [] {
    std::mt19937 generator(12345);
    std::uniform_int_distribution<int> base(1, base_tag_count);
    std::vector<Combination> made(composite_count);
    for (Combination &combination : made) {
      combination[0] = base(generator);
      do combination[1] = base(generator); while (combination[1] == combination[0]);
      do combination[2] = base(generator);
      while (combination[2] == combination[0] || combination[2] == combination[1]);
    }
    return made;
  }();
  return all;
}

gridlume_tag_system *system_with_base_tags() {
  gridlume_tag_system *tag_system = gridlume_tag_system_new(base_tag_count + composite_count);
  for (int tag = 1; tag <= base_tag_count; ++tag) gridlume_tag_system_add_base_tag(tag_system, tag);
  return tag_system;
}

void add_all_composites(gridlume_tag_system *tag_system) {
  for (Combination combination : combinations()) {
    int composite = 0;
    gridlume_tag_system_get_composite_tag(tag_system, combination.data(), bases_per_composite,
                                          &composite);
    benchmark::DoNotOptimize(composite);
  }
}

void BM_CreateComposites(benchmark::State &state) {
  for (auto _ : state) {
    gridlume_tag_system *tag_system = system_with_base_tags();
    add_all_composites(tag_system);
    state.PauseTiming();
    gridlume_tag_system_delete(tag_system);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * composite_count);
}
BENCHMARK(BM_CreateComposites)->Unit(benchmark::kMillisecond);

void BM_LookUpExistingComposites(benchmark::State &state) {
  gridlume_tag_system *tag_system = system_with_base_tags();
  add_all_composites(tag_system);
  for (auto _ : state) add_all_composites(tag_system);
  state.SetItemsProcessed(state.iterations() * composite_count);
  gridlume_tag_system_delete(tag_system);
}
BENCHMARK(BM_LookUpExistingComposites)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
