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
#pragma once

#include <cmath>
#include <cstddef>
#include <limits>
#include <span>

#include "gridlume/common.h"
#include "gridlume/context.h"

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
  [[gnu::always_inline]] void add(double x, int element) noexcept {
    sum += x;
    if (x < min) {
      min = x;
      min_element = element;
    }
    if (x > max) {
      max = x;
      max_element = element;
    }
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
    add_not_finite(x, values);
  }

 private:
  void add_not_finite(double x, double values) noexcept;
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
  // The array of every value; 0 or -5.
  int allocate_values(std::size_t count) noexcept;
  char *text = nullptr;
  std::size_t text_capacity = 0;
  double *values = nullptr;
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

// Writes and sends the histogram of `values`; 0 or -5.
int send_histogram(gridlume_context *context, const ReportRequest &request,
                   std::span<const double> values, ReportBuffers &buffers) noexcept;

// One pass over elements first..last of the source, optionally storing every
// value at its place in `stored`.
template <class Source, bool store>
void accumulate(const Source &source, int first, int last, Accumulator &accumulator,
                double *stored) noexcept {
  constexpr int per_element = Source::values_per_element;
  for (int element = first; element <= last; ++element) {
    double values[per_element];
    source.measure(element, values);
    for (int k = 0; k < per_element; ++k) {
      accumulator.add(values[k], element);
      if constexpr (store) stored[static_cast<std::size_t>(element - 1) * per_element + k] = values[k];
    }
  }
}

// Runs a whole report over elements 1..count of the source. 0, or -5 when
// memory fails (nothing sent when the text buffer could not be had; the
// summary only when the array of values could not).
//
// The values are kept from the pass that makes the summary whenever their
// array can be allocated beforehand, so each element is measured once; only
// when it cannot is the array asked for again after the summary, and the
// values measured a second time.
template <class Source>
int run_statistics(gridlume_context *context, const Source &source, int count,
                   const ReportRequest &request) noexcept {
  constexpr int per_element = Source::values_per_element;
  constexpr int vertex_count = Source::vertices_per_element;
  ReportBuffers buffers;
  if (buffers.allocate_text(request) != GRIDLUME_STATUS_OK) return GRIDLUME_STATUS_NO_MEMORY;
  const std::size_t value_count = static_cast<std::size_t>(count) * per_element;
  if (!request.thresholds.empty()) buffers.allocate_values(value_count);

  Accumulator accumulator;
  if (buffers.values != nullptr)
    accumulate<Source, true>(source, 1, count, accumulator, buffers.values);
  else
    accumulate<Source, false>(source, 1, count, accumulator, nullptr);

  int min_vertices[vertex_count] = {}, max_vertices[vertex_count] = {};
  if (!request.key_style) {
    if (accumulator.min_element != 0) source.vertices(accumulator.min_element, min_vertices);
    if (accumulator.max_element != 0) source.vertices(accumulator.max_element, max_vertices);
  }
  send_summary(context, request, accumulator, min_vertices, max_vertices, vertex_count);
  if (!needs_histogram(request, accumulator)) return GRIDLUME_STATUS_OK;

  if (buffers.values == nullptr) {
    if (buffers.allocate_values(value_count) != GRIDLUME_STATUS_OK)
      return GRIDLUME_STATUS_NO_MEMORY;
    for (int element = 1; element <= count; ++element)
      source.measure(element, buffers.values + static_cast<std::size_t>(element - 1) * per_element);
  }
  return send_histogram(context, request, {buffers.values, value_count}, buffers);
}

}  // namespace gridlume::statistics
