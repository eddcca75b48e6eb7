// The statistics engine shared by every measure report: one pass over the
// elements accumulates minimum, maximum, sum, running mean and population
// variance, a summary goes out in the report's style, then the histogram.
//
// A source of values describes what is measured:
//
//   struct Source {
//     static constexpr int values_per_element, vertices_per_element;
//     void measure(int element, double *values) const;   // element 1..count
//     void vertices(int element, int *vertices) const;   // for the extremes
//   };
//
// A source of one value per element may also measure elements by batches
// (see element_batch_kernels.hpp), which the engine then prefers:
//
//     using Batch = ...;                      // what one batch reads
//     static constexpr int batch_size;
//     // reads elements first..first+used-1 (used >= 1)
//     void read_batch(int first, int used, Batch &batch) const;
//     // their values, in values[0..used-1]
//     void measure_batch(const Batch &batch, double (&values)[batch_size]) const;
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <span>

#include "gridlume/common.h"
#include "gridlume/context.h"
#include "quality/histogram.hpp"

namespace gridlume::statistics {

inline constexpr double positive_infinity = std::numeric_limits<double>::infinity();
// Labels (a title or a formatted key) are cut to this many characters.
inline constexpr std::size_t label_capacity = 256;
// The human summary of one report is built in a buffer of this size.
inline constexpr std::size_t summary_capacity = 1024;
// A spread max - min below this makes the histogram a single value.
inline constexpr double single_value_spread = 1e-9;
// The histogram text buffer holds (label length + this) characters per line
// of m + 3 lines.
inline constexpr std::size_t histogram_line_room = 1024;
// Statistics lines go out as information messages.
inline constexpr int report_message_code = 0;

// The running statistics of one report, updated value by value.
struct Accumulator {
  // A batch of values counts from n + 1 on without overflowing.
  template <int batch_size>
  static constexpr int max_count_before_batch = std::numeric_limits<int>::max() - batch_size;

  int count = 0;
  double min = positive_infinity;
  int min_element = 0;  // first element reaching the minimum, 0 before any
  double max = -positive_infinity;
  int max_element = 0;
  double sum = 0.0;
  double mean = 0.0;
  double variance = 0.0;  // population variance

  // With n values, the mean and variance follow
  //   mean'     = ((n - 1) mean + x) / n
  //   variance' = ((n - 1)/n) (variance + (mean - mean')^2) + (x - mean')^2 / n
  // and once the mean or the variance is not below +infinity both stay
  // +infinity. For finite values these are computed in the identical form
  //   mean' = mean + d/n,  variance' = (1 - 1/n) (variance + d^2/n),  d = x - mean
  // which takes one division instead of five and keeps the variance of equal
  // values exactly 0; anything not finite takes the recurrence as written, so
  // that an infinite value leaves the variance it gives (NaN at that value,
  // +infinity from the next one on).
  // The sum and the extremes; the first element reaching an extreme keeps it.
  [[gnu::always_inline]] void take_sum_and_extremes(double x, int element) noexcept {
    sum += x;
    if (x < min) {
      min = x;
      min_element = element;
    }
    if (x > max) {
      max = x;
      max_element = element;
    }
  }

  [[gnu::always_inline]] void add(double x, int element) noexcept {
    take_sum_and_extremes(x, element);
    const int n = count + 1;
    count = n;
    const double values = n;
    if (n == 1) {
      mean = 0.0 + x;  // ((n - 1) mean)/n + x/n with n = 1 (so -0 gives +0); variance stays 0
      return;
    }
    if (std::isfinite(x) && std::isfinite(mean) && std::isfinite(variance)) [[likely]] {
      const double reciprocal = 1.0 / values;
      const double deviation = x - mean;
      mean += deviation * reciprocal;
      variance = (1.0 - reciprocal) * (variance + deviation * deviation * reciprocal);
      return;
    }
    const MeanAndVariance next = not_finite_step(x, values, mean, variance);
    mean = next.mean;
    variance = next.variance;
  }

