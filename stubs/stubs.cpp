// The allocator layer: thin forwarding to the C allocator with a counter of
// live blocks and a one-shot failure point for tests. Counters are atomic
// because the parallel loop library allocates from worker threads.
#include "gridlume_stubs.h"

#include <atomic>
#include <cstdlib>

namespace {

std::atomic<long> live_blocks{0};
std::atomic<long> attempted_allocations{0};
// Allocations left before the armed failure; 0 when nothing is armed.
std::atomic<long> failure_countdown{0};
std::atomic<int> failure_happened{0};

// Counts one allocation attempt and tells whether it is the one that must fail.
bool allocation_must_fail() {
  attempted_allocations.fetch_add(1, std::memory_order_relaxed);
  long remaining = failure_countdown.load(std::memory_order_relaxed);
  while (remaining > 0) {
    if (failure_countdown.compare_exchange_weak(remaining, remaining - 1,
                                                std::memory_order_relaxed)) {
      if (remaining == 1) {
        failure_happened.store(1, std::memory_order_relaxed);
        return true;
      }
      return false;
    }
  }
  return false;
}

void *counted(void *block) {
  if (block != nullptr) live_blocks.fetch_add(1, std::memory_order_relaxed);
  return block;
}

}  // namespace

extern "C" {

void *gridlume_malloc(size_t size) {
  if (allocation_must_fail()) return nullptr;
  return counted(std::malloc(size == 0 ? 1 : size));
}

void *gridlume_calloc(size_t count, size_t size) {
  if (allocation_must_fail()) return nullptr;
  if (count == 0 || size == 0) return counted(std::calloc(1, 1));
  return counted(std::calloc(count, size));
}

void *gridlume_realloc(void *block, size_t size) {
  if (size == 0) {
    gridlume_free(block);
    return nullptr;
  }
  if (allocation_must_fail()) return nullptr;
  if (block == nullptr) return counted(std::malloc(size));
  return std::realloc(block, size);
}

void gridlume_free(void *block) {
  if (block == nullptr) return;
  live_blocks.fetch_sub(1, std::memory_order_relaxed);
  std::free(block);
}

void gridlume_stubs_fail_allocation(long k) {
  failure_happened.store(0, std::memory_order_relaxed);
  failure_countdown.store(k > 0 ? k : 0, std::memory_order_relaxed);
}

int gridlume_stubs_failure_happened(void) {
  return failure_happened.load(std::memory_order_relaxed);
}

long gridlume_stubs_live_block_count(void) {
  return live_blocks.load(std::memory_order_relaxed);
}

long gridlume_stubs_allocation_count(void) {
  return attempted_allocations.load(std::memory_order_relaxed);
}

}  // extern "C"
