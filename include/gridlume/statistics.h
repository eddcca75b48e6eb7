/*
 * Gridlume: quality statistics and histograms of whole meshes.
 *
 * Reports return no data: every line goes to the mesh's context as a message
 * of code 0 (gridlume_context_send_message). Two styles exist:
 *
 *   - the human style, a readable block per measure;
 *   - the key style, selected by a non-NULL prefix, whose lines read
 *     "VALID.<prefix>.<entity>.<measure>.<field> = <value>", one field each,
 *     for machine comparison.
 *
 * A measure report gives the minimum, maximum, running average and
 * population variance (and the sum for extensive measures), the sample size,
 * the elements where the minimum and maximum are first reached, and a
 * histogram over thresholds t[0] < ... < t[m-1]: the bins x < t[0],
 * t[k-1] <= x < t[k] and x >= t[m-1]. When every value lies within 1e-9 of
 * the minimum the histogram is the single line "value = <min> : 100 %".
 * Thresholds are trusted to be ascending and of the given count.
 *
 * Every report runs on the caller's thread and reads the mesh only through
 * its accessors. A mesh without elements of the kind concerned sends nothing
 * and answers 0.
 */
#ifndef GRIDLUME_STATISTICS_H
#define GRIDLUME_STATISTICS_H

#include "gridlume/common.h"

GRIDLUME_BEGIN_DECLS

/*
 * The measure reports, one row per member:
 *
 *   X(kind, measure, report, values, display name, key pattern, bins, sum, forms)
 *
 * report   ELEMENT: a measure per element; EDGES: the length of every distinct
 *          edge of the elements (numbered in order of first appearance);
 *          FACE_VALIDITY: the ratio of elements whose faces all see the
 *          element's centroid on their inner side; VOLUME_EDGES: the
 *          tetrahedron, hexahedron, pyramid and prism edge reports in turn.
 * values   values per element (sample size = elements * values).
 * display name / key pattern
 *          the report's title in the human style, and its key in the key
 *          style with the prefix in place of %s ("" when the member has no
 *          key style).
 * bins     default thresholds: ASPECT_RATIO {1, 1.5, 2, 3, 4, 5, 10, 100},
 *          TETRAHEDRON_ASPECT_RATIO {the same, 1000, 10000}, UNIT_INTERVAL
 *          {0, 0.01, 0.1, 0.2, 0.25, 1/3, 0.5, 2/3, 1}, ANGLES {0, 15, ...,
 *          180}, SKEW {0, 0.1, 0.25, 0.5, 0.75, 0.9, 1}, NONE (no histogram
 *          unless the caller gives thresholds).
 * sum      SUM when the report prints the sum of the values.
 * forms    which entry points exist, named gridlume_mesh_compute_statistics_
 *          followed by <kind>_<measure> and:
 *
 *   ""                             (gridlume_mesh *mesh)
 *        human style, default thresholds;
 *   "_valid"                       (gridlume_mesh *mesh, const char *prefix)
 *        key style (human style when prefix is NULL), default thresholds;
 *   "_with_custom_histogram"       (gridlume_mesh *mesh, int threshold_count,
 *                                   const double *thresholds)
 *        human style, the caller's thresholds (the defaults when the count
 *        is 0);
 *   "_with_custom_histogram_valid" (gridlume_mesh *mesh, const char *prefix,
 *                                   int threshold_count, const double *thresholds)
 *
 *          ALL: the four; PLAIN_VALID: the first two; PLAIN: the first.
 *
 * Each returns 0, or -1 when the mesh is NULL, its element count query fails
 * or memory runs out (a report cut short by memory has sent its summary at
 * most). An edge report whose edge table cannot be built sends nothing and
 * returns 0.
 */
