/*
 * Gridlume: keyword mesh files (".mesh" text, ".meshb" binary).
 *
 * A file being written by the mesh writer is known by its slot number in the
 * process-wide table of open keyword files (1 to 100). The writer's callback
 * receives that slot and may add keyword blocks of its own with the two
 * hooks below: one set_key per keyword, then exactly as many set_line calls
 * as the lines it announced. Keyword codes run from 1 to 157 (4 "Vertices",
 * 5 "Edges", 6 "Triangles", 8 "Tetrahedra", 62 "SolAtVertices", ...).
 *
 * The table of open keyword files is shared by the whole process.
 */
#ifndef GRIDLUME_MESH_IO_H
#define GRIDLUME_MESH_IO_H

#include "gridlume/common.h"

GRIDLUME_BEGIN_DECLS

/* Starts a keyword block in the file open for writing in `slot`. Arguments
   after the code: for keywords with a line count, the line count (int); for
   solution keywords ("SolAt..."), then the type count (int) and a pointer to
   the type codes (const int *; 1 scalar, 2 vector, 3 symmetric tensor, 4
   matrix). Returns the line count (1 for a keyword without one), or 0 when
   the slot or the code is invalid, the count is negative, the types pass the
   limits (1001 types, 9000 fields, 1000 bytes per binary line) or a write
   error has been counted on the file. */
GRIDLUME_API int gridlume_mesh_write_mesh_set_key(int slot, int keyword, ...);

/* Writes one line of the keyword of the last set_key, one argument per field
   of the keyword: an int for an integer field, a double for a real field
   (stored as float in version 1 files), three arguments for a list field
   (int count, int stride in bytes, const int *first); for a solution keyword
   a single pointer to the line's reals (float * in version 1, double *
   otherwise). Returns 0, or -1 (nothing written) for an invalid slot or a
   keyword that has not been started. A binary line longer than 1000 bytes is
   not written and makes the file's close report failure. */
GRIDLUME_API int gridlume_mesh_write_mesh_set_line(int slot, int keyword, ...);

/* ---- Writing meshes ----------------------------------------------------- */

/* Option keys of gridlume_mesh_write_mesh_extended, each followed by its
   values: the high-order form (int: 5 extra-vertex form, 6 P2 form, anything
   else 5), the file version (int 1 to 3; 0 means 3), and a callback with its
   user data (gridlume_mesh_write_callback, void *). */
#define GRIDLUME_MESH_WRITE_OPTION_HIGH_ORDER_FORM 11
#define GRIDLUME_MESH_WRITE_OPTION_VERSION 12
#define GRIDLUME_MESH_WRITE_OPTION_CALLBACK 21

/* High-order forms: extra vertices in "ExtraVerticesAt..." blocks, whole
   second-order elements in "...P2"/"...Q2" blocks, or both (reading only). */
#define GRIDLUME_MESH_HIGH_ORDER_EXTRA_VERTICES 5
#define GRIDLUME_MESH_HIGH_ORDER_P2 6
#define GRIDLUME_MESH_HIGH_ORDER_BOTH 7

/* Called after all mesh data is written and before the file is closed, with
   the file's slot for gridlume_mesh_write_mesh_set_key/_set_line. 0 for
   success. */
typedef int (*gridlume_mesh_write_callback)(int slot, void *user_data);

/* Writes the mesh, read through its accessors, to a ".mesh" (text) or
   ".meshb" (binary) file of version 3, high-order elements in the
   extra-vertex form. As the extended form with the single option (11, 5). */
GRIDLUME_API int gridlume_mesh_write_mesh(gridlume_mesh *mesh, const char *file_name);

/* As gridlume_mesh_write_mesh with options: option_count keys, each followed
   by its values (see the option keys above); the first unknown key ends the
   list. Vertices, elements, required/corner/ridge lists, shared normal and
   tangent tables, subdomains and composite tags are written, then the
   callback is called. Returns 0 on success (also when the callback fails or
   closing the file fails: a message says so), -1 for a NULL mesh or when an
   error stops the writer (after a message to the mesh's context; the file is
   still ended and closed), -5 when memory fails outside the listed
   messages. */
GRIDLUME_API int gridlume_mesh_write_mesh_extended(gridlume_mesh *mesh, const char *file_name,
                                                   int option_count, ...);

/* ---- Reading meshes ----------------------------------------------------- */

/* Option keys of gridlume_mesh_new_read_mesh_extended, each followed by one
   value: the high-order form selection (int: 1 extra-vertex form, 2 P2 form,
   3 P2 form only when the file has no extra-vertex block of that kind, 4 P2
   form whenever the file has P2 lines; anything else 3), a pointer to an int
   that receives the form read (5 extra-vertex, 6 P2, 7 both), and progress
   messages (int flags passed to the progress reporter; odd adds the
   remaining-time estimate). Progress messages have code 9011. */
#define GRIDLUME_MESH_READ_OPTION_HIGH_ORDER_SELECTION 10
#define GRIDLUME_MESH_READ_OPTION_HIGH_ORDER_FORM 11
#define GRIDLUME_MESH_READ_OPTION_PROGRESS 22

/* Reads a ".mesh" or ".meshb" file into a new in-memory mesh owned by the
   caller (gridlume_mesh_delete), with the default high-order selection 3.
   NULL for a NULL context or on any error, after a message to the context
   ("gridlume_mesh_new_read_mesh : ..."); a file without "End" only gives a
   warning (code 2101). */
GRIDLUME_API gridlume_mesh *gridlume_mesh_new_read_mesh(gridlume_context *context,
                                                        const char *file_name);

/* As gridlume_mesh_new_read_mesh with option_count (key, value) pairs; the
   first unknown key ends the list. */
GRIDLUME_API gridlume_mesh *gridlume_mesh_new_read_mesh_extended(gridlume_context *context,
                                                                 const char *file_name,
                                                                 int option_count, ...);

GRIDLUME_END_DECLS

#endif
