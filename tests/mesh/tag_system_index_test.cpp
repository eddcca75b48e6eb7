// Finding a tag by its definition: different definitions sharing a signature,
// clones, and memory failures while tags are created and found.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <vector>

#include "gridlume.h"
#include "mesh/tag_system.hpp"
#include "support/allocation_failure.hpp"

using gridlume_test::AllocationFailure;
using gridlume_test::for_each_allocation_failure;

namespace {

using Triple = std::array<int, 3>;

// The composite of three tags; the status goes to *status.
int composite_of(gridlume_tag_system *tag_system, Triple tags, int *status) {
  int composite = 0;
  *status = gridlume_tag_system_get_composite_tag(tag_system, tags.data(), 3, &composite);
  return composite;
}

int composite_of(gridlume_tag_system *tag_system, Triple tags) {
  int status = -1;
  int composite = composite_of(tag_system, tags, &status);
  EXPECT_EQ(status, 0);
  return composite;
}

std::set<int> definition_of(const gridlume_tag_system *tag_system, int tag) {
  int list[8] = {};
  int count = 0;
  EXPECT_EQ(gridlume_tag_system_get_composite_tag_definition(tag_system, tag, &count, list), 0);
  return std::set<int>(list, list + count);
}

int tag_count(const gridlume_tag_system *tag_system) {
  int count = 0;
  gridlume_tag_system_get_tag_count(tag_system, &count);
  return count;
}

gridlume_tag_system *system_with_base_tags(int expected, int base_tag_count) {
  gridlume_tag_system *tag_system = gridlume_tag_system_new(expected);
  for (int tag = 1; tag <= base_tag_count; ++tag)
    EXPECT_EQ(gridlume_tag_system_add_base_tag(tag_system, tag), 0);
  return tag_system;
}

// Two different sets of three base tags below `limit` with the same
// signature; false when there is none.
bool find_signature_collision(int limit, Triple &first, Triple &second) {
  std::map<std::int32_t, Triple> seen;
  for (int a = 1; a < limit; ++a)
    for (int b = a + 1; b < limit; ++b)
      for (int c = b + 1; c < limit; ++c) {
        std::uint64_t sum = gridlume::base_tag_spread(a) + gridlume::base_tag_spread(b) +
                            gridlume::base_tag_spread(c);
        auto [found, added] = seen.emplace(gridlume::definition_signature(3, sum), Triple{a, b, c});
        if (!added) {
          first = found->second;
          second = {a, b, c};
          return true;
        }
      }
  return false;
}

std::vector<Triple> triples_of(int base_tag_count) {
  std::vector<Triple> triples;
  for (int a = 1; a <= base_tag_count; ++a)
    for (int b = a + 1; b <= base_tag_count; ++b)
      for (int c = b + 1; c <= base_tag_count; ++c) triples.push_back({c, a, b});
  return triples;
}

}  // namespace

TEST(TagSystemIndex, DefinitionsSharingASignatureGetTheirOwnTags) {
  Triple first{};
  Triple second{};
  ASSERT_TRUE(find_signature_collision(200, first, second));
  int largest = std::max(*std::max_element(first.begin(), first.end()),
                         *std::max_element(second.begin(), second.end()));
  gridlume_tag_system *tags = system_with_base_tags(10, largest);
  int first_tag = composite_of(tags, first);
  int second_tag = composite_of(tags, second);
  EXPECT_NE(second_tag, first_tag);
  EXPECT_EQ(definition_of(tags, second_tag), std::set<int>(second.begin(), second.end()));
  EXPECT_EQ(composite_of(tags, {second[2], second[0], second[1]}), second_tag);
  EXPECT_EQ(composite_of(tags, {first[1], first[2], first[0]}), first_tag);
  EXPECT_EQ(tag_count(tags), largest + 3);
  gridlume_tag_system_delete(tags);
}

TEST(TagSystemIndex, CloneAndOriginalEachFindTheirOwnComposites) {
  gridlume_tag_system *original = system_with_base_tags(0, 8);
  std::vector<Triple> triples = triples_of(8);
  std::vector<int> made;
  for (std::size_t i = 0; i < triples.size() / 2; ++i)
    made.push_back(composite_of(original, triples[i]));
  gridlume_tag_system *clone = gridlume_tag_system_clone(original);
  ASSERT_NE(clone, nullptr);
  int known = tag_count(original);
  for (std::size_t i = 0; i < made.size(); ++i) {
    EXPECT_EQ(composite_of(clone, triples[i]), made[i]);
    EXPECT_EQ(composite_of(original, triples[i]), made[i]);
  }
  EXPECT_EQ(tag_count(clone), known);
  // The second half goes to the clone only; the original then makes its own.
  std::vector<int> in_clone;
  for (std::size_t i = made.size(); i < triples.size(); ++i)
    in_clone.push_back(composite_of(clone, triples[i]));
  gridlume_tag_system_delete(original);
  for (std::size_t i = made.size(); i < triples.size(); ++i)
    EXPECT_EQ(composite_of(clone, triples[i]), in_clone[i - made.size()]);
  for (std::size_t i = 0; i < made.size(); ++i) EXPECT_EQ(composite_of(clone, triples[i]), made[i]);
  EXPECT_EQ(tag_count(clone), known + static_cast<int>(in_clone.size()));
  gridlume_tag_system_delete(clone);
}

TEST(TagSystemIndex, MemoryFailureWhileCreatingAndFindingLeavesEveryDefinitionWithOneTag) {
  std::vector<Triple> triples = triples_of(6);
  for_each_allocation_failure([&](AllocationFailure &failure) {
    // Created for 0 tags, so the tables and the index grow along the way.
    gridlume_tag_system *tags = system_with_base_tags(0, 6);
    // Each combination asked twice: created, then found (or created late).
    std::vector<int> first_answers(triples.size(), 0);
    failure.arm();
    for (int round = 0; round < 2; ++round) {
      for (std::size_t i = 0; i < triples.size(); ++i) {
        int status = -1;
        int composite = composite_of(tags, triples[i], &status);
        if (status != 0) {
          EXPECT_EQ(status, -5);
          EXPECT_EQ(composite, 0);
        } else if (first_answers[i] == 0) {
          first_answers[i] = composite;
        } else {
          EXPECT_EQ(composite, first_answers[i]);
        }
      }
    }
    failure.disarm();
    // Every definition then has exactly one tag, found whatever the order.
    std::set<int> composites;
    for (const Triple &triple : triples) {
      int tag = composite_of(tags, triple);
      EXPECT_EQ(composite_of(tags, {triple[1], triple[2], triple[0]}), tag);
      EXPECT_EQ(definition_of(tags, tag), std::set<int>(triple.begin(), triple.end()));
      composites.insert(tag);
    }
    EXPECT_EQ(composites.size(), triples.size());
    EXPECT_EQ(tag_count(tags), 7 + static_cast<int>(triples.size()));
    gridlume_tag_system_delete(tags);
  });
}
