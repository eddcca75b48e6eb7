/*
 * Gridlume: size maps.
 *
 * A size map tells a mesh generator the wanted element size (isotropic, one
 * real) or metric (anisotropic, a symmetric 3 x 3 tensor stored as 6 reals)
 * at the vertices of a mesh, on the entities of a cad or at any point of
 * space. It is a function with its user data and a type; the type decides its
 * parent and the function's signature:
 *
 *   types 1, 2, 3, 5, 6, 10, 11, 12, 15, 18, 20   parent: a cad
 *   types 4, 8, 13, 14, 16, 17, 19                parent: a mesh
 *   types 7, 9                                    parent: the context
 *
 * The library itself evaluates the four types below; the others are defined
 * by the generators that read them. A size map belongs to the context of its
 * parent, which deletes it with itself.
 */
#ifndef GRIDLUME_SIZEMAP_H
#define GRIDLUME_SIZEMAP_H

#include "gridlume/common.h"

GRIDLUME_BEGIN_DECLS

/* Isotropic size at a mesh vertex (1-based index): writes 1 real. */
#define GRIDLUME_SIZEMAP_TYPE_ISO_MESH_VERTEX 4
/* Isotropic size at a point of space. */
#define GRIDLUME_SIZEMAP_TYPE_ISO_3D 7
/* Metric at a mesh vertex: writes 6 reals. */
#define GRIDLUME_SIZEMAP_TYPE_ANISO_MESH_VERTEX 8
/* Metric at a point of space: writes 6 reals. */
#define GRIDLUME_SIZEMAP_TYPE_ANISO_3D 9

/* Functions of types 4 and 8, and the setters of in-memory size maps. */
typedef int (*gridlume_sizemap_mesh_vertex_function)(int vertex, double *values, void *user_data);
/* Functions of types 7 and 9. */
typedef int (*gridlume_sizemap_3d_function)(const double *xyz, double *values, void *user_data);

/* ---- The object ---------------------------------------------------------- */

/* A new size map of the given type over its parent (a cad, a mesh or a
   context, by type), attached to the parent's context. The user data is not
   owned unless a delete function is set. NULL for a NULL parent or function,
   an unknown type (0, 21 and above), a parent of the wrong kind, or when
   memory fails. */
GRIDLUME_API gridlume_sizemap *gridlume_sizemap_new(void *parent, int type,
                                                    gridlume_map_function function,
                                                    void *user_data);
/* Detaches the size map from its context, deletes the objects attached to
   it (newest first), runs the delete function on the user data when both are
   set, and frees it. NULL is ignored. */
GRIDLUME_API void gridlume_sizemap_delete(gridlume_sizemap *sizemap);
/* Attaches an object deleted with the size map by its routine (which may be
   NULL). -1 for a NULL size map, -5 when memory fails (nothing attached). */
GRIDLUME_API int gridlume_sizemap_attach_object(gridlume_sizemap *sizemap, void *object,
                                                gridlume_object_delete_routine routine);
/* The function that releases the user data when the size map is deleted
   (NULL: none). -1 for a NULL size map. */
GRIDLUME_API int gridlume_sizemap_set_delete_function(gridlume_sizemap *sizemap,
                                                      gridlume_object_delete_routine release);

/* Queries; each answers -1 when the size map or the out pointer is NULL. A
   parent the type does not use is NULL. */
GRIDLUME_API int gridlume_sizemap_get_type(gridlume_sizemap *sizemap, int *type);
GRIDLUME_API int gridlume_sizemap_get_function(gridlume_sizemap *sizemap,
                                               gridlume_map_function *function);
GRIDLUME_API int gridlume_sizemap_get_user_data(gridlume_sizemap *sizemap, void **user_data);
GRIDLUME_API int gridlume_sizemap_get_parent_cad(gridlume_sizemap *sizemap, gridlume_cad **cad);
GRIDLUME_API int gridlume_sizemap_get_parent_mesh(gridlume_sizemap *sizemap, gridlume_mesh **mesh);

/* ---- Values at mesh vertices ---------------------------------------------- */

/* The size at a vertex through the function of a type 4 size map: its
   status, or -1 when the size map or size is NULL, the type is not 4 or
   there is no function. */
GRIDLUME_API int gridlume_sizemap_iso_mesh_vertex_get_size(gridlume_sizemap *sizemap, int vertex,
                                                           double *size);
/* The same for the 6 metric reals of a type 8 size map. */
GRIDLUME_API int gridlume_sizemap_aniso_mesh_vertex_get_metric(gridlume_sizemap *sizemap,
                                                               int vertex, double *metric);
/* Stores a size through the setter of an in-memory size map: its status. -1
   for a NULL size map or size; a size map without a setter (caller-made or
   read from a file) sends "sizemap:iso_mesh_vertex_set_size : Error setting
   size." and answers -1. */
