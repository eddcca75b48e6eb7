/*
 * Gridlume: periodicity of a cad.
 *
 * Id periodicity pairs one face, edge or point with another and is stored in
 * both directions; multiple periodicity pairs a list of faces (or edges)
 * with another list and a transformation of space carrying the first onto
 * the second, given as a function or computed from corresponding points.
 */
#ifndef GRIDLUME_CAD_PERIODICITY_H
#define GRIDLUME_CAD_PERIODICITY_H

#include "gridlume/cad.h"

GRIDLUME_BEGIN_DECLS

/* ---- Id periodicity ---------------------------------------------------------- */

/* Declares faces face1 and face2 periodic, stored under both ids. 0 without
   change when face1 = face2 or either is 0; -1 for a NULL cad or when an
   insertion fails (the first direction may then be stored). */
GRIDLUME_API int gridlume_cad_add_face_periodicity(gridlume_cad *cad, int face1, int face2);
/* Declares edge1 (of face1) and edge2 (of face2) periodic with the given
   orientation: (face1, face2, edge2, orientation) under edge1 and (face2,
   face1, edge1, orientation) under edge2. Face ids count only as a pair:
   when either is 0 both are stored as 0. 0 without change when an edge id
   is 0 or the two edges are the same edge of the same face; -1 for a NULL
   cad or when an insertion fails. */
GRIDLUME_API int gridlume_cad_add_edge_periodicity(gridlume_cad *cad, int face1, int edge1,
                                                   int face2, int edge2, int orientation);
/* The same for points: (face1, face2, point2) under point1 and (face2,
   face1, point1) under point2. */
GRIDLUME_API int gridlume_cad_add_point_periodicity(gridlume_cad *cad, int face1, int point1,
                                                    int face2, int point2);

/* The number of declarations stored under an id (0 for an unknown id). -1
   when a pointer is NULL. */
GRIDLUME_API int gridlume_cad_get_face_id_periodicity_count(gridlume_cad *cad, int face,
                                                            int *count);
GRIDLUME_API int gridlume_cad_get_edge_id_periodicity_count(gridlume_cad *cad, int edge,
                                                            int *count);
GRIDLUME_API int gridlume_cad_get_point_id_periodicity_count(gridlume_cad *cad, int point,
                                                             int *count);
/* The i-th declaration (from 1) stored under an id; the order is the same
   for every call while nothing is added. When the id is unknown or i is out
   of range every output is set to 0 and -1 is returned. */
GRIDLUME_API int gridlume_cad_get_face_id_periodicity(gridlume_cad *cad, int face, int i,
                                                      int *other_face);
GRIDLUME_API int gridlume_cad_get_edge_id_periodicity(gridlume_cad *cad, int edge, int i,
                                                      int *own_face, int *other_face,
                                                      int *other_edge, int *orientation);
GRIDLUME_API int gridlume_cad_get_point_id_periodicity(gridlume_cad *cad, int point, int i,
                                                       int *own_face, int *other_face,
                                                       int *other_point);

/* ---- Multiple periodicity ------------------------------------------------------ */

/* Appends an entry with copies of both id lists and the caller's
   transformation (not owned). Raises the cad's generic buffer size to hold
   either list. -1 when the cad or a list is NULL or a size negative, -5
   when memory fails (nothing appended). */
GRIDLUME_API int gridlume_cad_add_face_multiple_periodicity_with_transformation_function(
    gridlume_cad *cad, const int *ids1, int size1, const int *ids2, int size2,
    gridlume_transformation_function transformation, void *user_data);
GRIDLUME_API int gridlume_cad_add_edge_multiple_periodicity_with_transformation_function(
    gridlume_cad *cad, const int *ids1, int size1, const int *ids2, int size2,
    gridlume_transformation_function transformation, void *user_data);
/* Appends an entry whose transformation is computed from point_count1
   source points and point_count2 target points (3 reals each), as for
   gridlume_mesh_add_face_multiple_periodicity_with_transformation_function_
   by_points: a rejected set of pairs keeps the entry without a function and
   gives -1. -1 when a pointer is NULL (nothing appended), -5 when memory
   fails. */
GRIDLUME_API int gridlume_cad_add_face_multiple_periodicity_with_transformation_function_by_points(
    gridlume_cad *cad, const int *ids1, int size1, const int *ids2, int size2,
    const double *points1, int point_count1, const double *points2, int point_count2);
GRIDLUME_API int gridlume_cad_add_edge_multiple_periodicity_with_transformation_function_by_points(
    gridlume_cad *cad, const int *ids1, int size1, const int *ids2, int size2,
    const double *points1, int point_count1, const double *points2, int point_count2);

/* The number of entries; -1 when a pointer is NULL. */
GRIDLUME_API int gridlume_cad_get_face_multiple_periodicity_count(gridlume_cad *cad, int *count);
GRIDLUME_API int gridlume_cad_get_edge_multiple_periodicity_count(gridlume_cad *cad, int *count);
/* Entry i (from 1): copies its lists into the arrays *ids1 and *ids2 (a
   block from gridlume_cad_calloc_generic_buffer always suffices) and gives
   their sizes, the transformation and its data. -1 for i out of range or a
   NULL pointer. */
GRIDLUME_API int gridlume_cad_get_face_multiple_periodicity(
    gridlume_cad *cad, int i, int **ids1, int *size1, int **ids2, int *size2,
    gridlume_transformation_function *transformation, void **user_data);
GRIDLUME_API int gridlume_cad_get_edge_multiple_periodicity(
    gridlume_cad *cad, int i, int **ids1, int *size1, int **ids2, int *size2,
    gridlume_transformation_function *transformation, void **user_data);

GRIDLUME_END_DECLS

#endif
