// The non-template half of the statistics engine: the infinite cases of the
// running statistics, the report buffers and the summary lines.
#include "quality/statistics_engine.hpp"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/allocator.hpp"
#include "quality/histogram.hpp"

namespace gridlume::statistics {

Accumulator::MeanAndVariance Accumulator::not_finite_step(double x, double values, double mean,
                                                          double variance) noexcept {
  if (variance < positive_infinity && mean < positive_infinity) {
    const double new_mean = ((values - 1.0) * mean + x) / values;
    const double mean_shift = mean - new_mean, deviation = x - new_mean;
    variance = ((values - 1.0) / values) * (variance + mean_shift * mean_shift) +
               deviation * deviation / values;
  } else {
    variance = positive_infinity;
    mean = positive_infinity;
  }
  mean = ((values - 1.0) * mean) / values + x / values;
  return {mean, variance};
}

ReportBuffers::~ReportBuffers() {
  gridlume_free(text);
  gridlume_free(bins);
}

int ReportBuffers::allocate_text(const ReportRequest &request) noexcept {
  const std::size_t lines = request.thresholds.size() + 3;
  text_capacity = (std::strlen(request.label) + histogram_line_room) * lines;
  text = allocate_array<char>(text_capacity);
  return text != nullptr ? GRIDLUME_STATUS_OK : GRIDLUME_STATUS_NO_MEMORY;
}

int ReportBuffers::allocate_bins(const ReportRequest &request) noexcept {
  bins = static_cast<int *>(
      gridlume_calloc(BinCounter::storage_size(request.thresholds.size()), sizeof(int)));
  return bins != nullptr ? GRIDLUME_STATUS_OK : GRIDLUME_STATUS_NO_MEMORY;
}

namespace {

void send_line(gridlume_context *context, const char *format, ...)
    __attribute__((format(printf, 2, 3)));
void send_line(gridlume_context *context, const char *format, ...) {
  char line[summary_capacity];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(line, sizeof line, format, arguments);
  va_end(arguments);
  gridlume_context_send_message(context, report_message_code, line);
}

void send_key_summary(gridlume_context *context, const ReportRequest &request,
                      const Accumulator &a) {
  const char *label = request.label;
  send_line(context, "%s.min = %e\n", label, a.min);
  send_line(context, "%s.max = %e\n", label, a.max);
  send_line(context, "%s.avg = %e\n", label, a.mean);
  send_line(context, "%s.var = %e\n", label, a.variance);
  if (request.print_sum) send_line(context, "%s.sum = %e\n", label, a.sum);
  send_line(context, "%s.count = %d\n", label, a.count);
  send_line(context, "%s.min_achieved = %d\n", label, a.min_element);
  send_line(context, "%s.max_achieved = %d\n", label, a.max_element);
  if (!request.thresholds.empty() && a.max - a.min < single_value_spread) {
    send_line(context, "%s.histogram.value = %.3e\n", label, a.min);
    send_line(context, "%s.histogram.percent = 100 %%\n", label);
  }
}

// Appends to a fixed buffer, cutting what does not fit.
void append(char *text, std::size_t &length, const char *format, ...)
    __attribute__((format(printf, 3, 4)));
void append(char *text, std::size_t &length, const char *format, ...) {
  if (length + 1 >= summary_capacity) return;
  va_list arguments;
  va_start(arguments, format);
  const int written = std::vsnprintf(text + length, summary_capacity - length, format, arguments);
  va_end(arguments);
  if (written > 0) length = std::min(length + static_cast<std::size_t>(written), summary_capacity - 1);
}

// An element with no value reached (every value +infinity or NaN leaves the
// minimum's element 0) lists no vertex.
void append_achieved(char *text, std::size_t &length, const char *which, int element,
                     const int *vertices, int vertex_count) {
  append(text, length, "     %s achieved for %d :", which, element);
  if (element != 0)
    for (int k = 0; k < vertex_count; ++k) append(text, length, " %d", vertices[k]);
  append(text, length, "\n");
}

void send_human_summary(gridlume_context *context, const ReportRequest &request,
                        const Accumulator &a, const int *min_vertices, const int *max_vertices,
                        int vertex_count) {
  char text[summary_capacity];
  std::size_t length = 0;
  if (request.print_sum)
    append(text, length,
           "  %s:\n     min         : %.3e\n     max         : %.3e\n     average     : %.3e\n"
           "     variance    : %.3e\n     sum         : %.3e\n     sample size : %d\n",
           request.label, a.min, a.max, a.mean, a.variance, a.sum, a.count);
  else
    append(text, length,
           "  %s:\n     min         : %.3e\n     max         : %.3e\n     average     : %.3e\n"
           "     variance    : %.3e\n     sample size : %d\n",
           request.label, a.min, a.max, a.mean, a.variance, a.count);
  append_achieved(text, length, "min", a.min_element, min_vertices, vertex_count);
  append_achieved(text, length, "max", a.max_element, max_vertices, vertex_count);
  if (!request.thresholds.empty() && a.max - a.min < single_value_spread)
    append(text, length, "     histogram : value = %.3e   :   100 %%\n", a.min);
  gridlume_context_send_message(context, report_message_code, text);
}

}  // namespace

void send_summary(gridlume_context *context, const ReportRequest &request,
                  const Accumulator &accumulator, const int *min_vertices,
                  const int *max_vertices, int vertex_count) noexcept {
  if (request.key_style)
    send_key_summary(context, request, accumulator);
  else
    send_human_summary(context, request, accumulator, min_vertices, max_vertices, vertex_count);
}

void send_histogram(gridlume_context *context, const ReportRequest &request,
                    std::size_t value_count, ReportBuffers &buffers) noexcept {
  write_histogram_text(buffers.bins, value_count, request.thresholds,
                       request.key_style ? request.label : nullptr, buffers.text,
                       buffers.text_capacity);
  gridlume_context_send_message(context, report_message_code, buffers.text);
}

}  // namespace gridlume::statistics
