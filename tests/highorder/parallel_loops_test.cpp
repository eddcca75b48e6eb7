// The parallel loop library: blocking of loop types, launches with and without
// dependencies in both schedulings, options, and the promise that two running
// blocks never share a group of the dependent type.
#include "highorder/parallel_loops.hpp"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <random>
#include <vector>

#include "support/allocation_failure.hpp"

using namespace gridlume;

namespace {

// A pool stopped at the end of its scope.
struct Pool {
  ParallelPool *handle;
  explicit Pool(int workers) : handle(parallel_init(workers, 0, nullptr)) {}
  Pool(const Pool &) = delete;
  Pool &operator=(const Pool &) = delete;
  ~Pool() { parallel_stop(handle); }
  operator ParallelPool *() const { return handle; }
};

std::vector<int> block_ranges(ParallelPool *pool, int type) {
  std::vector<int> ranges;
  for (int block = 0; block < parallel_block_count(pool, type); block++) {
    int first = 0, last = 0;
    EXPECT_TRUE(parallel_block_range(pool, type, block, &first, &last));
    ranges.push_back(first);
    ranges.push_back(last);
  }
  return ranges;
}

// Counts, per index, how often the loop visited it, and the workers seen.
struct Visits {
  std::vector<std::atomic<int>> per_index;
  std::atomic<int> calls{0};
  std::atomic<int> highest_worker{-1};
  explicit Visits(int count) : per_index(std::size_t(count) + 1) {}

  static void record(int first, int last, int worker, void *user) {
    auto &visits = *static_cast<Visits *>(user);
    for (int i = first; i <= last; i++) visits.per_index[std::size_t(i)]++;
    visits.calls++;
    int seen = visits.highest_worker.load();
    while (worker > seen && !visits.highest_worker.compare_exchange_weak(seen, worker)) {
    }
  }
  bool each_index_once() const {
    for (std::size_t i = 1; i < per_index.size(); i++)
      if (per_index[i].load() != 1) return false;
    return true;
  }
};

void never_called(int, int, int, void *user) {
  static_cast<std::atomic<int> *>(user)->fetch_add(1);
}

}  // namespace

TEST(ParallelLoops, SmallTypeIsOneBlockAndLargeTypeIsCutByWorkersTimes128) {
  Pool pool(4);
  ASSERT_NE(pool.handle, nullptr);
  EXPECT_EQ(parallel_worker_count(pool), 4);
  const int small = parallel_new_type(pool, 100);
  EXPECT_EQ(block_ranges(pool, small), (std::vector<int>{1, 100}));

  const int large = parallel_new_type(pool, 10000);
  EXPECT_EQ(parallel_block_size(pool, large), 19);
  ASSERT_EQ(parallel_block_count(pool, large), 527);
  const std::vector<int> ranges = block_ranges(pool, large);
  EXPECT_EQ(ranges[0], 1);
  EXPECT_EQ(ranges[1], 19);
  EXPECT_EQ(ranges[2], 20);
  EXPECT_EQ(ranges[ranges.size() - 2], 526 * 19 + 1);
  EXPECT_EQ(ranges.back(), 10000);

  // Exactly workers × 128 indices: blocks of one index.
  const int edge = parallel_new_type(pool, 512);
  EXPECT_EQ(parallel_block_count(pool, edge), 512);
  EXPECT_EQ(parallel_block_count(pool, 0), 0);
  EXPECT_FALSE(parallel_block_range(pool, large, 527, nullptr, nullptr));
}

TEST(ParallelLoops, TypesTakeSlotsOneToHundredAndRefuseBadCounts) {
  Pool pool(2);
  EXPECT_EQ(parallel_new_type(pool, 0), 0);
  EXPECT_EQ(parallel_new_type(nullptr, 10), 0);
  for (int slot = 1; slot <= parallel_max_types; slot++)
    EXPECT_EQ(parallel_new_type(pool, 5), slot);
  EXPECT_EQ(parallel_new_type(pool, 5), 0);
}

