// The statistics engine and the histogram writer on plain values: running
// mean and population variance with their infinite cases, extremes and their
// elements, bin counts and the exact histogram lines of both styles.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "quality/histogram.hpp"
#include "quality/statistics_engine.hpp"
#include "support/allocation_failure.hpp"

using gridlume::statistics::Accumulator;
using gridlume::statistics::write_histogram;

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

Accumulator accumulate(const std::vector<double> &values) {
  Accumulator accumulator;
  for (std::size_t k = 0; k < values.size(); ++k)
    accumulator.add(values[k], static_cast<int>(k) + 1);
  return accumulator;
}

TEST(StatisticsAccumulator, MomentsSumAndExtremesWithTheFirstElementWinningTies) {
  const Accumulator a = accumulate({2.0, 1.0, 5.0, 1.0, 5.0, 3.0});
  EXPECT_EQ(a.count, 6);
  EXPECT_EQ(a.sum, 17.0);
  EXPECT_EQ(a.min, 1.0);
  EXPECT_EQ(a.min_element, 2);
  EXPECT_EQ(a.max, 5.0);
  EXPECT_EQ(a.max_element, 3);
  const Accumulator b = accumulate({1.0, 3.0});
  EXPECT_EQ(b.mean, 2.0);
  EXPECT_EQ(b.variance, 1.0);
  std::vector<double> values;
  for (int k = 0; k < 100000; ++k) values.push_back(1.0 + (k % 977) * 1e-3 + (k % 13) * 0.25);
  Accumulator d;  // the recurrence as the reports define it, five divisions per value
  for (double x : values) {
    const double n = d.count + 1;
    if (n > 1) {
      const double new_mean = ((n - 1) * d.mean + x) / n;
      d.variance = ((n - 1) / n) * (d.variance + (d.mean - new_mean) * (d.mean - new_mean)) +
                   (x - new_mean) * (x - new_mean) / n;
    }
    d.mean = ((n - 1) * d.mean) / n + x / n;
    ++d.count;
  }
  const Accumulator fast = accumulate(values);
  EXPECT_NEAR(fast.mean, d.mean, 1e-12 * d.mean);
  EXPECT_NEAR(fast.variance, d.variance, 1e-9 * d.variance);
  const Accumulator equal = accumulate(std::vector<double>(1000000, 1.1));
  EXPECT_EQ(equal.variance, 0.0);  // exactly, not a rounding residue
  EXPECT_EQ(equal.mean, 1.1);
}

TEST(StatisticsAccumulator, InfiniteValueMakesMeanAndVarianceInfiniteFromTheNextValue) {
  Accumulator a = accumulate({1.0, 2.0, infinity});
  EXPECT_EQ(a.mean, infinity);
  EXPECT_TRUE(std::isnan(a.variance));  // infinity - infinity at the infinite value itself
  EXPECT_EQ(a.max, infinity);
  EXPECT_EQ(a.max_element, 3);
  a.add(4.0, 4);
  EXPECT_EQ(a.mean, infinity);
  EXPECT_EQ(a.variance, infinity);
  a.add(5.0, 5);
  EXPECT_EQ(a.variance, infinity);
  EXPECT_EQ(a.min, 1.0);
  EXPECT_EQ(a.count, 5);
  // An infinite first value keeps the variance zero, then infinite.
  Accumulator b = accumulate({infinity});
  EXPECT_EQ(b.mean, infinity);
  EXPECT_EQ(b.variance, 0.0);
  b.add(1.0, 2);
  EXPECT_EQ(b.mean, infinity);
  EXPECT_EQ(b.variance, infinity);
  // Only infinite or NaN values leave the minimum element zero.
  const Accumulator c = accumulate({infinity, std::nan("")});
  EXPECT_EQ(c.min_element, 0);
  EXPECT_EQ(c.max_element, 1);
}

// ---- Histogram ----------------------------------------------------------------

const std::vector<double> example_values = {0.5, 1.0, 2.5, 3.0, 7.0};
const std::vector<double> example_thresholds = {1.0, 2.0, 3.0};

// The bins of both styles with several thresholds are compared through the
// reports; these are the cases the reports do not reach.
TEST(StatisticsHistogram, EmptyOuterBinsAreOmittedAndASingleThresholdHasNoThresholdLine) {
  std::vector<char> text(4096);
  const std::vector<double> inner = {1.5, 1.7}, outer = {0.0, 5.0}, single = {5.0};
  EXPECT_EQ(write_histogram(inner, example_thresholds, nullptr, text.data(), text.size()), 0);
  EXPECT_STREQ(text.data(),
               "     histogram:\n"
               "        [1.000e+00 , 2.000e+00[:  100.00%    (2)\n"
               "        [2.000e+00 , 3.000e+00[:  0.00%    (0)\n");
  EXPECT_EQ(write_histogram(outer, single, "k", text.data(), text.size()), 0);
  EXPECT_STREQ(text.data(),
               "k.histogram.count.0 = 1\nk.histogram.count.1 = 1\n"
               "k.histogram.percent.0 = 5.000000e+01\nk.histogram.percent.1 = 5.000000e+01\n");
}

TEST(StatisticsHistogram, BinsOfInfiniteNaNAndManyThresholds) {
  std::vector<int> counts(4, 0);
  const std::vector<double> values = {infinity, -infinity, std::nan(""), 2.0, 1.0};
  gridlume::statistics::count_bins(values, example_thresholds, counts.data());
  EXPECT_EQ(counts, (std::vector<int>{1, 1, 1, 1}));
  // Many thresholds find the same bins by binary search.
  std::vector<double> thresholds, many;
  for (int k = 0; k < 40; ++k) thresholds.push_back(k);
  for (int k = -2; k < 45; ++k) many.push_back(k + 0.5);
  many.push_back(10.0);  // on a threshold: the bin that starts at it
  counts.assign(41, 0);
  gridlume::statistics::count_bins(many, thresholds, counts.data());
  EXPECT_EQ(counts[0], 2);
  EXPECT_EQ(counts[11], 2);
  EXPECT_EQ(counts[1], 1);
  EXPECT_EQ(counts[40], 6);
}

TEST(StatisticsHistogram, FailingCounterAllocationAnswersNoMemory) {
  gridlume_test::for_each_allocation_failure([](gridlume_test::AllocationFailure &failure) {
    std::vector<char> text(1024);
    failure.arm();
    const int status =
        write_histogram(example_values, example_thresholds, nullptr, text.data(), text.size());
    failure.disarm();
    EXPECT_EQ(status, failure.happened() ? GRIDLUME_STATUS_NO_MEMORY : GRIDLUME_STATUS_OK);
  });
}

}  // namespace
