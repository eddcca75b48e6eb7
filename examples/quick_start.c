/* Quick start: builds a tetrahedral grid of the unit cube in memory, queries
   it through the mesh accessors, adds composite tags, and prints what it
   finds. Everything is released by deleting the context. */
#include <stdio.h>

#include "gridlume.h"

static int print_message(gridlume_message *message, void *user_data) {
  const char *text = NULL;
  int code = 0;
  (void)user_data;
  gridlume_message_get_code(message, &code);
  gridlume_message_get_description(message, &text);
  fprintf(code < 0 ? stderr : stdout, "%s", text);
  return 0;
}

int main(void) {
  const double box_min[3] = {0.0, 0.0, 0.0};
  const double box_max[3] = {1.0, 1.0, 1.0};
  int vertex_count = 0, tetrahedron_count = 0, dimension = 0, composite = 0, i;
  int corners[4];
  double xyz[3];
  int region_tags[2] = {1, 2};
  gridlume_tag_system *tags;
  gridlume_mesh *grid;
  gridlume_context *context = gridlume_context_new();
  if (context == NULL) return 1;
  gridlume_context_set_message_callback(context, print_message, NULL);
  printf("%s\n", gridlume_core_get_version_string());

  grid = gridlume_mesh_new_tetra_grid(context, box_min, box_max, 4, 4, 4);
  if (grid == NULL) {
    gridlume_context_delete(context);
    return 1;
  }
  gridlume_mesh_get_dimension(grid, &dimension);
  gridlume_mesh_get_vertex_count(grid, &vertex_count);
  gridlume_mesh_get_tetrahedron_count(grid, &tetrahedron_count);
  printf("grid of the unit cube: dimension %d, %d vertices, %d tetrahedra\n", dimension,
         vertex_count, tetrahedron_count);

  gridlume_mesh_get_tetrahedron_vertices(grid, 1, corners);
  printf("tetrahedron 1 has vertices %d %d %d %d:\n", corners[0], corners[1], corners[2],
         corners[3]);
  for (i = 0; i < 4; ++i) {
    gridlume_mesh_get_vertex_coordinates(grid, corners[i], xyz);
    printf("  vertex %2d at (%g, %g, %g)\n", corners[i], xyz[0], xyz[1], xyz[2]);
  }

  /* Regions 1 and 2 merge into a composite tag that stands for both. */
  tags = gridlume_tag_system_new(16);
  gridlume_mesh_set_tag_system(grid, tags);
  gridlume_tag_system_add_base_tag(tags, 1);
  gridlume_tag_system_add_base_tag(tags, 2);
  if (gridlume_tag_system_get_composite_tag(tags, region_tags, 2, &composite) == 0)
    printf("regions 1 and 2 together carry the composite tag %d\n", composite);

  gridlume_context_delete(context);
  return 0;
}
