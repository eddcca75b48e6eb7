// gridlume info and convert for size map files: solution keyword files
// (".sol", ".solb") and bb files (".bb"), scalar sizes or metrics at the
// vertices of a mesh.
#include "solution_commands.hpp"

#include <algorithm>
#include <cstdio>
#include <string>

#include "session.hpp"
#include "solution_files.hpp"

namespace gridlume_tool {

namespace {

constexpr int bb_values_at_vertices = 2;

const char *format_description(SolutionFormat format) {
  switch (format) {
    case SolutionFormat::text:
      return "text solution file";
    case SolutionFormat::binary:
      return "binary solution file";
    case SolutionFormat::bb:
      return "bb size file";
  }
  return "";
}

std::string field_list(const SolutionFileHeader &header) {
  if (header.format == SolutionFormat::bb) {
    std::string text = std::to_string(header.bb_values_per_vertex) + " value" +
                       (header.bb_values_per_vertex == 1 ? "" : "s") + " per vertex";
    if (header.types[0] != 0) text = solution_type_name(header.types[0]) + " (" + text + ")";
    if (header.bb_value_kind != bb_values_at_vertices)
      text += ", values of kind " + std::to_string(header.bb_value_kind);
    return text;
  }
  std::string text;
  for (int type : header.types) {
    if (!text.empty()) text += ", ";
    text += solution_type_name(type);
  }
  return text.empty() ? "none" : text;
}

// Sizes and metrics the library reads: 1 scalar, or 1 symmetric tensor.
bool library_reads(const SolutionFileHeader &header) {
  return header.has_vertex_values && header.types.size() == 1 &&
         (header.types[0] == 1 || header.types[0] == 3);
}

// The smallest and largest size of a scalar size map, or of the first
// diagonal term of a metric.
void print_range(gridlume_sizemap *sizemap, int vertex_count) {
  if (vertex_count == 0) return;
  int type = 0;
  gridlume_sizemap_get_type(sizemap, &type);
  double low = 0, high = 0;
  for (int vertex = 1; vertex <= vertex_count; ++vertex) {
    double values[6] = {};
    if (type == GRIDLUME_SIZEMAP_TYPE_ISO_MESH_VERTEX)
      gridlume_sizemap_iso_mesh_vertex_get_size(sizemap, vertex, values);
    else
      gridlume_sizemap_aniso_mesh_vertex_get_metric(sizemap, vertex, values);
    low = vertex == 1 ? values[0] : std::min(low, values[0]);
    high = vertex == 1 ? values[0] : std::max(high, values[0]);
  }
  std::printf("%-15s[%.10g, %.10g]\n",
              type == GRIDLUME_SIZEMAP_TYPE_ISO_MESH_VERTEX ? "sizes" : "first terms", low, high);
}

}  // namespace

bool is_solution_path(std::string_view path) { return find_solution_format(path).has_value(); }

int run_solution_info(const Command &command, const Arguments &arguments) {
  const std::string &path = arguments.positionals[0];
  Session session(command.name);
  if (session.context() == nullptr) return session.fail("not enough memory");
  auto header = read_solution_header(path);
  if (!header) return session.fail("cannot read '" + path + "'");
  // Files the library reads are read whole, so that a damaged one is told.
  gridlume_sizemap *sizemap = nullptr;
  if (library_reads(*header) || header->format == SolutionFormat::bb) {
    sizemap = read_sizemap(session, path, *header);
    if (sizemap == nullptr) return session.fail_unless_reported("cannot read '" + path + "'");
  }
  std::printf("%-15s%s\n", "file", path.c_str());
  std::printf("%-15s%s", "format", format_description(header->format));
  if (header->format != SolutionFormat::bb) std::printf(", version %d", header->version);
  std::printf("\n%-15s%d\n", "dimension", header->dimension);
  if (!header->has_vertex_values) {
    std::printf("%-15snone (no SolAtVertices block)\n", "vertices");
    return exit_success;
  }
  std::printf("%-15s%d\n", "vertices", header->vertex_count);
  std::printf("%-15s%s\n", "fields", field_list(*header).c_str());
  if (sizemap != nullptr) print_range(sizemap, header->vertex_count);
  return exit_success;
}

int run_solution_convert(const Command &command, const Arguments &arguments) {
  const std::string &input = arguments.positionals[0];
  const std::string &output = arguments.positionals[1];
  if (!is_solution_path(input) || !is_solution_path(output))
    return usage_error(command,
                       "a size map file converts only to another size map file "
                       "('.sol', '.solb', '.bb')");
  if (arguments.has("p2") || arguments.has("extra-vertices"))
    return usage_error(command, "--p2 and --extra-vertices apply to meshes only");
  int version = default_solution_version;
  if (auto error = read_version_option(arguments, version)) return usage_error(command, *error);
  if (arguments.has("version") && find_solution_format(output) == SolutionFormat::bb)
    return usage_error(command, "--version applies to '.sol' and '.solb' files only");

  Session session(command.name);
  if (session.context() == nullptr) return session.fail("not enough memory");
  auto header = read_solution_header(input);
  if (!header) return session.fail("cannot read '" + input + "'");
  if (!header->has_vertex_values)
    return session.fail("'" + input + "' holds no values at vertices");
  gridlume_sizemap *sizemap = read_sizemap(session, input, *header);
  if (sizemap == nullptr) return session.fail_unless_reported("cannot read '" + input + "'");
  // The mesh writer that writes other versions reports its failures with
  // messages only, so a message counts as a failure.
  if (write_sizemap(session, sizemap, output, version) != GRIDLUME_STATUS_OK ||
      session.diagnostic_reported())
    return session.fail_unless_reported("cannot write '" + output + "'");
  return exit_success;
}

}  // namespace gridlume_tool
