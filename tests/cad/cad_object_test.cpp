// The cad itself: identification, its lists, vertices by id, tag system and
// composite tags, use-tag and other flags, generic buffers.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "cad/cad_fixtures.hpp"

using namespace gridlume_test;
using namespace cad_test;

namespace {

struct CadObject : ::testing::Test {
  Context context;
  gridlume_cad *cad = gridlume_cad_new(context);
};

}  // namespace

TEST_F(CadObject, ContextIsReportedOnlyForACad) {
  EXPECT_EQ(value_of(gridlume_cad_get_context, cad), context.handle);
  gridlume_mesh *mesh = gridlume_mesh_new(context);
  gridlume_context *answer = context.handle;
  EXPECT_EQ(gridlume_cad_get_context(reinterpret_cast<gridlume_cad *>(mesh), &answer), -1);
  EXPECT_EQ(answer, nullptr);
  answer = context.handle;
  EXPECT_EQ(gridlume_cad_get_context(nullptr, &answer), -1);
  EXPECT_EQ(answer, nullptr);
  EXPECT_EQ(gridlume_cad_new(nullptr), nullptr);
}

TEST_F(CadObject, ListsAreNumberedFromOneInCreationOrder) {
  EXPECT_EQ(value_of(gridlume_cad_get_face_count, cad), 0);
  gridlume_cad_face *first = gridlume_cad_face_new(cad, 10, quadratic_surface, nullptr);
  gridlume_cad_face *second = gridlume_cad_face_new(cad, 20, quadratic_surface, nullptr);
  const double xyz[3] = {0, 0, 0};
  gridlume_cad_wire *wire = gridlume_cad_wire_new(cad, 1, 0, 1, straight_wire, nullptr);
  gridlume_cad_polygonal_face *polygon = gridlume_cad_polygonal_face_new(cad, 3, 1, xyz);
  EXPECT_EQ(value_of(gridlume_cad_get_face_count, cad), 2);
  EXPECT_EQ(value_of(gridlume_cad_get_face, cad, 1), first);
  EXPECT_EQ(value_of(gridlume_cad_get_face, cad, 2), second);
  EXPECT_EQ(value_of(gridlume_cad_get_wire_count, cad), 1);
  EXPECT_EQ(value_of(gridlume_cad_get_wire, cad, 1), wire);
  EXPECT_EQ(value_of(gridlume_cad_get_polygonal_face_count, cad), 1);
  EXPECT_EQ(value_of(gridlume_cad_get_polygonal_face, cad, 1), polygon);
  gridlume_cad_face *face = first;
  EXPECT_EQ(gridlume_cad_get_face(cad, 0, &face), -1);
  EXPECT_EQ(face, nullptr);
  EXPECT_EQ(gridlume_cad_get_face(cad, 3, &face), -1);
  gridlume_cad_wire *absent_wire = wire;
  EXPECT_EQ(gridlume_cad_get_wire(cad, 2, &absent_wire), -1);
  EXPECT_EQ(absent_wire, nullptr);
  int count = 0;
  EXPECT_EQ(gridlume_cad_get_face_count(nullptr, &count), -1);
  EXPECT_EQ(value_of(gridlume_cad_face_get_cad, first), cad);
  EXPECT_EQ(value_of(gridlume_cad_wire_get_cad, wire), cad);
}

TEST_F(CadObject, VerticesAreFoundByIdAndAnIdNamesOneVertex) {
  gridlume_cad_vertex *vertex = nullptr;
  EXPECT_EQ(gridlume_cad_get_vertex(cad, 5, &vertex), 0);
  EXPECT_EQ(vertex, nullptr);
  const double first[3] = {1, 2, 3}, second[3] = {4, 5, 6};
  gridlume_cad_vertex *made = gridlume_cad_vertex_new(cad, 5, first);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(gridlume_cad_vertex_new(cad, 5, second), made);
  EXPECT_EQ(value_of(gridlume_cad_get_vertex, cad, 5), made);
  EXPECT_EQ(values_of<3>(gridlume_cad_vertex_get_coordinates, made), (Triple{1, 2, 3}));
  EXPECT_EQ(value_of(gridlume_cad_vertex_get_original_geometry, made), made);
  EXPECT_EQ(gridlume_cad_vertex_set_uid(made, 77), 0);
  EXPECT_EQ(value_of(gridlume_cad_vertex_get_uid, made), 77);
  EXPECT_EQ(gridlume_cad_vertex_new(nullptr, 1, first), nullptr);
  EXPECT_EQ(gridlume_cad_vertex_new(cad, 1, nullptr), nullptr);
}

