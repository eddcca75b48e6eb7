// A message callback that records every message a context sends, so tests can
// compare codes, senders and texts character for character.
#pragma once

#include <string>
#include <vector>

#include "gridlume.h"

namespace gridlume_test {

struct CapturedMessage {
  int code;
  std::string sender;
  std::string description;
  std::vector<int> integers;
  std::vector<double> reals;
};

class MessageCapture {
 public:
  // Installs the capture as the context's message callback.
  void install(gridlume_context *context);
  const std::vector<CapturedMessage> &messages() const { return messages_; }
  // All descriptions joined, in order.
  std::string text() const;
  void clear() { messages_.clear(); }
  // The status the callback answers (0 by default).
  int answer = 0;

 private:
  static int receive(gridlume_message *message, void *capture);
  std::vector<CapturedMessage> messages_;
};

}  // namespace gridlume_test
