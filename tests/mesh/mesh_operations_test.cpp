// Meshes built from other meshes or from nothing: concatenation, surface
// extraction, the tetrahedral grid; and the required discretization table.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <vector>

#include "gridlume.h"
#include "gridlume_stubs.h"
#include "support/allocation_failure.hpp"

using gridlume_test::AllocationFailure;
using gridlume_test::for_each_allocation_failure;

namespace {

class MeshOperations : public ::testing::Test {
 protected:
  void TearDown() override { gridlume_context_delete(context); }
  gridlume_context *context = gridlume_context_new();
};

// An in-memory surface: vertex i at (i, 0, 0) with tag base + i, and the
// given triangles tagged base + 10 + their number.
gridlume_mesh *surface(gridlume_context *context, int vertex_count,
                       const std::vector<std::array<int, 3>> &triangles, int base) {
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
    const int tag = base + 10 + t;
    gridlume_mesh_set_triangle_vertices(mesh, t, triangles[t - 1].data());
    gridlume_mesh_set_triangle_tag(mesh, t, &tag);
  }
  return mesh;
}

std::array<int, 3> triangle(gridlume_mesh *mesh, int t) {
  std::array<int, 3> vertices{};
  EXPECT_EQ(gridlume_mesh_get_triangle_vertices(mesh, t, vertices.data()), 0);
  return vertices;
}

int count_of(int (*get)(gridlume_mesh *, int *), gridlume_mesh *mesh) {
  int count = -1;
  EXPECT_EQ(get(mesh, &count), 0);
  return count;
}

std::array<double, 3> point(gridlume_mesh *mesh, int i) {
  std::array<double, 3> xyz{};
  EXPECT_EQ(gridlume_mesh_get_vertex_coordinates(mesh, i, xyz.data()), 0);
  return xyz;
}

int failing_tag(int, int *, void *) { return -3; }

}  // namespace

// ---- Concatenation --------------------------------------------------------

TEST_F(MeshOperations, ConcatenationAppendsRaisingVertexIndices) {
  gridlume_mesh *destination = surface(context, 3, {{1, 2, 3}}, 0);
  gridlume_mesh *source = surface(context, 4, {{1, 2, 3}, {2, 4, 3}}, 100);
  gridlume_mesh_set_edge_count(source, 1);
  const int edge[2] = {1, 4};
  gridlume_mesh_set_edge_vertices(source, 1, edge);
  ASSERT_EQ(gridlume_mesh_concatenate(destination, source), 0);
  EXPECT_EQ(count_of(gridlume_mesh_get_vertex_count, destination), 7);
  EXPECT_EQ(count_of(gridlume_mesh_get_triangle_count, destination), 3);
  EXPECT_EQ(triangle(destination, 1), (std::array<int, 3>{1, 2, 3}));
  EXPECT_EQ(triangle(destination, 3), (std::array<int, 3>{5, 7, 6}));
  EXPECT_EQ(point(destination, 4)[0], 101.0);
  int tag = 0;
  gridlume_mesh_get_vertex_tag(destination, 7, &tag);
  EXPECT_EQ(tag, 104);
  gridlume_mesh_get_triangle_tag(destination, 2, &tag);
  EXPECT_EQ(tag, 111);
  int vertices[2] = {};
  gridlume_mesh_get_edge_vertices(destination, 1, vertices);
  EXPECT_EQ(vertices[1], 7);
}

TEST_F(MeshOperations, ConcatenationStopsAtTheFirstFailingCallback) {
  gridlume_mesh *destination = surface(context, 1, {}, 0);
  gridlume_mesh *source = surface(context, 2, {}, 0);
  gridlume_mesh_set_get_vertex_tag(source, failing_tag, nullptr);
  EXPECT_EQ(gridlume_mesh_concatenate(destination, source), -3);
  EXPECT_EQ(gridlume_mesh_concatenate(nullptr, source), -1);
  EXPECT_EQ(gridlume_mesh_concatenate(destination, nullptr), -1);
  // A destination without setters refuses the first count.
  EXPECT_EQ(gridlume_mesh_concatenate(gridlume_mesh_new(context), source), -1);
}

