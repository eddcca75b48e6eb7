// Tag systems of meshes: built from the tags a mesh carries, cloned, cleared,
// and the composite queries of a mesh with or without a tag system.
#include <gtest/gtest.h>

#include <vector>

#include "support/test_helpers.hpp"

using namespace gridlume_test;
using Tags = std::vector<int>;

namespace {

struct MeshTagSystem : ::testing::Test {
  Context context;
  gridlume_mesh *mesh = gridlume_mesh_new_in_memory(context);

  void set_tags(int (*set_count)(gridlume_mesh *, int),
                int (*set_tag)(gridlume_mesh *, int, const int *), const Tags &tags) {
    set_count(mesh, static_cast<int>(tags.size()));
    for (int i = 1; i <= static_cast<int>(tags.size()); ++i) set_tag(mesh, i, &tags[i - 1]);
  }
  void describe_subdomains(const Tags &tags) {
    gridlume_mesh_set_subdomain_count(mesh, static_cast<int>(tags.size()));
    for (int i = 1; i <= static_cast<int>(tags.size()); ++i)
      gridlume_mesh_set_subdomain_description(mesh, i, tags[i - 1],
                                              GRIDLUME_ELEMENT_KIND_TRIANGLE, 1, 1);
  }
  gridlume_tag_system *tag_system() const { return value_of(gridlume_mesh_get_tag_system, mesh); }
  Tags known_tags() const {
    Tags tags(value_of(gridlume_tag_system_get_tag_count, tag_system()));
    for (int i = 1; i <= int(tags.size()); ++i)
      tags[i - 1] = value_of(gridlume_tag_system_get_tag_tag, tag_system(), i);
    return tags;
  }
};

}  // namespace

TEST_F(MeshTagSystem, TagSystemFromExistingTagsRecordsEveryKindInSlotOrder) {
  set_tags(gridlume_mesh_set_vertex_count, gridlume_mesh_set_vertex_tag, {3, 3, 1});
  set_tags(gridlume_mesh_set_triangle_count, gridlume_mesh_set_triangle_tag, {8, 1});
  set_tags(gridlume_mesh_set_tetrahedron_count, gridlume_mesh_set_tetrahedron_tag, {-4});
  describe_subdomains({20, 8});
  ASSERT_EQ(gridlume_mesh_create_tag_system_from_existing_tags(mesh), 0);
  EXPECT_EQ(known_tags(), (Tags{0, 3, 1, 8, -4, 20}));
  EXPECT_EQ(gridlume_tag_system_is_base_tag_present(tag_system(), 20), 0);
}

TEST_F(MeshTagSystem, ExistingTagSystemKeepsItsCompositesAndGainsTheMeshTags) {
  gridlume_tag_system *tags = gridlume_tag_system_new(4);
  gridlume_tag_system_add_base_tag(tags, 1);
  gridlume_tag_system_add_base_tag(tags, 2);
  int pair[] = {1, 2};
  const int composite = value_of(gridlume_tag_system_get_composite_tag, tags, pair, 2);
  gridlume_mesh_set_tag_system(mesh, tags);
  // The composite is known already: it stays a composite.
  set_tags(gridlume_mesh_set_vertex_count, gridlume_mesh_set_vertex_tag, {composite, 6});
  ASSERT_EQ(gridlume_mesh_create_tag_system_from_existing_tags(mesh), 0);
  EXPECT_EQ(tag_system(), tags);
  EXPECT_EQ(known_tags(), (Tags{0, 1, 2, composite, 6}));
  EXPECT_EQ(gridlume_tag_system_is_base_tag_present(tags, composite), -1);
}

TEST_F(MeshTagSystem, LargeTagsRebuildTheSystemWithTheSameContents) {
  set_tags(gridlume_mesh_set_vertex_count, gridlume_mesh_set_vertex_tag, {5000, 7, 5000});
  set_tags(gridlume_mesh_set_triangle_count, gridlume_mesh_set_triangle_tag, {400});
  ASSERT_EQ(gridlume_mesh_create_tag_system_from_existing_tags(mesh), 0);
  EXPECT_EQ(known_tags(), (Tags{0, 5000, 7, 400}));
}