#define GRIDLUME_MESH_STATISTICS_MEMBERS(X)                                                   \
  X(triangle, aspect_ratio, ELEMENT, 1, "triangle aspect ratio",                              \
    "VALID.%s.triangle.aspect_ratio", ASPECT_RATIO, NO_SUM, ALL)                              \
  X(triangle, inverse_aspect_ratio, ELEMENT, 1, "triangle inverse aspect ratio",              \
    "VALID.%s.triangle.inverse_aspect_ratio", UNIT_INTERVAL, NO_SUM, ALL)                     \
  X(triangle, angles, ELEMENT, 3, "triangle angles", "VALID.%s.triangle.angles", ANGLES,      \
    NO_SUM, ALL)                                                                              \
  X(triangle, equiangle_skew, ELEMENT, 1, "triangle equiangle skew",                          \
    "VALID.%s.triangle.equiangle_skew", SKEW, NO_SUM, PLAIN_VALID)                            \
  X(triangle, area, ELEMENT, 1, "triangle area", "VALID.%s.triangle.area", NONE, SUM, ALL)    \
  X(triangle, edge_length, EDGES, 1, "triangle elements edges length",                        \
    "VALID.%s.triangle_edges.length", NONE, NO_SUM, ALL)                                      \
  X(quadrangle, aspect_ratio, ELEMENT, 1, "quadrangle aspect ratio",                          \
    "VALID.%s.quadrangle.aspect_ratio", ASPECT_RATIO, NO_SUM, ALL)                            \
  X(quadrangle, inverse_aspect_ratio, ELEMENT, 1, "quadrangle inverse aspect ratio",          \
    "VALID.%s.quadrangle.inverse_aspect_ratio", UNIT_INTERVAL, NO_SUM, ALL)                   \
  X(quadrangle, angles, ELEMENT, 4, "quadrangle angles", "VALID.%s.quadrangle.angles",        \
    ANGLES, NO_SUM, ALL)                                                                      \
  X(quadrangle, equiangle_skew, ELEMENT, 1, "quadrangle equiangle skew",                      \
    "VALID.%s.quadrangle.equiangle_skew", SKEW, NO_SUM, PLAIN_VALID)                          \
  X(quadrangle, planarity, ELEMENT, 1, "quadrangle planarity",                                \
    "VALID.%s.quadrangle.planarity", NONE, SUM, ALL)                                          \
  X(quadrangle, edge_length, EDGES, 1, "quadrangle elements edges length",                    \
    "VALID.%s.quadrangle_edges.length", NONE, NO_SUM, ALL)                                    \
  X(surface, edge_length, EDGES, 1, "surface elements edges length",                          \
    "VALID.%s.surface_edges.length", NONE, NO_SUM, ALL)                                       \
  X(tetrahedron, aspect_ratio, ELEMENT, 1, "tetrahedron aspect ratio",                        \
    "VALID.%s.tetrahedron.aspect_ratio", TETRAHEDRON_ASPECT_RATIO, NO_SUM, ALL)               \
  X(tetrahedron, inverse_aspect_ratio, ELEMENT, 1, "tetrahedron inverse aspect ratio",        \
    "VALID.%s.tetrahedron.inverse_aspect_ratio", UNIT_INTERVAL, NO_SUM, ALL)                  \
  X(tetrahedron, angles, ELEMENT, 6, "tetrahedron diedral angles",                            \
    "VALID.%s.tetrahedron.angles", ANGLES, NO_SUM, ALL)                                       \
  X(tetrahedron, equiangle_skew, ELEMENT, 1, "tetrahedron equiangle skew",                    \
    "VALID.%s.tetrahedron.equiangle_skew", SKEW, NO_SUM, PLAIN_VALID)                         \
  X(tetrahedron, diedral_equiangle_skew, ELEMENT, 1, "tetrahedron diedral equiangle skew", "", \
    SKEW, NO_SUM, PLAIN)                                                                      \
  X(tetrahedron, shape_factor, ELEMENT, 1, "tetrahedron shape factor",                        \
    "VALID.%s.tetrahedron.shape_factor", UNIT_INTERVAL, NO_SUM, ALL)                          \
  X(tetrahedron, volume, ELEMENT, 1, "tetrahedron volume", "VALID.%s.tetrahedron.volume",     \
    NONE, SUM, ALL)                                                                           \
  X(tetrahedron, height, ELEMENT, 1, "tetrahedron height", "VALID.%s.tetrahedron.height",     \
    NONE, SUM, PLAIN)                                                                         \
  X(tetrahedron, element_validity, ELEMENT, 1, "tetrahedron element validity",                \
    "VALID.%s.tetrahedron.element_validity", UNIT_INTERVAL, NO_SUM, ALL)                      \
  X(tetrahedron, face_element_validity, FACE_VALIDITY, 1, "tetrahedron face element validity", \
    "VALID.%s.tetrahedron.face_element_validity", NONE, NO_SUM, PLAIN_VALID)                  \
  X(tetrahedron, edge_length, EDGES, 1, "tetrahedron elements edges length",                  \
    "VALID.%s.tetrahedron_edges.length", NONE, NO_SUM, ALL)                                   \
  X(hexahedron, aspect_ratio, ELEMENT, 1, "hexahedron aspect ratio",                          \
    "VALID.%s.hexahedron.aspect_ratio", ASPECT_RATIO, NO_SUM, ALL)                            \
  X(hexahedron, inverse_aspect_ratio, ELEMENT, 1, "hexahedron inverse aspect ratio",          \
    "VALID.%s.hexahedron.inverse_aspect_ratio", UNIT_INTERVAL, NO_SUM, ALL)                   \
  X(hexahedron, shape_factor, ELEMENT, 1, "hexahedron shape factor",                          \
    "VALID.%s.hexahedron.shape_factor", UNIT_INTERVAL, NO_SUM, ALL)                           \
  X(hexahedron, element_validity, ELEMENT, 1, "hexahedron element validity",                  \
    "VALID.%s.hexahedron.element_validity", UNIT_INTERVAL, NO_SUM, ALL)                       \
  X(hexahedron, face_element_validity, FACE_VALIDITY, 1, "hexahedron face element validity",  \
    "VALID.%s.hexahedron.face_element_validity", NONE, NO_SUM, PLAIN_VALID)                   \
  X(hexahedron, equiangle_skew, ELEMENT, 1, "hexahedron equiangle skew", "", SKEW, NO_SUM,    \
    PLAIN)                                                                                    \
  X(hexahedron, planarity, ELEMENT, 1, "hexahedron planarity", "", SKEW, NO_SUM, PLAIN)       \
  X(hexahedron, edge_length, EDGES, 1, "hexahedron elements edges length",                    \
    "VALID.%s.hexahedron_edges.length", NONE, NO_SUM, ALL)                                    \
  X(prism, shape_factor, ELEMENT, 1, "prism shape factor", "VALID.%s.prism.shape_factor",     \
    UNIT_INTERVAL, NO_SUM, ALL)                                                               \
  X(prism, element_validity, ELEMENT, 1, "prism element validity",                            \
    "VALID.%s.prism.element_validity", UNIT_INTERVAL, NO_SUM, ALL)                            \
  X(prism, face_element_validity, FACE_VALIDITY, 1, "prism face element validity",            \
    "VALID.%s.prism.face_element_validity", NONE, NO_SUM, PLAIN_VALID)                        \
  X(prism, equiangle_skew, ELEMENT, 1, "prism equiangle skew", "", SKEW, NO_SUM, PLAIN)       \
  X(prism, planarity, ELEMENT, 1, "prism planarity", "", SKEW, NO_SUM, PLAIN)                 \
  X(prism, edge_length, EDGES, 1, "prism elements edges length",                              \
    "VALID.%s.prism_edges.length", NONE, NO_SUM, ALL)                                         \
  X(pyramid, shape_factor, ELEMENT, 1, "pyramid shape factor",                                \
    "VALID.%s.pyramid.shape_factor", UNIT_INTERVAL, NO_SUM, ALL)                              \
  X(pyramid, element_validity, ELEMENT, 1, "pyramid element validity",                        \
    "VALID.%s.pyramid.element_validity", UNIT_INTERVAL, NO_SUM, ALL)                          \
  X(pyramid, face_element_validity, FACE_VALIDITY, 1, "pyramid face element validity",        \
    "VALID.%s.pyramid.face_element_validity", NONE, NO_SUM, PLAIN_VALID)                      \
  X(pyramid, equiangle_skew, ELEMENT, 1, "pyramid equiangle skew", "", SKEW, NO_SUM, PLAIN)   \
  X(pyramid, planarity, ELEMENT, 1, "pyramid planarity", "", SKEW, NO_SUM, PLAIN)             \
  X(pyramid, edge_length, EDGES, 1, "pyramid elements edges length",                          \
    "VALID.%s.pyramid_edges.length", NONE, NO_SUM, ALL)                                       \
  X(volume, edge_length, VOLUME_EDGES, 1, "", "", NONE, NO_SUM, ALL)

