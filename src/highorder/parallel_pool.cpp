// The pool of the parallel loop library: its worker threads, its options, and
// the launch of a loop over the blocks of a type.
//
// The caller thread is the launcher. It hands jobs to idle workers under the
// pool lock, waking each through its own lock and condition variable, and
// sleeps on the pool's condition variable until every block is finished and
// every worker idle again (the pool barrier). A worker runs its job without
// any lock, then, under the pool lock, records what it finished, releases the
// groups of its block and, in dynamic scheduling, takes its next block itself
// before going idle.
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdarg>

#include "highorder/parallel_record.hpp"

namespace gridlume {

namespace {

using PoolLock = std::unique_lock<std::mutex>;

void *worker_main(void *argument);

// ---- Starting and stopping workers ---------------------------------------

void stop_workers(ParallelPool &pool) noexcept {
  for (Worker *worker : pool.workers) {
    if (!worker->started) continue;
    {
      std::lock_guard<std::mutex> guard(worker->lock);
      worker->stop = true;
    }
    worker->wake.notify_one();
    pthread_join(worker->thread, nullptr);
    worker->started = false;
  }
  for (Worker *worker : pool.workers) destroy(worker);
  pool.workers.clear();
}

// Starts the workers and waits until each reports that it runs; false when a
// thread could not be started (those started are stopped by the caller).
bool start_workers(ParallelPool &pool, std::size_t stack_size) {
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) return false;
  if (stack_size != 0) {
    const std::size_t minimum = PTHREAD_STACK_MIN;
    pthread_attr_setstacksize(&attributes, stack_size < minimum ? minimum : stack_size);
  }
  bool all_started = true;
  for (Worker *worker : pool.workers) {
    if (pthread_create(&worker->thread, &attributes, worker_main, worker) != 0) {
      all_started = false;
      break;
    }
    worker->started = true;
  }
  pthread_attr_destroy(&attributes);
  std::int32_t started = 0;
  for (Worker *worker : pool.workers) started += worker->started ? 1 : 0;
  PoolLock lock(pool.lock);
  pool.to_launcher.wait(lock, [&] { return pool.running_workers == started; });
  return all_started;
}

// ---- Handing out blocks (all under the pool lock) ------------------------

void hand_out(ParallelPool &pool, Worker &worker, const WorkerJob &job) {
  worker.idle = false;
  pool.idle_workers--;
  {
    std::lock_guard<std::mutex> guard(worker.lock);
    worker.job = job;
    worker.go = true;
  }
  worker.wake.notify_one();
}

bool groups_free(const ParallelPool &pool, const BlockGroups &groups) {
  const std::uint64_t *busy = pool.busy.data() + groups.first_word;
  for (std::size_t i = 0; i < groups.words.size(); i++)
    if ((groups.words[i] & busy[i]) != 0) return false;
  return true;
}

void mark_groups(ParallelPool &pool, const BlockGroups &groups, bool busy) {
  std::uint64_t *words = pool.busy.data() + groups.first_word;
  for (std::size_t i = 0; i < groups.words.size(); i++) {
    if (busy)
      words[i] |= groups.words[i];
    else
      words[i] &= ~groups.words[i];
  }
}

// The next job of dynamic scheduling: a few consecutive blocks without
// dependencies; with them, the first block in launch order whose groups are
// all free.
bool take_next_job(ParallelPool &pool, WorkerJob &job) {
  const LoopType &type = *pool.type;
  const auto block_count = static_cast<std::int32_t>(type.blocks.size());
  if (pool.dependent == nullptr) {
    if (pool.next_block >= block_count) return false;
    const std::int32_t end = std::min(block_count, pool.next_block + pool.block_factor);
    job = WorkerJob{nullptr, pool.next_block, end, 1};
    pool.next_block = end;
    return true;
  }
  for (std::int32_t position = pool.next_block; position < block_count; position++) {
    if (pool.taken[std::size_t(position)] != 0) continue;
    const BlockGroups &groups = type.groups[std::size_t(type.order[std::size_t(position)])];
    if (!groups_free(pool, groups)) continue;
    pool.taken[std::size_t(position)] = 1;
    mark_groups(pool, groups, true);
    pool.running_blocks++;
    pool.concurrency_sum += pool.running_blocks;
    while (pool.next_block < block_count && pool.taken[std::size_t(pool.next_block)] != 0)
      pool.next_block++;
    job = WorkerJob{type.order.data(), position, position + 1, 1};
    return true;
  }
  return false;
}

void hand_out_to_idle_workers(ParallelPool &pool) {
  for (std::int32_t w = 0; w < pool.worker_limit && pool.idle_workers > 0; w++) {
    Worker &worker = *pool.workers[std::size_t(w)];
    if (!worker.idle) continue;
    WorkerJob job;
    if (!take_next_job(pool, job)) return;
    hand_out(pool, worker, job);
  }
}

// Records a finished job; answers whether groups were released.
bool finish_job(ParallelPool &pool, const WorkerJob &job, std::int32_t block_count) {
  pool.finished_blocks += block_count;
  if (pool.dependent == nullptr || !pool.loop_dynamic) return false;
  const LoopType &type = *pool.type;
  mark_groups(pool, type.groups[std::size_t(job.list[job.begin])], false);
  pool.running_blocks--;
  return true;
}

// ---- Workers --------------------------------------------------------------

void run_jobs(ParallelPool &pool, Worker &worker, WorkerJob job) {
  // The loop's function, argument and type were set under the pool lock
  // before this worker was woken and stay fixed until every worker is idle.
  const ParallelFunction function = pool.function;
  void *const user = pool.function_user;
  const ParallelBlock *blocks = pool.type->blocks.data();
  for (;;) {
    std::int32_t done = 0;
    for (std::int32_t i = job.begin; i < job.end; i += job.stride) {
      const ParallelBlock &block = blocks[job.list ? job.list[i] : i];
      function(block.first, block.last, worker.number, user);
      done++;
    }
    PoolLock lock(pool.lock);
    const bool released = finish_job(pool, job, done);
    if (pool.loop_dynamic && take_next_job(pool, job)) {
      // Released groups may let the launcher serve a waiting worker.
      if (released && pool.idle_workers > 0) pool.to_launcher.notify_one();
      continue;
    }
    worker.idle = true;
    pool.idle_workers++;
    pool.to_launcher.notify_one();
    return;
  }
}

void *worker_main(void *argument) {
  Worker &worker = *static_cast<Worker *>(argument);
  ParallelPool &pool = *worker.pool;
  {
    std::lock_guard<std::mutex> guard(pool.lock);
    pool.running_workers++;
  }
  pool.to_launcher.notify_one();
  for (;;) {
    WorkerJob job;
    {
      std::unique_lock<std::mutex> lock(worker.lock);
      worker.wake.wait(lock, [&] { return worker.go || worker.stop; });
      if (!worker.go) return nullptr;
      worker.go = false;
      job = worker.job;
    }
    run_jobs(pool, worker, job);
  }
}

// ---- Launching ------------------------------------------------------------

void wait_for_idle_workers(ParallelPool &pool, PoolLock &lock) {
  pool.to_launcher.wait(lock, [&] { return pool.idle_workers == pool.worker_count; });
}

// Each taking worker receives a contiguous share of the blocks.
void run_shares(ParallelPool &pool, PoolLock &lock) {
  const auto block_count = static_cast<std::int64_t>(pool.type->blocks.size());
  const std::int64_t workers = pool.worker_limit;
  for (std::int64_t w = 0; w < workers; w++) {
    const auto begin = static_cast<std::int32_t>(w * block_count / workers);
    const auto end = static_cast<std::int32_t>((w + 1) * block_count / workers);
    if (begin < end)
      hand_out(pool, *pool.workers[std::size_t(w)], WorkerJob{nullptr, begin, end, 1});
  }
  wait_for_idle_workers(pool, lock);
}

void run_dynamic(ParallelPool &pool, PoolLock &lock) {
  const auto block_count = static_cast<std::int32_t>(pool.type->blocks.size());
  if (pool.dependent != nullptr) {
    std::fill_n(pool.taken.begin(), block_count, std::uint8_t(0));
    std::fill(pool.busy.begin(), pool.busy.end(), std::uint64_t(0));
  }
  hand_out_to_idle_workers(pool);
  while (pool.finished_blocks < block_count) {
    pool.to_launcher.wait(lock);
    hand_out_to_idle_workers(pool);
  }
  wait_for_idle_workers(pool, lock);
}

// Pass after pass, the workers share the blocks of the pass in turn; the pool
// barrier separates the passes. Answers the number of rounds the passes took
// (a pass of more blocks than workers takes several).
std::int64_t run_passes(ParallelPool &pool, PoolLock &lock) {
  const LoopType &type = *pool.type;
  const std::int32_t workers = pool.worker_limit;
  std::int64_t rounds = 0;
  for (std::size_t pass = 0; pass + 1 < type.pass_start.size(); pass++) {
    const std::int32_t begin = type.pass_start[pass];
    const std::int32_t end = type.pass_start[pass + 1];
    for (std::int32_t w = 0; w < workers && begin + w < end; w++)
      hand_out(pool, *pool.workers[std::size_t(w)],
               WorkerJob{type.order.data(), begin + w, end, workers});
    wait_for_idle_workers(pool, lock);
    rounds += (end - begin + workers - 1) / workers;
  }
  return rounds;
}

bool slot_in_use(const ParallelPool &pool, int type) {
  return type >= 1 && type <= parallel_max_types && pool.types[type].in_use;
}

}  // namespace