TEST(ParallelLoops, WorkerCountIsCappedAndZeroMeansTheProcessors) {
  ParallelPool *many = parallel_init(1000, 64 * 1024, &many);
  ASSERT_NE(many, nullptr);
  EXPECT_EQ(parallel_worker_count(many), parallel_max_workers);
  EXPECT_EQ(parallel_user(many), &many);
  const int type = parallel_new_type(many, 100000);
  Visits visits(100000);
  EXPECT_EQ(parallel_launch(many, type, 0, Visits::record, &visits), 256.0f);
  EXPECT_TRUE(visits.each_index_once());
  parallel_stop(many);

  Pool processors(0);
  ASSERT_NE(processors.handle, nullptr);
  EXPECT_GE(parallel_worker_count(processors), 1);
  parallel_stop(nullptr);
}

TEST(ParallelLoops, LaunchWithoutDependenciesVisitsEachIndexOnceAndAnswersTheWorkers) {
  Pool pool(4);
  const int type = parallel_new_type(pool, 10000);
  for (int key : {int(parallel_option_dynamic), int(parallel_option_static)}) {
    ASSERT_EQ(parallel_set_options(pool, key, 0), 1);
    Visits visits(10000);
    EXPECT_EQ(parallel_launch(pool, type, 0, Visits::record, &visits), 4.0f);
    EXPECT_TRUE(visits.each_index_once()) << "option " << key;
    EXPECT_LE(visits.highest_worker.load(), 3);
  }
  // Two workers taking part, four blocks at a time.
  ASSERT_EQ(parallel_set_options(pool, parallel_option_dynamic, parallel_option_worker_limit, 2,
                                 parallel_option_block_factor, 4, 0),
            3);
  Visits visits(10000);
  EXPECT_EQ(parallel_launch(pool, type, 0, Visits::record, &visits), 2.0f);
  EXPECT_TRUE(visits.each_index_once());
  EXPECT_LE(visits.highest_worker.load(), 1);
  EXPECT_EQ(visits.calls.load(), 527);  // one call per block whatever the jobs
}

TEST(ParallelLoops, InvalidLaunchesAnswerMinusOneAndRunNothing) {
  Pool pool(2);
  const int elements = parallel_new_type(pool, 50);
  const int vertices = parallel_new_type(pool, 60);
  std::atomic<int> calls{0};
  EXPECT_EQ(parallel_launch(pool, elements, elements, never_called, &calls), -1.0f);
  EXPECT_EQ(parallel_launch(pool, 0, 0, never_called, &calls), -1.0f);
  EXPECT_EQ(parallel_launch(pool, 101, 0, never_called, &calls), -1.0f);
  EXPECT_EQ(parallel_launch(pool, 7, 0, never_called, &calls), -1.0f);
  EXPECT_EQ(parallel_launch(pool, elements, 101, never_called, &calls), -1.0f);
  EXPECT_EQ(parallel_launch(pool, elements, -1, never_called, &calls), -1.0f);
  // Dependencies never declared between these two types.
  EXPECT_EQ(parallel_launch(pool, elements, vertices, never_called, &calls), -1.0f);
  EXPECT_EQ(parallel_launch(pool, elements, 0, nullptr, &calls), -1.0f);
  EXPECT_EQ(parallel_launch(nullptr, elements, 0, never_called, &calls), -1.0f);
  EXPECT_EQ(calls.load(), 0);
}

