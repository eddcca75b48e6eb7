/*
 * Gridlume: parametric-domain checks of cad faces.
 *
 * A face is its surface restricted to the part of the (u, v) plane that its
 * edges enclose. These checks pull parameters back into the face's range
 * and tell whether a parameter pair lies in the trimmed domain.
 */
#ifndef GRIDLUME_CAD_DOMAIN_H
#define GRIDLUME_CAD_DOMAIN_H

#include "gridlume/cad.h"

GRIDLUME_BEGIN_DECLS

/* Clamps uv in place into the face's parametric range, leaving a direction
   in which the face is periodic unclamped; the lower bound is tested first
   on each axis. count (when not NULL) receives the number of clampings, 0
   to 2. When the range is not known nothing changes and count is not
   written. -1 for a NULL face or uv. */
GRIDLUME_API int gridlume_cad_face_check_point_parametric_range(gridlume_cad_face *face, double *uv,
                                                                int *count);
/* inside receives 1 when uv lies in the face's trimmed domain (on its
   boundary included), else 0. The first call builds the face's domain
   structure from the support vertices of its edges; when that fails (an
   edge without support vertices, a degenerate bounding box, a boundary
   that crosses itself even with every support vertex kept) the face is
   marked, the failure's status (-1, or -5 when memory fails) is returned
   and every later call answers -1. -1 for a NULL pointer. */
GRIDLUME_API int gridlume_cad_face_check_uv(gridlume_cad_face *face, const double *uv, int *inside);

GRIDLUME_END_DECLS

#endif
