// The element loops of the conversion: a kernel over an index range, run on
// the caller's thread or on the workers of the parallel loop library.
#pragma once

#include <cstdint>

#include "highorder/conversion.hpp"

namespace gridlume::highorder {

// A kernel over elements first..last (1-based, inclusive) run by worker
// `worker` (0-based); each worker writes only its own histogram row and
// counters.
using RangeFunction = void (*)(std::int32_t first, std::int32_t last, int worker, void *user);

// Loops over fewer elements than this run on the caller's thread.
inline constexpr std::int32_t parallel_loop_minimum = 1001;

// The number of workers whose rows and counters the loops may write.
int worker_count(const ConversionState &state) noexcept;
// Sizes the per-worker histogram rows and counters for worker_count().
// 0, or -5 when memory fails.
int allocate_worker_rows(ConversionState &state) noexcept;
// How a loop touches the mesh: reading nodes only, or moving the nodes of
// the elements it visits (then no two blocks sharing a node run together).
enum class LoopAccess { read_nodes, move_nodes };

// Runs `function` over the elements 1..count of volume kind `kind`: on the
// workers when the state has a pool and at least parallel_loop_minimum
// elements, else (or when the pool refuses the loop, which then ran
// nothing) as function(1, count, 0, user). Returns 0.
int run_element_loop(ConversionState &state, int kind, RangeFunction function, void *user,
                     LoopAccess access = LoopAccess::read_nodes) noexcept;

// Starts the pool for state.thread_count workers (0: the processors) and
// selects static scheduling (printing it when verbose) unless a scheduling
// was chosen. code_success or code_parallel_failure.
int start_workers(ConversionState &state) noexcept;
// Registers each volume kind as a loop type whose blocks depend on the
// vertices of their elements. code_success or code_failure.
int register_element_loops(ConversionState &state) noexcept;
// Stops the pool, when there is one.
void stop_workers(ConversionState &state) noexcept;

}  // namespace gridlume::highorder
