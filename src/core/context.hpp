// The context record and the message-sending helpers every module uses to
// report through a context with its own sender name.
#pragma once

#include <cstdint>

#include "core/attachment_list.hpp"
#include "gridlume/context.h"

namespace gridlume {

inline constexpr std::int32_t context_type_tag = 6264;
inline constexpr int default_banner = 2;
inline constexpr int context_deleting_flag = 1;  // bit 0 of the flags

// Sends a message from `sender`; the callback's result, or -1 when the
// context is NULL or the message cannot be built.
int send_message(gridlume_context *context, int code, const char *sender,
                 const char *description) noexcept;
// As send_message, with the description formatted printf-style.
int send_formatted_message(gridlume_context *context, int code, const char *sender,
                           const char *format, ...) noexcept
    __attribute__((format(printf, 4, 5)));

}  // namespace gridlume

struct gridlume_context {
  std::int32_t type_tag = gridlume::context_type_tag;
  gridlume::AttachmentList attachments;
  gridlume_interrupt_callback interrupt_callback = nullptr;
  void *interrupt_user_data = nullptr;
  gridlume_message_callback message_callback = nullptr;
  void *message_user_data = nullptr;
  int banner = gridlume::default_banner;
  int flags = 0;

  bool deleting() const { return (flags & gridlume::context_deleting_flag) != 0; }
};
