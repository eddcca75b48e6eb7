/*
 * Gridlume: the side mesh formats besides keyword files.
 *
 * Bulk data decks (GRID and element records, written in the large-field
 * starred form, read in free-field or starred form), STL files (text or
 * binary surfaces of triangles), ".points"/".faces" pairs (a surface mesh in
 * two text files) and legacy VTK text files (volume elements, written only).
 * Every reader builds a new in-memory mesh, owned by the caller
 * (gridlume_mesh_delete) or deleted with its context; every writer reads the
 * mesh through its accessors. Indices in the files are 1-based except in VTK,
 * whose cells count vertices from 0.
 */
#ifndef GRIDLUME_MESH_FORMATS_H
#define GRIDLUME_MESH_FORMATS_H

#include "gridlume/common.h"
#include "gridlume/mesh.h"

GRIDLUME_BEGIN_DECLS

/* ---- Bulk data decks ------------------------------------------------------ */

/* Writes "BEGIN BULK", one starred GRID record per vertex (its coordinate
   system 0, no tag), the edges (CBAR*), triangles (CTRIA3*), quadrangles
   (CQUAD4*), tetrahedra (CTETRA*), prisms (CPENTA*), pyramids (CPYRAM*) and
   hexahedra (CHEXA*) numbered by one running identifier from 1, each with its
   tag as property identifier, then "ENDDATA". Returns 0; -1 for a NULL mesh
   (no message), when the file cannot be opened or a record cannot be written;
   the failing accessor's status when an element's vertices cannot be read.
   Each failure sends a message "gridlume_mesh_write_mesh : ..." to the mesh's
   context and closes the file. */
GRIDLUME_API int gridlume_mesh_write_bdf(gridlume_mesh *mesh, const char *file_name);

/* Reads the GRID records (free-field "GRID" or starred "GRID*") and the
   element records CBAR, CTRIA3, CQUAD4, CTETRA, CPYRAM, CPENTA and CHEXA (the
   starred form of all but CBAR) of a bulk data deck, up to "ENDDATA", into a
   new in-memory mesh. Vertices and elements are stored in file order; the
   tag of vertex i is the coordinate system of the record with identifier i
   (0 for a deck without that field), the tag of element i of a kind the
   property of the record of that kind with identifier i. A file that cannot
   be opened prints "Error opening bdf file for reading." on the standard
   output and gives the new empty mesh; a record that is malformed (a field
   that is not a number, a missing continuation line, a vertex index outside
   the deck's vertices) sends an error message naming the line and gives the
   mesh emptied; a failing accessor ends the reading and gives the mesh as
   filled so far. NULL for a NULL context, or when memory fails (the mesh
   cannot be created or filled). */
GRIDLUME_API gridlume_mesh *gridlume_mesh_new_read_bdf(gridlume_context *context,
                                                       const char *file_name);

/* ---- STL ------------------------------------------------------------------ */

/* Reads a text or binary STL file into a new in-memory surface mesh (dimension
   3) of triangles. Facet corners closer than `tolerance` to an existing vertex
   are merged into the nearest one; a tolerance of 0 merges nothing, a
   negative or infinite one merges every corner into the first vertex. Each
   solid of a text file gives its triangles the solid's number (1, 2, ...); a
   binary file's triangles have tag 1. A file starting with "solid" that does
   not parse as text is read as binary. NULL when the file cannot be opened or
   read, or when memory fails. No message is sent. */
GRIDLUME_API gridlume_mesh *gridlume_mesh_new_read_stl(gridlume_context *context,
                                                       const char *file_name, double tolerance);

/* Writes the mesh's triangles as STL, binary when `binary` is not 0, one
   solid per triangle tag ("TAG_<tag>" in text), in order of each tag's first
   triangle. Normals are written as 0 0 0, coordinates rounded to float.
   Returns 0, -1 for a NULL mesh or when the file cannot be opened, -5 when
   memory fails, or the status of the failing accessor. No message is sent. */
GRIDLUME_API int gridlume_mesh_write_stl(gridlume_mesh *mesh, const char *file_name, int binary);

/* ---- Points and faces files ------------------------------------------------ */

/* Reads "<base_name>.points" (vertices with their tags) and
   "<base_name>.faces" (edges, triangles and quadrangles with their tags and
   side tags) into a new in-memory mesh. Sides of triangles and quadrangles
   with a non-zero side tag become edges beside the listed ones, one edge per
   distinct vertex pair, tagged with the recorded tag of largest magnitude (a
   pair recorded with several tags sends warning 2341 with its two vertices).
   Vertices listed beyond the declared count are read and marked required.
   Lines are read into 256 characters: a longer face line is unreadable, a
   longer points line ends the vertices. A line naming a vertex that the
   points file does not hold is unreadable. NULL on any error, after a
   message "gridlume_mesh_new_read_msh2 : ...". */
GRIDLUME_API gridlume_mesh *gridlume_mesh_new_read_msh2(gridlume_context *context,
                                                        const char *base_name);

/* Writes the mesh's vertices with their tags to "<base_name>.points" and its
   edges, triangles and quadrangles with their tags (side tags 0) to
   "<base_name>.faces". Returns the status of the last accessor call: 0 when
   all went well; -1 for a NULL mesh or a file that cannot be opened, -5 when
   the names cannot be made (both with a message
   "gridlume_mesh_write_mesh : ..." except for the NULL mesh). A line that
   cannot be written sends a message and writing goes on. */
GRIDLUME_API int gridlume_mesh_write_msh2(gridlume_mesh *mesh, const char *base_name);

/* ---- VTK ------------------------------------------------------------------ */

/* Writes the vertices and the volume elements (tetrahedra, pyramids, prisms,
   hexahedra, in that order, their vertices as the mesh orders them) as a
   legacy VTK text file of an unstructured grid. Edges, triangles and
   quadrangles are not written. Returns 0, also when the file cannot be opened
   (nothing is written then); -1 for a NULL mesh; the failing accessor's
   status when a vertex or element cannot be read (the file then ends
   there). Nothing is allocated, so memory never fails. */
GRIDLUME_API int gridlume_mesh_write_vtk(gridlume_mesh *mesh, const char *file_name);

GRIDLUME_END_DECLS

#endif
