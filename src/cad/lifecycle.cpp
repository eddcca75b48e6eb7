// Ownership of the objects of a cad: their owners, the reference counting
// through the ownership roots, and their destruction.
#include <cstring>

#include "cad/cad.hpp"
#include "cad/objects.hpp"
#include "core/allocator.hpp"
#include "core/flat_array.hpp"

namespace gridlume {

gridlume_cad *owning_cad(const gridlume_cad_face *face) noexcept { return face->cad; }
gridlume_cad *owning_cad(const gridlume_cad_edge *edge) noexcept {
  return edge->face != nullptr ? edge->face->cad : nullptr;
}
gridlume_cad *owning_cad(const gridlume_cad_wire *wire) noexcept { return wire->cad; }
gridlume_cad *owning_cad(const gridlume_cad_point *point) noexcept {
  return point->face != nullptr ? point->face->cad : nullptr;
}
gridlume_cad *owning_cad(const gridlume_cad_polygonal_face *face) noexcept { return face->cad; }
gridlume_cad *owning_cad(const gridlume_cad_vertex *vertex) noexcept { return vertex->cad; }

// ---- Reference counting ---------------------------------------------------

void retain(gridlume_cad_face *face) noexcept {
  ++face->references;
  if (face->cad != nullptr) change_cad_references(face->cad, 1);
}

void retain(gridlume_cad_edge *edge) noexcept {
  ++edge->references;
  if (edge->face != nullptr) retain(edge->face);
}

void retain(gridlume_cad_wire *wire) noexcept {
  ++wire->references;
  if (wire->cad != nullptr) change_cad_references(wire->cad, 1);
}

void retain(gridlume_cad_polygonal_face *face) noexcept {
  ++face->references;
  if (face->cad != nullptr) change_cad_references(face->cad, 1);
}

// A release beyond the references an object accounts for (a second delete of
// one handle) changes nothing, so that it cannot destroy a root that other
// handles still hold.
void release(gridlume_cad_face *face) noexcept {
  if (face->being_destroyed || face->references <= 0) return;
  --face->references;
  if (face->cad != nullptr) {
    change_cad_references(face->cad, -1);
  } else if (face->references == 0) {
    release_user_data(face);
    free_object(face);
  }
}

void release(gridlume_cad_edge *edge) noexcept {
  if (edge->being_destroyed || edge->references <= 0) return;
  --edge->references;
  if (edge->face != nullptr) {
    release(edge->face);
  } else if (edge->references == 0) {
    release_user_data(edge);
    free_object(edge);
  }
}

void release(gridlume_cad_wire *wire) noexcept {
  if (wire->being_destroyed || wire->references <= 0) return;
  --wire->references;
  if (wire->cad != nullptr) {
    change_cad_references(wire->cad, -1);
  } else if (wire->references == 0) {
    release_user_data(wire);
    free_object(wire);
  }
}

void release(gridlume_cad_polygonal_face *face) noexcept {
  if (face->references <= 0) return;
  --face->references;
  if (face->cad != nullptr) change_cad_references(face->cad, -1);
}

int attach_face(gridlume_cad_face *face, gridlume_cad *cad) noexcept {
  if (!cad->faces.append(face)) return GRIDLUME_STATUS_NO_MEMORY;
  face->cad = cad;
  face->flags |= face_attached_bit;
  // The references held through the face now count on the cad.
  change_cad_references(cad, face->references);
  return GRIDLUME_STATUS_OK;
}

int attach_edge(gridlume_cad_edge *edge, gridlume_cad_face *face) noexcept {
  if (!face->edges.append(edge)) return GRIDLUME_STATUS_NO_MEMORY;
  edge->face = face;
  edge->flags |= edge_attached_bit;
  face->references += edge->references;
  if (face->cad != nullptr) change_cad_references(face->cad, edge->references);
  return GRIDLUME_STATUS_OK;
}

// ---- Destruction -----------------------------------------------------------

void release_user_data(gridlume_cad_edge *edge) noexcept {
  if (edge->being_destroyed) return;
  edge->being_destroyed = true;
  if (edge->delete_function != nullptr && edge->user_data != nullptr)
    edge->delete_function(edge->user_data);
  edge->user_data = nullptr;
  release_support_vertices(edge->support_vertices);
  edge->support_vertices = nullptr;
}

void release_user_data(gridlume_cad_face *face) noexcept {
  if (face->being_destroyed) return;
  face->being_destroyed = true;
  for (gridlume_cad_edge *edge : face->edges) release_user_data(edge);
  if (face->delete_function != nullptr && face->user_data != nullptr)
    face->delete_function(face->user_data);
  face->user_data = nullptr;
}

void release_user_data(gridlume_cad_wire *wire) noexcept {
  if (wire->being_destroyed) return;
  wire->being_destroyed = true;
  if (wire->delete_function != nullptr && wire->user_data != nullptr)
    wire->delete_function(wire->user_data);
  wire->user_data = nullptr;
  release_support_vertices(wire->support_vertices);
  wire->support_vertices = nullptr;
}

void free_object(gridlume_cad_edge *edge) noexcept {
  release_support_vertices(edge->support_vertices);
  gridlume_free(edge->discrete_definition.indices);
  destroy(edge);
}

void free_object(gridlume_cad_face *face) noexcept {
  for (gridlume_cad_edge *edge : face->edges) free_object(edge);
  for (gridlume_cad_point *point : face->points) destroy(point);
  if (face->domain_structure != nullptr && face->domain_structure_release != nullptr)
    face->domain_structure_release(face->domain_structure);
  release_face_discrete_definition(face->discrete_definition);
  destroy(face);
}

void free_object(gridlume_cad_wire *wire) noexcept {
  release_support_vertices(wire->support_vertices);
  if (wire->discrete_definition != nullptr) delete_mesh_routine(wire->discrete_definition);
  destroy(wire);
}

void free_object(gridlume_cad_polygonal_face *face) noexcept {
  for (int *array : {face->edges_ids, face->edges_tags, face->edges_required_properties,
                     face->points_ids, face->points_tags, face->points_required_properties,
                     face->points_corner_properties})
    gridlume_free(array);
  gridlume_free(face->coordinates);
  destroy(face);
}

void release_face_discrete_definition(FaceDiscreteDefinition *definition) noexcept {
  if (definition == nullptr) return;
  // The meshes of a definition are detached from their context and belong
  // to the face alone.
  if (definition->definition_mesh != nullptr) delete_mesh_routine(definition->definition_mesh);
  if (definition->geometry_mesh != nullptr) delete_mesh_routine(definition->geometry_mesh);
  gridlume_free(definition->vertex_mapping);
  gridlume_free(definition->triangle_mapping);
  gridlume_free(definition);
}

// ---- Construction helpers ----------------------------------------------------

bool clone_user_data(gridlume_cad_clone_function clone, void *user_data, void *&copy) noexcept {
  copy = clone != nullptr ? clone(user_data) : user_data;
  return copy != nullptr || user_data == nullptr;
}

gridlume_cad_face *new_face_record(std::int32_t id, gridlume_cad_surface_function surface,
                                   void *user_data) noexcept {
  gridlume_cad_face *face = create<gridlume_cad_face>();
  if (face == nullptr) return nullptr;
  if (face->edges.reserve(face_initial_edge_capacity) != GRIDLUME_STATUS_OK ||
      face->points.reserve(face_initial_point_capacity) != GRIDLUME_STATUS_OK) {
    destroy(face);
    return nullptr;
  }
  face->id = id;
  face->surface = surface;
  face->user_data = user_data;
  face->references = 1;
  return face;
}

namespace {

// Edges and wires start alike: a curve over [tmin, tmax] and one reference.
template <class Curve, class CurveFunction>
Curve *new_curve_record(std::int32_t id, double tmin, double tmax, CurveFunction curve,
                        void *user_data) noexcept {
  Curve *record = create<Curve>();
  if (record == nullptr) return nullptr;
  record->id = id;
  record->tmin = tmin;
  record->tmax = tmax;
  record->curve = curve;
  record->user_data = user_data;
  record->references = 1;
  return record;
}

}  // namespace

gridlume_cad_edge *new_standalone_edge(std::int32_t id, double tmin, double tmax,
                                       gridlume_cad_curve_function curve,
                                       void *user_data) noexcept {
  return new_curve_record<gridlume_cad_edge>(id, tmin, tmax, curve, user_data);
}

gridlume_cad_wire *new_wire_record(std::int32_t id, double tmin, double tmax,
                                   gridlume_cad_wire_curve_function curve,
                                   void *user_data) noexcept {
  return new_curve_record<gridlume_cad_wire>(id, tmin, tmax, curve, user_data);
}

// ---- Support vertices ----------------------------------------------------------

SupportVertices *new_support_vertices() noexcept {
  SupportVertices *record = create<SupportVertices>();
  if (record != nullptr) record->references = 1;
  return record;
}

void release_support_vertices(SupportVertices *record) noexcept {
  if (record == nullptr || --record->references > 0) return;
  gridlume_free(record->t);
  gridlume_free(record->uv);
  gridlume_free(record->xyz);
  destroy(record);
}

int make_support_vertices_private(gridlume_cad_edge *edge) noexcept {
  SupportVertices *shared = edge->support_vertices;
  if (shared != nullptr && shared->references == 1) return GRIDLUME_STATUS_OK;
  SupportVertices *own = new_support_vertices();
  if (own == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
  // A private record starts as a copy of the shared one, so that the edge
  // keeps reporting the vertices it reported.
  if (shared != nullptr && shared->count > 0) {
    auto count = static_cast<std::size_t>(shared->count);
    own->t = copy_resized(shared->t, count, count);
    own->uv = copy_resized(shared->uv, 2 * count, 2 * count);
    own->xyz = copy_resized(shared->xyz, 3 * count, 3 * count);
    if (own->t == nullptr || own->uv == nullptr || own->xyz == nullptr) {
      release_support_vertices(own);
      return GRIDLUME_STATUS_NO_MEMORY;
    }
    own->count = shared->count;
  }
  release_support_vertices(shared);
  edge->support_vertices = own;
  return GRIDLUME_STATUS_OK;
}

}  // namespace gridlume
