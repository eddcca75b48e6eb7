// Per-vertex size maps in bb text files: a header of four integers
// (dimension 3, values per vertex, vertex count, 2 for values at vertices),
// then the values separated by white space.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "core/allocator.hpp"
#include "gridlume/context.h"
#include "gridlume/mesh.h"
#include "gridlume/sizemap.h"
#include "io/input_file.hpp"
#include "io/sizemap_file_messages.hpp"
#include "sizemap/sizemap.hpp"

namespace gridlume {
namespace {

namespace text = sizemap_file_messages;

constexpr int bb_dimension = 3;
constexpr int bb_values_at_vertices = 2;
constexpr int iso_values_per_line = 8;  // scalars are written 8 to a line
constexpr int block_vertices = 16384;
// A value token longer than this is no number.
constexpr std::size_t longest_value_token = 255;
constexpr std::size_t read_block_bytes = 1 << 16;

void send(gridlume_context *context, int code, const char *description) {
  gridlume_context_send_message(context, code, description);
}

// Closes the stream when the scope ends; `closed_cleanly` tells how the
// explicit close went.
struct Stream {
  std::FILE *file;
  explicit Stream(std::FILE *opened) : file(opened) {}
  Stream(const Stream &) = delete;
  Stream &operator=(const Stream &) = delete;
  ~Stream() {
    if (file != nullptr) std::fclose(file);
  }
  bool close() {
    bool clean = std::ferror(file) == 0;
    clean = std::fclose(file) == 0 && clean;
    file = nullptr;
    return clean;
  }
};

// Whitespace-separated tokens read through a block buffer.
class TokenReader {
 public:
  explicit TokenReader(std::FILE *file) : file_(file) {}
  // The next token, NUL-terminated in `token`; false at the end of the file
  // or for a token too long to be a number.
  bool next(char (&token)[longest_value_token + 1]) {
    int c = skip_space();
    if (c == EOF) return false;
    std::size_t length = 0;
    while (c != EOF && !std::isspace(c)) {
      if (length == longest_value_token) return false;
      token[length++] = static_cast<char>(c);
      c = get();
    }
    token[length] = '\0';
    return true;
  }

 private:
  int get() {
    if (cursor_ == length_) {
      length_ = std::fread(buffer_, 1, sizeof buffer_, file_);
      cursor_ = 0;
      if (length_ == 0) return EOF;
    }
    return static_cast<unsigned char>(buffer_[cursor_++]);
  }
  int skip_space() {
    int c = get();
    while (c != EOF && std::isspace(c)) c = get();
    return c;
  }
  std::FILE *file_;
  char buffer_[read_block_bytes];
  std::size_t cursor_ = 0;
  std::size_t length_ = 0;
};

// One value as "%lf" converts it: a number at the start of the token; false
// when the token starts with none.
bool convert(const char *token, double &value) {
  char *end = nullptr;
  value = std::strtod(token, &end);
  return end != token;
}

// The bytes from the current position to the end of the file, or -1.
long remaining_bytes(std::FILE *file) {
  long here = std::ftell(file);
  if (here < 0 || std::fseek(file, 0, SEEK_END) != 0) return -1;
  long end = std::ftell(file);
  if (end < 0 || std::fseek(file, here, SEEK_SET) != 0) return -1;
  return end - here;
}

// Reads the header and the values of an open file: the new size map, or
// nullptr after its message (none when memory fails).
gridlume_sizemap *read_open_file(gridlume_context *context, gridlume_mesh *mesh, std::FILE *file) {
  int header[4] = {0, 0, 0, 0};
  bool readable[4] = {};
  for (int k = 0; k < 4; ++k) readable[k] = std::fscanf(file, "%d", &header[k]) == 1;
  const int values_per_vertex = header[1];
  if (!readable[0] || header[0] != bb_dimension) {
    send(context, text::matching_code, text::read_bb.matching);
    return nullptr;
  }
  int vertex_count = 0;
  if (gridlume_mesh_get_vertex_count(mesh, &vertex_count) != GRIDLUME_STATUS_OK) {
    send(context, text::mesh_code, text::read_bb.mesh);
    return nullptr;
  }
  if (!readable[2] || header[2] != vertex_count) {
    send(context, text::matching_code, text::read_bb.matching);
    return nullptr;
  }
  if (!readable[3] || header[3] != bb_values_at_vertices) {
    send(context, text::type_code, text::read_bb.unknown_type);
    return nullptr;
  }
  const int type =
      values_per_vertex == iso_values_per_vertex     ? GRIDLUME_SIZEMAP_TYPE_ISO_MESH_VERTEX
      : values_per_vertex == aniso_values_per_vertex ? GRIDLUME_SIZEMAP_TYPE_ANISO_MESH_VERTEX
                                                     : 0;
  if (!readable[1] || type == 0) {
    send(context, text::field_count_code, text::read_bb.field_count);
    return nullptr;
  }
  // Every value takes a character and all but the last a separator: a file
  // too short for that is refused before the values are allocated.
  const long long value_count = static_cast<long long>(vertex_count) * values_per_vertex;
  if (value_count > 0 && remaining_bytes(file) < 2 * value_count - 1) {
    send(context, text::matching_code, text::read_bb.matching);
    return nullptr;
  }
  VertexValues *store = new_vertex_values(vertex_count, values_per_vertex);
  if (store == nullptr) return nullptr;
  auto reader = Block<TokenReader>(create<TokenReader>(file));
  if (reader == nullptr) {
    release_vertex_values(store);
    return nullptr;
  }
  char token[longest_value_token + 1];
  for (long long k = 0; k < value_count; ++k) {
    // A file that runs out of numbers holds fewer values than the mesh needs.
    if (!reader->next(token) || !convert(token, store->values[k])) {
      send(context, text::matching_code, text::read_bb.matching);
      release_vertex_values(store);
      return nullptr;
    }
  }
  return new_vertex_values_sizemap(mesh, type, store, false);
}

// Writes the header and the values of every vertex, a block at a time.
int write_values(gridlume_sizemap *sizemap, std::FILE *file, int vertex_count, int width) {
  const bool iso = width == iso_values_per_vertex;
  std::fprintf(file, "%d ", bb_dimension);
  std::fprintf(file, "%d %d %d\n", width, vertex_count, bb_values_at_vertices);
  Vector<double> block(static_cast<std::size_t>(std::min(vertex_count, block_vertices)) * width);
  for (int first = 1; first <= vertex_count; first += block_vertices) {
    const int count = std::min(block_vertices, vertex_count - first + 1);
    int done = 0;
    int status = evaluate_vertices(sizemap, first, count, block.data(), done);
    for (int i = 0; i < done; ++i) {
      const double *v = block.data() + static_cast<std::size_t>(i) * width;
      if (iso) {
        std::fprintf(file, "%.8g ", v[0]);
        if ((first + i) % iso_values_per_line == 0) std::fputc('\n', file);
      } else {
        std::fprintf(file, "%.8g %.8g %.8g %.8g %.8g %.8g\n", v[0], v[1], v[2], v[3], v[4], v[5]);
      }
    }
    if (status != GRIDLUME_STATUS_OK) {
      send(sizemap->header.context, text::data_code,
           iso ? text::write_bb.iso_data : text::write_bb.aniso_data);
      return status;
    }
  }
  std::fputc('\n', file);
  return GRIDLUME_STATUS_OK;
}

}  // namespace
}  // namespace gridlume

