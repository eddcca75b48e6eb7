#include "array_mesh.hpp"

namespace gridlume_test {
namespace {

int vertex_count(int *count, void *data) {
  *count = static_cast<int>(static_cast<ArrayMesh *>(data)->points.size());
  return 0;
}
int vertex_coordinates(int i, double *xyz, void *data) {
  const auto &points = static_cast<ArrayMesh *>(data)->points;
  if (i < 1 || i > static_cast<int>(points.size())) return -1;
  for (int k = 0; k < 3; ++k) xyz[k] = points[i - 1][k];
  return 0;
}
int element_count(int *count, void *data) {
  *count = static_cast<ElementArray *>(data)->count();
  return 0;
}
int element_vertices(int i, int *vertices, void *data) {
  const auto *array = static_cast<ElementArray *>(data);
  if (i < 1 || i > array->count()) return -1;
  for (int k = 0; k < array->width; ++k) vertices[k] = array->vertices[(i - 1) * array->width + k];
  return 0;
}
int element_tag(int i, int *tag, void *data) {
  const auto *array = static_cast<ElementArray *>(data);
  if (i < 1 || i > static_cast<int>(array->tags.size())) return -1;
  *tag = array->tags[i - 1];
  return 0;
}
int subdomain_count(int *count, void *data) {
  *count = static_cast<int>(static_cast<ArrayMesh *>(data)->subdomains.size());
  return 0;
}
int subdomain_description(int i, int *tag, int *seed_kind, int *seed_index, int *orientation,
                          void *data) {
  const auto &subdomains = static_cast<ArrayMesh *>(data)->subdomains;
  if (i < 1 || i > static_cast<int>(subdomains.size())) return -1;
  const SubdomainDescription &d = subdomains[i - 1];
  *tag = d.tag;
  *seed_kind = d.seed_kind;
  *seed_index = d.seed_index;
  *orientation = d.orientation;
  return 0;
}

}  // namespace

gridlume_mesh *ArrayMesh::make_mesh(gridlume_context *context) {
  gridlume_mesh *mesh = gridlume_mesh_new(context);
  if (mesh == nullptr) return nullptr;
  gridlume_mesh_set_get_vertex_count(mesh, vertex_count, this);
  gridlume_mesh_set_get_vertex_coordinates(mesh, vertex_coordinates, this);
#define GRIDLUME_TEST_INSTALL(kind, array)                                 \
  gridlume_mesh_set_get_##kind##_count(mesh, element_count, &array);       \
  gridlume_mesh_set_get_##kind##_vertices(mesh, element_vertices, &array); \
  gridlume_mesh_set_get_##kind##_tag(mesh, element_tag, &array);
  GRIDLUME_TEST_INSTALL(edge, edges)
  GRIDLUME_TEST_INSTALL(triangle, triangles)
  GRIDLUME_TEST_INSTALL(quadrangle, quadrangles)
  GRIDLUME_TEST_INSTALL(tetrahedron, tetrahedra)
  GRIDLUME_TEST_INSTALL(pyramid, pyramids)
  GRIDLUME_TEST_INSTALL(prism, prisms)
  GRIDLUME_TEST_INSTALL(hexahedron, hexahedra)
#undef GRIDLUME_TEST_INSTALL
  gridlume_mesh_set_get_subdomain_count(mesh, subdomain_count, this);
  gridlume_mesh_set_get_subdomain_description(mesh, subdomain_description, this);
  return mesh;
}

}  // namespace gridlume_test
