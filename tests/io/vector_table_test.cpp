// The table of distinct vectors behind the shared "Normals" and "Tangents".
#include <gtest/gtest.h>

#include <cmath>
#include <new>

#include "io/vector_table.hpp"
#include "support/allocation_failure.hpp"

using gridlume::VectorTable;

namespace {

TEST(VectorTable, equal_vectors_share_a_number_in_order_of_first_insertion) {
  VectorTable table(2);
  const double a[3] = {0, 0, 1}, b[3] = {0, -0.0, -1}, b_again[3] = {-0.0, 0, -1};
  EXPECT_EQ(table.insert(a), 1);
  EXPECT_EQ(table.insert(b), 2);
  EXPECT_EQ(table.insert(a), 1);
  // -0 equals 0: the same vector, whatever the sign of its zeros.
  EXPECT_EQ(table.insert(b_again), 2);
  EXPECT_EQ(table.size(), 2);
  EXPECT_EQ(table[2][2], -1.0);
}

TEST(VectorTable, growing_far_past_its_initial_size_keeps_every_number) {
  VectorTable table(2);
  for (int i = 0; i < 5000; ++i) {
    const double v[3] = {std::sin(i * 0.7), std::cos(i * 1.3), i * 1e-3};
    ASSERT_EQ(table.insert(v), i + 1);
  }
  for (int i = 0; i < 5000; i += 37) {
    const double v[3] = {std::sin(i * 0.7), std::cos(i * 1.3), i * 1e-3};
    EXPECT_EQ(table.insert(v), i + 1);
  }
  EXPECT_EQ(table.size(), 5000);
}

TEST(VectorTable, a_failing_allocation_leaves_the_table_unchanged) {
  gridlume_test::for_each_allocation_failure([](gridlume_test::AllocationFailure &failure) {
    try {
      VectorTable table(4);
      failure.arm();
      int inserted = 0;
      try {
        for (int i = 0; i < 100; ++i) {
          const double v[3] = {double(i), 1, 2};
          table.insert(v);
          ++inserted;
        }
      } catch (const std::bad_alloc &) {
      }
      failure.disarm();
      EXPECT_EQ(table.size(), inserted);
    } catch (const std::bad_alloc &) {
    }
  });
}

}  // namespace