TEST_F(MeshOperations, NewConcatenationHoldsAThenBAndToleratesVertexTagFailures) {
  gridlume_mesh *a = surface(context, 3, {{1, 2, 3}}, 0);
  gridlume_mesh *b = surface(context, 4, {{1, 2, 3}, {2, 4, 3}}, 100);
  gridlume_mesh_set_dimension(a, 2);
  gridlume_mesh_set_get_vertex_tag(b, failing_tag, nullptr);
  gridlume_mesh *joined = nullptr;
  ASSERT_EQ(gridlume_mesh_new_concatenate(context, a, b, &joined), 0);
  EXPECT_EQ(count_of(gridlume_mesh_get_vertex_count, joined), 7);
  EXPECT_EQ(triangle(joined, 2), (std::array<int, 3>{4, 5, 6}));
  int tag = -1, dimension = 0;
  gridlume_mesh_get_vertex_tag(joined, 5, &tag);
  EXPECT_EQ(tag, 0);
  gridlume_mesh_get_dimension(joined, &dimension);
  EXPECT_EQ(dimension, 3);
  joined = a;
  EXPECT_EQ(gridlume_mesh_new_concatenate(context, a, nullptr, &joined), -1);
  EXPECT_EQ(joined, nullptr);
  EXPECT_EQ(gridlume_mesh_new_concatenate(nullptr, a, b, &joined), -1);
  EXPECT_EQ(gridlume_mesh_new_concatenate(context, a, b, nullptr), -1);
}

TEST(MeshOperationFailures, NewConcatenationSurvivesEveryAllocationFailure) {
  for_each_allocation_failure([](AllocationFailure &failure) {
    gridlume_context *context = gridlume_context_new();
    gridlume_mesh *a = surface(context, 3, {{1, 2, 3}}, 0);
    gridlume_mesh *b = surface(context, 4, {{1, 2, 3}, {2, 4, 3}}, 100);
    gridlume_mesh *joined = nullptr;
    failure.arm();
    int status = gridlume_mesh_new_concatenate(context, a, b, &joined);
    failure.disarm();
    EXPECT_EQ(status, failure.happened() ? -5 : 0);
    if (status == 0) {
      EXPECT_EQ(triangle(joined, 3), (std::array<int, 3>{5, 7, 6}));
    }
    gridlume_context_delete(context);  // deletes a partial result too
  });
}

TEST(MeshOperationFailures, ConcatenationIntoAnInMemoryMeshSurvivesEveryAllocationFailure) {
  for_each_allocation_failure([](AllocationFailure &failure) {
    gridlume_context *context = gridlume_context_new();
    gridlume_mesh *destination = surface(context, 3, {{1, 2, 3}}, 0);
    gridlume_mesh *source = surface(context, 4, {{1, 2, 3}, {2, 4, 3}}, 100);
    failure.arm();
    int status = gridlume_mesh_concatenate(destination, source);
    failure.disarm();
    EXPECT_EQ(status, failure.happened() ? -5 : 0);
    gridlume_context_delete(context);
  });
}

// ---- Surface extraction -----------------------------------------------------

