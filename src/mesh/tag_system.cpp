// The tag system: base tags, composite tags with flattened definitions, and
// the queries over them.
#include "mesh/tag_system.hpp"

#include <algorithm>
#include <cstdint>

#include "core/allocator.hpp"
#include "core/hash_table.hpp"

namespace {

// The spreads come from a 64-bit bit mixer; the count is added with its own
// multiplier and the whole mixed again and folded to the 32-bit key.
constexpr std::uint64_t mixer_increment = 0x9e3779b97f4a7c15ULL;
constexpr std::uint64_t mixer_first_multiplier = 0xbf58476d1ce4e5b9ULL;
constexpr std::uint64_t mixer_second_multiplier = 0x94d049bb133111ebULL;
constexpr int mixer_first_shift = 30;
constexpr int mixer_second_shift = 27;
constexpr int mixer_last_shift = 31;
constexpr int fold_shift = 32;

std::uint64_t mix(std::uint64_t value) noexcept {
  value += mixer_increment;
  value = (value ^ (value >> mixer_first_shift)) * mixer_first_multiplier;
  value = (value ^ (value >> mixer_second_shift)) * mixer_second_multiplier;
  return value ^ (value >> mixer_last_shift);
}

}  // namespace

namespace gridlume {

std::uint64_t base_tag_spread(std::int32_t base_tag) noexcept {
  return mix(static_cast<std::uint32_t>(base_tag));
}

std::int32_t definition_signature(std::int32_t base_count, std::uint64_t spread_sum) noexcept {
  std::uint64_t mixed = mix(spread_sum + static_cast<std::uint64_t>(base_count) * mixer_increment);
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(mixed ^ (mixed >> fold_shift)));
}

}  // namespace gridlume

