#include "solution_files.hpp"

#include "keyword_file_start.hpp"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace gridlume_tool {

namespace {

constexpr int keyword_dimension = 3;
constexpr int keyword_sol_at_vertices = 62;
constexpr int keyword_end = 54;
// A keyword block holds at most this many type codes.
constexpr int max_solution_types = 1001;
constexpr int scalar_type = 1;
constexpr int symmetric_tensor_type = 3;

struct Extension {
  std::string_view text;
  SolutionFormat format;
};
// Longest first, so that ".solb" is not taken for ".sol".
constexpr Extension extensions[] = {
    {".solb", SolutionFormat::binary}, {".sol", SolutionFormat::text}, {".bb", SolutionFormat::bb}};

bool read_types(SolutionFileHeader &header, int type_count, const auto &read_integer) {
  if (type_count < 0 || type_count > max_solution_types) return false;
  header.types.resize(static_cast<std::size_t>(type_count));
  for (int &type : header.types)
    if (!read_integer(type)) return false;
  return true;
}

std::optional<SolutionFileHeader> read_binary(std::FILE *file) {
  auto start = read_binary_file_start(file);
  if (!start || start->version < 1 || start->version > 3 || start->first_code != keyword_dimension)
    return std::nullopt;
  BinaryWords &words = start->words;
  SolutionFileHeader header;
  header.format = SolutionFormat::binary;
  header.version = start->version;
  header.dimension = start->dimension;
  std::int32_t code = 0;
  std::int64_t next = start->next_block;
  // Blocks chain forward to "End"; a position that goes back ends the walk.
  for (;;) {
    if (next == 0) return header;
    if (std::fseek(file, static_cast<long>(next), SEEK_SET) != 0) return std::nullopt;
    const std::int64_t block = next;
    if (!words.read(code) || !words.read_position(header.version, next)) return std::nullopt;
    if (code == keyword_end) return header;
    if (code == keyword_sol_at_vertices) {
      std::int32_t type_count = 0;
      if (!words.read(header.vertex_count) || !words.read(type_count) ||
          !read_types(header, type_count, [&](int &value) { return words.read(value); }))
        return std::nullopt;
      header.has_vertex_values = true;
      return header;
    }
    if (next != 0 && next <= block) return std::nullopt;
  }
}

std::optional<SolutionFileHeader> read_text(std::FILE *file) {
  SolutionFileHeader header;
  header.format = SolutionFormat::text;
  char token[64];
  auto read_integer = [&](int &value) {
    return next_token(file, token) && std::sscanf(token, "%d", &value) == 1;
  };
  bool version_seen = false, dimension_seen = false;
  while (next_token(file, token)) {
    if (std::strcmp(token, "MeshVersionFormatted") == 0) {
      version_seen = read_integer(header.version);
    } else if (std::strcmp(token, "Dimension") == 0) {
      dimension_seen = read_integer(header.dimension);
    } else if (std::strcmp(token, "SolAtVertices") == 0) {
      int type_count = 0;
      if (!read_integer(header.vertex_count) || !read_integer(type_count) ||
          !read_types(header, type_count, read_integer))
        return std::nullopt;
      header.has_vertex_values = true;
      break;
    }
  }
  if (!version_seen || !dimension_seen) return std::nullopt;
  return header;
}

std::optional<SolutionFileHeader> read_bb(std::FILE *file) {
  SolutionFileHeader header;
  header.format = SolutionFormat::bb;
  if (std::fscanf(file, "%d %d %d %d", &header.dimension, &header.bb_values_per_vertex,
                  &header.vertex_count, &header.bb_value_kind) != 4)
    return std::nullopt;
  header.has_vertex_values = true;
  header.types = {header.bb_values_per_vertex == 1   ? scalar_type
                  : header.bb_values_per_vertex == 6 ? symmetric_tensor_type
                                                     : 0};
  return header;
}

// The values of every vertex, written through the keyword-file hooks of the
// mesh writer, which writes nothing else for an empty mesh: the way to a
// solution file of any version.
struct LineWriter {
  gridlume_sizemap *sizemap;
  int type;
  int vertex_count;
  int version;
};

int write_solution_lines(int slot, void *user_data) {
  const auto &writer = *static_cast<const LineWriter *>(user_data);
  const bool iso = writer.type == GRIDLUME_SIZEMAP_TYPE_ISO_MESH_VERTEX;
  const int solution_type = iso ? scalar_type : symmetric_tensor_type;
  const int width = iso ? 1 : 6;
  if (gridlume_mesh_write_mesh_set_key(slot, keyword_sol_at_vertices, writer.vertex_count, 1,
                                       &solution_type) != writer.vertex_count)
    return GRIDLUME_STATUS_ERROR;
  double values[6];
  float narrowed[6];
  for (int vertex = 1; vertex <= writer.vertex_count; ++vertex) {
    int status =
        iso ? gridlume_sizemap_iso_mesh_vertex_get_size(writer.sizemap, vertex, values)
            : gridlume_sizemap_aniso_mesh_vertex_get_metric(writer.sizemap, vertex, values);
    if (status != GRIDLUME_STATUS_OK) return status;
    if (writer.version == 1) {
      for (int k = 0; k < width; ++k) narrowed[k] = static_cast<float>(values[k]);
      gridlume_mesh_write_mesh_set_line(slot, keyword_sol_at_vertices, narrowed);
    } else {
      gridlume_mesh_write_mesh_set_line(slot, keyword_sol_at_vertices, values);
    }
  }
  return GRIDLUME_STATUS_OK;
}

}  // namespace

