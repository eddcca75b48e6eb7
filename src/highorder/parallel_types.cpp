// Loop types of the parallel loop library: their blocking, the declaration of
// their dependencies on the groups of a dependent type, and the ordering of
// their blocks for launches (passes of disjoint blocks in static scheduling).
#include <algorithm>
#include <bit>
#include <climits>
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

namespace {

// The group of a dependent index, by a multiplication: a division per
// dependency would cost more than the rest of the declaration.
struct GroupOf {
  std::int32_t size;
  double inverse;
  std::int32_t operator()(std::int32_t index) const noexcept {
    const std::int32_t offset = index - 1;
    auto group = static_cast<std::int32_t>(offset * inverse);
    if (std::int64_t(group) * size > offset)
      --group;
    else if (std::int64_t(group + 1) * size <= offset)
      ++group;
    return group;
  }
};

// The table declaration's work on the workers: first the span of groups of
// every block (and whether every index is in range), then, once the caller
// has sized each block's words, its bits.
struct TableDeclaration {
  const LoopType *type;
  std::int32_t dependent_count;
  GroupOf group_of;
  std::int32_t width;
  const int *table;
  bool fill;
  Vector<std::int32_t> low, high;  // group span per block; low > high: a bad index
  Vector<BlockGroups> *groups;
  // When small enough: a full group bitset per block, filled in one pass
  // (group_word_count words each).
  Vector<std::uint64_t> full;
};

// Blocks × group words up to this size are declared in one pass over the
// table through full bitsets.
constexpr std::size_t full_bitset_limit = std::size_t(1) << 20;

void declare_blocks(int first, int last, int, void *user) {
  TableDeclaration &work = *static_cast<TableDeclaration *>(user);
  const auto block = std::size_t((first - 1) / work.type->block_size);
  const int *row = work.table + std::size_t(first - 1) * std::size_t(work.width);
  const std::size_t entries = std::size_t(last - first + 1) * std::size_t(work.width);
  if (!work.full.empty()) {
    std::uint64_t *words = work.full.data() + block * std::size_t(work.type->group_word_count);
    bool valid = true;
    // Neighbouring entries mostly fall in the group just set: skipping it
    // spares a read-modify-write that waits for the previous one.
    std::int32_t last_group = -1;
    for (std::size_t i = 0; i < entries; i++) {
      const int index = row[i];
      if (index < 1 || index > work.dependent_count) {
        valid = false;
        break;
      }
      const std::int32_t group = work.group_of(index);
      if (group == last_group) continue;
      last_group = group;
      words[group / bits_per_word] |= std::uint64_t(1) << (group % bits_per_word);
    }
    work.low[block] = valid ? 0 : 1;
    return;
  }
  if (!work.fill) {
    std::int32_t low = INT32_MAX, high = -1;
    bool valid = true;
    for (std::size_t i = 0; i < entries; i++) {
      const int index = row[i];
      valid = valid && index >= 1 && index <= work.dependent_count;
      low = std::min(low, index);
      high = std::max(high, index);
    }
    work.low[block] = valid ? work.group_of(low) : 1;
    work.high[block] = valid ? work.group_of(high) : 0;
    return;
  }
  BlockGroups &groups = (*work.groups)[block];
  std::uint64_t *words = groups.words.data();
  std::int32_t last_group = -1;
  for (std::size_t i = 0; i < entries; i++) {
    const std::int32_t group = work.group_of(row[i]);
    if (group == last_group) continue;
    last_group = group;
    words[group / bits_per_word - groups.first_word] |= std::uint64_t(1) << (group % bits_per_word);
  }
  std::int32_t bits = 0;
  for (std::uint64_t word : groups.words) bits += std::popcount(word);
  groups.bit_count = bits;
}

// Runs the table declaration's pass over the blocks of `type`: on the
// workers, or on the caller's thread when the pool refuses the launch.
void run_declaration(ParallelPool &pool, int type_slot, TableDeclaration &work) {
  if (parallel_launch(&pool, type_slot, 0, declare_blocks, &work) > 0.0f) return;
  for (const ParallelBlock &block : work.type->blocks)
    declare_blocks(block.first, block.last, 0, &work);
}

}  // namespace

int parallel_add_dependency_table(ParallelPool *pool, int width, const int table[]) noexcept {
  if (pool == nullptr || pool->declaring_type == 0 || width < 1 || table == nullptr) return 0;
  const int type_slot = pool->declaring_type;
  LoopType &type = pool->types[type_slot];
  const LoopType &dependent = pool->types[type.dependent_type];
  const std::size_t block_count = type.blocks.size();
  try {
    Vector<BlockGroups> groups(block_count);
    TableDeclaration work{&type,
                          dependent.count,
                          GroupOf{type.group_size, 1.0 / type.group_size},
                          width,
                          table,
                          false,
                          Vector<std::int32_t>(block_count, 0),
                          Vector<std::int32_t>(block_count, 0),
                          &groups,
                          {}};
    const auto words = std::size_t(type.group_word_count);
    if (block_count * words <= full_bitset_limit) {
      work.full.assign(block_count * words, 0);
      run_declaration(*pool, type_slot, work);
      // Each block keeps the span of words it uses.
      for (std::size_t block = 0; block < block_count; block++) {
        if (work.low[block] != work.high[block]) return 0;
        const std::uint64_t *full = work.full.data() + block * words;
        std::size_t first = 0, last = words;
        while (first < words && full[first] == 0) first++;
        while (last > first && full[last - 1] == 0) last--;
        if (first == last) continue;
        groups[block].first_word = static_cast<std::int32_t>(first);
        groups[block].words.assign(full + first, full + last);
        std::int32_t bits = 0;
        for (std::uint64_t word : groups[block].words) bits += std::popcount(word);
        groups[block].bit_count = bits;
      }
    } else {
      run_declaration(*pool, type_slot, work);
      for (std::size_t block = 0; block < block_count; block++) {
        if (work.low[block] > work.high[block]) return 0;
        groups[block].first_word = work.low[block] / bits_per_word;
        groups[block].words.assign(
            std::size_t(work.high[block] / bits_per_word - groups[block].first_word + 1), 0);
      }
      work.fill = true;
      run_declaration(*pool, type_slot, work);
    }
    // Blocks declared before keep their groups: the new ones are added to
    // them bit by bit (sizing first, so that failure changes nothing).
    for (std::size_t block = 0; block < block_count; block++) {
      BlockGroups &kept = type.groups[block];
      if (kept.words.empty()) continue;
      BlockGroups merged = kept;
      const BlockGroups &added = groups[block];
      for (std::size_t i = 0; i < added.words.size(); i++)
        for (int bit = 0; bit < bits_per_word; bit++)
          if ((added.words[i] >> bit) & 1)
            add_group(merged,
                      std::int32_t((added.first_word + std::int32_t(i)) * bits_per_word + bit),
                      type.group_word_count);
      groups[block] = std::move(merged);
    }
    type.groups.swap(groups);
  } catch (const std::bad_alloc &) {
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
