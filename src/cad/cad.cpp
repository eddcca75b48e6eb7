// Creation, lifetime and identification of the cad, and what the cad stores
// itself: its vertex lookup, tag system, attached objects and generic buffer
// size.
#include "cad/cad.hpp"

#include <algorithm>

#include "cad/objects.hpp"
#include "core/allocator.hpp"
#include "gridlume/tag_system.h"

namespace gridlume {
namespace {

int create_table(auto &table, const GroupedTableSizes &sizes) noexcept {
  return table.create(sizes.group_buckets, sizes.group_capacity, sizes.buckets_per_group,
                      sizes.tuples_per_group);
}

// Every list and table a new cad starts with; 0 or -5.
int create_contents(gridlume_cad *cad) noexcept {
  const int statuses[] = {
      cad->faces.reserve(cad_initial_face_capacity),
      cad->polygonal_faces.reserve(cad_initial_polygonal_face_capacity),
      cad->wires.reserve(cad_initial_wire_capacity),
      cad->vertices.reserve(cad_initial_vertex_capacity),
      cad->vertex_map.create(),
      create_table(cad->face_periodicity, face_periodicity_sizes),
      create_table(cad->edge_periodicity, edge_periodicity_sizes),
      create_table(cad->point_periodicity, point_periodicity_sizes),
      cad->face_multiple_periodicity.reserve(cad_initial_multiple_periodicity_capacity),
      cad->edge_multiple_periodicity.reserve(cad_initial_multiple_periodicity_capacity),
  };
  for (int status : statuses)
    if (status != GRIDLUME_STATUS_OK) return status;
  return GRIDLUME_STATUS_OK;
}

void release_multiple_periodicity(GrowableArray<PeriodicityRecord> &entries) noexcept {
  for (PeriodicityRecord &entry : entries) {
    gridlume_free(entry.faces1);
    gridlume_free(entry.faces2);
    if (entry.owns_user_data) gridlume_free(entry.user_data);
  }
  entries.release();
}

// Releases everything the cad holds, in the order its objects may depend on
// one another: attached objects first, then faces with their edges and
// points, polygonal faces, wires, vertices, the tag system and the
// periodicity data.
void destroy_cad(gridlume_cad *cad) noexcept {
  cad->being_destroyed = true;
  cad->attachments.delete_all();
  // The delete functions of all faces and edges run before any of them is
  // freed: a derived edge or face may release a reference to another one.
  for (gridlume_cad_face *face : cad->faces) release_user_data(face);
  for (gridlume_cad_face *face : cad->faces) free_object(face);
  for (gridlume_cad_polygonal_face *face : cad->polygonal_faces) free_object(face);
  for (gridlume_cad_wire *wire : cad->wires) release_user_data(wire);
  for (gridlume_cad_wire *wire : cad->wires) free_object(wire);
  for (gridlume_cad_vertex *vertex : cad->vertices) destroy(vertex);
  cad->vertex_map.release();
  gridlume_tag_system_delete(cad->tag_system);
  cad->tag_system = nullptr;
  release_multiple_periodicity(cad->face_multiple_periodicity);
  release_multiple_periodicity(cad->edge_multiple_periodicity);
  cad->type_tag = 0;
  destroy(cad);
}

}  // namespace

void delete_cad_routine(void *object) noexcept {
  auto *cad = static_cast<gridlume_cad *>(object);
  if (cad == nullptr || cad->being_destroyed) return;
  destroy_cad(cad);
}

void change_cad_references(gridlume_cad *cad, std::int32_t change) noexcept {
  if (cad->being_destroyed) return;
  cad->references += change;
  if (cad->references > 0) return;
  gridlume_context_delete_attached_object(cad->context, cad);
  destroy_cad(cad);
}

gridlume_cad *owning_cad(const gridlume_cad *cad) noexcept {
  return const_cast<gridlume_cad *>(cad);
}

}  // namespace gridlume

