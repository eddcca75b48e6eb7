// The modified surface: the part of a surface mesh touched by tags that a
// new tag system adds.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "mesh_builder.hpp"

using namespace gridlume_test;
using Triangles4 = std::vector<std::array<int, 4>>;  // vertices and tag

namespace {

struct ModifiedSurface : ::testing::Test {
  Context context;
  // Triangles 1 and 2 share the side of edge 1 (in either order); 3 has the
  // new tag; 4 is untouched. Edge 1 carries the new tag 3; edge 2 an old tag.
  gridlume_mesh *mesh =
      surface(context, 6, {{1, 2, 3}, {2, 1, 4}, {4, 5, 6}, {3, 4, 6}}, 100, {1, 1, 3, 2});
  gridlume_tag_system *old_tags = gridlume_tag_system_new(4), *new_tags = nullptr;

  ModifiedSurface() {
    gridlume_mesh_set_edge_count(mesh, 2);
    const int edges[2][2] = {{1, 2}, {4, 5}};
    for (int e = 1; e <= 2; ++e) gridlume_mesh_set_edge_vertices(mesh, e, edges[e - 1]);
    set_edge_tags(3, 1);
    gridlume_mesh_set_dimension(mesh, 2);
    gridlume_tag_system_add_base_tag(old_tags, 1);
    gridlume_tag_system_add_base_tag(old_tags, 2);
    new_tags = gridlume_tag_system_clone(old_tags);
    gridlume_tag_system_add_base_tag(new_tags, 3);
  }
  ~ModifiedSurface() override {
    gridlume_tag_system_delete(old_tags);
    gridlume_tag_system_delete(new_tags);
  }
  void set_edge_tags(int first, int second) {
    gridlume_mesh_set_edge_tag(mesh, 1, &first);
    gridlume_mesh_set_edge_tag(mesh, 2, &second);
  }
  gridlume_mesh *modified(int status = 0) {
    gridlume_mesh *output = nullptr;
    EXPECT_EQ(gridlume_mesh_tag_system_get_modified_surface(old_tags, new_tags, mesh, &output),
              status);
    return output;
  }
};

Triangles4 triangles_of(gridlume_mesh *mesh) {
  Triangles4 triangles(value_of(gridlume_mesh_get_triangle_count, mesh));
  for (int i = 1; i <= int(triangles.size()); ++i) {
    const auto v = values_of<3>(gridlume_mesh_get_triangle_vertices, mesh, i);
    triangles[i - 1] = {v[0], v[1], v[2], value_of(gridlume_mesh_get_triangle_tag, mesh, i)};
  }
  return triangles;
}

}  // namespace

TEST_F(ModifiedSurface, KeepsEdgesOfNewTagsAndTheTrianglesBesideThem) {
  gridlume_mesh *output = modified();
  ASSERT_NE(output, nullptr);
  EXPECT_EQ(value_of(gridlume_mesh_get_dimension, output), 2);
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_count, output), 6);
  EXPECT_EQ(values_of<3>(gridlume_mesh_get_vertex_coordinates, output, 5),
            (std::array<double, 3>{105, 0, 0}));
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_tag, output, 5), 105);
  ASSERT_EQ(value_of(gridlume_mesh_get_edge_count, output), 1);
  EXPECT_EQ(values_of<2>(gridlume_mesh_get_edge_vertices, output, 1), (std::array<int, 2>{1, 2}));
  EXPECT_EQ(value_of(gridlume_mesh_get_edge_tag, output, 1), 3);
  EXPECT_EQ(triangles_of(output), (Triangles4{{1, 2, 3, 1}, {2, 1, 4, 1}, {4, 5, 6, 3}}));
}

TEST_F(ModifiedSurface, WithoutModifiedEdgesOnlyTrianglesOfNewTagsRemain) {
  set_edge_tags(1, 2);
  gridlume_mesh *output = modified();
  EXPECT_EQ(value_of(gridlume_mesh_get_edge_count, output), 0);
  EXPECT_EQ(triangles_of(output), (Triangles4{{4, 5, 6, 3}}));
}

TEST_F(ModifiedSurface, CompositeTagsOfTheNewSystemCountAsModified) {
  int pair[] = {1, 2};
  const int composite = value_of(gridlume_tag_system_get_composite_tag, new_tags, pair, 2);
  gridlume_mesh_set_triangle_tag(mesh, 4, &composite);
  EXPECT_EQ(triangles_of(modified()).size(), 4u);
}

TEST_F(ModifiedSurface, FailingCallbackIsReturnedWithThePartialMesh) {
  gridlume_mesh_set_get_triangle_vertices(mesh, [](int, int *, void *) { return 9; }, nullptr);
  gridlume_mesh *output = modified(9);
  ASSERT_NE(output, nullptr);
  EXPECT_EQ(value_of(gridlume_mesh_get_edge_count, output), 1);
}

TEST_F(ModifiedSurface, NullArgumentsAnswerMinusOne) {
  gridlume_mesh *output = nullptr;
  EXPECT_EQ(gridlume_mesh_tag_system_get_modified_surface(nullptr, new_tags, mesh, &output), -1);
  EXPECT_EQ(gridlume_mesh_tag_system_get_modified_surface(old_tags, nullptr, mesh, &output), -1);
  EXPECT_EQ(gridlume_mesh_tag_system_get_modified_surface(old_tags, new_tags, nullptr, &output),
            -1);
  EXPECT_EQ(gridlume_mesh_tag_system_get_modified_surface(old_tags, new_tags, mesh, nullptr), -1);
  EXPECT_EQ(output, nullptr);
}

TEST_F(ModifiedSurface, MemoryFailureAnswersMinus5AndLeaksNothing) {
  for_each_allocation_failure([&](AllocationFailure &failure) {
    gridlume_mesh *output = nullptr;
    failure.arm();
    int status = gridlume_mesh_tag_system_get_modified_surface(old_tags, new_tags, mesh, &output);
    failure.disarm();
    EXPECT_EQ(status, failure.happened() ? -5 : 0);
    if (!failure.happened()) { EXPECT_EQ(triangles_of(output).size(), 3u); }
    gridlume_mesh_delete(output);
  });
}