  // The first `used` values of a batch, for elements first_element onwards,
  // with the results of add() value by value. When the whole batch and the
  // running mean and variance are finite, the reciprocals 1/n are taken
  // together (packed divisions) and the finiteness tests once for the batch:
  // a mean or variance that overflows to infinity or NaN stays so, so finite
  // results at the end mean every step was finite; otherwise the batch is
  // taken again value by value from where it started.
  template <int batch_size>
  [[gnu::always_inline]] void add_batch(const double (&values)[batch_size], int used,
                                        int first_element) noexcept {
    if (used == batch_size && count > 0 && count <= max_count_before_batch<batch_size>) {
      // n + k is exact in a double. Kept a loop (not unrolled into eight
      // scalar divisions) so that the divisions are packed.
      const double next_count = static_cast<double>(count) + 1.0;
      double reciprocals[batch_size];
#pragma GCC unroll 1
      for (int k = 0; k < batch_size; ++k) reciprocals[k] = 1.0 / (next_count + k);
      bool finite = std::isfinite(mean) && std::isfinite(variance);
      for (int k = 0; k < batch_size; ++k) finite &= std::isfinite(values[k]);
      if (finite) {
        const Accumulator start = *this;
        for (int k = 0; k < batch_size; ++k) {
          const double x = values[k];
          take_sum_and_extremes(x, first_element + k);
          const double deviation = x - mean;
          mean += deviation * reciprocals[k];
          variance = (1.0 - reciprocals[k]) * (variance + deviation * deviation * reciprocals[k]);
        }
        count += batch_size;
        if (std::isfinite(mean) && std::isfinite(variance)) [[likely]]
          return;
        *this = start;
      }
    }
    // Once the mean or the variance is not below +infinity, both become
    // +infinity at the next value and stay so for any value but NaN and
    // -infinity (which make the mean NaN until the value after): only the
    // sum and the extremes change.
    if (count > 0 && !(variance < positive_infinity && mean < positive_infinity)) {
      bool stays_infinite = true;
      for (int k = 0; k < used; ++k) stays_infinite &= values[k] > -positive_infinity;
      if (stays_infinite) {
        for (int k = 0; k < used; ++k) {
          const double x = values[k];
          take_sum_and_extremes(x, first_element + k);
        }
        count += used;
        mean = positive_infinity;
        variance = positive_infinity;
        return;
      }
    }
    for (int k = 0; k < used; ++k) add(values[k], first_element + k);
  }

