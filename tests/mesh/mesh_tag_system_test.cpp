// Tag systems of meshes: built from the tags a mesh carries, cloned, cleared,
// and the composite queries of a mesh with or without a tag system.
#include <gtest/gtest.h>

#include <vector>

#include "gridlume.h"
#include "support/allocation_failure.hpp"

using gridlume_test::AllocationFailure;
using gridlume_test::for_each_allocation_failure;

namespace {

using Tags = std::vector<int>;

// Tags of one entity kind, served through count and tag getters.
struct TagArray {
  Tags tags;
  int failing_index = 0;  // the tag getter fails for this index
};

int count_of(int *count, void *data) {
  *count = static_cast<int>(static_cast<TagArray *>(data)->tags.size());
  return 0;
}
int tag_of(int i, int *tag, void *data) {
  auto *array = static_cast<TagArray *>(data);
  if (i == array->failing_index) return 7;
  *tag = array->tags.at(static_cast<std::size_t>(i - 1));
  return 0;
}
int failing_count(int *, void *) { return -1; }
int subdomain_of(int i, int *tag, int *seed_kind, int *seed_index, int *orientation,
                 void *data) {
  *tag = static_cast<TagArray *>(data)->tags.at(static_cast<std::size_t>(i - 1));
  *seed_kind = GRIDLUME_ELEMENT_KIND_TRIANGLE;
  *seed_index = 1;
  *orientation = 1;
  return 0;
}

struct MeshTagSystem : ::testing::Test {
  gridlume_context *context = gridlume_context_new();
  gridlume_mesh *mesh = gridlume_mesh_new(context);
  TagArray vertices, triangles, tetrahedra, subdomains;

  MeshTagSystem() {
    gridlume_mesh_set_get_vertex_count(mesh, count_of, &vertices);
    gridlume_mesh_set_get_vertex_tag(mesh, tag_of, &vertices);
    gridlume_mesh_set_get_triangle_count(mesh, count_of, &triangles);
    gridlume_mesh_set_get_triangle_tag(mesh, tag_of, &triangles);
    gridlume_mesh_set_get_tetrahedron_count(mesh, count_of, &tetrahedra);
    gridlume_mesh_set_get_tetrahedron_tag(mesh, tag_of, &tetrahedra);
  }
  ~MeshTagSystem() override { gridlume_context_delete(context); }

  void describe_subdomains(Tags tags) {
    subdomains.tags = std::move(tags);
    gridlume_mesh_set_get_subdomain_count(mesh, count_of, &subdomains);
    gridlume_mesh_set_get_subdomain_description(mesh, subdomain_of, &subdomains);
  }
  gridlume_tag_system *tag_system() const {
    gridlume_tag_system *tags = nullptr;
    gridlume_mesh_get_tag_system(mesh, &tags);
    return tags;
  }
  Tags known_tags() const {
    int count = 0;
    gridlume_tag_system_get_tag_count(tag_system(), &count);
    Tags tags(count);
    for (int i = 1; i <= count; ++i) gridlume_tag_system_get_tag_tag(tag_system(), i, &tags[i - 1]);
    return tags;
  }
};

}  // namespace

TEST_F(MeshTagSystem, TagSystemFromExistingTagsRecordsEveryKindInSlotOrder) {
  vertices.tags = {3, 3, 1};
  triangles.tags = {8, 1};
  tetrahedra.tags = {-4};
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
  int composite = 0;
  gridlume_tag_system_get_composite_tag(tags, pair, 2, &composite);
  gridlume_mesh_set_tag_system(mesh, tags);
  // The composite is known already: it stays a composite.
  vertices.tags = {composite, 6};
  ASSERT_EQ(gridlume_mesh_create_tag_system_from_existing_tags(mesh), 0);
  EXPECT_EQ(tag_system(), tags);
  EXPECT_EQ(known_tags(), (Tags{0, 1, 2, composite, 6}));
  EXPECT_EQ(gridlume_tag_system_is_base_tag_present(tags, composite), -1);
}

TEST_F(MeshTagSystem, LargeTagsRebuildTheSystemWithTheSameContents) {
  vertices.tags = {5000, 7, 5000};
  triangles.tags = {400};
  ASSERT_EQ(gridlume_mesh_create_tag_system_from_existing_tags(mesh), 0);
  EXPECT_EQ(known_tags(), (Tags{0, 5000, 7, 400}));
}