extern "C" {

gridlume_sizemap *gridlume_sizemap_new_read_bb(gridlume_mesh *mesh, const char *file_name) {
  using namespace gridlume;
  gridlume_context *context = nullptr;
  if (mesh == nullptr || gridlume_mesh_get_context(mesh, &context) != GRIDLUME_STATUS_OK)
    return nullptr;
  if (file_name == nullptr) {
    send(context, text::null_name_code, text::read_bb.null_name);
    return nullptr;
  }
  Stream stream(open_input_file(file_name, "r"));
  if (stream.file == nullptr) {
    send(context, text::open_code, text::read_bb.open);
    return nullptr;
  }
  return read_open_file(context, mesh, stream.file);
}

int gridlume_sizemap_write_bb(gridlume_sizemap *sizemap, const char *file_name) {
  using namespace gridlume;
  if (sizemap == nullptr) return GRIDLUME_STATUS_ERROR;
  gridlume_context *context = sizemap->header.context;
  if (file_name == nullptr) {
    send(context, text::null_name_code, text::write_bb.null_name);
    return GRIDLUME_STATUS_ERROR;
  }
  Stream stream(std::fopen(file_name, "w"));
  if (stream.file == nullptr) {
    send(context, text::open_code, text::write_bb.open);
    return GRIDLUME_STATUS_ERROR;
  }
  const int width = values_per_vertex_of_type(sizemap->header.kind);
  if (width == 0) {
    send(context, text::type_code, text::write_bb.type);
    return GRIDLUME_STATUS_ERROR;
  }
  int vertex_count = 0;
  if (int status = vertex_count_of_parent(sizemap, vertex_count)) {
    send(context, text::mesh_code, text::write_bb.mesh);
    return status;
  }
  int status = GRIDLUME_STATUS_OK;
  try {
    status = write_values(sizemap, stream.file, vertex_count, width);
  } catch (const std::bad_alloc &) {
    status = GRIDLUME_STATUS_NO_MEMORY;
  }
  // A write that did not reach the disk leaves a file that cannot be trusted.
  if (!stream.close() && status == GRIDLUME_STATUS_OK) status = GRIDLUME_STATUS_ERROR;
  return status;
}

}  // extern "C"
