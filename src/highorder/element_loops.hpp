// The element loops of the conversion: a kernel over an index range, run on
// the caller's thread or on the workers of the parallel loop library.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>

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

// A kernel over the 0-based index range [begin, end) of some array, run by
// worker `worker`; it must not throw.
using IndexRangeFunction = void (*)(std::int64_t begin, std::int64_t end, int worker, void *user);

// Below this many indices a range loop runs on the caller's thread.
inline constexpr std::int64_t parallel_range_minimum = 16384;

// Runs `function` over [0, count) cut into equal chunks, each worker taking a
// contiguous share of them, when the state has a pool and count is at least
// parallel_range_minimum; otherwise as function(0, count, 0, user). The
// chunks of one worker follow each other, so a kernel that only writes the
// entries of its own range needs no lock.
void run_range_loop(ConversionState &state, std::int64_t count, IndexRangeFunction function,
                    void *user) noexcept;
// The same with another minimum count for the workers.
void run_range_loop(ConversionState &state, std::int64_t count, std::int64_t minimum,
                    IndexRangeFunction function, void *user) noexcept;

// The same for a callable f(begin, end, worker).
template <class Kernel>
void run_range_loop(ConversionState &state, std::int64_t count, Kernel &&kernel) noexcept {
  run_range_loop(
      state, count,
      [](std::int64_t begin, std::int64_t end, int worker, void *user) {
        (*static_cast<std::remove_reference_t<Kernel> *>(user))(begin, end, worker);
      },
      &kernel);
}

// Copies count values from source to target on the workers: the target's
// pages are first touched by the worker writing them, so that they share the
// page faults of a fresh array.
template <class T>
void copy_prefix_on_workers(ConversionState &state, const T *source, T *target,
                            std::size_t count) noexcept {
  run_range_loop(state, std::int64_t(count), [&](std::int64_t begin, std::int64_t end, int) {
    std::memcpy(target + begin, source + begin, std::size_t(end - begin) * sizeof(T));
  });
}
// Makes `to` the first `count` values of `from`, copied on the workers.
// Throws std::bad_alloc.
template <class Values>
void copy_on_workers(ConversionState &state, const Values &from, Values &to, std::size_t count) {
  if (&from == &to) return;
  to.resize(count);
  copy_prefix_on_workers(state, from.data(), to.data(), count);
}

// Makes `values` an array of `size` values whose first ones (as many as it
// had) are its old values, copied on the workers; the others are those a
// resize gives (unset for a FillLaterVector). Throws std::bad_alloc.
template <class Values>
void grow_on_workers(ConversionState &state, Values &values, std::size_t size) {
  Values grown;
  grown.resize(size);
  copy_prefix_on_workers(state, values.data(), grown.data(), std::min(values.size(), size));
  values.swap(grown);
}

// Runs kernel(share) once for each share 0..shares - 1 (shares at most
// workers × parallel_blocks_per_worker), on the workers when the state has a
// pool, else in turn on the caller's thread. A share is run by one worker,
// whichever, so a kernel keeps its partial results by share.
template <class Kernel>
void run_share_loop(ConversionState &state, int shares, Kernel &&kernel) noexcept {
  run_range_loop(
      state, shares, 1,
      [](std::int64_t begin, std::int64_t end, int, void *user) {
        for (std::int64_t share = begin; share < end; ++share)
          (*static_cast<std::remove_reference_t<Kernel> *>(user))(int(share));
      },
      &kernel);
}

// Starts the pool for state.thread_count workers (0: the processors) and
// selects static scheduling (printing it when verbose) unless a scheduling
// was chosen. code_success or code_parallel_failure.
int start_workers(ConversionState &state) noexcept;
// Registers each volume kind as a loop type whose blocks depend on the
// nodes of their elements (the dependencies themselves are declared when a
// loop that moves nodes first runs on the type). code_success or
// code_failure.
int register_element_loops(ConversionState &state) noexcept;
// Stops the pool, when there is one.
void stop_workers(ConversionState &state) noexcept;

}  // namespace gridlume::highorder
