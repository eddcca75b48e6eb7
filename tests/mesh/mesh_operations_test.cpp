// Meshes built from other meshes or from nothing: concatenation, surface
// extraction, the tetrahedral grid; and the required discretization table.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "mesh_builder.hpp"

using namespace gridlume_test;
using Triangle = std::array<int, 3>;
using Point = std::array<double, 3>;

namespace {

struct MeshOperations : ::testing::Test {
  Context context;
};

Triangle triangle(gridlume_mesh *mesh, int t) {
  return values_of<3>(gridlume_mesh_get_triangle_vertices, mesh, t);
}
Point point(gridlume_mesh *mesh, int i) {
  return values_of<3>(gridlume_mesh_get_vertex_coordinates, mesh, i);
}
int failing_tag(int, int *, void *) { return -3; }

}  // namespace

TEST_F(MeshOperations, ConcatenationAppendsRaisingVertexIndices) {
  gridlume_mesh *destination = surface(context, 3, {{1, 2, 3}});
  gridlume_mesh *source = surface(context, 4, {{1, 2, 3}, {2, 4, 3}}, 100);
  gridlume_mesh_set_edge_count(source, 1);
  const int edge[2] = {1, 4};
  gridlume_mesh_set_edge_vertices(source, 1, edge);
  ASSERT_EQ(gridlume_mesh_concatenate(destination, source), 0);
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_count, destination), 7);
  EXPECT_EQ(value_of(gridlume_mesh_get_triangle_count, destination), 3);
  EXPECT_EQ(triangle(destination, 1), (Triangle{1, 2, 3}));
  EXPECT_EQ(triangle(destination, 3), (Triangle{5, 7, 6}));
  EXPECT_EQ(point(destination, 4)[0], 101.0);
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_tag, destination, 7), 104);
  EXPECT_EQ(value_of(gridlume_mesh_get_triangle_tag, destination, 2), 111);
  EXPECT_EQ(values_of<2>(gridlume_mesh_get_edge_vertices, destination, 1)[1], 7);
}

TEST_F(MeshOperations, ConcatenationStopsAtTheFirstFailingCallback) {
  gridlume_mesh *destination = surface(context, 1, {});
  gridlume_mesh *source = surface(context, 2, {});
  gridlume_mesh_set_get_vertex_tag(source, failing_tag, nullptr);
  EXPECT_EQ(gridlume_mesh_concatenate(destination, source), -3);
  EXPECT_EQ(gridlume_mesh_concatenate(nullptr, source), -1);
  EXPECT_EQ(gridlume_mesh_concatenate(destination, nullptr), -1);
  // A destination without setters refuses the first count.
  EXPECT_EQ(gridlume_mesh_concatenate(gridlume_mesh_new(context), source), -1);
}

TEST_F(MeshOperations, NewConcatenationIsInMemoryIn3DAndReadsFailingTagsAsZero) {
  gridlume_mesh *a = surface(context, 3, {{1, 2, 3}});
  gridlume_mesh *b = surface(context, 4, {{1, 2, 3}, {2, 4, 3}}, 100);
  gridlume_mesh_set_dimension(a, 2);
  gridlume_mesh_set_get_vertex_tag(b, failing_tag, nullptr);
  gridlume_mesh *joined = nullptr;
  ASSERT_EQ(gridlume_mesh_new_concatenate(context, a, b, &joined), 0);
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_count, joined), 7);
  EXPECT_EQ(triangle(joined, 2), (Triangle{4, 5, 6}));
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_tag, joined, 5), 0);
  EXPECT_EQ(value_of(gridlume_mesh_get_dimension, joined), 3);
  joined = a;
  EXPECT_EQ(gridlume_mesh_new_concatenate(context, a, nullptr, &joined), -1);
  EXPECT_EQ(joined, nullptr);
  EXPECT_EQ(gridlume_mesh_new_concatenate(nullptr, a, b, &joined), -1);
  EXPECT_EQ(gridlume_mesh_new_concatenate(context, a, b, nullptr), -1);
}

