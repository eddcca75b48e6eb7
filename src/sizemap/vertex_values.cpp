// Size maps that hold one value set per mesh vertex: the value store, its
// getters and setters, in-memory size maps and their copies.
#include <cstring>

#include "core/allocator.hpp"
#include "gridlume/context.h"
#include "gridlume/mesh.h"
#include "sizemap/sizemap.hpp"
#include "sizemap/sizemap_messages.hpp"

namespace gridlume {
namespace {

template <int values_per_vertex>
int get_values(int vertex, double *values, void *user_data) {
  if (values == nullptr) return GRIDLUME_STATUS_ERROR;
  const auto *store = static_cast<const VertexValues *>(user_data);
  if (store == nullptr || !store->holds(vertex) || store->values_per_vertex != values_per_vertex) {
    for (int k = 0; k < values_per_vertex; ++k) values[k] = 0.0;
    return GRIDLUME_STATUS_ERROR;
  }
  const double *stored = store->at(vertex);
  for (int k = 0; k < values_per_vertex; ++k) values[k] = stored[k];
  return GRIDLUME_STATUS_OK;
}

template <int values_per_vertex>
int set_values(int vertex, double *values, void *user_data) {
  auto *store = static_cast<VertexValues *>(user_data);
  if (values == nullptr || store == nullptr || !store->holds(vertex) ||
      store->values_per_vertex != values_per_vertex)
    return GRIDLUME_STATUS_ERROR;
  double *stored = store->at(vertex);
  for (int k = 0; k < values_per_vertex; ++k) stored[k] = values[k];
  return GRIDLUME_STATUS_OK;
}

constexpr gridlume_sizemap_mesh_vertex_function iso_getter = get_values<iso_values_per_vertex>;
constexpr gridlume_sizemap_mesh_vertex_function aniso_getter = get_values<aniso_values_per_vertex>;

gridlume_map_function as_map_function(gridlume_sizemap_mesh_vertex_function function) {
  return reinterpret_cast<gridlume_map_function>(function);
}

void send(gridlume_context *context, int code, const char *text) {
  gridlume_context_send_message(context, code, text);
}

}  // namespace

VertexValues *new_vertex_values(std::int32_t vertex_count,
                                std::int32_t values_per_vertex) noexcept {
  if (vertex_count < 0 || values_per_vertex < 1) return nullptr;
  auto *store = static_cast<VertexValues *>(gridlume_calloc(1, sizeof(VertexValues)));
  if (store == nullptr) return nullptr;
  std::size_t count =
      static_cast<std::size_t>(vertex_count) * static_cast<std::size_t>(values_per_vertex);
  // An empty store still owns a block, so that every live store has values.
  store->values = static_cast<double *>(gridlume_calloc(count > 0 ? count : 1, sizeof(double)));
  if (store->values == nullptr) {
    gridlume_free(store);
    return nullptr;
  }
  store->vertex_count = vertex_count;
  store->values_per_vertex = values_per_vertex;
  store->validity = vertex_values_live;
  return store;
}

void release_vertex_values(void *object) noexcept {
  auto *store = static_cast<VertexValues *>(object);
  if (store == nullptr) return;
  store->validity = vertex_values_released;
  gridlume_free(store->values);
  store->values = nullptr;
  gridlume_free(store);
}

int values_per_vertex_of_type(int type) noexcept {
  switch (type) {
    case GRIDLUME_SIZEMAP_TYPE_ISO_MESH_VERTEX:
      return iso_values_per_vertex;
    case GRIDLUME_SIZEMAP_TYPE_ANISO_MESH_VERTEX:
      return aniso_values_per_vertex;
    default:
      return 0;
  }
}

gridlume_sizemap *new_vertex_values_sizemap(gridlume_mesh *mesh, int type, VertexValues *store,
                                            bool writable) noexcept {
  bool iso = type == GRIDLUME_SIZEMAP_TYPE_ISO_MESH_VERTEX;
  gridlume_sizemap *sizemap = nullptr;
  if (store != nullptr && values_per_vertex_of_type(type) == store->values_per_vertex)
    sizemap =
        gridlume_sizemap_new(mesh, type, as_map_function(iso ? iso_getter : aniso_getter), store);
  if (sizemap == nullptr) {
    release_vertex_values(store);
    return nullptr;
  }
  sizemap->header.release_user_data = release_vertex_values;
  if (writable)
    sizemap->setter = iso ? set_values<iso_values_per_vertex> : set_values<aniso_values_per_vertex>;
  return sizemap;
}

VertexValues *vertex_values_of(gridlume_sizemap *sizemap) noexcept {
  if (sizemap == nullptr || sizemap->header.release_user_data != release_vertex_values)
    return nullptr;
  return static_cast<VertexValues *>(sizemap->header.user_data);
}

int vertex_count_of_parent(gridlume_sizemap *sizemap, int &vertex_count) noexcept {
  vertex_count = 0;
  int status = gridlume_mesh_get_vertex_count(sizemap->header.parent_mesh, &vertex_count);
  if (status == GRIDLUME_STATUS_OK && vertex_count < 0) status = GRIDLUME_STATUS_ERROR;
  return status;
}

int evaluate_vertices(gridlume_sizemap *sizemap, int first, int count, double *values,
                      int &done) noexcept {
  done = 0;
  const int width = values_per_vertex_of_type(sizemap->header.kind);
  if (width == 0 || sizemap->header.function == nullptr) return GRIDLUME_STATUS_ERROR;
  // A store's own values need no call per vertex: they are what its getter
  // would answer.
  const VertexValues *store = vertex_values_of(sizemap);
  if (store != nullptr && store->values_per_vertex == width && count > 0 && store->holds(first) &&
      store->holds(first + count - 1)) {
    std::memcpy(values, store->at(first),
                sizeof(double) * static_cast<std::size_t>(count) * static_cast<std::size_t>(width));
    done = count;
    return GRIDLUME_STATUS_OK;
  }
  auto function = reinterpret_cast<gridlume_sizemap_mesh_vertex_function>(sizemap->header.function);
  void *user_data = sizemap->header.user_data;
  for (; done < count; ++done) {
    if (int status =
            function(first + done, values + static_cast<std::size_t>(done) * width, user_data))
      return status;
  }
  return GRIDLUME_STATUS_OK;
}

}  // namespace gridlume

