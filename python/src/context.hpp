// A library context as the Python package uses it: every message the library
// sends is kept in a log until the call that caused it returns, and is then
// handed to Python (errors raised as gridlume.Error, warnings through the
// warnings module, information through the "gridlume" logger). The log is
// filled while the interpreter lock is released, so it never touches Python.
#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "gridlume.h"

namespace gridlume_python {

struct Message {
  int code;
  std::string text;
};

class Context {
 public:
  // A new library context whose messages go to this log; the library's
  // answer to memory exhaustion (no context) becomes MemoryError.
  Context();
  // Takes over a context the library made (the one of an independent copy)
  // and routes its messages to this log.
  explicit Context(gridlume_context *adopted);
  ~Context();
  Context(const Context &) = delete;
  Context &operator=(const Context &) = delete;

  gridlume_context *handle() const { return handle_; }
  // One call at a time per context: the library holds no lock of its own.
  std::mutex &mutex() { return mutex_; }
  // The messages sent to the calling thread since it last took them. The
  // library sends a call's messages on the caller's thread, so a thread
  // takes its own call's messages even when another thread's call on the
  // same context ran in between.
  std::vector<Message> take_messages();

  // Progress messages are not news, but their labels name the keywords a
  // reader has read: while watching, the texts are kept for `progress_told`,
  // which answers true for any label once a text could not be kept.
  void watch_progress(bool on);
  bool progress_told(std::string_view label) const;

 private:
  static int receive(gridlume_message *message, void *user_data);

  struct Entry {
    std::thread::id thread;
    Message message;
  };

  gridlume_context *handle_ = nullptr;
  std::mutex mutex_;
  mutable std::mutex log_mutex_;  // the log is filled and emptied under different locks
  std::vector<Entry> log_;
  bool watching_progress_ = false;
  bool progress_lost_ = false;
  std::string progress_texts_;
};

// The table of open keyword files is shared by the whole process and not
// locked by the library: keyword files are read and written one at a time.
std::mutex &keyword_file_mutex();

// Progress reports are only asked for to watch their labels (above); they
// are never handed to Python.
inline constexpr int progress_message_code = 9011;

// Hands the messages of the last call to Python, then raises gridlume.Error
// when the call failed (a non-zero status or an error message). `what`
// describes the call for a failure the library did not explain. Information
// messages (code 0) are returned rather than logged when `keep_reports`.
std::vector<std::string> deliver_messages(Context &context, int status, const std::string &what,
                                          bool keep_reports = false);
// The same for messages already taken from the log.
std::vector<std::string> deliver_messages(const std::vector<Message> &messages, int status,
                                          const std::string &what, bool keep_reports = false);

// Raises gridlume.Error(message, code).
[[noreturn]] void raise_error(const std::string &message, int code);

}  // namespace gridlume_python