TEST(ParallelLoops, OptionsCountTheKeysAppliedAndAreRefusedInsideALoop) {
  Pool pool(2);
  EXPECT_EQ(parallel_set_options(pool, 0), 0);
  EXPECT_EQ(parallel_set_options(pool, parallel_option_static, parallel_option_dynamic,
                                 parallel_option_defaults, parallel_option_index_order, 0),
            4);
  // A value that is not positive is skipped; an unknown key ends the list.
  EXPECT_EQ(parallel_set_options(pool, parallel_option_block_factor, 0,
                                 parallel_option_worker_limit, -3, parallel_option_static, 0),
            1);
  EXPECT_EQ(parallel_set_options(pool, parallel_option_dynamic, 42, parallel_option_static, 0), 1);
  EXPECT_EQ(parallel_set_options(nullptr, parallel_option_static, 0), 0);

  struct Inside {
    ParallelPool *pool;
    std::atomic<int> options_applied{0};
    std::atomic<int> nested_launches_refused{0};
    static void run(int, int, int, void *user) {
      auto &inside = *static_cast<Inside *>(user);
      inside.options_applied += parallel_set_options(inside.pool, parallel_option_static, 0);
      if (parallel_launch(inside.pool, 1, 0, never_called, nullptr) == -1.0f)
        inside.nested_launches_refused++;
      if (parallel_new_type(inside.pool, 10) != 0) inside.options_applied += 100;
    }
  } inside{pool};
  const int type = parallel_new_type(pool, 2000);
  ASSERT_EQ(type, 1);
  EXPECT_GT(parallel_launch(pool, type, 0, Inside::run, &inside), 0.0f);
  EXPECT_EQ(inside.options_applied.load(), 0);
  EXPECT_EQ(inside.nested_launches_refused.load(), parallel_block_count(pool, type));
}

TEST(ParallelLoops, DependencyDeclarationChecksItsTypesAndIndices) {
  Pool pool(4);
  const int elements = parallel_new_type(pool, 100);
  const int vertices = parallel_new_type(pool, 50);
  const int one = 1, zero = 0, beyond = 51;
  EXPECT_EQ(parallel_add_dependency(pool, 1, &one, 1, &one), 0);  // nothing open
  EXPECT_EQ(parallel_end_dependency(pool, nullptr), 0);
  EXPECT_EQ(parallel_begin_dependency(pool, elements, elements), 0);
  EXPECT_EQ(parallel_begin_dependency(pool, elements, 3), 0);
  EXPECT_EQ(parallel_begin_dependency(pool, 0, vertices), 0);
  ASSERT_EQ(parallel_begin_dependency(pool, elements, vertices), 1);
  EXPECT_EQ(parallel_begin_dependency(pool, vertices, elements), 0);  // one open at a time
  EXPECT_EQ(parallel_add_dependency(pool, 1, &zero, 1, &one), 0);
  EXPECT_EQ(parallel_add_dependency(pool, 1, &one, 1, &beyond), 0);
  EXPECT_EQ(parallel_add_dependency(pool, 1, &one, 1, &one), 1);
  EXPECT_EQ(parallel_add_dependency(pool, 0, nullptr, 0, nullptr), 1);
  double statistics[3] = {-1, -1, -1};
  ASSERT_EQ(parallel_end_dependency(pool, statistics), 1);
  EXPECT_EQ(statistics[0], 1.0);  // the single block depends on group 1
  EXPECT_EQ(statistics[1], 1.0);
  EXPECT_EQ(statistics[2], 0.0);  // no passes in dynamic scheduling
  EXPECT_EQ(parallel_group_size(pool, elements), 1);
  EXPECT_EQ(parallel_group_size(pool, vertices), 0);
}

TEST(ParallelLoops, GroupsHoldOneIndexBelowWorkersTimes512AndAShareAbove) {
  Pool pool(4);
  const int elements = parallel_new_type(pool, 1000);
  const int few = parallel_new_type(pool, 2047);
  const int many = parallel_new_type(pool, 10000);
  ASSERT_EQ(parallel_begin_dependency(pool, elements, few), 1);
  ASSERT_EQ(parallel_end_dependency(pool, nullptr), 1);
  EXPECT_EQ(parallel_group_size(pool, elements), 1);
  ASSERT_EQ(parallel_begin_dependency(pool, elements, many), 1);
  ASSERT_EQ(parallel_end_dependency(pool, nullptr), 1);
  EXPECT_EQ(parallel_group_size(pool, elements), 10000 / 2048);
}

namespace {

// Elements of four vertices each, and the promise under test: a block claims
// every vertex of its elements on entry and frees them on exit; a claim found
// held by another block is a conflict. The vertex sums are plain integers
// written without any synchronisation, so that a thread checker reports any
// two blocks sharing a vertex at once.
struct SharedVertices {
  std::vector<std::array<int, 4>> elements;  // 1-based element e at e - 1
  std::vector<std::atomic<int>> owner;
  std::vector<long> sums;
  std::atomic<int> conflicts{0};

