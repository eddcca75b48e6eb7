/* Converts a linear volume mesh to a curved second-order mesh with a
   high-order session and writes it. Usage: second_order IN OUT [THREADS];
   without arguments it converts the sample data/box.mesh of the source tree
   when run from there. */
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
  const char *output = argc > 2 ? argv[2] : "box_p2.mesh";
  const char *threads = argc > 3 ? argv[3] : "2";
  int status = -1, vertex_count = 0;
  gridlume_mesh *mesh, *second_order = NULL;
  gridlume_highorder_session *session;
  gridlume_context *context = gridlume_context_new();
  if (context == NULL) return 1;
  gridlume_context_set_message_callback(context, print_message, NULL);

  mesh = gridlume_mesh_new_read_mesh(context, input);
  session = gridlume_highorder_session_new(context);
  if (mesh != NULL && session != NULL && gridlume_highorder_set_volume_mesh(session, mesh) == 0 &&
      gridlume_highorder_set_param(session, "max_number_of_threads", threads) == 0) {
    /* A failed conversion has said why through the message callback. */
    status = gridlume_highorder_compute_mesh(session);
    if (status == 0) status = gridlume_highorder_get_mesh(session, &second_order);
    /* The output mesh reads the session's result: write it while the
       session lives. */
    if (status == 0) status = gridlume_mesh_write_mesh(second_order, output);
    if (status == 0) gridlume_mesh_get_vertex_count(second_order, &vertex_count);
  }
  if (status == 0) printf("%s -> %s: %d vertices of order 2\n", input, output, vertex_count);

  gridlume_context_delete(context); /* deletes the session and both meshes */
  return status == 0 ? 0 : 1;
}
