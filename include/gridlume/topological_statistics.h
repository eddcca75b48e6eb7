/*
 * Gridlume: topological statistics of a mesh's surface part.
 *
 * Free edges (a side of one surface element) and non-manifold edges (a side
 * of three or more) with the number of connected groups each forms, surface
 * components joined through shared sides, and the mesh's listed edges that
 * are no side of a triangle or quadrangle, or no edge of a tetrahedron. The
 * results go out as messages with code 0 through the mesh's context, one
 * per line; nothing is returned as data.
 */
#ifndef GRIDLUME_TOPOLOGICAL_STATISTICS_H
#define GRIDLUME_TOPOLOGICAL_STATISTICS_H

#include "gridlume/common.h"

GRIDLUME_BEGIN_DECLS

/* Reports in the human-readable style, starting with the line
   "Mesh topological statistics : ". Returns -1 for a NULL mesh or a mesh
   without context, else 0: a failing mesh query or exhausted memory ends
   the report without its result lines. */
GRIDLUME_API int gridlume_mesh_compute_topological_statistics(gridlume_mesh *mesh);

/* Reports in the key style, one "VALID.<prefix>.<key> = <value>" line per
   result. Returns -1 for a NULL mesh, a NULL prefix or a mesh without
   context, else 0 as above. */
GRIDLUME_API int gridlume_mesh_compute_topological_statistics_valid(gridlume_mesh *mesh,
                                                                    const char *prefix);

GRIDLUME_END_DECLS

#endif
