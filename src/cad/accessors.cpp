// The accessor families of the CAD objects, generated from the tables of
// cad_accessors.h: one definition per family.
#include <algorithm>

#include "cad/cad.hpp"
#include "cad/objects.hpp"

namespace gridlume {
namespace {

// The use-tag flags the table rows name.
constexpr std::int32_t use_tag_none = 0;
constexpr std::int32_t use_tag_vtag = cad_use_vertex_tags_bit;
constexpr std::int32_t use_tag_etag = cad_use_edge_tags_bit;
constexpr std::int32_t use_tag_ftag = cad_use_face_tags_bit;

// Raises a use-tag flag on the cad the object belongs to, when there is one.
template <class Object>
void raise_use_tag(const Object *object, std::int32_t flag) {
  if (flag == use_tag_none) return;
  if (gridlume_cad *cad = owning_cad(object); cad != nullptr) cad->flags |= flag;
}

template <class Item>
int get_list_item(GrowableArray<Item *> &list, int i, Item **item) {
  if (item == nullptr) return GRIDLUME_STATUS_ERROR;
  *item = nullptr;
  if (i < 1 || i > list.count()) return GRIDLUME_STATUS_ERROR;
  *item = list[i - 1];
  return GRIDLUME_STATUS_OK;
}

// The list of items of an owner, as the list table names them.
GrowableArray<gridlume_cad_face *> &list_of(gridlume_cad *cad, gridlume_cad_face *) {
  return cad->faces;
}
GrowableArray<gridlume_cad_wire *> &list_of(gridlume_cad *cad, gridlume_cad_wire *) {
  return cad->wires;
}
GrowableArray<gridlume_cad_polygonal_face *> &list_of(gridlume_cad *cad,
                                                      gridlume_cad_polygonal_face *) {
  return cad->polygonal_faces;
}
GrowableArray<gridlume_cad_edge *> &list_of(gridlume_cad_face *face, gridlume_cad_edge *) {
  return face->edges;
}
GrowableArray<gridlume_cad_point *> &list_of(gridlume_cad_face *face, gridlume_cad_point *) {
  return face->points;
}

}  // namespace
}  // namespace gridlume

#define GRIDLUME_CAD_DEFINE_IDENTIFIER(object, field, cad_flag)               \
  int object##_set_##field(object *handle, int value) {                       \
    if (handle == nullptr) return GRIDLUME_STATUS_ERROR;                      \
    handle->field = value;                                                    \
    gridlume::raise_use_tag(handle, gridlume::use_tag_##cad_flag);            \
    return GRIDLUME_STATUS_OK;                                                \
  }                                                                           \
  int object##_get_##field(object *handle, int *value) {                      \
    if (handle == nullptr || value == nullptr) return GRIDLUME_STATUS_ERROR;  \
    *value = handle->field;                                                   \
    return GRIDLUME_STATUS_OK;                                                \
  }

#define GRIDLUME_CAD_DEFINE_READ_ONLY_IDENTIFIER(object, field)               \
  int object##_get_##field(object *handle, int *value) {                      \
    if (handle == nullptr || value == nullptr) return GRIDLUME_STATUS_ERROR;  \
    *value = handle->field;                                                   \
    return GRIDLUME_STATUS_OK;                                                \
  }

#define GRIDLUME_CAD_DEFINE_EXTREMITY(object, name, cad_flag)                                 \
  int object##_set_##name(object *handle, int first, int second) {                            \
    if (handle == nullptr) return GRIDLUME_STATUS_ERROR;                                      \
    handle->name = {first, second};                                                           \
    gridlume::raise_use_tag(handle, gridlume::use_tag_##cad_flag);                            \
    return GRIDLUME_STATUS_OK;                                                                \
  }                                                                                           \
  int object##_get_##name(object *handle, int *first, int *second) {                          \
    if (handle == nullptr || first == nullptr || second == nullptr)                           \
      return GRIDLUME_STATUS_ERROR;                                                           \
    *first = handle->name[0];                                                                 \
    *second = handle->name[1];                                                                \
    return GRIDLUME_STATUS_OK;                                                                \
  }

#define GRIDLUME_CAD_DEFINE_FLAG(object, name, bit)                           \
  int object##_set_##name(object *handle, int flag) {                         \
    if (handle == nullptr) return GRIDLUME_STATUS_ERROR;                      \
    if (flag != 0)                                                            \
      handle->flags |= gridlume::bit;                                         \
    else                                                                      \
      handle->flags &= ~gridlume::bit;                                        \
    return GRIDLUME_STATUS_OK;                                                \
  }                                                                           \
  int object##_get_##name(object *handle, int *flag) {                        \
    if (handle == nullptr || flag == nullptr) return GRIDLUME_STATUS_ERROR;   \
    *flag = (handle->flags & gridlume::bit) != 0 ? 1 : 0;                     \
    return GRIDLUME_STATUS_OK;                                                \
  }

