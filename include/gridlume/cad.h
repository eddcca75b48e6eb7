/*
 * Gridlume: the CAD object.
 *
 * A cad describes a boundary-representation geometry that the caller owns:
 * faces evaluated through caller surface functions, edges through curve
 * functions in their face's parameter plane, wires through curves in space,
 * with the topology, identifiers and tags that mesh generators copy into the
 * meshes they produce.
 */
#ifndef GRIDLUME_CAD_H
#define GRIDLUME_CAD_H

#include "gridlume/common.h"

GRIDLUME_BEGIN_DECLS

/* A new cad attached to the context, which deletes it with itself; NULL when
   the context is NULL or memory fails. */
GRIDLUME_API gridlume_cad *gridlume_cad_new(gridlume_context *context);
/* Releases the caller's reference to the cad; NULL is ignored. */
GRIDLUME_API void gridlume_cad_delete(gridlume_cad *cad);
/* Writes the cad's context; the context is set to NULL first, and -1 is
   returned when the handle is NULL or not a cad. */
GRIDLUME_API int gridlume_cad_get_context(gridlume_cad *cad, gridlume_context **context);

GRIDLUME_END_DECLS

#endif
