// Hashed index tables, integer sets and integer stacks.
#include "core/hash_table.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "core/integer_stack.hpp"
#include "support/allocation_failure.hpp"

using gridlume::IntegerSet;
using gridlume::IntegerStack;
using gridlume::IntegerTable;
using gridlume::VertexPairTable;
using namespace gridlume_test;

namespace {

// Fills a table of capacity `capacity` to the brim, then inserts one more key.
template <class Table>
std::int32_t capacity_after_overflow(std::int32_t capacity) {
  Table table;
  EXPECT_EQ(table.create(7, capacity), 0);
  for (std::int32_t key = 1; key <= capacity; ++key) table.insert(key);
  EXPECT_EQ(table.capacity(), capacity);
  EXPECT_EQ(table.insert(capacity + 1), capacity + 1);
  return table.capacity();
}

}  // namespace

TEST(HashedIndexTable, NumbersDistinctIntegersInInsertionOrder) {
  IntegerTable table;
  ASSERT_EQ(table.create(4, 10), 0);
  EXPECT_EQ(table.insert(5), 1);
  EXPECT_EQ(table.insert(-5), 2);
  EXPECT_EQ(table.insert(5), 1);
  // abs(k) mod 4 puts both in bucket 1, chained in insertion order.
  EXPECT_EQ(table.bucket_of(5), 1);
  EXPECT_EQ(table.bucket_of(-5), 1);
  EXPECT_EQ(table.head(1), 1);
  EXPECT_EQ(table.next(1), 2);
  EXPECT_EQ(table.next(2), 0);
  EXPECT_EQ(table.find(-5), 2);
  EXPECT_EQ(table.find(6), 0);
  EXPECT_EQ(table.count(), 2);
  EXPECT_EQ(table.key(2), -5);
  // The most negative integer has a valid bucket.
  EXPECT_EQ(table.insert(INT32_MIN), 3);
  EXPECT_EQ(table.insert(INT32_MAX), 4);
  EXPECT_EQ(table.find(INT32_MIN), 3);
}

TEST(HashedIndexTable, VertexPairsAreUnorderedAndStoredAsGiven) {
  gridlume::VertexPairTable table;
  ASSERT_EQ(table.create(5, 4), 0);
  EXPECT_EQ(table.insert({3, 7}), 1);
  EXPECT_EQ(table.insert({7, 3}), 1);
  EXPECT_EQ(table.insert({3, 8}), 2);
  EXPECT_EQ(table.find({8, 3}), 2);
  EXPECT_EQ(table.key(1)[0], 3);
  EXPECT_EQ(table.key(1)[1], 7);
  // Large vertex numbers wrap the product instead of overflowing.
  EXPECT_EQ(table.insert({INT32_MAX, INT32_MAX - 1}), 3);
  EXPECT_EQ(table.find({INT32_MAX - 1, INT32_MAX}), 3);
}

TEST(HashedIndexTable, VertexTriplesMatchAnyPermutation) {
  gridlume::VertexTripleTable table;
  ASSERT_EQ(table.create(5, 4), 0);
  EXPECT_EQ(table.insert({4, 9, 2}), 1);
  EXPECT_EQ(table.insert({2, 4, 9}), 1);
  EXPECT_EQ(table.find({9, 2, 4}), 1);
  EXPECT_EQ(table.insert({4, 9, 3}), 2);
  // Same sum, different multiset: a different triple.
  EXPECT_EQ(table.insert({5, 5, 5}), 3);
  EXPECT_EQ(table.insert({4, 4, 9}), 4);
  EXPECT_EQ(table.find({4, 9, 9}), 0);
}

TEST(HashedIndexTable, PointersAreNumberedByAddress) {
  std::vector<double> objects(100);
  gridlume::PointerTable table;
  ASSERT_EQ(table.create(16, 10), 0);
  for (std::int32_t i = 0; i < 100; ++i) EXPECT_EQ(table.insert(&objects[i]), i + 1);
  for (std::int32_t i = 0; i < 100; ++i) EXPECT_EQ(table.find(&objects[i]), i + 1);
  EXPECT_EQ(table.find(&table), 0);
}

TEST(HashedIndexTable, GrowsByASeventeenthWithAFloorOf21AndSetsByAThird) {
  EXPECT_EQ(capacity_after_overflow<IntegerTable>(0), 21);
  EXPECT_EQ(capacity_after_overflow<IntegerTable>(21), 42);
  EXPECT_EQ(capacity_after_overflow<IntegerTable>(374), 374 + 22);
  EXPECT_EQ(capacity_after_overflow<IntegerTable>(1700), 1800);
  EXPECT_EQ(capacity_after_overflow<IntegerSet>(30), 51);
  EXPECT_EQ(capacity_after_overflow<IntegerSet>(90), 120);
}