#define GRIDLUME_CAD_DEFINE_FLAG_QUERY(object, operation, bit)                \
  int object##_##operation(object *handle, int *flag) {                       \
    if (handle == nullptr || flag == nullptr) return GRIDLUME_STATUS_ERROR;   \
    *flag = (handle->flags & gridlume::bit) != 0 ? 1 : 0;                     \
    return GRIDLUME_STATUS_OK;                                                \
  }

#define GRIDLUME_CAD_DEFINE_PROPERTY(object)                                  \
  int object##_set_property(object *handle, int mask) {                       \
    if (handle == nullptr) return GRIDLUME_STATUS_ERROR;                      \
    handle->property |= mask;                                                 \
    return GRIDLUME_STATUS_OK;                                                \
  }                                                                           \
  int object##_unset_property(object *handle, int mask) {                     \
    if (handle == nullptr) return GRIDLUME_STATUS_ERROR;                      \
    handle->property &= ~mask;                                                \
    return GRIDLUME_STATUS_OK;                                                \
  }                                                                           \
  int object##_query_property(object *handle, int mask, int *flag) {          \
    if (handle == nullptr || flag == nullptr) return GRIDLUME_STATUS_ERROR;   \
    *flag = (handle->property & mask) != 0 ? 1 : 0;                           \
    return GRIDLUME_STATUS_OK;                                                \
  }

#define GRIDLUME_CAD_DEFINE_ORIGINAL_IDS(object)                                   \
  int object##_add_original_id(object *handle, int id) {                           \
    if (handle == nullptr) return GRIDLUME_STATUS_ERROR;                           \
    return handle->original_ids.add(id) ? GRIDLUME_STATUS_OK                       \
                                        : GRIDLUME_STATUS_NO_MEMORY;               \
  }                                                                                \
  int object##_get_original_id_count(object *handle, int *count) {                 \
    if (handle == nullptr || count == nullptr) return GRIDLUME_STATUS_ERROR;       \
    *count = handle->original_ids.count();                                        \
    return GRIDLUME_STATUS_OK;                                                     \
  }                                                                                \
  int object##_get_original_id(object *handle, int i, int *id) {                   \
    if (handle == nullptr || id == nullptr) return GRIDLUME_STATUS_ERROR;          \
    return handle->original_ids.get(i, handle->id, *id) ? GRIDLUME_STATUS_OK       \
                                                        : GRIDLUME_STATUS_ERROR;   \
  }                                                                                \
  int object##_reset_original_id(object *handle) {                                 \
    if (handle == nullptr) return GRIDLUME_STATUS_ERROR;                           \
    handle->original_ids.reset();                                                  \
    return GRIDLUME_STATUS_OK;                                                     \
  }

#define GRIDLUME_CAD_DEFINE_USER_DATA_FUNCTIONS(object)                                \
  int object##_set_clone_function(object *handle, gridlume_cad_clone_function function) { \
    if (handle == nullptr) return GRIDLUME_STATUS_ERROR;                               \
    handle->clone_function = function;                                                 \
    return GRIDLUME_STATUS_OK;                                                         \
  }                                                                                    \
  int object##_set_delete_function(object *handle,                                     \
                                   gridlume_cad_delete_function function) {            \
    if (handle == nullptr) return GRIDLUME_STATUS_ERROR;                               \
    handle->delete_function = function;                                                \
    return GRIDLUME_STATUS_OK;                                                         \
  }

#define GRIDLUME_CAD_DEFINE_DELETE(object)                                    \
  void object##_delete(object *handle) {                                      \
    if (handle != nullptr) gridlume::release(handle);                         \
  }

#define GRIDLUME_CAD_DEFINE_CLONE(object)                                     \
  object *object##_clone(object *handle) {                                    \
    if (handle != nullptr) gridlume::retain(handle);                          \
    return handle;                                                            \
  }

