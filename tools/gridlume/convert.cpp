// gridlume convert IN OUT [--version N] [--p2|--extra-vertices] [--binary]
// [--tolerance T]: rewrites a mesh in another format (from the extension of
// OUT), file version or form of its high-order elements.
#include <array>
#include <string>

#include "command.hpp"
#include "mesh_files.hpp"
#include "session.hpp"
#include "solution_commands.hpp"

namespace gridlume_tool {

namespace {

constexpr std::array<OptionSpec, 5> convert_options = {{{"version", true},
                                                        {"p2", false},
                                                        {"extra-vertices", false},
                                                        {"binary", false},
                                                        {"tolerance", true}}};

int run_convert(const Command &command, const Arguments &arguments) {
  const std::string &input = arguments.positionals[0];
  const std::string &output = arguments.positionals[1];
  if (is_solution_path(input) || is_solution_path(output))
    return run_solution_convert(command, arguments);
  for (const std::string *path : {&input, &output})
    if (auto error = unknown_mesh_format(*path)) return usage_error(command, *error);
  if (find_mesh_format(input)->read == nullptr)
    return usage_error(command, "'" + input + "': " +
                                    std::string(find_mesh_format(input)->description) +
                                    "s are written, not read");
  ReadOptions read_options;
  if (const std::string *tolerance = arguments.value("tolerance")) {
    auto values = parse_reals(*tolerance);
    if (!values || values->size() != 1)
      return usage_error(command, "--tolerance takes one number");
    read_options.stl_tolerance = (*values)[0];
  }
  WriteOptions write_options;
  if (auto error = read_version_option(arguments, write_options.version))
    return usage_error(command, *error);
  if (arguments.has("p2") && arguments.has("extra-vertices"))
    return usage_error(command, "--p2 and --extra-vertices exclude each other");
  if (arguments.has("p2")) write_options.high_order_form = p2_form;
  write_options.binary = arguments.has("binary");

  Session session(command.name);
  if (session.context() == nullptr) return session.fail("not enough memory");
  gridlume_mesh *mesh = read_mesh(session, input, nullptr, read_options);
  if (mesh == nullptr) return session.fail_unless_reported("cannot read '" + input + "'");
  if (write_mesh(session, mesh, output, write_options) != GRIDLUME_STATUS_OK)
    return session.fail_unless_reported("cannot write '" + output + "'");
  return exit_success;
}

}  // namespace

const Command convert_command = {
    "convert",
    "IN OUT [--version N] [--p2 | --extra-vertices] [--binary] [--tolerance T]",
    "Convert a mesh or size map file to another format, version or form.",
    "The formats come from the names: '.mesh' (text) and '.meshb' (binary)\n"
    "keyword mesh files, '.stl' STL files (text or binary), '.bdf' bulk data\n"
    "decks, '.points'/'.faces' pairs (either name stands for the pair), and\n"
    "'.vtk' legacy VTK files (written only, volume elements). Size maps\n"
    "convert between '.sol' (text) and '.solb' (binary) solution files,\n"
    "version 2 unless --version says otherwise, and '.bb' files, always in\n"
    "3D: the 3 terms of a 2D metric are followed by zeros.\n\n"
    "Options:\n"
    "  --version N        keyword file version 1 (floats), 2 (doubles) or 3\n"
    "                     (doubles, 64-bit positions; the default for meshes,\n"
    "                     2 for size maps)\n"
    "  --p2               write high-order elements as whole second-order\n"
    "                     elements (TrianglesP2, ...), after the linear ones\n"
    "  --extra-vertices   write them as linear elements plus their extra vertices\n"
    "                     (ExtraVerticesAtTriangles, ...); the default\n"
    "  --binary           write a binary STL file rather than a text one\n"
    "  --tolerance T      merge STL facet corners closer than T (default: only\n"
    "                     corners at the very same place)\n"
    "  -h, --help         this help\n",
    convert_options,
    2,
    2,
    run_convert,
};

}  // namespace gridlume_tool
