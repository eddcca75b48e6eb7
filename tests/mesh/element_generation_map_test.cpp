// Element generation maps: created only from a cad with kind 1 or 2, the
// stored function and data handed back, and what deletion releases.
#include <gtest/gtest.h>

#include <vector>

#include "support/test_helpers.hpp"

namespace {

using gridlume_test::value_of;

void generate() {}
gridlume_map_function generator = generate;

std::vector<int> released;
void release_marked(void *object) { released.push_back(*static_cast<int *>(object)); }

TEST(ElementGenerationMap, OnlyACadWithKindOneOrTwoMakesAMap) {
  gridlume_test::Context context;
  gridlume_cad *cad = gridlume_cad_new(context);
  gridlume_mesh *mesh = gridlume_mesh_new(context);
  int data = 0;
  for (int kind : {0, 3, -1})
    EXPECT_EQ(gridlume_element_generation_map_new(cad, kind, generator, &data), nullptr);
  EXPECT_EQ(gridlume_element_generation_map_new(reinterpret_cast<gridlume_cad *>(mesh), 1,
                                                generator, &data),
            nullptr);
  EXPECT_EQ(gridlume_element_generation_map_new(nullptr, 1, generator, &data), nullptr);
  EXPECT_EQ(gridlume_element_generation_map_new(cad, 1, nullptr, &data), nullptr);
  gridlume_element_generation_map *map =
      gridlume_element_generation_map_new(cad, 2, generator, &data);
  ASSERT_NE(map, nullptr);
  EXPECT_EQ(value_of(gridlume_element_generation_map_get_type, map), 2);
  EXPECT_EQ(value_of(gridlume_element_generation_map_get_function, map), generator);
  EXPECT_EQ(value_of(gridlume_element_generation_map_get_user_data, map), &data);
  EXPECT_EQ(value_of(gridlume_element_generation_map_get_parent_cad, map), cad);
  EXPECT_EQ(value_of(gridlume_element_generation_map_get_parent_mesh, map), nullptr);
}

TEST(ElementGenerationMap, AccessorsRefuseNullArgumentsAndNullUserDataIsNeverReleased) {
  gridlume_test::Context context;
  gridlume_element_generation_map *map =
      gridlume_element_generation_map_new(gridlume_cad_new(context), 1, generator, nullptr);
  gridlume_map_function function = nullptr;
  void *data = nullptr;
  gridlume_cad *cad = nullptr;
  gridlume_mesh *mesh = nullptr;
  int kind = 0;
  EXPECT_EQ(gridlume_element_generation_map_get_function(nullptr, &function), -1);
  EXPECT_EQ(gridlume_element_generation_map_get_function(map, nullptr), -1);
  EXPECT_EQ(gridlume_element_generation_map_get_user_data(nullptr, &data), -1);
  EXPECT_EQ(gridlume_element_generation_map_get_user_data(map, nullptr), -1);
  EXPECT_EQ(gridlume_element_generation_map_get_parent_cad(nullptr, &cad), -1);
  EXPECT_EQ(gridlume_element_generation_map_get_parent_mesh(nullptr, &mesh), -1);
  EXPECT_EQ(gridlume_element_generation_map_get_type(nullptr, &kind), -1);
  EXPECT_EQ(gridlume_element_generation_map_get_type(map, nullptr), -1);
  EXPECT_EQ(gridlume_element_generation_map_set_delete_function(nullptr, release_marked), -1);
  EXPECT_EQ(gridlume_element_generation_map_attach_object(nullptr, &data, nullptr), -1);
  gridlume_element_generation_map_delete(nullptr);
  released.clear();
  gridlume_element_generation_map_set_delete_function(map, release_marked);
  gridlume_element_generation_map_delete(map);
  EXPECT_TRUE(released.empty());
}

TEST(ElementGenerationMap, DeletionReleasesAttachmentsNewestFirstThenTheUserDataOnce) {
  for (bool through_context : {false, true}) {
    SCOPED_TRACE(through_context);
    released.clear();
    int data = 0, first = 1, second = 2;
    gridlume_context *context = gridlume_context_new();
    gridlume_element_generation_map *map =
        gridlume_element_generation_map_new(gridlume_cad_new(context), 1, generator, &data);
    ASSERT_EQ(gridlume_element_generation_map_set_delete_function(map, release_marked), 0);
    ASSERT_EQ(gridlume_element_generation_map_attach_object(map, &first, release_marked), 0);
    ASSERT_EQ(gridlume_element_generation_map_attach_object(map, &second, release_marked), 0);
    if (!through_context) gridlume_element_generation_map_delete(map);
    gridlume_context_delete(context);
    EXPECT_EQ(released, (std::vector<int>{2, 1, 0}));
  }
}

TEST(ElementGenerationMap, CreationAndAttachmentReportEveryAllocationFailure) {
  gridlume_test::expect_each_allocation_failure_reported(
      [](gridlume_context *context, gridlume_test::AllocationFailure &failure) {
        gridlume_cad *cad = gridlume_cad_new(context);
        failure.arm();
        return gridlume_element_generation_map_new(cad, 1, generator, nullptr);
      });
  gridlume_test::expect_each_allocation_failure_reported(
      [](gridlume_context *context, gridlume_test::AllocationFailure &failure) {
        gridlume_element_generation_map *map =
            gridlume_element_generation_map_new(gridlume_cad_new(context), 1, generator, nullptr);
        failure.arm();
        return gridlume_element_generation_map_attach_object(map, context, nullptr);
      });
}

}  // namespace
