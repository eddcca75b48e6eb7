// Element iterators by tag: each element once per tag, composite tags
// counted for their base tags and themselves, restarts, failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "gridlume.h"
#include "support/test_helpers.hpp"

namespace gridlume_test {
namespace {

// Two tetrahedra (1, 2, 3, 4) and (2, 3, 4, 5) sharing the face (2, 3, 4),
// and the triangles (1, 2, 3) and (2, 3, 4).
gridlume_mesh *two_tetrahedra(gridlume_context *context) {
  gridlume_mesh *mesh = gridlume_mesh_new_in_memory(context);
  gridlume_mesh_set_vertex_count(mesh, 5);
  const int first[4] = {1, 2, 3, 4}, second[4] = {2, 3, 4, 5};
  gridlume_mesh_set_tetrahedron_count(mesh, 2);
  gridlume_mesh_set_tetrahedron_vertices(mesh, 1, first);
  gridlume_mesh_set_tetrahedron_vertices(mesh, 2, second);
  const int triangles[2][3] = {{1, 2, 3}, {4, 3, 2}};
  gridlume_mesh_set_triangle_count(mesh, 2);
  for (int t = 1; t <= 2; ++t) gridlume_mesh_set_triangle_vertices(mesh, t, triangles[t - 1]);
  return mesh;
}

void set_edges(gridlume_mesh *mesh, const std::vector<std::array<int, 3>> &edges) {
  gridlume_mesh_set_edge_count(mesh, static_cast<int>(edges.size()));
  for (int e = 1; e <= static_cast<int>(edges.size()); ++e) {
    const int vertices[2] = {edges[e - 1][0], edges[e - 1][1]};
    gridlume_mesh_set_edge_vertices(mesh, e, vertices);
    gridlume_mesh_set_edge_tag(mesh, e, &edges[e - 1][2]);
  }
}

// The elements an iterator returns for a tag, in its order.
#define GRIDLUME_TEST_WALK(family)                                                     \
  std::vector<int> walk_##family(gridlume_mesh_iterator_##family *iterator, int tag) { \
    std::vector<int> elements;                                                         \
    EXPECT_EQ(gridlume_mesh_iterator_##family##_initialize(iterator, tag), 0);         \
    while (gridlume_mesh_iterator_##family##_next(iterator))                           \
      elements.push_back(gridlume_mesh_iterator_##family##_get(iterator));             \
    return elements;                                                                   \
  }
GRIDLUME_TEST_WALK(tetra_using_edge_with_tag)
GRIDLUME_TEST_WALK(tetra_using_triangle_with_tag)
GRIDLUME_TEST_WALK(triangle_using_edge_with_tag)

std::vector<int> sorted(std::vector<int> values) {
  std::sort(values.begin(), values.end());
  return values;
}

TEST(ElementIterators, TetrahedraByEdgeTagComeOncePerTag) {
  Context context;
  gridlume_mesh *mesh = two_tetrahedra(context);
  // Tetrahedron 1 has both edges of tag 5, and tetrahedron 2 as well.
  set_edges(mesh, {{1, 2, 3}, {2, 3, 5}, {4, 3, 5}});
  auto *iterator = gridlume_mesh_iterator_tetra_using_edge_with_tag_new(mesh);
  ASSERT_NE(iterator, nullptr);
  EXPECT_EQ(walk_tetra_using_edge_with_tag(iterator, 3), (std::vector<int>{1}));
  EXPECT_EQ(sorted(walk_tetra_using_edge_with_tag(iterator, 5)), (std::vector<int>{1, 2}));
  // A tag no edge carries yields nothing at once.
  EXPECT_TRUE(walk_tetra_using_edge_with_tag(iterator, 9).empty());
  // Initialising again, even in the middle of a walk, restarts.
  EXPECT_EQ(gridlume_mesh_iterator_tetra_using_edge_with_tag_initialize(iterator, 5), 0);
  EXPECT_NE(gridlume_mesh_iterator_tetra_using_edge_with_tag_next(iterator), 0);
  EXPECT_EQ(walk_tetra_using_edge_with_tag(iterator, 3), (std::vector<int>{1}));
  gridlume_mesh_iterator_tetra_using_edge_with_tag_delete(iterator);
}

TEST(ElementIterators, ACompositeTagCountsForItsBaseTagsAndItself) {
  Context context;
  gridlume_mesh *mesh = two_tetrahedra(context);
  gridlume_tag_system *tags = gridlume_tag_system_new(10);
  gridlume_tag_system_add_base_tag(tags, 3);
  gridlume_tag_system_add_base_tag(tags, 5);
  int pair[2] = {3, 5}, composite = 0;
  ASSERT_EQ(gridlume_tag_system_get_composite_tag(tags, pair, 2, &composite), 0);
  gridlume_mesh_set_tag_system(mesh, tags);
  // Edge (4, 5) only belongs to tetrahedron 2; edge (1, 2) to tetrahedron 1.
  set_edges(mesh, {{4, 5, composite}, {1, 2, 3}});
  auto *iterator = gridlume_mesh_iterator_tetra_using_edge_with_tag_new(mesh);
  ASSERT_NE(iterator, nullptr);
  EXPECT_EQ(sorted(walk_tetra_using_edge_with_tag(iterator, 3)), (std::vector<int>{1, 2}));
  EXPECT_EQ(walk_tetra_using_edge_with_tag(iterator, 5), (std::vector<int>{2}));
  EXPECT_EQ(walk_tetra_using_edge_with_tag(iterator, composite), (std::vector<int>{2}));
  gridlume_mesh_iterator_tetra_using_edge_with_tag_delete(iterator);

  // The triangles of an edge tagged with the composite.
  set_edges(mesh, {{2, 3, composite}});
  auto *by_edge = gridlume_mesh_iterator_triangle_using_edge_with_tag_new(mesh);
  ASSERT_NE(by_edge, nullptr);
  for (int tag : {3, 5, composite})
    EXPECT_EQ(sorted(walk_triangle_using_edge_with_tag(by_edge, tag)), (std::vector<int>{1, 2}));
  gridlume_mesh_iterator_triangle_using_edge_with_tag_delete(by_edge);
}

TEST(ElementIterators, TetrahedraByTriangleTagMatchFacesInAnyVertexOrder) {
  Context context;
  gridlume_mesh *mesh = two_tetrahedra(context);
  const int shared = 7, outer = 8;
  gridlume_mesh_set_triangle_tag(mesh, 1, &outer);
  gridlume_mesh_set_triangle_tag(mesh, 2, &shared);
  auto *iterator = gridlume_mesh_iterator_tetra_using_triangle_with_tag_new(mesh);
  ASSERT_NE(iterator, nullptr);
  EXPECT_EQ(sorted(walk_tetra_using_triangle_with_tag(iterator, shared)), (std::vector<int>{1, 2}));
  EXPECT_EQ(walk_tetra_using_triangle_with_tag(iterator, outer), (std::vector<int>{1}));
  gridlume_mesh_iterator_tetra_using_triangle_with_tag_delete(iterator);
}

TEST(ElementIterators, EveryElementOfALargeTagComesExactlyOnce) {
  Context context;
  const double min[3] = {0, 0, 0}, max[3] = {1, 1, 1};
  gridlume_mesh *grid = gridlume_mesh_new_tetra_grid(context, min, max, 6, 6, 6);
  // Every edge of the grid along x (vertex numbers 36 apart), tagged 4.
  std::set<std::array<int, 3>> along_x;
  std::vector<int> expected;
  int count = 0;
  gridlume_mesh_get_tetrahedron_count(grid, &count);
  for (int t = 1; t <= count; ++t) {
    int v[4];
    gridlume_mesh_get_tetrahedron_vertices(grid, t, v);
    bool has = false;
    for (int a = 0; a < 4; ++a)
      for (int b = 0; b < 4; ++b)
        if (v[b] - v[a] == 36) {
          along_x.insert({v[a], v[b], 4});
          has = true;
        }
    if (has) expected.push_back(t);
  }
  set_edges(grid, std::vector<std::array<int, 3>>(along_x.begin(), along_x.end()));
  auto *iterator = gridlume_mesh_iterator_tetra_using_edge_with_tag_new(grid);
  ASSERT_NE(iterator, nullptr);
  EXPECT_EQ(sorted(walk_tetra_using_edge_with_tag(iterator, 4)), expected);
  gridlume_mesh_iterator_tetra_using_edge_with_tag_delete(iterator);
}

int failing_tag(int, int *, void *) { return 3; }

TEST(ElementIterators, NullArgumentsAndFailingQueries) {
  EXPECT_EQ(gridlume_mesh_iterator_tetra_using_edge_with_tag_new(nullptr), nullptr);
  EXPECT_EQ(gridlume_mesh_iterator_tetra_using_triangle_with_tag_initialize(nullptr, 1), -1);
  EXPECT_EQ(gridlume_mesh_iterator_triangle_using_edge_with_tag_next(nullptr), 0);
  EXPECT_EQ(gridlume_mesh_iterator_tetra_using_edge_with_tag_get(nullptr), 0);
  gridlume_mesh_iterator_tetra_using_triangle_with_tag_delete(nullptr);
  Context context;
  gridlume_mesh *mesh = two_tetrahedra(context);
  set_edges(mesh, {{1, 2, 3}});
  gridlume_mesh_set_get_edge_tag(mesh, failing_tag, nullptr);
  EXPECT_EQ(gridlume_mesh_iterator_tetra_using_edge_with_tag_new(mesh), nullptr);
  EXPECT_EQ(gridlume_mesh_iterator_triangle_using_edge_with_tag_new(mesh), nullptr);
}

TEST(ElementIterators, EveryAllocationFailureOfAConstructorIsReported) {
  // The distinct tags are only counted for sizing: when the set counting
  // them fails the iterator is built all the same.
  for (int family = 0; family < 3; ++family) {
    for_each_allocation_failure([family](AllocationFailure &failure) {
      Context context;
      gridlume_mesh *mesh = two_tetrahedra(context);
      set_edges(mesh, {{1, 2, 3}, {2, 3, 5}, {4, 3, 5}});
      failure.arm();
      gridlume_mesh_iterator *iterator =
          family == 0   ? gridlume_mesh_iterator_tetra_using_edge_with_tag_new(mesh)
          : family == 1 ? gridlume_mesh_iterator_tetra_using_triangle_with_tag_new(mesh)
                        : gridlume_mesh_iterator_triangle_using_edge_with_tag_new(mesh);
      failure.disarm();
      if (iterator != nullptr && family == 0) {
        EXPECT_EQ(sorted(walk_tetra_using_edge_with_tag(iterator, 5)), (std::vector<int>{1, 2}));
      }
      if (!failure.happened()) {
        EXPECT_NE(iterator, nullptr);
      }
      gridlume_mesh_iterator_tetra_using_edge_with_tag_delete(iterator);
    });
  }
}

}  // namespace
}  // namespace gridlume_test