TEST_F(MeshOperations, ExtractionKeepsOnlyUsedVerticesInTheirOldOrder) {
  // Vertices 2 and 5 are used by nothing.
  gridlume_mesh *mesh = surface(context, 6, {{1, 3, 4}, {4, 3, 6}}, 0);
  gridlume_mesh_set_quadrangle_count(mesh, 1);
  const int quadrangle[4] = {6, 4, 3, 1};
  gridlume_mesh_set_quadrangle_vertices(mesh, 1, quadrangle);
  gridlume_mesh_set_tetrahedron_count(mesh, 1);
  const int tetrahedron[4] = {1, 2, 5, 6};
  gridlume_mesh_set_tetrahedron_vertices(mesh, 1, tetrahedron);
  gridlume_mesh_set_dimension(mesh, 2);
  gridlume_mesh *extracted = nullptr;
  ASSERT_EQ(gridlume_mesh_new_extract_surface_mesh(context, mesh, &extracted), 0);
  ASSERT_NE(extracted, nullptr);
  EXPECT_EQ(count_of(gridlume_mesh_get_vertex_count, extracted), 4);
  EXPECT_EQ(count_of(gridlume_mesh_get_tetrahedron_count, extracted), 0);
  EXPECT_EQ(point(extracted, 2)[0], 3.0);  // vertex 3 became vertex 2
  EXPECT_EQ(point(extracted, 4)[0], 6.0);
  int tag = 0;
  gridlume_mesh_get_vertex_tag(extracted, 2, &tag);
  EXPECT_EQ(tag, 3);
  EXPECT_EQ(triangle(extracted, 2), (std::array<int, 3>{3, 2, 4}));
  gridlume_mesh_get_triangle_tag(extracted, 2, &tag);
  EXPECT_EQ(tag, 12);
  int vertices[4] = {};
  gridlume_mesh_get_quadrangle_vertices(extracted, 1, vertices);
  EXPECT_EQ(vertices[0], 4);
  EXPECT_EQ(vertices[3], 1);
  int dimension = 0;
  gridlume_mesh_get_dimension(extracted, &dimension);
  EXPECT_EQ(dimension, 2);
}

TEST_F(MeshOperations, ExtractionRefusesBadInput) {
  gridlume_mesh *out = nullptr;
  gridlume_mesh *mesh = surface(context, 3, {{1, 2, 4}}, 0);  // vertex 4 does not exist
  EXPECT_EQ(gridlume_mesh_new_extract_surface_mesh(context, mesh, &out), -1);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(gridlume_mesh_new_extract_surface_mesh(nullptr, mesh, &out), -1);
  EXPECT_EQ(gridlume_mesh_new_extract_surface_mesh(context, nullptr, &out), -1);
  EXPECT_EQ(gridlume_mesh_new_extract_surface_mesh(context, mesh, nullptr), -1);
  // A failing accessor after creation hands over what was built.
  gridlume_mesh *good = surface(context, 3, {{1, 2, 3}}, 0);
  gridlume_mesh_set_get_triangle_tag(good, failing_tag, nullptr);
  EXPECT_EQ(gridlume_mesh_new_extract_surface_mesh(context, good, &out), -3);
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(count_of(gridlume_mesh_get_vertex_count, out), 3);
}

TEST(MeshOperationFailures, ExtractionSurvivesEveryAllocationFailure) {
  for_each_allocation_failure([](AllocationFailure &failure) {
    gridlume_context *context = gridlume_context_new();
    gridlume_mesh *mesh = surface(context, 6, {{1, 3, 4}, {4, 3, 6}}, 0);
    gridlume_mesh *out = nullptr;
    failure.arm();
    int status = gridlume_mesh_new_extract_surface_mesh(context, mesh, &out);
    failure.disarm();
    EXPECT_EQ(status, failure.happened() ? -5 : 0);
    gridlume_context_delete(context);
  });
}

// ---- Tetrahedral grid -------------------------------------------------------

