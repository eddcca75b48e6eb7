/*
 * Gridlume: faces of a cad and the points of their parameter planes.
 *
 * A face carries a caller surface function mapping (u, v) to a point of
 * space with its derivatives, the edges that bound it in its parameter plane
 * and the points that lie in it. Identification, flags, property bits,
 * original ids, lists and reference counting are in cad_accessors.h.
 */
#ifndef GRIDLUME_CAD_FACE_H
#define GRIDLUME_CAD_FACE_H

#include "gridlume/cad.h"

GRIDLUME_BEGIN_DECLS

/* ---- Faces -------------------------------------------------------------- */

/* A new face of the cad with its surface function: appended to the cad's
   faces, counted on the cad (delete the handle once). NULL when the cad or
   the surface function is NULL or memory fails. */
GRIDLUME_API gridlume_cad_face *gridlume_cad_face_new(gridlume_cad *cad, int id,
                                                      gridlume_cad_surface_function surface,
                                                      void *user_data);
/* Appends a face that belongs to no cad to the cad; the references held
   through the face (its handles and its edges') then count on the cad.
   -1 for NULL arguments or a face that already belongs to a cad, -5 when
   memory fails (nothing changed). */
GRIDLUME_API int gridlume_cad_face_attach(gridlume_cad_face *face, gridlume_cad *cad);
/* Removes the face from its cad (the cad's last face takes its slot); the
   references held through the face leave the cad with it, so its handles
   are still deleted once each; a face no handle holds any more is destroyed
   at once. -1 for NULL or a face that belongs to no cad. */
GRIDLUME_API int gridlume_cad_face_remove(gridlume_cad_face *face);
/* A copy that belongs to no cad (one reference of its own): the ids, tag,
   orientation, property bits, ranges, periodicity, functions and flags of
   the face, a copy of its original ids, the clone function's result as user
   data (the same pointer without one), and no edges or points. NULL for
   NULL or when memory or the clone function fails. */
GRIDLUME_API gridlume_cad_face *gridlume_cad_face_new_copy(gridlume_cad_face *face);
/* A face whose parameters are those of `face` changed by u' = a_u (u - b_u),
   v' = a_v (v - b_v): its surface at (u', v') is the source surface at
   (u'/a_u + b_u, v'/a_v + b_v), derivatives scaled accordingly. It copies
   the source's tag, orientation, tessellator, periodicity (periods times a),
   parametric range (mapped) and original ids (the source's list, or its id),
   and keeps a reference to the source face. With clone_points non-zero the
   source's points are copied with their uv mapped. `unused` is ignored.
   A NULL cad gives a face that belongs to no cad. NULL when the face, a or
   b is NULL, a component of a is 0, or memory fails. */
GRIDLUME_API gridlume_cad_face *gridlume_cad_face_new_pafftrans(gridlume_cad *cad,
                                                                gridlume_cad_face *face, int id,
                                                                const double *a, const double *b,
                                                                int unused, int clone_points);

/* Evaluates the surface at uv: every non-NULL output (3 reals each) is
   zeroed, then the surface function is called; its status is returned.
   -1 for a NULL face or a face without a surface function. */
GRIDLUME_API int gridlume_cad_face_surface(gridlume_cad_face *face, const double *uv, double *xyz,
                                           double *du, double *dv, double *duu, double *duv,
                                           double *dvv);

/* Stores urange = {umin, umax} and vrange = {vmin, vmax} as the known
   parametric range; when either is NULL the range becomes unknown. */
GRIDLUME_API int gridlume_cad_face_set_surface_parametric_range(gridlume_cad_face *face,
                                                                const double *urange,
                                                                const double *vrange);
/* The known range, or (-inf, +inf) for u and for v when it is unknown. */
GRIDLUME_API int gridlume_cad_face_get_surface_parametric_range(gridlume_cad_face *face,
                                                                double *urange, double *vrange);
/* 1 when the range is known. An unknown range is first computed as the
   bounding box of the uv of the support vertices of the face's edges; an
   edge without support vertices makes this -1 (a failing support-vertices
   function, its status) and leaves the range unknown. A face without edges
   keeps an unknown range (flag 0, status 0). */
