/*
 * Gridlume: element iterators by tag.
 *
 * Three iterators list, for a tag t, the elements that touch an entity
 * carrying t:
 *
 *   tetra_using_edge_with_tag       tetrahedra having an edge tagged t
 *   tetra_using_triangle_with_tag   tetrahedra having a face that is a
 *                                   triangle tagged t
 *   triangle_using_edge_with_tag    triangles having an edge tagged t
 *
 * Tags are read through the mesh's tag system: an entity whose tag is
 * composite counts for every base tag of its definition and, when the
 * definition holds more than one base tag, for the composite tag itself.
 * An iterator is built once for a mesh (an index from tag to elements) and
 * then queried for any number of tags:
 *
 *   it = gridlume_mesh_iterator_tetra_using_edge_with_tag_new(mesh);
 *   gridlume_mesh_iterator_tetra_using_edge_with_tag_initialize(it, tag);
 *   while (gridlume_mesh_iterator_tetra_using_edge_with_tag_next(it))
 *     use(gridlume_mesh_iterator_tetra_using_edge_with_tag_get(it));
 *   gridlume_mesh_iterator_tetra_using_edge_with_tag_delete(it);
 *
 * Each element is returned once per tag, in an order of the iterator's own
 * (not the element numbering). The iterator reads the mesh only while it is
 * built; it is not attached to the context and is deleted by the caller.
 */
#ifndef GRIDLUME_MESH_ITERATORS_H
#define GRIDLUME_MESH_ITERATORS_H

#include "gridlume/common.h"

GRIDLUME_BEGIN_DECLS

/* The three families share one record: their handles are names of it. */
typedef struct gridlume_mesh_iterator gridlume_mesh_iterator;
typedef gridlume_mesh_iterator gridlume_mesh_iterator_tetra_using_edge_with_tag;
typedef gridlume_mesh_iterator gridlume_mesh_iterator_tetra_using_triangle_with_tag;
typedef gridlume_mesh_iterator gridlume_mesh_iterator_triangle_using_edge_with_tag;

/* The families, one row each: X(name, element kind, tagged entity kind). */
#define GRIDLUME_MESH_ITERATOR_FAMILIES(X)                   \
  X(tetra_using_edge_with_tag, tetrahedron, edge)            \
  X(tetra_using_triangle_with_tag, tetrahedron, triangle)    \
  X(triangle_using_edge_with_tag, triangle, edge)

/* For every family <f> of the table:

   gridlume_mesh_iterator_<f>_new(mesh)
     Builds the iterator. NULL for a NULL mesh, when a mesh query (a count,
     the vertices or the tag of an entity or element, a composite tag
     definition) fails, or when memory runs out; nothing is left behind.
     A tag the mesh's tag system does not know stands for itself.

   gridlume_mesh_iterator_<f>_initialize(iterator, tag)
     Selects the tag and rewinds. 0; -1 for a NULL iterator.

   gridlume_mesh_iterator_<f>_next(iterator)
     Advances to the next element of the selected tag: non-zero while there
     is one, 0 at the end (at once for a tag no entity carries) and for a
     NULL iterator.

   gridlume_mesh_iterator_<f>_get(iterator)
     The 1-based index of the current element, valid after _next answered
     non-zero; 0 for a NULL iterator.

   gridlume_mesh_iterator_<f>_delete(iterator)
     Releases everything; NULL is ignored. */
#define GRIDLUME_MESH_ITERATOR_DECLARE(name, element, entity)                             \
  GRIDLUME_API gridlume_mesh_iterator_##name *gridlume_mesh_iterator_##name##_new(         \
      gridlume_mesh *mesh);                                                                \
  GRIDLUME_API int gridlume_mesh_iterator_##name##_initialize(                             \
      gridlume_mesh_iterator_##name *iterator, int tag);                                   \
  GRIDLUME_API int gridlume_mesh_iterator_##name##_next(                                   \
      gridlume_mesh_iterator_##name *iterator);                                            \
  GRIDLUME_API int gridlume_mesh_iterator_##name##_get(                                    \
      gridlume_mesh_iterator_##name *iterator);                                            \
  GRIDLUME_API void gridlume_mesh_iterator_##name##_delete(                                \
      gridlume_mesh_iterator_##name *iterator);
GRIDLUME_MESH_ITERATOR_FAMILIES(GRIDLUME_MESH_ITERATOR_DECLARE)

GRIDLUME_END_DECLS

#endif
