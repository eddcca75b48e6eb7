/*
 * Gridlume: the discretised cad (dcad).
 *
 * A dcad is a companion of a cad that keeps, for any of its edges and
 * wires, a discretisation: an ordered list of vertices with their
 * parameters, coordinates and tags, and property bits. A mesher fills it
 * and the next stage reads it back. A discretisation belongs to one edge or
 * wire object, not to an id. The dcad is not attached to the context: the
 * caller deletes it, before the cad.
 */
#ifndef GRIDLUME_DCAD_H
#define GRIDLUME_DCAD_H

#include "gridlume/cad.h"

GRIDLUME_BEGIN_DECLS

typedef struct gridlume_dcad gridlume_dcad;
typedef struct gridlume_dcad_edge_discretization gridlume_dcad_edge_discretization;
typedef struct gridlume_dcad_wire_discretization gridlume_dcad_wire_discretization;

/* A new dcad of the cad, its tables sized from the cad's edges and wires.
   NULL when the cad is NULL or memory fails. */
GRIDLUME_API gridlume_dcad *gridlume_dcad_new(gridlume_cad *cad);
/* Deletes the dcad with every discretisation; NULL is ignored. */
GRIDLUME_API void gridlume_dcad_delete(gridlume_dcad *dcad);
/* The cad of the dcad; -1 when a pointer is NULL. */
GRIDLUME_API int gridlume_dcad_get_cad(gridlume_dcad *dcad, gridlume_cad **cad);

/* The edge's discretisation, made empty (0 vertices) on the first request.
   -1 with a NULL result when the edge's face is not of the dcad's cad, -5
   with a NULL result when memory fails. */
GRIDLUME_API int gridlume_dcad_get_edge_discretization(
    gridlume_dcad *dcad, gridlume_cad_edge *edge,
    gridlume_dcad_edge_discretization **discretization);
/* The edge's discretisation if one was made, else NULL; never makes one.
   0, or -1 when a pointer is NULL. */
GRIDLUME_API int gridlume_dcad_query_edge_discretization(
    gridlume_dcad *dcad, gridlume_cad_edge *edge,
    gridlume_dcad_edge_discretization **discretization);
/* The same for a wire of the dcad's cad. */
GRIDLUME_API int gridlume_dcad_get_wire_discretization(
    gridlume_dcad *dcad, gridlume_cad_wire *wire,
    gridlume_dcad_wire_discretization **discretization);
GRIDLUME_API int gridlume_dcad_query_wire_discretization(
    gridlume_dcad *dcad, gridlume_cad_wire *wire,
    gridlume_dcad_wire_discretization **discretization);

/* ---- Edge discretisations (vertex index i from 1 to the count) ------------- */
/* Every accessor returns -1 without effect for a NULL discretisation or an
   index out of range. */

/* Resizes to n vertices: vertices kept keep their values, new ones are all
   zero, 0 frees everything. -1 for n < 0, -5 when memory fails (the count
   is then unchanged). */
GRIDLUME_API int gridlume_dcad_edge_discretization_set_vertex_count(
    gridlume_dcad_edge_discretization *discretization, int n);
GRIDLUME_API int gridlume_dcad_edge_discretization_get_vertex_count(
    gridlume_dcad_edge_discretization *discretization, int *n);
/* Sets vertex i's parameter, and its uv and xyz unless they are NULL. */
GRIDLUME_API int gridlume_dcad_edge_discretization_set_vertex_coordinates(
    gridlume_dcad_edge_discretization *discretization, int i, double t, const double *uv,
    const double *xyz);
/* Vertex i's parameter, uv and xyz; each output may be NULL. */
GRIDLUME_API int gridlume_dcad_edge_discretization_get_vertex_coordinates(
    gridlume_dcad_edge_discretization *discretization, int i, double *t, double *uv, double *xyz);
GRIDLUME_API int gridlume_dcad_edge_discretization_set_vertex_tag(
    gridlume_dcad_edge_discretization *discretization, int i, int tag);
GRIDLUME_API int gridlume_dcad_edge_discretization_get_vertex_tag(
    gridlume_dcad_edge_discretization *discretization, int i, int *tag);
/* ORs the mask into the property bits. */
GRIDLUME_API int gridlume_dcad_edge_discretization_set_property(
    gridlume_dcad_edge_discretization *discretization, int mask);
/* 1 when any bit of the mask is set, else 0. */
GRIDLUME_API int gridlume_dcad_edge_discretization_query_property(
    gridlume_dcad_edge_discretization *discretization, int mask, int *flag);

/* ---- Wire discretisations: the same without uv ------------------------------ */

GRIDLUME_API int gridlume_dcad_wire_discretization_set_vertex_count(
    gridlume_dcad_wire_discretization *discretization, int n);
GRIDLUME_API int gridlume_dcad_wire_discretization_get_vertex_count(
    gridlume_dcad_wire_discretization *discretization, int *n);
GRIDLUME_API int gridlume_dcad_wire_discretization_set_vertex_coordinates(
    gridlume_dcad_wire_discretization *discretization, int i, double t, const double *xyz);
GRIDLUME_API int gridlume_dcad_wire_discretization_get_vertex_coordinates(
    gridlume_dcad_wire_discretization *discretization, int i, double *t, double *xyz);
GRIDLUME_API int gridlume_dcad_wire_discretization_set_vertex_tag(
    gridlume_dcad_wire_discretization *discretization, int i, int tag);
GRIDLUME_API int gridlume_dcad_wire_discretization_get_vertex_tag(
    gridlume_dcad_wire_discretization *discretization, int i, int *tag);
GRIDLUME_API int gridlume_dcad_wire_discretization_set_property(
    gridlume_dcad_wire_discretization *discretization, int mask);
GRIDLUME_API int gridlume_dcad_wire_discretization_query_property(
    gridlume_dcad_wire_discretization *discretization, int mask, int *flag);

GRIDLUME_END_DECLS

#endif
