// Size map files as the tool sees them: solution keyword files (".sol" text,
// ".solb" binary) and bb files, what their headers say, and the calls of the
// library's size map readers and writers.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gridlume.h"
#include "session.hpp"

namespace gridlume_tool {

enum class SolutionFormat { text, binary, bb };

// The format of a file from the end of its name; nothing when it is not a
// size map file.
std::optional<SolutionFormat> find_solution_format(std::string_view path);

// What the header of a size map file says. The library reads it but hands
// none of it back, so the tool reads these few words itself.
struct SolutionFileHeader {
  SolutionFormat format = SolutionFormat::text;
  int version = 0;  // keyword files only
  int dimension = 0;
  bool has_vertex_values = false;  // a "SolAtVertices" block, or a bb header
  int vertex_count = 0;
  // Keyword files: the solution type codes of the block (1 scalar, 2 vector,
  // 3 symmetric tensor, 4 matrix). bb files: one code for the values per
  // vertex (1 value: scalar, 6: symmetric tensor, other counts: 0).
  std::vector<int> types;
  int bb_values_per_vertex = 0;
  int bb_value_kind = 0;  // 2: values at vertices
};
std::optional<SolutionFileHeader> read_solution_header(const std::string &path);

// "scalar", "vector", "symmetric tensor", "matrix", or "unknown kind N".
std::string solution_type_name(int type);

// Reads the size map of a file over a new mesh of as many vertices as the
// header announces; NULL on failure, the library having said why.
gridlume_sizemap *read_sizemap(Session &session, const std::string &path,
                               const SolutionFileHeader &header);

// Writes a size map in the format of the path; keyword files in the version
// given (1 to 3). 0 success, else failure (reported by the library).
int write_sizemap(Session &session, gridlume_sizemap *sizemap, const std::string &path,
                  int version);

// The solution version the library's own writer produces.
inline constexpr int default_solution_version = 2;

}  // namespace gridlume_tool
