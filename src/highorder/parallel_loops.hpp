// The parallel loop library of the high-order conversion (its messages call
// it "VO3diz"): a pool of worker threads started once, loop types that split
// an index range 1..count into blocks, optional dependencies from the blocks
// of a type to groups of another type's indices (elements to vertices), and a
// launch that runs a function over all blocks of a type so that two blocks
// that depend on a common group never run at the same time.
//
// Typical use by the conversion:
//
//   ParallelPool *pool = parallel_init(4, 0, nullptr);
//   int vertices = parallel_new_type(pool, vertex_count);
//   int tetrahedra = parallel_new_type(pool, tetrahedron_count);
//   parallel_begin_dependency(pool, tetrahedra, vertices);
//   for (int t = 1; t <= tetrahedron_count; t++)
//     parallel_add_dependency(pool, 1, &t, 4, &tetrahedron_vertices[4 * t]);
//   parallel_end_dependency(pool, nullptr);
//   parallel_launch(pool, tetrahedra, vertices, smooth_nodes, &state);  // no shared vertex
//   parallel_launch(pool, tetrahedra, 0, evaluate_quality, &state);     // no dependency
//   parallel_stop(pool);
//
// A pool is driven from one caller thread; the loop functions run on the
// workers, without any lock held. Everything the pool allocates comes from
// the allocator layer; an operation that cannot obtain memory reports failure
// (none, 0) and leaves the pool as it was before the call.
#pragma once

#include <cstddef>
#include <cstdint>

namespace gridlume {

struct ParallelPool;

// The loop function: runs over the inclusive index range first..last of one
// block, on worker `worker` (0-based), with the launch's user argument.
using ParallelFunction = void (*)(int first, int last, int worker, void *user);

inline constexpr int parallel_max_workers = 256;
inline constexpr int parallel_max_types = 100;
// A type of fewer than workers × this many indices is one block.
inline constexpr int parallel_blocks_per_worker = 128;
// A dependent type of fewer than workers × this many indices has one index per
// group.
inline constexpr int parallel_groups_per_worker = 512;
// Blocks a worker takes at a time in dynamic loops without dependencies.
inline constexpr int parallel_default_block_factor = 2;

// Option keys of parallel_set_options; a list of keys ends with 0.
enum ParallelOption : int {
  parallel_option_end = 0,
  // (value > 0) Blocks a worker takes at a time in dynamic loops without
  // dependencies (default parallel_default_block_factor).
  parallel_option_block_factor = 1,
  // (value > 0) Workers that take part in later loops, at most the pool's
  // worker count (default all of them).
  parallel_option_worker_limit = 2,
  // Dynamic scheduling (the default).
  parallel_option_dynamic = 3,
  // Restores the defaults of keys 1 and 2.
  parallel_option_defaults = 4,
  // Later dependency declarations keep the blocks in index order instead of
  // sorting them, most constrained first.
  parallel_option_index_order = 5,
  // Static scheduling: dependent loops run pass after pass.
  parallel_option_static = 6,
};

// Starts `thread_count` workers (< 1: the number of processors, none when the
// system reports fewer than 1; capped at parallel_max_workers), each with a
// stack of `stack_size` bytes when it is not 0 (raised to the system minimum).
// Returns once every worker runs; none when a thread or memory cannot be had.
// `user` is kept for the caller (parallel_user).
ParallelPool *parallel_init(int thread_count, std::size_t stack_size, void *user) noexcept;

// Applies a list of option keys ended by 0, each followed by its value where
// it takes one. Returns the number of keys applied: a key whose value is not
// positive is skipped, an unknown key ends the list, and nothing is applied
// (0) for a none pool or while a loop runs.
int parallel_set_options(ParallelPool *pool, int key, ...) noexcept;

// A new loop type over the indices 1..count: its slot 1..100, or 0 when the
// pool is none, count < 1, every slot is taken or memory fails.
// Blocking: fewer than workers × 128 indices make one block; otherwise blocks
// of count / (workers × 128) indices, the last one ending at count.
int parallel_new_type(ParallelPool *pool, int count) noexcept;

// Starts declaring which groups of `dependent_type` the blocks of `type`
// depend on, replacing an earlier declaration of `type`. 1, or 0 when either
// slot is not in use, they are equal, a declaration is already open or memory
// fails.
int parallel_begin_dependency(ParallelPool *pool, int type, int dependent_type) noexcept;

// Declares that each of the `element_count` elements (1-based indices of the
// type) depends on each of the `dependency_count` indices of the dependent
// type. 1, or 0 when no declaration is open, an index is out of range (nothing
// of that call is kept past the bad index) or memory fails.
int parallel_add_dependency(ParallelPool *pool, int element_count, const int elements[],
                            int dependency_count, const int dependencies[]) noexcept;

// Declares in one call the dependencies of every element of the type being
// declared: element e (1..count of the type) depends on the `width` indices
// table[(e - 1) * width .. e * width - 1] of the dependent type. The blocks'
// groups are gathered on the workers, block by block, with no allocation on
// them; the result is the one of count × parallel_add_dependency. 1, or 0
// when no declaration is open, width < 1, an index is out of range or memory
// fails (the declaration is then as it was before the call).
int parallel_add_dependency_table(ParallelPool *pool, int width, const int table[]) noexcept;

// Closes the open declaration: the blocks are ordered (the most constrained
// first, unless option 5 was given) and, in static scheduling, split into
// passes of blocks with disjoint groups. When `statistics` is not none it
// receives the average and the largest number of groups per block and the
// number of passes (0 in dynamic scheduling). 1, or 0 when no declaration is
// open or memory fails (the declaration is then dropped).
int parallel_end_dependency(ParallelPool *pool, double statistics[3]) noexcept;

// Runs function(first, last, worker, user) over every block of `type`.
// -1.0, running nothing, when the pool is none, `type` is not a slot in use,
// `dependent_type` is not 0 or a slot in use, equals `type`, or has not been
// declared for `type`, or a loop is already running. Without a dependent type
// the result is the number of workers taking part. With one, no two blocks
// that share a group run at the same time; the result is the average number
// of blocks running together (at least 1).
float parallel_launch(ParallelPool *pool, int type, int dependent_type, ParallelFunction function,
                      void *user) noexcept;

// Tells the workers to finish, waits for each of them and releases the pool.
// A none pool is ignored.
void parallel_stop(ParallelPool *pool) noexcept;

// Queries: the number of workers, the `user` given to parallel_init, and the
// blocking of a type (0 for a slot not in use).
int parallel_worker_count(const ParallelPool *pool) noexcept;
void *parallel_user(const ParallelPool *pool) noexcept;
int parallel_block_count(const ParallelPool *pool, int type) noexcept;
int parallel_block_size(const ParallelPool *pool, int type) noexcept;
// The inclusive range of block `block` (0-based) of a type; false when out of
// range.
bool parallel_block_range(const ParallelPool *pool, int type, int block, int *first,
                          int *last) noexcept;
// The group size of the dependent type of a declared type (0 when none).
int parallel_group_size(const ParallelPool *pool, int type) noexcept;

}  // namespace gridlume
