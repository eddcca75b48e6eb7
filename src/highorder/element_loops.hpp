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
// Runs `function` over the elements 1..count of volume kind `kind`: on the
// workers when the state has a pool and at least parallel_loop_minimum
// elements, else as function(1, count, 0, user). 0, or -1 when the pool
// refused the loop.
int run_element_loop(ConversionState &state, int kind, RangeFunction function,
                     void *user) noexcept;

}  // namespace gridlume::highorder
