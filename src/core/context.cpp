#include "core/context.hpp"

#include <cstdarg>
#include <cstdio>

#include "core/allocator.hpp"

namespace {

constexpr const char *core_sender = "Core";

int never_interrupt(int *interrupt, void *) {
  if (interrupt != nullptr) *interrupt = 0;
  return GRIDLUME_STATUS_OK;
}

// The default printer: errors as "ERROR %d : %s", everything else as the bare
// description, on the stream given as user data, with nothing added.
int print_message(gridlume_message *message, void *stream) {
  if (message == nullptr || stream == nullptr) return GRIDLUME_STATUS_ERROR;
  int code = 0;
  const char *description = nullptr;
  gridlume_message_get_code(message, &code);
  gridlume_message_get_description(message, &description);
  auto *file = static_cast<std::FILE *>(stream);
  if (code < 0) std::fprintf(file, "ERROR %d : %s", code, description);
  else std::fprintf(file, "%s", description);
  return GRIDLUME_STATUS_OK;
}

int discard_message(gridlume_message *, void *) { return GRIDLUME_STATUS_OK; }

bool is_live_context(const gridlume_context *context) {
  return context != nullptr && context->type_tag == gridlume::context_type_tag;
}

}  // namespace

namespace gridlume {

int send_message(gridlume_context *context, int code, const char *sender,
                 const char *description) noexcept {
  if (context == nullptr) return GRIDLUME_STATUS_ERROR;
  gridlume_message *message = gridlume_message_new(context, code, description, sender);
  if (message == nullptr) return GRIDLUME_STATUS_ERROR;
  int status = context->message_callback(message, context->message_user_data);
  gridlume_message_delete(message);
  return status;
}

int send_formatted_message(gridlume_context *context, int code, const char *sender,
                           const char *format, ...) noexcept {
  char text[1024];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  return send_message(context, code, sender, text);
}

}  // namespace gridlume

extern "C" {

gridlume_context *gridlume_context_new(void) {
  gridlume_context *context = gridlume::create<gridlume_context>();
  if (context == nullptr) return nullptr;
  context->interrupt_callback = never_interrupt;
  context->message_callback = print_message;
  context->message_user_data = stdout;
  return context;
}

gridlume_context *gridlume_context_new_sub_context(gridlume_context *parent) {
  if (parent == nullptr) return nullptr;
  gridlume_context *context = gridlume_context_new();
  if (context == nullptr) return nullptr;
  context->interrupt_callback = parent->interrupt_callback;
  context->interrupt_user_data = parent->interrupt_user_data;
  context->message_callback = parent->message_callback;
  context->message_user_data = parent->message_user_data;
  return context;
}

void gridlume_context_delete(gridlume_context *context) {
  if (context == nullptr) return;
  if (!context->deleting()) {
    context->flags |= gridlume::context_deleting_flag;
    context->attachments.delete_all();
    context->flags &= ~gridlume::context_deleting_flag;
  }
  gridlume::destroy(context);
}

int gridlume_context_attach_object(gridlume_context *context, void *object,
                                   gridlume_object_delete_routine routine) {
  if (!is_live_context(context) || context->deleting()) return GRIDLUME_STATUS_ERROR;
  return context->attachments.attach(object, routine);
}

void gridlume_context_detach_object(gridlume_context *context, void *object) {
  if (context == nullptr || context->deleting()) return;
  context->attachments.detach(object);
}

void gridlume_context_delete_attached_object(gridlume_context *context, void *object) {
  if (!is_live_context(context) || context->deleting()) return;
  context->attachments.detach(object);
}

int gridlume_context_set_message_callback(gridlume_context *context,
                                          gridlume_message_callback callback,
                                          void *user_data) {
  if (context == nullptr) return GRIDLUME_STATUS_ERROR;
  context->message_callback = callback != nullptr ? callback : discard_message;
  context->message_user_data = callback != nullptr ? user_data : nullptr;
  return GRIDLUME_STATUS_OK;
}

int gridlume_context_set_interrupt_callback(gridlume_context *context,
                                            gridlume_interrupt_callback callback,
                                            void *user_data) {
  if (context == nullptr) return GRIDLUME_STATUS_ERROR;
  context->interrupt_callback = callback != nullptr ? callback : never_interrupt;
  context->interrupt_user_data = callback != nullptr ? user_data : nullptr;
  return GRIDLUME_STATUS_OK;
}

int gridlume_context_get_interrupt_callback(gridlume_context *context,
                                            gridlume_interrupt_callback *callback,
                                            void **user_data) {
  if (context == nullptr || callback == nullptr || user_data == nullptr)
    return GRIDLUME_STATUS_ERROR;
  *callback = context->interrupt_callback;
  *user_data = context->interrupt_user_data;
  return GRIDLUME_STATUS_OK;
}

int gridlume_context_get_message_callback(gridlume_context *context,
                                          gridlume_message_callback *callback,
                                          void **user_data) {
  if (context == nullptr || callback == nullptr || user_data == nullptr)
    return GRIDLUME_STATUS_ERROR;
  *callback = context->message_callback;
  *user_data = context->message_user_data;
  return GRIDLUME_STATUS_OK;
}

int gridlume_context_set_banner(gridlume_context *context, int banner) {
  if (context == nullptr) return GRIDLUME_STATUS_ERROR;
  context->banner = banner;
  return GRIDLUME_STATUS_OK;
}

int gridlume_context_get_banner(gridlume_context *context, int *banner) {
  if (context == nullptr) return GRIDLUME_STATUS_ERROR;
  if (banner != nullptr) *banner = context->banner;
  return GRIDLUME_STATUS_OK;
}

int gridlume_context_send_message(gridlume_context *context, int code,
                                  const char *description) {
  if (description == nullptr) return GRIDLUME_STATUS_ERROR;
  return gridlume::send_message(context, code, core_sender, description);
}

int gridlume_context_send_message_with_data(gridlume_context *context, int code,
                                            const int *integers, int integer_count,
                                            const double *reals, int real_count,
                                            const char *description) {
  if (context == nullptr || description == nullptr) return GRIDLUME_STATUS_ERROR;
  gridlume_message *message = gridlume_message_new(context, code, description, core_sender);
  if (message == nullptr) return GRIDLUME_STATUS_ERROR;
  int status = gridlume_message_set_integer_data(message, integers, integer_count);
  if (status == GRIDLUME_STATUS_OK)
    status = gridlume_message_set_real_data(message, reals, real_count);
  if (status == GRIDLUME_STATUS_OK)
    status = context->message_callback(message, context->message_user_data);
  gridlume_message_delete(message);
  return status;
}

}  // extern "C"
