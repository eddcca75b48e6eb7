// Loop types of the parallel loop library: their blocking, the declaration of
// their dependencies on the groups of a dependent type, and the ordering of
// their blocks for launches (passes of disjoint blocks in static scheduling).
#include <algorithm>
#include <new>

#include "highorder/parallel_record.hpp"

namespace gridlume {

namespace {

constexpr int bits_per_word = 64;

bool valid_slot(int type) { return type >= 1 && type <= parallel_max_types; }

LoopType *type_in_use(ParallelPool *pool, int type) {
  if (pool == nullptr || !valid_slot(type) || !pool->types[type].in_use) return nullptr;
  return &pool->types[type];
}

const LoopType *type_in_use(const ParallelPool *pool, int type) {
  return type_in_use(const_cast<ParallelPool *>(pool), type);
}

bool loop_running(ParallelPool &pool) {
  std::lock_guard<std::mutex> guard(pool.lock);
  return pool.loop_running;
}

template <class T>
void release(Vector<T> &vector) noexcept {
  Vector<T>().swap(vector);
}

// Sets the bit of `group`, widening the kept span of words when the group lies
// outside it. The span at least doubles on each widening, so a block whose
// groups are scattered reaches the full bitset in a few steps.
void add_group(BlockGroups &groups, std::int32_t group, std::int32_t total_words) {
  const std::int32_t word = group / bits_per_word;
  auto span = static_cast<std::int32_t>(groups.words.size());
  if (span == 0) {
    groups.words.assign(1, 0);
    groups.first_word = word;
  } else if (word < groups.first_word) {
    const std::int32_t first = std::max(0, std::min(word, groups.first_word - span));
    groups.words.insert(groups.words.begin(), std::size_t(groups.first_word - first), 0);
    groups.first_word = first;
  } else if (word >= groups.first_word + span) {
    const std::int32_t end =
        std::min(total_words, std::max(word + 1, groups.first_word + 2 * span));
    groups.words.resize(std::size_t(end - groups.first_word), 0);
  }
  std::uint64_t &bits = groups.words[std::size_t(word - groups.first_word)];
  const std::uint64_t bit = std::uint64_t(1) << (group % bits_per_word);
  if ((bits & bit) == 0) {
    bits |= bit;
    groups.bit_count++;
  }
}

// Whether the block's groups miss every group set in `bitset` (a full bitset).
bool disjoint(const BlockGroups &groups, const std::uint64_t *bitset) {
  const std::uint64_t *words = groups.words.data();
  for (std::size_t i = 0; i < groups.words.size(); i++)
    if ((words[i] & bitset[std::size_t(groups.first_word) + i]) != 0) return false;
  return true;
}

void merge_into(const BlockGroups &groups, std::uint64_t *bitset) {
  for (std::size_t i = 0; i < groups.words.size(); i++)
    bitset[std::size_t(groups.first_word) + i] |= groups.words[i];
}

// Splits the ordered blocks into passes: each block goes to the first pass
// none of whose blocks shares a group with it, so blocks keep their order
// within a pass and the heavy blocks, sorted first, fill the early passes.
void build_passes(LoopType &type) {
  const std::size_t words = std::size_t(type.group_word_count);
  const std::size_t block_count = type.order.size();
  Vector<std::uint64_t> pass_groups;
  Vector<std::int32_t> pass_of(block_count, 0);
  Vector<std::int32_t> pass_sizes;
  for (std::size_t i = 0; i < block_count; i++) {
    const BlockGroups &groups = type.groups[std::size_t(type.order[i])];
    std::size_t pass = 0;
    while (pass < pass_sizes.size() && !disjoint(groups, pass_groups.data() + pass * words)) pass++;
    if (pass == pass_sizes.size()) {
      pass_groups.resize(pass_groups.size() + words, 0);
      pass_sizes.push_back(0);
    }
    merge_into(groups, pass_groups.data() + pass * words);
    pass_sizes[pass]++;
    pass_of[i] = static_cast<std::int32_t>(pass);
  }
  Vector<std::int32_t> start(pass_sizes.size() + 1, 0);
  for (std::size_t pass = 0; pass < pass_sizes.size(); pass++)
    start[pass + 1] = start[pass] + pass_sizes[pass];
  Vector<std::int32_t> order(block_count, 0);
  Vector<std::int32_t> fill(start.begin(), start.end() - 1);
  for (std::size_t i = 0; i < block_count; i++)
    order[std::size_t(fill[std::size_t(pass_of[i])]++)] = type.order[i];
  type.order.swap(order);
  type.pass_start.swap(start);
}

// The launch of a dependent loop keeps its marks in the pool; they are sized
// here so that launching never allocates.
void reserve_launch_marks(ParallelPool &pool, const LoopType &type) {
  if (pool.taken.size() < type.blocks.size()) pool.taken.resize(type.blocks.size(), 0);
  if (pool.busy.size() < std::size_t(type.group_word_count))
    pool.busy.resize(std::size_t(type.group_word_count), 0);
}

void finish_declaration(ParallelPool &pool, LoopType &type) {
  const auto block_count = static_cast<std::int32_t>(type.blocks.size());
  type.order.resize(std::size_t(block_count));
  for (std::int32_t block = 0; block < block_count; block++) type.order[std::size_t(block)] = block;
  if (pool.sort_blocks) {
    // The most constrained blocks first: they are the hardest to place, and
    // light blocks fill the gaps they leave.
    std::sort(type.order.begin(), type.order.end(), [&](std::int32_t a, std::int32_t b) {
      const std::int32_t bits_a = type.groups[std::size_t(a)].bit_count;
      const std::int32_t bits_b = type.groups[std::size_t(b)].bit_count;
      return bits_a != bits_b ? bits_a > bits_b : a < b;
    });
  }
  if (!pool.dynamic) build_passes(type);
  reserve_launch_marks(pool, type);
}

}  // namespace

void LoopType::clear_dependencies() noexcept {
  dependent_type = 0;
  group_size = 0;
  group_word_count = 0;
  dependencies_ready = false;
  release(groups);
  release(order);
  release(pass_start);
}

int parallel_new_type(ParallelPool *pool, int count) noexcept {
  if (pool == nullptr || count < 1 || loop_running(*pool)) return 0;
  int slot = 1;
  while (slot <= parallel_max_types && pool->types[slot].in_use) slot++;
  if (slot > parallel_max_types) return 0;
  LoopType &type = pool->types[slot];
  const std::int64_t single_block_limit =
      std::int64_t(pool->worker_count) * parallel_blocks_per_worker;
  const std::int32_t size =
      count < single_block_limit ? count : static_cast<std::int32_t>(count / single_block_limit);
  const std::int32_t block_count = (count - 1) / size + 1;
  try {
    type.blocks.resize(std::size_t(block_count));
  } catch (const std::bad_alloc &) {
    return 0;
  }
  for (std::int32_t block = 0; block < block_count; block++) {
    type.blocks[std::size_t(block)].first = block * size + 1;
    type.blocks[std::size_t(block)].last = block == block_count - 1 ? count : (block + 1) * size;
  }
  type.count = count;
  type.block_size = size;
  type.in_use = true;
  return slot;
}

int parallel_begin_dependency(ParallelPool *pool, int type_slot, int dependent_slot) noexcept {
  LoopType *type = type_in_use(pool, type_slot);
  const LoopType *dependent = type_in_use(pool, dependent_slot);
  if (type == nullptr || dependent == nullptr || type_slot == dependent_slot) return 0;
  if (pool->declaring_type != 0 || loop_running(*pool)) return 0;
  type->clear_dependencies();
  const std::int64_t one_per_group_limit =
      std::int64_t(pool->worker_count) * parallel_groups_per_worker;
  const std::int32_t group_size =
      dependent->count < one_per_group_limit
          ? 1
          : static_cast<std::int32_t>(dependent->count / one_per_group_limit);
  const std::int32_t group_count = (dependent->count - 1) / group_size + 1;
  try {
    type->groups.resize(type->blocks.size());
  } catch (const std::bad_alloc &) {
    type->clear_dependencies();
    return 0;
  }
  type->dependent_type = dependent_slot;
  type->group_size = group_size;
  type->group_word_count = (group_count - 1) / bits_per_word + 1;
  pool->declaring_type = type_slot;
  return 1;
}

int parallel_add_dependency(ParallelPool *pool, int element_count, const int elements[],
                            int dependency_count, const int dependencies[]) noexcept {
  if (pool == nullptr || pool->declaring_type == 0) return 0;
  if (element_count < 0 || dependency_count < 0) return 0;
  if ((element_count > 0 && elements == nullptr) ||
      (dependency_count > 0 && dependencies == nullptr))
    return 0;
  LoopType &type = pool->types[pool->declaring_type];
  const LoopType &dependent = pool->types[type.dependent_type];
  for (int i = 0; i < element_count; i++)
    if (elements[i] < 1 || elements[i] > type.count) return 0;
  for (int j = 0; j < dependency_count; j++)
    if (dependencies[j] < 1 || dependencies[j] > dependent.count) return 0;
  try {
    for (int i = 0; i < element_count; i++) {
      BlockGroups &groups = type.groups[std::size_t((elements[i] - 1) / type.block_size)];
      for (int j = 0; j < dependency_count; j++)
        add_group(groups, (dependencies[j] - 1) / type.group_size, type.group_word_count);
    }
  } catch (const std::bad_alloc &) {
    // The groups set so far stay: a block that waits for more groups than it
    // needs still never runs beside a block it shares one with.
    return 0;
  }
  return 1;
}

int parallel_end_dependency(ParallelPool *pool, double statistics[3]) noexcept {
  if (pool == nullptr || pool->declaring_type == 0) return 0;
  LoopType &type = pool->types[pool->declaring_type];
  pool->declaring_type = 0;
  try {
    finish_declaration(*pool, type);
  } catch (const std::bad_alloc &) {
    type.clear_dependencies();
    return 0;
  }
  type.dependencies_ready = true;
  if (statistics != nullptr) {
    double total = 0;
    std::int32_t largest = 0;
    for (const BlockGroups &groups : type.groups) {
      total += groups.bit_count;
      largest = std::max(largest, groups.bit_count);
    }
    statistics[0] = total / double(type.groups.size());
    statistics[1] = largest;
    statistics[2] = type.pass_start.empty() ? 0.0 : double(type.pass_start.size() - 1);
  }
  return 1;
}

int parallel_block_count(const ParallelPool *pool, int type) noexcept {
  const LoopType *loop_type = type_in_use(pool, type);
  return loop_type ? static_cast<int>(loop_type->blocks.size()) : 0;
}

int parallel_block_size(const ParallelPool *pool, int type) noexcept {
  const LoopType *loop_type = type_in_use(pool, type);
  return loop_type ? loop_type->block_size : 0;
}

bool parallel_block_range(const ParallelPool *pool, int type, int block, int *first,
                          int *last) noexcept {
  const LoopType *loop_type = type_in_use(pool, type);
  if (loop_type == nullptr || block < 0 || std::size_t(block) >= loop_type->blocks.size())
    return false;
  if (first != nullptr) *first = loop_type->blocks[std::size_t(block)].first;
  if (last != nullptr) *last = loop_type->blocks[std::size_t(block)].last;
  return true;
}

int parallel_group_size(const ParallelPool *pool, int type) noexcept {
  const LoopType *loop_type = type_in_use(pool, type);
  return loop_type && loop_type->dependencies_ready ? loop_type->group_size : 0;
}

}  // namespace gridlume
