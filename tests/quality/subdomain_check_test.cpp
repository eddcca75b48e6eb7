// The subdomain coherency check on small tetrahedral meshes: seeds on either
// side of a triangle, growth stopped by triangles, tags, overlaps, holes in
// the boundary, failing queries and memory exhaustion.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "array_mesh.hpp"
#include "gridlume.h"
#include "support/allocation_failure.hpp"

using gridlume_test::AllocationFailure;
using gridlume_test::ArrayMesh;
using gridlume_test::for_each_allocation_failure;

namespace {

// Two positively oriented tetrahedra A = (1,2,3,4) and B = (2,3,4,5)
// sharing face (2,3,4), both tagged 1, with their six outer faces as
// triangles. Triangle 1 = (1,2,3) has its normal pointing into A (seed
// orientation 0); triangle 4 = (2,3,5) has its normal pointing away from B
// (seed orientation 1).
class SubdomainCoherency : public ::testing::Test {
 protected:
  void SetUp() override {
    context_ = gridlume_context_new();
    for (auto p : {std::array<double, 3>{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 1}})
      arrays_.add_point(p[0], p[1], p[2]);
    arrays_.tetrahedra.add({1, 2, 3, 4}, 1);
    arrays_.tetrahedra.add({2, 3, 4, 5}, 1);
    for (auto t :
         {std::array<int, 3>{1, 2, 3}, {1, 2, 4}, {1, 3, 4}, {2, 3, 5}, {2, 4, 5}, {3, 4, 5}})
      arrays_.triangles.add({t[0], t[1], t[2]});
  }
  void TearDown() override { gridlume_context_delete(context_); }

  // The flag, or -99 when the status is not 0.
  int check() {
    gridlume_mesh *mesh = arrays_.make_mesh(context_);
    int coherent = -7;
    const int status = gridlume_mesh_check_subdomains_coherency(mesh, &coherent);
    gridlume_mesh_delete(mesh);
    return status == 0 ? coherent : -99;
  }

