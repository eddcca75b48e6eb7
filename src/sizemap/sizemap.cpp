// The size map object: creation over the parent its type asks for, deletion,
// attached objects, and the per-vertex getters and setters.
#include "sizemap/sizemap.hpp"

#include <array>

#include "cad/cad.hpp"
#include "core/allocator.hpp"
#include "core/context.hpp"
#include "gridlume/cad.h"
#include "gridlume/mesh.h"
#include "sizemap/sizemap_messages.hpp"

namespace gridlume {
namespace {

enum class Parent : std::uint8_t { none, cad, mesh, context };

// The parent each type is created from, by type number.
constexpr std::array<Parent, sizemap_last_type + 1> parent_of_type = {
    Parent::none,                                                  // 0
    Parent::cad,     Parent::cad,  Parent::cad,     Parent::mesh,  // 1-4
    Parent::cad,     Parent::cad,  Parent::context, Parent::mesh,  // 5-8
    Parent::context, Parent::cad,  Parent::cad,     Parent::cad,   // 9-12
    Parent::mesh,    Parent::mesh, Parent::cad,     Parent::mesh,  // 13-16
    Parent::mesh,    Parent::cad,  Parent::mesh,    Parent::cad,   // 17-20
};

Parent parent_kind(int type) {
  if (type < sizemap_first_type || type > sizemap_last_type) return Parent::none;
  return parent_of_type[static_cast<std::size_t>(type)];
}

bool is_context(void *object) {
  return static_cast<gridlume_context *>(object)->type_tag == context_type_tag;
}

void delete_sizemap_routine(void *object) noexcept {
  auto *sizemap = static_cast<gridlume_sizemap *>(object);
  if (sizemap == nullptr) return;
  sizemap->attachments.delete_all();
  release_map_user_data(sizemap->header);
  destroy(sizemap);
}

}  // namespace
}  // namespace gridlume

extern "C" {

gridlume_sizemap *gridlume_sizemap_new(void *parent, int type, gridlume_map_function function,
                                       void *user_data) {
  using gridlume::Parent;
  if (parent == nullptr || function == nullptr) return nullptr;
  gridlume::MapHeader header{};
  switch (gridlume::parent_kind(type)) {
    case Parent::none:
      return nullptr;
    case Parent::cad:
      header.parent_cad = static_cast<gridlume_cad *>(parent);
      if (gridlume_cad_get_context(header.parent_cad, &header.context) != GRIDLUME_STATUS_OK)
        return nullptr;
      break;
    case Parent::mesh:
      header.parent_mesh = static_cast<gridlume_mesh *>(parent);
      if (gridlume_mesh_get_context(header.parent_mesh, &header.context) != GRIDLUME_STATUS_OK)
        return nullptr;
      break;
    case Parent::context:
      if (!gridlume::is_context(parent)) return nullptr;
      header.context = static_cast<gridlume_context *>(parent);
      break;
  }
  if (header.context == nullptr) return nullptr;
  header.kind = type;
  header.function = function;
  header.user_data = user_data;
  gridlume_sizemap *sizemap = gridlume::create<gridlume_sizemap>();
  if (sizemap == nullptr) return nullptr;
  sizemap->header = header;
  if (gridlume_context_attach_object(header.context, sizemap, gridlume::delete_sizemap_routine) !=
      GRIDLUME_STATUS_OK) {
    gridlume::destroy(sizemap);
    return nullptr;
  }
  return sizemap;
}

void gridlume_sizemap_delete(gridlume_sizemap *sizemap) {
  if (sizemap == nullptr) return;
  gridlume_context_delete_attached_object(sizemap->header.context, sizemap);
  gridlume::delete_sizemap_routine(sizemap);
}

int gridlume_sizemap_attach_object(gridlume_sizemap *sizemap, void *object,
                                   gridlume_object_delete_routine routine) {
  if (sizemap == nullptr) return GRIDLUME_STATUS_ERROR;
  return sizemap->attachments.attach(object, routine);
}

int gridlume_sizemap_iso_mesh_vertex_get_size(gridlume_sizemap *sizemap, int vertex, double *size) {
  if (sizemap == nullptr || size == nullptr || sizemap->header.function == nullptr ||
      sizemap->header.kind != GRIDLUME_SIZEMAP_TYPE_ISO_MESH_VERTEX)
    return GRIDLUME_STATUS_ERROR;
  auto function = reinterpret_cast<gridlume_sizemap_mesh_vertex_function>(sizemap->header.function);
  return function(vertex, size, sizemap->header.user_data);
}

int gridlume_sizemap_aniso_mesh_vertex_get_metric(gridlume_sizemap *sizemap, int vertex,
                                                  double *metric) {
  if (sizemap == nullptr || metric == nullptr || sizemap->header.function == nullptr ||
      sizemap->header.kind != GRIDLUME_SIZEMAP_TYPE_ANISO_MESH_VERTEX)
    return GRIDLUME_STATUS_ERROR;
  auto function = reinterpret_cast<gridlume_sizemap_mesh_vertex_function>(sizemap->header.function);
  return function(vertex, metric, sizemap->header.user_data);
}

int gridlume_sizemap_iso_mesh_vertex_set_size(gridlume_sizemap *sizemap, int vertex, double *size) {
  if (sizemap == nullptr || size == nullptr) return GRIDLUME_STATUS_ERROR;
  // A size map of the other per-vertex type has no setter for this many reals.
  if (sizemap->setter == nullptr || sizemap->header.kind != GRIDLUME_SIZEMAP_TYPE_ISO_MESH_VERTEX) {
    gridlume_context_send_message(sizemap->header.context, gridlume::sizemap_messages::setter_code,
                                  gridlume::sizemap_messages::iso_set_size);
    return GRIDLUME_STATUS_ERROR;
  }
  return sizemap->setter(vertex, size, sizemap->header.user_data);
}

int gridlume_sizemap_aniso_mesh_vertex_set_metric(gridlume_sizemap *sizemap, int vertex,
                                                  double *metric) {
  if (sizemap == nullptr || metric == nullptr) return GRIDLUME_STATUS_ERROR;
  // A size map of the other per-vertex type has no setter for this many reals.
  if (sizemap->setter == nullptr ||
      sizemap->header.kind != GRIDLUME_SIZEMAP_TYPE_ANISO_MESH_VERTEX) {
    gridlume_context_send_message(sizemap->header.context, gridlume::sizemap_messages::setter_code,
                                  gridlume::sizemap_messages::aniso_set_metric);
    return GRIDLUME_STATUS_ERROR;
  }
  return sizemap->setter(vertex, metric, sizemap->header.user_data);
}

}  // extern "C"