TEST(HashedIndexTable, RehashKeepsNumbersAndChainsRunFromHighestToLowest) {
  IntegerTable table;
  ASSERT_EQ(table.create(3, 50), 0);
  for (std::int32_t key = 0; key < 40; ++key) EXPECT_EQ(table.insert(key * 11), key + 1);
  ASSERT_EQ(table.rehash(17), 0);
  EXPECT_EQ(table.bucket_count(), 17);
  for (std::int32_t key = 0; key < 40; ++key) EXPECT_EQ(table.find(key * 11), key + 1);
  for (std::int32_t bucket = 0; bucket < 17; ++bucket)
    for (std::int32_t k = table.head(bucket); k != 0 && table.next(k) != 0; k = table.next(k))
      EXPECT_GT(k, table.next(k));
  // A rehash to more buckets than keys fit grows the capacity with it.
  ASSERT_EQ(table.rehash(80), 0);
  EXPECT_EQ(table.capacity(), 80);
  EXPECT_EQ(table.insert(11 * 39), 40);
  EXPECT_EQ(table.insert(-1), 41);
}

TEST(HashedIndexTable, RehashToZeroStopsAnsweringUntilRehashedAgain) {
  IntegerTable table;
  ASSERT_EQ(table.create(4, 4), 0);
  table.insert(10);
  table.insert(20);
  ASSERT_EQ(table.rehash(0), 0);
  EXPECT_EQ(table.bucket_count(), 0);
  EXPECT_EQ(table.insert(30), 0);
  EXPECT_EQ(table.find(10), 0);
  EXPECT_EQ(table.count(), 2);
  EXPECT_EQ(table.key(2), 20);
  ASSERT_EQ(table.rehash(3), 0);
  EXPECT_EQ(table.find(20), 2);
  EXPECT_EQ(table.insert(30), 3);
}

TEST(HashedIndexTable, AutomaticRehashDoublesBucketsPastTheLoadFactor) {
  IntegerTable table;
  ASSERT_EQ(table.create(2, 100), 0);
  for (std::int32_t key = 1; key <= 3; ++key) table.insert(key);
  EXPECT_EQ(table.bucket_count(), 2);  // off by default
  table.set_automatic_rehash(true, 1.0);
  // 3 / 2 exceeds 1.0 before key 4, 4 / 4 does not before key 5.
  for (auto [key, buckets] : {std::pair{4, 4}, {5, 4}, {6, 8}}) {
    EXPECT_EQ(table.insert(key), key);
    EXPECT_EQ(table.bucket_count(), buckets) << "after key " << key;
  }
  for (std::int32_t key = 1; key <= 6; ++key) EXPECT_EQ(table.find(key), key);
}

TEST(HashedIndexTable, InsertionIntoAKnownBucketFindsTheBucketAgainAfterAnAutomaticRehash) {
  VertexPairTable table;
  ASSERT_EQ(table.create(3, 100), 0);
  table.set_automatic_rehash(true, 1.0);
  for (std::int32_t a = 1; a <= 20; ++a) {
    const VertexPairTable::Key key = {a, a + 7};
    // The bucket as the table is before the insertion, which may rehash.
    EXPECT_EQ(table.insert(key, table.bucket_of(key)), a);
    EXPECT_EQ(table.insert({a + 7, a}, table.bucket_of(key)), a);
  }
  EXPECT_GT(table.bucket_count(), 3);
  for (std::int32_t a = 1; a <= 20; ++a) EXPECT_EQ(table.find({a + 7, a}), a);
}

TEST(HashedIndexTable, ResizeRefusesToDropKeysAndCreateRefusesNoBuckets) {
  IntegerTable table;
  EXPECT_EQ(table.create(0, 5), -1);
  EXPECT_EQ(table.insert(1), 0);
  ASSERT_EQ(table.create(2, 5), 0);
  for (std::int32_t key = 1; key <= 5; ++key) table.insert(key);
  EXPECT_EQ(table.resize(0, 4), -1);
  EXPECT_EQ(table.resize(0, 9), 0);
  EXPECT_EQ(table.capacity(), 9);
  EXPECT_EQ(table.find(5), 5);
}

