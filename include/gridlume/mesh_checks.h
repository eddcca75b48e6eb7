/*
 * Gridlume: checks of a mesh against its own descriptions.
 */
#ifndef GRIDLUME_MESH_CHECKS_H
#define GRIDLUME_MESH_CHECKS_H

#include "gridlume/common.h"

GRIDLUME_BEGIN_DECLS

/* Checks that the tetrahedra agree with the subdomain descriptions: each
   subdomain, grown from its seed triangle through the tetrahedra without
   crossing a triangle of the mesh, reaches only tetrahedra with the
   subdomain's tag; no tetrahedron is reached by two subdomains; together
   they reach every tetrahedron. A subdomain description gives its tag, its
   seed triangle and the seed orientation: 1 or more when the subdomain lies
   on the side the triangle's normal (p1 - p0) x (p2 - p0) points away from,
   below 1 when it lies on the side the normal points to.
   Writes 1 to *coherent first, then 0 when an incoherence is found.
   Returns 0, -1 for a NULL mesh or flag, the status of a failing mesh query
   (counts, vertices, coordinates, tags, descriptions), -5 when memory runs
   out. */
GRIDLUME_API int gridlume_mesh_check_subdomains_coherency(gridlume_mesh *mesh, int *coherent);

/* Reserved for a consistency check of the mesh: does nothing, returns 0. */
GRIDLUME_API int gridlume_mesh_check_consistency(gridlume_mesh *mesh);

GRIDLUME_END_DECLS

#endif
