/*
 * Gridlume: the mesh object.
 *
 * A mesh holds no geometry of its own: it is a table of accessor slots, one
 * per attribute of each entity kind (see mesh_attributes.h), each a getter and
 * a setter callback with their user data. Producers install callbacks;
 * consumers call gridlume_mesh_get_* and gridlume_mesh_set_*, which forward to
 * them. Indices are 1-based. Every operation answers -1 for a NULL mesh.
 */
#ifndef GRIDLUME_MESH_H
#define GRIDLUME_MESH_H

#include "gridlume/common.h"
#include "gridlume/mesh_attributes.h"

GRIDLUME_BEGIN_DECLS

/* Element kind codes, where an element kind travels as a number. */
#define GRIDLUME_ELEMENT_KIND_EDGE 1000
#define GRIDLUME_ELEMENT_KIND_TRIANGLE 2000
#define GRIDLUME_ELEMENT_KIND_QUADRANGLE 3000
#define GRIDLUME_ELEMENT_KIND_TETRAHEDRON 4000
#define GRIDLUME_ELEMENT_KIND_HEXAHEDRON 5000
#define GRIDLUME_ELEMENT_KIND_PRISM 6000
#define GRIDLUME_ELEMENT_KIND_PYRAMID 7000

/* ---- Life cycle --------------------------------------------------------- */

/* A mesh that describes nothing and accepts nothing until callbacks are
   installed: count getters answer 0, value getters zeros, setters -1.
   Dimension 3; attached to the context. NULL for a NULL context or when
   memory fails. */
GRIDLUME_API gridlume_mesh *gridlume_mesh_new(gridlume_context *context);
/* Deletes the mesh with its attached objects and its tag system. */
GRIDLUME_API void gridlume_mesh_delete(gridlume_mesh *mesh);
/* Writes NULL first; -1 when out is NULL or mesh is not a live mesh. */
GRIDLUME_API int gridlume_mesh_get_context(gridlume_mesh *mesh, gridlume_context **context);

GRIDLUME_API int gridlume_mesh_get_dimension(gridlume_mesh *mesh, int *dimension);
/* -1 unless the dimension is 2 or 3. */
GRIDLUME_API int gridlume_mesh_set_dimension(gridlume_mesh *mesh, int dimension);

/* Attaches an object deleted with the mesh (there is no detach); -5 when
   memory fails. */
GRIDLUME_API int gridlume_mesh_attach_object(gridlume_mesh *mesh, void *object,
                                             gridlume_object_delete_routine routine);

/* A zero-filled block large enough for any getter output of this mesh;
   NULL for a NULL mesh or when memory fails. */
GRIDLUME_API void *gridlume_mesh_calloc_generic_buffer(gridlume_mesh *mesh);
/* Releases a generic buffer; NULL is ignored. */
GRIDLUME_API void gridlume_mesh_free_generic_buffer(void *buffer);
GRIDLUME_API void gridlume_cad_free_generic_buffer(void *buffer);

/* The tag system owned by the mesh (may be NULL). Setting it hands it to the
   mesh; the previous one is not released. */
GRIDLUME_API int gridlume_mesh_get_tag_system(gridlume_mesh *mesh,
                                              gridlume_tag_system **tag_system);
GRIDLUME_API int gridlume_mesh_set_tag_system(gridlume_mesh *mesh,
                                              gridlume_tag_system *tag_system);

/* ---- Face multiple periodicity ------------------------------------------ */

/* Appends a record with copies of both face lists; -1 for a NULL list,
   -5 when memory fails. */
GRIDLUME_API int gridlume_mesh_add_face_multiple_periodicity_with_transformation_function(
    gridlume_mesh *mesh, const int *faces1, int size1, const int *faces2, int size2,
    gridlume_transformation_function transformation, void *user_data);
/* Appends a record with copies of both face lists whose transformation is
   computed from point_count1 source points and point_count2 target points
   (3 reals each): a translation from 1 or 2 pairs, the linear map between
   the pairs' direction frames from 3 (or the first 4 of more). The record
   owns the computed data. A rejected set of pairs keeps the record, with no
   function, and gives -1. -1 when a pointer is NULL (nothing appended), -5
   when memory fails. */
GRIDLUME_API int gridlume_mesh_add_face_multiple_periodicity_with_transformation_function_by_points(
    gridlume_mesh *mesh, const int *faces1, int size1, const int *faces2, int size2,
    const double *points1, int point_count1, const double *points2, int point_count2);
GRIDLUME_API int gridlume_mesh_get_face_multiple_periodicity_count(gridlume_mesh *mesh,
                                                                   int *count);
/* Copies record i's lists into the buffers *faces1 and *faces2 (a generic
   buffer is large enough), with their sizes, function and user data. */
GRIDLUME_API int gridlume_mesh_get_face_multiple_periodicity(
    gridlume_mesh *mesh, int i, int **faces1, int *size1, int **faces2, int *size2,
    gridlume_transformation_function *transformation, void **user_data);

/* ---- Accessors ---------------------------------------------------------- */

/* The four operations of every slot of mesh_attributes.h. */
#define GRIDLUME_MESH_DECLARE_ACCESSORS(kind, attribute, shape, width)                    \
  GRIDLUME_API int gridlume_mesh_get_##kind##_##attribute(gridlume_mesh *mesh,              \
                                                          GRIDLUME_MESH_GET_PARAMETERS_##shape); \
  GRIDLUME_API int gridlume_mesh_set_##kind##_##attribute(gridlume_mesh *mesh,              \
                                                          GRIDLUME_MESH_SET_PARAMETERS_##shape); \
  GRIDLUME_API int gridlume_mesh_set_get_##kind##_##attribute(                              \
      gridlume_mesh *mesh, GRIDLUME_MESH_GETTER_##shape getter, void *user_data);           \
  GRIDLUME_API int gridlume_mesh_set_set_##kind##_##attribute(                              \
      gridlume_mesh *mesh, GRIDLUME_MESH_SETTER_##shape setter, void *user_data);
GRIDLUME_MESH_ATTRIBUTES(GRIDLUME_MESH_DECLARE_ACCESSORS)
GRIDLUME_MESH_SUBDOMAIN_ATTRIBUTES(GRIDLUME_MESH_DECLARE_ACCESSORS)

/* Second names of the required_property operations. */
#define GRIDLUME_MESH_DECLARE_REQUIRED_STATUS(kind)                                       \
  GRIDLUME_API int gridlume_mesh_get_##kind##_required_status(gridlume_mesh *mesh, int i,  \
                                                              int *value);                \
  GRIDLUME_API int gridlume_mesh_set_##kind##_required_status(gridlume_mesh *mesh, int i,  \
                                                              const int *value);          \
  GRIDLUME_API int gridlume_mesh_set_get_##kind##_required_status(                         \
      gridlume_mesh *mesh, gridlume_mesh_integers_getter getter, void *user_data);         \
  GRIDLUME_API int gridlume_mesh_set_set_##kind##_required_status(                         \
      gridlume_mesh *mesh, gridlume_mesh_integers_setter setter, void *user_data);
GRIDLUME_MESH_REQUIRED_STATUS_KINDS(GRIDLUME_MESH_DECLARE_REQUIRED_STATUS)

GRIDLUME_END_DECLS

#endif
