// What the tests of the side formats (bulk data, STL, points/faces, VTK)
// share beside the keyword file helpers: a mesh holding every element kind,
// and meshes whose accessors fail where a test wants them to.
#pragma once

#include <string>

#include "keyword_test_files.hpp"
#include "support/test_helpers.hpp"

namespace side_format_test {

using namespace keyword_test;
using gridlume_test::value_of;
using gridlume_test::values_of;

// Vertices 1..8 at the corners of the unit cube scaled by (1, 2, 3) (tags 0)
// and one element of each kind (two edges), each element tagged with
// 10 x its corner count + its number.
inline void add_every_kind(gridlume_mesh *mesh) {
  gridlume_mesh_set_vertex_count(mesh, 8);
  for (int i = 1; i <= 8; ++i) {
    const int bits = i - 1;
    const double xyz[3] = {double(bits & 1), 2.0 * ((bits >> 1) & 1), 3.0 * ((bits >> 2) & 1)};
    gridlume_mesh_set_vertex_coordinates(mesh, i, xyz);
  }
  const int edges[2][2] = {{1, 2}, {3, 4}}, triangle[3] = {1, 2, 3}, quadrangle[4] = {1, 2, 4, 3},
            tetrahedron[4] = {1, 2, 3, 5}, pyramid[5] = {1, 2, 4, 3, 5},
            prism[6] = {1, 2, 3, 5, 6, 7}, hexahedron[8] = {1, 2, 4, 3, 5, 6, 8, 7};
  gridlume_mesh_set_edge_count(mesh, 2);
  for (int i = 1; i <= 2; ++i) {
    const int tag = 20 + i;
    gridlume_mesh_set_edge_vertices(mesh, i, edges[i - 1]);
    gridlume_mesh_set_edge_tag(mesh, i, &tag);
  }
  const int tags[] = {31, 41, 41, 51, 61, 81};
  gridlume_mesh_set_triangle_count(mesh, 1);
  gridlume_mesh_set_triangle_vertices(mesh, 1, triangle);
  gridlume_mesh_set_triangle_tag(mesh, 1, &tags[0]);
  gridlume_mesh_set_quadrangle_count(mesh, 1);
  gridlume_mesh_set_quadrangle_vertices(mesh, 1, quadrangle);
  gridlume_mesh_set_quadrangle_tag(mesh, 1, &tags[1]);
  gridlume_mesh_set_tetrahedron_count(mesh, 1);
  gridlume_mesh_set_tetrahedron_vertices(mesh, 1, tetrahedron);
  gridlume_mesh_set_tetrahedron_tag(mesh, 1, &tags[2]);
  gridlume_mesh_set_pyramid_count(mesh, 1);
  gridlume_mesh_set_pyramid_vertices(mesh, 1, pyramid);
  gridlume_mesh_set_pyramid_tag(mesh, 1, &tags[3]);
  gridlume_mesh_set_prism_count(mesh, 1);
  gridlume_mesh_set_prism_vertices(mesh, 1, prism);
  gridlume_mesh_set_prism_tag(mesh, 1, &tags[4]);
  gridlume_mesh_set_hexahedron_count(mesh, 1);
  gridlume_mesh_set_hexahedron_vertices(mesh, 1, hexahedron);
  gridlume_mesh_set_hexahedron_tag(mesh, 1, &tags[5]);
}

// Callbacks of a mesh made with gridlume_mesh_new: every count is
// `count`, getters answer `failing_status` for index `failing_index` and
// fixed values otherwise (vertex i at (i, 0, 0), element i with vertices
// 1 .. corners, integer attributes i).
struct FailingAccessors {
  int count = 2;
  int failing_index = 2;
  int failing_status = -7;
  int corners = 8;

  static int get_count(int *count, void *self) {
    *count = static_cast<FailingAccessors *>(self)->count;
    return 0;
  }
  static int get_point(int i, double *xyz, void *self) {
    auto *accessors = static_cast<FailingAccessors *>(self);
    if (i == accessors->failing_index) return accessors->failing_status;
    xyz[0] = i;
    xyz[1] = xyz[2] = 0;
    return 0;
  }
  static int get_vertices(int i, int *vertices, void *self) {
    auto *accessors = static_cast<FailingAccessors *>(self);
    if (i == accessors->failing_index) return accessors->failing_status;
    for (int k = 0; k < accessors->corners; ++k) vertices[k] = k + 1;
    return 0;
  }
  static int get_integer(int i, int *value, void *self) {
    auto *accessors = static_cast<FailingAccessors *>(self);
    if (i == accessors->failing_index) return accessors->failing_status;
    *value = i;
    return 0;
  }
};

}  // namespace side_format_test
