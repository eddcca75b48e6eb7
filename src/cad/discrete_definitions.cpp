// Faces, edges, points and wires of a cad described by meshes instead of
// evaluation functions. The meshes are in-memory copies that belong to the
// object alone: they are detached from their context so that deleting the
// context does not delete them under the object.
#include <algorithm>
#include <cstring>

#include "cad/cad.hpp"
#include "cad/objects.hpp"
#include "core/allocator.hpp"
#include "gridlume/cad_face.h"
#include "gridlume/cad_wire.h"
#include "gridlume/context.h"
#include "gridlume/mesh_memory.h"

namespace {

// An in-memory copy of a mesh owned by its holder alone; nullptr for a
// null mesh or when memory fails.
gridlume_mesh *detached_copy(gridlume_mesh *mesh) noexcept {
  if (mesh == nullptr) return nullptr;
  gridlume_mesh *copy = gridlume_mesh_new_in_memory_copy(mesh);
  if (copy != nullptr) gridlume_context_detach_object(copy->context, copy);
  return copy;
}

int *copy_integers(const int *values, int count) noexcept {
  int *copy = gridlume::allocate_array<int>(static_cast<std::size_t>(std::max(count, 1)));
  if (copy != nullptr && count > 0 && values != nullptr)
    std::memcpy(copy, values, sizeof(int) * static_cast<std::size_t>(count));
  return copy;
}

bool is_discrete(const gridlume_cad_face *face) noexcept {
  return face != nullptr && face->discrete_definition != nullptr;
}

// The discrete definition of a new face: copies of the meshes given.
gridlume::FaceDiscreteDefinition *new_face_definition(gridlume_mesh *definition_mesh,
                                                      gridlume_mesh *geometry_mesh) noexcept {
  auto *definition = gridlume::create<gridlume::FaceDiscreteDefinition>();
  if (definition == nullptr) return nullptr;
  definition->definition_mesh = detached_copy(definition_mesh);
  definition->geometry_mesh = detached_copy(geometry_mesh);
  if ((definition_mesh != nullptr && definition->definition_mesh == nullptr) ||
      (geometry_mesh != nullptr && definition->geometry_mesh == nullptr)) {
    gridlume::release_face_discrete_definition(definition);
    return nullptr;
  }
  return definition;
}

}  // namespace

extern "C" {

gridlume_cad_face *gridlume_cad_face_new_discrete(gridlume_cad *cad, int id,
                                                  gridlume_mesh *definition_mesh,
                                                  gridlume_mesh *geometry_mesh) {
  if (cad == nullptr) return nullptr;
  gridlume_cad_face *face = gridlume::new_face_record(id, nullptr, nullptr);
  if (face == nullptr) return nullptr;
  face->discrete_definition = new_face_definition(definition_mesh, geometry_mesh);
  if (face->discrete_definition == nullptr ||
      gridlume::attach_face(face, cad) != GRIDLUME_STATUS_OK) {
    gridlume::free_object(face);
    return nullptr;
  }
  cad->flags |= gridlume::cad_discrete_definition_bit;
  return face;
}

int gridlume_cad_face_discrete_set_geometry_mapping(gridlume_cad_face *face,
                                                    const int *vertex_mapping,
                                                    const int *triangle_mapping) {
  if (!is_discrete(face)) return GRIDLUME_STATUS_ERROR;
  gridlume::FaceDiscreteDefinition &definition = *face->discrete_definition;
  if (definition.geometry_mesh == nullptr) return GRIDLUME_STATUS_ERROR;
  int vertex_count = 0, triangle_count = 0;
  int status = gridlume_mesh_get_vertex_count(definition.geometry_mesh, &vertex_count);
  if (status == GRIDLUME_STATUS_OK)
    status = gridlume_mesh_get_triangle_count(definition.geometry_mesh, &triangle_count);
  if (status != GRIDLUME_STATUS_OK) return status;
  int *vertices = copy_integers(vertex_mapping, vertex_count);
  int *triangles = vertices != nullptr ? copy_integers(triangle_mapping, triangle_count) : nullptr;
  if (triangles == nullptr) {
    gridlume_free(vertices);
    return GRIDLUME_STATUS_NO_MEMORY;
  }
  gridlume_free(definition.vertex_mapping);
  gridlume_free(definition.triangle_mapping);
  definition.vertex_mapping = vertices;
  definition.triangle_mapping = triangles;
  return GRIDLUME_STATUS_OK;
}

int gridlume_cad_face_discrete_get_geometry_mapping(gridlume_cad_face *face, int **vertex_mapping,
                                                    int **triangle_mapping) {
  if (!is_discrete(face)) return GRIDLUME_STATUS_ERROR;
  if (vertex_mapping != nullptr) *vertex_mapping = face->discrete_definition->vertex_mapping;
  if (triangle_mapping != nullptr) *triangle_mapping = face->discrete_definition->triangle_mapping;
  return GRIDLUME_STATUS_OK;
}

gridlume_cad_edge *gridlume_cad_edge_new_discrete(gridlume_cad_face *face, int id, int count,
                                                  const int *indices) {
  if (!is_discrete(face) || count < 0 || (count > 0 && indices == nullptr)) return nullptr;
  gridlume_cad_edge *edge = gridlume::new_standalone_edge(id, 0, 0, nullptr, nullptr);
  if (edge == nullptr) return nullptr;
  edge->discrete_definition.indices = copy_integers(indices, count);
  edge->discrete_definition.count = count;
  if (edge->discrete_definition.indices == nullptr ||
      gridlume::attach_edge(edge, face) != GRIDLUME_STATUS_OK) {
    gridlume::free_object(edge);
    return nullptr;
  }
  return edge;
}

gridlume_cad_point *gridlume_cad_point_new_discrete(gridlume_cad_face *face, int id, int index) {
  if (!is_discrete(face)) return nullptr;
  gridlume_cad_point *point = gridlume::create<gridlume_cad_point>();
  if (point == nullptr) return nullptr;
  point->face = face;
  point->id = id;
  point->discrete_definition = index;
  if (!face->points.append(point)) {
    gridlume::destroy(point);
    return nullptr;
  }
  return point;
}

gridlume_cad_wire *gridlume_cad_wire_new_discrete(gridlume_cad *cad, int id, gridlume_mesh *mesh) {
  if (cad == nullptr || mesh == nullptr) return nullptr;
  gridlume_cad_wire *wire = gridlume::new_wire_record(id, 0, 0, nullptr, nullptr);
  if (wire == nullptr) return nullptr;
  wire->discrete_definition = detached_copy(mesh);
  if (wire->discrete_definition == nullptr ||
      gridlume::attach_wire(wire, cad) != GRIDLUME_STATUS_OK) {
    gridlume::free_object(wire);
    return nullptr;
  }
  cad->flags |= gridlume::cad_discrete_definition_bit;
  return wire;
}

}  // extern "C"
