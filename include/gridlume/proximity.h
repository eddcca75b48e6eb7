/*
 * Gridlume: the 2D proximity size map.
 *
 * Sizes that follow the distance separating different marked edges of a 2D
 * mesh across its triangles. The marked edges are the mesh's edges; fronts
 * leave them into the triangles beside them and move from triangle to
 * triangle until fronts of edges facing each other meet, and each vertex
 * keeps the smallest distance found between two such edges, with the
 * direction between them.
 */
#ifndef GRIDLUME_PROXIMITY_H
#define GRIDLUME_PROXIMITY_H

#include "gridlume/common.h"

GRIDLUME_BEGIN_DECLS

/* A new in-memory size map over `mesh`, attached to the mesh's context:
   type 4 (a size per vertex) when `anisotropic` is 0, type 8 (a metric per
   vertex) otherwise.

   scale               factor taking a distance to a size.
   default_size        the size where no proximity was found or the scaled
                       distance is below the tolerance; in a metric, the size
                       across the directions other than the proximity one.
   tolerance           the smallest meaningful length: scaled distances and
                       direction lengths below it count as zero.
   proximity_threshold edges farther apart than this never make a distance.

   The isotropic size of a vertex is scale times its distance. Its metric is
   (1/h^2) n n^T + (1/s^2) (t1 t1^T + t2 t2^T), h the size, s the default
   size, n the unit direction of the proximity and t1, t2 completing an
   orthonormal frame, stored as M_xx, M_xy, M_yy, M_xz, M_yz, M_zz.

   NULL for a NULL mesh or one without context; NULL after a message to the
   context (code -2000) when the mesh's counts or elements cannot be read
   ("Problem getting mesh data"), when it has quadrangles ("Mesh contains
   quads") or when its vertex coordinates cannot be read ("Problem getting
   mesh vertex coordinates"); NULL after "Insufficient memory" (code -3000)
   when memory fails. A failing size map call also ends with NULL, the size
   map made so far deleted. */
GRIDLUME_API gridlume_sizemap *gridlume_proximity2D_compute_core(gridlume_mesh *mesh, double scale,
                                                                 double default_size,
                                                                 int anisotropic, double tolerance,
                                                                 double proximity_threshold);

GRIDLUME_END_DECLS

#endif