TEST_F(MeshOperations, SmallestGridIsSixTetrahedraAroundTheDiagonal) {
  const double min[3] = {0, 0, 0}, max[3] = {1, 2, 4};
  gridlume_mesh *grid = gridlume_mesh_new_tetra_grid(context, min, max, 2, 2, 2);
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(count_of(gridlume_mesh_get_vertex_count, grid), 8);
  EXPECT_EQ(count_of(gridlume_mesh_get_tetrahedron_count, grid), 6);
  for (int t = 1; t <= 6; ++t) {
    int v[4] = {};
    ASSERT_EQ(gridlume_mesh_get_tetrahedron_vertices(grid, t, v), 0);
    EXPECT_EQ(v[0], 1);
    EXPECT_TRUE(v[1] == 8 || v[2] == 8 || v[3] == 8) << "tetrahedron " << t;
  }
  int v[4] = {};
  gridlume_mesh_get_tetrahedron_vertices(grid, 1, v);  // P000 P100 P101 P111
  EXPECT_EQ(v[1], 5);
  EXPECT_EQ(v[2], 6);
  EXPECT_EQ(v[3], 8);
  // Vertex (i, j, k) = (1, 0, 1) is number 1*4 + 0*2 + 1 + 1.
  EXPECT_EQ(point(grid, 6), (std::array<double, 3>{1, 0, 4}));
  int tag = -1;
  EXPECT_EQ(gridlume_mesh_get_tetrahedron_tag(grid, 6, &tag), 0);
  EXPECT_EQ(tag, 0);
  const double wide_min[3] = {0, 0, 0};
  gridlume_mesh *wider = gridlume_mesh_new_tetra_grid(context, wide_min, max, 3, 2, 2);
  EXPECT_EQ(count_of(gridlume_mesh_get_vertex_count, wider), 12);
  EXPECT_EQ(count_of(gridlume_mesh_get_tetrahedron_count, wider), 12);
}

TEST_F(MeshOperations, EveryGridTetrahedronHasTheSameNegativeOrientation) {
  const double min[3] = {-1, 0.5, 2}, max[3] = {3, 1, 2.5};
  gridlume_mesh *grid = gridlume_mesh_new_tetra_grid(context, min, max, 4, 3, 5);
  ASSERT_NE(grid, nullptr);
  const int count = count_of(gridlume_mesh_get_tetrahedron_count, grid);
  EXPECT_EQ(count, 6 * 3 * 2 * 4);
  for (int t = 1; t <= count; ++t) {
    int v[4] = {};
    gridlume_mesh_get_tetrahedron_vertices(grid, t, v);
    std::array<double, 3> p[4];
    for (int c = 0; c < 4; ++c) p[c] = point(grid, v[c]);
    double e[3][3];
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) e[r][c] = p[r + 1][c] - p[0][c];
    const double det = e[0][0] * (e[1][1] * e[2][2] - e[1][2] * e[2][1]) -
                       e[0][1] * (e[1][0] * e[2][2] - e[1][2] * e[2][0]) +
                       e[0][2] * (e[1][0] * e[2][1] - e[1][1] * e[2][0]);
    EXPECT_LT(det, 0.0) << "tetrahedron " << t;
  }
  EXPECT_EQ(point(grid, 60)[0], 3.0);  // the last vertex is the far corner
  EXPECT_EQ(point(grid, 60)[2], 2.5);
}

TEST_F(MeshOperations, GridRefusesSmallOrOversizedCountsAndMissingBounds) {
  const double min[3] = {0, 0, 0}, max[3] = {1, 1, 1};
  EXPECT_EQ(gridlume_mesh_new_tetra_grid(context, min, max, 1, 2, 2), nullptr);
  EXPECT_EQ(gridlume_mesh_new_tetra_grid(context, min, max, 2, 2, -3), nullptr);
  EXPECT_EQ(gridlume_mesh_new_tetra_grid(context, min, max, 2000, 2000, 2000), nullptr);
  EXPECT_EQ(gridlume_mesh_new_tetra_grid(context, nullptr, max, 2, 2, 2), nullptr);
  EXPECT_EQ(gridlume_mesh_new_tetra_grid(nullptr, min, max, 2, 2, 2), nullptr);
}

TEST(MeshOperationFailures, GridSurvivesEveryAllocationFailure) {
  for_each_allocation_failure([](AllocationFailure &failure) {
    gridlume_context *context = gridlume_context_new();
    const double min[3] = {0, 0, 0}, max[3] = {1, 1, 1};
    failure.arm();
    gridlume_mesh *grid = gridlume_mesh_new_tetra_grid(context, min, max, 3, 3, 3);
    failure.disarm();
    EXPECT_EQ(grid == nullptr, failure.happened());
    gridlume_context_delete(context);
  });
}

