/* A mesh described by the caller's own arrays: the library reads them through
   accessor callbacks and never copies them. Here the arrays hold a unit cube
   cut into six tetrahedra around its diagonal, its twelve boundary triangles
   (tagged by face, normals pointing out) and one subdomain; the program
   measures the tetrahedra, prints the topological statistics and checks that
   the subdomain agrees with the tetrahedra. */
#include <stdio.h>

#include "gridlume.h"

/* The caller's model, in its own layout (0-based vertex numbers). */
struct cube_model {
  double xyz[8][3];
  int tetrahedra[6][4];
  int triangles[12][3];
  int triangle_tags[12];
  int region_tag;
};

static const struct cube_model cube = {
    {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}},
    {{0, 1, 2, 6}, {0, 2, 3, 6}, {0, 3, 7, 6}, {0, 7, 4, 6}, {0, 4, 5, 6}, {0, 5, 1, 6}},
    {{0, 2, 1}, {0, 3, 2}, {4, 5, 6}, {4, 6, 7}, {0, 1, 5}, {0, 5, 4},
     {3, 6, 2}, {3, 7, 6}, {0, 7, 3}, {0, 4, 7}, {1, 2, 6}, {1, 6, 5}},
    {1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6},
    1,
};

#define COUNT_OF(array) ((int)(sizeof(array) / sizeof((array)[0])))

/* Every callback gets the model as user data; indices arrive 1-based. */
static int vertex_count(int *count, void *user_data) {
  *count = COUNT_OF(((const struct cube_model *)user_data)->xyz);
  return 0;
}
static int vertex_coordinates(int i, double *xyz, void *user_data) {
  const struct cube_model *model = user_data;
  int axis;
  for (axis = 0; axis < 3; ++axis) xyz[axis] = model->xyz[i - 1][axis];
  return 0;
}
static int tetrahedron_count(int *count, void *user_data) {
  *count = COUNT_OF(((const struct cube_model *)user_data)->tetrahedra);
  return 0;
}
static int tetrahedron_vertices(int i, int *vertices, void *user_data) {
  const struct cube_model *model = user_data;
  int j;
  for (j = 0; j < 4; ++j) vertices[j] = model->tetrahedra[i - 1][j] + 1;
  return 0;
}
static int tetrahedron_tag(int i, int *tag, void *user_data) {
  (void)i;
  *tag = ((const struct cube_model *)user_data)->region_tag;
  return 0;
}
static int triangle_count(int *count, void *user_data) {
  *count = COUNT_OF(((const struct cube_model *)user_data)->triangles);
  return 0;
}
static int triangle_vertices(int i, int *vertices, void *user_data) {
  const struct cube_model *model = user_data;
  int j;
  for (j = 0; j < 3; ++j) vertices[j] = model->triangles[i - 1][j] + 1;
  return 0;
}
static int triangle_tag(int i, int *tag, void *user_data) {
  *tag = ((const struct cube_model *)user_data)->triangle_tags[i - 1];
  return 0;
}
static int subdomain_count(int *count, void *user_data) {
  (void)user_data;
  *count = 1;
  return 0;
}
/* The region grows from triangle 1, on the side its normal points away from. */
static int subdomain_description(int i, int *tag, int *seed_kind, int *seed_index,
                                 int *orientation, void *user_data) {
  (void)i;
  *tag = ((const struct cube_model *)user_data)->region_tag;
  *seed_kind = GRIDLUME_ELEMENT_KIND_TRIANGLE;
  *seed_index = 1;
  *orientation = 1;
  return 0;
}

static int print_message(gridlume_message *message, void *user_data) {
  const char *text = NULL;
  int code = 0;
  (void)user_data;
  gridlume_message_get_code(message, &code);
  gridlume_message_get_description(message, &text);
  fputs(text, code < 0 ? stderr : stdout);
  return 0;
}

int main(void) {
  void *model = (void *)&cube;
  int count = 0, i, coherent = 0;
  gridlume_mesh *mesh;
  gridlume_context *context = gridlume_context_new();
  if (context == NULL) return 1;
  gridlume_context_set_message_callback(context, print_message, NULL);

  mesh = gridlume_mesh_new(context);
  if (mesh == NULL) {
    gridlume_context_delete(context);
    return 1;
  }
  gridlume_mesh_set_get_vertex_count(mesh, vertex_count, model);
  gridlume_mesh_set_get_vertex_coordinates(mesh, vertex_coordinates, model);
  gridlume_mesh_set_get_tetrahedron_count(mesh, tetrahedron_count, model);
  gridlume_mesh_set_get_tetrahedron_vertices(mesh, tetrahedron_vertices, model);
  gridlume_mesh_set_get_tetrahedron_tag(mesh, tetrahedron_tag, model);
  gridlume_mesh_set_get_triangle_count(mesh, triangle_count, model);
  gridlume_mesh_set_get_triangle_vertices(mesh, triangle_vertices, model);
  gridlume_mesh_set_get_triangle_tag(mesh, triangle_tag, model);
  gridlume_mesh_set_get_subdomain_count(mesh, subdomain_count, model);
  gridlume_mesh_set_get_subdomain_description(mesh, subdomain_description, model);

  /* The library now reads the caller's arrays like any other mesh. */
  gridlume_mesh_get_tetrahedron_count(mesh, &count);
  printf("%d tetrahedra:\n", count);
  for (i = 1; i <= count; ++i) {
    double volume = 0.0, aspect_ratio = 0.0;
    gridlume_mesh_get_tetrahedron_volume(mesh, i, &volume);
    gridlume_mesh_get_tetrahedron_aspect_ratio(mesh, i, &aspect_ratio);
    printf("  tetrahedron %d: volume %.6f, aspect ratio %.6f\n", i, volume, aspect_ratio);
  }

  if (gridlume_mesh_compute_topological_statistics(mesh) != 0 ||
      gridlume_mesh_check_subdomains_coherency(mesh, &coherent) != 0) {
    gridlume_context_delete(context);
    return 1;
  }
  printf("the subdomain is %s with the tetrahedra\n", coherent ? "coherent" : "NOT coherent");

  gridlume_context_delete(context); /* deletes the mesh; the arrays stay the caller's */
  return coherent ? 0 : 1;
}
