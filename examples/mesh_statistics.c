/* Reads a mesh file and prints its quality statistics: the library sends the
   report line by line through the message callback, which prints it. Then one
   measure with a histogram of the caller's own thresholds, and the same in the
   key style, whose lines are easy to compare between runs.
   Usage: mesh_statistics [FILE] (default data/box.mesh, from the source tree). */
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
  const char *path = argc > 1 ? argv[1] : "data/box.mesh";
  /* Bins of the histogram: below 1.5, [1.5, 2[, [2, 3[, 3 and above. */
  const double thresholds[3] = {1.5, 2.0, 3.0};
  int status;
  gridlume_mesh *mesh;
  gridlume_context *context = gridlume_context_new();
  if (context == NULL) return 1;
  gridlume_context_set_message_callback(context, print_message, NULL);

  mesh = gridlume_mesh_new_read_mesh(context, path);
  if (mesh == NULL) {
    gridlume_context_delete(context);
    return 1;
  }
  status = gridlume_mesh_compute_statistics(mesh);
  if (status == 0)
    status = gridlume_mesh_compute_statistics_tetrahedron_aspect_ratio_with_custom_histogram(
        mesh, 3, thresholds);
  if (status == 0)
    status = gridlume_mesh_compute_statistics_tetrahedron_aspect_ratio_valid(mesh, "example");

  gridlume_context_delete(context); /* deletes the mesh too */
  return status == 0 ? 0 : 1;
}