extern "C" {

gridlume_cad *gridlume_cad_new(gridlume_context *context) {
  if (context == nullptr) return nullptr;
  gridlume_cad *cad = gridlume::create<gridlume_cad>();
  if (cad == nullptr) return nullptr;
  cad->type_tag = gridlume::cad_type_tag;
  cad->context = context;
  cad->generic_buffer_size = gridlume::cad_initial_generic_buffer_size;
  cad->references = 1;
  if (gridlume::create_contents(cad) != GRIDLUME_STATUS_OK ||
      gridlume_context_attach_object(context, cad, gridlume::delete_cad_routine) !=
          GRIDLUME_STATUS_OK) {
    gridlume::destroy(cad);
    return nullptr;
  }
  return cad;
}

void gridlume_cad_delete(gridlume_cad *cad) {
  if (cad == nullptr || cad->type_tag != gridlume::cad_type_tag) return;
  gridlume::change_cad_references(cad, -1);
}

int gridlume_cad_get_context(gridlume_cad *cad, gridlume_context **context) {
  if (context == nullptr) return GRIDLUME_STATUS_ERROR;
  *context = nullptr;
  if (cad == nullptr || cad->type_tag != gridlume::cad_type_tag) return GRIDLUME_STATUS_ERROR;
  *context = cad->context;
  return GRIDLUME_STATUS_OK;
}

int gridlume_cad_attach_object(gridlume_cad *cad, void *object,
                               gridlume_object_delete_routine routine) {
  if (cad == nullptr) return GRIDLUME_STATUS_ERROR;
  return cad->attachments.attach(object, routine);
}

int gridlume_cad_get_vertex(gridlume_cad *cad, int id, gridlume_cad_vertex **vertex) {
  if (cad == nullptr || vertex == nullptr) return GRIDLUME_STATUS_ERROR;
  *vertex = nullptr;
  std::int32_t index = 0;
  if (cad->vertex_map.find(id, index)) *vertex = cad->vertices[index];
  return GRIDLUME_STATUS_OK;
}

int gridlume_cad_set_tag_system(gridlume_cad *cad, gridlume_tag_system *tag_system) {
  if (cad == nullptr) return GRIDLUME_STATUS_ERROR;
  // The cad owns the tag system it is given, so one it is replacing is
  // deleted rather than left without an owner.
  if (cad->tag_system != tag_system) gridlume_tag_system_delete(cad->tag_system);
  cad->tag_system = tag_system;
  return GRIDLUME_STATUS_OK;
}

int gridlume_cad_get_tag_system(gridlume_cad *cad, gridlume_tag_system **tag_system) {
  if (cad == nullptr || tag_system == nullptr) return GRIDLUME_STATUS_ERROR;
  *tag_system = cad->tag_system;
  return GRIDLUME_STATUS_OK;
}

int gridlume_cad_get_composite_tag_definition(gridlume_cad *cad, int tag, int *count,
                                              int *list) {
  if (cad == nullptr || count == nullptr || list == nullptr) return GRIDLUME_STATUS_ERROR;
  if (cad->tag_system != nullptr)
    return gridlume_tag_system_get_composite_tag_definition(cad->tag_system, tag, count, list);
  // Without a tag system every tag is its own definition.
  *count = 1;
  list[0] = tag;
  return GRIDLUME_STATUS_OK;
}

int gridlume_cad_get_composite_tag_list(gridlume_cad *cad, int *count, int *list) {
  if (cad == nullptr || count == nullptr || list == nullptr) return GRIDLUME_STATUS_ERROR;
  if (cad->tag_system != nullptr)
    return gridlume_tag_system_get_composite_tag_list(cad->tag_system, count, list);
  *count = 0;
  list[0] = 0;
  return GRIDLUME_STATUS_OK;
}

void *gridlume_cad_calloc_generic_buffer(gridlume_cad *cad) {
  if (cad == nullptr) return nullptr;
  int size = cad->generic_buffer_size;
  if (size <= 0) return nullptr;
  // A generic buffer receives any list output of the cad, the composite tag
  // lists of its tag system included.
  if (cad->tag_system != nullptr)
    size = std::max(size, gridlume_tag_system_get_buffer_size(cad->tag_system));
  return gridlume_calloc(1, static_cast<std::size_t>(size));
}

int gridlume_cad_merge_edges(gridlume_cad *) { return GRIDLUME_STATUS_OK; }

}  // extern "C"