GRIDLUME_API int gridlume_sizemap_iso_mesh_vertex_set_size(gridlume_sizemap *sizemap, int vertex,
                                                           double *size);
/* The same for 6 metric reals ("sizemap:aniso_mesh_vertex_set_metric : Error
   setting metric."). */
GRIDLUME_API int gridlume_sizemap_aniso_mesh_vertex_set_metric(gridlume_sizemap *sizemap,
                                                               int vertex, double *metric);

/* ---- In-memory size maps ---------------------------------------------------- */

/* A size map of type 4 (1 real per vertex) or 8 (6 reals per vertex) over
   the mesh that holds its values itself, all 0 until set. Getters and setters
   answer -1 for a vertex outside 1..the mesh's vertex count at creation (a
   getter then writes 0 to every output). NULL, after a message to the mesh's
   context, when the mesh cannot be read or the type is neither; NULL when
   memory fails. */
GRIDLUME_API gridlume_sizemap *gridlume_sizemap_new_in_memory(gridlume_mesh *mesh, int type);
/* An in-memory size map over the same mesh holding the values of a type 4 or
   8 size map at every vertex of its mesh. NULL for a NULL size map; NULL
   after a message ("sizemap:new_in_memory_copy : ...") for another type,
   when the mesh or a value cannot be read, or when memory fails. */
GRIDLUME_API gridlume_sizemap *gridlume_sizemap_new_in_memory_copy(gridlume_sizemap *sizemap);

/* ---- Per-vertex size maps from point size maps ------------------------------ */

/* A size map of type 4 (from type 7) or 8 (from type 9) over the mesh whose
   value at a vertex is the given size map's value at the vertex's
   coordinates. It reads the mesh and the source when evaluated, so both must
   outlive it; a vertex outside 1..the vertex count at creation writes 0 to
   the first output and answers -1. NULL for another type, a NULL argument,
   an unreadable mesh, or when memory fails. */
GRIDLUME_API gridlume_sizemap *gridlume_sizemap_new_mesh_vertex_from_sizemap_and_mesh(
    gridlume_sizemap *sizemap, gridlume_mesh *mesh);
/* The same over a tetrahedral grid of the box [min, max] of about
   `vertex_count` vertices, which becomes the new size map's parent mesh and
   is deleted with it (the source size map is not). NULL for a vertex count
   below 8 and as above. */
GRIDLUME_API gridlume_sizemap *gridlume_sizemap_new_mesh_vertex_from_sizemap(
    gridlume_sizemap *sizemap, const double min[3], const double max[3], int vertex_count);

/* ---- Files ------------------------------------------------------------------ */

/* A size map of type 4 or 8 over the mesh read from the "SolAtVertices" block
   of a solution file (".sol" text or ".solb" binary, any version and byte
   order): a scalar per vertex gives type 4, a symmetric tensor type 8 (in a
   2D file its 3 reals fill the first 3 of the 6). The size map holds its
   values and has no setter. NULL for a NULL or unreadable mesh; NULL after a
   message ("sizemap:read_sol : ...") for a NULL name, a file that cannot be
   opened (also one that announces more lines than it holds), a block that is
   absent, of another kind or of another vertex count than the mesh, or a
   file that cannot be read to its end; NULL when memory fails. */
GRIDLUME_API gridlume_sizemap *gridlume_sizemap_new_read_sol(gridlume_mesh *mesh,
                                                             const char *file_name);
/* Writes the values of a type 4 or 8 size map at every vertex of its mesh as
   a "SolAtVertices" block of scalars or symmetric tensors to a solution file
   of version 2 and dimension 3. 0 on success; -1 for a NULL size map, and
   after a message ("sizemap:write_sol : ...") for a NULL name, a file that
   cannot be opened or closed, or another type; the failing status after a
   message when the vertex count or a value cannot be read; -5 when memory
   fails. */
GRIDLUME_API int gridlume_sizemap_write_sol(gridlume_sizemap *sizemap, const char *file_name);

/* A size map of type 4 or 8 over the mesh read from a bb text file: the
   header "3 <values per vertex: 1 or 6> <vertex count> 2", then the values.
   NULL as for solution files, after a message ("sizemap:read_bb : ...")
   when the header does not match the mesh or names another kind of values,
   or the file holds fewer values than announced or a value that is not a
   number. */
GRIDLUME_API gridlume_sizemap *gridlume_sizemap_new_read_bb(gridlume_mesh *mesh,
                                                            const char *file_name);
/* Writes the values of a type 4 or 8 size map at every vertex of its mesh to
   a bb text file ("%.8g" per value). 0, or as gridlume_sizemap_write_sol
   with messages "sizemap:write_bb : ...". */
GRIDLUME_API int gridlume_sizemap_write_bb(gridlume_sizemap *sizemap, const char *file_name);

GRIDLUME_END_DECLS

#endif
