/*
 * Gridlume: the accessor families of the CAD objects.
 *
 * Each family is one table; a row names the object type (which is also the
 * prefix of the operation names) and the field. Every operation returns 0,
 * or -1 for a NULL object, a NULL output or an index out of range, -5 when
 * memory fails. Where a row has a cad_flag, setting the field raises that
 * use-tag flag on the cad the object belongs to (through its face for edges
 * and points), when there is one: vtag (vertex tags), etag (edge tags),
 * ftag (face tags), none. A `bit` column names the object's flag bit inside
 * the library.
 */
#ifndef GRIDLUME_CAD_ACCESSORS_H
#define GRIDLUME_CAD_ACCESSORS_H

#include "gridlume/cad.h"

/* Integer fields: X(object, field, cad_flag) gives
     int <object>_set_<field>(<object> *object, int value);
     int <object>_get_<field>(<object> *object, int *value); */
#define GRIDLUME_CAD_IDENTIFIERS(X)                        \
  X(gridlume_cad_face, id, none)                           \
  X(gridlume_cad_face, uid, none)                          \
  X(gridlume_cad_face, tag, ftag)                          \
  X(gridlume_cad_face, orientation, none)                  \
  X(gridlume_cad_edge, id, none)                           \
  X(gridlume_cad_edge, sid, none)                          \
  X(gridlume_cad_edge, lsid, none)                         \
  X(gridlume_cad_edge, uid, none)                          \
  X(gridlume_cad_edge, tag, etag)                          \
  X(gridlume_cad_edge, orientation, none)                  \
  X(gridlume_cad_edge, coorientation, none)                \
  X(gridlume_cad_wire, id, none)                           \
  X(gridlume_cad_wire, sid, none)                          \
  X(gridlume_cad_wire, lsid, none)                         \
  X(gridlume_cad_wire, uid, none)                          \
  X(gridlume_cad_wire, tag, etag)                          \
  X(gridlume_cad_point, tag, vtag)                         \
  X(gridlume_cad_vertex, uid, none)                        \
  X(gridlume_cad_polygonal_face, id, none)                 \
  X(gridlume_cad_polygonal_face, tag, none)

/* Integer fields that are only read: X(object, field) gives
     int <object>_get_<field>(<object> *object, int *value); */
#define GRIDLUME_CAD_READ_ONLY_IDENTIFIERS(X) \
  X(gridlume_cad_point, id)                   \
  X(gridlume_cad_polygonal_face, side_count)

/* Pairs for the two ends of an edge or a wire: X(object, name, cad_flag)
   gives
     int <object>_set_<name>(<object> *object, int first, int second);
     int <object>_get_<name>(<object> *object, int *first, int *second);
   extremities are the ids of the end vertices; uv_extremities number the
   edge's end points in its face's parameter plane (edges meeting at an end
   point give it the same number). */
#define GRIDLUME_CAD_EXTREMITIES(X)                                  \
  X(gridlume_cad_edge, extremities, none)                            \
  X(gridlume_cad_edge, extremities_tag, vtag)                        \
  X(gridlume_cad_edge, extremities_required_property, none)          \
  X(gridlume_cad_edge, extremities_corner_property, none)            \
  X(gridlume_cad_edge, extremities_artificial_property, none)        \
  X(gridlume_cad_edge, uv_extremities, none)                         \
  X(gridlume_cad_wire, extremities, none)                            \
  X(gridlume_cad_wire, extremities_tag, vtag)                        \
  X(gridlume_cad_wire, extremities_required_property, none)          \
  X(gridlume_cad_wire, extremities_corner_property, none)            \
  X(gridlume_cad_wire, extremities_artificial_property, none)

/* Flags that are set and read: X(object, name, bit) gives
     int <object>_set_<name>(<object> *object, int flag);   non-zero sets
     int <object>_get_<name>(<object> *object, int *flag);  0 or 1 */
