#include "io/progress_reporter.hpp"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "core/allocator.hpp"

namespace gridlume {

namespace {

// The three times and the next percentage start here, so that the first
// report is always due.
constexpr double unset_time = -100.0;
constexpr int message_capacity = 4096;
constexpr int code_family_modulus = 1000000;
// The remaining time is estimated once more than this was spent and this
// percentage was passed.
constexpr double estimate_minimum_spent = 0.1;
constexpr double estimate_minimum_percentage = 5.0;
constexpr double full_percentage = 100.0;

// Rounds to the nearest multiple of step, one step less when that went more
// than 1 beyond the value.
double round_to_step(double value, int step) {
  if (step <= 0) return value;
  double rounded = std::round(value / step) * step;
  if (rounded > value + 1.0) rounded -= step;
  return rounded;
}

}  // namespace

double progress_clock() noexcept {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

ProgressReporter *progress_reporter_new(gridlume_context *context, int percentage_step,
                                        int time_step) noexcept {
  if (context == nullptr) return nullptr;
  auto *reporter = create<ProgressReporter>();
  if (reporter == nullptr) return nullptr;
  *reporter = {context, unset_time, unset_time, unset_time, percentage_step, time_step};
  return reporter;
}

void progress_reporter_delete(ProgressReporter *reporter) noexcept { destroy(reporter); }

bool progress_is_due(const ProgressReporter *reporter, double percentage, int flags,
                     double now) noexcept {
  return reporter != nullptr &&
         (percentage >= reporter->next_percentage || now >= reporter->next_time ||
          (percentage >= full_percentage && reporter->next_percentage < full_percentage) ||
          flags < 0);
}

void progress_report(ProgressReporter *reporter, int code, double percentage, const char *label,
                     int flags) noexcept {
  double now = progress_clock();
  if (reporter == nullptr) return;
  if (reporter->start_time < 0) reporter->start_time = now;
  if (!progress_is_due(reporter, percentage, flags, now)) return;
  double spent = std::round((now - reporter->start_time) * 1000.0) / 1000.0;
  if (label == nullptr) label = "Progress";
  char text[message_capacity];
  if (flags % 2 != 0 && spent > estimate_minimum_spent &&
      percentage > estimate_minimum_percentage) {
    double remaining = std::round((spent * 100.0 / percentage - spent) * 2.0) / 2.0;
    std::snprintf(text, sizeof text,
                  "%s : %.2lf%% (estimated elapse time: spent %4.3g s; left %4.3g s)\n", label,
                  percentage, spent, remaining);
  } else {
    std::snprintf(text, sizeof text, "%s : %.2lf%% (estimated time: spent %4.3g s)\n", label,
                  percentage, spent);
  }
  double reals[2] = {percentage, spent};
  int real_count = std::abs(code % code_family_modulus) == percentage_only_code ? 1 : 2;
  gridlume_context_send_message_with_data(reporter->context, code, nullptr, 0, reals, real_count,
                                          text);
  reporter->next_percentage =
      round_to_step(std::floor(percentage) + reporter->percentage_step, reporter->percentage_step);
  reporter->next_time =
      reporter->start_time + round_to_step(spent + reporter->time_step, reporter->time_step);
}

}  // namespace gridlume
