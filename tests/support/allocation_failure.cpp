#include "support/allocation_failure.hpp"

#include <gtest/gtest.h>

#include "gridlume_stubs.h"

namespace gridlume_test {

void AllocationFailure::arm() {
  armed_ = true;
  gridlume_stubs_fail_allocation(point_);
}

void AllocationFailure::disarm() {
  if (!armed_) return;
  failed_ = failed_ || gridlume_stubs_failure_happened() != 0;
  armed_ = false;
  gridlume_stubs_fail_allocation(0);
}

bool AllocationFailure::happened() const {
  return failed_ || (armed_ && gridlume_stubs_failure_happened() != 0);
}

long for_each_allocation_failure(const std::function<void(AllocationFailure &)> &run,
                                 long maximum_points) {
  long failed_runs = 0;
  for (long point = 1; point <= maximum_points; ++point) {
    long live_before = gridlume_stubs_live_block_count();
    AllocationFailure failure(point);
    run(failure);
    failure.disarm();
    bool failed = failure.happened();
    EXPECT_EQ(gridlume_stubs_live_block_count(), live_before)
        << "blocks leaked when allocation " << point << " failed";
    if (!failed) return failed_runs;
    ++failed_runs;
  }
  ADD_FAILURE() << "the operation still allocates after " << maximum_points << " points";
  return failed_runs;
}

}  // namespace gridlume_test
