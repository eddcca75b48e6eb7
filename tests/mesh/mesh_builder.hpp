// Small in-memory meshes shared by the mesh tests.
#pragma once

#include <array>
#include <vector>

#include "gridlume.h"
#include "support/test_helpers.hpp"

namespace gridlume_test {

using Triangles = std::vector<std::array<int, 3>>;

// Vertex i at (base + i, 0, 0) tagged base + i; triangle t tagged
// triangle_tags[t - 1], or base + 10 + t when no tags are given.
inline gridlume_mesh *surface(gridlume_context *context, int vertex_count,
                              const Triangles &triangles, int base = 0,
                              const std::vector<int> &triangle_tags = {}) {
  gridlume_mesh *mesh = gridlume_mesh_new_in_memory(context);
  gridlume_mesh_set_vertex_count(mesh, vertex_count);
  for (int i = 1; i <= vertex_count; ++i) {
    const double xyz[3] = {double(i + base), 0, 0};
    const int tag = base + i;
    gridlume_mesh_set_vertex_coordinates(mesh, i, xyz);
    gridlume_mesh_set_vertex_tag(mesh, i, &tag);
  }
  gridlume_mesh_set_triangle_count(mesh, static_cast<int>(triangles.size()));
  for (int t = 1; t <= static_cast<int>(triangles.size()); ++t) {
    const int tag = triangle_tags.empty() ? base + 10 + t : triangle_tags[t - 1];
    gridlume_mesh_set_triangle_vertices(mesh, t, triangles[t - 1].data());
    gridlume_mesh_set_triangle_tag(mesh, t, &tag);
  }
  return mesh;
}

// A surface of 4 vertices and 2 triangles with every other kind of stored
// data: extra vertices, a corner normal, a subdomain, dimension 2, a tag
// system and a periodicity record.
inline gridlume_mesh *rich_mesh(gridlume_context *context) {
  gridlume_mesh *mesh = surface(context, 4, {{1, 2, 3}, {2, 4, 3}}, 10);
  const int second[3] = {2, 4, 3};
  gridlume_mesh_set_triangle_extra_vertices(mesh, 2, 2003, second);
  const double normal[3] = {0, 0, 1};
  gridlume_mesh_set_triangle_vertex_normal_coordinates(mesh, 2, 3, normal);
  gridlume_mesh_set_subdomain_count(mesh, 1);
  gridlume_mesh_set_subdomain_description(mesh, 1, 7, 2000, 2, -1);
  gridlume_mesh_set_dimension(mesh, 2);
  gridlume_mesh_set_tag_system(mesh, gridlume_tag_system_new(2));
  const int faces1[] = {1, 2, 3}, faces2[] = {4, 5};
  gridlume_mesh_add_face_multiple_periodicity_with_transformation_function(
      mesh, faces1, 3, faces2, 2, nullptr, nullptr);
  return mesh;
}

inline void expect_rich_contents(gridlume_mesh *copy) {
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_count, copy), 4);
  EXPECT_EQ(values_of<3>(gridlume_mesh_get_vertex_coordinates, copy, 4),
            (std::array<double, 3>{14, 0, 0}));
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_tag, copy, 3), 13);
  EXPECT_EQ(value_of(gridlume_mesh_get_triangle_tag, copy, 2), 22);
  EXPECT_EQ(values_of<3>(gridlume_mesh_get_triangle_vertices, copy, 2),
            (std::array<int, 3>{2, 4, 3}));
  int count = 0, list[3] = {};
  EXPECT_EQ(gridlume_mesh_get_triangle_extra_vertices(copy, 2, &count, list), 0);
  EXPECT_EQ(count, 2003);
  EXPECT_EQ(list[2], 3);
  EXPECT_EQ(values_of<3>(gridlume_mesh_get_triangle_vertex_normal_coordinates, copy, 2, 3)[2],
            1.0);
  int tag = 0, kind = 0, index = 0, orientation = 0;
  EXPECT_EQ(gridlume_mesh_get_subdomain_description(copy, 1, &tag, &kind, &index, &orientation),
            0);
  EXPECT_EQ((std::array<int, 4>{tag, kind, index, orientation}),
            (std::array<int, 4>{7, 2000, 2, -1}));
  EXPECT_EQ(value_of(gridlume_mesh_get_dimension, copy), 2);
  EXPECT_NE(value_of(gridlume_mesh_get_tag_system, copy), nullptr);
  EXPECT_EQ(value_of(gridlume_mesh_get_face_multiple_periodicity_count, copy), 1);
}

}  // namespace gridlume_test