GRIDLUME_API int gridlume_cad_face_has_surface_parametric_range(gridlume_cad_face *face,
                                                                int *flag);

/* Sets the periodic flags of u and v and stores the period of each periodic
   direction. A call with a non-zero flag marks the periodicity as given;
   one with both flags 0 leaves that mark as it was. */
GRIDLUME_API int gridlume_cad_face_set_surface_periodicity(gridlume_cad_face *face,
                                                           int u_periodic, int v_periodic,
                                                           double u_period, double v_period);
/* The flags and the periods of the periodic directions (0 otherwise); all
   four are 0 while no periodicity was given. */
GRIDLUME_API int gridlume_cad_face_get_surface_periodicity(gridlume_cad_face *face,
                                                           int *u_periodic, int *v_periodic,
                                                           double *u_period, double *v_period);

/* Two integers for the mesh generators; each is stored only when it is
   greater than 0. */
GRIDLUME_API int gridlume_cad_face_set_sd_info(gridlume_cad_face *face, int first, int second);
GRIDLUME_API int gridlume_cad_face_get_sd_info(gridlume_cad_face *face, int *first, int *second);

/* Marks the face's geometry as imposed (gridlume_cad_face_geometry_is_imposed). */
GRIDLUME_API int gridlume_cad_face_impose_discrete_geometry(gridlume_cad_face *face);

/* The translator to the face the face was derived from (NULL removes it). */
GRIDLUME_API int gridlume_cad_face_set_original_geometry_translator(
    gridlume_cad_face *face, gridlume_cad_face_original_geometry_translator translator);
/* The translator's answer for uv, called with the face's user data; without
   one, the face itself, the same uv and extra 0. -1 when a pointer is NULL. */
GRIDLUME_API int gridlume_cad_face_get_original_geometry(gridlume_cad_face *face, const double *uv,
                                                         gridlume_cad_face **face0, double *uv0,
                                                         long long *extra);

/* The tessellator and its data, stored for the mesh generators. */
GRIDLUME_API int gridlume_cad_face_set_tessellator(gridlume_cad_face *face,
                                                   gridlume_cad_tessellator_function tessellator,
                                                   void *data);
GRIDLUME_API int gridlume_cad_face_get_tessellator(gridlume_cad_face *face,
                                                   gridlume_cad_tessellator_function *tessellator,
                                                   void **data);
GRIDLUME_API int gridlume_cad_face_has_tessellator(gridlume_cad_face *face, int *flag);

/* Appends to the target face a copy of each point of the face (same id,
   tag, uv and flags). -5 when memory fails; the copies made so far stay. */
GRIDLUME_API int gridlume_cad_face_clone_points(gridlume_cad_face *face,
                                                gridlume_cad_face *target);

/* 1 when the face is discrete (it has a discrete definition). */
GRIDLUME_API int gridlume_cad_face_has_discrete_definition(gridlume_cad_face *face, int *flag);
/* The two meshes of the face's discrete definition, owned by the face.
   -1 when a pointer is NULL or the face is not discrete. */
GRIDLUME_API int gridlume_cad_face_get_discrete_definition(gridlume_cad_face *face,
                                                           gridlume_mesh **definition_mesh,
                                                           gridlume_mesh **geometry_mesh);

/* ---- Points --------------------------------------------------------------- */

/* A point of the face's parameter plane at uv, appended to the face's
   points; it lives as long as the face. NULL when the face or uv is NULL,
   the face is discrete, or memory fails. */
GRIDLUME_API gridlume_cad_point *gridlume_cad_point_new(gridlume_cad_face *face, int id,
                                                        const double *uv);
/* Removes the point from its face (the face's last point takes its slot)
   and frees it. NULL is ignored. */
GRIDLUME_API void gridlume_cad_point_delete(gridlume_cad_point *point);
/* The point's (u, v). */
GRIDLUME_API int gridlume_cad_point_get_uv(gridlume_cad_point *point, double *uv);

/* The vertex index of a point of a discrete face; -1 for a point of a face
   that is not discrete. */
GRIDLUME_API int gridlume_cad_point_get_discrete_definition(gridlume_cad_point *point,
                                                            int *index);

GRIDLUME_END_DECLS

#endif
