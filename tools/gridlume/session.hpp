// One run of a subcommand: the library context, with its messages routed the
// way a command-line tool answers. Report lines (code 0) go to standard output;
// errors (negative codes) and warnings to standard error; progress messages
// (code 9011) drive the progress bar on standard error.
#pragma once

#include <string>
#include <string_view>

#include "gridlume.h"
#include "progress_bar.hpp"

namespace gridlume_tool {

// The code of the library's progress messages.
inline constexpr int progress_message_code = 9011;

class Session {
 public:
  // `command` names the subcommand in the tool's own diagnostics.
  explicit Session(std::string_view command);
  ~Session();
  Session(const Session &) = delete;
  Session &operator=(const Session &) = delete;

  // NULL when memory was exhausted at start.
  gridlume_context *context() const { return context_; }
  bool progress_wanted() const { return progress_.enabled(); }
  // Erases the progress bar once a long operation is over, before results.
  void end_progress() { progress_.clear(); }
  // Whether the library has said something on standard error: an error, or
  // one of the failures it reports with a positive code (the writer's).
  bool diagnostic_reported() const { return diagnostic_reported_; }
  // Number of error messages (negative codes) the library has sent.
  long error_count() const { return error_count_; }
  // Number of report lines (messages of code 0) written to standard output.
  long report_count() const { return report_count_; }

  // Prints "gridlume <command>: <text>" on standard error and returns 1; used
  // where the library has not already said what went wrong.
  int fail(std::string_view text);
  // As fail() when no error message came from the library, else just 1.
  int fail_unless_reported(std::string_view text);

 private:
  static int on_message(gridlume_message *message, void *user_data);

  std::string command_;
  gridlume_context *context_ = nullptr;
  ProgressBar progress_;
  bool diagnostic_reported_ = false;
  long report_count_ = 0;
  long error_count_ = 0;
};

}  // namespace gridlume_tool