  SharedVertices(int vertex_count, std::vector<std::array<int, 4>> element_vertices)
      : elements(std::move(element_vertices)),
        owner(std::size_t(vertex_count) + 1),
        sums(std::size_t(vertex_count) + 1, 0) {
    for (auto &claim : owner) claim = 0;
  }

  static void run(int first, int last, int, void *user) {
    auto &shared = *static_cast<SharedVertices *>(user);
    for (int e = first; e <= last; e++)
      for (int vertex : shared.elements[std::size_t(e - 1)]) {
        int holder = 0;
        if (!shared.owner[std::size_t(vertex)].compare_exchange_strong(holder, first) &&
            holder != first)
          shared.conflicts++;
      }
    for (int e = first; e <= last; e++)
      for (int vertex : shared.elements[std::size_t(e - 1)]) {
        long value = shared.sums[std::size_t(vertex)];
        for (int spin = 0; spin < 20; spin++) value = value * 3 % 1000003 + spin;
        shared.sums[std::size_t(vertex)] = shared.sums[std::size_t(vertex)] + 1 + 0 * value;
      }
    for (int e = first; e <= last; e++)
      for (int vertex : shared.elements[std::size_t(e - 1)]) {
        int holder = first;
        shared.owner[std::size_t(vertex)].compare_exchange_strong(holder, 0);
      }
  }

  std::vector<long> expected_sums(int launches) const {
    std::vector<long> expected(sums.size(), 0);
    for (const auto &element : elements)
      for (int vertex : element) expected[std::size_t(vertex)] += launches;
    return expected;
  }
};

std::vector<std::array<int, 4>> random_elements(int element_count, int vertex_count,
                                                unsigned seed) {
  std::mt19937 generator(seed);
  std::uniform_int_distribution<int> vertex(1, vertex_count);
  std::vector<std::array<int, 4>> elements(static_cast<std::size_t>(element_count));
  for (auto &element : elements)
    for (int &v : element) v = vertex(generator);
  return elements;
}

// A strip: element e holds vertices e .. e + 3, so neighbouring blocks share
// vertices and distant ones do not.
std::vector<std::array<int, 4>> strip_elements(int element_count) {
  std::vector<std::array<int, 4>> elements(static_cast<std::size_t>(element_count));
  for (int e = 1; e <= element_count; e++) elements[std::size_t(e - 1)] = {e, e + 1, e + 2, e + 3};
  return elements;
}

// Declares the elements' vertices as their dependencies, launches `launches`
// times and checks the promise; answers the concurrency of the last launch.
float run_on_shared_vertices(ParallelPool *pool, int vertex_count,
                             std::vector<std::array<int, 4>> elements, int launches) {
  SharedVertices shared(vertex_count, std::move(elements));
  const auto element_count = static_cast<int>(shared.elements.size());
  const int element_type = parallel_new_type(pool, element_count);
  const int vertex_type = parallel_new_type(pool, vertex_count);
  EXPECT_EQ(parallel_begin_dependency(pool, element_type, vertex_type), 1);
  for (int e = 1; e <= element_count; e++)
    EXPECT_EQ(parallel_add_dependency(pool, 1, &e, 4, shared.elements[std::size_t(e - 1)].data()),
              1);
  EXPECT_EQ(parallel_end_dependency(pool, nullptr), 1);
  float concurrency = 0;
  for (int launch = 0; launch < launches; launch++)
    concurrency = parallel_launch(pool, element_type, vertex_type, SharedVertices::run, &shared);
  EXPECT_EQ(shared.conflicts.load(), 0);
  EXPECT_EQ(shared.sums, shared.expected_sums(launches));
  return concurrency;
}

}  // namespace

