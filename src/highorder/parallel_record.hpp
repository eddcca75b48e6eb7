// The records behind the parallel loop library: the pool, its workers and its
// loop types. Private to parallel_pool.cpp and parallel_types.cpp.
#pragma once

#include <pthread.h>

#include <array>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "core/allocator.hpp"
#include "highorder/parallel_loops.hpp"

namespace gridlume {

// A block: the inclusive 1-based index range it covers.
struct ParallelBlock {
  std::int32_t first;
  std::int32_t last;
};

// The groups a block depends on: a bitset over the words first_word ..
// first_word + words.size() - 1 of the dependent type's group bitset. Blocks of
// spatially coherent elements touch few words, so only the span in use is
// kept; it grows when a group outside it is added.
struct BlockGroups {
  Vector<std::uint64_t> words;
  std::int32_t first_word = 0;
  std::int32_t bit_count = 0;
};

struct LoopType {
  bool in_use = false;
  std::int32_t count = 0;
  std::int32_t block_size = 0;
  Vector<ParallelBlock> blocks;

  // Dependencies, once declared.
  std::int32_t dependent_type = 0;
  std::int32_t group_size = 0;
  std::int32_t group_word_count = 0;  // words of a full group bitset
  Vector<BlockGroups> groups;         // per block
  // Block numbers in launch order; in static scheduling grouped in passes,
  // pass p being order[pass_start[p] .. pass_start[p + 1] - 1].
  Vector<std::int32_t> order;
  Vector<std::int32_t> pass_start;
  bool dependencies_ready = false;

  void clear_dependencies() noexcept;
};

// A worker's job: the blocks list[begin], list[begin + stride], ... below
// end, or the block numbers themselves when list is none.
struct WorkerJob {
  const std::int32_t *list = nullptr;
  std::int32_t begin = 0;
  std::int32_t end = 0;
  std::int32_t stride = 1;
};

struct Worker {
  ParallelPool *pool = nullptr;
  std::int32_t number = 0;
  pthread_t thread{};
  bool started = false;
  // Wake-up of this worker alone; go and stop are read and written under it.
  std::mutex lock;
  std::condition_variable wake;
  bool go = false;
  bool stop = false;
  WorkerJob job;
  // Under the pool lock: whether the worker waits for a job.
  bool idle = true;
};

struct ParallelPool {
  std::int32_t worker_count = 0;
  std::int32_t block_factor = parallel_default_block_factor;
  std::int32_t worker_limit = 0;  // workers taking part in loops
  bool dynamic = true;
  bool sort_blocks = true;
  void *user = nullptr;
  std::array<LoopType, parallel_max_types + 1> types;  // slot 0 unused
  Vector<Worker *> workers;

  // Everything below changes under this lock; `to_launcher` wakes the caller
  // thread when workers started, went idle or finished the loop.
  std::mutex lock;
  std::condition_variable to_launcher;
  std::int32_t running_workers = 0;  // workers whose threads have started

  // The open dependency declaration (type slot, or 0).
  std::int32_t declaring_type = 0;

  // The current loop.
  bool loop_running = false;
  bool loop_dynamic = false;  // workers take their next block themselves
  ParallelFunction function = nullptr;
  void *function_user = nullptr;
  LoopType *type = nullptr;
  LoopType *dependent = nullptr;
  std::int32_t finished_blocks = 0;
  std::int32_t idle_workers = 0;
  // Dynamic scheduling: the next block to hand out (without dependencies), or
  // the first position of `order` not yet handed out (with them); `taken`
  // marks the blocks handed out and `busy` the groups of running blocks.
  std::int32_t next_block = 0;
  std::int32_t running_blocks = 0;
  std::int64_t concurrency_sum = 0;
  Vector<std::uint8_t> taken;
  Vector<std::uint64_t> busy;
};

}  // namespace gridlume
