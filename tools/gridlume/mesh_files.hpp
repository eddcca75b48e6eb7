// Mesh files as the tool sees them: the formats it reads and writes (by file
// name extension) and the calls of the library's readers and writers.
#pragma once

#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "gridlume.h"
#include "session.hpp"

namespace gridlume_tool {

struct ReadOptions {
  // STL corners closer than this are one vertex; by default only corners at
  // the very same place are.
  double stl_tolerance = std::numeric_limits<double>::denorm_min();
  // Receives the high-order form code of a keyword file's reader (0 for
  // the other formats) when not NULL.
  int *high_order_form = nullptr;
};

struct WriteOptions {
  int high_order_form = GRIDLUME_MESH_HIGH_ORDER_EXTRA_VERTICES;
  int version = 0;      // 0: the writer's default
  bool binary = false;  // STL only: binary rather than text
};

struct MeshFormat {
  std::string_view extension;
  std::string_view description;
  // NULL for a format the tool does not read (VTK).
  gridlume_mesh *(*read)(Session &session, const std::string &path, const ReadOptions &options);
  int (*write)(gridlume_mesh *mesh, const std::string &path, const WriteOptions &options);
  bool keyword_file;
};

// The format of a file from the end of its name; NULL when unknown.
const MeshFormat *find_mesh_format(std::string_view path);
// "'.meshb', '.mesh', ...": for the usage error of an unknown format.
std::string known_mesh_extensions();
// The usage error of a path whose name gives no mesh format ("unknown mesh
// format of ..."), listing the known extensions; nothing for a known format.
std::optional<std::string> unknown_mesh_format(const std::string &path);

// High-order form codes the reader reports and the writer takes.
inline constexpr int extra_vertex_form = GRIDLUME_MESH_HIGH_ORDER_EXTRA_VERTICES;
inline constexpr int p2_form = GRIDLUME_MESH_HIGH_ORDER_P2;
inline constexpr int both_forms = GRIDLUME_MESH_HIGH_ORDER_BOTH;

// Reads a mesh file with the library's reader of its format, with its
// progress messages when the session shows a progress bar. Writes the
// reader's high-order form code to *high_order_form when it is not NULL (0
// for other formats than keyword files). NULL on failure (a format the tool
// does not read included), the library or the tool having said why where
// it could.
gridlume_mesh *read_mesh(Session &session, const std::string &path, int *high_order_form,
                         ReadOptions options = {});

// Writes the mesh with the library's writer of its format. A writer may
// answer 0 even when the file could not be completed (a full device): any
// error message it sent makes this a failure too, and a failed file is
// removed rather than left half-written. 0 success, -1 failure (reported by
// the library where it says so).
int write_mesh(Session &session, gridlume_mesh *mesh, const std::string &path,
               const WriteOptions &options);

// What the header of a keyword mesh file says; the library reads it but does
// not hand the version back, so the tool reads those first few words itself.
struct KeywordFileHeader {
  bool binary;
  int version;
  int dimension;
};
std::optional<KeywordFileHeader> read_keyword_file_header(const std::string &path);

}  // namespace gridlume_tool