namespace {

using gridlume::IntegerSet;

// A list of n tags grows to at most this many tags before the sizing of the
// tables would pass the 32-bit range; the count only sizes the tables.
constexpr int largest_expected_tag_count = INT32_MAX / 4;
// While the definition table holds fewer tuples than this, its tuple count
// stands in for the longest definition in the buffer size.
constexpr std::int32_t small_definition_table = 11;
// Every list holds at least this many integers.
constexpr std::int32_t smallest_buffer_integers = 2;
constexpr std::int32_t bytes_per_tag = 4;

std::int32_t signature_of(const IntegerSet &bases) noexcept {
  std::uint64_t spread_sum = 0;
  for (std::int32_t i = 1; i <= bases.count(); ++i)
    spread_sum += gridlume::base_tag_spread(bases.key(i));
  return gridlume::definition_signature(bases.count(), spread_sum);
}

bool is_known(const gridlume_tag_system &tag_system, std::int32_t tag) noexcept {
  return tag_system.definitions.find_group(tag) != 0;
}

bool is_base(const gridlume_tag_system &tag_system, std::int32_t tag) noexcept {
  return tag_system.memberships.find_group(tag) != 0;
}

// Records `tag` as a base tag of the tables and the signature index; all are
// grown first so that the tag is recorded in all or in none. 0 or -5.
int record_base_tag(gridlume_tag_system &tag_system, std::int32_t tag) noexcept {
  if (tag_system.definitions.reserve(1, 1) != GRIDLUME_STATUS_OK ||
      tag_system.memberships.reserve(1, 1) != GRIDLUME_STATUS_OK ||
      tag_system.signatures.reserve(1, 1) != GRIDLUME_STATUS_OK)
    return GRIDLUME_STATUS_NO_MEMORY;
  tag_system.definitions.insert(tag, {tag});
  tag_system.memberships.insert(tag, {tag});
  std::int32_t signature = gridlume::definition_signature(1, gridlume::base_tag_spread(tag));
  tag_system.signatures.insert(signature, {tag});
  tag_system.longest_definition = std::max(tag_system.longest_definition, 1);
  return GRIDLUME_STATUS_OK;
}

// The next value of the counter; false when the counter has reached the
// largest tag and cannot give another.
bool advance_counter(gridlume_tag_system &tag_system) noexcept {
  if (tag_system.next_tag == INT32_MAX) return false;
  ++tag_system.next_tag;
  return true;
}

// Gathers the base tags of the given tags into `bases`, in list order and
// each definition in its own order. 0, 1 when a tag is unknown, -5.
int gather_base_tags(const gridlume_tag_system &tag_system, const int *tags, int n,
                     IntegerSet &bases) noexcept {
  std::int64_t bucket_count = std::min<std::int64_t>(2LL * n + 1, INT32_MAX);
  if (bases.create(static_cast<std::int32_t>(bucket_count), n) != GRIDLUME_STATUS_OK)
    return GRIDLUME_STATUS_NO_MEMORY;
  const gridlume::GroupedTable1 &definitions = tag_system.definitions;
  for (int i = 0; i < n; ++i) {
    std::int32_t group = definitions.find_group(tags[i]);
    if (group == 0) return 1;
    bool inserted = definitions.for_each_entry(group, [&](std::int32_t entry) {
      return bases.insert(definitions.tuple(entry)[0]) != 0;
    });
    if (!inserted) return GRIDLUME_STATUS_NO_MEMORY;
  }
  return GRIDLUME_STATUS_OK;
}

// True when the definition of `tag` is exactly `bases`.
bool has_definition(const gridlume_tag_system &tag_system, std::int32_t tag,
                    const IntegerSet &bases) noexcept {
  const gridlume::GroupedTable1 &definitions = tag_system.definitions;
  std::int32_t inside = 0;
  bool all_inside =
      definitions.for_each_entry(definitions.find_group(tag), [&](std::int32_t entry) {
        if (!bases.contains(definitions.tuple(entry)[0])) return false;
        ++inside;
        return true;
      });
  return all_inside && inside == bases.count();
}

// The known tag whose definition is exactly `bases`, 0 when none. Only the
// tags sharing the signature of `bases` can match, and a definition belongs to
// one tag at most, so the first exact match is the answer.
std::int32_t find_tag_with_definition(const gridlume_tag_system &tag_system,
                                      const IntegerSet &bases, std::int32_t signature) noexcept {
  const gridlume::GroupedTable1 &signatures = tag_system.signatures;
  std::int32_t match = 0;
  signatures.for_each_entry(signatures.find_group(signature), [&](std::int32_t entry) {
    std::int32_t candidate = signatures.tuple(entry)[0];
    if (has_definition(tag_system, candidate, bases)) match = candidate;
    return match == 0;
  });
  return match;
}

// The tag a new combination gets: the proposal when it is at least 1 and
// unknown, else the first unknown value the counter reaches. 0 when the
// counter is exhausted.
std::int32_t choose_new_tag(gridlume_tag_system &tag_system, std::int32_t proposed) noexcept {
  std::int32_t chosen = proposed;
  if (chosen < 1) {
    if (!advance_counter(tag_system)) return 0;
    chosen = tag_system.next_tag;
  }
  while (is_known(tag_system, chosen)) {
    if (!advance_counter(tag_system)) return 0;
    chosen = tag_system.next_tag;
  }
  return chosen;
}

// Records `tag` as the composite standing for `bases`, in the room that
// reserve_composite made: the insertions cannot fail halfway.
void record_composite_tag(gridlume_tag_system &tag_system, std::int32_t tag,
                          const IntegerSet &bases, std::int32_t signature) noexcept {
  for (std::int32_t i = 1; i <= bases.count(); ++i) {
    tag_system.definitions.insert(tag, {bases.key(i)});
    tag_system.memberships.insert(bases.key(i), {tag});
  }
  tag_system.signatures.insert(signature, {tag});
  tag_system.longest_definition = std::max(tag_system.longest_definition, bases.count());
}

// Room in both tables and in the signature index for a new composite of
// `base_count` base tags. 0 or -5.
int reserve_composite(gridlume_tag_system &tag_system, std::int32_t base_count) noexcept {
  if (tag_system.definitions.reserve(1, base_count) != GRIDLUME_STATUS_OK ||
      tag_system.memberships.reserve(0, base_count) != GRIDLUME_STATUS_OK ||
      tag_system.signatures.reserve(1, 1) != GRIDLUME_STATUS_OK)
    return GRIDLUME_STATUS_NO_MEMORY;
  return GRIDLUME_STATUS_OK;
}

}  // namespace