// ---- Required discretizations -----------------------------------------------

TEST_F(MeshOperations, RequiredDiscretizationsAreKeptInOrderOfAddition) {
  gridlume_mesh *mesh = gridlume_mesh_new(context);
  int count = -1;
  EXPECT_EQ(gridlume_mesh_get_required_discretization_on_reference_line_count(mesh, &count), 0);
  EXPECT_EQ(count, 0);
  int tag = 0, n = 0;
  const int *ids = nullptr;
  const double *xyz = nullptr;
  EXPECT_EQ(gridlume_mesh_get_required_discretization_on_reference_line(mesh, 1, &tag, &n, &ids,
                                                                       &xyz),
            -1);
  for (int line = 1; line <= 3; ++line) {
    std::vector<int> line_ids(static_cast<size_t>(line + 1));
    std::vector<double> line_xyz(3 * line_ids.size());
    for (size_t p = 0; p < line_ids.size(); ++p) line_ids[p] = 100 * line + int(p);
    for (size_t c = 0; c < line_xyz.size(); ++c) line_xyz[c] = line + 0.01 * double(c);
    ASSERT_EQ(gridlume_mesh_set_required_discretization_on_reference_line(
                  mesh, 10 * line, line + 1, line_ids.data(), line_xyz.data()),
              0);
  }
  gridlume_mesh_get_required_discretization_on_reference_line_count(mesh, &count);
  EXPECT_EQ(count, 3);
  ASSERT_EQ(gridlume_mesh_get_required_discretization_on_reference_line(mesh, 2, &tag, &n, &ids,
                                                                       &xyz),
            0);
  EXPECT_EQ(tag, 20);
  EXPECT_EQ(n, 3);
  EXPECT_EQ(ids[2], 202);
  EXPECT_EQ(xyz[8], 2.08);
  EXPECT_EQ(gridlume_mesh_get_required_discretization_on_reference_line(mesh, 4, &tag, &n, &ids,
                                                                       &xyz),
            -1);
  EXPECT_EQ(gridlume_mesh_get_required_discretization_on_reference_line(mesh, 0, &tag, &n, &ids,
                                                                       &xyz),
            -1);
  EXPECT_EQ(gridlume_mesh_set_required_discretization_on_reference_line(nullptr, 1, 0, nullptr,
                                                                        nullptr),
            -1);
  EXPECT_EQ(gridlume_mesh_set_required_discretization_on_reference_line(mesh, 1, 2, nullptr,
                                                                        nullptr),
            -1);
  // The table is not copied with the mesh.
  gridlume_mesh *copy = gridlume_mesh_new_in_memory_copy(mesh);
  gridlume_mesh_get_required_discretization_on_reference_line_count(copy, &count);
  EXPECT_EQ(count, 0);
}

TEST_F(MeshOperations, RequiredDiscretizationTableGrowsPastItsCapacity) {
  gridlume_mesh *mesh = gridlume_mesh_new(context);
  const int id = 5;
  const double xyz[3] = {1, 2, 3};
  for (int line = 1; line <= 50; ++line)
    ASSERT_EQ(gridlume_mesh_set_required_discretization_on_reference_line(mesh, line, 1, &id, xyz),
              0);
  int tag = 0, n = 0;
  const int *ids = nullptr;
  const double *points = nullptr;
  ASSERT_EQ(gridlume_mesh_get_required_discretization_on_reference_line(mesh, 50, &tag, &n, &ids,
                                                                       &points),
            0);
  EXPECT_EQ(tag, 50);
  EXPECT_EQ(points[2], 3.0);
}

TEST(MeshOperationFailures, RequiredDiscretizationSurvivesEveryAllocationFailure) {
  for_each_allocation_failure([](AllocationFailure &failure) {
    gridlume_context *context = gridlume_context_new();
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
    int count = 0;
    gridlume_mesh_get_required_discretization_on_reference_line_count(mesh, &count);
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
    gridlume_context_delete(context);
  });
}
