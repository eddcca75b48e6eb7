// Dispatch of the element loops.
#include "highorder/element_loops.hpp"

#include <new>

#include "gridlume/common.h"

namespace gridlume::highorder {

int worker_count(const ConversionState &state) noexcept {
  // Until a pool is running every loop is run by the caller as worker 0.
  (void)state;
  return 1;
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

int run_element_loop(ConversionState &state, int kind, RangeFunction function,
                     void *user) noexcept {
  const std::int32_t count = state.mesh.count(kind);
  if (count > 0) function(1, count, 0, user);
  return GRIDLUME_STATUS_OK;
}

}  // namespace gridlume::highorder
