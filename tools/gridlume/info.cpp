// gridlume info FILE: what a mesh file holds.
#include <cstdio>
#include <string>

#include "command.hpp"
#include "mesh_files.hpp"
#include "mesh_summary.hpp"
#include "session.hpp"
#include "side_mesh_files.hpp"
#include "solution_commands.hpp"

namespace gridlume_tool {

namespace {

// Enough to read a tag list at a glance; longer ones end in "...".
constexpr std::size_t shown_tag_groups = 12;
constexpr std::size_t shown_composite_tags = 8;

void print_box(const MeshSummary &summary) {
  if (!summary.has_vertices) {
    std::printf("bounding box   none (no vertex)\n");
    return;
  }
  std::printf("bounding box  ");
  for (int axis = 0; axis < summary.dimension && axis < 3; ++axis)
    std::printf("%s [%.10g, %.10g]", axis == 0 ? "" : " x", summary.box_min[axis],
                summary.box_max[axis]);
  std::printf("\n");
}

// How the file stores its high-order elements, from the reader's form code.
// Under the default selection a kind is read in the P2 form only when its file
// holds P2 elements, so the kinds without extra vertices were all read in the
// extra-vertex form and a mixed code with one high-order kind names its form.
const char *stored_form(int high_order_form, int high_order_kinds) {
  if (high_order_form == p2_form || (high_order_form == both_forms && high_order_kinds == 1))
    return "as P2 elements";
  if (high_order_form == both_forms) return "partly as P2 elements, partly as extra vertices";
  return "as extra vertices";
}

void print_high_order(const MeshSummary &summary, int high_order_form) {
  std::string kinds;
  int high_order_kinds = 0;
  for (std::size_t k = 0; k < entity_kinds.size(); ++k) {
    const EntitySummary &entity = summary.entities[k];
    if (entity.high_order_count == 0) continue;
    ++high_order_kinds;
    if (!kinds.empty()) kinds += ", ";
    kinds += entity_kinds[k].plural;
    kinds += ": ";
    kinds += std::to_string(entity.high_order_count);
  }
  if (kinds.empty())
    std::printf("high order     none (linear elements)\n");
  else
    std::printf("high order     %s, stored %s\n", kinds.c_str(),
                stored_form(high_order_form, high_order_kinds));
}

void print_composite_tags(const MeshSummary &summary) {
  if (summary.composite_tags.empty()) {
    std::printf("composite tags none\n");
    return;
  }
  std::printf("composite tags %zu\n", summary.composite_tags.size());
  std::size_t shown = 0;
  for (const auto &[composite, bases] : summary.composite_tags) {
    if (shown++ == shown_composite_tags) {
      std::printf("  ...\n");
      break;
    }
    std::printf("  %d = %s\n", composite, format_tag_list(bases, shown_tag_groups).c_str());
  }
}

int run_info(const Command &command, const Arguments &arguments) {
  const std::string &path = arguments.positionals[0];
  if (is_solution_path(path)) return run_solution_info(command, arguments);
  if (auto error = unknown_mesh_format(path)) return usage_error(command, *error);
  const MeshFormat *format = find_mesh_format(path);
  if (format->read == nullptr)
    return usage_error(command, "'" + path + "': " + std::string(format->description) +
                                    "s are written, not read");

  Session session(command.name);
  if (session.context() == nullptr) return session.fail("not enough memory");
  int high_order_form = 0;
  gridlume_mesh *mesh = read_mesh(session, path, &high_order_form);
  if (mesh == nullptr) return session.fail_unless_reported("cannot read '" + path + "'");
  MeshSummary summary;
  if (summarize_mesh(mesh, summary) != GRIDLUME_STATUS_OK)
    return session.fail_unless_reported("cannot query the mesh of '" + path + "'");

  std::printf("file           %s\n", path.c_str());
  if (auto header = read_keyword_file_header(path))
    std::printf("format         %.*s, version %d\n", static_cast<int>(format->description.size()),
                format->description.data(), header->version);
  else if (!format->keyword_file)
    std::printf("format         %s\n", describe_side_file(*format, path).c_str());
  std::printf("dimension      %d\n", summary.dimension);
  print_box(summary);
  std::printf("%-15s%8s  %s\n", "entities", "count", "tags in use");
  for (std::size_t k = 0; k < entity_kinds.size(); ++k) {
    const EntitySummary &entity = summary.entities[k];
    std::printf("  %-12.*s %8d%s%s\n", static_cast<int>(entity_kinds[k].plural.size()),
                entity_kinds[k].plural.data(), entity.count, entity.tags.empty() ? "" : "  ",
                format_tag_list(entity.tags, shown_tag_groups).c_str());
  }
  std::printf("  %-12s %8d\n", "subdomains", summary.subdomain_count);
  print_composite_tags(summary);
  print_high_order(summary, high_order_form);
  return exit_success;
}

}  // namespace

const Command info_command = {
    "info",
    "FILE",
    "Show what a mesh or size map file holds.",
    "Prints the file's format and version, the dimension, the bounding box, the\n"
    "count of every entity kind with the tags in use, the composite tags, and\n"
    "which elements carry extra (high-order) vertices.\n\n"
    "Of a size map file ('.sol', '.solb', '.bb'): the format and version, the\n"
    "dimension, the vertex count, the kinds of its fields and the range of the\n"
    "sizes (or of the first metric terms).\n\n"
    "Options:\n"
    "  -h, --help    this help\n",
    {},
    1,
    1,
    run_info,
};

}  // namespace gridlume_tool
