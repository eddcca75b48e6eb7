// gridlume sizemap DESCRIPTION MESH OUT: evaluates a size map creator described in a
// small text file at the vertices of a mesh and writes the sizes (or metrics)
// to a solution file.
#include <array>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "command.hpp"
#include "mesh_files.hpp"
#include "session.hpp"

namespace gridlume_tool {

namespace {

// A line of the description that adds a constraint: its keyword, then the
// words that must follow, "#" standing for a number.
struct ConstraintForm {
  std::string_view keyword;
  std::string_view pattern;
  int (*add)(gridlume_sizemap_creator *creator, const std::vector<double> &numbers);
};

constexpr std::array<ConstraintForm, 6> constraint_forms = {{
    {"default", "#",
     [](gridlume_sizemap_creator *c, const std::vector<double> &n) {
       return gridlume_sizemap_creator_add_constraint_default(c, n[0]);
     }},
    {"gradation", "#",
     [](gridlume_sizemap_creator *c, const std::vector<double> &n) {
       return gridlume_sizemap_creator_add_constraint_default_gradation(c, n[0]);
     }},
    {"sphere", "at # # # radius # size #",
     [](gridlume_sizemap_creator *c, const std::vector<double> &n) {
       return gridlume_sizemap_creator_add_constraint_on_sphere(c, n.data(), n[3], n[4]);
     }},
    {"cylinder", "from # # # to # # # radius # size #",
     [](gridlume_sizemap_creator *c, const std::vector<double> &n) {
       return gridlume_sizemap_creator_add_constraint_on_cylinder(c, n.data(), n.data() + 3, n[6],
                                                                  n[7]);
     }},
    {"point", "at # # # size #",
     [](gridlume_sizemap_creator *c, const std::vector<double> &n) {
       return gridlume_sizemap_creator_add_constraint_on_point(c, n.data(), n[3]);
     }},
    {"hexahedron", "# # # # # # # # # # # # # # # # # # # # # # # # size #",
     [](gridlume_sizemap_creator *c, const std::vector<double> &n) {
       const double *v = n.data();
       return gridlume_sizemap_creator_add_constraint_on_hexahedron(
           c, v, v + 3, v + 6, v + 9, v + 12, v + 15, v + 18, v + 21, n[24]);
     }},
}};

constexpr std::string_view box_pattern = "# # # to # # #";

struct ConstraintLine {
  int line;
  const ConstraintForm *form;
  std::vector<double> numbers;
};

struct Description {
  int kind = GRIDLUME_SIZEMAP_CREATOR_ISOTROPIC;
  bool has_box = false;
  std::array<double, 3> low{}, high{};
  std::vector<ConstraintLine> constraints;
};

std::vector<std::string> words_of(std::string_view text) {
  std::istringstream stream{std::string(text)};
  std::vector<std::string> words;
  for (std::string word; stream >> word;) words.push_back(word);
  return words;
}

// Matches the words after a keyword against a pattern; the numbers, or the
// text of what went wrong.
std::string match(std::string_view pattern, const std::vector<std::string> &words,
                  std::vector<double> &numbers) {
  const std::vector<std::string> expected = words_of(pattern);
  for (std::size_t k = 0; k < expected.size(); ++k) {
    const bool number_wanted = expected[k] == "#";
    if (k + 1 >= words.size())
      return number_wanted ? "missing number" : "missing '" + expected[k] + "'";
    const std::string &word = words[k + 1];
    if (!number_wanted) {
      if (word != expected[k]) return "expected '" + expected[k] + "', found '" + word + "'";
      continue;
    }
    auto value = word.find(',') == std::string::npos ? parse_reals(word) : std::nullopt;
    if (!value) return "expected a number, found '" + word + "'";
    numbers.push_back((*value)[0]);
  }
  if (words.size() > expected.size() + 1) return "unexpected '" + words[expected.size() + 1] + "'";
  return {};
}

// Reads the description; an empty text, or "LINE: what is wrong".
std::string parse_description(std::istream &stream, Description &description) {
  std::string text;
  for (int line = 1; std::getline(stream, text); ++line) {
    const std::vector<std::string> words = words_of(text.substr(0, text.find('#')));
    if (words.empty()) continue;
    const std::string where = std::to_string(line) + ": ";
    const std::string &keyword = words[0];
    if (keyword == "isotropic" || keyword == "metric") {
      if (words.size() > 1) return where + "unexpected '" + words[1] + "'";
      description.kind = keyword == "metric" ? GRIDLUME_SIZEMAP_CREATOR_METRIC
                                             : GRIDLUME_SIZEMAP_CREATOR_ISOTROPIC;
      continue;
    }
    std::vector<double> numbers;
    if (keyword == "box") {
      if (std::string error = match(box_pattern, words, numbers); !error.empty())
        return where + error;
      description.has_box = true;
      std::copy(numbers.begin(), numbers.begin() + 3, description.low.begin());
      std::copy(numbers.begin() + 3, numbers.end(), description.high.begin());
      continue;
    }
    const ConstraintForm *form = nullptr;
    for (const ConstraintForm &candidate : constraint_forms)
      if (candidate.keyword == keyword) form = &candidate;
    if (form == nullptr) return where + "unknown keyword '" + keyword + "'";
    if (std::string error = match(form->pattern, words, numbers); !error.empty())
      return where + error;
    description.constraints.push_back({line, form, std::move(numbers)});
  }
  return {};
}

// The box of the mesh's vertices; false when the mesh has none.
bool mesh_box(gridlume_mesh *mesh, std::array<double, 3> &low, std::array<double, 3> &high) {
  int count = 0;
  if (gridlume_mesh_get_vertex_count(mesh, &count) != GRIDLUME_STATUS_OK || count < 1) return false;
  for (int vertex = 1; vertex <= count; ++vertex) {
    double xyz[3];
    if (gridlume_mesh_get_vertex_coordinates(mesh, vertex, xyz) != GRIDLUME_STATUS_OK) return false;
    for (int axis = 0; axis < 3; ++axis) {
      if (vertex == 1 || xyz[axis] < low[axis]) low[axis] = xyz[axis];
      if (vertex == 1 || xyz[axis] > high[axis]) high[axis] = xyz[axis];
    }
  }
  return true;
}

bool ends_with(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

int run_sizemap(const Command &command, const Arguments &arguments) {
  const std::string &description_path = arguments.positionals[0];
  const std::string &mesh_path = arguments.positionals[1];
  const std::string &output = arguments.positionals[2];
  if (auto error = unknown_mesh_format(mesh_path)) return usage_error(command, *error);
  if (!ends_with(output, ".sol") && !ends_with(output, ".solb"))
    return usage_error(command, "the output must be a '.sol' or '.solb' file");

  Session session(command.name);
  if (session.context() == nullptr) return session.fail("not enough memory");
  std::ifstream stream(description_path);
  if (!stream) return session.fail("cannot read '" + description_path + "'");
  Description description;
  if (std::string error = parse_description(stream, description); !error.empty())
    return session.fail(description_path + ":" + error);

  gridlume_mesh *mesh = read_mesh(session, mesh_path, nullptr);
  session.end_progress();
  if (mesh == nullptr) return session.fail_unless_reported("cannot read '" + mesh_path + "'");
  if (!description.has_box && !mesh_box(mesh, description.low, description.high))
    return session.fail("'" + mesh_path + "' has no vertices");

  gridlume_sizemap_creator *creator = gridlume_sizemap_creator_new(
      session.context(), description.kind, description.low.data(), description.high.data());
  if (creator == nullptr) return session.fail("not enough memory");
  for (const ConstraintLine &line : description.constraints) {
    const int status = line.form->add(creator, line.numbers);
    if (status == GRIDLUME_STATUS_NO_MEMORY) return session.fail("not enough memory");
    if (status != GRIDLUME_STATUS_OK)
      return session.fail(description_path + ":" + std::to_string(line.line) + ": " +
                          std::string(line.form->keyword) + " refused");
  }
  gridlume_sizemap *sizemap = gridlume_sizemap_creator_generate_sizemap(creator);
  if (sizemap == nullptr) return session.fail("not enough memory to build the size map");
  gridlume_sizemap *at_vertices =
      gridlume_sizemap_new_mesh_vertex_from_sizemap_and_mesh(sizemap, mesh);
  if (at_vertices == nullptr) return session.fail("not enough memory to evaluate the size map");
  if (gridlume_sizemap_write_sol(at_vertices, output.c_str()) != GRIDLUME_STATUS_OK)
    return session.fail_unless_reported("cannot write '" + output + "'");
  return exit_success;
}

}  // namespace

const Command sizemap_command = {
    "sizemap",
    "DESCRIPTION MESH OUT",
    "Evaluate size constraints at the vertices of a mesh.",
    "Reads the constraints of a size map from the text file DESCRIPTION, evaluates\n"
    "the size map at every vertex of MESH and writes the values to the solution\n"
    "file OUT ('.sol' text, '.solb' binary): one size per vertex, or with 'metric'\n"
    "the isotropic metric 1/size^2 as a symmetric tensor.\n\n"
    "DESCRIPTION holds one item a line; '#' starts a comment. Items:\n"
    "  isotropic | metric              what to write (default isotropic)\n"
    "  box X Y Z to X Y Z              the region of the size map (default the\n"
    "                                  mesh's bounding box)\n"
    "  default SIZE                    the size away from every shape\n"
    "  gradation G                     sizes grow away from the shapes with slope\n"
    "                                  ln G up to the default; without it a shape\n"
    "                                  acts only inside itself\n"
    "  sphere at X Y Z radius R size S\n"
    "  cylinder from X Y Z to X Y Z radius R size S\n"
    "  point at X Y Z size S\n"
    "  hexahedron X0 Y0 Z0 ... X7 Y7 Z7 size S\n"
    "                                  corners 0-3 one face, ordered so that\n"
    "                                  (v1 - v0) x (v2 - v0) points inside, then\n"
    "                                  corners 4-7 above corners 0-3\n"
    "The last 'default' and 'gradation' apply; where shapes meet, the smallest\n"
    "size wins. Sizes, radii and the gradation must not be negative.\n\n"
    "Example:\n"
    "  default 0.5\n"
    "  gradation 1.5\n"
    "  sphere at 0 0 0 radius 0.2 size 0.05\n\n"
    "Options:\n"
    "  -h, --help    this help\n",
    {},
    3,
    3,
    run_sizemap,
};

}  // namespace gridlume_tool