ParallelPool *parallel_init(int thread_count, std::size_t stack_size, void *user) noexcept {
  if (thread_count < 1) {
    const long processors = sysconf(_SC_NPROCESSORS_ONLN);
    if (processors < 1) return nullptr;
    thread_count = processors > parallel_max_workers ? parallel_max_workers : int(processors);
  }
  if (thread_count > parallel_max_workers) thread_count = parallel_max_workers;
  ParallelPool *pool = create<ParallelPool>();
  if (pool == nullptr) return nullptr;
  pool->worker_count = thread_count;
  pool->worker_limit = thread_count;
  pool->idle_workers = thread_count;
  pool->user = user;
  bool ready = true;
  try {
    pool->workers.reserve(std::size_t(thread_count));
  } catch (const std::bad_alloc &) {
    ready = false;
  }
  for (std::int32_t number = 0; ready && number < thread_count; number++) {
    Worker *worker = create<Worker>();
    if (worker == nullptr) {
      ready = false;
      break;
    }
    worker->pool = pool;
    worker->number = number;
    pool->workers.push_back(worker);
  }
  if (ready) ready = start_workers(*pool, stack_size);
  if (!ready) {
    stop_workers(*pool);
    destroy(pool);
    return nullptr;
  }
  return pool;
}

void parallel_stop(ParallelPool *pool) noexcept {
  if (pool == nullptr) return;
  stop_workers(*pool);
  destroy(pool);
}

