/*
 * Gridlume: wires, vertices and polygonal faces of a cad.
 *
 * A wire is a curve in space that belongs directly to the cad; a vertex is a
 * point of space shared by the whole cad, found by its id; a polygonal face
 * is a planar polygon given by its corners. Identification, extremities,
 * flags, original ids, lists and reference counting are in cad_accessors.h.
 */
#ifndef GRIDLUME_CAD_WIRE_H
#define GRIDLUME_CAD_WIRE_H

#include "gridlume/cad.h"

GRIDLUME_BEGIN_DECLS

/* ---- Wires ------------------------------------------------------------------ */

/* A new wire of the cad on [tmin, tmax], counted on the cad. NULL when the
   cad or the curve function is NULL or memory fails. */
GRIDLUME_API gridlume_cad_wire *gridlume_cad_wire_new(gridlume_cad *cad, int id, double tmin,
                                                      double tmax,
                                                      gridlume_cad_wire_curve_function curve,
                                                      void *user_data);
/* The polyline through n points of space (3n reals), parameterised by its
   length; its points are its support vertices. NULL when the cad or xyz is
   NULL, n < 1, or memory fails. */
GRIDLUME_API gridlume_cad_wire *gridlume_cad_wire_new_newton1(gridlume_cad *cad, int id, int n,
                                                              const double *xyz);
/* A copy that belongs to no cad, as for edges (gridlume_cad_edge_new_copy). */
GRIDLUME_API gridlume_cad_wire *gridlume_cad_wire_new_copy(gridlume_cad_wire *wire);
/* Appends a wire that belongs to no cad to the cad, as faces are attached. */
GRIDLUME_API int gridlume_cad_wire_attach(gridlume_cad_wire *wire, gridlume_cad *cad);

/* Evaluates the wire at t through its curve function (outputs are not
   zeroed first) and returns its status; -1 without a curve function. */
GRIDLUME_API int gridlume_cad_wire_curve(gridlume_cad_wire *wire, double t, double *xyz,
                                         double *dt, double *dtt);
/* A wire is its own original geometry: the wire, t, and its range. */
GRIDLUME_API int gridlume_cad_wire_get_original_geometry(gridlume_cad_wire *wire, double t,
                                                         gridlume_cad_wire **wire0, double *t0,
                                                         double *tmin, double *tmax);
/* The wire's support vertices (t: n, xyz: 3n reals, owned by the wire;
   outputs other than the count may be NULL): from its support-vertices
   function when it has one, else from its record. -1 when it has neither. */
GRIDLUME_API int gridlume_cad_wire_get_support_vertices(gridlume_cad_wire *wire, int *n,
                                                        double **t, double **xyz);

/* 1 when the wire has a discrete definition (a mesh it owns). */
GRIDLUME_API int gridlume_cad_wire_has_discrete_definition(gridlume_cad_wire *wire, int *flag);
/* The wire's discrete definition; -1 when it has none. */
GRIDLUME_API int gridlume_cad_wire_get_discrete_definition(gridlume_cad_wire *wire,
                                                           gridlume_mesh **mesh);

/* ---- Vertices ------------------------------------------------------------- */

/* The vertex of the cad with that id: the existing one, unchanged, when the
   id is known; otherwise a new vertex at xyz. NULL when the cad or xyz is
   NULL or memory fails. */
GRIDLUME_API gridlume_cad_vertex *gridlume_cad_vertex_new(gridlume_cad *cad, int id,
                                                          const double *xyz);
GRIDLUME_API int gridlume_cad_vertex_get_coordinates(gridlume_cad_vertex *vertex, double *xyz);
/* A vertex is its own original geometry. */
GRIDLUME_API int gridlume_cad_vertex_get_original_geometry(gridlume_cad_vertex *vertex,
                                                           gridlume_cad_vertex **vertex0);

/* ---- Polygonal faces --------------------------------------------------------- */

/* A polygonal face of the cad with n sides and a copy of its n corners
   (3n reals); its side and corner arrays start at 0. Counted on the cad.
   NULL when the cad or xyz is NULL, n < 1, or memory fails. */
GRIDLUME_API gridlume_cad_polygonal_face *gridlume_cad_polygonal_face_new(gridlume_cad *cad,
                                                                          int id, int n,
                                                                          const double *xyz);
/* Copies the 3n corner coordinates out. */
GRIDLUME_API int gridlume_cad_polygonal_face_get_points_coordinates(
    gridlume_cad_polygonal_face *face, double *xyz);

GRIDLUME_END_DECLS

#endif
