#include "mesh_files.hpp"

#include "keyword_file_start.hpp"
#include "side_mesh_files.hpp"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace gridlume_tool {

// The keyword files, read and written by the calls below.
gridlume_mesh *read_keyword_file(Session &session, const std::string &path,
                                 const ReadOptions &options);
int write_keyword_file(gridlume_mesh *mesh, const std::string &path,
                       const WriteOptions &options);

namespace {

// ".meshb" before ".mesh", so that it is not taken for ".mesh" + "b".
constexpr std::array<MeshFormat, 7> mesh_formats = {{
    {".meshb", "binary keyword mesh file", read_keyword_file, write_keyword_file, true},
    {".mesh", "text keyword mesh file", read_keyword_file, write_keyword_file, true},
    {".stl", "STL file", read_stl_file, write_stl_file, false},
    {".bdf", "bulk data deck", read_bdf_file, write_bdf_file, false},
    {".points", "points and faces files", read_points_faces, write_points_faces, false},
    {".faces", "points and faces files", read_points_faces, write_points_faces, false},
    {".vtk", "legacy VTK file", nullptr, write_vtk_file, false},
}};

// Selection 3: the P2 form for a kind whose file holds only P2 elements, else
// the extra-vertex form; the reader's own default.
constexpr int form_selection_default = 3;
// Progress flags: an odd value adds the estimate of the time left.
constexpr int progress_with_time_left = 1;

std::optional<KeywordFileHeader> read_text_header(std::FILE *file) {
  char token[64];
  KeywordFileHeader header{false, 0, 0};
  while (next_token(file, token) && std::strcmp(token, "MeshVersionFormatted") != 0) {
  }
  if (std::fscanf(file, "%d", &header.version) != 1) return std::nullopt;
  while (next_token(file, token) && std::strcmp(token, "Dimension") != 0) {
  }
  if (std::fscanf(file, "%d", &header.dimension) != 1) return std::nullopt;
  return header;
}

std::optional<KeywordFileHeader> read_binary_header(std::FILE *file) {
  auto start = read_binary_file_start(file);
  if (!start) return std::nullopt;
  return KeywordFileHeader{true, start->version, start->dimension};
}

}  // namespace

const MeshFormat *find_mesh_format(std::string_view path) {
  for (const MeshFormat &format : mesh_formats)
    if (path.size() > format.extension.size() && path.ends_with(format.extension))
      return &format;
  return nullptr;
}

std::string known_mesh_extensions() {
  std::string list;
  for (const MeshFormat &format : mesh_formats) {
    if (!list.empty()) list += ", ";
    list += '\'';
    list += format.extension;
    list += '\'';
  }
  return list;
}

std::optional<std::string> unknown_mesh_format(const std::string &path) {
  if (find_mesh_format(path) != nullptr) return std::nullopt;
  return "unknown mesh format of '" + path + "' (known: " + known_mesh_extensions() + ")";
}

std::optional<KeywordFileHeader> read_keyword_file_header(const std::string &path) {
  const MeshFormat *format = find_mesh_format(path);
  if (format == nullptr) return std::nullopt;
  File file(std::fopen(path.c_str(), "rb"));
  if (!file) return std::nullopt;
  if (!format->keyword_file) return std::nullopt;
  return format == &mesh_formats[0] ? read_binary_header(file.get())
                                    : read_text_header(file.get());
}

gridlume_mesh *read_mesh(Session &session, const std::string &path, int *high_order_form,
                         ReadOptions options) {
  if (high_order_form != nullptr) *high_order_form = 0;
  const MeshFormat *format = find_mesh_format(path);
  if (format == nullptr || format->read == nullptr) return nullptr;
  options.high_order_form = high_order_form;
  return format->read(session, path, options);
}

int write_mesh(Session &session, gridlume_mesh *mesh, const std::string &path,
               const WriteOptions &options) {
  const MeshFormat *format = find_mesh_format(path);
  if (format == nullptr || format->write == nullptr) return GRIDLUME_STATUS_ERROR;
  const long errors_before = session.error_count();
  const int status = format->write(mesh, path, options);
  if (status == GRIDLUME_STATUS_OK && session.error_count() == errors_before) return status;
  // Only a regular file is removed: never a device or what a link points to.
  std::error_code ignored;
  if (std::filesystem::is_regular_file(std::filesystem::symlink_status(path, ignored)))
    std::filesystem::remove(path, ignored);
  return GRIDLUME_STATUS_ERROR;
}

gridlume_mesh *read_keyword_file(Session &session, const std::string &path,
                                 const ReadOptions &options) {
  int form_code = 0;
  // Each option is a key and its value; progress messages only when they are shown.
  const int option_count = session.progress_wanted() ? 3 : 2;
  gridlume_mesh *mesh = gridlume_mesh_new_read_mesh_extended(
      session.context(), path.c_str(), option_count,
      GRIDLUME_MESH_READ_OPTION_HIGH_ORDER_SELECTION, form_selection_default,
      GRIDLUME_MESH_READ_OPTION_HIGH_ORDER_FORM, &form_code,
      GRIDLUME_MESH_READ_OPTION_PROGRESS, progress_with_time_left);
  session.end_progress();
  if (options.high_order_form != nullptr) *options.high_order_form = form_code;
  return mesh;
}

int write_keyword_file(gridlume_mesh *mesh, const std::string &path,
                       const WriteOptions &options) {
  return gridlume_mesh_write_mesh_extended(mesh, path.c_str(), 2,
                                           GRIDLUME_MESH_WRITE_OPTION_HIGH_ORDER_FORM,
                                           options.high_order_form,
                                           GRIDLUME_MESH_WRITE_OPTION_VERSION, options.version);
}

}  // namespace gridlume_tool
