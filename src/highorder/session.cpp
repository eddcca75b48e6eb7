// The high-order session: its life cycle, its inputs, the boundary-layer
// table, the compute operation and the messages of failed conversions.
#include "highorder/session.hpp"

#include <algorithm>
#include <cstdio>
#include <new>

#include "core/context.hpp"
#include "gridlume/tag_system.h"

namespace gridlume::highorder {

namespace {

struct ConversionMessage {
  int code;          // internal code of the conversion
  int message_code;  // code of the message sent
  const char *text;
};

// The messages of the conversion's internal codes; any other code sends the
// text the conversion left in its message buffer with the last code.
constexpr std::array<ConversionMessage, 4> conversion_messages = {{
    {code_parallel_failure, 7500, "highorder error: could not initialize multithreading \n"},
    {code_failure, 2010, "highorder error: wrong input volume mesh\n"},
    {code_surface_mismatch, 5301, "highorder error: surface is inconstistent with the volume\n"},
    {code_generation_failure, 7000,
     "highorder error: failure of the high order mesh generation \n"},
}};
constexpr int other_failure_message_code = 7000;

void delete_session_routine(void *session) noexcept {
  auto *record = static_cast<gridlume_highorder_session *>(session);
  conversion_state_delete(record->conversion);
  destroy(record);
}

void send_session_message(gridlume_highorder_session *session, int code, const char *text) {
  gridlume_message *message = gridlume_message_new(session->context, code, text, session_sender);
  if (message == nullptr) return;  // nothing can be reported without memory
  session->message_callback(message, session->message_user_data);
  gridlume_message_delete(message);
}

// Copies the session's parameters into a new conversion state.
void copy_parameters(const gridlume_highorder_session &session, ConversionState &state) {
  state.verbose = session.verbose;
  state.thread_count = session.max_number_of_threads;
  state.curve_propagation_mode = session.curve_propagation_mode;
  state.curve = session.curve;
  state.jacobian_threshold = session.jacobian_threshold;
  state.use_c3d10m_jacobian = session.use_c3d10m_jacobian;
  state.session = const_cast<gridlume_highorder_session *>(&session);
  state.parallel_step_mode = 0;  // a single-process run
}

// The import steps of compute, then the conversion: 0, a negative status, or
// a non-zero internal code of the conversion.
int convert(gridlume_highorder_session &session, ConversionState &state) {
  if (session.volume_mesh == nullptr) return GRIDLUME_STATUS_ERROR;
  int status = import_volume_mesh(session.volume_mesh, state);
  if (status != GRIDLUME_STATUS_OK) return status;
  if (session.boundary_layer_vertex_count > 0) {
    status = import_boundary_layer(session.boundary_layer_table, state);
    if (status != GRIDLUME_STATUS_OK) return status;
  }
  if (session.surface_mesh != nullptr) {
    status = import_surface_mesh(session.surface_mesh, state);
    if (status != GRIDLUME_STATUS_OK) return status;
  }
  return run_conversion(state);
}

}  // namespace

void report_conversion_failure(gridlume_highorder_session *session, int code) noexcept {
  const auto known =
      std::find_if(conversion_messages.begin(), conversion_messages.end(),
                   [&](const ConversionMessage &entry) { return entry.code == code; });
  char *text = session->message_text;
  const std::size_t size = sizeof session->message_text;
  int message_code = other_failure_message_code;
  if (known != conversion_messages.end()) {
    message_code = known->message_code;
    std::snprintf(text, size, "%s", known->text);
  } else if (session->conversion != nullptr) {
    std::snprintf(text, size, "%s", session->conversion->message_text);
  }
  // A code without a text of its own still tells the caller that the
  // generation failed.
  if (text[0] == '\0') std::snprintf(text, size, "%s", conversion_messages.back().text);
  send_session_message(session, message_code, text);
}

}  // namespace gridlume::highorder

using namespace gridlume::highorder;

