/*
 * Gridlume: quality measures of single mesh elements.
 *
 * Every query reads element i (1-based) of a mesh through its accessors
 * (the element's vertices, then their coordinates), computes one measure and
 * writes it to caller storage. The queries change nothing and keep no state.
 *
 * Local vertex numbers follow the order in which the mesh returns an
 * element's vertices: pyramid p0..p3 base and p4 apex; prism p0..p2 and
 * p3..p5 (p(i+3) above pi); hexahedron p0..p3 and p4..p7 (p(i+4) above pi).
 * Angles are in degrees; lengths, areas and volumes in the mesh's units. The
 * dimensionless measures score exactly 1 (aspect ratios, shape factors) or 0
 * (skews) on the ideal element.
 *
 * Degenerate geometry is never an error: a corner with a coincident
 * neighbour has angle 90, a flat element has aspect ratio +infinity and
 * inverse aspect ratio 0, an element whose edges all have zero length has
 * shape factor 0. The status of the accessor calls is not examined and an
 * out-of-range index is not detected: the measure is taken on whatever the
 * accessors answer.
 */
#ifndef GRIDLUME_QUALITY_H
#define GRIDLUME_QUALITY_H

#include "gridlume/common.h"

GRIDLUME_BEGIN_DECLS

/* Length of the edge between the two vertices vertices[0] and vertices[1]
   (vertex indices, not an edge index). Checks nothing and returns 0; writes
   nothing when vertices or length is NULL. */
GRIDLUME_API int gridlume_mesh_get_edge_length(gridlume_mesh *mesh, const int *vertices,
                                               double *length);

/*
 * The element queries: X(kind, measure, value_count, result_check) gives
 *
 *   int gridlume_mesh_get_<kind>_<measure>(gridlume_mesh *mesh, int i,
 *                                          double *values)
 *
 * which writes value_count doubles to values. Returns -1 for a NULL mesh,
 * and -1 for a NULL values pointer where result_check is CHECKED (where it
 * is UNCHECKED a NULL values pointer gets nothing written and 0); otherwise
 * 0. Nothing is written on failure.
 */
#define GRIDLUME_MESH_QUALITY_QUERIES(X)                                                     \
  /* angles at p1, p2, p0, in that order */                                                 \
  X(triangle, angles, 3, UNCHECKED)                                                          \
  X(triangle, area, 1, UNCHECKED)                                                            \
  /* sqrt(3)/12 * longest edge * perimeter / area */                                         \
  X(triangle, aspect_ratio, 1, UNCHECKED)                                                    \
  X(triangle, inverse_aspect_ratio, 1, UNCHECKED)                                            \
  /* max((largest angle - 60)/120, (60 - smallest angle)/60) */                              \
  X(triangle, equiangle_skew, 1, CHECKED)                                                    \
  /* angles at p1, p2, p3, p0, in that order */                                              \
  X(quadrangle, angles, 4, UNCHECKED)                                                        \
  /* the worst aspect ratio of the four corner triangles, scaled so the unit                 \
     square scores 1 */                                                                      \
  X(quadrangle, aspect_ratio, 1, UNCHECKED)                                                  \
  X(quadrangle, inverse_aspect_ratio, 1, UNCHECKED)                                          \
  /* max((largest angle - 90)/90, (90 - smallest angle)/90) */                               \
  X(quadrangle, equiangle_skew, 1, CHECKED)                                                  \
  /* agreement of the two triangles of each diagonal split, the worse split:                 \
     1 flat and convex, 0 folded flat onto itself */                                         \
  X(quadrangle, planarity, 1, CHECKED)                                                       \
  /* dihedral angles along edges (0,1), (1,2), (0,2), (1,3), (0,3), (2,3) */                 \
  X(tetrahedron, angles, 6, CHECKED)                                                         \
  /* signed: positive when (p1 - p0, p2 - p0, p3 - p0) is right-handed */                    \
  X(tetrahedron, volume, 1, UNCHECKED)                                                       \
  /* sqrt(6)/36 * longest edge * sum of face areas / volume; +infinity when                  \
     the volume is not positive */                                                           \
  X(tetrahedron, aspect_ratio, 1, UNCHECKED)                                                 \
  X(tetrahedron, inverse_aspect_ratio, 1, UNCHECKED)                                         \
  /* 72 sqrt(3) * signed volume / (sum of squared edge lengths)^1.5 */                       \
  X(tetrahedron, shape_factor, 1, UNCHECKED)                                                 \
  /* the largest triangle equiangle skew of the four faces */                                \
  X(tetrahedron, equiangle_skew, 1, CHECKED)                                                 \
  /* skew of the dihedral angles against that of the regular tetrahedron */                  \
  X(tetrahedron, diedral_equiangle_skew, 1, CHECKED)                                         \
  /* the largest equiangle skew of the faces */                                              \
  X(pyramid, equiangle_skew, 1, CHECKED)                                                     \
  /* the planarity of the base */                                                            \
  X(pyramid, planarity, 1, CHECKED)                                                          \
  /* smallest volume of a tetrahedral split over (sum of squared edges)^1.5,                 \
     scaled */                                                                               \
  X(pyramid, shape_factor, 1, CHECKED)                                                       \
  X(prism, equiangle_skew, 1, CHECKED)                                                       \
  /* the smallest planarity of the three quadrangular sides */                               \
  X(prism, planarity, 1, CHECKED)                                                            \
  /* as the pyramid's; the right prism with unit edges scores 1 */                           \
  X(prism, shape_factor, 1, CHECKED)                                                         \
  /* (sum of squared edges)^1.5 over the smallest volume of a tetrahedral                    \
     split, scaled so the unit cube scores 1; no special case */                             \
  X(hexahedron, aspect_ratio, 1, CHECKED)                                                    \
  X(hexahedron, inverse_aspect_ratio, 1, CHECKED)                                            \
  X(hexahedron, equiangle_skew, 1, CHECKED)                                                  \
  /* the smallest planarity of the six faces */                                              \
  X(hexahedron, planarity, 1, CHECKED)                                                       \
  /* as the pyramid's; the unit cube scores 1 */                                             \
  X(hexahedron, shape_factor, 1, CHECKED)

#define GRIDLUME_MESH_DECLARE_QUALITY_QUERY(kind, measure, value_count, result_check) \
  GRIDLUME_API int gridlume_mesh_get_##kind##_##measure(gridlume_mesh *mesh, int i,    \
                                                        double *values);
GRIDLUME_MESH_QUALITY_QUERIES(GRIDLUME_MESH_DECLARE_QUALITY_QUERY)

GRIDLUME_END_DECLS

#endif