TEST(ParallelLoops, DynamicBlocksSharingAVertexNeverRunTogether) {
  Pool pool(4);
  // One vertex per group, then several.
  EXPECT_GE(run_on_shared_vertices(pool, 1500, random_elements(6000, 1500, 1), 5), 1.0f);
  EXPECT_GE(run_on_shared_vertices(pool, 9000, random_elements(20000, 9000, 2), 5), 1.0f);
  EXPECT_GE(run_on_shared_vertices(pool, 20003, strip_elements(20000), 5), 1.0f);
  // More workers than cores, so that blocks are interrupted in the middle.
  Pool crowded(9);
  EXPECT_GE(run_on_shared_vertices(crowded, 30003, strip_elements(30000), 5), 1.0f);
  ASSERT_EQ(parallel_set_options(crowded, parallel_option_worker_limit, 5, 0), 1);
  EXPECT_GE(run_on_shared_vertices(crowded, 9000, random_elements(20000, 9000, 6), 3), 1.0f);
}

TEST(ParallelLoops, StaticPassesNeverRunBlocksSharingAVertexTogether) {
  Pool pool(4);
  ASSERT_EQ(parallel_set_options(pool, parallel_option_static, 0), 1);
  EXPECT_GE(run_on_shared_vertices(pool, 1500, random_elements(6000, 1500, 3), 5), 1.0f);
  EXPECT_GE(run_on_shared_vertices(pool, 9000, random_elements(20000, 9000, 4), 5), 1.0f);
  // A strip splits into two passes of every other block: the figure is the
  // blocks per round of four workers, close to four.
  EXPECT_GT(run_on_shared_vertices(pool, 20003, strip_elements(20000), 5), 3.0f);
}

TEST(ParallelLoops, StaticStripSplitsIntoTwoPassesOfAlternateBlocks) {
  Pool pool(4);
  ASSERT_EQ(parallel_set_options(pool, parallel_option_static, parallel_option_index_order, 0), 2);
  const auto elements = strip_elements(20000);
  const int element_type = parallel_new_type(pool, 20000);
  const int vertex_type = parallel_new_type(pool, 20003);
  ASSERT_EQ(parallel_begin_dependency(pool, element_type, vertex_type), 1);
  for (int e = 1; e <= 20000; e++)
    parallel_add_dependency(pool, 1, &e, 4, elements[std::size_t(e - 1)].data());
  double statistics[3] = {};
  ASSERT_EQ(parallel_end_dependency(pool, statistics), 1);
  EXPECT_EQ(statistics[2], 2.0);
  EXPECT_GT(statistics[0], 1.0);
}

TEST(ParallelLoops, TypeDeclaredInDynamicSchedulingStillRunsSafelyInStatic) {
  Pool pool(3);
  SharedVertices shared(4000, random_elements(8000, 4000, 5));
  const int element_type = parallel_new_type(pool, 8000);
  const int vertex_type = parallel_new_type(pool, 4000);
  ASSERT_EQ(parallel_begin_dependency(pool, element_type, vertex_type), 1);
  for (int e = 1; e <= 8000; e++)
    parallel_add_dependency(pool, 1, &e, 4, shared.elements[std::size_t(e - 1)].data());
  ASSERT_EQ(parallel_end_dependency(pool, nullptr), 1);
  ASSERT_EQ(parallel_set_options(pool, parallel_option_static, 0), 1);
  EXPECT_GE(parallel_launch(pool, element_type, vertex_type, SharedVertices::run, &shared), 1.0f);
  EXPECT_EQ(shared.conflicts.load(), 0);
  EXPECT_EQ(shared.sums, shared.expected_sums(1));
}

TEST(ParallelLoops, EachFailingAllocationIsReportedAndLeavesNothingBehind) {
  const auto elements = strip_elements(3000);
  for (int key : {int(parallel_option_dynamic), int(parallel_option_static)}) {
    gridlume_test::for_each_allocation_failure([&](gridlume_test::AllocationFailure &failure) {
      failure.arm();
      ParallelPool *pool = parallel_init(2, 0, nullptr);
      bool reported = pool == nullptr;
      if (pool != nullptr) {
        parallel_set_options(pool, key, 0);
        const int element_type = parallel_new_type(pool, 3000);
        const int vertex_type = parallel_new_type(pool, 3003);
        reported = element_type == 0 || vertex_type == 0;
        if (!reported) reported = parallel_begin_dependency(pool, element_type, vertex_type) == 0;
        if (!reported) {
          for (int e = 1; e <= 3000; e++)
            if (parallel_add_dependency(pool, 1, &e, 4, elements[std::size_t(e - 1)].data()) == 0)
              reported = true;
          if (parallel_end_dependency(pool, nullptr) == 0) reported = true;
        }
        if (!reported) {
          std::atomic<int> calls{0};
          EXPECT_GE(parallel_launch(pool, element_type, vertex_type, never_called, &calls), 1.0f);
          EXPECT_EQ(calls.load(), parallel_block_count(pool, element_type));
        }
      }
      failure.disarm();
      EXPECT_EQ(reported, failure.happened());
      parallel_stop(pool);
    });
  }
}