/* The entry points of one member, by its forms. */
#define GRIDLUME_MESH_STATISTICS_DECLARE_PLAIN(name) \
  GRIDLUME_API int gridlume_mesh_compute_statistics_##name(gridlume_mesh *mesh);
#define GRIDLUME_MESH_STATISTICS_DECLARE_PLAIN_VALID(name)                               \
  GRIDLUME_MESH_STATISTICS_DECLARE_PLAIN(name)                                          \
  GRIDLUME_API int gridlume_mesh_compute_statistics_##name##_valid(gridlume_mesh *mesh, \
                                                                  const char *prefix);
#define GRIDLUME_MESH_STATISTICS_DECLARE_ALL(name)                                      \
  GRIDLUME_MESH_STATISTICS_DECLARE_PLAIN_VALID(name)                                   \
  GRIDLUME_API int gridlume_mesh_compute_statistics_##name##_with_custom_histogram(    \
      gridlume_mesh *mesh, int threshold_count, const double *thresholds);             \
  GRIDLUME_API int gridlume_mesh_compute_statistics_##name##_with_custom_histogram_valid( \
      gridlume_mesh *mesh, const char *prefix, int threshold_count, const double *thresholds);
#define GRIDLUME_MESH_STATISTICS_DECLARE_MEMBER(kind, measure, report, values, display_name, \
                                                key_pattern, bins, sum, forms)              \
  GRIDLUME_MESH_STATISTICS_DECLARE_##forms(kind##_##measure)