TEST_F(CadObject, ManyVerticesStayFoundAsTheArrayAndTheMapGrow) {
  // Past the first 1024 vertices both the vertex array and the map grow;
  // negative ids and ids sharing a bucket are told apart.
  std::vector<gridlume_cad_vertex *> made;
  for (int i = 0; i < 3000; ++i) {
    const double xyz[3] = {double(i), 0, 0};
    made.push_back(gridlume_cad_vertex_new(cad, (i % 2 ? -1 : 1) * 1024 * i, xyz));
    ASSERT_NE(made.back(), nullptr);
  }
  for (int i = 0; i < 3000; i += 7) {
    gridlume_cad_vertex *vertex =
        value_of(gridlume_cad_get_vertex, cad, (i % 2 ? -1 : 1) * 1024 * i);
    EXPECT_EQ(vertex, made[i]);
  }
}

TEST_F(CadObject, CompositeTagsWithoutATagSystemStandForThemselves) {
  int count = -1, list[4] = {-1, -1, -1, -1};
  EXPECT_EQ(gridlume_cad_get_composite_tag_definition(cad, 42, &count, list), 0);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(list[0], 42);
  EXPECT_EQ(gridlume_cad_get_composite_tag_list(cad, &count, list), 0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(gridlume_cad_get_composite_tag_definition(cad, 42, nullptr, list), -1);
  EXPECT_EQ(gridlume_cad_get_composite_tag_list(nullptr, &count, list), -1);
  EXPECT_EQ(value_of(gridlume_cad_get_tag_system, cad), nullptr);
}

TEST_F(CadObject, CompositeTagsForwardToTheTagSystemTheCadOwns) {
  gridlume_tag_system *tags = gridlume_tag_system_new(10);
  for (int tag : {1, 2, 3}) gridlume_tag_system_add_base_tag(tags, tag);
  int pair[2] = {3, 1}, composite = 0;
  ASSERT_EQ(gridlume_tag_system_get_composite_tag(tags, pair, 2, &composite), 0);
  ASSERT_EQ(gridlume_cad_set_tag_system(cad, tags), 0);
  EXPECT_EQ(value_of(gridlume_cad_get_tag_system, cad), tags);
  int *list = static_cast<int *>(gridlume_cad_calloc_generic_buffer(cad));
  int count = 0;
  EXPECT_EQ(gridlume_cad_get_composite_tag_definition(cad, composite, &count, list), 0);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(gridlume_cad_get_composite_tag_definition(cad, 99, &count, list), 1);
  EXPECT_EQ(gridlume_cad_get_composite_tag_list(cad, &count, list), 0);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(list[0], composite);
  gridlume_cad_free_generic_buffer(list);
  // A replaced tag system is deleted by the cad; so is the last one.
  EXPECT_EQ(gridlume_cad_set_tag_system(cad, gridlume_tag_system_new(3)), 0);
}

TEST_F(CadObject, TagSettersRaiseTheUseTagFlagsOfTheirCad) {
  gridlume_cad_face *face = gridlume_cad_face_new(cad, 1, quadratic_surface, nullptr);
  gridlume_cad_edge *edge = gridlume_cad_edge_new(face, 1, 0, 1, line_curve, nullptr);
  gridlume_cad_wire *wire = gridlume_cad_wire_new(cad, 1, 0, 1, straight_wire, nullptr);
  const double uv[2] = {0, 0};
  gridlume_cad_point *point = gridlume_cad_point_new(face, 1, uv);
  auto flags = [&] {
    return std::array<int, 3>{value_of(gridlume_cad_get_use_vtag, cad),
                              value_of(gridlume_cad_get_use_etag, cad),
                              value_of(gridlume_cad_get_use_ftag, cad)};
  };
  using Flags = std::array<int, 3>;
  // Ids and other fields raise nothing.
  gridlume_cad_face_set_id(face, 3);
  gridlume_cad_edge_set_extremities(edge, 1, 2);
  gridlume_cad_wire_set_extremities_corner_property(wire, 1, 1);
  EXPECT_EQ(flags(), (Flags{0, 0, 0}));
  struct Setter {
    std::function<void()> set;
    Flags expected;
  };
  const Setter setters[] = {
      {[&] { gridlume_cad_point_set_tag(point, 4); }, {1, 0, 0}},
      {[&] { gridlume_cad_edge_set_extremities_tag(edge, 4, 5); }, {1, 0, 0}},
      {[&] { gridlume_cad_wire_set_extremities_tag(wire, 4, 5); }, {1, 0, 0}},
      {[&] { gridlume_cad_edge_set_tag(edge, 4); }, {0, 1, 0}},
      {[&] { gridlume_cad_wire_set_tag(wire, 4); }, {0, 1, 0}},
      {[&] { gridlume_cad_face_set_tag(face, 4); }, {0, 0, 1}},
  };
  gridlume_cad_face *own_face = face;
  for (const Setter &setter : setters) {
    Context other_context;
    gridlume_cad *other = gridlume_cad_new(other_context);
    std::swap(cad, other);
    face = gridlume_cad_face_new(cad, 1, quadratic_surface, nullptr);
    edge = gridlume_cad_edge_new(face, 1, 0, 1, line_curve, nullptr);
    wire = gridlume_cad_wire_new(cad, 1, 0, 1, straight_wire, nullptr);
    point = gridlume_cad_point_new(face, 1, uv);
    setter.set();
    EXPECT_EQ(flags(), setter.expected);
    setter.set();  // nothing clears a flag
    EXPECT_EQ(flags(), setter.expected);
    std::swap(cad, other);
  }
  // A face that belongs to no cad reports its tags to nobody.
  gridlume_cad_face *copy = gridlume_cad_face_new_copy(own_face);
  gridlume_cad_edge *copied_edge = gridlume_cad_edge_new(copy, 2, 0, 1, line_curve, nullptr);
  EXPECT_EQ(gridlume_cad_face_set_tag(copy, 9), 0);
  EXPECT_EQ(gridlume_cad_edge_set_tag(copied_edge, 9), 0);
  EXPECT_EQ(value_of(gridlume_cad_face_get_tag, copy), 9);
  EXPECT_EQ(flags(), (Flags{0, 0, 0}));
  gridlume_cad_edge_delete(copied_edge);
  gridlume_cad_face_delete(copy);
}

TEST_F(CadObject, FlagsAreZeroOrOneAndTheGenericBufferComesZeroFilled) {
  EXPECT_EQ(value_of(gridlume_cad_get_thread_safety, cad), 0);
  EXPECT_EQ(gridlume_cad_set_thread_safety(cad, 5), 0);
  EXPECT_EQ(value_of(gridlume_cad_get_thread_safety, cad), 1);
  EXPECT_EQ(gridlume_cad_set_thread_safety(cad, 0), 0);
  EXPECT_EQ(value_of(gridlume_cad_get_thread_safety, cad), 0);
  EXPECT_EQ(value_of(gridlume_cad_has_discrete_definition, cad), 0);
  EXPECT_EQ(gridlume_cad_set_thread_safety(nullptr, 1), -1);
  EXPECT_EQ(gridlume_cad_get_use_vtag(cad, nullptr), -1);
  EXPECT_EQ(gridlume_cad_merge_edges(cad), 0);
  // The generic buffer comes zero-filled.
  auto *buffer = static_cast<unsigned char *>(gridlume_cad_calloc_generic_buffer(cad));
  ASSERT_NE(buffer, nullptr);
  for (int i = 0; i < 35; ++i) EXPECT_EQ(buffer[i], 0);
  gridlume_cad_free_generic_buffer(buffer);
  gridlume_cad_free_generic_buffer(nullptr);
  EXPECT_EQ(gridlume_cad_calloc_generic_buffer(nullptr), nullptr);
}
