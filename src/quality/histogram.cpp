// The histogram writer of the statistics reports.
#include "quality/histogram.hpp"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

#include "core/allocator.hpp"
#include "gridlume/common.h"

namespace gridlume::statistics {

namespace {

// Appends printf-style text at `length`, never past `capacity`.
class TextWriter {
 public:
  TextWriter(char *text, std::size_t capacity) : text_(text), capacity_(capacity) {
    if (capacity_ > 0) text_[0] = '\0';
  }
  void append(const char *format, ...) __attribute__((format(printf, 2, 3))) {
    if (length_ + 1 >= capacity_) return;
    va_list arguments;
    va_start(arguments, format);
    const int written = std::vsnprintf(text_ + length_, capacity_ - length_, format, arguments);
    va_end(arguments);
    if (written > 0) length_ = std::min(length_ + static_cast<std::size_t>(written), capacity_ - 1);
  }

 private:
  char *text_;
  std::size_t capacity_;
  std::size_t length_ = 0;
};

double percent(int bin_count, std::size_t value_count) {
  return 100.0 * bin_count / static_cast<double>(value_count);
}

}  // namespace

void count_bins(std::span<const double> values, std::span<const double> thresholds,
                int *counts) noexcept {
  const BinCounter counter(thresholds, nullptr);
  for (const double x : values) {
    const std::size_t bin = counter.bin_of(x);
    if (bin <= thresholds.size()) ++counts[bin];  // a NaN is counted nowhere
  }
}

int write_histogram(std::span<const double> values, std::span<const double> thresholds,
                    const char *key_label, char *text, std::size_t capacity) noexcept {
  int *counts = static_cast<int *>(gridlume_calloc(thresholds.size() + 1, sizeof(int)));
  if (counts == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
  count_bins(values, thresholds, counts);
  write_histogram_text(counts, values.size(), thresholds, key_label, text, capacity);
  gridlume_free(counts);
  return GRIDLUME_STATUS_OK;
}

void write_histogram_text(const int *counts, std::size_t value_count,
                          std::span<const double> thresholds, const char *key_label, char *text,
                          std::size_t capacity) noexcept {
  const int m = static_cast<int>(thresholds.size());
  const double *t = thresholds.data();
  const int lower = counts[0], upper = counts[m];
  const std::size_t n = value_count;
  TextWriter writer(text, capacity);
  if (key_label == nullptr) {
    writer.append("     histogram:\n");
    if (lower > 0)
      writer.append("        [-inf , %.3e[:  %.2f%%    (%d)\n", t[0], percent(lower, n), lower);
    for (int k = 1; k < m; ++k)
      writer.append("        [%.3e , %.3e[:  %.2f%%    (%d)\n", t[k - 1], t[k],
                    percent(counts[k], n), counts[k]);
    if (upper > 0)
      writer.append("        [%.3e , inf[:  %.2f%%    (%d)\n", t[m - 1], percent(upper, n), upper);
  } else {
    const char *label = key_label;
    // The last threshold is implied by the upper bin's index and not listed.
    for (int d = 1; d < m; ++d) writer.append("%s.histogram.threshold.%d = %e\n", label, d, t[d - 1]);
    if (lower > 0) writer.append("%s.histogram.count.0 = %d\n", label, lower);
    for (int d = 1; d < m; ++d) writer.append("%s.histogram.count.%d = %d\n", label, d, counts[d]);
    if (upper > 0) writer.append("%s.histogram.count.%d = %d\n", label, m, upper);
    if (lower > 0) writer.append("%s.histogram.percent.0 = %e\n", label, percent(lower, n));
    for (int d = 1; d < m; ++d)
      writer.append("%s.histogram.percent.%d = %e\n", label, d, percent(counts[d], n));
    if (upper > 0) writer.append("%s.histogram.percent.%d = %e\n", label, m, percent(upper, n));
  }
}

}  // namespace gridlume::statistics
