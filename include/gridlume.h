/*
 * Gridlume: the core shared library of a family of mesh generators.
 *
 * One header per object family; this one includes them all. Every exported
 * name is gridlume_<object>_<operation>. Handles are opaque; every operation
 * returns an int status (0 success, -1 error, -5 memory exhausted) unless it
 * is a constructor, which returns the new handle or NULL.
 */
#ifndef GRIDLUME_H
#define GRIDLUME_H

#include "gridlume/common.h"
#include "gridlume/cad.h"
#include "gridlume/cad_accessors.h"
#include "gridlume/cad_domain.h"
#include "gridlume/cad_edge.h"
#include "gridlume/cad_face.h"
#include "gridlume/cad_periodicity.h"
#include "gridlume/cad_wire.h"
#include "gridlume/context.h"
#include "gridlume/dcad.h"
#include "gridlume/element_generation_map.h"
#include "gridlume/highorder.h"
#include "gridlume/mesh.h"
#include "gridlume/mesh_checks.h"
#include "gridlume/mesh_cracker.h"
#include "gridlume/mesh_formats.h"
#include "gridlume/mesh_io.h"
#include "gridlume/mesh_iterators.h"
#include "gridlume/mesh_memory.h"
#include "gridlume/proximity.h"
#include "gridlume/quality.h"
#include "gridlume/sizemap.h"
#include "gridlume/sizemap_creator.h"
#include "gridlume/statistics.h"
#include "gridlume/tag_system.h"
#include "gridlume/topological_statistics.h"

#endif
