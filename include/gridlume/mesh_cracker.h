/*
 * Gridlume: the mesh cracker.
 *
 * The cracker opens a conforming volume mesh along an internal surface: the
 * vertices on the surface are duplicated so that the volume elements on one
 * side no longer share them with those on the other side, and every surface
 * face is doubled, one copy for each side, each with its own tag. The
 * surface is given as triangles and quadrangles of the mesh, grouped in
 * blocks with a pair of side tags each, or as the interface between the
 * volume elements of two tags. Vertices and edges listed as uncracked keep
 * the two sides attached there.
 *
 * The cracker copies its input mesh into arrays of its own, applies any
 * number of crack operations to them in turn, and writes the result out as
 * a new in-memory mesh:
 *
 *   cracker = gridlume_mesh_cracker_new(context);
 *   gridlume_mesh_cracker_set_input_mesh(cracker, mesh);
 *   gridlume_mesh_cracker_crack_between_volume_elements_with_tags(cracker, 1, 2, 0, 7, 0);
 *   gridlume_mesh_cracker_get_output_mesh(cracker, &cracked);
 *   gridlume_mesh_cracker_delete(cracker);
 *
 * Messages (code 0) go to the cracker's context. A cracker is used by one
 * thread at a time; it is not attached to the context and is deleted by the
 * caller.
 *
 * Sides. A volume element sees a crack face from side 1 when one of its own
 * faces runs through the face's vertices in the same cyclic order, from side
 * 2 when in the opposite order. An element's faces are ordered so that for a
 * positively oriented element (positive signed volume, in the usual vertex
 * numbering of each kind) the normal (p1 - p0) x (p2 - p0) of a face points
 * into the element: the copy of a crack face on side 1 then lies against
 * the elements its normal points into.
 *
 * Options (bits):
 *   bit 0 clear: the rim of the crack surface (the edges of exactly one crack
 *                face) stays closed: its vertices are not duplicated.
 *   bit 0 set:   only the rim edges that are edges of the mesh stay closed;
 *                elsewhere the rim opens wherever the crack separates the
 *                elements around a vertex (a crack reaching the boundary of
 *                the mesh then cuts it through).
 *   bit 1 set:   every vertex copy moves a quarter of the way towards the
 *                mean of the centroids of its volume elements, so that the
 *                two sides of the crack are apart.
 */
#ifndef GRIDLUME_MESH_CRACKER_H
#define GRIDLUME_MESH_CRACKER_H

#include "gridlume/common.h"

GRIDLUME_BEGIN_DECLS

typedef struct gridlume_mesh_cracker gridlume_mesh_cracker;

/* Option bits of the crack operations. */
#define GRIDLUME_MESH_CRACKER_OPEN_RIM 1
#define GRIDLUME_MESH_CRACKER_MOVE_COPIES 2

/* An empty cracker reporting to the context. NULL when memory runs out. */
GRIDLUME_API gridlume_mesh_cracker *gridlume_mesh_cracker_new(gridlume_context *context);

/* Releases every array and table; NULL is ignored. */
GRIDLUME_API void gridlume_mesh_cracker_delete(gridlume_mesh_cracker *cracker);

/* Copies the mesh (counts, vertex coordinates and tags, edges, triangles,
   quadrangles and the tetrahedra, pyramids, prisms and hexahedra with their
   tags) through its accessors, and finds the volume elements' neighbours
   across their faces. Whatever the cracker held before is replaced.
   Returns 0; -1 for a NULL argument, a negative count or an element vertex
   outside 1..vertex count (with a message); the status of a failing
   accessor; -5 when memory runs out (the cracker is then empty). */
GRIDLUME_API int gridlume_mesh_cracker_set_input_mesh(gridlume_mesh_cracker *cracker,
                                                      gridlume_mesh *mesh);

/* Cracks along triangles of the mesh.
   triangles:        3 vertex indices per crack triangle;
   triangle_blocks:  block_count + 1 ascending offsets into the triangle list,
                     the first 0, the last the number of triangles; block k
                     (1-based) holds the triangles at 1-based positions p with
                     triangle_blocks[k-1] < p <= triangle_blocks[k], and its new
                     faces are tagged side1_tags[k-1] and side2_tags[k-1];
                     NULL for no triangles;
   uncracked_edges:  2 vertex indices per edge whose vertices stay shared;
   uncracked_vertices: vertices that stay shared;
   options:          the bits above.
   Returns 0; 0 without any change (and a message) when the last block
   offset is not positive; -1 (with a message) for a crack triangle naming a
   vertex outside the mesh or that is no face of the mesh, for offsets that
   do not ascend from 0, or for a missing array; -5 when memory runs out.
   A listed uncracked vertex outside the mesh sends a message and ends the
   reading of its list only. On every failure the cracker is unchanged.
   The mesh's own triangles equal to a crack face are replaced by its
   copies; its other edges, triangles and quadrangles touching a duplicated
   vertex follow the first volume element (in block and index order) that
   has all their vertices. */
GRIDLUME_API int gridlume_mesh_cracker_crack_along_triangles(
    gridlume_mesh_cracker *cracker, const int *triangles, const int *triangle_blocks,
    int block_count, const int *side1_tags, const int *side2_tags, const int *uncracked_edges,
    int uncracked_edge_count, const int *uncracked_vertices, int uncracked_vertex_count,
    int options);

/* The same with quadrangles (4 vertex indices each, in the cyclic order of
   the face) as well; a NULL block array means no faces of that kind. */
GRIDLUME_API int gridlume_mesh_cracker_crack_along_triangles_and_quadrangles(
    gridlume_mesh_cracker *cracker, const int *triangles, const int *triangle_blocks,
    int triangle_block_count, const int *triangle_side1_tags, const int *triangle_side2_tags,
    const int *quadrangles, const int *quadrangle_blocks, int quadrangle_block_count,
    const int *quadrangle_side1_tags, const int *quadrangle_side2_tags,
    const int *uncracked_edges, int uncracked_edge_count, const int *uncracked_vertices,
    int uncracked_vertex_count, int options);

/* Cracks along the faces between a volume element tagged first_tag and one
   tagged second_tag, each face taken once and ordered as the element of
   first_tag sees it, so that the first tag's elements are on side 1. Both
   copies of every face are tagged face_tag. `reserved` is read by nothing:
   pass 0. Options as above. Returns 0, with the message "No crack surface
   with these two tags" when the mesh has no volume element or no such face;
   -1 for a NULL cracker; -5 when memory runs out (the cracker unchanged). */
GRIDLUME_API int gridlume_mesh_cracker_crack_between_volume_elements_with_tags(
    gridlume_mesh_cracker *cracker, int first_tag, int second_tag, int reserved, int face_tag,
    int options);

/* Writes to *mesh a new in-memory mesh in the cracker's context holding the
   cracker's current vertices (coordinates and tags), volume elements
   (vertices and tags), edges, triangles and quadrangles (vertices and tags,
   deleted entries left out and the others renumbered in order). The cracker
   is unchanged. Returns 0; -1 for a NULL argument, a cracker without context
   or when the mesh cannot be created; else the first failing setter's status
   (-5 when memory runs out). On failure *mesh is NULL and nothing is left in
   the context. */
GRIDLUME_API int gridlume_mesh_cracker_get_output_mesh(gridlume_mesh_cracker *cracker,
                                                       gridlume_mesh **mesh);

GRIDLUME_END_DECLS

#endif