extern "C" {

gridlume_sizemap *gridlume_sizemap_new_in_memory(gridlume_mesh *mesh, int type) {
  namespace text = gridlume::sizemap_messages;
  gridlume_context *context = nullptr;
  int status = gridlume_mesh_get_context(mesh, &context);
  int vertex_count = 0;
  if (status == GRIDLUME_STATUS_OK) status = gridlume_mesh_get_vertex_count(mesh, &vertex_count);
  if (status != GRIDLUME_STATUS_OK) {
    gridlume::send(context, status, text::in_memory_mesh);
    return nullptr;
  }
  int values_per_vertex = gridlume::values_per_vertex_of_type(type);
  if (values_per_vertex == 0) {
    gridlume::send(context, text::in_memory_type_code, text::in_memory_type);
    return nullptr;
  }
  return gridlume::new_vertex_values_sizemap(
      mesh, type, gridlume::new_vertex_values(vertex_count, values_per_vertex), true);
}

}  // extern "C"

extern "C" gridlume_sizemap *gridlume_sizemap_new_in_memory_copy(gridlume_sizemap *source) {
  namespace text = gridlume::sizemap_messages;
  if (source == nullptr) return nullptr;
  gridlume_context *context = source->header.context;
  const int type = source->header.kind;
  const bool iso = type == GRIDLUME_SIZEMAP_TYPE_ISO_MESH_VERTEX;
  if (gridlume::values_per_vertex_of_type(type) == 0) {
    gridlume::send(context, text::copy_type_code, text::copy_type);
    return nullptr;
  }
  gridlume_mesh *mesh = source->header.parent_mesh;
  int vertex_count = 0;
  if (int status = gridlume::vertex_count_of_parent(source, vertex_count)) {
    gridlume::send(context, status, text::copy_vertex_count);
    return nullptr;
  }
  gridlume_sizemap *copy = gridlume_sizemap_new_in_memory(mesh, type);
  if (copy == nullptr) {
    gridlume::send(context, text::copy_allocation_code, text::copy_allocation);
    return nullptr;
  }
  double values[gridlume::aniso_values_per_vertex] = {};
  for (int vertex = 1; vertex <= vertex_count; ++vertex) {
    int status = iso ? gridlume_sizemap_iso_mesh_vertex_get_size(source, vertex, values)
                     : gridlume_sizemap_aniso_mesh_vertex_get_metric(source, vertex, values);
    if (status != GRIDLUME_STATUS_OK) {
      gridlume::send(context, status, iso ? text::copy_get_size : text::copy_get_metric);
      gridlume_sizemap_delete(copy);
      return nullptr;
    }
    status = copy->setter(vertex, values, copy->header.user_data);
    if (status != GRIDLUME_STATUS_OK) {
      gridlume::send(context, status, iso ? text::copy_set_size : text::copy_set_metric);
      gridlume_sizemap_delete(copy);
      return nullptr;
    }
  }
  return copy;
}