TEST_F(MeshOperations, ExtractionKeepsOnlyUsedVerticesInTheirOldOrder) {
  // Vertices 2 and 5 are used by nothing.
  gridlume_mesh *mesh = surface(context, 6, {{1, 3, 4}, {4, 3, 6}});
  gridlume_mesh_set_quadrangle_count(mesh, 1);
  const int quadrangle[4] = {6, 4, 3, 1}, tetrahedron[4] = {1, 2, 5, 6};
  gridlume_mesh_set_quadrangle_vertices(mesh, 1, quadrangle);
  gridlume_mesh_set_tetrahedron_count(mesh, 1);
  gridlume_mesh_set_tetrahedron_vertices(mesh, 1, tetrahedron);
  gridlume_mesh_set_dimension(mesh, 2);
  gridlume_mesh *extracted = nullptr;
  ASSERT_EQ(gridlume_mesh_new_extract_surface_mesh(context, mesh, &extracted), 0);
  ASSERT_NE(extracted, nullptr);
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_count, extracted), 4);
  EXPECT_EQ(value_of(gridlume_mesh_get_tetrahedron_count, extracted), 0);
  EXPECT_EQ(point(extracted, 2)[0], 3.0);  // vertex 3 became vertex 2
  EXPECT_EQ(point(extracted, 4)[0], 6.0);
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_tag, extracted, 2), 3);
  EXPECT_EQ(triangle(extracted, 2), (Triangle{3, 2, 4}));
  EXPECT_EQ(value_of(gridlume_mesh_get_triangle_tag, extracted, 2), 12);
  EXPECT_EQ(values_of<4>(gridlume_mesh_get_quadrangle_vertices, extracted, 1),
            (std::array<int, 4>{4, 3, 2, 1}));
  EXPECT_EQ(value_of(gridlume_mesh_get_dimension, extracted), 2);
}

TEST_F(MeshOperations, ExtractionRefusesBadInput) {
  gridlume_mesh *out = nullptr;
  gridlume_mesh *mesh = surface(context, 3, {{1, 2, 4}});  // vertex 4 does not exist
  EXPECT_EQ(gridlume_mesh_new_extract_surface_mesh(context, mesh, &out), -1);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(gridlume_mesh_new_extract_surface_mesh(nullptr, mesh, &out), -1);
  EXPECT_EQ(gridlume_mesh_new_extract_surface_mesh(context, nullptr, &out), -1);
  EXPECT_EQ(gridlume_mesh_new_extract_surface_mesh(context, mesh, nullptr), -1);
  // A failing accessor after creation hands over what was built.
  gridlume_mesh *good = surface(context, 3, {{1, 2, 3}});
  gridlume_mesh_set_get_triangle_tag(good, failing_tag, nullptr);
  EXPECT_EQ(gridlume_mesh_new_extract_surface_mesh(context, good, &out), -3);
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_count, out), 3);
}

TEST_F(MeshOperations, SmallestGridIsSixTetrahedraAroundTheDiagonal) {
  const double min[3] = {0, 0, 0}, max[3] = {1, 2, 4};
  gridlume_mesh *grid = gridlume_mesh_new_tetra_grid(context, min, max, 2, 2, 2);
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_count, grid), 8);
  EXPECT_EQ(value_of(gridlume_mesh_get_tetrahedron_count, grid), 6);
  for (int t = 1; t <= 6; ++t) {
    const auto v = values_of<4>(gridlume_mesh_get_tetrahedron_vertices, grid, t);
    EXPECT_EQ(v[0], 1);
    EXPECT_TRUE(v[1] == 8 || v[2] == 8 || v[3] == 8) << "tetrahedron " << t;
  }
  // P000 P100 P101 P111
  EXPECT_EQ(values_of<4>(gridlume_mesh_get_tetrahedron_vertices, grid, 1),
            (std::array<int, 4>{1, 5, 6, 8}));
  // Vertex (i, j, k) = (1, 0, 1) is number 1*4 + 0*2 + 1 + 1.
  EXPECT_EQ(point(grid, 6), (Point{1, 0, 4}));
  EXPECT_EQ(value_of(gridlume_mesh_get_tetrahedron_tag, grid, 6), 0);
  gridlume_mesh *wider = gridlume_mesh_new_tetra_grid(context, min, max, 3, 2, 2);
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_count, wider), 12);
  EXPECT_EQ(value_of(gridlume_mesh_get_tetrahedron_count, wider), 12);
}

