// Dispatch of the element loops on the workers of the parallel loop library.
#include "highorder/element_loops.hpp"

#include <cstdio>
#include <new>

#include "gridlume/common.h"
#include "highorder/report.hpp"

namespace gridlume::highorder {

int worker_count(const ConversionState &state) noexcept {
  return state.parallel != nullptr ? parallel_worker_count(state.parallel) : 1;
}

int allocate_worker_rows(ConversionState &state) noexcept {
  try {
    const auto workers = std::size_t(worker_count(state));
    state.histograms.assign(workers, QualityHistogram{});
    state.repair_counters.assign(workers, RepairCounters{});
  } catch (const std::bad_alloc &) {
    return GRIDLUME_STATUS_NO_MEMORY;
  }
  return GRIDLUME_STATUS_OK;
}

namespace {

// Declares the element-to-node dependencies of the loop type of `kind`.
// They are declared when a loop that moves nodes first runs on the type (the
// boundary-layer relaxation alone does): declaring them reads every node
// list, a tenth of a whole conversion on two workers, which the loops that
// only read nodes never need.
bool declare_dependencies(ConversionState &state, int kind) noexcept {
  if (state.dependencies_declared[kind]) return true;
  ParallelPool *pool = state.parallel;
  const int type = state.loop_types[kind];
  const ElementArray &array = state.mesh.elements[kind];
  if (!parallel_begin_dependency(pool, type, state.vertex_type)) return false;
  if (!parallel_add_dependency_table(pool, array.nodes_per_element, array.element(1))) {
    parallel_end_dependency(pool, nullptr);
    return false;
  }
  if (!parallel_end_dependency(pool, nullptr)) return false;
  state.dependencies_declared[kind] = true;
  return true;
}

}  // namespace

int run_element_loop(ConversionState &state, int kind, RangeFunction function, void *user,
                     LoopAccess access) noexcept {
  const std::int32_t count = state.mesh.count(kind);
  if (count < 1) return GRIDLUME_STATUS_OK;
  const int type = state.loop_types[kind];
  if (state.parallel == nullptr || count < parallel_loop_minimum || type == 0) {
    function(1, count, 0, user);
    return GRIDLUME_STATUS_OK;
  }
  const bool moves = access == LoopAccess::move_nodes;
  // A refused launch (or dependencies that could not be declared) has run
  // nothing: the caller's thread does the loop.
  if ((moves && !declare_dependencies(state, kind)) ||
      !(parallel_launch(state.parallel, type, moves ? state.vertex_type : 0, function, user) >
        0.0f))
    function(1, count, 0, user);
  return GRIDLUME_STATUS_OK;
}

namespace {

struct RangeLoop {
  std::int64_t count;
  std::int64_t chunks;
  IndexRangeFunction function;
  void *user;
};

void run_chunks(int first, int last, int worker, void *user) {
  const RangeLoop &loop = *static_cast<const RangeLoop *>(user);
  // Chunk c (1-based) covers [(c - 1) count / chunks, c count / chunks).
  const std::int64_t begin = (first - 1) * loop.count / loop.chunks;
  const std::int64_t end = std::int64_t(last) * loop.count / loop.chunks;
  if (begin < end) loop.function(begin, end, worker, loop.user);
}

}  // namespace

void run_range_loop(ConversionState &state, std::int64_t count, IndexRangeFunction function,
                    void *user) noexcept {
  run_range_loop(state, count, parallel_range_minimum, function, user);
}

void run_range_loop(ConversionState &state, std::int64_t count, std::int64_t minimum,
                    IndexRangeFunction function, void *user) noexcept {
  if (count < 1) return;
  if (state.parallel == nullptr || state.chunk_type == 0 || count < minimum) {
    function(0, count, 0, user);
    return;
  }
  RangeLoop loop{count, parallel_block_count(state.parallel, state.chunk_type), function, user};
  // A refused launch has run nothing: the caller's thread does the loop.
  if (!(parallel_launch(state.parallel, state.chunk_type, 0, run_chunks, &loop) > 0.0f))
    function(0, count, 0, user);
}

int start_workers(ConversionState &state) noexcept {
  state.parallel = parallel_init(state.thread_count, 0, &state);
  if (state.parallel == nullptr) {
    if (state.verbose) std::printf("%s\n", report::no_threads);
    return code_parallel_failure;
  }
  state.thread_count = parallel_worker_count(state.parallel);
  // workers x 128 indices make blocks of one index each.
  state.chunk_type =
      parallel_new_type(state.parallel, state.thread_count * parallel_blocks_per_worker);
  if (state.chunk_type == 0) return code_failure;
  if (!state.scheduling_chosen) {
    if (state.verbose) std::printf(report::static_scheduling, state.thread_count);
    parallel_set_options(state.parallel, parallel_option_static, parallel_option_end);
    state.scheduling_chosen = 1;
  }
  return code_success;
}

int register_element_loops(ConversionState &state) noexcept {
  ParallelPool *pool = state.parallel;
  if (pool == nullptr) return code_success;
  const InternalMesh &mesh = state.mesh;
  state.vertex_type = parallel_new_type(pool, mesh.vertex_count);
  if (state.vertex_type == 0) return code_failure;
  for (int kind = first_volume_kind; kind <= last_kind; ++kind) {
    const ElementArray &array = mesh.elements[kind];
    if (array.count < parallel_loop_minimum) continue;
    const int type = parallel_new_type(pool, array.count);
    if (type == 0) return code_failure;
    state.loop_types[kind] = type;
  }
  return code_success;
}

void stop_workers(ConversionState &state) noexcept {
  parallel_stop(state.parallel);
  state.parallel = nullptr;
  state.loop_types = {};
  state.dependencies_declared = {};
  state.vertex_type = 0;
  state.chunk_type = 0;
}

}  // namespace gridlume::highorder
