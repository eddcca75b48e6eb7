// Progress messages of long file operations: a percentage and the time
// spent, sent through a context when the percentage passes the next step or
// the next time step has come.
#pragma once

#include <cstdint>

#include "gridlume/context.h"

namespace gridlume {

// The message code of progress messages of the mesh reader.
inline constexpr int progress_message_code = 9011;
// Messages of this code (modulo 1000000, whatever the sign) carry only the
// percentage as real data; all others carry the percentage and the time spent.
inline constexpr int percentage_only_code = 9001;

struct ProgressReporter {
  gridlume_context *context;
  double next_percentage;
  double start_time;
  double next_time;
  std::int32_t percentage_step;
  std::int32_t time_step;
};

// A reporter for the context (null for a null context or when memory fails).
ProgressReporter *progress_reporter_new(gridlume_context *context, int percentage_step,
                                        int time_step) noexcept;
void progress_reporter_delete(ProgressReporter *reporter) noexcept;
// Reports when due: the percentage reached the next step, the next time
// came, 100 % was reached for the first time, or flags is negative. An odd
// flags value adds the estimated remaining time. A null label is "Progress".
void progress_report(ProgressReporter *reporter, int code, double percentage, const char *label,
                     int flags) noexcept;

// True when a report of this percentage and flags at time `now` (from
// progress_clock) would be sent, so that a caller with many reports to make
// at once can read the clock once for all of them.
bool progress_is_due(const ProgressReporter *reporter, double percentage, int flags,
                     double now) noexcept;

// Seconds on a monotonic clock.
double progress_clock() noexcept;

}  // namespace gridlume
