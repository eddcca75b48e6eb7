// Reference counting through the ownership roots: the cad handle and every
// face, edge, wire and polygonal face handle are deleted once each; the root
// is destroyed, with the user data of everything it holds and the objects
// attached to it, at the last one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cad/cad_fixtures.hpp"

using namespace gridlume_test;
using namespace cad_test;

namespace {

std::vector<std::string> released;
void record_release(void *name) { released.push_back(static_cast<const char *>(name)); }

struct ReferenceCounting : ::testing::Test {
  Context context;
  long baseline = live_blocks();
  void SetUp() override { released.clear(); }
};

}  // namespace

TEST_F(ReferenceCounting, EveryHandleOfEveryKindCountsOnTheCad) {
  gridlume_cad *cad = gridlume_cad_new(context);
  gridlume_cad_face *face = gridlume_cad_face_new(cad, 1, quadratic_surface, (void *)"face");
  gridlume_cad_face_set_delete_function(face, record_release);
  gridlume_cad_edge *edge = gridlume_cad_edge_new(face, 1, 0, 1, line_curve, (void *)"edge");
  gridlume_cad_edge_set_delete_function(edge, record_release);
  gridlume_cad_wire *wire = gridlume_cad_wire_new(cad, 1, 0, 1, straight_wire, nullptr);
  const double corners[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
  gridlume_cad_polygonal_face *polygon = gridlume_cad_polygonal_face_new(cad, 1, 3, corners);
  EXPECT_EQ(gridlume_cad_attach_object(cad, (void *)"first", record_release), 0);
  EXPECT_EQ(gridlume_cad_attach_object(cad, (void *)"second", record_release), 0);
  EXPECT_EQ(gridlume_cad_attach_object(nullptr, nullptr, record_release), -1);
  EXPECT_EQ(gridlume_cad_face_clone(face), face);
  EXPECT_EQ(gridlume_cad_edge_clone(edge), edge);
  EXPECT_EQ(gridlume_cad_wire_clone(wire), wire);
  // cad, face twice, edge twice, wire twice, polygon: nine deletes.
  gridlume_cad_delete(cad);
  for (int pass = 0; pass < 2; ++pass) {
    gridlume_cad_face_delete(face);
    gridlume_cad_edge_delete(edge);
    gridlume_cad_wire_delete(wire);
  }
  EXPECT_GT(live_blocks(), baseline);
  EXPECT_TRUE(released.empty());
  gridlume_cad_polygonal_face_delete(polygon);
  EXPECT_EQ(live_blocks(), baseline);
  // Attached objects go newest first, before the faces; edges release
  // their user data before their face.
  EXPECT_EQ(released, (std::vector<std::string>{"second", "first", "edge", "face"}));
}

TEST_F(ReferenceCounting,
       TheCadOutlivesItsHandleWhileAFaceHandleIsHeldAndASecondDeleteChangesNothing) {
  gridlume_cad *cad = gridlume_cad_new(context);
  gridlume_cad_face *kept = gridlume_cad_face_new(cad, 1, quadratic_surface, nullptr);
  gridlume_cad_face *dropped = gridlume_cad_face_new(cad, 2, quadratic_surface, nullptr);
  gridlume_cad_face_delete(dropped);
  gridlume_cad_face_delete(dropped);
  gridlume_cad_delete(cad);
  EXPECT_GT(live_blocks(), baseline);
  EXPECT_EQ(value_of(gridlume_cad_face_get_cad, kept), cad);
  EXPECT_EQ(value_of(gridlume_cad_get_face_count, cad), 2);
  gridlume_cad_face_delete(kept);
  EXPECT_EQ(live_blocks(), baseline);  // destroyed and detached from the context
}

TEST_F(ReferenceCounting, DeletingTheContextDestroysACadWhateverItsCount) {
  {
    Context other;
    gridlume_cad *cad = gridlume_cad_new(other);
    gridlume_cad_face *face = gridlume_cad_face_new(cad, 1, quadratic_surface, (void *)"face");
    gridlume_cad_face_set_delete_function(face, record_release);
    gridlume_cad_face_clone(face);
  }
  EXPECT_EQ(released, (std::vector<std::string>{"face"}));
  EXPECT_EQ(live_blocks(), baseline);
}

TEST_F(ReferenceCounting, AFaceOfNoCadCountsOnItselfWithItsEdges) {
  gridlume_cad *cad = gridlume_cad_new(context);
  gridlume_cad_face *source = gridlume_cad_face_new(cad, 1, quadratic_surface, nullptr);
  gridlume_cad_face *face = gridlume_cad_face_new_copy(source);
  gridlume_cad_face_delete(source);
  gridlume_cad_delete(cad);
  EXPECT_EQ(value_of(gridlume_cad_face_get_cad, face), nullptr);
  gridlume_cad_edge *edge = gridlume_cad_edge_new(face, 1, 0, 1, line_curve, (void *)"edge");
  gridlume_cad_edge_set_delete_function(edge, record_release);
  gridlume_cad_face_delete(face);
  EXPECT_TRUE(released.empty());  // the edge handle keeps the face
  EXPECT_EQ(value_of(gridlume_cad_edge_get_face, edge), face);
  gridlume_cad_edge_delete(edge);
  EXPECT_EQ(released, (std::vector<std::string>{"edge"}));
  EXPECT_EQ(live_blocks(), baseline);
}

TEST_F(ReferenceCounting, AnEdgeOfNoFaceCountsOnItselfAndItsAffineImageKeepsItAlive) {
  gridlume_cad_edge *edge =
      gridlume_cad_edge_new_segment(nullptr, 1, Pair{0, 0}.data(), Pair{1, 1}.data());
  ASSERT_NE(edge, nullptr);
  gridlume_cad_edge *copy = gridlume_cad_edge_new_copy(edge);
  const double a[2] = {2, 2}, b[2] = {0, 0};
  gridlume_cad_edge *image = gridlume_cad_edge_new_afftrans(nullptr, edge, 2, a, b);
  gridlume_cad_edge *image_copy = gridlume_cad_edge_new_copy(image);
  gridlume_cad_edge_clone(edge);
  gridlume_cad_edge_delete(edge);
  gridlume_cad_edge_delete(edge);
  gridlume_cad_edge_delete(image);
  gridlume_cad_face *face = nullptr;
  EXPECT_EQ(gridlume_cad_edge_get_face(copy, &face), 0);
  EXPECT_EQ(face, nullptr);
  EXPECT_EQ(curve_uv(copy, 0.5), (Pair{0.5, 0.5}));
  gridlume_cad_edge_delete(copy);
  EXPECT_EQ(curve_uv(image_copy, 0.5), (Pair{1, 1}));
  gridlume_cad_edge_delete(image_copy);
  EXPECT_EQ(live_blocks(), baseline);
}

TEST_F(ReferenceCounting, CopiesCountOnThemselvesUntilAttachedToANewRoot) {
  gridlume_cad *cad = gridlume_cad_new(context);
  gridlume_cad_face *source = gridlume_cad_face_new(cad, 1, quadratic_surface, nullptr);
  gridlume_cad_face *face = gridlume_cad_face_new_copy(source);
  gridlume_cad_edge *edge =
      gridlume_cad_edge_new_segment(nullptr, 1, Pair{0, 0}.data(), Pair{1, 1}.data());
  gridlume_cad_wire *wire = gridlume_cad_wire_new(cad, 4, 0, 2, straight_wire, nullptr);
  gridlume_cad_wire *copy = gridlume_cad_wire_new_copy(wire);
  EXPECT_EQ(value_of(gridlume_cad_wire_get_cad, copy), nullptr);
  EXPECT_EQ(value_of(gridlume_cad_wire_get_id, copy), 4);
  EXPECT_EQ(gridlume_cad_edge_attach(edge, face), 0);
  EXPECT_EQ(gridlume_cad_edge_attach(edge, face), -1);  // already on a face
  EXPECT_EQ(value_of(gridlume_cad_face_get_edge_count, face), 1);
  EXPECT_EQ(gridlume_cad_face_attach(face, cad), 0);
  EXPECT_EQ(gridlume_cad_face_attach(face, cad), -1);
  EXPECT_EQ(value_of(gridlume_cad_get_face_count, cad), 2);
  EXPECT_EQ(value_of(gridlume_cad_get_face, cad, 2), face);
  EXPECT_EQ(gridlume_cad_wire_attach(copy, cad), 0);
  EXPECT_EQ(gridlume_cad_wire_attach(copy, cad), -1);
  EXPECT_EQ(value_of(gridlume_cad_get_wire_count, cad), 2);
  // Six handles now hold the cad: cad, source, face, edge, wire and its copy.
  gridlume_cad_delete(cad);
  gridlume_cad_face_delete(source);
  gridlume_cad_face_delete(face);
  gridlume_cad_wire_delete(wire);
  gridlume_cad_edge_delete(edge);
  EXPECT_GT(live_blocks(), baseline);
  gridlume_cad_wire_delete(copy);
  EXPECT_EQ(live_blocks(), baseline);
}

TEST_F(ReferenceCounting, RemovingAFaceTakesItsReferencesAlongOrDestroysIt) {
  gridlume_cad *cad = gridlume_cad_new(context);
  gridlume_cad_face *first = gridlume_cad_face_new(cad, 1, quadratic_surface, nullptr);
  gridlume_cad_face *second = gridlume_cad_face_new(cad, 2, quadratic_surface, (void *)"second");
  gridlume_cad_face_set_delete_function(second, record_release);
  gridlume_cad_face *third = gridlume_cad_face_new(cad, 3, quadratic_surface, nullptr);
  gridlume_cad_edge *edge = gridlume_cad_edge_new(first, 1, 0, 1, line_curve, nullptr);
  gridlume_cad_face_delete(second);
  EXPECT_TRUE(released.empty());  // the cad still holds it
  EXPECT_EQ(gridlume_cad_face_remove(first), 0);
  EXPECT_EQ(gridlume_cad_face_remove(first), -1);
  EXPECT_EQ(value_of(gridlume_cad_face_get_cad, first), nullptr);
  EXPECT_EQ(value_of(gridlume_cad_get_face_count, cad), 2);
  EXPECT_EQ(value_of(gridlume_cad_get_face, cad, 1), third);  // the last face took the slot
  EXPECT_EQ(value_of(gridlume_cad_get_face, cad, 2), second);
  // A removed face that no handle holds is destroyed at once.
  EXPECT_EQ(gridlume_cad_face_remove(second), 0);
  EXPECT_EQ(released, (std::vector<std::string>{"second"}));
  EXPECT_EQ(value_of(gridlume_cad_get_face_count, cad), 1);
  // The cad goes with its own handles; the removed face with its own.
  gridlume_cad_face_delete(third);
  gridlume_cad_delete(cad);
  gridlume_cad_face_delete(first);
  EXPECT_GT(live_blocks(), baseline);
  gridlume_cad_edge_delete(edge);
  EXPECT_EQ(live_blocks(), baseline);
}

TEST_F(ReferenceCounting, NullHandlesAreIgnored) {
  gridlume_cad_delete(nullptr);
  gridlume_cad_face_delete(nullptr);
  gridlume_cad_edge_delete(nullptr);
  gridlume_cad_wire_delete(nullptr);
  gridlume_cad_polygonal_face_delete(nullptr);
  gridlume_cad_point_delete(nullptr);
  EXPECT_EQ(gridlume_cad_face_clone(nullptr), nullptr);
  EXPECT_EQ(gridlume_cad_edge_clone(nullptr), nullptr);
  EXPECT_EQ(gridlume_cad_wire_clone(nullptr), nullptr);
  EXPECT_EQ(gridlume_cad_face_new_copy(nullptr), nullptr);
  EXPECT_EQ(gridlume_cad_edge_new_copy(nullptr), nullptr);
  EXPECT_EQ(gridlume_cad_wire_new_copy(nullptr), nullptr);
  EXPECT_EQ(live_blocks(), baseline);
}
