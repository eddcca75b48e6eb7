#include "highorder.hpp"

namespace gridlume_python {

namespace {

// The session and its output mesh live in a sub-context of the mesh's
// context: they share its message log, and deleting the sub-context
// releases both once the result is copied.
struct SubContext {
  gridlume_context *handle;
  ~SubContext() {
    if (handle != nullptr) gridlume_context_delete(handle);
  }
};

}  // namespace

std::unique_ptr<Mesh> highorder(
    Mesh &mesh, const std::vector<std::pair<std::string, std::string>> &parameters) {
  Context &context = mesh.context();
  gridlume_mesh *copy = nullptr;
  int status = GRIDLUME_STATUS_OK;
  std::string what;
  {
    py::gil_scoped_release release;
    std::lock_guard guard(context.mutex());
    SubContext sub_context{gridlume_context_new_sub_context(context.handle())};
    gridlume_highorder_session *session = sub_context.handle != nullptr
                                              ? gridlume_highorder_session_new(sub_context.handle)
                                              : nullptr;
    if (session == nullptr) {
      status = GRIDLUME_STATUS_NO_MEMORY;
    } else {
      for (const auto &[name, value] : parameters) {
        if (gridlume_highorder_set_param(session, name.c_str(), value.c_str()) !=
            GRIDLUME_STATUS_OK) {
          status = GRIDLUME_STATUS_ERROR;
          what = "unknown high-order parameter or unreadable value '" + name + "=" + value + "'";
          break;
        }
      }
    }
    if (status == GRIDLUME_STATUS_OK) {
      gridlume_highorder_set_volume_mesh(session, mesh.handle());
      status = gridlume_highorder_compute_mesh(session);
      if (status == GRIDLUME_STATUS_ERROR)
        what = "cannot convert the mesh to second order: it needs vertices and volume elements";
    }
    gridlume_mesh *result = nullptr;
    if (status == GRIDLUME_STATUS_OK) status = gridlume_highorder_get_mesh(session, &result);
    if (status == GRIDLUME_STATUS_OK) {
      // The output mesh reads the session's tables: a copy outlives them.
      copy = gridlume_mesh_new_in_memory_independent_copy(result);
      if (copy == nullptr) status = GRIDLUME_STATUS_NO_MEMORY;
    }
  }
  std::unique_ptr<Mesh> converted;
  if (copy != nullptr) {
    gridlume_context *copy_context = nullptr;
    gridlume_mesh_get_context(copy, &copy_context);
    converted = std::make_unique<Mesh>(std::make_shared<Context>(copy_context), copy);
  }
  deliver_messages(context, status, what);
  return converted;
}

}  // namespace gridlume_python
