// Message records: a code, a description, a sender and optional integer and
// real data, all owned by the record.
#include <cstring>

#include "core/allocator.hpp"
#include "core/context.hpp"

struct gridlume_message {
  gridlume_context *context;
  int code;
  char *description;
  char *sender;
  int integer_count;
  int *integers;
  int real_count;
  double *reals;
};

namespace {

// Replaces (values, count) by a copy of `source`; the shared body of the
// integer and real data setters.
template <class T>
int replace_data(T *&values, int &count, const T *source, int source_count) {
  if (source_count < 0 || (source_count > 0 && source == nullptr)) return GRIDLUME_STATUS_ERROR;
  gridlume_free(values);
  values = nullptr;
  count = 0;
  if (source_count == 0) return GRIDLUME_STATUS_OK;
  values = gridlume::allocate_array<T>(static_cast<std::size_t>(source_count));
  if (values == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
  std::memcpy(values, source, sizeof(T) * static_cast<std::size_t>(source_count));
  count = source_count;
  return GRIDLUME_STATUS_OK;
}

template <class T>
int copy_range(const T *values, int count, int first, int last, T *out) {
  if (first < 1 || last > count) return GRIDLUME_STATUS_ERROR;
  if (last < first) return GRIDLUME_STATUS_OK;
  if (out == nullptr) return GRIDLUME_STATUS_ERROR;
  std::memcpy(out, values + (first - 1), sizeof(T) * static_cast<std::size_t>(last - first + 1));
  return GRIDLUME_STATUS_OK;
}

}  // namespace

extern "C" {

gridlume_message *gridlume_message_new(gridlume_context *context, int code,
                                       const char *description, const char *sender) {
  if (description == nullptr || sender == nullptr) return nullptr;
  auto *message = static_cast<gridlume_message *>(gridlume_calloc(1, sizeof(gridlume_message)));
  if (message == nullptr) return nullptr;
  message->context = context;
  message->code = code;
  message->description = gridlume::duplicate_text(description);
  message->sender = message->description ? gridlume::duplicate_text(sender) : nullptr;
  if (message->sender == nullptr) {
    gridlume_message_delete(message);
    return nullptr;
  }
  return message;
}

gridlume_message *gridlume_message_new_copy(const gridlume_message *message) {
  if (message == nullptr) return nullptr;
  gridlume_message *copy =
      gridlume_message_new(message->context, message->code, message->description, message->sender);
  if (copy == nullptr) return nullptr;
  if (replace_data(copy->integers, copy->integer_count, message->integers,
                   message->integer_count) != GRIDLUME_STATUS_OK ||
      replace_data(copy->reals, copy->real_count, message->reals, message->real_count) !=
          GRIDLUME_STATUS_OK) {
    gridlume_message_delete(copy);
    return nullptr;
  }
  return copy;
}

void gridlume_message_delete(gridlume_message *message) {
  if (message == nullptr) return;
  gridlume_free(message->description);
  gridlume_free(message->sender);
  gridlume_free(message->integers);
  gridlume_free(message->reals);
  gridlume_free(message);
}

int gridlume_message_get_code(const gridlume_message *message, int *code) {
  if (message == nullptr) return GRIDLUME_STATUS_ERROR;
  if (code != nullptr) *code = message->code;
  return GRIDLUME_STATUS_OK;
}

int gridlume_message_get_number(const gridlume_message *message, int *number) {
  return gridlume_message_get_code(message, number);
}

int gridlume_message_set_code(gridlume_message *message, int code) {
  if (message == nullptr) return GRIDLUME_STATUS_ERROR;
  message->code = code;
  return GRIDLUME_STATUS_OK;
}

int gridlume_message_get_description(const gridlume_message *message, const char **description) {
  if (message == nullptr || description == nullptr) return GRIDLUME_STATUS_ERROR;
  *description = message->description;
  return GRIDLUME_STATUS_OK;
}

int gridlume_message_get_sender(const gridlume_message *message, const char **sender) {
  if (message == nullptr || sender == nullptr) return GRIDLUME_STATUS_ERROR;
  *sender = message->sender;
  return GRIDLUME_STATUS_OK;
}

int gridlume_message_set_sender(gridlume_message *message, const char *sender) {
  if (message == nullptr || sender == nullptr) return GRIDLUME_STATUS_ERROR;
  char *copy = gridlume::duplicate_text(sender);
  if (copy == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
  gridlume_free(message->sender);
  message->sender = copy;
  return GRIDLUME_STATUS_OK;
}

int gridlume_message_set_integer_data(gridlume_message *message, const int *values, int count) {
  if (message == nullptr) return GRIDLUME_STATUS_ERROR;
  return replace_data(message->integers, message->integer_count, values, count);
}

int gridlume_message_set_real_data(gridlume_message *message, const double *values, int count) {
  if (message == nullptr) return GRIDLUME_STATUS_ERROR;
  return replace_data(message->reals, message->real_count, values, count);
}

int gridlume_message_get_integer_data_count(const gridlume_message *message, int *count) {
  if (message == nullptr || count == nullptr) return GRIDLUME_STATUS_ERROR;
  *count = message->integer_count;
  return GRIDLUME_STATUS_OK;
}

int gridlume_message_get_real_data_count(const gridlume_message *message, int *count) {
  if (message == nullptr || count == nullptr) return GRIDLUME_STATUS_ERROR;
  *count = message->real_count;
  return GRIDLUME_STATUS_OK;
}

int gridlume_message_get_integer_data(const gridlume_message *message, int first, int last,
                                      int *out) {
  if (message == nullptr) return GRIDLUME_STATUS_ERROR;
  return copy_range(message->integers, message->integer_count, first, last, out);
}

int gridlume_message_get_real_data(const gridlume_message *message, int first, int last,
                                   double *out) {
  if (message == nullptr) return GRIDLUME_STATUS_ERROR;
  return copy_range(message->reals, message->real_count, first, last, out);
}

}  // extern "C"