#define GRIDLUME_CAD_FLAGS(X)                                           \
  X(gridlume_cad, thread_safety, cad_thread_safety_bit)                 \
  X(gridlume_cad_face, from_tesselation, face_from_tessellation_bit)    \
  X(gridlume_cad_edge, from_tesselation, edge_from_tessellation_bit)    \
  X(gridlume_cad_edge, degenerated, edge_degenerated_bit)               \
  X(gridlume_cad_wire, from_tesselation, wire_from_tessellation_bit)    \
  X(gridlume_cad_point, corner_property, point_corner_bit)

/* Flags that are only read: X(object, operation, bit) gives
     int <object>_<operation>(<object> *object, int *flag);  0 or 1
   The use-tag flags of a cad are raised by the tag setters of its objects
   and never cleared; the cad holds discrete definitions once a discrete
   face or wire is made; a face's geometry is imposed by
   gridlume_cad_face_impose_discrete_geometry; its periodicity is given once
   gridlume_cad_face_set_surface_periodicity is called with a non-zero flag. */
#define GRIDLUME_CAD_FLAG_QUERIES(X)                                         \
  X(gridlume_cad, get_use_vtag, cad_use_vertex_tags_bit)                     \
  X(gridlume_cad, get_use_etag, cad_use_edge_tags_bit)                       \
  X(gridlume_cad, get_use_ftag, cad_use_face_tags_bit)                       \
  X(gridlume_cad, has_discrete_definition, cad_discrete_definition_bit)      \
  X(gridlume_cad_face, geometry_is_imposed, face_geometry_imposed_bit)       \
  X(gridlume_cad_face, has_surface_periodicity, face_periodicity_given_bit)

/* Property bits: X(object) gives
     int <object>_set_property(<object> *object, int mask);    ORs the mask in
     int <object>_unset_property(<object> *object, int mask);  clears it
     int <object>_query_property(<object> *object, int mask, int *flag);
   the query gives 1 when any bit of the mask is set. */
#define GRIDLUME_CAD_PROPERTIES(X) \
  X(gridlume_cad_face)             \
  X(gridlume_cad_edge)

/* Original ids: X(object) gives
     int <object>_add_original_id(<object> *object, int id);
     int <object>_get_original_id_count(<object> *object, int *count);
     int <object>_get_original_id(<object> *object, int i, int *id);
     int <object>_reset_original_id(<object> *object);
   Until an id is added the object's own id is its only original id (count
   1); a reset leaves an empty list (count 0). i runs from 1 to the count;
   -5 when the list cannot grow. */
#define GRIDLUME_CAD_ORIGINAL_IDS(X) \
  X(gridlume_cad_face)               \
  X(gridlume_cad_edge)               \
  X(gridlume_cad_wire)

/* Functions for the user data: X(object) gives
     int <object>_set_clone_function(<object> *, gridlume_cad_clone_function);
     int <object>_set_delete_function(<object> *, gridlume_cad_delete_function);
   A copy of the object gets the clone function's result as its user data
   (the same pointer without one); destroying the object calls the delete
   function with its user data when that is not NULL. */
#define GRIDLUME_CAD_USER_DATA_FUNCTIONS(X) \
  X(gridlume_cad_face)                      \
  X(gridlume_cad_edge)

/* Counted handles: X(object) gives
     void <object>_delete(<object> *object);
   which releases one reference (see cad.h); NULL is ignored, and a delete
   beyond the references the object holds changes nothing. */
#define GRIDLUME_CAD_COUNTED_OBJECTS(X) \
  X(gridlume_cad_face)                  \
  X(gridlume_cad_edge)                  \
  X(gridlume_cad_wire)                  \
  X(gridlume_cad_polygonal_face)

/* Handles that can be cloned: X(object) gives
     <object> *<object>_clone(<object> *object);
   which takes one more reference and returns the same object (NULL for
   NULL); each clone is deleted once. */
#define GRIDLUME_CAD_CLONABLE_OBJECTS(X) \
  X(gridlume_cad_face)                   \
  X(gridlume_cad_edge)                   \
  X(gridlume_cad_wire)

/* Lists: X(owner, item) gives
     int <owner>_get_<item>_count(<owner> *owner, int *count);
     int <owner>_get_<item>(<owner> *owner, int i, gridlume_cad_<item> **item);
   with i from 1 to the count. */
