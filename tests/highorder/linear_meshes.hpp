// Small linear volume meshes for the high-order session tests, held in
// in-memory meshes.
#pragma once

#include <array>
#include <vector>

#include "gridlume.h"

namespace gridlume_test {

struct LinearMesh {
  std::vector<std::array<double, 3>> vertices;
  std::vector<std::vector<int>> triangles, tetrahedra, pyramids, prisms, hexahedra;
};

// The unit cube: vertices 1..8 at its corners (x fastest), one hexahedron,
// or six tetrahedra around the diagonal 1-8, with its 12 boundary triangles.
inline LinearMesh unit_cube_hexahedron() {
  LinearMesh mesh;
  for (int k = 0; k < 2; k++)
    for (int j = 0; j < 2; j++)
      for (int i = 0; i < 2; i++) mesh.vertices.push_back({double(i), double(j), double(k)});
  mesh.hexahedra = {{1, 2, 4, 3, 5, 6, 8, 7}};
  return mesh;
}

inline LinearMesh unit_cube_tetrahedra() {
  LinearMesh mesh = unit_cube_hexahedron();
  mesh.hexahedra.clear();
  mesh.tetrahedra = {{1, 2, 4, 8}, {1, 4, 3, 8}, {1, 3, 7, 8},
                     {1, 7, 5, 8}, {1, 5, 6, 8}, {1, 6, 2, 8}};
  mesh.triangles = {{1, 4, 2}, {1, 3, 4}, {5, 6, 8}, {5, 8, 7}, {1, 2, 6}, {1, 6, 5},
                    {3, 8, 4}, {3, 7, 8}, {1, 5, 7}, {1, 7, 3}, {2, 4, 8}, {2, 8, 6}};
  return mesh;
}

// Vertex i tagged 100 + i; element e of each kind tagged 10 × kind + e.
inline gridlume_mesh *in_memory(gridlume_context *context, const LinearMesh &source) {
  gridlume_mesh *mesh = gridlume_mesh_new_in_memory(context);
  gridlume_mesh_set_vertex_count(mesh, int(source.vertices.size()));
  for (int i = 1; i <= int(source.vertices.size()); i++) {
    const int tag = 100 + i;
    gridlume_mesh_set_vertex_coordinates(mesh, i, source.vertices[std::size_t(i - 1)].data());
    gridlume_mesh_set_vertex_tag(mesh, i, &tag);
  }
  auto fill = [&](const std::vector<std::vector<int>> &elements, int kind,
                  int (*set_count)(gridlume_mesh *, int),
                  int (*set_vertices)(gridlume_mesh *, int, const int *),
                  int (*set_tag)(gridlume_mesh *, int, const int *)) {
    set_count(mesh, int(elements.size()));
    for (int e = 1; e <= int(elements.size()); e++) {
      const int tag = 10 * kind + e;
      set_vertices(mesh, e, elements[std::size_t(e - 1)].data());
      set_tag(mesh, e, &tag);
    }
  };
  fill(source.triangles, 2, gridlume_mesh_set_triangle_count, gridlume_mesh_set_triangle_vertices,
       gridlume_mesh_set_triangle_tag);
  fill(source.tetrahedra, 4, gridlume_mesh_set_tetrahedron_count,
       gridlume_mesh_set_tetrahedron_vertices, gridlume_mesh_set_tetrahedron_tag);
  fill(source.pyramids, 5, gridlume_mesh_set_pyramid_count, gridlume_mesh_set_pyramid_vertices,
       gridlume_mesh_set_pyramid_tag);
  fill(source.prisms, 6, gridlume_mesh_set_prism_count, gridlume_mesh_set_prism_vertices,
       gridlume_mesh_set_prism_tag);
  fill(source.hexahedra, 7, gridlume_mesh_set_hexahedron_count,
       gridlume_mesh_set_hexahedron_vertices, gridlume_mesh_set_hexahedron_tag);
  return mesh;
}

}  // namespace gridlume_test
