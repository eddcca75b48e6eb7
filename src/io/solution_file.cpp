// Per-vertex size maps in solution keyword files (".sol" text, ".solb"
// binary): one "SolAtVertices" block of a scalar or a symmetric tensor per
// vertex.
#include <algorithm>
#include <new>

#include "core/allocator.hpp"
#include "gridlume/context.h"
#include "gridlume/mesh.h"
#include "gridlume/sizemap.h"
#include "io/keyword_file.hpp"
#include "io/sizemap_file_messages.hpp"
#include "sizemap/sizemap.hpp"

namespace gridlume {
namespace {

namespace text = sizemap_file_messages;

constexpr int keyword_sol_at_vertices = 62;
constexpr int solution_scalar = 1;
constexpr int solution_symmetric_tensor = 3;
// Whatever the mesh's dimension, files are written in version 2, 3D.
constexpr int written_version = 2;
constexpr int written_dimension = 3;
// Vertices evaluated and written per block.
constexpr int block_vertices = 16384;

void send(gridlume_context *context, int code, const char *description) {
  gridlume_context_send_message(context, code, description);
}

// Reads the lines of the keyword into the store, a value set per vertex;
// the `reals` of each line go to the first slots of its set. Answers false
// when memory fails.
bool read_values(int slot, int reals, VertexValues &store) {
  FieldColumn columns[aniso_values_per_vertex];
  const std::ptrdiff_t stride =
      static_cast<std::ptrdiff_t>(sizeof(double)) * store.values_per_vertex;
  for (int k = 0; k < reals; ++k) columns[k] = {ColumnType::float64, store.values + k, stride};
  return keyword_file_get_lines(
             slot, keyword_sol_at_vertices, store.vertex_count,
             std::span<const FieldColumn>(columns, static_cast<std::size_t>(reals))) !=
         GRIDLUME_STATUS_NO_MEMORY;
}

// The part of reading between opening and closing: the new size map, or
// nullptr after its message (none when memory fails).
gridlume_sizemap *read_open_file(gridlume_context *context, gridlume_mesh *mesh, int slot,
                                 int dimension) {
  int type_count = 0, reals = 0;
  int lines = keyword_file_stat_key(slot, keyword_sol_at_vertices, &type_count, &reals);
  if (lines == 0) {
    send(context, text::type_code, text::read_sol.unknown_type);
    return nullptr;
  }
  int vertex_count = 0;
  if (gridlume_mesh_get_vertex_count(mesh, &vertex_count) != GRIDLUME_STATUS_OK) {
    send(context, text::mesh_code, text::read_sol.mesh);
    return nullptr;
  }
  if (lines != vertex_count) {
    send(context, text::matching_code, text::read_sol.matching);
    return nullptr;
  }
  int solution_type = 0;
  if (type_count == 1)
    keyword_file_stat_key(slot, keyword_sol_at_vertices, nullptr, nullptr, &solution_type);
  const int tensor_reals = dimension * (dimension + 1) / 2;
  const bool scalar = solution_type == solution_scalar && reals == 1;
  const bool tensor = solution_type == solution_symmetric_tensor && reals == tensor_reals;
  if (type_count != 1 || !(scalar || tensor)) {
    send(context, text::type_code, text::read_sol.type);
    return nullptr;
  }
  VertexValues *store =
      new_vertex_values(vertex_count, scalar ? iso_values_per_vertex : aniso_values_per_vertex);
  if (store == nullptr) return nullptr;
  if (keyword_file_goto_key(slot, keyword_sol_at_vertices) != 0 ||
      !read_values(slot, reals, *store)) {
    release_vertex_values(store);
    return nullptr;
  }
  return new_vertex_values_sizemap(
      mesh,
      scalar ? GRIDLUME_SIZEMAP_TYPE_ISO_MESH_VERTEX : GRIDLUME_SIZEMAP_TYPE_ANISO_MESH_VERTEX,
      store, false);
}

// Writes the lines of every vertex, a block at a time; the status of the
// first failing evaluation (after its message) ends them early.
int write_lines(gridlume_sizemap *sizemap, int slot, int vertex_count, int width) {
  const bool iso = width == iso_values_per_vertex;
  // A mesh without vertices still gets a block of one, so that the columns
  // point into storage.
  Vector<double> block(
      static_cast<std::size_t>(std::max(1, std::min(vertex_count, block_vertices))) * width);
  ConstFieldColumn columns[aniso_values_per_vertex];
  const std::ptrdiff_t stride = static_cast<std::ptrdiff_t>(sizeof(double)) * width;
  for (int k = 0; k < width; ++k) columns[k] = {ColumnType::float64, block.data() + k, stride};
  const std::span<const ConstFieldColumn> line(columns, static_cast<std::size_t>(width));
  for (int first = 1; first <= vertex_count; first += block_vertices) {
    const int count = std::min(block_vertices, vertex_count - first + 1);
    int done = 0;
    int status = evaluate_vertices(sizemap, first, count, block.data(), done);
    if (int written = keyword_file_set_lines(slot, keyword_sol_at_vertices, done, line))
      return written;
    if (status != GRIDLUME_STATUS_OK) {
      send(sizemap->header.context, text::data_code,
           iso ? text::write_sol.iso_data : text::write_sol.aniso_data);
      return status;
    }
  }
  return GRIDLUME_STATUS_OK;
}

}  // namespace
}  // namespace gridlume

