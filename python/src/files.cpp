#include "files.hpp"

#include <array>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace gridlume_python {

namespace {

struct FileCloser {
  void operator()(std::FILE *file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// The high-order selection of keyword files: second-order blocks where a
// file holds only those for a kind, else extra vertices (the reader's own
// default).
constexpr int high_order_selection = 3;
constexpr int stl_binary = 1;

// What a reader or writer call answered, and for readers the new mesh.
struct Outcome {
  gridlume_mesh *mesh = nullptr;
  int status = GRIDLUME_STATUS_OK;
  std::string what;
  bool may_have_extra_vertices = true;
};

std::string base_of_pair(const std::string &path) {
  for (std::string_view suffix : {".points", ".faces"})
    if (path.ends_with(suffix)) return path.substr(0, path.size() - suffix.size());
  return path;
}

bool can_open(const std::string &path, const char *mode) {
  return File(std::fopen(path.c_str(), mode)) != nullptr;
}

// Progress on with negative flags: the end of each keyword read is reported
// whatever the time, and the labels of the blocks of second-order elements,
// "(Ef)", and of extra vertices, "(Ee)", tell whether the file had any. Those
// of the lines within a keyword keep their own pace (every ten seconds).
constexpr int every_keyword_progress = -2;

Outcome read_keyword(Context &context, const std::string &path, double) {
  std::lock_guard guard(keyword_file_mutex());
  int form = 0;
  Outcome outcome;
  context.watch_progress(true);
  outcome.mesh = gridlume_mesh_new_read_mesh_extended(
      context.handle(), path.c_str(), 3, GRIDLUME_MESH_READ_OPTION_HIGH_ORDER_SELECTION,
      high_order_selection, GRIDLUME_MESH_READ_OPTION_HIGH_ORDER_FORM, &form,
      GRIDLUME_MESH_READ_OPTION_PROGRESS, every_keyword_progress);
  outcome.may_have_extra_vertices =
      context.progress_told("(Ee)") || context.progress_told("(Ef)");
  context.watch_progress(false);
  return outcome;
}

Outcome read_stl(Context &context, const std::string &path, double tolerance) {
  Outcome outcome;
  // The STL reader sends no message: the open failure is told here.
  if (!can_open(path, "rb")) {
    outcome.status = GRIDLUME_STATUS_ERROR;
    outcome.what = "cannot open STL file '" + path + "'";
    return outcome;
  }
  outcome.mesh = gridlume_mesh_new_read_stl(context.handle(), path.c_str(), tolerance);
  return outcome;
}

Outcome read_bdf(Context &context, const std::string &path, double) {
  Outcome outcome;
  // The deck reader prints its open failure and answers an empty mesh: the
  // file is tried first so that the failure is an error instead.
  if (!can_open(path, "rb")) {
    outcome.status = GRIDLUME_STATUS_ERROR;
    outcome.what = "Error opening bdf file for reading: '" + path + "'";
    return outcome;
  }
  outcome.mesh = gridlume_mesh_new_read_bdf(context.handle(), path.c_str());
  return outcome;
}

Outcome read_points_faces(Context &context, const std::string &path, double) {
  Outcome outcome;
  outcome.mesh = gridlume_mesh_new_read_msh2(context.handle(), base_of_pair(path).c_str());
  return outcome;
}

int write_keyword(gridlume_mesh *mesh, const std::string &path, const WriteOptions &options) {
  std::lock_guard guard(keyword_file_mutex());
  return gridlume_mesh_write_mesh_extended(
      mesh, path.c_str(), 2, GRIDLUME_MESH_WRITE_OPTION_HIGH_ORDER_FORM, options.high_order_form,
      GRIDLUME_MESH_WRITE_OPTION_VERSION, options.version);
}

int write_stl(gridlume_mesh *mesh, const std::string &path, const WriteOptions &options) {
  return gridlume_mesh_write_stl(mesh, path.c_str(), options.binary ? stl_binary : 0);
}

int write_bdf(gridlume_mesh *mesh, const std::string &path, const WriteOptions &) {
  return gridlume_mesh_write_bdf(mesh, path.c_str());
}

int write_points_faces(gridlume_mesh *mesh, const std::string &path, const WriteOptions &) {
  return gridlume_mesh_write_msh2(mesh, base_of_pair(path).c_str());
}

int write_vtk(gridlume_mesh *mesh, const std::string &path, const WriteOptions &) {
  // The export answers success for a file it cannot open.
  if (!can_open(path, "w")) return GRIDLUME_STATUS_ERROR;
  return gridlume_mesh_write_vtk(mesh, path.c_str());
}

struct Format {
  std::string_view extension;
  std::string_view description;
  Outcome (*read)(Context &, const std::string &, double);  // NULL: written only
  int (*write)(gridlume_mesh *, const std::string &, const WriteOptions &);
  bool keyword_file;
};

// ".meshb" before ".mesh", so that it is not taken for ".mesh" + "b".
constexpr std::array<Format, 7> formats = {{
    {".meshb", "binary keyword mesh file", read_keyword, write_keyword, true},
    {".mesh", "text keyword mesh file", read_keyword, write_keyword, true},
    {".stl", "STL file", read_stl, write_stl, false},
    {".bdf", "bulk data deck", read_bdf, write_bdf, false},
    {".points", "points and faces files", read_points_faces, write_points_faces, false},
    {".faces", "points and faces files", read_points_faces, write_points_faces, false},
    {".vtk", "legacy VTK file", nullptr, write_vtk, false},
}};

const Format *find_format(const std::string &path) {
  for (const Format &format : formats)
    if (path.size() > format.extension.size() && path.ends_with(format.extension)) return &format;
  return nullptr;
}

}  // namespace

std::string known_extensions(bool writable) {
  std::string list;
  for (const Format &format : formats) {
    if (!writable && format.read == nullptr) continue;
    list += list.empty() ? "'" : ", '";
    list += std::string(format.extension) + "'";
  }
  return list;
}

std::unique_ptr<Mesh> read_mesh(const std::string &path, double stl_tolerance) {
  const Format *format = find_format(path);
  if (format == nullptr || format->read == nullptr)
    throw py::value_error("no reader for '" + path + "' (read: " + known_extensions(false) + ")");
  auto context = std::make_shared<Context>();
  Outcome outcome;
  {
    py::gil_scoped_release release;
    std::lock_guard guard(context->mutex());
    outcome = format->read(*context, path, stl_tolerance);
  }
  // The mesh is owned before any message is raised, so that it is released.
  std::unique_ptr<Mesh> mesh;
  if (outcome.mesh != nullptr) {
    mesh = std::make_unique<Mesh>(context, outcome.mesh);
    if (!outcome.may_have_extra_vertices) mesh->set_linear_only();
  }
  if (outcome.mesh == nullptr && outcome.status == GRIDLUME_STATUS_OK) {
    outcome.status = GRIDLUME_STATUS_ERROR;
    outcome.what = "cannot read " + std::string(format->description) + " '" + path + "'";
  }
  deliver_messages(*context, outcome.status, outcome.what);
  return mesh;
}

void write_mesh(const std::string &path, Mesh &mesh, const WriteOptions &options) {
  const Format *format = find_format(path);
  if (format == nullptr)
    throw py::value_error("no writer for '" + path + "' (written: " + known_extensions(true) + ")");
  if (format->keyword_file && (options.version < 1 || options.version > 3))
    throw py::value_error("keyword files are written in version 1, 2 or 3");
  int status = GRIDLUME_STATUS_OK;
  bool had_error = false;
  {
    py::gil_scoped_release release;
    std::lock_guard guard(mesh.context().mutex());
    status = format->write(mesh.handle(), path, options);
  }
  std::vector<Message> pending = mesh.context().take_messages();
  for (const Message &message : pending) had_error = had_error || message.code < 0;
  if (status != GRIDLUME_STATUS_OK || had_error) {
    // A writer may answer 0 for a file it could not complete: any error
    // message counts, and a failed file is not left half-written (only a
    // regular file is removed, never a device or what a link points to).
    std::error_code ignored;
    if (std::filesystem::is_regular_file(std::filesystem::symlink_status(path, ignored)))
      std::filesystem::remove(path, ignored);
  }
  deliver_messages(pending, status,
                   "cannot write " + std::string(format->description) + " '" + path + "'");
}

}  // namespace gridlume_python