extern "C" {

gridlume_highorder_session *gridlume_highorder_session_new(gridlume_context *context) {
  if (context == nullptr) return nullptr;
  auto *session = gridlume::create<gridlume_highorder_session>();
  if (session == nullptr) return nullptr;
  session->context = context;
  session->interrupt_callback = context->interrupt_callback;
  session->interrupt_user_data = context->interrupt_user_data;
  session->message_callback = context->message_callback;
  session->message_user_data = context->message_user_data;
  if (gridlume_context_attach_object(context, session, delete_session_routine) !=
      GRIDLUME_STATUS_OK) {
    gridlume::destroy(session);
    return nullptr;
  }
  return session;
}

void gridlume_highorder_session_delete(gridlume_highorder_session *session) {
  if (session == nullptr) return;
  gridlume_context_delete_attached_object(session->context, session);
  delete_session_routine(session);
}

int gridlume_highorder_set_message_callback(gridlume_highorder_session *session,
                                            gridlume_message_callback callback, void *user_data) {
  if (session == nullptr) return GRIDLUME_STATUS_ERROR;
  if (callback == nullptr) {
    callback = session->context->message_callback;
    user_data = session->context->message_user_data;
  }
  session->message_callback = callback;
  session->message_user_data = user_data;
  return GRIDLUME_STATUS_OK;
}

int gridlume_highorder_set_volume_mesh(gridlume_highorder_session *session, gridlume_mesh *mesh) {
  if (session == nullptr || mesh == nullptr || session->volume_mesh != nullptr)
    return GRIDLUME_STATUS_ERROR;
  session->volume_mesh = mesh;
  return GRIDLUME_STATUS_OK;
}

int gridlume_highorder_set_surface_mesh(gridlume_highorder_session *session, gridlume_mesh *mesh) {
  if (session == nullptr || mesh == nullptr || session->surface_mesh != nullptr)
    return GRIDLUME_STATUS_ERROR;
  session->surface_mesh = mesh;
  return GRIDLUME_STATUS_OK;
}

int gridlume_highorder_set_boundary_layer_vertex_count(gridlume_highorder_session *session,
                                                       int count) {
  if (session == nullptr || count < 0 || count == INT32_MAX) return GRIDLUME_STATUS_ERROR;
  try {
    gridlume::Vector<BoundaryLayerRecord> table(std::size_t(count) + 1, BoundaryLayerRecord{});
    session->boundary_layer_table.swap(table);
  } catch (const std::bad_alloc &) {
    return GRIDLUME_STATUS_NO_MEMORY;
  }
  session->boundary_layer_vertex_count = count;
  return GRIDLUME_STATUS_OK;
}

int gridlume_highorder_set_boundary_layer_vertex_info(gridlume_highorder_session *session,
                                                      int index, const int *info) {
  // An index outside the table is refused rather than written past its end.
  if (session == nullptr || info == nullptr || index < 1 ||
      index > session->boundary_layer_vertex_count)
    return GRIDLUME_STATUS_ERROR;
  session->boundary_layer_table[std::size_t(index)] = {info[0], info[1], info[2]};
  return GRIDLUME_STATUS_OK;
}

int gridlume_highorder_compute_mesh(gridlume_highorder_session *session) {
  if (session == nullptr) return GRIDLUME_STATUS_ERROR;
  // A new compute starts from a new state; the output mesh, which reads the
  // state at each call, then serves the new result.
  conversion_state_delete(session->conversion);
  session->conversion = conversion_state_new();
  if (session->conversion == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
  copy_parameters(*session, *session->conversion);
  const int result = convert(*session, *session->conversion);
  if (result < 0) return result;
  if (result == code_success) return GRIDLUME_STATUS_OK;
  report_conversion_failure(session, result);
  return GRIDLUME_STATUS_ERROR;
}

int gridlume_highorder_get_mesh(gridlume_highorder_session *session, gridlume_mesh **mesh) {
  if (mesh == nullptr) return GRIDLUME_STATUS_ERROR;
  *mesh = nullptr;
  if (session == nullptr) return GRIDLUME_STATUS_ERROR;
  if (session->output_mesh == nullptr) {
    gridlume_mesh *output = gridlume_mesh_new(session->context);
    if (output == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
    gridlume_tag_system *source_tags = nullptr;
    gridlume_tag_system *output_tags = nullptr;
    if (session->volume_mesh != nullptr) {
      gridlume_mesh_clone_tag_system(session->volume_mesh, output);
      gridlume_mesh_get_tag_system(session->volume_mesh, &source_tags);
      gridlume_mesh_get_tag_system(output, &output_tags);
    }
    // The clone answers no tag system when its memory fails.
    const bool tags_cloned = source_tags == nullptr || output_tags != nullptr;
    if (!tags_cloned || install_output_getters(session, output) != GRIDLUME_STATUS_OK) {
      gridlume_mesh_delete(output);
      return GRIDLUME_STATUS_NO_MEMORY;
    }
    session->output_mesh = output;
    const bool verbose = session->verbose != 0 ||
                         (session->conversion != nullptr && session->conversion->verbose != 0);
    if (verbose) print_generated_elements(session);
  }
  *mesh = session->output_mesh;
  return GRIDLUME_STATUS_OK;
}

}  // extern "C"
