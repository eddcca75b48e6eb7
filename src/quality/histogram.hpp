// Histograms of report values over ascending thresholds t[0] < ... < t[m-1]:
// a lower bin x < t[0], inner bins t[k-1] <= x < t[k] and an upper bin
// x >= t[m-1]. A NaN falls in no bin but still counts in the sample size.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <limits>
#include <span>

namespace gridlume::statistics {

// The default threshold sets of the measures.
inline constexpr std::array<double, 8> aspect_ratio_thresholds = {1, 1.5, 2, 3, 4, 5, 10, 100};
inline constexpr std::array<double, 10> tetrahedron_aspect_ratio_thresholds = {
    1, 1.5, 2, 3, 4, 5, 10, 100, 1000, 10000};
inline constexpr std::array<double, 9> unit_interval_thresholds = {
    0, 0.01, 0.1, 0.2, 0.25, 1.0 / 3.0, 0.5, 2.0 / 3.0, 1};
inline constexpr std::array<double, 13> angle_thresholds = {0,  15,  30,  45,  60,  75, 90,
                                                            105, 120, 135, 150, 165, 180};
inline constexpr std::array<double, 7> skew_thresholds = {0, 0.1, 0.25, 0.5, 0.75, 0.9, 1};

// Counts values into the bins as they come: index 0 the lower bin, k =
// 1..m-1 the inner bin ending at t[k], m the upper bin, and m + 1 for NaN
// (counted nowhere).
//
// A value's bin is the number of thresholds at or below it, found by a
// binary search without branches over the thresholds padded with NaN to a
// power of two (no value is at or above a NaN): four or five steps of a
// compare and a select, whose cost does not depend on how the values spread
// over the bins. Beyond the padded size, a plain binary search.
//
// The counts are kept in `bin_counter_rows` rows of m + 2 counters, lane k
// of a batch counting in row k: values of one batch mostly fall in the same
// bin, and increments of one counter would wait for each other. fold() adds
// the rows into the first.
inline constexpr std::size_t bin_counter_rows = 8;

class BinCounter {
 public:
  // The zeroed counters the counter needs for m thresholds.
  static constexpr std::size_t storage_size(std::size_t m) { return bin_counter_rows * (m + 2); }

  BinCounter(std::span<const double> thresholds, int *counts) noexcept
      : thresholds_(thresholds.data()), m_(thresholds.size()), counts_(counts) {
    padded_size_ = m_ < short_search_size ? short_search_size
                   : m_ < long_search_size ? long_search_size
                                           : 0;
    for (std::size_t k = 0; k < padded_size_; ++k)
      padded_[k] = k < m_ ? thresholds_[k] : std::numeric_limits<double>::quiet_NaN();
  }

  // The counter index of x: m + 1 for a NaN.
  std::size_t bin_of(double x) const noexcept {
    std::size_t bin;
    if (padded_size_ == short_search_size)
      bin = padded_search<short_search_size>(x);
    else if (padded_size_ == long_search_size)
      bin = padded_search<long_search_size>(x);
    else
      bin = static_cast<std::size_t>(std::upper_bound(thresholds_, thresholds_ + m_, x) -
                                     thresholds_);
    return x != x ? m_ + 1 : bin;
  }
  void add(double x) noexcept { ++counts_[bin_of(x)]; }

  // The first `used` values of a batch.
  template <int batch_size>
  void add_batch(const double (&values)[batch_size], int used) noexcept {
    for (int lane = 0; lane < used; ++lane)
      ++counts_[static_cast<std::size_t>(lane) % bin_counter_rows * (m_ + 2) +
                bin_of(values[lane])];
  }

  // Adds every row into the first, which then holds the m + 1 bin counts as
  // count_bins gives them.
  void fold() noexcept {
    for (std::size_t row = 1; row < bin_counter_rows; ++row)
      for (std::size_t bin = 0; bin < m_ + 2; ++bin) counts_[bin] += counts_[row * (m_ + 2) + bin];
  }

 private:
  // Padded sizes: up to 15 thresholds take four steps, up to 31 five.
  static constexpr std::size_t short_search_size = 16;
  static constexpr std::size_t long_search_size = 32;

  // The number of padded thresholds at or below x.
  template <std::size_t size>
  std::size_t padded_search(double x) const noexcept {
    std::size_t bin = 0;
    for (std::size_t half = size / 2; half > 0; half /= 2)
      // A product, not a choice: compilers turn a conditional add into a
      // branch, which values spread over the bins would mispredict.
      bin += static_cast<std::size_t>(x >= padded_[bin + half - 1]) * half;
    return bin;
  }

  const double *thresholds_;
  std::size_t m_;
  int *counts_;
  std::size_t padded_size_;
  double padded_[long_search_size];
};

// Bin counts of `values`, added to `counts` (m + 1 entries: index 0 the
// lower bin, k = 1..m-1 the inner bin ending at t[k], m the upper bin).
void count_bins(std::span<const double> values, std::span<const double> thresholds,
                int *counts) noexcept;

// Writes the histogram text of bins counted over `value_count` values (m + 1
// counts as count_bins gives them) into `text` (NUL-terminated, cut at
// `capacity`): the human style when `key_label` is NULL, else the key style
// under that label.
void write_histogram_text(const int *counts, std::size_t value_count,
                          std::span<const double> thresholds, const char *key_label, char *text,
                          std::size_t capacity) noexcept;

// Counts the bins of `values` and writes their text as write_histogram_text
// does. 0, or -5 when the bin counters cannot be allocated.
int write_histogram(std::span<const double> values, std::span<const double> thresholds,
                    const char *key_label, char *text, std::size_t capacity) noexcept;

}  // namespace gridlume::statistics