TEST_F(MeshTagSystem, FailingCountCountsAsZeroButAFailingTagOrSubdomainStopsTheWalk) {
  set_tags(gridlume_mesh_set_vertex_count, gridlume_mesh_set_vertex_tag, {1, 2});
  gridlume_mesh_set_get_edge_count(mesh, [](int *, void *) { return -1; }, nullptr);
  gridlume_mesh_set_triangle_count(mesh, 3);
  gridlume_mesh_set_get_triangle_tag(
      mesh, [](int i, int *tag, void *) { return i == 2 ? 7 : (*tag = 3 + i, 0); }, nullptr);
  set_tags(gridlume_mesh_set_tetrahedron_count, gridlume_mesh_set_tetrahedron_tag, {9});
  EXPECT_EQ(gridlume_mesh_create_tag_system_from_existing_tags(mesh), 7);
  EXPECT_EQ(known_tags(), (Tags{0, 1, 2, 4}));
  // Subdomains counted but not described.
  gridlume_mesh *described_by_nothing = gridlume_mesh_new(context);
  gridlume_mesh_set_get_subdomain_count(
      described_by_nothing, [](int *count, void *) { return *count = 1, 0; }, nullptr);
  EXPECT_EQ(gridlume_mesh_create_tag_system_from_existing_tags(described_by_nothing), -1);
  EXPECT_EQ(gridlume_mesh_create_tag_system_from_existing_tags(nullptr), -1);
}

TEST_F(MeshTagSystem, CompositeQueriesTreatEveryTagAsItsOwnUntilATagSystemAnswers) {
  int list[8] = {-1, -1, -1, -1};
  int count = -1;
  EXPECT_EQ(gridlume_mesh_get_composite_tag_definition(mesh, 42, &count, list), 0);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(list[0], 42);
  EXPECT_EQ(gridlume_mesh_get_composite_tag_list(mesh, &count, list), 0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(list[0], 0);
  EXPECT_EQ(gridlume_mesh_get_composite_tag_definition(mesh, 42, nullptr, list), -1);
  EXPECT_EQ(gridlume_mesh_get_composite_tag_list(nullptr, &count, list), -1);

  set_tags(gridlume_mesh_set_vertex_count, gridlume_mesh_set_vertex_tag, {1, 3});
  ASSERT_EQ(gridlume_mesh_create_tag_system_from_existing_tags(mesh), 0);
  int pair[] = {3, 1};
  const int composite = value_of(gridlume_tag_system_get_composite_tag, tag_system(), pair, 2);
  EXPECT_EQ(gridlume_mesh_get_composite_tag_definition(mesh, composite, &count, list), 0);
  EXPECT_EQ(Tags(list, list + count), (Tags{1, 3}));
  EXPECT_EQ(gridlume_mesh_get_composite_tag_definition(mesh, 99, &count, list), 1);
  EXPECT_EQ(gridlume_mesh_get_composite_tag_list(mesh, &count, list), 0);
  EXPECT_EQ(Tags(list, list + count), Tags{composite});
}

TEST_F(MeshTagSystem, CloneGivesTheDestinationItsOwnCopyAndClearDeletesIt) {
  set_tags(gridlume_mesh_set_vertex_count, gridlume_mesh_set_vertex_tag, {1, 2});
  ASSERT_EQ(gridlume_mesh_create_tag_system_from_existing_tags(mesh), 0);
  gridlume_mesh *destination = gridlume_mesh_new(context);
  ASSERT_EQ(gridlume_mesh_clone_tag_system(mesh, destination), 0);
  gridlume_tag_system *copy = value_of(gridlume_mesh_get_tag_system, destination);
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy, tag_system());
  EXPECT_EQ(gridlume_tag_system_is_base_tag_present(copy, 2), 0);

  EXPECT_EQ(gridlume_mesh_clear_tag_system(mesh), 0);
  EXPECT_EQ(tag_system(), nullptr);
  EXPECT_EQ(gridlume_mesh_clear_tag_system(nullptr), -1);
  // The source has none now: cloning clears the destination's pointer
  // without releasing what it held, so release it here.
  ASSERT_EQ(gridlume_mesh_clone_tag_system(mesh, destination), 0);
  EXPECT_EQ(value_of(gridlume_mesh_get_tag_system, destination), nullptr);
  gridlume_tag_system_delete(copy);
  EXPECT_EQ(gridlume_mesh_clone_tag_system(nullptr, destination), -1);
}

TEST_F(MeshTagSystem, MemoryFailureWhileBuildingFromTagsLeaksNothing) {
  Tags many;
  for (int tag = 1; tag <= 60; ++tag) many.push_back(tag);
  set_tags(gridlume_mesh_set_vertex_count, gridlume_mesh_set_vertex_tag, many);
  for_each_allocation_failure([&](AllocationFailure &failure) {
    failure.arm();
    int status = gridlume_mesh_create_tag_system_from_existing_tags(mesh);
    failure.disarm();
    EXPECT_EQ(status, failure.happened() ? -5 : 0);
    if (!failure.happened()) { EXPECT_EQ(known_tags().size(), 61u); }
    gridlume_mesh_clear_tag_system(mesh);
  });
}
