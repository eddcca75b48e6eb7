// gridlume proximity MESH OUT.sol [--aniso] [--tag N] [...]: the proximity
// size map of a 2D mesh, whose sizes follow the distance between its marked
// edges across the triangles, written to a solution file.
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "command.hpp"
#include "mesh_files.hpp"
#include "session.hpp"

namespace gridlume_tool {

namespace {

constexpr std::array<OptionSpec, 5> proximity_options = {{{"aniso", false},
                                                          {"tag", true},
                                                          {"scale", true},
                                                          {"default-size", true},
                                                          {"threshold", true}}};

constexpr std::array<std::string_view, 2> solution_extensions = {".solb", ".sol"};
// Lengths below this fraction of the mesh's extent count as zero.
constexpr double relative_tolerance = 1e-9;

bool is_solution_file(std::string_view path) {
  for (std::string_view extension : solution_extensions)
    if (path.size() > extension.size() && path.ends_with(extension)) return true;
  return false;
}

// The length of the diagonal of the mesh's bounding box; -1 when the
// coordinates cannot be read.
double bounding_box_diagonal(gridlume_mesh *mesh, int vertex_count) {
  std::array<double, 3> low{}, high{};
  for (int v = 1; v <= vertex_count; ++v) {
    double xyz[3] = {0.0, 0.0, 0.0};
    if (gridlume_mesh_get_vertex_coordinates(mesh, v, xyz) != GRIDLUME_STATUS_OK) return -1.0;
    for (int axis = 0; axis < 3; ++axis) {
      if (v == 1 || xyz[axis] < low[axis]) low[axis] = xyz[axis];
      if (v == 1 || xyz[axis] > high[axis]) high[axis] = xyz[axis];
    }
  }
  return std::hypot(high[0] - low[0], high[1] - low[1], high[2] - low[2]);
}

// Keeps the edges of the mesh that carry `tag` and drops the others; the
// number kept, or -1 when the edges cannot be read or rewritten.
int keep_edges_with_tag(gridlume_mesh *mesh, int tag) {
  int edge_count = 0;
  if (gridlume_mesh_get_edge_count(mesh, &edge_count) != GRIDLUME_STATUS_OK) return -1;
  std::vector<std::array<int, 2>> kept;
  for (int e = 1; e <= edge_count; ++e) {
    std::array<int, 2> vertices{};
    int edge_tag = 0;
    if (gridlume_mesh_get_edge_vertices(mesh, e, vertices.data()) != GRIDLUME_STATUS_OK ||
        gridlume_mesh_get_edge_tag(mesh, e, &edge_tag) != GRIDLUME_STATUS_OK)
      return -1;
    if (edge_tag == tag) kept.push_back(vertices);
  }
  const int kept_count = static_cast<int>(kept.size());
  if (gridlume_mesh_set_edge_count(mesh, kept_count) != GRIDLUME_STATUS_OK) return -1;
  for (int e = 1; e <= kept_count; ++e)
    if (gridlume_mesh_set_edge_vertices(mesh, e, kept[e - 1].data()) != GRIDLUME_STATUS_OK ||
        gridlume_mesh_set_edge_tag(mesh, e, &tag) != GRIDLUME_STATUS_OK)
      return -1;
  return kept_count;
}

// A positive length given with `name`, or the usage error it makes.
bool read_length(const Command &command, const Arguments &arguments, std::string_view name,
                 double &length, int &status) {
  const std::string *text = arguments.value(name);
  if (text == nullptr) return true;
  auto values = parse_reals(*text);
  if (!values || values->size() != 1 || !((*values)[0] > 0.0)) {
    status = usage_error(command, "--" + std::string(name) + " takes a positive number");
    return false;
  }
  length = (*values)[0];
  return true;
}

int run_proximity(const Command &command, const Arguments &arguments) {
  const std::string &input = arguments.positionals[0];
  const std::string &output = arguments.positionals[1];
  if (auto error = unknown_mesh_format(input)) return usage_error(command, *error);
  if (!is_solution_file(output))
    return usage_error(command, "'" + output + "' is not a solution file ('.sol' or '.solb')");
  std::optional<int> tag;
  if (const std::string *text = arguments.value("tag")) {
    tag = parse_int(*text);
    if (!tag) return usage_error(command, "--tag takes an integer");
  }
  double scale = 1.0, default_size = 0.0;
  double threshold = std::numeric_limits<double>::infinity();
  int status = exit_success;
  if (!read_length(command, arguments, "scale", scale, status) ||
      !read_length(command, arguments, "default-size", default_size, status) ||
      !read_length(command, arguments, "threshold", threshold, status))
    return status;

  Session session(command.name);
  if (session.context() == nullptr) return session.fail("not enough memory");
  gridlume_mesh *mesh = read_mesh(session, input, nullptr);
  if (mesh == nullptr) return session.fail_unless_reported("cannot read '" + input + "'");
  int vertex_count = 0, triangle_count = 0;
  if (gridlume_mesh_get_vertex_count(mesh, &vertex_count) != GRIDLUME_STATUS_OK ||
      gridlume_mesh_get_triangle_count(mesh, &triangle_count) != GRIDLUME_STATUS_OK)
    return session.fail("cannot read the counts of '" + input + "'");
  if (triangle_count == 0) return session.fail("'" + input + "' has no triangles");
  if (tag) {
    const int kept = keep_edges_with_tag(mesh, *tag);
    if (kept < 0) return session.fail("cannot read the edges of '" + input + "'");
    if (kept == 0)
      return session.fail("no edge of '" + input + "' has tag " + std::to_string(*tag));
  }
  const double extent = bounding_box_diagonal(mesh, vertex_count);
  if (extent < 0.0) return session.fail("cannot read the vertices of '" + input + "'");
  // Without proximity, a vertex asks for nothing smaller than the whole mesh.
  if (default_size == 0.0) default_size = extent > 0.0 ? extent : 1.0;

  gridlume_sizemap *sizemap =
      gridlume_proximity2D_compute_core(mesh, scale, default_size, arguments.has("aniso") ? 1 : 0,
                                        relative_tolerance * extent, threshold);
  if (sizemap == nullptr)
    return session.fail_unless_reported("cannot compute the proximity of '" + input + "'");
  if (gridlume_sizemap_write_sol(sizemap, output.c_str()) != GRIDLUME_STATUS_OK)
    return session.fail_unless_reported("cannot write '" + output + "'");
  return exit_success;
}

}  // namespace

const Command proximity_command = {
    "proximity",
    "MESH OUT [--aniso] [--tag N] [--scale S] [--default-size H] [--threshold D]",
    "Write the proximity size map of a 2D mesh.",
    "The size at each vertex is the distance across the triangles between the two\n"
    "marked edges facing each other around it, times the scale; the marked edges\n"
    "are the mesh's edges, or those with the tag given. Vertices without such a\n"
    "pair get the default size. OUT is a solution file, '.sol' (text) or '.solb'\n"
    "(binary), with one value per vertex, or one metric with --aniso.\n\n"
    "Options:\n"
    "  --aniso           a metric per vertex: the size along the direction between\n"
    "                    the two edges, the default size across it\n"
    "  --tag N           only the edges with tag N are marked\n"
    "  --scale S         factor from distance to size (default 1)\n"
    "  --default-size H  the size where no proximity is found (default the diagonal\n"
    "                    of the mesh's bounding box)\n"
    "  --threshold D     edges farther apart than D make no proximity (default none)\n"
    "  -h, --help        this help\n",
    proximity_options,
    2,
    2,
    run_proximity,
};

}  // namespace gridlume_tool
