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

// The recurrence as the reports define it, five divisions per value.
Accumulator accumulate_by_definition(const std::vector<double> &values) {
  Accumulator a;
  for (double x : values) {
    const double n = a.count + 1;
    if (n > 1) {
      const double new_mean = ((n - 1) * a.mean + x) / n;
      a.variance = ((n - 1) / n) * (a.variance + (a.mean - new_mean) * (a.mean - new_mean)) +
                   (x - new_mean) * (x - new_mean) / n;
    }
    a.mean = ((n - 1) * a.mean) / n + x / n;
    ++a.count;
  }
  return a;
}

TEST(StatisticsAccumulator, TwoValuesGiveMeanVarianceSumAndExtremes) {
  const Accumulator a = accumulate({1.0, 3.0});
  EXPECT_EQ(a.count, 2);
  EXPECT_EQ(a.mean, 2.0);
  EXPECT_EQ(a.variance, 1.0);
  EXPECT_EQ(a.sum, 4.0);
  EXPECT_EQ(a.min, 1.0);
  EXPECT_EQ(a.min_element, 1);
  EXPECT_EQ(a.max, 3.0);
  EXPECT_EQ(a.max_element, 2);
}

TEST(StatisticsAccumulator, FirstElementWinsTiesOfTheExtremes) {
  const Accumulator a = accumulate({2.0, 1.0, 5.0, 1.0, 5.0});
  EXPECT_EQ(a.min_element, 2);
  EXPECT_EQ(a.max_element, 3);
}

TEST(StatisticsAccumulator, AgreesWithTheDefiningRecurrence) {
  std::vector<double> values;
  for (int k = 0; k < 100000; ++k) values.push_back(1.0 + (k % 977) * 1e-3 + (k % 13) * 0.25);
  const Accumulator fast = accumulate(values), defined = accumulate_by_definition(values);
  EXPECT_NEAR(fast.mean, defined.mean, 1e-12 * defined.mean);
  EXPECT_NEAR(fast.variance, defined.variance, 1e-9 * defined.variance);
}

TEST(StatisticsAccumulator, EqualValuesKeepAVarianceOfExactlyZero) {
  const Accumulator a = accumulate(std::vector<double>(1000000, 1.1));
  EXPECT_EQ(a.variance, 0.0);
  EXPECT_EQ(a.mean, 1.1);
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
}

TEST(StatisticsAccumulator, InfiniteFirstValueKeepsVarianceZeroThenInfinite) {
  Accumulator a = accumulate({infinity});
  EXPECT_EQ(a.mean, infinity);
  EXPECT_EQ(a.variance, 0.0);
  a.add(1.0, 2);
  EXPECT_EQ(a.mean, infinity);
  EXPECT_EQ(a.variance, infinity);
}

TEST(StatisticsAccumulator, OnlyInfiniteOrNaNValuesLeaveTheMinimumElementZero) {
  const Accumulator a = accumulate({infinity, std::nan("")});
  EXPECT_EQ(a.min_element, 0);
  EXPECT_EQ(a.max_element, 1);
}

// ---- Histogram ----------------------------------------------------------------

std::string histogram(const std::vector<double> &values, const std::vector<double> &thresholds,
                      const char *key_label) {
  std::vector<char> text(4096);
  EXPECT_EQ(write_histogram(values, thresholds, key_label, text.data(), text.size()), 0);
  return text.data();
}

const std::vector<double> example_values = {0.5, 1.0, 2.5, 3.0, 7.0};
const std::vector<double> example_thresholds = {1.0, 2.0, 3.0};

TEST(StatisticsHistogram, HumanStyleListsLowerInnerAndUpperBins) {
  EXPECT_EQ(histogram(example_values, example_thresholds, nullptr),
            "     histogram:\n"
            "        [-inf , 1.000e+00[:  20.00%    (1)\n"
            "        [1.000e+00 , 2.000e+00[:  20.00%    (1)\n"
            "        [2.000e+00 , 3.000e+00[:  20.00%    (1)\n"
            "        [3.000e+00 , inf[:  40.00%    (2)\n");
}

TEST(StatisticsHistogram, KeyStyleNumbersTheUpperBinByTheThresholdCount) {
  EXPECT_EQ(histogram(example_values, example_thresholds, "VALID.p.triangle.area"),
            "VALID.p.triangle.area.histogram.threshold.1 = 1.000000e+00\n"
            "VALID.p.triangle.area.histogram.threshold.2 = 2.000000e+00\n"
            "VALID.p.triangle.area.histogram.count.0 = 1\n"
            "VALID.p.triangle.area.histogram.count.1 = 1\n"
            "VALID.p.triangle.area.histogram.count.2 = 1\n"
            "VALID.p.triangle.area.histogram.count.3 = 2\n"
            "VALID.p.triangle.area.histogram.percent.0 = 2.000000e+01\n"
            "VALID.p.triangle.area.histogram.percent.1 = 2.000000e+01\n"
            "VALID.p.triangle.area.histogram.percent.2 = 2.000000e+01\n"
            "VALID.p.triangle.area.histogram.percent.3 = 4.000000e+01\n");
}

TEST(StatisticsHistogram, EmptyOuterBinsAreOmittedAndEmptyInnerBinsKept) {
  EXPECT_EQ(histogram({1.5, 1.7}, {1.0, 2.0, 3.0}, nullptr),
            "     histogram:\n"
            "        [1.000e+00 , 2.000e+00[:  100.00%    (2)\n"
            "        [2.000e+00 , 3.000e+00[:  0.00%    (0)\n");
}

TEST(StatisticsHistogram, SingleThresholdHasOnlyOuterBins) {
  EXPECT_EQ(histogram({0.0, 5.0, 6.0, 7.0}, {5.0}, nullptr),
            "     histogram:\n"
            "        [-inf , 5.000e+00[:  25.00%    (1)\n"
            "        [5.000e+00 , inf[:  75.00%    (3)\n");
  EXPECT_EQ(histogram({0.0, 5.0}, {5.0}, "k"),
            "k.histogram.count.0 = 1\nk.histogram.count.1 = 1\n"
            "k.histogram.percent.0 = 5.000000e+01\nk.histogram.percent.1 = 5.000000e+01\n");
}

TEST(StatisticsHistogram, BinsOfInfiniteAndNaNValues) {
  std::vector<int> counts(4, 0);
  const std::vector<double> values = {infinity, -infinity, std::nan(""), 2.0, 1.0};
  gridlume::statistics::count_bins(values, example_thresholds, counts.data());
  EXPECT_EQ(counts, (std::vector<int>{1, 1, 1, 1}));
}

TEST(StatisticsHistogram, ManyThresholdsFindTheSameBinsByBinarySearch) {
  std::vector<double> thresholds, values;
  for (int k = 0; k < 40; ++k) thresholds.push_back(k);
  for (int k = -2; k < 45; ++k) values.push_back(k + 0.5);
  values.push_back(10.0);  // on a threshold: the bin that starts at it
  std::vector<int> counts(41, 0);
  gridlume::statistics::count_bins(values, thresholds, counts.data());
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