 private:
  struct MeanAndVariance {
    double mean, variance;
  };
  // By value, so that an accumulator held in registers stays there.
  static MeanAndVariance not_finite_step(double x, double values, double mean,
                                         double variance) noexcept;
};

// How one report is printed.
struct ReportRequest {
  const char *label;  // display name, or key under the caller's prefix
  bool key_style;
  bool print_sum;
  std::span<const double> thresholds;  // empty: no histogram
};

// Buffers of one report, released when it ends.
class ReportBuffers {
 public:
  ReportBuffers() = default;
  ReportBuffers(const ReportBuffers &) = delete;
  ReportBuffers &operator=(const ReportBuffers &) = delete;
  ~ReportBuffers();
  // The histogram text buffer; 0 or -5.
  int allocate_text(const ReportRequest &request) noexcept;
  // The zeroed bin counters of the request's thresholds; 0 or -5.
  int allocate_bins(const ReportRequest &request) noexcept;
  char *text = nullptr;
  std::size_t text_capacity = 0;
  int *bins = nullptr;  // as BinCounter counts them
};

// Whether the report has a histogram beyond a single value.
inline bool needs_histogram(const ReportRequest &request, const Accumulator &accumulator) {
  return !request.thresholds.empty() && accumulator.max - accumulator.min > single_value_spread;
}

// Sends the summary: the key-style lines, or the human block with the
// vertices of the extreme elements (`vertex_count` each).
void send_summary(gridlume_context *context, const ReportRequest &request,
                  const Accumulator &accumulator, const int *min_vertices,
                  const int *max_vertices, int vertex_count) noexcept;

// Writes and sends the histogram of the counted bins over `value_count`
// values.
void send_histogram(gridlume_context *context, const ReportRequest &request,
                    std::size_t value_count, ReportBuffers &buffers) noexcept;

template <class Source>
concept BatchSource =
    Source::values_per_element == 1 &&
    requires(const Source &source, typename Source::Batch &batch,
             double (&values)[Source::batch_size]) {
      source.read_batch(1, 1, batch);
      source.measure_batch(batch, values);
    };

// One pass over elements 1..count of the source, feeding the accumulator
// and, when there is one, the bin counter.
template <class Source>
void accumulate(const Source &source, int count, Accumulator &result,
                BinCounter *bins) noexcept {
  // A local copy whose address is never taken lives in registers, although
  // the loop calls the mesh's accessors.
  Accumulator accumulator = result;
  if constexpr (BatchSource<Source>) {
    constexpr int batch_size = Source::batch_size;
    auto used_from = [count](long long first) {
      return static_cast<int>(std::min<long long>(batch_size, count - first + 1));
    };
    // Each batch is read one batch ahead of its measure: the corners stored
    // while reading reach the cache before the measure loads them several at
    // a time (a wide load that spans pending narrower stores waits for
    // them).
    typename Source::Batch batches[2];
    int current = 0;
    if (count >= 1) source.read_batch(1, used_from(1), batches[0]);
    for (long long first = 1; first <= count; first += batch_size) {
      const long long next = first + batch_size;
      if (next <= count) source.read_batch(static_cast<int>(next), used_from(next), batches[current ^ 1]);
      double values[batch_size];
      source.measure_batch(batches[current], values);
      current ^= 1;
      const int used = used_from(first);
      // In element order: the extremes keep their first element and the
      // running statistics their exact sequence.
      accumulator.add_batch(values, used, static_cast<int>(first));
      if (bins != nullptr) bins->add_batch(values, used);
    }
  } else {
    constexpr int per_element = Source::values_per_element;
    for (int element = 1; element <= count; ++element) {
      double values[per_element];
      source.measure(element, values);
      for (int k = 0; k < per_element; ++k) {
        accumulator.add(values[k], element);
        if (bins != nullptr) bins->add(values[k]);
      }
    }
  }
  result = accumulator;
}

// Runs a whole report over elements 1..count of the source. 0, or -5 when
// memory fails (nothing sent when the text buffer could not be had; the
// summary only when the bin counters could not).
//
// The bins are counted in the pass that makes the summary whenever their
// counters can be allocated beforehand, so each element is measured once and
// no value is kept; only when they cannot are they asked for again after the
// summary, and the values measured a second time. Counting bins that turn
// out not to be printed (a single value) costs less than a second pass.
template <class Source>
int run_statistics(gridlume_context *context, const Source &source, int count,
                   const ReportRequest &request) noexcept {
  constexpr int per_element = Source::values_per_element;
  constexpr int vertex_count = Source::vertices_per_element;
  ReportBuffers buffers;
  if (buffers.allocate_text(request) != GRIDLUME_STATUS_OK) return GRIDLUME_STATUS_NO_MEMORY;
  if (!request.thresholds.empty()) buffers.allocate_bins(request);

  Accumulator accumulator;
  if (buffers.bins != nullptr) {
    BinCounter bins(request.thresholds, buffers.bins);
    accumulate(source, count, accumulator, &bins);
    bins.fold();
  } else {
    accumulate(source, count, accumulator, nullptr);
  }

  int min_vertices[vertex_count] = {}, max_vertices[vertex_count] = {};
  if (!request.key_style) {
    if (accumulator.min_element != 0) source.vertices(accumulator.min_element, min_vertices);
    if (accumulator.max_element != 0) source.vertices(accumulator.max_element, max_vertices);
  }
  send_summary(context, request, accumulator, min_vertices, max_vertices, vertex_count);
  if (!needs_histogram(request, accumulator)) return GRIDLUME_STATUS_OK;

  if (buffers.bins == nullptr) {
    if (buffers.allocate_bins(request) != GRIDLUME_STATUS_OK) return GRIDLUME_STATUS_NO_MEMORY;
    BinCounter bins(request.thresholds, buffers.bins);
    for (int element = 1; element <= count; ++element) {
      double values[per_element];
      source.measure(element, values);
      for (const double x : values) bins.add(x);
    }
    bins.fold();
  }
  send_histogram(context, request, static_cast<std::size_t>(count) * per_element, buffers);
  return GRIDLUME_STATUS_OK;
}

}  // namespace gridlume::statistics
