// Histograms of report values over ascending thresholds t[0] < ... < t[m-1]:
// a lower bin x < t[0], inner bins t[k-1] <= x < t[k] and an upper bin
// x >= t[m-1]. A NaN falls in no bin but still counts in the sample size.
#pragma once

#include <array>
#include <cstddef>
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

// Bin counts: index 0 the lower bin, k = 1..m-1 the inner bin ending at
// t[k], m the upper bin. `counts` holds m + 1 entries and is added to.
void count_bins(std::span<const double> values, std::span<const double> thresholds,
                int *counts) noexcept;

// Writes the histogram text into `text` (NUL-terminated, cut at `capacity`):
// the human style when `key_label` is NULL, else the key style under that
// label. 0, or -5 when the bin counters cannot be allocated.
int write_histogram(std::span<const double> values, std::span<const double> thresholds,
                    const char *key_label, char *text, std::size_t capacity) noexcept;

}  // namespace gridlume::statistics