#define GRIDLUME_CAD_LISTS(X)                  \
  X(gridlume_cad, face)                        \
  X(gridlume_cad, wire)                        \
  X(gridlume_cad, polygonal_face)              \
  X(gridlume_cad_face, edge)                   \
  X(gridlume_cad_face, point)

/* Owners: X(object, operation, owner type, field) gives
     int <object>_<operation>(<object> *object, <owner type> **owner);
   the owner is set to NULL first and is NULL for an object that belongs to
   nothing. */
#define GRIDLUME_CAD_OWNERS(X)                                  \
  X(gridlume_cad_face, get_cad, gridlume_cad, cad)              \
  X(gridlume_cad_wire, get_cad, gridlume_cad, cad)              \
  X(gridlume_cad_edge, get_face, gridlume_cad_face, face)

/* Evaluation functions: X(object, operation, function type, field) gives
     int <object>_<operation>(<object> *object, <function type> *function,
                              void **user_data); */
#define GRIDLUME_CAD_EVALUATORS(X)                                                 \
  X(gridlume_cad_face, get_surf, gridlume_cad_surface_function, surface)           \
  X(gridlume_cad_edge, get_curv, gridlume_cad_curve_function, curve)               \
  X(gridlume_cad_wire, get_curv, gridlume_cad_wire_curve_function, curve)

/* Parameter ranges: X(object) gives
     int <object>_get_range(<object> *object, double *tmin, double *tmax); */
#define GRIDLUME_CAD_RANGES(X) \
  X(gridlume_cad_edge)         \
  X(gridlume_cad_wire)

/* Side and corner arrays of a polygonal face, n integers each (n the side
   count, all 0 at creation): X(name) gives
     int gridlume_cad_polygonal_face_set_<name>(gridlume_cad_polygonal_face *,
                                                const int *values);
     int gridlume_cad_polygonal_face_get_<name>(gridlume_cad_polygonal_face *,
                                                int *values); */
#define GRIDLUME_CAD_POLYGONAL_FACE_ARRAYS(X) \
  X(edges_ids)                                \
  X(edges_tags)                               \
  X(edges_required_properties)                \
  X(points_ids)                               \
  X(points_tags)                              \
  X(points_required_properties)               \
  X(points_corner_properties)

GRIDLUME_BEGIN_DECLS

#define GRIDLUME_CAD_DECLARE_IDENTIFIER(object, field, cad_flag)               \
  GRIDLUME_API int object##_set_##field(object *handle, int value);            \
  GRIDLUME_API int object##_get_##field(object *handle, int *value);
GRIDLUME_CAD_IDENTIFIERS(GRIDLUME_CAD_DECLARE_IDENTIFIER)

#define GRIDLUME_CAD_DECLARE_READ_ONLY_IDENTIFIER(object, field)               \
  GRIDLUME_API int object##_get_##field(object *handle, int *value);
GRIDLUME_CAD_READ_ONLY_IDENTIFIERS(GRIDLUME_CAD_DECLARE_READ_ONLY_IDENTIFIER)

#define GRIDLUME_CAD_DECLARE_EXTREMITY(object, name, cad_flag)                      \
  GRIDLUME_API int object##_set_##name(object *handle, int first, int second);      \
  GRIDLUME_API int object##_get_##name(object *handle, int *first, int *second);
GRIDLUME_CAD_EXTREMITIES(GRIDLUME_CAD_DECLARE_EXTREMITY)

#define GRIDLUME_CAD_DECLARE_FLAG(object, name, bit)                           \
  GRIDLUME_API int object##_set_##name(object *handle, int flag);              \
  GRIDLUME_API int object##_get_##name(object *handle, int *flag);
GRIDLUME_CAD_FLAGS(GRIDLUME_CAD_DECLARE_FLAG)

#define GRIDLUME_CAD_DECLARE_FLAG_QUERY(object, operation, bit)                \
  GRIDLUME_API int object##_##operation(object *handle, int *flag);
