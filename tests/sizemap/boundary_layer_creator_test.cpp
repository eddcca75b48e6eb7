// The boundary-layer size map creator: rules per tag, the first rule of a tag
// winning, and the layer heights of the generated size map.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "gridlume.h"
#include "support/test_helpers.hpp"

namespace {

// Two triangles: triangle 1 (tag 7) with longest edge 1, triangle 2 (tag 9)
// with longest edge 2.
gridlume_mesh *two_triangles(gridlume_context *context) {
  gridlume_mesh *mesh = gridlume_mesh_new_in_memory(context);
  const double xyz[6][3] = {{0, 0, 0}, {0.6, 0, 0}, {0, 0.8, 0}, {5, 0, 0}, {7, 0, 0}, {6, 1, 0}};
  gridlume_mesh_set_vertex_count(mesh, 6);
  for (int v = 0; v < 6; ++v) gridlume_mesh_set_vertex_coordinates(mesh, v + 1, xyz[v]);
  gridlume_mesh_set_triangle_count(mesh, 2);
  const int first[3] = {1, 2, 3}, second[3] = {4, 5, 6};
  const int tags[2] = {7, 9};
  gridlume_mesh_set_triangle_vertices(mesh, 1, first);
  gridlume_mesh_set_triangle_vertices(mesh, 2, second);
  gridlume_mesh_set_triangle_tag(mesh, 1, &tags[0]);
  gridlume_mesh_set_triangle_tag(mesh, 2, &tags[1]);
  return mesh;
}

struct Layer {
  double height;
  int required;
};

class BoundaryLayerTest : public testing::Test {
 protected:
  void SetUp() override {
    mesh = two_triangles(context);
    creator = gridlume_boundary_layer_sizemap_creator_new(mesh);
    ASSERT_NE(creator, nullptr);
  }
  void TearDown() override {
    gridlume_sizemap_delete(sizemap);
    gridlume_boundary_layer_sizemap_creator_delete(creator);
  }
  Layer layer(int triangle, int n) {
    if (sizemap == nullptr)
      sizemap = gridlume_boundary_layer_sizemap_creator_generate_sizemap(creator);
    auto function = reinterpret_cast<gridlume_sizemap_boundary_layer_function>(
        gridlume_test::value_of(gridlume_sizemap_get_function, sizemap));
    void *user_data = gridlume_test::value_of(gridlume_sizemap_get_user_data, sizemap);
    Layer result{-1, -1};
    EXPECT_EQ(function(nullptr, triangle, n, nullptr, &result.height, &result.required, user_data),
              0);
    return result;
  }

