// A one-line progress bar on standard error, redrawn in place. It is driven by
// the library's progress messages and stays silent when standard error is not
// a terminal, so that logs and pipes get no control characters.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace gridlume_tool {

// The line drawn for a percentage (clamped to 0..100) and a label, e.g.
// "reading mesh [##########----------]  50%"; without the carriage return.
std::string render_progress_line(double percent, std::string_view label);

// The label of a progress message: its text up to " : " ("reading mesh
// progression (Ve) : 2.00% ..." gives "reading mesh progression (Ve)").
std::string_view progress_label(std::string_view description);

class ProgressBar {
 public:
  // Draws on stream only when it is a terminal.
  explicit ProgressBar(std::FILE *stream);
  ~ProgressBar() { clear(); }
  ProgressBar(const ProgressBar &) = delete;
  ProgressBar &operator=(const ProgressBar &) = delete;

  bool enabled() const { return enabled_; }
  void update(double percent, std::string_view label);
  // Erases the bar so that the next line starts on a clean line.
  void clear();

 private:
  std::FILE *stream_;
  bool enabled_;
  std::size_t drawn_width_ = 0;
};

}  // namespace gridlume_tool
