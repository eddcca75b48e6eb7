/*
 * Gridlume: meshes held by the library, and the operations that build one
 * mesh from others.
 *
 * An in-memory mesh serves every accessor slot from storage owned by the
 * library: it is filled with the gridlume_mesh_set_* operations and read back
 * with gridlume_mesh_get_*. Every attribute is zero until it is set; arrays are
 * sized to the count in force when a value is first set after the count
 * changed. The copies, concatenations, the surface extraction and the
 * tetrahedral grid below all produce in-memory meshes, except
 * gridlume_mesh_new_copy, which reads through its source.
 */
#ifndef GRIDLUME_MESH_MEMORY_H
#define GRIDLUME_MESH_MEMORY_H

#include "gridlume/common.h"
#include "gridlume/mesh.h"

GRIDLUME_BEGIN_DECLS

/* ---- In-memory meshes --------------------------------------------------- */

/* A new empty in-memory mesh (every count 0, dimension 3), attached to the
   context. Getters answer -1 for an index outside 1..count and zeros for
   values never set; setters answer -1 for an index outside 1..count and -5
   when memory fails (the stored values are then kept). After a count becomes
   0 every set of that kind answers -1 and its values are released.
   NULL for a NULL context or when memory fails. */
GRIDLUME_API gridlume_mesh *gridlume_mesh_new_in_memory(gridlume_context *context);

/* A new in-memory mesh in the source's context holding a copy of every
   attribute, the subdomains, a clone of the tag system, the dimension and the
   face multiple-periodicity records of the source (their transformation data
   stays owned by the source). Attributes the source does not describe are
   skipped. NULL for a NULL source, or when a callback of the source fails or
   memory fails (nothing is left behind). */
GRIDLUME_API gridlume_mesh *gridlume_mesh_new_in_memory_copy(gridlume_mesh *mesh);

/* The same copy made in a new context with the default callbacks, so that it
   can outlive the source's context. Reach that context with
   gridlume_mesh_get_context and delete it when done (which deletes the copy).
   NULL as above; the new context is then deleted too. */
GRIDLUME_API gridlume_mesh *gridlume_mesh_new_in_memory_independent_copy(gridlume_mesh *mesh);

/* ---- Copies that read through the source --------------------------------- */

/* A new mesh in the source's context whose getters read the source's
   callbacks, bounded by the counts of the moment of the copy (beyond them
   getters write zeros), and whose setters and counts are the source's. It is
   valid only while the source and the data behind its callbacks live.
   NULL for a NULL source or when memory fails. */
GRIDLUME_API gridlume_mesh *gridlume_mesh_new_copy(gridlume_mesh *mesh);

/* ---- Concatenation and extraction ---------------------------------------- */

/* Appends the vertices (coordinates and tags), edges, triangles and
   quadrangles (vertices and tags) of source to destination, raising the
   appended elements' vertex indices by the destination's former vertex
   count. The destination needs working setters (an in-memory mesh has them).
   -1 for a NULL mesh; otherwise the status of the first failing callback. */
GRIDLUME_API int gridlume_mesh_concatenate(gridlume_mesh *destination, gridlume_mesh *source);

/* A new in-memory mesh holding a followed by b, with the larger of their
   dimensions. -1 for a NULL argument, -5 when the mesh cannot be created
   (*out is then NULL); otherwise the status of the first failing callback.
   Once created the new mesh is written to *out whatever the status. */
GRIDLUME_API int gridlume_mesh_new_concatenate(gridlume_context *context, gridlume_mesh *a,
                                               gridlume_mesh *b, gridlume_mesh **out);

/* A new in-memory mesh with the edges, triangles and quadrangles of mesh (in
   source order, with their tags) and only the vertices they use, numbered in
   increasing order of their old numbers. -1 for a NULL argument or a vertex
   index outside 1..vertex count, -5 when memory fails, else the status of the
   first failing callback; once created the new mesh is written to *out
   whatever the status. */
GRIDLUME_API int gridlume_mesh_new_extract_surface_mesh(gridlume_context *context,
                                                        gridlume_mesh *mesh,
                                                        gridlume_mesh **out);

/* ---- Tetrahedral grid ----------------------------------------------------- */

/* A new in-memory mesh of the box [min, max] with nx * ny * nz vertices
   (vertex i*ny*nz + j*nz + k + 1 at grid point (i, j, k)) and six tetrahedra
   per cell, all split along the cell diagonal from its lowest to its highest
   corner. No tags; dimension 3. NULL for a NULL argument, a count below 2,
   counts too large for 32-bit indices, or when memory fails. */
GRIDLUME_API gridlume_mesh *gridlume_mesh_new_tetra_grid(gridlume_context *context,
                                                        const double min[3],
                                                        const double max[3], int nx, int ny,
                                                        int nz);

/* ---- Required discretizations on reference lines ------------------------- */

/* Records that the reference line `line_tag` must be discretised by the n
   points with identifiers ids[0..n-1] and coordinates xyz[0..3n-1]; both
   arrays are copied. -1 for a NULL mesh, a negative n, or NULL arrays with
   n > 0. -5 when memory fails: when the table could not grow nothing is
   added; when only the copies of the arrays could not be made the entry
   stays counted with NULL arrays. */
GRIDLUME_API int gridlume_mesh_set_required_discretization_on_reference_line(
    gridlume_mesh *mesh, int line_tag, int n, const int *ids, const double *xyz);

/* The number of recorded entries, 0 when there is none. -1 for a NULL
   argument. */
GRIDLUME_API int gridlume_mesh_get_required_discretization_on_reference_line_count(
    gridlume_mesh *mesh, int *count);

/* Entry i (1..count): its line tag, its number of points, and pointers to the
   mesh's own identifier and coordinate arrays (valid until the mesh is
   deleted; NULL when the entry has no point or its arrays could not be
   made). -1 for a NULL argument, when nothing was recorded or i is out of
   range. */
GRIDLUME_API int gridlume_mesh_get_required_discretization_on_reference_line(
    gridlume_mesh *mesh, int i, int *line_tag, int *n, const int **ids, const double **xyz);

GRIDLUME_END_DECLS

#endif
