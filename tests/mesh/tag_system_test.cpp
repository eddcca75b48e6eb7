// Tag systems: base tags, composite tags and their definitions; finding a
// tag by its definition when definitions share a signature, in clones, and
// under memory failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "gridlume.h"
#include "mesh/tag_system.hpp"
#include "support/test_helpers.hpp"

using namespace gridlume_test;

namespace {

using Tags = std::vector<int>;

struct TagSystem {
  gridlume_tag_system *handle = gridlume_tag_system_new(10);
  TagSystem() { EXPECT_NE(handle, nullptr); }
  ~TagSystem() { gridlume_tag_system_delete(handle); }
  operator gridlume_tag_system *() const { return handle; }
};

// The composite of `tags` with an optional proposal; the status goes to
// *status when asked for.
int composite_of(gridlume_tag_system *tag_system, Tags tags, int proposed = 0,
                 int *status = nullptr) {
  int composite = proposed;
  int result = gridlume_tag_system_get_composite_tag(tag_system, tags.data(),
                                                     static_cast<int>(tags.size()), &composite);
  if (status != nullptr) *status = result;
  else EXPECT_EQ(result, 0);
  return composite;
}

Tags definition_of(const gridlume_tag_system *tag_system, int tag) {
  int list[64] = {};
  int count = -1;
  EXPECT_EQ(gridlume_tag_system_get_composite_tag_definition(tag_system, tag, &count, list), 0);
  return Tags(list, list + count);
}

Tags composite_list(const gridlume_tag_system *tag_system) {
  int list[64] = {};
  int count = -1;
  EXPECT_EQ(gridlume_tag_system_get_composite_tag_list(tag_system, &count, list), 0);
  return Tags(list, list + count);
}

Tags all_tags(const gridlume_tag_system *tag_system) {
  int count = 0;
  EXPECT_EQ(gridlume_tag_system_get_tag_count(tag_system, &count), 0);
  Tags tags(count);
  for (int i = 1; i <= count; ++i) EXPECT_EQ(gridlume_tag_system_get_tag_tag(tag_system, i, &tags[i - 1]), 0);
  return tags;
}

void add_base_tags(gridlume_tag_system *tag_system, Tags tags) {
  for (int tag : tags) ASSERT_EQ(gridlume_tag_system_add_base_tag(tag_system, tag), 0);
}

std::set<int> as_set(const Tags &tags) { return std::set<int>(tags.begin(), tags.end()); }

// A system created for `expected` tags, holding base tags 1..base_tag_count.
gridlume_tag_system *system_with_base_tags(int expected, int base_tag_count) {
  gridlume_tag_system *tag_system = gridlume_tag_system_new(expected);
  for (int tag = 1; tag <= base_tag_count; ++tag) add_base_tags(tag_system, {tag});
  return tag_system;
}

// Two different sets of three base tags below `limit` with the same
// signature; false when there is none.
bool find_signature_collision(int limit, Tags &first, Tags &second) {
  std::map<std::int32_t, Tags> seen;
  for (int a = 1; a < limit; ++a)
    for (int b = a + 1; b < limit; ++b)
      for (int c = b + 1; c < limit; ++c) {
        std::uint64_t sum = gridlume::base_tag_spread(a) + gridlume::base_tag_spread(b) +
                            gridlume::base_tag_spread(c);
        auto [found, added] = seen.emplace(gridlume::definition_signature(3, sum), Tags{a, b, c});
        if (!added) {
          first = found->second;
          second = {a, b, c};
          return true;
        }
      }
  return false;
}

std::vector<Tags> triples_of(int base_tag_count) {
  std::vector<Tags> triples;
  for (int a = 1; a <= base_tag_count; ++a)
    for (int b = a + 1; b <= base_tag_count; ++b)
      for (int c = b + 1; c <= base_tag_count; ++c) triples.push_back({c, a, b});
  return triples;
}

}  // namespace

TEST(TagSystem, NewSystemKnowsExactlyBaseTag0) {
  TagSystem tags;
  EXPECT_EQ(all_tags(tags), Tags{0});
  EXPECT_EQ(gridlume_tag_system_is_base_tag_present(tags, 0), 0);
  EXPECT_EQ(gridlume_tag_system_is_tag_present(tags, 1), -1);
  EXPECT_TRUE(composite_list(tags).empty());
  EXPECT_EQ(gridlume_tag_system_get_buffer_size(tags), 8);
  EXPECT_EQ(definition_of(tags, 0), Tags{0});
}

