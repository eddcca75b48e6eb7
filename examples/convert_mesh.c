/* Converts a mesh file: reads it (".mesh" text or ".meshb" binary, chosen by
   the name) into an in-memory mesh and writes it under another name, here as
   a binary file of version 2 with its high-order elements as whole second-order
   elements. Usage: convert_mesh IN OUT; without arguments it converts the
   sample data/box.mesh of the source tree when run from there. */
#include <stdio.h>

#include "gridlume.h"

static int print_message(gridlume_message *message, void *user_data) {
  const char *text = NULL;
  int code = 0;
  (void)user_data;
  gridlume_message_get_code(message, &code);
  gridlume_message_get_description(message, &text);
  fputs(text, code == 0 ? stdout : stderr);
  return 0;
}

int main(int argc, char **argv) {
  const char *input = argc > 1 ? argv[1] : "data/box.mesh";
  const char *output = argc > 2 ? argv[2] : "box.meshb";
  int vertex_count = 0, tetrahedron_count = 0, status;
  gridlume_mesh *mesh;
  gridlume_context *context = gridlume_context_new();
  if (context == NULL) return 1;
  gridlume_context_set_message_callback(context, print_message, NULL);

  mesh = gridlume_mesh_new_read_mesh(context, input);
  if (mesh == NULL) { /* the reader has said why through the message callback */
    gridlume_context_delete(context);
    return 1;
  }
  gridlume_mesh_get_vertex_count(mesh, &vertex_count);
  gridlume_mesh_get_tetrahedron_count(mesh, &tetrahedron_count);

  /* Two options, each a key followed by its value. */
  status = gridlume_mesh_write_mesh_extended(mesh, output, 2, GRIDLUME_MESH_WRITE_OPTION_VERSION, 2,
                                             GRIDLUME_MESH_WRITE_OPTION_HIGH_ORDER_FORM,
                                             GRIDLUME_MESH_HIGH_ORDER_P2);
  if (status == 0)
    printf("%s -> %s: %d vertices, %d tetrahedra\n", input, output, vertex_count,
           tetrahedron_count);

  gridlume_context_delete(context); /* deletes the mesh too */
  return status == 0 ? 0 : 1;
}