TEST_F(MeshOperations, EveryGridTetrahedronHasTheSameNegativeOrientation) {
  const double min[3] = {-1, 0.5, 2}, max[3] = {3, 1, 2.5};
  gridlume_mesh *grid = gridlume_mesh_new_tetra_grid(context, min, max, 4, 3, 5);
  ASSERT_NE(grid, nullptr);
  const int count = value_of(gridlume_mesh_get_tetrahedron_count, grid);
  EXPECT_EQ(count, 6 * 3 * 2 * 4);
  for (int t = 1; t <= count; ++t) {
    const auto v = values_of<4>(gridlume_mesh_get_tetrahedron_vertices, grid, t);
    double e[3][3];
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) e[r][c] = point(grid, v[r + 1])[c] - point(grid, v[0])[c];
    const double det = e[0][0] * (e[1][1] * e[2][2] - e[1][2] * e[2][1]) -
                       e[0][1] * (e[1][0] * e[2][2] - e[1][2] * e[2][0]) +
                       e[0][2] * (e[1][0] * e[2][1] - e[1][1] * e[2][0]);
    EXPECT_LT(det, 0.0) << "tetrahedron " << t;
  }
  EXPECT_EQ(point(grid, 60), (Point{3, 1, 2.5}));  // the last vertex is the far corner
}

TEST_F(MeshOperations, GridRefusesSmallOrOversizedCountsAndMissingBounds) {
  const double min[3] = {0, 0, 0}, max[3] = {1, 1, 1};
  EXPECT_EQ(gridlume_mesh_new_tetra_grid(context, min, max, 1, 2, 2), nullptr);
  EXPECT_EQ(gridlume_mesh_new_tetra_grid(context, min, max, 2, 2, -3), nullptr);
  EXPECT_EQ(gridlume_mesh_new_tetra_grid(context, min, max, 2000, 2000, 2000), nullptr);
  EXPECT_EQ(gridlume_mesh_new_tetra_grid(context, nullptr, max, 2, 2, 2), nullptr);
  EXPECT_EQ(gridlume_mesh_new_tetra_grid(nullptr, min, max, 2, 2, 2), nullptr);
}

TEST_F(MeshOperations, RequiredDiscretizationsAreKeptInOrderOfAdditionAndNotCopied) {
  gridlume_mesh *mesh = gridlume_mesh_new(context);
  EXPECT_EQ(value_of(gridlume_mesh_get_required_discretization_on_reference_line_count, mesh), 0);
  int tag = 0, n = 0;
  const int *ids = nullptr;
  const double *xyz = nullptr;
  auto get = [&](gridlume_mesh *from, int line) {
    return gridlume_mesh_get_required_discretization_on_reference_line(from, line, &tag, &n, &ids,
                                                                       &xyz);
  };
  EXPECT_EQ(get(mesh, 1), -1);
  // 50 lines grow the table past its first capacity.
  for (int line = 1; line <= 50; ++line) {
    std::vector<int> line_ids(static_cast<size_t>(line + 1));
    std::vector<double> line_xyz(3 * line_ids.size());
    for (size_t p = 0; p < line_ids.size(); ++p) line_ids[p] = 100 * line + int(p);
    for (size_t c = 0; c < line_xyz.size(); ++c) line_xyz[c] = line + 0.01 * double(c);
    ASSERT_EQ(gridlume_mesh_set_required_discretization_on_reference_line(
                  mesh, 10 * line, line + 1, line_ids.data(), line_xyz.data()),
              0);
  }
  EXPECT_EQ(value_of(gridlume_mesh_get_required_discretization_on_reference_line_count, mesh), 50);
  ASSERT_EQ(get(mesh, 2), 0);
  EXPECT_EQ(tag, 20);
  EXPECT_EQ(n, 3);
  EXPECT_EQ(ids[2], 202);
  EXPECT_EQ(xyz[8], 2.08);
  ASSERT_EQ(get(mesh, 50), 0);
  EXPECT_EQ(tag, 500);
  EXPECT_EQ(ids[50], 5050);
  EXPECT_EQ(xyz[2], 50 + 0.01 * 2);
  EXPECT_EQ(get(mesh, 51), -1);
  EXPECT_EQ(get(mesh, 0), -1);
  EXPECT_EQ(gridlume_mesh_set_required_discretization_on_reference_line(nullptr, 1, 0, nullptr,
                                                                        nullptr),
            -1);
  EXPECT_EQ(gridlume_mesh_set_required_discretization_on_reference_line(mesh, 1, 2, nullptr,
                                                                        nullptr),
            -1);
  gridlume_mesh *copy = gridlume_mesh_new_in_memory_copy(mesh);
  EXPECT_EQ(value_of(gridlume_mesh_get_required_discretization_on_reference_line_count, copy), 0);
}

