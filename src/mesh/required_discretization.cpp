// The table of required discretizations on reference lines that a caller
// attaches to a mesh for a generator to respect: entries in order of
// addition, each a line tag and its points (identifiers and coordinates).
#include <cstring>

#include "core/allocator.hpp"
#include "gridlume/mesh_memory.h"
#include "mesh/mesh.hpp"

namespace gridlume {
namespace {

constexpr std::int32_t initial_discretization_capacity = 11;
constexpr int growth_factor = 2;

int ensure_table(gridlume_mesh *mesh) noexcept {
  if (mesh->required_discretizations != nullptr) return GRIDLUME_STATUS_OK;
  auto *table = static_cast<RequiredDiscretizationTable *>(
      gridlume_calloc(1, sizeof(RequiredDiscretizationTable)));
  auto *entries = static_cast<RequiredDiscretization *>(
      gridlume_calloc(initial_discretization_capacity, sizeof(RequiredDiscretization)));
  if (table == nullptr || entries == nullptr) {
    gridlume_free(table);
    gridlume_free(entries);
    return GRIDLUME_STATUS_NO_MEMORY;
  }
  *table = {0, initial_discretization_capacity, entries};
  mesh->required_discretizations = table;
  return GRIDLUME_STATUS_OK;
}

// The capacity doubles when an addition makes the count reach it; when it
// cannot, the addition is refused before anything is counted.
int make_room(RequiredDiscretizationTable &table) noexcept {
  if (table.count + 1 < table.capacity) return GRIDLUME_STATUS_OK;
  if (table.capacity > INT32_MAX / growth_factor) return GRIDLUME_STATUS_NO_MEMORY;
  const std::int32_t capacity = table.capacity * growth_factor;
  void *grown = gridlume_realloc(table.entries,
                                 sizeof(RequiredDiscretization) * static_cast<std::size_t>(capacity));
  if (grown == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
  table.entries = static_cast<RequiredDiscretization *>(grown);
  table.capacity = capacity;
  return GRIDLUME_STATUS_OK;
}

// The entry stays counted whether or not its copies could be made; without
// them it reads back with NULL arrays.
int fill_entry(RequiredDiscretization &entry, int line_tag, int n, const int *ids,
               const double *xyz) noexcept {
  entry = {line_tag, n, nullptr, nullptr};
  if (n == 0) return GRIDLUME_STATUS_OK;
  const auto points = static_cast<std::size_t>(n);
  entry.ids = allocate_array<int>(points);
  entry.coordinates = points <= SIZE_MAX / 3 ? allocate_array<double>(3 * points) : nullptr;
  if (entry.ids == nullptr || entry.coordinates == nullptr) {
    gridlume_free(entry.ids);
    gridlume_free(entry.coordinates);
    entry.ids = nullptr;
    entry.coordinates = nullptr;
    return GRIDLUME_STATUS_NO_MEMORY;
  }
  std::memcpy(entry.ids, ids, sizeof(int) * points);
  std::memcpy(entry.coordinates, xyz, sizeof(double) * 3 * points);
  return GRIDLUME_STATUS_OK;
}

}  // namespace
}  // namespace gridlume

extern "C" {

int gridlume_mesh_set_required_discretization_on_reference_line(gridlume_mesh *mesh,
                                                                int line_tag, int n,
                                                                const int *ids,
                                                                const double *xyz) {
  if (mesh == nullptr || n < 0 || (n > 0 && (ids == nullptr || xyz == nullptr)))
    return GRIDLUME_STATUS_ERROR;
  int status = gridlume::ensure_table(mesh);
  if (status != GRIDLUME_STATUS_OK) return status;
  gridlume::RequiredDiscretizationTable &table = *mesh->required_discretizations;
  status = gridlume::make_room(table);
  if (status != GRIDLUME_STATUS_OK) return status;
  return gridlume::fill_entry(table.entries[table.count++], line_tag, n, ids, xyz);
}

int gridlume_mesh_get_required_discretization_on_reference_line_count(gridlume_mesh *mesh,
                                                                      int *count) {
  if (mesh == nullptr || count == nullptr) return GRIDLUME_STATUS_ERROR;
  const gridlume::RequiredDiscretizationTable *table = mesh->required_discretizations;
  *count = table != nullptr ? table->count : 0;
  return GRIDLUME_STATUS_OK;
}

int gridlume_mesh_get_required_discretization_on_reference_line(gridlume_mesh *mesh, int i,
                                                                int *line_tag, int *n,
                                                                const int **ids,
                                                                const double **xyz) {
  if (mesh == nullptr || line_tag == nullptr || n == nullptr || ids == nullptr ||
      xyz == nullptr)
    return GRIDLUME_STATUS_ERROR;
  const gridlume::RequiredDiscretizationTable *table = mesh->required_discretizations;
  if (table == nullptr || i < 1 || i > table->count) return GRIDLUME_STATUS_ERROR;
  const gridlume::RequiredDiscretization &entry = table->entries[i - 1];
  *line_tag = entry.line_tag;
  *n = entry.point_count;
  *ids = entry.ids;
  *xyz = entry.coordinates;
  return GRIDLUME_STATUS_OK;
}

}  // extern "C"