extern "C" {

gridlume_tag_system *gridlume_tag_system_new(int expected_tag_count) {
  std::int32_t n = std::clamp(expected_tag_count, 0, largest_expected_tag_count);
  gridlume_tag_system *tag_system = gridlume::create<gridlume_tag_system>();
  if (tag_system == nullptr) return nullptr;
  // n + 3 buckets and room for n / 2 + 2 groups in both tables, and the
  // same for the signature index, which has about one group per tag.
  std::int32_t group_buckets = n + 3;
  std::int32_t group_capacity = n / 2 + 2;
  bool built = tag_system->definitions.create(group_buckets, group_capacity,
                                              gridlume::tag_group_buckets,
                                              gridlume::tag_tuples_per_group) == 0 &&
               tag_system->memberships.create(group_buckets, group_capacity,
                                              gridlume::tag_group_buckets,
                                              gridlume::tag_tuples_per_group) == 0 &&
               tag_system->signatures.create(group_buckets, group_capacity,
                                             gridlume::signature_group_buckets,
                                             gridlume::signature_tuples_per_group) == 0 &&
               record_base_tag(*tag_system, 0) == GRIDLUME_STATUS_OK;
  if (!built) {
    gridlume::destroy(tag_system);
    return nullptr;
  }
  return tag_system;
}

void gridlume_tag_system_delete(gridlume_tag_system *tag_system) {
  gridlume::destroy(tag_system);
}

gridlume_tag_system *gridlume_tag_system_clone(const gridlume_tag_system *tag_system) {
  if (tag_system == nullptr) return nullptr;
  gridlume_tag_system *clone = gridlume::create<gridlume_tag_system>();
  if (clone == nullptr) return nullptr;
  if (clone->definitions.copy_from(tag_system->definitions) != GRIDLUME_STATUS_OK ||
      clone->memberships.copy_from(tag_system->memberships) != GRIDLUME_STATUS_OK ||
      clone->signatures.copy_from(tag_system->signatures) != GRIDLUME_STATUS_OK) {
    gridlume::destroy(clone);
    return nullptr;
  }
  clone->next_tag = tag_system->next_tag;
  clone->longest_definition = tag_system->longest_definition;
  return clone;
}

int gridlume_tag_system_add_base_tag(gridlume_tag_system *tag_system, int tag) {
  if (tag_system == nullptr) return GRIDLUME_STATUS_ERROR;
  if (is_known(*tag_system, tag)) return GRIDLUME_STATUS_OK;
  return record_base_tag(*tag_system, tag);
}

int gridlume_tag_system_create_base_tag(gridlume_tag_system *tag_system, int *tag) {
  if (tag_system == nullptr || tag == nullptr) return GRIDLUME_STATUS_ERROR;
  // The counter stays on the value it gives.
  while (is_known(*tag_system, tag_system->next_tag))
    if (!advance_counter(*tag_system)) return GRIDLUME_STATUS_ERROR;
  int status = record_base_tag(*tag_system, tag_system->next_tag);
  if (status != GRIDLUME_STATUS_OK) return status;
  *tag = tag_system->next_tag;
  return GRIDLUME_STATUS_OK;
}

int gridlume_tag_system_get_composite_tag(gridlume_tag_system *tag_system, int *tags, int n,
                                          int *composite) {
  if (tag_system == nullptr || composite == nullptr || n < 0 || (n > 0 && tags == nullptr))
    return GRIDLUME_STATUS_ERROR;
  std::int32_t proposed = *composite;
  *composite = 0;
  std::sort(tags, tags + n);
  if (n == 0) return GRIDLUME_STATUS_OK;

  IntegerSet bases;
  int status = gather_base_tags(*tag_system, tags, n, bases);
  if (status != GRIDLUME_STATUS_OK) return status;
  std::int32_t signature = signature_of(bases);
  std::int32_t existing = find_tag_with_definition(*tag_system, bases, signature);
  if (existing != 0) {
    *composite = existing;
    return GRIDLUME_STATUS_OK;
  }
  status = reserve_composite(*tag_system, bases.count());
  if (status != GRIDLUME_STATUS_OK) return status;
  std::int32_t tag = choose_new_tag(*tag_system, proposed);
  if (tag == 0) return GRIDLUME_STATUS_ERROR;
  record_composite_tag(*tag_system, tag, bases, signature);
  *composite = tag;
  return GRIDLUME_STATUS_OK;
}

int gridlume_tag_system_get_composite_tag_definition(const gridlume_tag_system *tag_system,
                                                     int tag, int *count, int *list) {
  if (tag_system == nullptr || count == nullptr || list == nullptr) return GRIDLUME_STATUS_ERROR;
  *count = 0;
  const gridlume::GroupedTable1 &definitions = tag_system->definitions;
  std::int32_t group = definitions.find_group(tag);
  if (group == 0) return 1;
  definitions.for_each_entry(group,
                             [&](std::int32_t entry) { list[(*count)++] = definitions.tuple(entry)[0]; });
  return GRIDLUME_STATUS_OK;
}

int gridlume_tag_system_get_composite_tag_list(const gridlume_tag_system *tag_system,
                                               int *count, int *list) {
  if (count == nullptr || list == nullptr) return GRIDLUME_STATUS_ERROR;
  *count = 0;
  if (tag_system == nullptr) return GRIDLUME_STATUS_OK;
  // Definition groups are numbered in order of first appearance, which for
  // composites is their order of creation.
  const gridlume::GroupedTable1 &definitions = tag_system->definitions;
  for (std::int32_t group = 1; group <= definitions.group_count(); ++group) {
    std::int32_t tag = definitions.group_key(group);
    if (!is_base(*tag_system, tag)) list[(*count)++] = tag;
  }
  return GRIDLUME_STATUS_OK;
}

int gridlume_tag_system_get_tag_count(const gridlume_tag_system *tag_system, int *count) {
  if (count == nullptr) return GRIDLUME_STATUS_ERROR;
  *count = tag_system ? tag_system->definitions.group_count() : 0;
  return GRIDLUME_STATUS_OK;
}

int gridlume_tag_system_get_tag_tag(const gridlume_tag_system *tag_system, int i, int *tag) {
  if (tag_system == nullptr || tag == nullptr) return GRIDLUME_STATUS_ERROR;
  if (i < 1 || i > tag_system->definitions.group_count()) return GRIDLUME_STATUS_ERROR;
  *tag = tag_system->definitions.group_key(i);
  return GRIDLUME_STATUS_OK;
}

int gridlume_tag_system_is_tag_present(const gridlume_tag_system *tag_system, int tag) {
  return tag_system && is_known(*tag_system, tag) ? GRIDLUME_STATUS_OK : GRIDLUME_STATUS_ERROR;
}

int gridlume_tag_system_is_base_tag_present(const gridlume_tag_system *tag_system, int tag) {
  return tag_system && is_base(*tag_system, tag) ? GRIDLUME_STATUS_OK : GRIDLUME_STATUS_ERROR;
}

int gridlume_tag_system_get_buffer_size(const gridlume_tag_system *tag_system) {
  if (tag_system == nullptr) return bytes_per_tag * smallest_buffer_integers;
  std::int32_t tuples = tag_system->definitions.entry_count();
  std::int32_t longest =
      tuples < small_definition_table ? tuples : tag_system->longest_definition;
  std::int64_t integers = std::max({smallest_buffer_integers,
                                    tag_system->definitions.group_count(), longest});
  return static_cast<int>(std::min<std::int64_t>(bytes_per_tag * integers, INT32_MAX));
}

}  // extern "C"
