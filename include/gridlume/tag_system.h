/*
 * Gridlume: tag systems and composite tags.
 *
 * Entity tags are plain integers. A tag system gives a combination of tags a
 * tag of its own, a composite tag, and remembers the base tags it stands for
 * (its definition). Definitions are sets of base tags: a composite built from
 * other composites stands for all their base tags. Tag 0 is always a base tag.
 * A mesh may own one tag system; without one, every tag is its own
 * definition.
 *
 * Integer lists written by these operations must hold
 * gridlume_tag_system_get_buffer_size() bytes; a generic buffer of the mesh
 * (gridlume_mesh_calloc_generic_buffer) always does.
 */
#ifndef GRIDLUME_TAG_SYSTEM_H
#define GRIDLUME_TAG_SYSTEM_H

#include "gridlume/common.h"

GRIDLUME_BEGIN_DECLS

/* ---- Life cycle --------------------------------------------------------- */

/* A new tag system that knows base tag 0, sized for about
   expected_tag_count tags (negative counts as 0; it only sizes the tables).
   NULL when memory fails. */
GRIDLUME_API gridlume_tag_system *gridlume_tag_system_new(int expected_tag_count);
/* Releases the tag system; NULL is ignored. Never call it on a tag system a
   mesh owns: the mesh deletes its own. */
GRIDLUME_API void gridlume_tag_system_delete(gridlume_tag_system *tag_system);
/* A deep copy: the same tags, definitions and next-tag counter. NULL for a
   NULL argument or when memory fails. */
GRIDLUME_API gridlume_tag_system *gridlume_tag_system_clone(const gridlume_tag_system *tag_system);

/* ---- Tags --------------------------------------------------------------- */

/* Records `tag` as a base tag. 0 when it is already known, as base or
   composite (nothing changes then); -1 for a NULL tag system; -5 when memory
   fails (nothing recorded). */
GRIDLUME_API int gridlume_tag_system_add_base_tag(gridlume_tag_system *tag_system, int tag);
/* Invents a base tag: the next-tag counter advances while its value is a
   known tag, then that value becomes a base tag and is written to *tag.
   -1 when a pointer is NULL or the counter has no unknown value left, -5
   when memory fails. */
GRIDLUME_API int gridlume_tag_system_create_base_tag(gridlume_tag_system *tag_system, int *tag);

/* The tag standing for the combination of the n tags of `tags` (the list is
   sorted in place; its order afterwards is unspecified). The combination is
   the union of the definitions of the given tags. When a known tag has
   exactly that definition, it is the answer (a single base tag answers
   itself); otherwise a new composite tag is created: *composite on entry is a
   proposed value, used when it is at least 1 and unknown; otherwise the
   next-tag counter supplies the first unknown value above it.
   Writes the tag to *composite and returns 0; n = 0 answers tag 0.
   Returns 1 and writes 0 when a given tag is unknown; -5 and writes 0 when
   memory fails (nothing recorded); -1 when tag_system or composite is NULL,
   n is negative, tags is NULL with n > 0, or the counter has no unknown
   value left for a new composite. */
GRIDLUME_API int gridlume_tag_system_get_composite_tag(gridlume_tag_system *tag_system,
                                                       int *tags, int n, int *composite);
/* Writes the base tags that `tag` stands for to list (even tags first, then
   odd ones) and their number to *count. 1 when the tag is unknown (count 0);
   -1 when a pointer is NULL. */
GRIDLUME_API int gridlume_tag_system_get_composite_tag_definition(
    const gridlume_tag_system *tag_system, int tag, int *count, int *list);
/* Writes every composite tag, in order of creation, to list and their number
   to *count. A NULL tag system has none (count 0, status 0); -1 when count
   or list is NULL. */
GRIDLUME_API int gridlume_tag_system_get_composite_tag_list(
    const gridlume_tag_system *tag_system, int *count, int *list);

/* Number of known tags, base and composite (0 for a NULL tag system).
   -1 when count is NULL. */
GRIDLUME_API int gridlume_tag_system_get_tag_count(const gridlume_tag_system *tag_system,
                                                   int *count);
/* The i-th known tag, i from 1 to the tag count, in order of first
   appearance. -1 when a pointer is NULL or i is out of range. */
GRIDLUME_API int gridlume_tag_system_get_tag_tag(const gridlume_tag_system *tag_system, int i,
                                                 int *tag);
/* 0 when the tag is known (base or composite), -1 otherwise or for NULL. */
GRIDLUME_API int gridlume_tag_system_is_tag_present(const gridlume_tag_system *tag_system,
                                                    int tag);
/* 0 when the tag is a base tag, -1 otherwise or for NULL. */
GRIDLUME_API int gridlume_tag_system_is_base_tag_present(const gridlume_tag_system *tag_system,
                                                         int tag);
/* Bytes an integer list needs to receive any definition or the composite
   list: 4 x the largest of 2, the tag count and the longest definition.
   8 for a NULL tag system. */
GRIDLUME_API int gridlume_tag_system_get_buffer_size(const gridlume_tag_system *tag_system);

/* ---- Tag systems of meshes ---------------------------------------------- */

/* Deletes the mesh's tag system and clears it. -1 for a NULL mesh. */
GRIDLUME_API int gridlume_mesh_clear_tag_system(gridlume_mesh *mesh);
/* Gives the destination a clone of the source's tag system: NULL when the
   source has none or the clone fails. The destination's previous tag system
   is not released. -1 when either mesh is NULL, else 0. */
GRIDLUME_API int gridlume_mesh_clone_tag_system(gridlume_mesh *source,
                                                gridlume_mesh *destination);
/* Records the tag of every vertex, element and subdomain of the mesh as a
   base tag of the mesh's tag system, creating the tag system when the mesh
   has none. A failing count getter counts as 0; the first other failing
   getter ends the walk and its status is returned. -1 for a NULL mesh, -5
   when memory fails. */
GRIDLUME_API int gridlume_mesh_create_tag_system_from_existing_tags(gridlume_mesh *mesh);
/* As gridlume_tag_system_get_composite_tag_definition on the mesh's tag
   system; without one, count 1 and list[0] = tag. -1 when a pointer is
   NULL. */
GRIDLUME_API int gridlume_mesh_get_composite_tag_definition(gridlume_mesh *mesh, int tag,
                                                            int *count, int *list);
/* As gridlume_tag_system_get_composite_tag_list on the mesh's tag system;
   without one, count 0 and list[0] = 0. -1 when a pointer is NULL. */
GRIDLUME_API int gridlume_mesh_get_composite_tag_list(gridlume_mesh *mesh, int *count,
                                                      int *list);

/* Extracts from a surface mesh the part touched by modified tags: the tags
   of new_tag_system that are not base tags of old_tag_system (every tag of
   new_tag_system when old_tag_system has none). The new in-memory mesh, in
   the mesh's context, gets the dimension and every vertex (same numbers,
   coordinates and tags), the edges whose tag is modified, and the triangles
   whose tag is modified or that share a side with one of those edges, all in
   source order with their vertices and tags. It is written to
   *modified_surface whatever the status; on failure it holds what was built
   so far and the caller deletes it. -1 when a pointer is NULL or the mesh
   has no context, -5 when memory fails (NULL written when the new mesh could
   not be made), or the status of a failing callback of the mesh. */
GRIDLUME_API int gridlume_mesh_tag_system_get_modified_surface(
    const gridlume_tag_system *old_tag_system, const gridlume_tag_system *new_tag_system,
    gridlume_mesh *mesh, gridlume_mesh **modified_surface);

GRIDLUME_END_DECLS

#endif