#define GRIDLUME_CAD_DEFINE_LIST(owner, item)                                          \
  int owner##_get_##item##_count(owner *handle, int *count) {                          \
    if (handle == nullptr || count == nullptr) return GRIDLUME_STATUS_ERROR;           \
    *count = gridlume::list_of(handle, static_cast<gridlume_cad_##item *>(nullptr)).count(); \
    return GRIDLUME_STATUS_OK;                                                         \
  }                                                                                    \
  int owner##_get_##item(owner *handle, int i, gridlume_cad_##item **item) {           \
    if (handle == nullptr) return GRIDLUME_STATUS_ERROR;                               \
    return gridlume::get_list_item(                                                    \
        gridlume::list_of(handle, static_cast<gridlume_cad_##item *>(nullptr)), i, item); \
  }

#define GRIDLUME_CAD_DEFINE_OWNER(object, operation, owner_type, field)       \
  int object##_##operation(object *handle, owner_type **owner) {              \
    if (owner == nullptr) return GRIDLUME_STATUS_ERROR;                       \
    *owner = nullptr;                                                         \
    if (handle == nullptr) return GRIDLUME_STATUS_ERROR;                      \
    *owner = handle->field;                                                   \
    return GRIDLUME_STATUS_OK;                                                \
  }

#define GRIDLUME_CAD_DEFINE_EVALUATOR(object, operation, function_type, field)             \
  int object##_##operation(object *handle, function_type *function, void **user_data) {    \
    if (handle == nullptr || function == nullptr || user_data == nullptr)                  \
      return GRIDLUME_STATUS_ERROR;                                                        \
    *function = handle->field;                                                             \
    *user_data = handle->user_data;                                                        \
    return GRIDLUME_STATUS_OK;                                                             \
  }

#define GRIDLUME_CAD_DEFINE_RANGE(object)                                          \
  int object##_get_range(object *handle, double *tmin, double *tmax) {             \
    if (handle == nullptr || tmin == nullptr || tmax == nullptr)                   \
      return GRIDLUME_STATUS_ERROR;                                                \
    *tmin = handle->tmin;                                                          \
    *tmax = handle->tmax;                                                          \
    return GRIDLUME_STATUS_OK;                                                     \
  }

#define GRIDLUME_CAD_DEFINE_POLYGONAL_FACE_ARRAY(name)                                     \
  int gridlume_cad_polygonal_face_set_##name(gridlume_cad_polygonal_face *handle,          \
                                             const int *values) {                          \
    if (handle == nullptr || values == nullptr) return GRIDLUME_STATUS_ERROR;              \
    std::copy(values, values + handle->side_count, handle->name);                          \
    return GRIDLUME_STATUS_OK;                                                             \
  }                                                                                        \
  int gridlume_cad_polygonal_face_get_##name(gridlume_cad_polygonal_face *handle,          \
                                             int *values) {                                \
    if (handle == nullptr || values == nullptr) return GRIDLUME_STATUS_ERROR;              \
    std::copy(handle->name, handle->name + handle->side_count, values);                    \
    return GRIDLUME_STATUS_OK;                                                             \
  }

extern "C" {
GRIDLUME_CAD_IDENTIFIERS(GRIDLUME_CAD_DEFINE_IDENTIFIER)
GRIDLUME_CAD_READ_ONLY_IDENTIFIERS(GRIDLUME_CAD_DEFINE_READ_ONLY_IDENTIFIER)
GRIDLUME_CAD_EXTREMITIES(GRIDLUME_CAD_DEFINE_EXTREMITY)
GRIDLUME_CAD_FLAGS(GRIDLUME_CAD_DEFINE_FLAG)
GRIDLUME_CAD_FLAG_QUERIES(GRIDLUME_CAD_DEFINE_FLAG_QUERY)
GRIDLUME_CAD_PROPERTIES(GRIDLUME_CAD_DEFINE_PROPERTY)
GRIDLUME_CAD_ORIGINAL_IDS(GRIDLUME_CAD_DEFINE_ORIGINAL_IDS)
GRIDLUME_CAD_USER_DATA_FUNCTIONS(GRIDLUME_CAD_DEFINE_USER_DATA_FUNCTIONS)
GRIDLUME_CAD_COUNTED_OBJECTS(GRIDLUME_CAD_DEFINE_DELETE)
GRIDLUME_CAD_CLONABLE_OBJECTS(GRIDLUME_CAD_DEFINE_CLONE)
GRIDLUME_CAD_LISTS(GRIDLUME_CAD_DEFINE_LIST)
GRIDLUME_CAD_OWNERS(GRIDLUME_CAD_DEFINE_OWNER)
GRIDLUME_CAD_EVALUATORS(GRIDLUME_CAD_DEFINE_EVALUATOR)
GRIDLUME_CAD_RANGES(GRIDLUME_CAD_DEFINE_RANGE)
GRIDLUME_CAD_POLYGONAL_FACE_ARRAYS(GRIDLUME_CAD_DEFINE_POLYGONAL_FACE_ARRAY)
}
