// The mesh object: creation with the default callbacks, deletion, and the
// attributes the mesh stores itself (dimension, tag system, generic buffer
// size, face multiple-periodicity records, attached objects).
#include "mesh/mesh.hpp"

#include <algorithm>
#include <cstring>

#include "cad/cad_messages.hpp"
#include "cad/point_pair_transformation.hpp"
#include "core/context.hpp"
#include "core/allocator.hpp"
#include "gridlume/tag_system.h"

namespace {

void release_periodicity_records(gridlume_mesh *mesh) noexcept {
  for (std::int32_t r = 0; r < mesh->periodicity_count; ++r) {
    gridlume::PeriodicityRecord &record = mesh->periodicity_records[r];
    gridlume_free(record.faces1);
    gridlume_free(record.faces2);
    if (record.owns_user_data) gridlume_free(record.user_data);
  }
  gridlume_free(mesh->periodicity_records);
  mesh->periodicity_records = nullptr;
  mesh->periodicity_count = mesh->periodicity_capacity = 0;
}

int *copy_face_list(const int *faces, int size) noexcept {
  std::size_t length = static_cast<std::size_t>(std::max(size, 0));
  int *copy = gridlume::allocate_array<int>(std::max<std::size_t>(length, 1));
  if (copy != nullptr && length > 0) std::memcpy(copy, faces, length * sizeof(int));
  return copy;
}

// Appends a record owning copies of both lists; -5 when memory fails.
int append_periodicity_record(gridlume_mesh *mesh, const int *faces1, int size1,
                              const int *faces2, int size2,
                              gridlume_transformation_function transformation,
                              void *user_data) noexcept {
  if (mesh->periodicity_count == mesh->periodicity_capacity) {
    std::int32_t capacity = mesh->periodicity_capacity + gridlume::periodicity_growth;
    void *grown = gridlume_realloc(mesh->periodicity_records,
                                   sizeof(gridlume::PeriodicityRecord) * capacity);
    if (grown == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
    mesh->periodicity_records = static_cast<gridlume::PeriodicityRecord *>(grown);
    mesh->periodicity_capacity = capacity;
  }
  int *copy1 = copy_face_list(faces1, size1);
  int *copy2 = copy1 ? copy_face_list(faces2, size2) : nullptr;
  if (copy2 == nullptr) {
    gridlume_free(copy1);
    return GRIDLUME_STATUS_NO_MEMORY;
  }
  mesh->periodicity_records[mesh->periodicity_count++] = {
      copy1, std::max(size1, 0), copy2, std::max(size2, 0), transformation, user_data, 0};
  return GRIDLUME_STATUS_OK;
}

// A generic buffer must be able to receive either list of any record.
void raise_generic_buffer_minimum(gridlume_mesh *mesh, int size1, int size2) noexcept {
  long long needed = 4LL * std::max(size1, size2);
  if (needed > mesh->generic_buffer_minimum && needed <= INT32_MAX)
    mesh->generic_buffer_minimum = static_cast<std::int32_t>(needed);
}

}  // namespace

namespace gridlume {

void release_required_discretizations(RequiredDiscretizationTable *table) noexcept {
  if (table == nullptr) return;
  for (std::int32_t e = 0; e < table->count; ++e) {
    gridlume_free(table->entries[e].ids);
    gridlume_free(table->entries[e].coordinates);
  }
  gridlume_free(table->entries);
  gridlume_free(table);
}

int copy_periodicity_records(const gridlume_mesh *source, gridlume_mesh *destination) noexcept {
  if (source->periodicity_capacity == 0) return GRIDLUME_STATUS_OK;
  auto *records = static_cast<PeriodicityRecord *>(
      gridlume_calloc(static_cast<std::size_t>(source->periodicity_capacity),
                      sizeof(PeriodicityRecord)));
  if (records == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
  destination->periodicity_records = records;
  destination->periodicity_capacity = source->periodicity_capacity;
  for (std::int32_t r = 0; r < source->periodicity_count; ++r) {
    const PeriodicityRecord &from = source->periodicity_records[r];
    int status = append_periodicity_record(destination, from.faces1, from.size1, from.faces2,
                                           from.size2, from.transformation, from.user_data);
    if (status != GRIDLUME_STATUS_OK) {
      release_periodicity_records(destination);
      return status;
    }
  }
  return GRIDLUME_STATUS_OK;
}

void delete_mesh_routine(void *object) noexcept {
  auto *mesh = static_cast<gridlume_mesh *>(object);
  if (mesh == nullptr) return;
  mesh->attachments.delete_all();
  gridlume_tag_system_delete(mesh->tag_system);
  release_required_discretizations(mesh->required_discretizations);
  release_periodicity_records(mesh);
  mesh->type_tag = 0;
  destroy(mesh);
}

gridlume_mesh *new_mesh(gridlume_context *context) noexcept {
  if (context == nullptr) return nullptr;
  gridlume_mesh *mesh = create<gridlume_mesh>();
  if (mesh == nullptr) return nullptr;
  mesh->type_tag = mesh_type_tag;
  mesh->context = context;
  mesh->set_dimension(default_mesh_dimension);
  for (int slot = 0; slot < slot_total; ++slot) {
    mesh->slots[slot].getter = default_getter(static_cast<Slot>(slot));
    mesh->slots[slot].setter = default_setter(static_cast<Slot>(slot));
  }
  if (gridlume_context_attach_object(context, mesh, delete_mesh_routine) != GRIDLUME_STATUS_OK) {
    destroy(mesh);
    return nullptr;
  }
  return mesh;
}

}  // namespace gridlume

extern "C" {

gridlume_mesh *gridlume_mesh_new(gridlume_context *context) { return gridlume::new_mesh(context); }

void gridlume_mesh_delete(gridlume_mesh *mesh) {
  if (mesh == nullptr) return;
  gridlume_context_delete_attached_object(mesh->context, mesh);
  gridlume::delete_mesh_routine(mesh);
}

int gridlume_mesh_get_context(gridlume_mesh *mesh, gridlume_context **context) {
  if (context == nullptr) return GRIDLUME_STATUS_ERROR;
  *context = nullptr;
  if (mesh == nullptr || mesh->type_tag != gridlume::mesh_type_tag) return GRIDLUME_STATUS_ERROR;
  *context = mesh->context;
  return GRIDLUME_STATUS_OK;
}

int gridlume_mesh_get_dimension(gridlume_mesh *mesh, int *dimension) {
  if (mesh == nullptr || dimension == nullptr) return GRIDLUME_STATUS_ERROR;
  *dimension = mesh->dimension();
  return GRIDLUME_STATUS_OK;
}

int gridlume_mesh_set_dimension(gridlume_mesh *mesh, int dimension) {
  if (mesh == nullptr || (dimension != 2 && dimension != 3)) return GRIDLUME_STATUS_ERROR;
  mesh->set_dimension(dimension);
  return GRIDLUME_STATUS_OK;
}

int gridlume_mesh_attach_object(gridlume_mesh *mesh, void *object,
                                gridlume_object_delete_routine routine) {
  if (mesh == nullptr) return GRIDLUME_STATUS_ERROR;
  return mesh->attachments.attach(object, routine);
}

void *gridlume_mesh_calloc_generic_buffer(gridlume_mesh *mesh) {
  if (mesh == nullptr) return nullptr;
  int size = std::max(gridlume::generic_buffer_fixed_minimum, mesh->generic_buffer_minimum);
  if (mesh->tag_system != nullptr)
    size = std::max(size, gridlume_tag_system_get_buffer_size(mesh->tag_system));
  return gridlume_calloc(1, static_cast<std::size_t>(size));
}

void gridlume_mesh_free_generic_buffer(void *buffer) { gridlume_free(buffer); }
void gridlume_cad_free_generic_buffer(void *buffer) { gridlume_free(buffer); }

int gridlume_mesh_get_tag_system(gridlume_mesh *mesh, gridlume_tag_system **tag_system) {
  if (mesh == nullptr || tag_system == nullptr) return GRIDLUME_STATUS_ERROR;
  *tag_system = mesh->tag_system;
  return GRIDLUME_STATUS_OK;
}

int gridlume_mesh_set_tag_system(gridlume_mesh *mesh, gridlume_tag_system *tag_system) {
  if (mesh == nullptr) return GRIDLUME_STATUS_ERROR;
  mesh->tag_system = tag_system;
  return GRIDLUME_STATUS_OK;
}

int gridlume_mesh_add_face_multiple_periodicity_with_transformation_function(
    gridlume_mesh *mesh, const int *faces1, int size1, const int *faces2, int size2,
    gridlume_transformation_function transformation, void *user_data) {
  if (mesh == nullptr || faces1 == nullptr || faces2 == nullptr) return GRIDLUME_STATUS_ERROR;
  int status = append_periodicity_record(mesh, faces1, size1, faces2, size2, transformation,
                                         user_data);
  if (status != GRIDLUME_STATUS_OK) return status;
  raise_generic_buffer_minimum(mesh, size1, size2);
  return GRIDLUME_STATUS_OK;
}

int gridlume_mesh_add_face_multiple_periodicity_with_transformation_function_by_points(
    gridlume_mesh *mesh, const int *faces1, int size1, const int *faces2, int size2,
    const double *points1, int point_count1, const double *points2, int point_count2) {
  if (mesh == nullptr || faces1 == nullptr || faces2 == nullptr || points1 == nullptr ||
      points2 == nullptr)
    return GRIDLUME_STATUS_ERROR;
  gridlume::ComputedTransformation *transformation = gridlume::new_identity_transformation();
  if (transformation == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
  int status =
      append_periodicity_record(mesh, faces1, size1, faces2, size2, nullptr, transformation);
  if (status != GRIDLUME_STATUS_OK) {
    gridlume::destroy(transformation);
    return status;
  }
  gridlume::PeriodicityRecord &record = mesh->periodicity_records[mesh->periodicity_count - 1];
  record.owns_user_data = 1;
  raise_generic_buffer_minimum(mesh, size1, size2);
  status = gridlume::compute_entry_transformation(record, points1, point_count1, points2,
                                                  point_count2);
  if (status != GRIDLUME_STATUS_OK)
    gridlume::send_formatted_message(
        mesh->context, gridlume::message_point_pairs_refused, gridlume::cad_sender,
        gridlume::text_point_pairs_refused,
        "gridlume_mesh_add_face_multiple_periodicity_with_transformation_function_by_points");
  return status;
}

int gridlume_mesh_get_face_multiple_periodicity_count(gridlume_mesh *mesh, int *count) {
  if (mesh == nullptr || count == nullptr) return GRIDLUME_STATUS_ERROR;
  *count = mesh->periodicity_count;
  return GRIDLUME_STATUS_OK;
}

int gridlume_mesh_get_face_multiple_periodicity(gridlume_mesh *mesh, int i, int **faces1,
                                                int *size1, int **faces2, int *size2,
                                                gridlume_transformation_function *transformation,
                                                void **user_data) {
  if (mesh == nullptr || faces1 == nullptr || *faces1 == nullptr || size1 == nullptr ||
      faces2 == nullptr || *faces2 == nullptr || size2 == nullptr ||
      transformation == nullptr || user_data == nullptr)
    return GRIDLUME_STATUS_ERROR;
  if (i < 1 || i > mesh->periodicity_count) return GRIDLUME_STATUS_ERROR;
  const gridlume::PeriodicityRecord &record = mesh->periodicity_records[i - 1];
  std::memcpy(*faces1, record.faces1, sizeof(int) * static_cast<std::size_t>(record.size1));
  std::memcpy(*faces2, record.faces2, sizeof(int) * static_cast<std::size_t>(record.size2));
  *size1 = record.size1;
  *size2 = record.size2;
  *transformation = record.transformation;
  *user_data = record.user_data;
  return GRIDLUME_STATUS_OK;
}

}  // extern "C"
