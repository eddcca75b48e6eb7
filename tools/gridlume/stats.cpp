// gridlume stats FILE [--key PREFIX] [--measure NAME] [--thresholds a,b,c]:
// the library's quality statistics of a mesh file.
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "command.hpp"
#include "mesh_files.hpp"
#include "session.hpp"

namespace gridlume_tool {

namespace {

using PlainReport = int (*)(gridlume_mesh *);
using KeyReport = int (*)(gridlume_mesh *, const char *);
using CustomReport = int (*)(gridlume_mesh *, int, const double *);
using CustomKeyReport = int (*)(gridlume_mesh *, const char *, int, const double *);

// A member of the statistics with the entry points it has (NULL for the
// forms it lacks).
struct StatisticsMember {
  std::string_view name;
  PlainReport plain;
  KeyReport key;
  CustomReport custom;
  CustomKeyReport custom_key;
};

#define GRIDLUME_TOOL_ENTRY(name, suffix) gridlume_mesh_compute_statistics_##name##suffix
#define GRIDLUME_TOOL_FORMS_ALL(name)                                  \
  GRIDLUME_TOOL_ENTRY(name, ), GRIDLUME_TOOL_ENTRY(name, _valid),      \
      GRIDLUME_TOOL_ENTRY(name, _with_custom_histogram),               \
      GRIDLUME_TOOL_ENTRY(name, _with_custom_histogram_valid)
#define GRIDLUME_TOOL_FORMS_PLAIN_VALID(name) \
  GRIDLUME_TOOL_ENTRY(name, ), GRIDLUME_TOOL_ENTRY(name, _valid), nullptr, nullptr
#define GRIDLUME_TOOL_FORMS_PLAIN(name) GRIDLUME_TOOL_ENTRY(name, ), nullptr, nullptr, nullptr
#define GRIDLUME_TOOL_MEMBER(kind, measure, report, values, display_name, key_pattern, bins, \
                             sum, forms)                                                    \
  StatisticsMember{#kind "_" #measure, GRIDLUME_TOOL_FORMS_##forms(kind##_##measure)},

// The library's member table, after the two counting reports.
constexpr StatisticsMember members[] = {
    StatisticsMember{"element_count", GRIDLUME_TOOL_FORMS_PLAIN_VALID(element_count)},
    StatisticsMember{"2D_element_ratio", GRIDLUME_TOOL_FORMS_PLAIN_VALID(2D_element_ratio)},
    GRIDLUME_MESH_STATISTICS_MEMBERS(GRIDLUME_TOOL_MEMBER)};

#undef GRIDLUME_TOOL_MEMBER
#undef GRIDLUME_TOOL_FORMS_PLAIN
#undef GRIDLUME_TOOL_FORMS_PLAIN_VALID
#undef GRIDLUME_TOOL_FORMS_ALL
#undef GRIDLUME_TOOL_ENTRY

const StatisticsMember *find_member(std::string_view name) {
  for (const StatisticsMember &member : members)
    if (member.name == name) return &member;
  return nullptr;
}

constexpr std::array<OptionSpec, 3> stats_options = {
    {{"key", true}, {"measure", true}, {"thresholds", true}}};

// True when the mesh has tetrahedra and every one of them has a signed volume
// of 0 or less: the measures that need a positive volume are then infinite.
bool every_tetrahedron_inverted(gridlume_mesh *mesh) {
  int count = 0;
  if (gridlume_mesh_get_tetrahedron_count(mesh, &count) != GRIDLUME_STATUS_OK || count == 0)
    return false;
  for (int tetrahedron = 1; tetrahedron <= count; ++tetrahedron) {
    double volume = 0.0;
    if (gridlume_mesh_get_tetrahedron_volume(mesh, tetrahedron, &volume) != GRIDLUME_STATUS_OK ||
        volume > 0.0)
      return false;
  }
  return true;
}

int run_member(const StatisticsMember &member, gridlume_mesh *mesh, const std::string *prefix,
               const std::vector<double> *thresholds) {
  if (thresholds != nullptr) {
    int count = static_cast<int>(thresholds->size());
    return prefix != nullptr ? member.custom_key(mesh, prefix->c_str(), count, thresholds->data())
                             : member.custom(mesh, count, thresholds->data());
  }
  return prefix != nullptr ? member.key(mesh, prefix->c_str()) : member.plain(mesh);
}

int run_stats(const Command &command, const Arguments &arguments) {
  const std::string &path = arguments.positionals[0];
  if (auto error = unknown_mesh_format(path)) return usage_error(command, *error);
  const std::string *prefix = arguments.value("key");
  const StatisticsMember *member = nullptr;
  if (const std::string *name = arguments.value("measure")) {
    member = find_member(*name);
    if (member == nullptr) return usage_error(command, "unknown measure '" + *name + "'");
    if (prefix != nullptr && member->key == nullptr)
      return usage_error(command, "measure '" + *name + "' has no key style");
  }
  std::vector<double> thresholds;
  if (const std::string *text = arguments.value("thresholds")) {
    if (member == nullptr) return usage_error(command, "--thresholds needs --measure");
    if (member->custom == nullptr)
      return usage_error(command, "measure '" + std::string(member->name) +
                                      "' takes no custom thresholds");
    auto values = parse_reals(*text);
    if (!values) return usage_error(command, "--thresholds takes numbers separated by commas");
    // The library trusts the thresholds to ascend.
    for (std::size_t i = 1; i < values->size(); ++i)
      if (!((*values)[i - 1] < (*values)[i]))
        return usage_error(command, "--thresholds must be strictly ascending");
    thresholds = std::move(*values);
  }

  Session session(command.name);
  if (session.context() == nullptr) return session.fail("not enough memory");
  gridlume_mesh *mesh = read_mesh(session, path, nullptr);
  if (mesh == nullptr) return session.fail_unless_reported("cannot read '" + path + "'");
  if (every_tetrahedron_inverted(mesh))
    std::fprintf(stderr,
                 "gridlume stats: every tetrahedron of '%s' is inverted (volume 0 or negative), "
                 "so the measures that need a positive volume are infinite\n",
                 path.c_str());
  int status = GRIDLUME_STATUS_OK;
  if (member != nullptr) {
    status = run_member(*member, mesh, prefix, thresholds.empty() ? nullptr : &thresholds);
  } else if (prefix != nullptr) {
    status = gridlume_mesh_compute_statistics_valid(mesh, prefix->c_str());
  } else {
    status = gridlume_mesh_compute_statistics(mesh);
  }
  if (status != GRIDLUME_STATUS_OK)
    return session.fail_unless_reported("the statistics of '" + path + "' failed");
  if (member != nullptr && session.report_count() == 0)
    std::fprintf(stderr, "gridlume stats: nothing to report: '%s' has no element for %s\n",
                 path.c_str(), std::string(member->name).c_str());
  return exit_success;
}

void print_measures() {
  std::printf("\nMeasures (* also with --thresholds, - without --key):\n");
  int column = 0;
  for (const StatisticsMember &member : members) {
    char mark = member.custom != nullptr ? '*' : member.key != nullptr ? ' ' : '-';
    // Two columns; the second one is not padded.
    bool left = column++ % 2 == 0;
    std::printf(left ? "  %c %-36.*s" : "%c %.*s\n", mark, static_cast<int>(member.name.size()),
                member.name.data());
  }
  if (column % 2 != 0) std::printf("\n");
}

}  // namespace

const Command stats_command = {
    "stats",
    "FILE [--key PREFIX] [--measure NAME] [--thresholds T1,T2,...]",
    "Report the quality statistics of a mesh.",
    "Without options, the full report in the human style. Reports go to\n"
    "standard output; nothing is written for an element kind the mesh lacks.\n\n"
    "Options:\n"
    "  --key PREFIX        key style: lines 'VALID.PREFIX.<entity>.<field> = value',\n"
    "                      for comparing runs; the full report then ends with the\n"
    "                      topological statistics\n"
    "  --measure NAME      one measure with its histogram (names below)\n"
    "  --thresholds LIST   ascending histogram thresholds for --measure instead of\n"
    "                      its default ones\n"
    "  -h, --help          this help\n",
    stats_options,
    1,
    1,
    run_stats,
    print_measures,
};

}  // namespace gridlume_tool
