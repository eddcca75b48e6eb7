// Runs an operation once per allocation point: the first run makes the first
// allocation after `arm()` fail, the next run the second, and so on until a
// run completes without reaching the armed failure. Around every run it checks
// that no block of the allocator layer leaked.
//
//   for_each_allocation_failure([](AllocationFailure &failure) {
//     gridlume_context *context = gridlume_context_new();   // not armed yet
//     failure.arm();
//     gridlume_mesh *mesh = gridlume_mesh_new(context);
//     failure.disarm();
//     if (failure.happened()) EXPECT_EQ(mesh, nullptr);
//     gridlume_context_delete(context);
//   });
#pragma once

#include <functional>

namespace gridlume_test {

class AllocationFailure {
 public:
  explicit AllocationFailure(long point) : point_(point) {}
  // Makes the point-th allocation from now fail.
  void arm();
  // Clears a failure that has not happened yet.
  void disarm();
  // True when the armed allocation failed during this run.
  bool happened() const;
  long point() const { return point_; }

 private:
  long point_;
  bool armed_ = false;
  bool failed_ = false;
};

// Returns the number of runs in which an allocation failed.
long for_each_allocation_failure(const std::function<void(AllocationFailure &)> &run,
                                 long maximum_points = 100000);

}  // namespace gridlume_test