  gridlume_context *context_ = nullptr;
  ArrayMesh arrays_;
};

TEST_F(SubdomainCoherency, OneSubdomainSeededIntoTheMeshIsCoherent) {
  arrays_.subdomains = {{1, 2, 1, 0}};
  EXPECT_EQ(check(), 1);
  arrays_.subdomains = {{1, 2, 4, 1}};  // from B's side
  EXPECT_EQ(check(), 1);
}

TEST_F(SubdomainCoherency, ASeedPointingOutOfTheMeshIsIncoherent) {
  arrays_.subdomains = {{1, 2, 1, 1}};
  EXPECT_EQ(check(), 0);
  arrays_.subdomains = {{1, 2, 4, 0}};
  EXPECT_EQ(check(), 0);
}

TEST_F(SubdomainCoherency, ATriangleOnTheSharedFaceStopsTheGrowth) {
  arrays_.triangles.add({4, 3, 2});
  arrays_.subdomains = {{1, 2, 1, 0}};
  EXPECT_EQ(check(), 0);  // B is never reached
  arrays_.tetrahedra.tags[1] = 2;
  arrays_.subdomains = {{1, 2, 1, 0}, {2, 2, 4, 1}};
  EXPECT_EQ(check(), 1);  // one subdomain on each side
}

TEST_F(SubdomainCoherency, SeedOnTheSharedFacePicksTheSideByOrientation) {
  arrays_.triangles.add({2, 3, 4});  // normal (-1,1,0) x (-1,0,1) = (1,1,1): towards B
  arrays_.tetrahedra.tags[1] = 2;
  arrays_.subdomains = {{1, 2, 1, 0}, {2, 2, 7, 0}};
  EXPECT_EQ(check(), 1);
  arrays_.subdomains = {{1, 2, 1, 0}, {2, 2, 7, 1}};  // picks A, already taken
  EXPECT_EQ(check(), 0);
}

TEST_F(SubdomainCoherency, AWrongTagOrTwoSubdomainsOnOneTetrahedronAreIncoherent) {
  arrays_.tetrahedra.tags[1] = 2;
  arrays_.subdomains = {{1, 2, 1, 0}};
  EXPECT_EQ(check(), 0);
  arrays_.tetrahedra.tags[1] = 1;
  arrays_.subdomains = {{1, 2, 1, 0}, {1, 2, 4, 1}};  // both grow over A and B
  EXPECT_EQ(check(), 0);
}

TEST_F(SubdomainCoherency, AMissingBoundaryTriangleLetsTheGrowthOut) {
  arrays_.triangles.vertices.resize(5 * 3);  // drop (3,4,5)
  arrays_.triangles.tags.resize(5);
  arrays_.subdomains = {{1, 2, 1, 0}};
  EXPECT_EQ(check(), 0);
}

TEST_F(SubdomainCoherency, CoverageIsNeededButAnEmptyMeshIsCoherent) {
  arrays_.subdomains.clear();
  EXPECT_EQ(check(), 0);  // tetrahedra that no subdomain reaches
  arrays_.tetrahedra.vertices.clear();
  arrays_.tetrahedra.tags.clear();
  EXPECT_EQ(check(), 1);
}

TEST_F(SubdomainCoherency, SubdomainGrowsThroughACubeOfSixTetrahedra) {
  ArrayMesh cube;
  for (int c = 0; c < 8; ++c) cube.add_point(c & 1, (c >> 1) & 1, (c >> 2) & 1);
  // Six tetrahedra around the diagonal from corner 1 to corner 8.
  const int paths[6][2] = {{2, 4}, {4, 3}, {3, 7}, {7, 5}, {5, 6}, {6, 2}};
  std::map<std::array<int, 3>, int> face_uses;
  for (const auto &path : paths) {
    cube.tetrahedra.add({1, path[0], path[1], 8}, 5);
    const int *t = &cube.tetrahedra.vertices[cube.tetrahedra.vertices.size() - 4];
    for (auto f : {std::array<int, 3>{0, 1, 2}, {1, 2, 3}, {1, 3, 0}, {0, 2, 3}}) {
      std::array<int, 3> face = {t[f[0]], t[f[1]], t[f[2]]};
      std::sort(face.begin(), face.end());
      ++face_uses[face];
    }
  }
  for (const auto &[face, uses] : face_uses)
    if (uses == 1) cube.triangles.add({face[0], face[1], face[2]});
  ASSERT_EQ(cube.triangles.count(), 12);
  int coherent_orientations = 0;
  for (int orientation : {0, 1}) {
    cube.subdomains = {{5, 2, 1, orientation}};
    gridlume_mesh *mesh = cube.make_mesh(context_);
    int coherent = -1;
    EXPECT_EQ(gridlume_mesh_check_subdomains_coherency(mesh, &coherent), 0);
    coherent_orientations += coherent;
  }
  EXPECT_EQ(coherent_orientations, 1);  // exactly one side of a boundary triangle is inside
}

TEST_F(SubdomainCoherency, FailuresAreReportedAsStatuses) {
  int coherent = -7;
  EXPECT_EQ(gridlume_mesh_check_subdomains_coherency(nullptr, &coherent), -1);
  EXPECT_EQ(coherent, 1);
  gridlume_mesh *mesh = arrays_.make_mesh(context_);
  EXPECT_EQ(gridlume_mesh_check_subdomains_coherency(mesh, nullptr), -1);
  // A seed triangle that does not exist: its vertex query fails.
  arrays_.subdomains = {{1, 2, 99, 0}};
  coherent = -7;
  EXPECT_EQ(gridlume_mesh_check_subdomains_coherency(mesh, &coherent), -1);
  EXPECT_EQ(coherent, 1);
  // A mesh whose subdomain count getter is gone.
  gridlume_mesh_set_get_subdomain_count(mesh, nullptr, nullptr);
  EXPECT_EQ(gridlume_mesh_check_subdomains_coherency(mesh, &coherent), -1);
  EXPECT_EQ(gridlume_mesh_check_consistency(mesh), 0);
}

TEST_F(SubdomainCoherency, MemoryExhaustionAnswersMinusFiveAndLeaksNothing) {
  arrays_.subdomains = {{1, 2, 1, 0}};
  gridlume_mesh *mesh = arrays_.make_mesh(context_);
  const long failures = for_each_allocation_failure([&](AllocationFailure &failure) {
    int coherent = -7;
    failure.arm();
    const int status = gridlume_mesh_check_subdomains_coherency(mesh, &coherent);
    failure.disarm();
    if (failure.happened()) {
      EXPECT_EQ(status, -5);
    } else {
      EXPECT_EQ(status, 0);
      EXPECT_EQ(coherent, 1);
    }
  });
  EXPECT_GT(failures, 3);
}

}  // namespace
