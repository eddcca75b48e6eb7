/* Builds a context, prints the library version and deletes everything. */
#include <stdio.h>

#include "gridlume.h"

int main(void) {
  gridlume_context *context = gridlume_context_new();
  if (context == NULL) return 1;
  printf("%s\n", gridlume_core_get_version_string());
  gridlume_mesh *mesh = gridlume_mesh_new(context);
  int count = -1;
  gridlume_mesh_get_vertex_count(mesh, &count);
  printf("empty mesh: %d vertices\n", count);
  gridlume_context_delete(context);
  return 0;
}
