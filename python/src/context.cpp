#include "context.hpp"

#include <pybind11/pybind11.h>

#include <new>

namespace py = pybind11;

namespace gridlume_python {

Context::Context() : handle_(gridlume_context_new()) {
  if (handle_ == nullptr) throw std::bad_alloc();
  gridlume_context_set_message_callback(handle_, receive, this);
}

Context::Context(gridlume_context *adopted) : handle_(adopted) {
  gridlume_context_set_message_callback(handle_, receive, this);
}

Context::~Context() {
  if (handle_ != nullptr) gridlume_context_delete(handle_);
}

std::vector<Message> Context::take_messages() {
  std::lock_guard guard(log_mutex_);
  std::vector<Message> taken;
  std::vector<Entry> kept;
  const std::thread::id thread = std::this_thread::get_id();
  for (Entry &entry : log_) {
    if (entry.thread == thread)
      taken.push_back(std::move(entry.message));
    else
      kept.push_back(std::move(entry));
  }
  log_.swap(kept);
  return taken;
}

void Context::watch_progress(bool on) {
  std::lock_guard guard(log_mutex_);
  watching_progress_ = on;
  progress_lost_ = false;
  progress_texts_.clear();
}

bool Context::progress_told(std::string_view label) const {
  std::lock_guard guard(log_mutex_);
  return progress_lost_ || progress_texts_.find(label) != std::string::npos;
}

int Context::receive(gridlume_message *message, void *user_data) {
  auto *context = static_cast<Context *>(user_data);
  int code = 0;
  const char *description = nullptr;
  gridlume_message_get_code(message, &code);
  gridlume_message_get_description(message, &description);
  try {
    std::lock_guard guard(context->log_mutex_);
    if (code == progress_message_code) {
      if (context->watching_progress_ && description != nullptr)
        context->progress_texts_ += description;
      return 0;
    }
    context->log_.push_back(
        {std::this_thread::get_id(), {code, description != nullptr ? description : ""}});
  } catch (const std::bad_alloc &) {
    // A message that cannot be kept is lost rather than crashing the
    // library's caller; the status of the call still tells of a failure. A
    // lost progress label might have been any label.
    if (code == progress_message_code) {
      std::lock_guard guard(context->log_mutex_);
      context->progress_lost_ = true;
    }
  }
  return 0;
}

std::mutex &keyword_file_mutex() {
  static std::mutex mutex;
  return mutex;
}

namespace {

// The library ends its texts with a newline and sometimes leads with a
// space; Python messages carry neither.
std::string trimmed(const std::string &text) {
  const auto first = text.find_first_not_of(" \n\r\t");
  if (first == std::string::npos) return "";
  const auto last = text.find_last_not_of(" \n\r\t");
  return text.substr(first, last - first + 1);
}

py::object errors_module() { return py::module_::import("gridlume._errors"); }

}  // namespace

void raise_error(const std::string &message, int code) {
  py::object error_class = errors_module().attr("Error");
  py::object error = error_class(message, code);
  PyErr_SetObject(error_class.ptr(), error.ptr());
  throw py::error_already_set();
}

std::vector<std::string> deliver_messages(Context &context, int status, const std::string &what,
                                          bool keep_reports) {
  return deliver_messages(context.take_messages(), status, what, keep_reports);
}

std::vector<std::string> deliver_messages(const std::vector<Message> &messages, int status,
                                          const std::string &what, bool keep_reports) {
  // A call that failed without an error message failed for the reasons its
  // warnings gave (the high-order conversion sends its errors with positive
  // codes): they make the error then.
  bool has_error_message = false;
  for (const Message &message : messages) has_error_message |= message.code < 0;
  const bool warnings_are_errors = status != GRIDLUME_STATUS_OK && !has_error_message;
  std::vector<std::string> reports;
  std::string error_text;
  int error_code = 0;
  for (const Message &message : messages) {
    if (message.code < 0 || (message.code > 0 && warnings_are_errors)) {
      if (error_code == 0) error_code = message.code;
      if (!error_text.empty()) error_text += "\n";
      error_text += trimmed(message.text);
    } else if (message.code > 0) {
      py::object warning_class = errors_module().attr("MessageWarning");
      const std::string text =
          trimmed(message.text) + " (code " + std::to_string(message.code) + ")";
      if (PyErr_WarnEx(warning_class.ptr(), text.c_str(), 1) != 0) throw py::error_already_set();
    } else if (keep_reports) {
      reports.push_back(message.text);
    } else {
      py::module_::import("logging")
          .attr("getLogger")("gridlume")
          .attr("info")(trimmed(message.text));
    }
  }
  if (error_code != 0) {
    // The caller's own explanation comes first when it has one.
    if (status != GRIDLUME_STATUS_OK && !what.empty() && warnings_are_errors)
      error_text = what + ": " + error_text;
    raise_error(error_text, error_code);
  }
  if (status == GRIDLUME_STATUS_NO_MEMORY) throw std::bad_alloc();
  if (status != GRIDLUME_STATUS_OK) raise_error(what, status);
  return reports;
}

}  // namespace gridlume_python
