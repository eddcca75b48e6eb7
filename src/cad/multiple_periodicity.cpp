// Multiple periodicity of a cad: lists of faces or edges carried onto other
// lists by a transformation of space, the caller's or one computed from
// corresponding points.
#include <algorithm>
#include <cstring>

#include "cad/cad.hpp"
#include "cad/cad_messages.hpp"
#include "cad/point_pair_transformation.hpp"
#include "core/allocator.hpp"
#include "core/context.hpp"
#include "gridlume/cad_periodicity.h"

namespace {

using gridlume::PeriodicityRecord;
using Entries = gridlume::GrowableArray<PeriodicityRecord>;

// A full entry array grows by this many entries.
constexpr std::int32_t entry_growth = 7;
// Bytes a generic buffer needs per id of a list.
constexpr long long bytes_per_id = sizeof(std::int32_t);

int *copy_ids(const int *ids, int size) noexcept {
  int *copy = gridlume::allocate_array<int>(static_cast<std::size_t>(std::max(size, 1)));
  if (copy != nullptr && size > 0)
    std::memcpy(copy, ids, sizeof(int) * static_cast<std::size_t>(size));
  return copy;
}

// Appends an entry with copies of both lists and raises the generic buffer
// size; -5 when memory fails (nothing appended).
int append_entry(gridlume_cad *cad, Entries &entries, const int *ids1, int size1, const int *ids2,
                 int size2, gridlume_transformation_function transformation,
                 void *user_data) noexcept {
  if (entries.count() == entries.capacity() &&
      entries.reserve(entries.capacity() + entry_growth) != GRIDLUME_STATUS_OK)
    return GRIDLUME_STATUS_NO_MEMORY;
  int *copy1 = copy_ids(ids1, size1);
  int *copy2 = copy1 != nullptr ? copy_ids(ids2, size2) : nullptr;
  if (copy2 == nullptr) {
    gridlume_free(copy1);
    return GRIDLUME_STATUS_NO_MEMORY;
  }
  entries.append({copy1, size1, copy2, size2, transformation, user_data, 0});
  long long needed = bytes_per_id * std::max(size1, size2);
  if (needed > cad->generic_buffer_size && needed <= INT32_MAX)
    cad->generic_buffer_size = static_cast<std::int32_t>(needed);
  return GRIDLUME_STATUS_OK;
}

bool valid_lists(const int *ids1, int size1, const int *ids2, int size2) noexcept {
  return ids1 != nullptr && ids2 != nullptr && size1 >= 0 && size2 >= 0;
}

int add_with_function(gridlume_cad *cad, Entries gridlume_cad::*entries, const int *ids1, int size1,
                      const int *ids2, int size2, gridlume_transformation_function transformation,
                      void *user_data) {
  if (cad == nullptr || !valid_lists(ids1, size1, ids2, size2)) return GRIDLUME_STATUS_ERROR;
  return append_entry(cad, cad->*entries, ids1, size1, ids2, size2, transformation, user_data);
}

int add_by_points(const char *operation, gridlume_cad *cad, Entries gridlume_cad::*entries,
                  const int *ids1, int size1, const int *ids2, int size2, const double *points1,
                  int point_count1, const double *points2, int point_count2) {
  if (cad == nullptr || !valid_lists(ids1, size1, ids2, size2) || points1 == nullptr ||
      points2 == nullptr)
    return GRIDLUME_STATUS_ERROR;
  gridlume::ComputedTransformation *transformation = gridlume::new_identity_transformation();
  if (transformation == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
  int status = append_entry(cad, cad->*entries, ids1, size1, ids2, size2, nullptr, transformation);
  if (status != GRIDLUME_STATUS_OK) {
    gridlume::destroy(transformation);
    return status;
  }
  PeriodicityRecord &entry = (cad->*entries)[(cad->*entries).count() - 1];
  entry.owns_user_data = 1;
  status =
      gridlume::compute_entry_transformation(entry, points1, point_count1, points2, point_count2);
  if (status != GRIDLUME_STATUS_OK)
    gridlume::send_formatted_message(cad->context, gridlume::message_point_pairs_refused,
                                     gridlume::cad_sender, gridlume::text_point_pairs_refused,
                                     operation);
  return status;
}

int get_count(gridlume_cad *cad, Entries gridlume_cad::*entries, int *count) {
  if (cad == nullptr || count == nullptr) return GRIDLUME_STATUS_ERROR;
  *count = (cad->*entries).count();
  return GRIDLUME_STATUS_OK;
}

int get_entry(gridlume_cad *cad, Entries gridlume_cad::*entries, int i, int **ids1, int *size1,
              int **ids2, int *size2, gridlume_transformation_function *transformation,
              void **user_data) {
  if (cad == nullptr || ids1 == nullptr || *ids1 == nullptr || size1 == nullptr ||
      ids2 == nullptr || *ids2 == nullptr || size2 == nullptr || transformation == nullptr ||
      user_data == nullptr)
    return GRIDLUME_STATUS_ERROR;
  if (i < 1 || i > (cad->*entries).count()) return GRIDLUME_STATUS_ERROR;
  const PeriodicityRecord &entry = (cad->*entries)[i - 1];
  std::memcpy(*ids1, entry.faces1, sizeof(int) * static_cast<std::size_t>(entry.size1));
  std::memcpy(*ids2, entry.faces2, sizeof(int) * static_cast<std::size_t>(entry.size2));
  *size1 = entry.size1;
  *size2 = entry.size2;
  *transformation = entry.transformation;
  *user_data = entry.user_data;
  return GRIDLUME_STATUS_OK;
}

}  // namespace

extern "C" {

#define GRIDLUME_MULTIPLE_PERIODICITY_FAMILY(kind)                                                 \
  int gridlume_cad_add_##kind##_multiple_periodicity_with_transformation_function(                 \
      gridlume_cad *cad, const int *ids1, int size1, const int *ids2, int size2,                   \
      gridlume_transformation_function transformation, void *user_data) {                          \
    return add_with_function(cad, &gridlume_cad::kind##_multiple_periodicity, ids1, size1, ids2,   \
                             size2, transformation, user_data);                                    \
  }                                                                                                \
  int gridlume_cad_add_##kind##_multiple_periodicity_with_transformation_function_by_points(       \
      gridlume_cad *cad, const int *ids1, int size1, const int *ids2, int size2,                   \
      const double *points1, int point_count1, const double *points2, int point_count2) {          \
    return add_by_points("gridlume_cad_add_" #kind                                                 \
                         "_multiple_periodicity_with_transformation_function_by_points",           \
                         cad, &gridlume_cad::kind##_multiple_periodicity, ids1, size1, ids2,       \
                         size2, points1, point_count1, points2, point_count2);                     \
  }                                                                                                \
  int gridlume_cad_get_##kind##_multiple_periodicity_count(gridlume_cad *cad, int *count) {        \
    return get_count(cad, &gridlume_cad::kind##_multiple_periodicity, count);                      \
  }                                                                                                \
  int gridlume_cad_get_##kind##_multiple_periodicity(                                              \
      gridlume_cad *cad, int i, int **ids1, int *size1, int **ids2, int *size2,                    \
      gridlume_transformation_function *transformation, void **user_data) {                        \
    return get_entry(cad, &gridlume_cad::kind##_multiple_periodicity, i, ids1, size1, ids2, size2, \
                     transformation, user_data);                                                   \
  }

GRIDLUME_MULTIPLE_PERIODICITY_FAMILY(face)
GRIDLUME_MULTIPLE_PERIODICITY_FAMILY(edge)
#undef GRIDLUME_MULTIPLE_PERIODICITY_FAMILY

}  // extern "C"
