// The subdomain coherency check on small tetrahedral meshes: seeds on either
// side of a triangle, growth stopped by triangles, tags, overlaps, holes in
// the boundary, failing queries and memory exhaustion.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "array_mesh.hpp"
#include "support/test_helpers.hpp"

using namespace gridlume_test;
using Tri = std::array<int, 3>;

namespace {

// Two positively oriented tetrahedra A = (1,2,3,4) and B = (2,3,4,5)
// sharing face (2,3,4), both tagged 1, with their six outer faces as
// triangles. Triangle 1 = (1,2,3) has its normal pointing into A (seed
// orientation 0); triangle 4 = (2,3,5) has its normal pointing away from B
// (seed orientation 1).
struct SubdomainCoherency : ::testing::Test {
  SubdomainCoherency() {
    for (auto p : {std::array<double, 3>{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 1}})
      arrays.add_point(p[0], p[1], p[2]);
    arrays.tetrahedra.add({1, 2, 3, 4}, 1);
    arrays.tetrahedra.add({2, 3, 4, 5}, 1);
    for (auto t : {Tri{1, 2, 3}, {1, 2, 4}, {1, 3, 4}, {2, 3, 5}, {2, 4, 5}, {3, 4, 5}})
      arrays.triangles.add({t[0], t[1], t[2]});
  }
  ArrayMesh arrays;
  Context context;
};

// A change of the two tetrahedra above and the flag the check answers.
struct Variant {
  const char *behaviour;
  std::vector<SubdomainDescription> subdomains;
  int coherent;
  int tag_of_b = 1;
  std::vector<Tri> added_triangles = {};
  bool without_triangle_345 = false, without_tetrahedra = false;
};

const Variant variants[] = {
    {"one subdomain seeded into A is coherent", {{1, 2, 1, 0}}, 1},
    {"one subdomain seeded into B is coherent", {{1, 2, 4, 1}}, 1},
    {"a seed pointing out of A is incoherent", {{1, 2, 1, 1}}, 0},
    {"a seed pointing out of B is incoherent", {{1, 2, 4, 0}}, 0},
    {"a triangle on the shared face stops the growth before B", {{1, 2, 1, 0}}, 0, 1,
     {{4, 3, 2}}},
    {"one subdomain on each side of the shared face", {{1, 2, 1, 0}, {2, 2, 4, 1}}, 1, 2,
     {{4, 3, 2}}},
    // Triangle 7 = (2,3,4) has the normal (1,1,1), towards B.
    {"a seed on the shared face picks B by orientation", {{1, 2, 1, 0}, {2, 2, 7, 0}}, 1, 2,
     {{2, 3, 4}}},
    {"a seed on the shared face picks A, already taken", {{1, 2, 1, 0}, {2, 2, 7, 1}}, 0, 2,
     {{2, 3, 4}}},
    {"a tetrahedron of another tag is incoherent", {{1, 2, 1, 0}}, 0, 2},
    {"two subdomains growing over the same tetrahedra", {{1, 2, 1, 0}, {1, 2, 4, 1}}, 0},
    {"a missing boundary triangle lets the growth out", {{1, 2, 1, 0}}, 0, 1, {}, true},
    {"tetrahedra that no subdomain reaches", {}, 0},
    {"an empty mesh is coherent", {}, 1, 1, {}, false, true},
};

}  // namespace

TEST_F(SubdomainCoherency, FlagOfEachVariantOfTwoTetrahedra) {
  for (const Variant &variant : variants) {
    SCOPED_TRACE(variant.behaviour);
    ArrayMesh changed = arrays;
    changed.subdomains = variant.subdomains;
    changed.tetrahedra.tags[1] = variant.tag_of_b;
    for (const Tri &t : variant.added_triangles) changed.triangles.add({t[0], t[1], t[2]});
    if (variant.without_triangle_345) {
      changed.triangles.vertices.resize(5 * 3);
      changed.triangles.tags.resize(5);
    }
    if (variant.without_tetrahedra) changed.tetrahedra = ElementArray(4);
    gridlume_mesh *mesh = changed.make_mesh(context);
    EXPECT_EQ(value_of(gridlume_mesh_check_subdomains_coherency, mesh), variant.coherent);
    gridlume_mesh_delete(mesh);
  }
}

TEST_F(SubdomainCoherency, SubdomainGrowsThroughACubeOfSixTetrahedra) {
  ArrayMesh cube;
  for (int c = 0; c < 8; ++c) cube.add_point(c & 1, (c >> 1) & 1, (c >> 2) & 1);
  // Six tetrahedra around the diagonal from corner 1 to corner 8.
  const int paths[6][2] = {{2, 4}, {4, 3}, {3, 7}, {7, 5}, {5, 6}, {6, 2}};
  std::map<Tri, int> face_uses;
  for (const auto &path : paths) {
    cube.tetrahedra.add({1, path[0], path[1], 8}, 5);
    const int *t = &cube.tetrahedra.vertices[cube.tetrahedra.vertices.size() - 4];
    for (auto f : {Tri{0, 1, 2}, {1, 2, 3}, {1, 3, 0}, {0, 2, 3}}) {
      Tri face = {t[f[0]], t[f[1]], t[f[2]]};
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
    gridlume_mesh *mesh = cube.make_mesh(context);
    coherent_orientations += value_of(gridlume_mesh_check_subdomains_coherency, mesh);
  }
  EXPECT_EQ(coherent_orientations, 1);  // exactly one side of a boundary triangle is inside
}

TEST_F(SubdomainCoherency, FailuresAreReportedAsStatuses) {
  int coherent = -7;
  EXPECT_EQ(gridlume_mesh_check_subdomains_coherency(nullptr, &coherent), -1);
  EXPECT_EQ(coherent, 1);
  gridlume_mesh *mesh = arrays.make_mesh(context);
  EXPECT_EQ(gridlume_mesh_check_subdomains_coherency(mesh, nullptr), -1);
  // A seed triangle that does not exist: its vertex query fails.
  arrays.subdomains = {{1, 2, 99, 0}};
  coherent = -7;
  EXPECT_EQ(gridlume_mesh_check_subdomains_coherency(mesh, &coherent), -1);
  EXPECT_EQ(coherent, 1);
  // A mesh whose subdomain count getter is gone.
  gridlume_mesh_set_get_subdomain_count(mesh, nullptr, nullptr);
  EXPECT_EQ(gridlume_mesh_check_subdomains_coherency(mesh, &coherent), -1);
  EXPECT_EQ(gridlume_mesh_check_consistency(mesh), 0);
}

TEST_F(SubdomainCoherency, MemoryExhaustionAnswersMinusFiveAndLeaksNothing) {
  arrays.subdomains = {{1, 2, 1, 0}};
  gridlume_mesh *mesh = arrays.make_mesh(context);
  const long failures = for_each_allocation_failure([&](AllocationFailure &failure) {
    int coherent = -7;
    failure.arm();
    const int status = gridlume_mesh_check_subdomains_coherency(mesh, &coherent);
    failure.disarm();
    EXPECT_EQ(status, failure.happened() ? -5 : 0);
    if (!failure.happened()) { EXPECT_EQ(coherent, 1); }
  });
  EXPECT_GT(failures, 3);
}