TEST(MeshOperationFailures, EveryOperationSurvivesEveryAllocationFailure) {
  auto two_surfaces = [](gridlume_context *context) {
    return std::pair{surface(context, 3, {{1, 2, 3}}),
                     surface(context, 4, {{1, 2, 3}, {2, 4, 3}}, 100)};
  };
  gridlume_mesh *joined = nullptr;
  expect_each_allocation_failure_reported(
      [&](gridlume_context *context, AllocationFailure &failure) {
        auto [a, b] = two_surfaces(context);
        failure.arm();
        return gridlume_mesh_new_concatenate(context, a, b, &joined);
      },
      [&](int) { EXPECT_EQ(triangle(joined, 3), (Triangle{5, 7, 6})); });
  expect_each_allocation_failure_reported(
      [&](gridlume_context *context, AllocationFailure &failure) {
        auto [destination, source] = two_surfaces(context);
        failure.arm();
        return gridlume_mesh_concatenate(destination, source);
      });
  expect_each_allocation_failure_reported(
      [](gridlume_context *context, AllocationFailure &failure) {
        gridlume_mesh *mesh = surface(context, 6, {{1, 3, 4}, {4, 3, 6}}), *out = nullptr;
        failure.arm();
        return gridlume_mesh_new_extract_surface_mesh(context, mesh, &out);
      });
  expect_each_allocation_failure_reported(
      [](gridlume_context *context, AllocationFailure &failure) {
        const double min[3] = {0, 0, 0}, max[3] = {1, 1, 1};
        failure.arm();
        return gridlume_mesh_new_tetra_grid(context, min, max, 3, 3, 3);
      });
}

TEST(MeshOperationFailures, RequiredDiscretizationSurvivesEveryAllocationFailure) {
  for_each_allocation_failure([](AllocationFailure &failure) {
    Context context;
    gridlume_mesh *mesh = gridlume_mesh_new(context);
    const int ids[2] = {1, 2};
    const double xyz[6] = {};
    failure.arm();
    int status = 0, added = 0;
    for (; added < 12 && status == 0; ++added)
      status = gridlume_mesh_set_required_discretization_on_reference_line(mesh, added, 2, ids,
                                                                           xyz);
    failure.disarm();
    EXPECT_EQ(status, failure.happened() ? -5 : 0);
    const int count =
        value_of(gridlume_mesh_get_required_discretization_on_reference_line_count, mesh);
    EXPECT_TRUE(count == added || count == added - 1);
    if (status == -5 && count == added) {
      // The entry whose arrays could not be made stays, with no arrays.
      int tag = 0, n = 0;
      const int *entry_ids = ids;
      const double *entry_xyz = xyz;
      ASSERT_EQ(gridlume_mesh_get_required_discretization_on_reference_line(
                    mesh, count, &tag, &n, &entry_ids, &entry_xyz),
                0);
      EXPECT_EQ(entry_ids, nullptr);
      EXPECT_EQ(entry_xyz, nullptr);
    }
  });
}
