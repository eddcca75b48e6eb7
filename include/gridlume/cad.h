/*
 * Gridlume: the CAD object.
 *
 * A cad describes a boundary-representation geometry that the caller owns:
 * faces evaluated through caller surface functions, edges through curve
 * functions in their face's parameter plane, wires through curves in space,
 * with the topology, identifiers and tags that mesh generators copy into the
 * meshes they produce. The library never stores a surface or a curve itself.
 *
 * Reference counting. The cad handle, and every face, edge, wire and
 * polygonal face handle obtained from a constructor or a clone operation,
 * must each be deleted once. A face, edge, wire or polygonal face that
 * belongs to a cad counts on the cad, which is destroyed when its count
 * reaches 0 (or when its context is deleted). A face that belongs to no cad
 * counts on itself, with its edges; an edge that belongs to no face counts
 * on itself. Points and vertices are not counted: they live as long as their
 * face or cad. Some derived objects keep a reference to what they are derived
 * from (see gridlume_cad_face_new_pafftrans and
 * gridlume_cad_edge_new_newton1_with_ea): derived from an object of their own
 * cad, they keep that cad until its context is deleted. Objects that belong
 * to no cad but refer to one (copies, derived objects) are deleted before
 * the cad's context.
 *
 * Callbacks are called synchronously on the caller's thread with the user
 * data given with them. Any non-zero status a callback returns is passed
 * back unchanged. Every output pointer a callback receives may be NULL when
 * the library does not need that output.
 */
#ifndef GRIDLUME_CAD_H
#define GRIDLUME_CAD_H

#include "gridlume/common.h"

GRIDLUME_BEGIN_DECLS

/* Opaque handles of the objects of a cad. */
typedef struct gridlume_cad_face gridlume_cad_face;
typedef struct gridlume_cad_edge gridlume_cad_edge;
typedef struct gridlume_cad_wire gridlume_cad_wire;
typedef struct gridlume_cad_point gridlume_cad_point;
typedef struct gridlume_cad_vertex gridlume_cad_vertex;
typedef struct gridlume_cad_polygonal_face gridlume_cad_polygonal_face;

/* ---- Callback shapes ---------------------------------------------------- */

/* The surface of a face: the point at uv (2 reals), its first derivatives
   du, dv and second derivatives duu, duv, dvv (3 reals each). */
typedef int (*gridlume_cad_surface_function)(const double *uv, double *xyz, double *du,
                                             double *dv, double *duu, double *duv, double *dvv,
                                             void *user_data);
/* The curve of an edge in its face's parameter plane: uv at t, with its
   first and second derivatives (2 reals each). */
typedef int (*gridlume_cad_curve_function)(double t, double *uv, double *dt, double *dtt,
                                           void *user_data);
/* The curve of an edge in space: xyz at t. */
typedef int (*gridlume_cad_curve3d_function)(double t, double *xyz, void *user_data);
/* The curve of a wire in space: xyz at t with its first and second
   derivatives (3 reals each). */
typedef int (*gridlume_cad_wire_curve_function)(double t, double *xyz, double *dt, double *dtt,
                                                void *user_data);
/* The face and (u, v) a face was derived from, for the point uv of the
   face. The fourth output is a 64-bit value the library only passes on
   (0 when a face has no translator). */
typedef int (*gridlume_cad_face_original_geometry_translator)(const double *uv,
                                                              gridlume_cad_face **face0,
                                                              double *uv0, long long *extra,
                                                              void *user_data);
/* Returns the user data for a copy of an object (NULL means failure when
   the object's user data is not NULL). */
typedef void *(*gridlume_cad_clone_function)(void *user_data);
/* Releases the user data when its object is destroyed. */
typedef void (*gridlume_cad_delete_function)(void *user_data);
/* A face tessellator: stored and handed back, never called by the library,
   which does not know its arguments; callers cast it to their own type. */
typedef void (*gridlume_cad_tessellator_function)(void);

/* ---- The cad ------------------------------------------------------------ */

/* A new cad attached to the context, which deletes it with itself; its
   reference count is 1. NULL when the context is NULL or memory fails. */
GRIDLUME_API gridlume_cad *gridlume_cad_new(gridlume_context *context);
/* Releases one reference to the cad; at 0 the cad is detached from its
   context and destroyed with everything it holds. NULL is ignored. */
GRIDLUME_API void gridlume_cad_delete(gridlume_cad *cad);
/* Writes the cad's context; the context is set to NULL first, and -1 is
   returned when the handle is NULL or not a cad. */
GRIDLUME_API int gridlume_cad_get_context(gridlume_cad *cad, gridlume_context **context);

/* Attaches an object with its delete routine (may be NULL), newest first:
   destroying the cad calls the routines before anything else is released.
   -1 for a NULL cad, -5 when memory fails (nothing attached). */
GRIDLUME_API int gridlume_cad_attach_object(gridlume_cad *cad, void *object,
                                            gridlume_object_delete_routine routine);

/* The object numbered i (1..count) of the cad's lists are read with
   gridlume_cad_get_face, gridlume_cad_get_wire and
   gridlume_cad_get_polygonal_face (see cad_accessors.h). */

/* The vertex with that id, or NULL (status 0) when no vertex has it.
   -1 when cad or vertex is NULL. */
GRIDLUME_API int gridlume_cad_get_vertex(gridlume_cad *cad, int id, gridlume_cad_vertex **vertex);

/* Gives the cad a tag system, which the cad then owns and deletes with
   itself; a tag system the cad held before is deleted. NULL removes (and
   deletes) the current one. -1 for a NULL cad. */
GRIDLUME_API int gridlume_cad_set_tag_system(gridlume_cad *cad, gridlume_tag_system *tag_system);
/* The cad's tag system, NULL when it has none. -1 when a pointer is NULL. */
GRIDLUME_API int gridlume_cad_get_tag_system(gridlume_cad *cad, gridlume_tag_system **tag_system);
/* The base tags `tag` stands for, as gridlume_tag_system_get_composite_tag_
   definition; without a tag system a tag stands for itself (count 1,
   list[0] = tag). -1 when a pointer is NULL. */
GRIDLUME_API int gridlume_cad_get_composite_tag_definition(gridlume_cad *cad, int tag, int *count,
                                                           int *list);
/* Every composite tag, as gridlume_tag_system_get_composite_tag_list;
   without a tag system there is none (count 0, list[0] = 0). -1 when a
   pointer is NULL. */
GRIDLUME_API int gridlume_cad_get_composite_tag_list(gridlume_cad *cad, int *count, int *list);

/* A zero-filled block large enough for any list output of the cad (at
   least the cad's generic buffer size, 35 bytes for a new cad), released
   with gridlume_cad_free_generic_buffer. NULL for a NULL cad or when memory
   fails. */
GRIDLUME_API void *gridlume_cad_calloc_generic_buffer(gridlume_cad *cad);
/* Releases a generic buffer; NULL is ignored. It is also the delete
   function the library installs for the user data records it makes. */
GRIDLUME_API void gridlume_cad_free_generic_buffer(void *buffer);

/* Edges are never merged by the core library: does nothing and returns 0. */
GRIDLUME_API int gridlume_cad_merge_edges(gridlume_cad *cad);

GRIDLUME_END_DECLS

#include "gridlume/cad_face.h"
#include "gridlume/cad_edge.h"
#include "gridlume/cad_wire.h"
#include "gridlume/cad_accessors.h"

#endif