std::optional<SolutionFormat> find_solution_format(std::string_view path) {
  for (const Extension &extension : extensions)
    if (path.size() > extension.text.size() && path.ends_with(extension.text))
      return extension.format;
  return std::nullopt;
}

std::optional<SolutionFileHeader> read_solution_header(const std::string &path) {
  auto format = find_solution_format(path);
  if (!format) return std::nullopt;
  File file(std::fopen(path.c_str(), *format == SolutionFormat::binary ? "rb" : "r"));
  if (!file) return std::nullopt;
  switch (*format) {
    case SolutionFormat::binary:
      return read_binary(file.get());
    case SolutionFormat::text:
      return read_text(file.get());
    case SolutionFormat::bb:
      return read_bb(file.get());
  }
  return std::nullopt;
}

std::string solution_type_name(int type) {
  switch (type) {
    case 1:
      return "scalar";
    case 2:
      return "vector";
    case 3:
      return "symmetric tensor";
    case 4:
      return "matrix";
    default:
      return "unknown kind " + std::to_string(type);
  }
}

gridlume_sizemap *read_sizemap(Session &session, const std::string &path,
                               const SolutionFileHeader &header) {
  gridlume_mesh *mesh = gridlume_mesh_new_in_memory(session.context());
  if (mesh == nullptr || gridlume_mesh_set_vertex_count(mesh, header.vertex_count) != 0)
    return nullptr;
  return header.format == SolutionFormat::bb ? gridlume_sizemap_new_read_bb(mesh, path.c_str())
                                             : gridlume_sizemap_new_read_sol(mesh, path.c_str());
}

int write_sizemap(Session &session, gridlume_sizemap *sizemap, const std::string &path,
                  int version) {
  auto format = find_solution_format(path);
  if (format == SolutionFormat::bb) return gridlume_sizemap_write_bb(sizemap, path.c_str());
  if (version == default_solution_version) return gridlume_sizemap_write_sol(sizemap, path.c_str());
  LineWriter writer{sizemap, 0, 0, version};
  gridlume_mesh *values_mesh = nullptr;
  if (gridlume_sizemap_get_type(sizemap, &writer.type) != 0 ||
      gridlume_sizemap_get_parent_mesh(sizemap, &values_mesh) != 0 ||
      gridlume_mesh_get_vertex_count(values_mesh, &writer.vertex_count) != 0)
    return GRIDLUME_STATUS_ERROR;
  gridlume_mesh *empty = gridlume_mesh_new_in_memory(session.context());
  if (empty == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
  int status = gridlume_mesh_write_mesh_extended(
      empty, path.c_str(), 2, GRIDLUME_MESH_WRITE_OPTION_VERSION, version,
      GRIDLUME_MESH_WRITE_OPTION_CALLBACK, write_solution_lines, &writer);
  gridlume_mesh_delete(empty);
  return status;
}

}  // namespace gridlume_tool
