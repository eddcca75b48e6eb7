/*
 * Gridlume: edges of the faces of a cad.
 *
 * An edge carries a caller curve function mapping t to a point of its
 * face's parameter plane, and may carry a curve in space. The library also
 * derives edges of its own: finite-difference edges, straight segments,
 * polylines and affine images of other edges. Identification, extremities,
 * flags, property bits, original ids and reference counting are in
 * cad_accessors.h.
 */
#ifndef GRIDLUME_CAD_EDGE_H
#define GRIDLUME_CAD_EDGE_H

#include "gridlume/cad.h"

GRIDLUME_BEGIN_DECLS

/* A new edge of the face on [tmin, tmax]: appended to the face's edges,
   counted on the face's root (its cad, or the face itself when the face
   belongs to no cad). NULL when the face or the curve function is NULL, the
   face is discrete, or memory fails. */
GRIDLUME_API gridlume_cad_edge *gridlume_cad_edge_new(gridlume_cad_face *face, int id, double tmin,
                                                      double tmax,
                                                      gridlume_cad_curve_function curve,
                                                      void *user_data);
/* The same for a curve function that computes only uv: the library supplies
   the derivatives by finite differences with a step of a thousandth of the
   range (at least 1e-7), one-sided near the ends of the range. */
GRIDLUME_API gridlume_cad_edge *gridlume_cad_edge_new0(gridlume_cad_face *face, int id,
                                                       double tmin, double tmax,
                                                       gridlume_cad_curve_function curve,
                                                       void *user_data);
/* The straight segment from uv0 to uv1 on [0, 1]. On a face whose surface
   evaluates at both ends, its two ends are its support vertices. A NULL
   face gives an edge that belongs to no face (and has no support vertices).
   NULL when uv0 or uv1 is NULL or memory fails. */
GRIDLUME_API gridlume_cad_edge *gridlume_cad_edge_new_segment(gridlume_cad_face *face, int id,
                                                              const double *uv0,
                                                              const double *uv1);
/* The polyline through n points of the face's parameter plane (uv, 2n
   reals), parameterised by its length in the parameter plane, with their
   points in space when xyz (3n reals) is not NULL (then also its curve in
   space). Its points are its support vertices. NULL when the face or uv is
   NULL, n < 1, or memory fails. */
GRIDLUME_API gridlume_cad_edge *gridlume_cad_edge_new_newton1(gridlume_cad_face *face, int id,
                                                              int n, const double *uv,
                                                              const double *xyz);
/* The same with, for each point, the edge it lies on and its parameter on
   that edge: a change of edge adds no length, each run of points on one
   edge keeps a reference to that edge, and with both arrays the polyline's
   original geometry is the run's edge at the interpolated parameter. */
GRIDLUME_API gridlume_cad_edge *gridlume_cad_edge_new_newton1_with_ea(
    gridlume_cad_face *face, int id, int n, const double *uv, const double *xyz,
    gridlume_cad_edge **edges, const double *edge_parameters);
/* The image of `edge` by uv' = (a_u u + b_u, a_v v + b_v) on its range,
   with its tag, orientation, property bits and original ids; its original
   geometry is the source's. A NULL face gives an edge that belongs to no
   face. NULL when the edge, a or b is NULL or memory fails. */
GRIDLUME_API gridlume_cad_edge *gridlume_cad_edge_new_afftrans(gridlume_cad_face *face,
                                                               gridlume_cad_edge *edge, int id,
                                                               const double *a, const double *b);

/* Appends an edge that belongs to no face to the face; the references held
   through the edge then count on the face's root. -1 for NULL arguments, an
   edge that belongs to a face or a discrete face, -5 when memory fails. */
GRIDLUME_API int gridlume_cad_edge_attach(gridlume_cad_edge *edge, gridlume_cad_face *face);
/* A copy that belongs to no face (one reference of its own) with every
   field of the edge, the clone function's result as user data (the same
   pointer without one), a copy of its original ids, and the same support
   vertices. NULL for NULL or when memory or the clone function fails. */
GRIDLUME_API gridlume_cad_edge *gridlume_cad_edge_new_copy(gridlume_cad_edge *edge);

/* Evaluates the curve at t: every non-NULL output (2 reals each) is
   zeroed, then the curve function is called; its status is returned. */
GRIDLUME_API int gridlume_cad_edge_curve(gridlume_cad_edge *edge, double t, double *uv,
                                         double *dt, double *dtt);
/* Evaluates the curve in space at t (xyz zeroed first); -1 without one. */
GRIDLUME_API int gridlume_cad_edge_curve3d(gridlume_cad_edge *edge, double t, double *xyz);
GRIDLUME_API int gridlume_cad_edge_set_curve3d(gridlume_cad_edge *edge,
                                               gridlume_cad_curve3d_function curve3d,
                                               void *user_data);
GRIDLUME_API int gridlume_cad_edge_get_curve3d(gridlume_cad_edge *edge,
                                               gridlume_cad_curve3d_function *curve3d,
                                               void **user_data);
GRIDLUME_API int gridlume_cad_edge_has_curve3d(gridlume_cad_edge *edge, int *flag);

GRIDLUME_API int gridlume_cad_edge_set_range(gridlume_cad_edge *edge, double tmin, double tmax);
/* 1 when the curve function supplies its own derivatives, 0 for an edge
   made by gridlume_cad_edge_new0. */
GRIDLUME_API int gridlume_cad_edge_get_wdef(gridlume_cad_edge *edge, int *flag);

/* The edge and parameter this edge was derived from at t, with the
   parameter interval of the piece holding t; for an edge not derived from
   another, the edge itself with t0 = tmin = tmax = t. */
GRIDLUME_API int gridlume_cad_edge_get_original_geometry(gridlume_cad_edge *edge, double t,
                                                         gridlume_cad_edge **edge0, double *t0,
                                                         double *tmin, double *tmax);

/* Resizes the edge's own support vertices to n (new ones 0; n = 0 empties
   them). An edge sharing its support vertices with copies first gets its
   own copy of them. -1 for a NULL edge or n < 0, -5 when memory fails. */
GRIDLUME_API int gridlume_cad_edge_set_support_vertex_count(gridlume_cad_edge *edge, int n);
/* Stores support vertex i (1..n): its t, uv (2 reals) and xyz (3 reals). */
GRIDLUME_API int gridlume_cad_edge_set_support_vertex(gridlume_cad_edge *edge, int i, double t,
                                                      const double *uv, const double *xyz);
/* The edge's support vertices: their count and arrays (t: n, uv: 2n,
   xyz: 3n reals, owned by the edge; outputs other than the count may be
   NULL). -1 when the edge has none. */
GRIDLUME_API int gridlume_cad_edge_get_support_vertices(gridlume_cad_edge *edge, int *n,
                                                        double **t, double **uv, double **xyz);

/* 1 for an edge of a discrete face. */
GRIDLUME_API int gridlume_cad_edge_has_discrete_definition(gridlume_cad_edge *edge, int *flag);
/* The vertex indices of an edge of a discrete face (owned by the edge) and
   their count; -1 for an edge of a face that is not discrete. */
GRIDLUME_API int gridlume_cad_edge_get_discrete_definition(gridlume_cad_edge *edge, int *count,
                                                           int **indices);

GRIDLUME_END_DECLS

#endif
