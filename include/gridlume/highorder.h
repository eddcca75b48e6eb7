/*
 * Gridlume: high-order sessions.
 *
 * A session turns a linear volume mesh into a second-order one: every edge,
 * face and volume element receives the extra nodes of its quadratic form,
 * and the new nodes on the boundary are curved. Create a session from a
 * context, give it the linear volume mesh and, optionally, a second-order
 * surface mesh to conform to, set parameters by name, run
 * gridlume_highorder_compute_mesh, and read the result back through the mesh
 * of gridlume_highorder_get_mesh.
 *
 * Failures of the conversion reach the session's message callback as
 * messages from sender "HIGHORDER":
 *   7500  "highorder error: could not initialize multithreading \n"
 *   2010  "highorder error: wrong input volume mesh\n"
 *   5301  "highorder error: surface is inconstistent with the volume\n"
 *   7000  "highorder error: failure of the high order mesh generation \n"
 * Verbose reports are printed on standard output.
 */
#ifndef GRIDLUME_HIGHORDER_H
#define GRIDLUME_HIGHORDER_H

#include "gridlume/common.h"
#include "gridlume/context.h"

GRIDLUME_BEGIN_DECLS

typedef struct gridlume_highorder_session gridlume_highorder_session;

/* A new session with the defaults: verbose 0, max_number_of_threads 4,
   curve_propagation_mode 0, curve 1, jacobian_threshold the smallest positive
   normal double, use_C3D10M_jacobian 0, no boundary-layer table. It copies
   the context's interrupt and message callbacks and is attached to the
   context, which deletes it if the caller does not. NULL for a NULL context
   or when memory fails. */
GRIDLUME_API gridlume_highorder_session *gridlume_highorder_session_new(gridlume_context *context);

/* Detaches the session from its context and releases it with its conversion
   result. The output mesh belongs to the context and is not deleted; it must
   not be used once its session is gone. NULL is ignored. */
GRIDLUME_API void gridlume_highorder_session_delete(gridlume_highorder_session *session);

/* Where the session's messages go. A NULL callback restores the context's
   current callback with its user data. -1 for a NULL session. */
GRIDLUME_API int gridlume_highorder_set_message_callback(gridlume_highorder_session *session,
                                                         gridlume_message_callback callback,
                                                         void *user_data);

/* The linear volume mesh to convert, and the optional second-order surface
   mesh (triangles with 3 and quadrangles with 5 extra vertices) whose
   triangles are the volume's boundary triangles, in the same order and with
   the same vertex numbers. Each can be set once per session; the meshes are
   read at gridlume_highorder_compute_mesh. -1 for a NULL session or mesh, or
   when that input is already set. */
GRIDLUME_API int gridlume_highorder_set_volume_mesh(gridlume_highorder_session *session,
                                                    gridlume_mesh *mesh);
GRIDLUME_API int gridlume_highorder_set_surface_mesh(gridlume_highorder_session *session,
                                                     gridlume_mesh *mesh);

/* Sizes the boundary-layer table to records 1..count, all zero (an earlier
   table is replaced). -1 for a NULL session or a negative count, -5 when
   memory fails (the earlier table is kept). */
GRIDLUME_API int gridlume_highorder_set_boundary_layer_vertex_count(
    gridlume_highorder_session *session, int count);
/* Copies info[0..2] into record index (1..count): a boundary-layer vertex,
   the wall vertex it was extruded from, and its layer number. Records whose
   first two vertices are not vertices of the volume mesh are skipped by the
   conversion. -1 for a NULL session or info, or an index outside 1..count. */
GRIDLUME_API int gridlume_highorder_set_boundary_layer_vertex_info(
    gridlume_highorder_session *session, int index, const int *info);

/* Sets a parameter by name (exact, case-sensitive) from its text:
     "verbose", "max_number_of_threads" (0: the number of processors),
     "curve_propagation_mode" (-1: no curving): an integer read as "%d";
     "jacobian_threshold": a real read as "%lf";
     "use_C3D10M_jacobian", "curve": "yes", "true" or "1" for 1, "no",
       "false" or "0" for 0;
     "debug", "h": accepted and ignored.
   -1, with the session unchanged, for a NULL argument, an unknown name or a
   value that does not read as one item of its kind. */
GRIDLUME_API int gridlume_highorder_set_param(gridlume_highorder_session *session, const char *name,
                                              const char *value);

/* Converts the volume mesh. -1 when the volume mesh cannot be read (a failing
   accessor, no vertices or no elements, a bad surface mesh: no message), or
   when the conversion fails (a message as listed above); -5 when memory for
   the session's own tables fails. A NULL session answers -1. */
GRIDLUME_API int gridlume_highorder_compute_mesh(gridlume_highorder_session *session);

/* The output mesh, built from the session's context on the first call and the
   same mesh on later calls. Its getters read the session's conversion result
   at each call (counts, vertex coordinates and tags; per element kind its
   tags, corners and extra vertices with the type codes 1001, 2003, 3005,
   4006, 5019, 6012, 7009); it carries a clone of the volume mesh's tag
   system. -1 for a NULL mesh pointer, or for a NULL session (NULL is then
   written); -5 when memory fails (NULL written). */
GRIDLUME_API int gridlume_highorder_get_mesh(gridlume_highorder_session *session,
                                             gridlume_mesh **mesh);

GRIDLUME_END_DECLS

#endif
