/*
 * Gridlume: element generation maps.
 *
 * An element generation map carries a caller's function, with its user data
 * and a kind (1 or 2), from the caller to a mesh generator working on a cad.
 * The library never calls the function: it stores it and hands it back. The
 * map belongs to the cad's context, which deletes it with itself.
 */
#ifndef GRIDLUME_ELEMENT_GENERATION_MAP_H
#define GRIDLUME_ELEMENT_GENERATION_MAP_H

#include "gridlume/common.h"

GRIDLUME_BEGIN_DECLS

/* A new map of the cad with the function and its user data, attached to the
   cad's context. NULL when the cad or the function is NULL, the kind is not 1
   or 2, the first argument is not a cad, or memory fails. */
GRIDLUME_API gridlume_element_generation_map *gridlume_element_generation_map_new(
    gridlume_cad *cad, int kind, gridlume_map_function function, void *user_data);
/* Detaches the map from its context, deletes the objects attached to it
   (newest first), runs the delete function on the user data when both are
   set, and frees the map. NULL is ignored. */
GRIDLUME_API void gridlume_element_generation_map_delete(gridlume_element_generation_map *map);
/* Attaches an object deleted with the map by its routine (which may be NULL).
   -1 for a NULL map, -5 when memory fails (nothing attached). */
GRIDLUME_API int gridlume_element_generation_map_attach_object(
    gridlume_element_generation_map *map, void *object, gridlume_object_delete_routine routine);
/* The function that releases the user data when the map is deleted (NULL:
   none). -1 for a NULL map. */
GRIDLUME_API int gridlume_element_generation_map_set_delete_function(
    gridlume_element_generation_map *map, gridlume_object_delete_routine release);

/* Queries; each answers -1 when the map or the out pointer is NULL. */
GRIDLUME_API int gridlume_element_generation_map_get_function(gridlume_element_generation_map *map,
                                                              gridlume_map_function *function);
GRIDLUME_API int gridlume_element_generation_map_get_user_data(gridlume_element_generation_map *map,
                                                               void **user_data);
GRIDLUME_API int gridlume_element_generation_map_get_parent_cad(
    gridlume_element_generation_map *map, gridlume_cad **cad);
/* Always NULL for an element generation map. */
GRIDLUME_API int gridlume_element_generation_map_get_parent_mesh(
    gridlume_element_generation_map *map, gridlume_mesh **mesh);
/* The kind given at creation, 1 or 2. */
GRIDLUME_API int gridlume_element_generation_map_get_type(gridlume_element_generation_map *map,
                                                          int *kind);

GRIDLUME_END_DECLS

#endif