GRIDLUME_CAD_FLAG_QUERIES(GRIDLUME_CAD_DECLARE_FLAG_QUERY)

#define GRIDLUME_CAD_DECLARE_PROPERTY(object)                                  \
  GRIDLUME_API int object##_set_property(object *handle, int mask);            \
  GRIDLUME_API int object##_unset_property(object *handle, int mask);          \
  GRIDLUME_API int object##_query_property(object *handle, int mask, int *flag);
GRIDLUME_CAD_PROPERTIES(GRIDLUME_CAD_DECLARE_PROPERTY)

#define GRIDLUME_CAD_DECLARE_ORIGINAL_IDS(object)                              \
  GRIDLUME_API int object##_add_original_id(object *handle, int id);           \
  GRIDLUME_API int object##_get_original_id_count(object *handle, int *count); \
  GRIDLUME_API int object##_get_original_id(object *handle, int i, int *id);   \
  GRIDLUME_API int object##_reset_original_id(object *handle);
GRIDLUME_CAD_ORIGINAL_IDS(GRIDLUME_CAD_DECLARE_ORIGINAL_IDS)

#define GRIDLUME_CAD_DECLARE_USER_DATA_FUNCTIONS(object)                                   \
  GRIDLUME_API int object##_set_clone_function(object *handle,                             \
                                               gridlume_cad_clone_function function);      \
  GRIDLUME_API int object##_set_delete_function(object *handle,                            \
                                                gridlume_cad_delete_function function);
GRIDLUME_CAD_USER_DATA_FUNCTIONS(GRIDLUME_CAD_DECLARE_USER_DATA_FUNCTIONS)

#define GRIDLUME_CAD_DECLARE_DELETE(object) GRIDLUME_API void object##_delete(object *handle);
GRIDLUME_CAD_COUNTED_OBJECTS(GRIDLUME_CAD_DECLARE_DELETE)

#define GRIDLUME_CAD_DECLARE_CLONE(object) GRIDLUME_API object *object##_clone(object *handle);
GRIDLUME_CAD_CLONABLE_OBJECTS(GRIDLUME_CAD_DECLARE_CLONE)

#define GRIDLUME_CAD_DECLARE_LIST(owner, item)                                        \
  GRIDLUME_API int owner##_get_##item##_count(owner *handle, int *count);             \
  GRIDLUME_API int owner##_get_##item(owner *handle, int i, gridlume_cad_##item **item);
GRIDLUME_CAD_LISTS(GRIDLUME_CAD_DECLARE_LIST)

#define GRIDLUME_CAD_DECLARE_OWNER(object, operation, owner_type, field)       \
  GRIDLUME_API int object##_##operation(object *handle, owner_type **owner);
GRIDLUME_CAD_OWNERS(GRIDLUME_CAD_DECLARE_OWNER)

#define GRIDLUME_CAD_DECLARE_EVALUATOR(object, operation, function_type, field)   \
  GRIDLUME_API int object##_##operation(object *handle, function_type *function,  \
                                        void **user_data);
GRIDLUME_CAD_EVALUATORS(GRIDLUME_CAD_DECLARE_EVALUATOR)

#define GRIDLUME_CAD_DECLARE_RANGE(object)                                     \
  GRIDLUME_API int object##_get_range(object *handle, double *tmin, double *tmax);
GRIDLUME_CAD_RANGES(GRIDLUME_CAD_DECLARE_RANGE)

#define GRIDLUME_CAD_DECLARE_POLYGONAL_FACE_ARRAY(name)                                   \
  GRIDLUME_API int gridlume_cad_polygonal_face_set_##name(gridlume_cad_polygonal_face *handle, \
                                                          const int *values);             \
  GRIDLUME_API int gridlume_cad_polygonal_face_get_##name(gridlume_cad_polygonal_face *handle, \
                                                          int *values);
GRIDLUME_CAD_POLYGONAL_FACE_ARRAYS(GRIDLUME_CAD_DECLARE_POLYGONAL_FACE_ARRAY)

GRIDLUME_END_DECLS

#endif