int parallel_set_options(ParallelPool *pool, int key, ...) noexcept {
  if (pool == nullptr) return 0;
  std::lock_guard<std::mutex> guard(pool->lock);
  if (pool->loop_running) return 0;
  int applied = 0;
  va_list values;
  va_start(values, key);
  for (bool known = true; known && key != parallel_option_end; key = va_arg(values, int)) {
    switch (key) {
      case parallel_option_block_factor: {
        const int value = va_arg(values, int);
        if (value > 0) {
          pool->block_factor = value;
          applied++;
        }
        break;
      }
      case parallel_option_worker_limit: {
        const int value = va_arg(values, int);
        if (value > 0) {
          pool->worker_limit = value < pool->worker_count ? value : pool->worker_count;
          applied++;
        }
        break;
      }
      case parallel_option_dynamic:
        pool->dynamic = true;
        applied++;
        break;
      case parallel_option_defaults:
        pool->block_factor = parallel_default_block_factor;
        pool->worker_limit = pool->worker_count;
        pool->sort_blocks = true;
        applied++;
        break;
      case parallel_option_index_order:
        pool->sort_blocks = false;
        applied++;
        break;
      case parallel_option_static:
        pool->dynamic = false;
        applied++;
        break;
      default:
        // An unknown key may take a value: what follows cannot be read safely.
        known = false;
        break;
    }
    if (!known) break;
  }
  va_end(values);
  return applied;
}

float parallel_launch(ParallelPool *pool, int type, int dependent_type, ParallelFunction function,
                      void *user) noexcept {
  if (pool == nullptr || function == nullptr || !slot_in_use(*pool, type)) return -1.0f;
  if (dependent_type == type || dependent_type < 0 || dependent_type > parallel_max_types)
    return -1.0f;
  LoopType &loop_type = pool->types[type];
  if (dependent_type != 0 &&
      (!slot_in_use(*pool, dependent_type) || !loop_type.dependencies_ready ||
       loop_type.dependent_type != dependent_type))
    return -1.0f;
  PoolLock lock(pool->lock);
  if (pool->loop_running) return -1.0f;
  pool->loop_running = true;
  pool->function = function;
  pool->function_user = user;
  pool->type = &loop_type;
  pool->dependent = dependent_type != 0 ? &pool->types[dependent_type] : nullptr;
  pool->finished_blocks = 0;
  pool->next_block = 0;
  pool->running_blocks = 0;
  pool->concurrency_sum = 0;
  // A type declared in dynamic scheduling has no passes; it runs dynamically.
  const bool passes = pool->dependent != nullptr && !loop_type.pass_start.empty();
  pool->loop_dynamic = pool->dynamic || (pool->dependent != nullptr && !passes);
  const auto block_count = static_cast<double>(loop_type.blocks.size());
  double result = pool->worker_limit;
  if (pool->loop_dynamic) {
    run_dynamic(*pool, lock);
    if (pool->dependent != nullptr) result = double(pool->concurrency_sum) / block_count;
  } else if (pool->dependent != nullptr) {
    result = block_count / double(run_passes(*pool, lock));
  } else {
    run_shares(*pool, lock);
  }
  pool->loop_running = false;
  pool->function = nullptr;
  pool->type = nullptr;
  pool->dependent = nullptr;
  return static_cast<float>(result);
}

int parallel_worker_count(const ParallelPool *pool) noexcept {
  return pool != nullptr ? pool->worker_count : 0;
}

void *parallel_user(const ParallelPool *pool) noexcept {
  return pool != nullptr ? pool->user : nullptr;
}

}  // namespace gridlume
