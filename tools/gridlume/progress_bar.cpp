#include "progress_bar.hpp"

#include <algorithm>
#include <cmath>
#include <unistd.h>

namespace gridlume_tool {

namespace {
constexpr int bar_width = 30;
}

std::string render_progress_line(double percent, std::string_view label) {
  if (!(percent >= 0.0)) percent = 0.0;  // NaN too
  percent = std::min(percent, 100.0);
  const int filled = static_cast<int>(std::floor(percent / 100.0 * bar_width));
  std::string line(label);
  line += " [";
  line.append(static_cast<std::size_t>(filled), '#');
  line.append(static_cast<std::size_t>(bar_width - filled), '-');
  char tail[16];
  std::snprintf(tail, sizeof tail, "] %3d%%", static_cast<int>(std::floor(percent)));
  line += tail;
  return line;
}

std::string_view progress_label(std::string_view description) {
  std::size_t separator = description.find(" : ");
  std::string_view label = description.substr(0, separator);
  while (!label.empty() && (label.back() == '\n' || label.back() == ' ')) label.remove_suffix(1);
  return label;
}

ProgressBar::ProgressBar(std::FILE *stream)
    : stream_(stream), enabled_(isatty(fileno(stream)) == 1) {}

void ProgressBar::update(double percent, std::string_view label) {
  if (!enabled_) return;
  std::string line = render_progress_line(percent, label);
  // Pad over the remains of a longer previous line.
  std::size_t width = line.size();
  if (width < drawn_width_) line.append(drawn_width_ - width, ' ');
  std::fprintf(stream_, "\r%s", line.c_str());
  std::fflush(stream_);
  drawn_width_ = width;
}

void ProgressBar::clear() {
  if (!enabled_ || drawn_width_ == 0) return;
  std::fprintf(stream_, "\r%*s\r", static_cast<int>(drawn_width_), "");
  std::fflush(stream_);
  drawn_width_ = 0;
}

}  // namespace gridlume_tool