namespace {

// The average and largest groups per block and the passes of a declaration
// made element by element, or through one table.
std::array<double, 3> declared(ParallelPool *pool, const std::vector<std::array<int, 4>> &elements,
                               int vertex_count, bool table) {
  const auto count = static_cast<int>(elements.size());
  const int element_type = parallel_new_type(pool, count);
  const int vertex_type = parallel_new_type(pool, vertex_count);
  EXPECT_EQ(parallel_begin_dependency(pool, element_type, vertex_type), 1);
  if (table) {
    EXPECT_EQ(parallel_add_dependency_table(pool, 4, elements[0].data()), 1);
  } else {
    for (int e = 1; e <= count; e++)
      parallel_add_dependency(pool, 1, &e, 4, elements[std::size_t(e - 1)].data());
  }
  std::array<double, 3> statistics = {-1, -1, -1};
  EXPECT_EQ(parallel_end_dependency(pool, statistics.data()), 1);
  return statistics;
}

}  // namespace

TEST(ParallelLoops, TableDeclarationSetsTheGroupsOfTheElementByElementOne) {
  for (int workers : {1, 3}) {
    Pool pool(workers);
    ASSERT_EQ(parallel_set_options(pool, parallel_option_static, parallel_option_index_order, 0),
              2);
    // One vertex per group, several, and a strip whose passes alternate.
    EXPECT_EQ(declared(pool, random_elements(6000, 1500, 8), 1500, true),
              declared(pool, random_elements(6000, 1500, 8), 1500, false));
    EXPECT_EQ(declared(pool, random_elements(20000, 9000, 9), 9000, true),
              declared(pool, random_elements(20000, 9000, 9), 9000, false));
    EXPECT_EQ(declared(pool, strip_elements(20000), 20003, true),
              declared(pool, strip_elements(20000), 20003, false));
  }
}

TEST(ParallelLoops, TableDeclarationRefusesBadIndicesAndKeepsWhatWasDeclared) {
  Pool pool(4);
  SharedVertices shared(4000, random_elements(8000, 4000, 10));
  const int element_type = parallel_new_type(pool, 8000);
  const int vertex_type = parallel_new_type(pool, 4000);
  EXPECT_EQ(parallel_add_dependency_table(pool, 4, shared.elements[0].data()), 0);  // none open
  ASSERT_EQ(parallel_begin_dependency(pool, element_type, vertex_type), 1);
  EXPECT_EQ(parallel_add_dependency_table(pool, 0, shared.elements[0].data()), 0);
  EXPECT_EQ(parallel_add_dependency_table(pool, 4, nullptr), 0);
  auto bad = shared.elements;
  bad[5000][2] = 4001;
  EXPECT_EQ(parallel_add_dependency_table(pool, 4, bad[0].data()), 0);
  // Declared first element by element, then through the table: both count.
  const int first = 1;
  ASSERT_EQ(parallel_add_dependency(pool, 1, &first, 4, shared.elements[0].data()), 1);
  ASSERT_EQ(parallel_add_dependency_table(pool, 4, shared.elements[0].data()), 1);
  ASSERT_EQ(parallel_end_dependency(pool, nullptr), 1);
  EXPECT_GE(parallel_launch(pool, element_type, vertex_type, SharedVertices::run, &shared), 1.0f);
  EXPECT_EQ(shared.conflicts.load(), 0);
  EXPECT_EQ(shared.sums, shared.expected_sums(1));
}
