// gridlume crack IN OUT --between TAG1,TAG2 [--face-tag N] [--open-rim]
// [--move]: opens a volume mesh along the faces between the elements of two
// tags and writes the result.
#include <array>
#include <cstdio>
#include <string>

#include "command.hpp"
#include "mesh_files.hpp"
#include "session.hpp"

namespace gridlume_tool {

namespace {

constexpr std::array<OptionSpec, 5> crack_options = {{{"between", true},
                                                      {"face-tag", true},
                                                      {"open-rim", false},
                                                      {"move", false},
                                                      {"version", true}}};

struct Counts {
  int vertices = 0, triangles = 0, quadrangles = 0;
};

Counts counts_of(gridlume_mesh *mesh) {
  Counts counts;
  gridlume_mesh_get_vertex_count(mesh, &counts.vertices);
  gridlume_mesh_get_triangle_count(mesh, &counts.triangles);
  gridlume_mesh_get_quadrangle_count(mesh, &counts.quadrangles);
  return counts;
}

// "A,B": two tags.
std::optional<std::array<int, 2>> parse_tag_pair(const std::string &text) {
  const std::size_t comma = text.find(',');
  if (comma == std::string::npos) return std::nullopt;
  auto first = parse_int(std::string_view(text).substr(0, comma));
  auto second = parse_int(std::string_view(text).substr(comma + 1));
  if (!first || !second) return std::nullopt;
  return std::array<int, 2>{*first, *second};
}

int run_crack(const Command &command, const Arguments &arguments) {
  const std::string &input = arguments.positionals[0];
  const std::string &output = arguments.positionals[1];
  for (const std::string *path : {&input, &output})
    if (auto error = unknown_mesh_format(*path)) return usage_error(command, *error);
  const std::string *between = arguments.value("between");
  if (between == nullptr) return usage_error(command, "--between TAG1,TAG2 is required");
  const auto tags = parse_tag_pair(*between);
  if (!tags) return usage_error(command, "--between takes two integer tags: TAG1,TAG2");
  int face_tag = 0;
  if (const std::string *text = arguments.value("face-tag")) {
    auto value = parse_int(*text);
    if (!value) return usage_error(command, "--face-tag takes an integer tag");
    face_tag = *value;
  }
  WriteOptions write_options;
  if (auto error = read_version_option(arguments, write_options.version))
    return usage_error(command, *error);
  int options = 0;
  if (arguments.has("open-rim")) options |= GRIDLUME_MESH_CRACKER_OPEN_RIM;
  if (arguments.has("move")) options |= GRIDLUME_MESH_CRACKER_MOVE_COPIES;

  Session session(command.name);
  if (session.context() == nullptr) return session.fail("not enough memory");
  gridlume_mesh *mesh = read_mesh(session, input, nullptr);
  if (mesh == nullptr) return session.fail_unless_reported("cannot read '" + input + "'");
  gridlume_mesh_cracker *cracker = gridlume_mesh_cracker_new(session.context());
  if (cracker == nullptr) return session.fail("not enough memory");
  int status = gridlume_mesh_cracker_set_input_mesh(cracker, mesh);
  // The only report the crack makes is that it found no face to crack.
  const long reports_before = session.report_count();
  if (status == GRIDLUME_STATUS_OK)
    status = gridlume_mesh_cracker_crack_between_volume_elements_with_tags(
        cracker, (*tags)[0], (*tags)[1], 0, face_tag, options);
  const bool nothing_to_crack = session.report_count() != reports_before;
  gridlume_mesh *cracked = nullptr;
  if (status == GRIDLUME_STATUS_OK && !nothing_to_crack)
    status = gridlume_mesh_cracker_get_output_mesh(cracker, &cracked);
  gridlume_mesh_cracker_delete(cracker);
  if (status == GRIDLUME_STATUS_NO_MEMORY) return session.fail("not enough memory");
  if (status != GRIDLUME_STATUS_OK)
    return session.fail_unless_reported("cannot crack '" + input + "'");
  if (nothing_to_crack)
    return session.fail("no face of '" + input + "' lies between tags " +
                        std::to_string((*tags)[0]) + " and " + std::to_string((*tags)[1]));
  const Counts before = counts_of(mesh), after = counts_of(cracked);
  if (write_mesh(session, cracked, output, write_options) != GRIDLUME_STATUS_OK)
    return session.fail_unless_reported("cannot write '" + output + "'");
  std::printf(
      "vertices     %d (%d duplicated)\ntriangles    %d (%d before)\n"
      "quadrangles  %d (%d before)\n",
      after.vertices, after.vertices - before.vertices, after.triangles, before.triangles,
      after.quadrangles, before.quadrangles);
  return exit_success;
}

}  // namespace

const Command crack_command = {
    "crack",
    "IN OUT --between TAG1,TAG2 [--face-tag N] [--open-rim] [--move] [--version N]",
    "Open a volume mesh along the faces between two volume tags.",
    "The faces between a volume element of TAG1 and one of TAG2 form the crack:\n"
    "their vertices are duplicated so that the two sides no longer share them,\n"
    "and every face is written twice, once for each side, with the face tag.\n"
    "Where the crack surface ends (its rim) the sides stay attached unless\n"
    "--open-rim is given. Only coordinates, tags and element vertices are\n"
    "written. Prints the counts of the result. Exit status 1 when no face lies\n"
    "between the two tags (nothing is written).\n\n"
    "Options:\n"
    "  --between TAG1,TAG2  the two volume tags (required)\n"
    "  --face-tag N         the tag of the doubled faces (default 0)\n"
    "  --open-rim           open the rim too, except along the mesh's own edges:\n"
    "                       a crack reaching the boundary then cuts the mesh\n"
    "  --move               move every duplicated vertex a quarter of the way\n"
    "                       into its side, so that the crack shows open\n"
    "  --version N          keyword file version 1, 2 or 3 (the default)\n"
    "  -h, --help           this help\n",
    crack_options,
    2,
    2,
    run_crack,
};

}  // namespace gridlume_tool