extern "C" {

gridlume_sizemap *gridlume_sizemap_new_read_sol(gridlume_mesh *mesh, const char *file_name) {
  using namespace gridlume;
  gridlume_context *context = nullptr;
  if (mesh == nullptr || gridlume_mesh_get_context(mesh, &context) != GRIDLUME_STATUS_OK)
    return nullptr;
  if (file_name == nullptr) {
    send(context, text::null_name_code, text::read_sol.null_name);
    return nullptr;
  }
  int version = 0, dimension = 0;
  const int slot = keyword_file_open_for_reading(file_name, &version, &dimension);
  if (slot == 0) {
    send(context, text::open_code, text::read_sol.open);
    return nullptr;
  }
  gridlume_sizemap *sizemap = read_open_file(context, mesh, slot, dimension);
  // A file that ran short while its lines were read has its values zeroed
  // where the file ended; such a size map is not handed out.
  if (keyword_file_close(slot) != 1) {
    send(context, text::close_code, text::read_sol.close);
    gridlume_sizemap_delete(sizemap);
    return nullptr;
  }
  return sizemap;
}

int gridlume_sizemap_write_sol(gridlume_sizemap *sizemap, const char *file_name) {
  using namespace gridlume;
  if (sizemap == nullptr) return GRIDLUME_STATUS_ERROR;
  gridlume_context *context = sizemap->header.context;
  if (file_name == nullptr) {
    send(context, text::null_name_code, text::write_sol.null_name);
    return GRIDLUME_STATUS_ERROR;
  }
  const int slot = keyword_file_open_for_writing(file_name, written_version, written_dimension);
  if (slot == 0) {
    send(context, text::open_code, text::write_sol.open);
    return GRIDLUME_STATUS_ERROR;
  }
  int status = GRIDLUME_STATUS_OK;
  const int width = values_per_vertex_of_type(sizemap->header.kind);
  int vertex_count = 0;
  if (width == 0) {
    send(context, text::type_code, text::write_sol.type);
    status = GRIDLUME_STATUS_ERROR;
  } else if ((status = vertex_count_of_parent(sizemap, vertex_count)) != GRIDLUME_STATUS_OK) {
    send(context, text::mesh_code, text::write_sol.mesh);
  } else {
    const int type = width == iso_values_per_vertex ? solution_scalar : solution_symmetric_tensor;
    keyword_file_set_key(slot, keyword_sol_at_vertices, vertex_count, 1, &type);
    try {
      status = write_lines(sizemap, slot, vertex_count, width);
    } catch (const std::bad_alloc &) {
      status = GRIDLUME_STATUS_NO_MEMORY;
    }
  }
  if (keyword_file_close(slot) != 1 && status != GRIDLUME_STATUS_NO_MEMORY) {
    send(context, text::close_code, text::write_sol.close);
    return GRIDLUME_STATUS_ERROR;
  }
  return status;
}

}  // extern "C"