TEST(TagSystem, AddingAKnownTagChangesNothing) {
  TagSystem tags;
  add_base_tags(tags, {5, 5, -2});
  EXPECT_EQ(all_tags(tags), (Tags{0, 5, -2}));
  int composite = composite_of(tags, {5, -2});
  EXPECT_EQ(gridlume_tag_system_add_base_tag(tags, composite), 0);
  EXPECT_EQ(gridlume_tag_system_is_base_tag_present(tags, composite), -1);
  EXPECT_EQ(gridlume_tag_system_is_tag_present(tags, composite), 0);
}

TEST(TagSystem, CompositesAreFoundAgainFlattenedToBaseTagsAndMatchedExactly) {
  TagSystem tags;
  add_base_tags(tags, {1, 2, 3});
  EXPECT_EQ(composite_of(tags, {3, 1}), 4);
  EXPECT_EQ(composite_of(tags, {1, 3}), 4);
  EXPECT_EQ(composite_of(tags, {4}), 4);
  EXPECT_EQ(composite_of(tags, {3, 1, 3, 4}), 4);
  EXPECT_EQ(composite_of(tags, {2}), 2);
  EXPECT_EQ(definition_of(tags, 4), (Tags{1, 3}));
  EXPECT_EQ(composite_list(tags), Tags{4});
  EXPECT_EQ(gridlume_tag_system_is_base_tag_present(tags, 4), -1);
  // A composite of composites; its definition lists even base tags first.
  EXPECT_EQ(composite_of(tags, {4, 2}), 5);
  EXPECT_EQ(definition_of(tags, 5), (Tags{2, 1, 3}));
  EXPECT_EQ(composite_of(tags, {1, 2, 3}), 5);
  EXPECT_EQ(composite_of(tags, {5, 4}), 5);
  EXPECT_EQ(composite_list(tags), (Tags{4, 5}));
  // Some of the bases of a composite do not match it.
  EXPECT_EQ(composite_of(tags, {2, 1}), 6);
  EXPECT_EQ(definition_of(tags, 6), (Tags{2, 1}));
}

TEST(TagSystem, ProposalIsUsedOnlyWhenUnknown) {
  TagSystem tags;
  add_base_tags(tags, {1, 2, 3});
  EXPECT_EQ(composite_of(tags, {1, 2}, 10), 10);
  // 2 is known: the counter (still 0) gives its next free value, 4.
  EXPECT_EQ(composite_of(tags, {2, 3}, 2), 4);
  // A known combination ignores the proposal.
  EXPECT_EQ(composite_of(tags, {1, 2}, 77), 10);
  EXPECT_EQ(composite_of(tags, {1, 3}, -6), 5);
  EXPECT_EQ(composite_list(tags), (Tags{10, 4, 5}));
}

TEST(TagSystem, UnknownTagAnswers1AndWrites0AndAnEmptyListAnswers0) {
  TagSystem tags;
  add_base_tags(tags, {1});
  int status = 0;
  EXPECT_EQ(composite_of(tags, {1, 9}, 3, &status), 0);
  EXPECT_EQ(status, 1);
  int list[4] = {};
  int count = -1;
  EXPECT_EQ(gridlume_tag_system_get_composite_tag_definition(tags, 9, &count, list), 1);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(all_tags(tags), (Tags{0, 1}));
  EXPECT_EQ(composite_of(tags, {}, 5), 0);  // an empty list answers tag 0
}

TEST(TagSystem, CreateBaseTagSkipsKnownTagsAndKeepsItsCounter) {
  TagSystem tags;
  add_base_tags(tags, {1, 2});
  int tag = 0;
  ASSERT_EQ(gridlume_tag_system_create_base_tag(tags, &tag), 0);
  EXPECT_EQ(tag, 3);
  ASSERT_EQ(gridlume_tag_system_create_base_tag(tags, &tag), 0);
  EXPECT_EQ(tag, 4);
  EXPECT_EQ(gridlume_tag_system_is_base_tag_present(tags, 4), 0);
  // The counter stays on 4: a new composite takes 5.
  EXPECT_EQ(composite_of(tags, {1, 4}), 5);
}