TEST_F(MeshTagSystem, FailingCountCountsAsZeroButFailingTagStopsTheWalk) {
  vertices.tags = {1, 2};
  gridlume_mesh_set_get_edge_count(mesh, failing_count, nullptr);
  triangles.tags = {4, 5, 6};
  triangles.failing_index = 2;
  tetrahedra.tags = {9};
  EXPECT_EQ(gridlume_mesh_create_tag_system_from_existing_tags(mesh), 7);
  EXPECT_EQ(known_tags(), (Tags{0, 1, 2, 4}));
}

TEST_F(MeshTagSystem, SubdomainsWithoutADescriptionFail) {
  subdomains.tags = {1};
  gridlume_mesh_set_get_subdomain_count(mesh, count_of, &subdomains);
  EXPECT_EQ(gridlume_mesh_create_tag_system_from_existing_tags(mesh), -1);
  EXPECT_EQ(gridlume_mesh_create_tag_system_from_existing_tags(nullptr), -1);
}

TEST_F(MeshTagSystem, CompositeQueriesWithoutATagSystemTreatEveryTagAsItsOwn) {
  int list[4] = {-1, -1, -1, -1};
  int count = -1;
  EXPECT_EQ(gridlume_mesh_get_composite_tag_definition(mesh, 42, &count, list), 0);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(list[0], 42);
  EXPECT_EQ(gridlume_mesh_get_composite_tag_list(mesh, &count, list), 0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(list[0], 0);
  EXPECT_EQ(gridlume_mesh_get_composite_tag_definition(mesh, 42, nullptr, list), -1);
  EXPECT_EQ(gridlume_mesh_get_composite_tag_list(nullptr, &count, list), -1);
}

TEST_F(MeshTagSystem, CompositeQueriesWithATagSystemAskIt) {
  vertices.tags = {1, 3};
  ASSERT_EQ(gridlume_mesh_create_tag_system_from_existing_tags(mesh), 0);
  int pair[] = {3, 1};
  int composite = 0;
  ASSERT_EQ(gridlume_tag_system_get_composite_tag(tag_system(), pair, 2, &composite), 0);
  int list[8] = {};
  int count = 0;
  EXPECT_EQ(gridlume_mesh_get_composite_tag_definition(mesh, composite, &count, list), 0);
  EXPECT_EQ(Tags(list, list + count), (Tags{1, 3}));
  EXPECT_EQ(gridlume_mesh_get_composite_tag_definition(mesh, 99, &count, list), 1);
  EXPECT_EQ(gridlume_mesh_get_composite_tag_list(mesh, &count, list), 0);
  EXPECT_EQ(Tags(list, list + count), Tags{composite});
}

TEST_F(MeshTagSystem, CloneGivesTheDestinationItsOwnCopyAndClearDeletesIt) {
  vertices.tags = {1, 2};
  ASSERT_EQ(gridlume_mesh_create_tag_system_from_existing_tags(mesh), 0);
  gridlume_mesh *destination = gridlume_mesh_new(context);
  ASSERT_EQ(gridlume_mesh_clone_tag_system(mesh, destination), 0);
  gridlume_tag_system *copy = nullptr;
  gridlume_mesh_get_tag_system(destination, &copy);
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy, tag_system());
  EXPECT_EQ(gridlume_tag_system_is_base_tag_present(copy, 2), 0);

  EXPECT_EQ(gridlume_mesh_clear_tag_system(mesh), 0);
  EXPECT_EQ(tag_system(), nullptr);
  EXPECT_EQ(gridlume_mesh_clear_tag_system(nullptr), -1);
  // The source has none now: cloning clears the destination's pointer
  // without releasing what it held, so release it here.
  ASSERT_EQ(gridlume_mesh_clone_tag_system(mesh, destination), 0);
  gridlume_tag_system *cleared = copy;
  gridlume_mesh_get_tag_system(destination, &copy);
  EXPECT_EQ(copy, nullptr);
  gridlume_tag_system_delete(cleared);
  EXPECT_EQ(gridlume_mesh_clone_tag_system(nullptr, destination), -1);
}

TEST_F(MeshTagSystem, MemoryFailureWhileBuildingFromTagsLeaksNothing) {
  Tags many;
  for (int tag = 1; tag <= 60; ++tag) many.push_back(tag);
  vertices.tags = many;
  for_each_allocation_failure([&](AllocationFailure &failure) {
    failure.arm();
    int status = gridlume_mesh_create_tag_system_from_existing_tags(mesh);
    failure.disarm();
    if (failure.happened()) {
      EXPECT_EQ(status, -5);
    } else {
      EXPECT_EQ(status, 0);
      EXPECT_EQ(known_tags().size(), 61u);
    }
    gridlume_mesh_clear_tag_system(mesh);
  });
}
