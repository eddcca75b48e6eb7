// gridlume highorder IN OUT [--threads N] [--straight] [--param NAME=VALUE ...]:
// converts a linear volume mesh to a second-order one with a high-order
// session and writes it.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "command.hpp"
#include "mesh_files.hpp"
#include "session.hpp"

namespace gridlume_tool {

namespace {

constexpr std::array<OptionSpec, 3> highorder_options = {
    {{"threads", true}, {"straight", false}, {"param", true, true}}};

// The session's parameters from the options, in the order they take effect:
// --threads, --straight, then each --param as given (so a --param may
// override the two others).
struct Parameter {
  std::string name;
  std::string value;
};

std::optional<std::string> collect_parameters(const Arguments &arguments,
                                              std::vector<Parameter> &parameters) {
  if (const std::string *threads = arguments.value("threads")) {
    auto number = parse_int(*threads);
    if (!number || *number < 0) return "--threads takes a count of 0 or more (0: every processor)";
    parameters.push_back({"max_number_of_threads", *threads});
  }
  // No curving: the mid-nodes stay on the straight edges.
  if (arguments.has("straight")) parameters.push_back({"curve_propagation_mode", "-1"});
  for (const std::string &setting : arguments.values("param")) {
    const std::size_t equals = setting.find('=');
    if (equals == std::string::npos || equals == 0)
      return "--param takes NAME=VALUE, not '" + setting + "'";
    parameters.push_back({setting.substr(0, equals), setting.substr(equals + 1)});
  }
  return std::nullopt;
}

int run_highorder(const Command &command, const Arguments &arguments) {
  const std::string &input = arguments.positionals[0];
  const std::string &output = arguments.positionals[1];
  for (const std::string *path : {&input, &output})
    if (auto error = unknown_mesh_format(*path)) return usage_error(command, *error);
  std::vector<Parameter> parameters;
  if (auto error = collect_parameters(arguments, parameters)) return usage_error(command, *error);

  Session session(command.name);
  if (session.context() == nullptr) return session.fail("not enough memory");
  gridlume_highorder_session *conversion = gridlume_highorder_session_new(session.context());
  if (conversion == nullptr) return session.fail("not enough memory");
  for (const Parameter &parameter : parameters)
    if (gridlume_highorder_set_param(conversion, parameter.name.c_str(), parameter.value.c_str()) !=
        GRIDLUME_STATUS_OK)
      return usage_error(command, "unknown parameter or unreadable value '" + parameter.name + "=" +
                                      parameter.value + "'");

  gridlume_mesh *mesh = read_mesh(session, input, nullptr);
  if (mesh == nullptr) return session.fail_unless_reported("cannot read '" + input + "'");
  gridlume_highorder_set_volume_mesh(conversion, mesh);
  session.end_progress();
  const int status = gridlume_highorder_compute_mesh(conversion);
  if (status == GRIDLUME_STATUS_NO_MEMORY) return session.fail("not enough memory");
  if (status != GRIDLUME_STATUS_OK)
    return session.fail_unless_reported("cannot convert '" + input +
                                        "': it needs vertices and volume elements");
  gridlume_mesh *result = nullptr;
  if (gridlume_highorder_get_mesh(conversion, &result) != GRIDLUME_STATUS_OK)
    return session.fail("not enough memory");
  if (write_mesh(session, result, output, WriteOptions{}) != GRIDLUME_STATUS_OK)
    return session.fail_unless_reported("cannot write '" + output + "'");
  return exit_success;
}

}  // namespace

const Command highorder_command = {
    "highorder",
    "IN OUT [--threads N] [--straight] [--param NAME=VALUE ...]",
    "Convert a linear volume mesh to a curved second-order mesh.",
    "Every edge, face and volume element of IN receives the extra nodes of its\n"
    "quadratic form; the new nodes on the boundary are curved, unless --straight.\n"
    "OUT holds the second-order mesh, its high-order elements written as linear\n"
    "elements plus their extra vertices.\n\n"
    "Options:\n"
    "  --threads N          worker threads of the conversion (0: one per\n"
    "                       processor; default 4)\n"
    "  --straight           keep the new nodes on the straight edges and faces\n"
    "  --param NAME=VALUE   a parameter of the conversion; may be repeated:\n"
    "                       verbose, max_number_of_threads, curve_propagation_mode,\n"
    "                       jacobian_threshold, use_C3D10M_jacobian (yes/no), curve\n"
    "                       (yes/no)\n"
    "  -h, --help           this help\n",
    highorder_options,
    2,
    2,
    run_highorder,
};

}  // namespace gridlume_tool
