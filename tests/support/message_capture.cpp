#include "support/message_capture.hpp"

namespace gridlume_test {

void MessageCapture::install(gridlume_context *context) {
  gridlume_context_set_message_callback(context, &MessageCapture::receive, this);
}

int MessageCapture::receive(gridlume_message *message, void *user_data) {
  auto *capture = static_cast<MessageCapture *>(user_data);
  CapturedMessage captured{};
  const char *text = nullptr;
  gridlume_message_get_code(message, &captured.code);
  gridlume_message_get_sender(message, &text);
  captured.sender = text ? text : "";
  gridlume_message_get_description(message, &text);
  captured.description = text ? text : "";
  int count = 0;
  gridlume_message_get_integer_data_count(message, &count);
  captured.integers.resize(static_cast<size_t>(count));
  gridlume_message_get_integer_data(message, 1, count, captured.integers.data());
  gridlume_message_get_real_data_count(message, &count);
  captured.reals.resize(static_cast<size_t>(count));
  gridlume_message_get_real_data(message, 1, count, captured.reals.data());
  capture->messages_.push_back(std::move(captured));
  return capture->answer;
}

std::string MessageCapture::text() const {
  std::string joined;
  for (const auto &message : messages_) joined += message.description;
  return joined;
}

}  // namespace gridlume_test