GRIDLUME_MESH_STATISTICS_MEMBERS(GRIDLUME_MESH_STATISTICS_DECLARE_MEMBER)

/* ---- Whole-mesh reports ---------------------------------------------------- */

/* The full human report: "Mesh statistics : ", the element counts and every
   measure report with its default thresholds (area, volume, height,
   planarity and edge lengths without histogram). -1 for a NULL mesh, a mesh
   without context, or at the first report that fails (the rest are then not
   run). */
GRIDLUME_API int gridlume_mesh_compute_statistics(gridlume_mesh *mesh);

/* The same reports in the key style with the prefix, then the topological
   statistics in the key style; answers the status of the topological
   statistics. -1 (nothing sent) for a NULL mesh, a NULL prefix or a mesh
   without context. */
GRIDLUME_API int gridlume_mesh_compute_statistics_valid(gridlume_mesh *mesh, const char *prefix);

/* A short human report: "Mesh statistics : ", the element counts, and the
   minimum, average, maximum and variance of the triangle and tetrahedron
   aspect ratios with the worst element of each and its vertices. -1 for a
   NULL mesh or a mesh without context. */
GRIDLUME_API int gridlume_mesh_compute_statistics0(gridlume_mesh *mesh);

/* One line per positive count of vertices, edges, triangles, quadrangles,
   tetrahedra, hexahedra, pyramids, prisms and subdomains, in that order; a
   count query that fails counts as 0. -1 for a NULL mesh or a mesh without
   context. */
GRIDLUME_API int gridlume_mesh_compute_statistics_element_count(gridlume_mesh *mesh);
/* The same in the key style ("VALID.<prefix>.<entity>.count = <n>"); a NULL
   prefix selects the human style. */
GRIDLUME_API int gridlume_mesh_compute_statistics_element_count_valid(gridlume_mesh *mesh,
                                                                     const char *prefix);

/* When the mesh has both triangles and quadrangles, the share of each among
   them: "VALID.<prefix>.triangle.ratio = <r>" and
   "VALID.<prefix>.quadrangle.ratio = <r>"; nothing otherwise. The plain form
   and a NULL prefix write "mesh" in place of the prefix. -1 for a NULL mesh
   or a mesh without context. */
GRIDLUME_API int gridlume_mesh_compute_statistics_2D_element_ratio(gridlume_mesh *mesh);
GRIDLUME_API int gridlume_mesh_compute_statistics_2D_element_ratio_valid(gridlume_mesh *mesh,
                                                                        const char *prefix);

GRIDLUME_END_DECLS

#endif