TEST(TagSystem, BufferSizeCoversTheTagsAndTheLongestDefinition) {
  TagSystem tags;
  add_base_tags(tags, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  // 13 tags: 4 x 13.
  EXPECT_EQ(gridlume_tag_system_get_buffer_size(tags), 52);
  Tags many;
  for (int tag = 100; tag < 140; ++tag) many.push_back(tag);
  add_base_tags(tags, many);
  int composite = composite_of(tags, many);
  EXPECT_EQ(definition_of(tags, composite).size(), many.size());
  // 54 tags, definition of 40.
  EXPECT_EQ(gridlume_tag_system_get_buffer_size(tags), 4 * 54);
  EXPECT_EQ(gridlume_tag_system_get_buffer_size(nullptr), 8);
}

TEST(TagSystem, SmallDefinitionTableCountsAllItsTuples) {
  TagSystem tags;
  add_base_tags(tags, {1, 2, 3});
  composite_of(tags, {1, 2, 3});
  // 5 tags, 7 definition tuples (fewer than 11): the tuple count stands in.
  EXPECT_EQ(gridlume_tag_system_get_buffer_size(tags), 4 * 7);
}

TEST(TagSystem, CloneIsIndependentAndKeepsTheCounter) {
  TagSystem tags;
  add_base_tags(tags, {1, 2, 3});
  ASSERT_EQ(composite_of(tags, {1, 3}), 4);
  gridlume_tag_system *clone = gridlume_tag_system_clone(tags);
  ASSERT_NE(clone, nullptr);
  EXPECT_EQ(all_tags(clone), all_tags(tags));
  EXPECT_EQ(definition_of(clone, 4), (Tags{1, 3}));
  EXPECT_EQ(composite_of(clone, {1, 2}), 5);
  EXPECT_EQ(gridlume_tag_system_is_tag_present(tags, 5), -1);
  gridlume_tag_system_delete(clone);
  EXPECT_EQ(gridlume_tag_system_clone(nullptr), nullptr);
}

TEST(TagSystem, NullArgumentsAnswerTheirStatus) {
  TagSystem tags;
  int value = 0;
  int list[2] = {};
  EXPECT_EQ(gridlume_tag_system_add_base_tag(nullptr, 1), -1);
  EXPECT_EQ(gridlume_tag_system_create_base_tag(tags, nullptr), -1);
  EXPECT_EQ(gridlume_tag_system_get_composite_tag(tags, nullptr, 1, &value), -1);
  EXPECT_EQ(gridlume_tag_system_get_composite_tag(nullptr, list, 1, &value), -1);
  EXPECT_EQ(gridlume_tag_system_get_composite_tag_definition(tags, 0, nullptr, list), -1);
  EXPECT_EQ(gridlume_tag_system_get_composite_tag_list(tags, &value, nullptr), -1);
  EXPECT_EQ(gridlume_tag_system_get_composite_tag_list(nullptr, &value, list), 0);
  EXPECT_EQ(value, 0);
  EXPECT_EQ(gridlume_tag_system_get_tag_count(nullptr, &value), 0);
  EXPECT_EQ(value, 0);
  EXPECT_EQ(gridlume_tag_system_get_tag_tag(tags, 0, &value), -1);
  EXPECT_EQ(gridlume_tag_system_get_tag_tag(tags, 2, &value), -1);
  EXPECT_EQ(gridlume_tag_system_is_tag_present(nullptr, 0), -1);
  gridlume_tag_system_delete(nullptr);
}

TEST(TagSystem, MemoryFailureInNewAndCloneLeaksNothing) {
  expect_each_allocation_failure_reported(
      [](gridlume_context *, AllocationFailure &failure) {
        failure.arm();
        return gridlume_tag_system_new(4);
      },
      [](gridlume_tag_system *made) {
        EXPECT_EQ(all_tags(made), Tags{0});
        gridlume_tag_system_delete(made);
      });
  TagSystem tags;
  add_base_tags(tags, {1, 2});
  composite_of(tags, {1, 2});
  expect_each_allocation_failure_reported(
      [&](gridlume_context *, AllocationFailure &failure) {
        failure.arm();
        return gridlume_tag_system_clone(tags);
      },
      [](gridlume_tag_system *clone) {
        EXPECT_EQ(definition_of(clone, 3), (Tags{2, 1}));
        gridlume_tag_system_delete(clone);
      });
}

TEST(TagSystem, MemoryFailureInAddBaseTagRecordsNothing) {
  for_each_allocation_failure([](AllocationFailure &failure) {
    // Created for 0 tags: room for 2 groups, so the third tag grows the tables.
    gridlume_tag_system *tags = gridlume_tag_system_new(0);
    add_base_tags(tags, {1});
    failure.arm();
    int status = gridlume_tag_system_add_base_tag(tags, 2);
    failure.disarm();
    if (failure.happened()) {
      EXPECT_EQ(status, -5);
      EXPECT_EQ(gridlume_tag_system_is_tag_present(tags, 2), -1);
    }
    EXPECT_EQ(gridlume_tag_system_add_base_tag(tags, 2), 0);
    EXPECT_EQ(gridlume_tag_system_is_base_tag_present(tags, 2), 0);
    EXPECT_EQ(composite_of(tags, {1, 2}), 3);
    gridlume_tag_system_delete(tags);
  });
}

TEST(TagSystem, MemoryFailureInCompositeRecordsNothing) {
  for_each_allocation_failure([](AllocationFailure &failure) {
    gridlume_tag_system *tags = gridlume_tag_system_new(0);
    add_base_tags(tags, {1, 2, 3});
    failure.arm();
    int status = 0;
    int composite = composite_of(tags, {3, 2, 1}, 0, &status);
    failure.disarm();
    if (failure.happened()) {
      EXPECT_EQ(status, -5);
      EXPECT_EQ(composite, 0);
      EXPECT_TRUE(composite_list(tags).empty());
      EXPECT_EQ(all_tags(tags), (Tags{0, 1, 2, 3}));
    }
    int again = composite_of(tags, {1, 2, 3});
    EXPECT_EQ(definition_of(tags, again), (Tags{2, 1, 3}));
    EXPECT_EQ(composite_list(tags), Tags{again});
    gridlume_tag_system_delete(tags);
  });
}

// ---- Finding a tag by its definition ----------------------------------------

TEST(TagSystemIndex, DefinitionsSharingASignatureGetTheirOwnTags) {
  Tags first, second;
  ASSERT_TRUE(find_signature_collision(200, first, second));
  int largest = std::max(*std::max_element(first.begin(), first.end()),
                         *std::max_element(second.begin(), second.end()));
  gridlume_tag_system *tags = system_with_base_tags(10, largest);
  int first_tag = composite_of(tags, first);
  int second_tag = composite_of(tags, second);
  EXPECT_NE(second_tag, first_tag);
  EXPECT_EQ(as_set(definition_of(tags, second_tag)), as_set(second));
  EXPECT_EQ(composite_of(tags, {second[2], second[0], second[1]}), second_tag);
  EXPECT_EQ(composite_of(tags, {first[1], first[2], first[0]}), first_tag);
  EXPECT_EQ(all_tags(tags).size(), std::size_t(largest + 3));
  gridlume_tag_system_delete(tags);
}

TEST(TagSystemIndex, CloneAndOriginalEachFindTheirOwnComposites) {
  gridlume_tag_system *original = system_with_base_tags(0, 8);
  std::vector<Tags> triples = triples_of(8);
  std::vector<int> made;
  for (std::size_t i = 0; i < triples.size() / 2; ++i)
    made.push_back(composite_of(original, triples[i]));
  gridlume_tag_system *clone = gridlume_tag_system_clone(original);
  ASSERT_NE(clone, nullptr);
  std::size_t known = all_tags(original).size();
  for (std::size_t i = 0; i < made.size(); ++i) {
    EXPECT_EQ(composite_of(clone, triples[i]), made[i]);
    EXPECT_EQ(composite_of(original, triples[i]), made[i]);
  }
  EXPECT_EQ(all_tags(clone).size(), known);
  // The second half goes to the clone only; the original then makes its own.
  std::vector<int> in_clone;
  for (std::size_t i = made.size(); i < triples.size(); ++i)
    in_clone.push_back(composite_of(clone, triples[i]));
  gridlume_tag_system_delete(original);
  for (std::size_t i = made.size(); i < triples.size(); ++i)
    EXPECT_EQ(composite_of(clone, triples[i]), in_clone[i - made.size()]);
  for (std::size_t i = 0; i < made.size(); ++i) EXPECT_EQ(composite_of(clone, triples[i]), made[i]);
  EXPECT_EQ(all_tags(clone).size(), known + in_clone.size());
  gridlume_tag_system_delete(clone);
}

TEST(TagSystemIndex, MemoryFailureWhileCreatingAndFindingLeavesEveryDefinitionWithOneTag) {
  std::vector<Tags> triples = triples_of(6);
  for_each_allocation_failure([&](AllocationFailure &failure) {
    // Created for 0 tags, so the tables and the index grow along the way.
    gridlume_tag_system *tags = system_with_base_tags(0, 6);
    // Each combination asked twice: created, then found (or created late).
    std::vector<int> first_answers(triples.size(), 0);
    failure.arm();
    for (int round = 0; round < 2; ++round) {
      for (std::size_t i = 0; i < triples.size(); ++i) {
        int status = -1;
        int composite = composite_of(tags, triples[i], 0, &status);
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
    for (const Tags &triple : triples) {
      int tag = composite_of(tags, triple);
      EXPECT_EQ(composite_of(tags, {triple[1], triple[2], triple[0]}), tag);
      EXPECT_EQ(as_set(definition_of(tags, tag)), as_set(triple));
      composites.insert(tag);
    }
    EXPECT_EQ(composites.size(), triples.size());
    EXPECT_EQ(all_tags(tags).size(), 7 + triples.size());
    gridlume_tag_system_delete(tags);
  });
}