TEST(HashedIndexTable, CopyHasTheSameNumbers) {
  gridlume::VertexPairTable table;
  ASSERT_EQ(table.create(3, 2), 0);
  for (std::int32_t v = 1; v <= 30; ++v) table.insert({v, v + 1});
  gridlume::VertexPairTable copy;
  ASSERT_EQ(copy.copy_from(table), 0);
  for (std::int32_t v = 1; v <= 30; ++v) EXPECT_EQ(copy.find({v + 1, v}), v);
  EXPECT_EQ(copy.capacity(), table.capacity());
}

TEST(HashedIndexTable, MemoryFailureLeavesTheTableUsable) {
  for_each_allocation_failure([](AllocationFailure &failure) {
    IntegerTable table;
    failure.arm();
    int status = table.create(4, 21);
    failure.disarm();
    if (failure.happened()) {
      EXPECT_EQ(status, -5);
      EXPECT_EQ(table.insert(1), 0);
      return;
    }
    for (std::int32_t key = 1; key <= 21; ++key) table.insert(key);
    failure.arm();
    std::int32_t grown = table.insert(22);
    failure.disarm();
    EXPECT_EQ(grown, failure.happened() ? 0 : 22);
    EXPECT_EQ(table.capacity(), failure.happened() ? 21 : 42);
    for (std::int32_t key = 1; key <= 21; ++key) EXPECT_EQ(table.find(key), key);
  });
  for_each_allocation_failure([](AllocationFailure &failure) {
    IntegerTable table, copy;
    ASSERT_EQ(table.create(4, 10), 0);
    for (std::int32_t key = 1; key <= 10; ++key) table.insert(key);
    failure.arm();
    int rehashed = table.rehash(40);
    int copied = copy.copy_from(table);
    failure.disarm();
    if (failure.happened()) { EXPECT_TRUE(rehashed == -5 || copied == -5); }
    for (std::int32_t key = 1; key <= 10; ++key) EXPECT_EQ(table.find(key), key);
    if (copied == 0) { EXPECT_EQ(copy.find(10), 10); }
  });
}

TEST(IntegerSet, KeepsFirstInsertionOrder) {
  IntegerSet set;
  ASSERT_EQ(set.create(1, 0), 0);
  for (std::int32_t value : {8, 3, 8, -3, 3}) set.insert(value);
  ASSERT_EQ(set.count(), 3);
  EXPECT_EQ(set.key(1), 8);
  EXPECT_EQ(set.key(2), 3);
  EXPECT_EQ(set.key(3), -3);
  EXPECT_TRUE(set.contains(-3));
  EXPECT_FALSE(set.contains(4));
}

TEST(IntegerStack, PushDoublesAFullListWithZeroedSlotsAndCopiesKeepCapacity) {
  IntegerStack stack;
  ASSERT_EQ(stack.create(11), 0);
  for (std::int32_t value = 1; value <= 11; ++value) EXPECT_EQ(stack.push(value), value);
  EXPECT_EQ(stack.capacity(), 11);
  EXPECT_EQ(stack.push(12), 12);
  EXPECT_EQ(stack.capacity(), 22);
  EXPECT_EQ(stack.data()[12], 0);
  EXPECT_EQ(stack.pop(), 12);
  EXPECT_EQ(stack.count(), 11);
  IntegerStack copy;
  ASSERT_EQ(copy.copy_from(stack), 0);
  EXPECT_EQ(copy.capacity(), 22);
  ASSERT_EQ(copy.count(), 11);
  for (std::int32_t i = 0; i < 11; ++i) EXPECT_EQ(copy[i], i + 1);

  IntegerStack empty;
  ASSERT_EQ(empty.create(0), 0);
  EXPECT_EQ(empty.push(4), 1);
  EXPECT_EQ(empty.push(5), 2);
  EXPECT_EQ(empty.capacity(), 2);
}

TEST(IntegerStack, MemoryFailureAnswersZeroAndKeepsTheList) {
  for_each_allocation_failure([](AllocationFailure &failure) {
    IntegerStack stack, copy;
    failure.arm();
    int created = stack.create(2);
    std::int32_t pushed = -1;
    for (std::int32_t value = 1; created == 0 && value <= 3; ++value) pushed = stack.push(value);
    int copied = created == 0 && pushed == 3 ? copy.copy_from(stack) : 0;
    failure.disarm();
    if (created != 0) {
      EXPECT_EQ(created, -5);
      return;
    }
    if (pushed == 0) {
      EXPECT_EQ(stack.count(), 2);
      EXPECT_EQ(stack.capacity(), 2);
      EXPECT_EQ(stack[1], 2);
    }
    if (copied != 0) {
      EXPECT_EQ(copied, -5);
      EXPECT_EQ(copy.count(), 0);
    }
  });
}
