// gridlume grid NX NY NZ OUT [--box ...]: a tetrahedral grid of a box, written
// to a mesh file; for trying things out and for benchmarks.
#include <array>
#include <string>

#include "command.hpp"
#include "mesh_files.hpp"
#include "session.hpp"

namespace gridlume_tool {

namespace {

// The grid needs two vertices along every axis.
constexpr int min_vertices_per_axis = 2;

constexpr std::array<OptionSpec, 2> grid_options = {{{"box", true}, {"version", true}}};

int run_grid(const Command &command, const Arguments &arguments) {
  std::array<int, 3> counts{};
  for (std::size_t axis = 0; axis < counts.size(); ++axis) {
    auto count = parse_int(arguments.positionals[axis]);
    if (!count || *count < min_vertices_per_axis)
      return usage_error(command, "vertex count '" + arguments.positionals[axis] +
                                      "' is not an integer of 2 or more");
    counts[axis] = *count;
  }
  const std::string &output = arguments.positionals[3];
  if (auto error = unknown_mesh_format(output)) return usage_error(command, *error);

  // The library orders each cell's tetrahedra so that their volumes are
  // negative; the default unit cube is given mirrored along z so that the
  // grid's tetrahedra have positive volumes.
  std::array<double, 3> box_min = {0.0, 0.0, 1.0}, box_max = {1.0, 1.0, 0.0};
  if (const std::string *box = arguments.value("box")) {
    auto bounds = parse_reals(*box);
    if (!bounds || bounds->size() != 6)
      return usage_error(command, "--box takes six numbers xmin,ymin,zmin,xmax,ymax,zmax");
    for (std::size_t axis = 0; axis < 3; ++axis) {
      box_min[axis] = (*bounds)[axis];
      box_max[axis] = (*bounds)[axis + 3];
      // A "minimum" above its "maximum" mirrors the grid along that axis.
      if (box_min[axis] == box_max[axis])
        return usage_error(command, "--box: the box is flat (a side of length 0)");
    }
  }
  WriteOptions write_options;
  if (auto error = read_version_option(arguments, write_options.version))
    return usage_error(command, *error);

  Session session(command.name);
  if (session.context() == nullptr) return session.fail("not enough memory");
  gridlume_mesh *grid = gridlume_mesh_new_tetra_grid(session.context(), box_min.data(),
                                                      box_max.data(), counts[0], counts[1],
                                                      counts[2]);
  // The counts were checked, so only memory or the 32-bit index range is left.
  if (grid == nullptr)
    return session.fail("cannot build the grid: too many vertices or not enough memory");
  if (write_mesh(session, grid, output, write_options) != GRIDLUME_STATUS_OK)
    return session.fail_unless_reported("cannot write '" + output + "'");
  return exit_success;
}

}  // namespace

const Command grid_command = {
    "grid",
    "NX NY NZ OUT [--box XMIN,YMIN,ZMIN,XMAX,YMAX,ZMAX] [--version N]",
    "Write a tetrahedral grid of a box.",
    "NX, NY and NZ vertices along the axes (2 or more each), six tetrahedra per cell;\n"
    "the file format comes from the name of OUT ('.mesh' text, '.meshb' binary).\n"
    "The library orders the vertices of the grid's tetrahedra so that their signed\n"
    "volumes are negative; mirroring the box along one axis (a minimum above its\n"
    "maximum) makes them positive.\n\n"
    "Options:\n"
    "  --box XMIN,YMIN,ZMIN,XMAX,YMAX,ZMAX  the box, from the corner of the first\n"
    "                vertex to the opposite one (default the unit cube, as\n"
    "                0,0,1,1,1,0: mirrored, with positive volumes)\n"
    "  --version N   keyword file version 1 (floats), 2 (doubles) or 3 (doubles,\n"
    "                64-bit positions; the default)\n"
    "  -h, --help    this help\n",
    grid_options,
    4,
    4,
    run_grid,
};

}  // namespace gridlume_tool