  gridlume_test::Context context;
  gridlume_mesh *mesh = nullptr;
  gridlume_boundary_layer_sizemap_creator *creator = nullptr;
  gridlume_sizemap *sizemap = nullptr;
};

TEST_F(BoundaryLayerTest, TheSizemapIsOfType19OnTheCreatorsMeshAndANullMeshGivesNoCreator) {
  sizemap = gridlume_boundary_layer_sizemap_creator_generate_sizemap(creator);
  ASSERT_NE(sizemap, nullptr);
  EXPECT_EQ(gridlume_test::value_of(gridlume_sizemap_get_type, sizemap), 19);
  EXPECT_EQ(gridlume_test::value_of(gridlume_sizemap_get_parent_mesh, sizemap), mesh);
  EXPECT_EQ(gridlume_test::value_of(gridlume_sizemap_get_user_data, sizemap), creator);
  EXPECT_EQ(gridlume_boundary_layer_sizemap_creator_generate_sizemap(nullptr), nullptr);
  EXPECT_EQ(gridlume_boundary_layer_sizemap_creator_new(nullptr), nullptr);
  gridlume_boundary_layer_sizemap_creator_delete(nullptr);
}

// The heights a rule gives: forced layers are required and keep their height
// even when thicker than the edge; later layers grow by the second ratio when
// there is one, and stop at the maximum count or at the triangle's longest
// edge; relative heights are fractions of that edge. A triangle without a
// rule, or one the mesh does not have, gets no layer.
TEST_F(BoundaryLayerTest, LayerHeightsFollowTheRuleOfTheTriangleTag) {
  struct Expected {
    int triangle, n;
    double height;
    int required;  // -1: not checked
  };
  const struct {
    const char *what;
    double h1, r1, r2;
    int forced, maximum, relative, tag;
    std::vector<Expected> layers;
  } rules[] = {
      {"forced layers, then up to the longest edge", 0.01, 1.2, 0, 3, 0, 0, 7,
       // 0.01 * 1.2^25 = 0.954 is still thinner than the edge; 1.2^26 reaches it.
       {{1, 1, 0.01, 1}, {1, 3, 0.0144, 1}, {1, 4, 0.01728, 0},
        {1, 26, 0.01 * std::pow(1.2, 25), -1}, {1, 27, 0, -1}, {1, 40, 0, -1}}},
      {"second ratio after the forced layers", 0.01, 1.1, 2.0, 2, 0, 0, 7,
       {{1, 2, 0.011, -1}, {1, 3, 0.022, -1}, {1, 5, 0.088, -1}}},
      {"maximum layer count", 0.001, 1.0, 0, 1, 5, 0, 7, {{1, 5, 0.001, -1}, {1, 6, 0, 0}}},
      {"relative heights", 0.1, 1.5, 0, 1, 0, 1, 9, {{2, 1, 0.2, -1}, {2, 2, 0.3, -1}}},
      {"required layers thicker than the edge", 1.5, 2, 0, 2, 0, 0, 7,
       {{1, 2, 3.0, 1}, {1, 3, 0, -1}}},
      {"no rule for the tag", 0.1, 1.2, 0, 3, 0, 0, 9,
       {{1, 1, 0, 0}, {1, 2, 0, 0}, {1, 10, 0, 0}, {3, 1, 0, 0}, {0, 1, 0, 0}}},
  };
  for (const auto &rule : rules) {
    SCOPED_TRACE(rule.what);
    gridlume_sizemap_delete(sizemap);
    sizemap = nullptr;
    gridlume_boundary_layer_sizemap_creator_delete(creator);
    creator = gridlume_boundary_layer_sizemap_creator_new(mesh);
    ASSERT_EQ(gridlume_boundary_layer_sizemap_creator_add_constraint_on_tag(
                  creator, rule.h1, rule.r1, rule.r2, rule.forced, rule.maximum, rule.relative,
                  rule.tag),
              0);
    for (const Expected &expected : rule.layers) {
      const Layer l = layer(expected.triangle, expected.n);
      EXPECT_NEAR(l.height, expected.height, 1e-12 * expected.height) << "layer " << expected.n;
      if (expected.required >= 0) {
        EXPECT_EQ(l.required, expected.required) << "layer " << expected.n;
      }
    }
  }
}

TEST_F(BoundaryLayerTest, TheFirstRuleOfATagStays) {
  EXPECT_EQ(gridlume_boundary_layer_sizemap_creator_get_number_of_tags(creator), 0);
  ASSERT_EQ(gridlume_boundary_layer_sizemap_creator_add_constraint_on_tag(creator, 0.01, 1.2, 0, 3,
                                                                          0, 0, 7),
            0);
  EXPECT_EQ(gridlume_boundary_layer_sizemap_creator_add_constraint_on_tag(creator, 0.5, 1.2, 0, 3,
                                                                          0, 0, 7),
            0);
  EXPECT_EQ(gridlume_boundary_layer_sizemap_creator_get_number_of_tags(creator), 1);
  EXPECT_DOUBLE_EQ(layer(1, 1).height, 0.01);
  EXPECT_EQ(gridlume_boundary_layer_sizemap_creator_add_constraint_on_tag(creator, 0.5, 1.2, 0, 3,
                                                                          0, 0, 9),
            0);
  EXPECT_EQ(gridlume_boundary_layer_sizemap_creator_get_number_of_tags(creator), 2);
  EXPECT_EQ(gridlume_boundary_layer_sizemap_creator_add_constraint_on_tag(nullptr, 0.5, 1.2, 0, 3,
                                                                          0, 0, 9),
            -1);
  EXPECT_EQ(gridlume_boundary_layer_sizemap_creator_get_number_of_tags(nullptr), 0);
}

TEST_F(BoundaryLayerTest, TagsBeyondTheFirstCapacityOfTheTagMapKeepTheirRules) {
  for (int tag = 1; tag <= 25000; ++tag)
    ASSERT_EQ(gridlume_boundary_layer_sizemap_creator_add_constraint_on_tag(creator, 1e-4 * tag, 1,
                                                                            0, 1, 0, 0, tag),
              0);
  EXPECT_EQ(gridlume_boundary_layer_sizemap_creator_get_number_of_tags(creator), 25000);
  EXPECT_DOUBLE_EQ(layer(1, 1).height, 7e-4);
  EXPECT_DOUBLE_EQ(layer(2, 1).height, 9e-4);
}

TEST(BoundaryLayerMemory, EveryAllocationFailureIsReportedAndLeaksNothing) {
  gridlume_test::expect_each_allocation_failure_reported(
      [](gridlume_context *context, gridlume_test::AllocationFailure &failure) {
        gridlume_mesh *mesh = two_triangles(context);
        failure.arm();
        auto *creator = gridlume_boundary_layer_sizemap_creator_new(mesh);
        failure.disarm();
        gridlume_boundary_layer_sizemap_creator_delete(creator);
        return creator;
      });
  // Adding rules: a failure adds nothing, and the same tag can be added again.
  gridlume_test::expect_each_allocation_failure_reported(
      [](gridlume_context *context, gridlume_test::AllocationFailure &failure) {
        gridlume_mesh *mesh = two_triangles(context);
        auto *creator = gridlume_boundary_layer_sizemap_creator_new(mesh);
        for (int tag = 1; tag <= 10000; ++tag)
          gridlume_boundary_layer_sizemap_creator_add_constraint_on_tag(creator, 1, 1, 0, 1, 0, 0,
                                                                        100 + tag);
        failure.arm();
        int status = gridlume_boundary_layer_sizemap_creator_add_constraint_on_tag(creator, 0.25, 1,
                                                                                   0, 1, 0, 0, 7);
        failure.disarm();
        EXPECT_EQ(gridlume_boundary_layer_sizemap_creator_get_number_of_tags(creator),
                  status == 0 ? 10001 : 10000);
        if (status != 0) {
          EXPECT_EQ(gridlume_boundary_layer_sizemap_creator_add_constraint_on_tag(creator, 0.25, 1,
                                                                                  0, 1, 0, 0, 7),
                    0);
          EXPECT_EQ(gridlume_boundary_layer_sizemap_creator_get_number_of_tags(creator), 10001);
        }
        gridlume_boundary_layer_sizemap_creator_delete(creator);
        return status;
      });
  gridlume_test::expect_each_allocation_failure_reported(
      [](gridlume_context *context, gridlume_test::AllocationFailure &failure) {
        auto *creator = gridlume_boundary_layer_sizemap_creator_new(two_triangles(context));
        failure.arm();
        gridlume_sizemap *sizemap =
            gridlume_boundary_layer_sizemap_creator_generate_sizemap(creator);
        failure.disarm();
        gridlume_sizemap_delete(sizemap);
        gridlume_boundary_layer_sizemap_creator_delete(creator);
        return sizemap;
      });
}

}  // namespace
