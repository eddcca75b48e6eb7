// The tag system record, for the modules that read or build tag systems
// (mesh reader and writer, CAD objects, iterators by tag).
#pragma once

#include <cstdint>

#include "core/grouped_table.hpp"
#include "gridlume/tag_system.h"

namespace gridlume {

// Both tables of a tag system separate even from odd tuple values within a
// group and expect two tuples per group.
inline constexpr std::int32_t tag_group_buckets = 2;
inline constexpr std::int32_t tag_tuples_per_group = 2;
// A signature is almost always held by one tag: its group needs one bucket
// and expects one tuple.
inline constexpr std::int32_t signature_group_buckets = 1;
inline constexpr std::int32_t signature_tuples_per_group = 1;

}  // namespace gridlume

struct gridlume_tag_system {
  // Group keys: every known tag, in order of first appearance. Tuples: the
  // base tags the tag stands for (a base tag stands for itself).
  gridlume::GroupedTable1 definitions;
  // Group keys: the base tags only. Tuples: the tags whose definition holds
  // the base tag (the base tag itself included). A tag is composite exactly
  // when it has a definition and no membership group.
  gridlume::GroupedTable1 memberships;
  // Group keys: the signatures of the definitions (a hash of the number of
  // base tags and of the base tags, whatever their order). Tuples: the tags
  // whose definition has that signature. Only an index for finding a tag by
  // its definition: a definition belongs to one tag at most, but different
  // definitions may share a signature.
  gridlume::GroupedTable1 signatures;
  // The candidate for the next tag the system invents.
  std::int32_t next_tag;
  // The number of base tags of the longest definition.
  std::int32_t longest_definition;
};

namespace gridlume {

// The signature of a definition of `base_count` base tags whose spreads sum
// to `spread_sum` (wrapping): a sum, so the order of the base tags does not
// matter. Different definitions may share a signature.
std::uint64_t base_tag_spread(std::int32_t base_tag) noexcept;
std::int32_t definition_signature(std::int32_t base_count, std::uint64_t spread_sum) noexcept;

// The definition group of a tag, 0 when the tag is unknown; walk its base
// tags with tag_system->definitions.for_each_entry(group, ...).
inline std::int32_t definition_group(const gridlume_tag_system &tag_system,
                                     std::int32_t tag) noexcept {
  return tag_system.definitions.find_group(tag);
}

}  // namespace gridlume
