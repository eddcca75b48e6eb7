#include "session.hpp"

#include <cstdio>

namespace gridlume_tool {

Session::Session(std::string_view command) : command_(command), progress_(stderr) {
  context_ = gridlume_context_new();
  if (context_ != nullptr) gridlume_context_set_message_callback(context_, on_message, this);
}

Session::~Session() {
  progress_.clear();
  if (context_ != nullptr) gridlume_context_delete(context_);
}

int Session::fail(std::string_view text) {
  progress_.clear();
  std::fprintf(stderr, "gridlume %s: %.*s\n", command_.c_str(), static_cast<int>(text.size()),
               text.data());
  return 1;
}

int Session::fail_unless_reported(std::string_view text) {
  return diagnostic_reported_ ? 1 : fail(text);
}

int Session::on_message(gridlume_message *message, void *user_data) {
  auto *session = static_cast<Session *>(user_data);
  int code = 0;
  const char *description = nullptr;
  gridlume_message_get_code(message, &code);
  gridlume_message_get_description(message, &description);
  if (description == nullptr) description = "";

  if (code == progress_message_code) {
    int real_count = 0;
    double percent = 0.0;
    gridlume_message_get_real_data_count(message, &real_count);
    if (real_count >= 1) gridlume_message_get_real_data(message, 1, 1, &percent);
    session->progress_.update(percent, progress_label(description));
    return 0;
  }
  session->progress_.clear();
  if (code == 0) {
    std::fputs(description, stdout);
    ++session->report_count_;
  } else {
    session->diagnostic_reported_ = true;
    if (code < 0) ++session->error_count_;
    // Standard output may be a terminal too: keep the order on screen.
    std::fflush(stdout);
    std::fputs(description, stderr);
  }
  return 0;
}

}  // namespace gridlume_tool
