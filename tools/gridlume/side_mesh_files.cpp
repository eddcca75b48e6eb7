#include "side_mesh_files.hpp"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string_view>

namespace gridlume_tool {

namespace {

struct FileCloser {
  void operator()(std::FILE *file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

constexpr long stl_header_bytes = 84;  // 80 bytes of text and the facet count
constexpr long stl_facet_bytes = 50;

// The base name of a ".points"/".faces" pair.
std::string pair_base(const std::string &path) {
  for (std::string_view suffix : {".points", ".faces"})
    if (path.ends_with(suffix)) return path.substr(0, path.size() - suffix.size());
  return path;
}

bool readable(const std::string &path) { return File(std::fopen(path.c_str(), "rb")) != nullptr; }

// Whether a file is a binary STL file: its size is the one its facet count
// tells.
bool is_binary_stl(const std::string &path) {
  File file(std::fopen(path.c_str(), "rb"));
  unsigned char header[stl_header_bytes];
  if (!file || std::fread(header, 1, sizeof header, file.get()) != sizeof header) return false;
  std::uint32_t count = 0;
  for (int k = 3; k >= 0; --k) count = (count << 8) | header[80 + k];
  if (std::fseek(file.get(), 0, SEEK_END) != 0) return false;
  return std::ftell(file.get()) == stl_header_bytes + stl_facet_bytes * long(count);
}

}  // namespace

gridlume_mesh *read_stl_file(Session &session, const std::string &path,
                             const ReadOptions &options) {
  return gridlume_mesh_new_read_stl(session.context(), path.c_str(), options.stl_tolerance);
}

int write_stl_file(gridlume_mesh *mesh, const std::string &path, const WriteOptions &options) {
  return gridlume_mesh_write_stl(mesh, path.c_str(), options.binary ? 1 : 0);
}

gridlume_mesh *read_bdf_file(Session &session, const std::string &path, const ReadOptions &) {
  // The deck reader gives an empty mesh for a file it cannot open (and says
  // so on standard output): the tool asks first, and answers no mesh.
  if (!readable(path)) return nullptr;
  return gridlume_mesh_new_read_bdf(session.context(), path.c_str());
}

int write_bdf_file(gridlume_mesh *mesh, const std::string &path, const WriteOptions &) {
  return gridlume_mesh_write_bdf(mesh, path.c_str());
}

gridlume_mesh *read_points_faces(Session &session, const std::string &path,
                                 const ReadOptions &) {
  return gridlume_mesh_new_read_msh2(session.context(), pair_base(path).c_str());
}

int write_points_faces(gridlume_mesh *mesh, const std::string &path, const WriteOptions &) {
  return gridlume_mesh_write_msh2(mesh, pair_base(path).c_str());
}

int write_vtk_file(gridlume_mesh *mesh, const std::string &path, const WriteOptions &) {
  // The export writes nothing, successfully, to a file it cannot open: the
  // tool opens it first so as to report that.
  if (!File(std::fopen(path.c_str(), "w"))) return GRIDLUME_STATUS_ERROR;
  return gridlume_mesh_write_vtk(mesh, path.c_str());
}

std::string describe_side_file(const MeshFormat &format, const std::string &path) {
  if (format.read == read_stl_file) return is_binary_stl(path) ? "binary STL file" : "text STL file";
  return std::string(format.description);
}

}  // namespace gridlume_tool
