// Edges and wires: curve evaluation, curves in space, the extremity and
// identification tables, support vertices and their sharing between copies,
// original geometry, polygonal faces.
#include <gtest/gtest.h>

#include "cad/cad_fixtures.hpp"

using namespace gridlume_test;
using namespace cad_test;

namespace {

struct Edge : ::testing::Test {
  Context context;
  gridlume_cad *cad = gridlume_cad_new(context);
  gridlume_cad_face *face = gridlume_cad_face_new(cad, 1, quadratic_surface, nullptr);
  Probe probe;
  gridlume_cad_edge *edge = gridlume_cad_edge_new(face, 5, -1, 2, line_curve, &probe);
};

int helix(double t, double *xyz, void *data) {
  ++static_cast<Probe *>(data)->calls;
  xyz[0] = std::cos(t), xyz[1] = std::sin(t), xyz[2] = t;
  return 0;
}

}  // namespace

TEST_F(Edge, CurvesZeroTheirOutputsAndPassTheCallbackStatusBack) {
  Pair uv{}, dt{7, 7};
  EXPECT_EQ(gridlume_cad_edge_curve(edge, 0.5, uv.data(), dt.data(), nullptr), 0);
  EXPECT_EQ(uv, (Pair{0.5, 1}));
  EXPECT_EQ(dt, (Pair{1, 2}));
  probe.status = -9;
  EXPECT_EQ(gridlume_cad_edge_curve(edge, 0.5, uv.data(), nullptr, nullptr), -9);
  EXPECT_EQ(gridlume_cad_edge_curve(nullptr, 0.5, uv.data(), nullptr, nullptr), -1);
  gridlume_cad_curve_function function = nullptr;
  void *data = nullptr;
  EXPECT_EQ(gridlume_cad_edge_get_curv(edge, &function, &data), 0);
  EXPECT_EQ(function, line_curve);
  EXPECT_EQ(data, &probe);
  EXPECT_EQ(value_of(gridlume_cad_edge_get_face, edge), face);
  EXPECT_EQ(value_of(gridlume_cad_face_get_edge, face, 1), edge);
  EXPECT_EQ(gridlume_cad_edge_new(nullptr, 1, 0, 1, line_curve, nullptr), nullptr);
  EXPECT_EQ(gridlume_cad_edge_new(face, 1, 0, 1, nullptr, nullptr), nullptr);
  gridlume_cad_face *owner = face;
  EXPECT_EQ(gridlume_cad_edge_get_face(nullptr, &owner), -1);
  EXPECT_EQ(owner, nullptr);
  // The curve in space is optional.
  Triple xyz{};
  EXPECT_EQ(gridlume_cad_edge_curve3d(edge, 0, xyz.data()), -1);
  EXPECT_EQ(value_of(gridlume_cad_edge_has_curve3d, edge), 0);
  Probe space;
  EXPECT_EQ(gridlume_cad_edge_set_curve3d(edge, helix, &space), 0);
  EXPECT_EQ(value_of(gridlume_cad_edge_has_curve3d, edge), 1);
  EXPECT_EQ(gridlume_cad_edge_curve3d(edge, 0, xyz.data()), 0);
  EXPECT_EQ(xyz, (Triple{1, 0, 0}));
  EXPECT_EQ(space.calls, 1);
  gridlume_cad_curve3d_function function3d = nullptr;
  EXPECT_EQ(gridlume_cad_edge_get_curve3d(edge, &function3d, &data), 0);
  EXPECT_EQ(function3d, helix);
  EXPECT_EQ(data, &space);
}

TEST_F(Edge, RangeIdentificationAndFlagsAreStored) {
  double tmin = 0, tmax = 0;
  EXPECT_EQ(gridlume_cad_edge_get_range(edge, &tmin, &tmax), 0);
  EXPECT_EQ((Pair{tmin, tmax}), (Pair{-1, 2}));
  EXPECT_EQ(gridlume_cad_edge_set_range(edge, 3, 4), 0);
  EXPECT_EQ(gridlume_cad_edge_get_range(edge, &tmin, &tmax), 0);
  EXPECT_EQ((Pair{tmin, tmax}), (Pair{3, 4}));
  const struct {
    int (*set)(gridlume_cad_edge *, int);
    int (*get)(gridlume_cad_edge *, int *);
  } fields[] = {
      {gridlume_cad_edge_set_id, gridlume_cad_edge_get_id},
      {gridlume_cad_edge_set_sid, gridlume_cad_edge_get_sid},
      {gridlume_cad_edge_set_lsid, gridlume_cad_edge_get_lsid},
      {gridlume_cad_edge_set_uid, gridlume_cad_edge_get_uid},
      {gridlume_cad_edge_set_tag, gridlume_cad_edge_get_tag},
      {gridlume_cad_edge_set_orientation, gridlume_cad_edge_get_orientation},
      {gridlume_cad_edge_set_coorientation, gridlume_cad_edge_get_coorientation},
  };
  int value = 100;
  for (const auto &field : fields) EXPECT_EQ(field.set(edge, ++value), 0);
  value = 100;
  for (const auto &field : fields) EXPECT_EQ(value_of(field.get, edge), ++value);
  EXPECT_EQ(value_of(gridlume_cad_edge_get_wdef, edge), 1);
  EXPECT_EQ(value_of(gridlume_cad_edge_get_degenerated, edge), 0);
  gridlume_cad_edge_set_degenerated(edge, 1);
  gridlume_cad_edge_set_from_tesselation(edge, 1);
  EXPECT_EQ(value_of(gridlume_cad_edge_get_degenerated, edge), 1);
  EXPECT_EQ(value_of(gridlume_cad_edge_get_from_tesselation, edge), 1);
  gridlume_cad_edge_set_degenerated(edge, 0);
  EXPECT_EQ(value_of(gridlume_cad_edge_get_degenerated, edge), 0);
  EXPECT_EQ(value_of(gridlume_cad_edge_get_from_tesselation, edge), 1);
}

TEST_F(Edge, ExtremityPairsOfEdgesAndWiresAreStoredApart) {
  gridlume_cad_wire *wire = gridlume_cad_wire_new(cad, 1, 0, 1, straight_wire, nullptr);
  using EdgeSet = int (*)(gridlume_cad_edge *, int, int);
  using EdgeGet = int (*)(gridlume_cad_edge *, int *, int *);
  const std::pair<EdgeSet, EdgeGet> edge_pairs[] = {
      {gridlume_cad_edge_set_extremities, gridlume_cad_edge_get_extremities},
      {gridlume_cad_edge_set_extremities_tag, gridlume_cad_edge_get_extremities_tag},
      {gridlume_cad_edge_set_extremities_required_property,
       gridlume_cad_edge_get_extremities_required_property},
      {gridlume_cad_edge_set_extremities_corner_property,
       gridlume_cad_edge_get_extremities_corner_property},
      {gridlume_cad_edge_set_extremities_artificial_property,
       gridlume_cad_edge_get_extremities_artificial_property},
      {gridlume_cad_edge_set_uv_extremities, gridlume_cad_edge_get_uv_extremities},
  };
  using WireSet = int (*)(gridlume_cad_wire *, int, int);
  using WireGet = int (*)(gridlume_cad_wire *, int *, int *);
  const std::pair<WireSet, WireGet> wire_pairs[] = {
      {gridlume_cad_wire_set_extremities, gridlume_cad_wire_get_extremities},
      {gridlume_cad_wire_set_extremities_tag, gridlume_cad_wire_get_extremities_tag},
      {gridlume_cad_wire_set_extremities_required_property,
       gridlume_cad_wire_get_extremities_required_property},
      {gridlume_cad_wire_set_extremities_corner_property,
       gridlume_cad_wire_get_extremities_corner_property},
      {gridlume_cad_wire_set_extremities_artificial_property,
       gridlume_cad_wire_get_extremities_artificial_property},
  };
  // Every pair is set before any is read back, so that a setter writing
  // another pair's fields shows.
  auto set_all = [](auto *object, const auto &pairs, int k) {
    for (const auto &pair : pairs) {
      EXPECT_EQ(pair.first(object, k, -k), 0);
      ++k;
    }
  };
  auto check_all = [](auto *object, const auto &pairs, int k) {
    for (const auto &pair : pairs) {
      int first = 0, second = 0;
      EXPECT_EQ(pair.second(object, &first, &second), 0);
      EXPECT_EQ((std::array<int, 2>{first, second}), (std::array<int, 2>{k, -k}));
      EXPECT_EQ(pair.second(object, &first, nullptr), -1);
      EXPECT_EQ(pair.first(nullptr, 1, 1), -1);
      ++k;
    }
  };
  set_all(edge, edge_pairs, 1);
  set_all(wire, wire_pairs, 11);
  check_all(edge, edge_pairs, 1);
  check_all(wire, wire_pairs, 11);
}

TEST_F(Edge, SupportVerticesAreSharedByCopiesUntilChanged) {
  int count = 0;
  double *t = nullptr, *uv = nullptr, *xyz = nullptr;
  EXPECT_EQ(gridlume_cad_edge_get_support_vertices(edge, &count, &t, &uv, &xyz), -1);
  EXPECT_EQ(gridlume_cad_edge_set_support_vertex(edge, 1, 0, Pair{}.data(), Triple{}.data()), -1);
  EXPECT_EQ(gridlume_cad_edge_set_support_vertex_count(edge, -1), -1);
  ASSERT_EQ(gridlume_cad_edge_set_support_vertex_count(edge, 2), 0);
  EXPECT_EQ(gridlume_cad_edge_set_support_vertex(edge, 2, 0.75, Pair{1, 2}.data(),
                                                 Triple{3, 4, 5}.data()),
            0);
  EXPECT_EQ(gridlume_cad_edge_set_support_vertex(edge, 3, 0, Pair{}.data(), Triple{}.data()), -1);
  gridlume_cad_edge *copy = gridlume_cad_edge_new_copy(edge);
  double *copy_t = nullptr;
  EXPECT_EQ(gridlume_cad_edge_get_support_vertices(copy, &count, &copy_t, nullptr, nullptr), 0);
  EXPECT_EQ(gridlume_cad_edge_get_support_vertices(edge, &count, &t, &uv, &xyz), 0);
  EXPECT_EQ(copy_t, t);  // one record
  EXPECT_EQ(count, 2);
  EXPECT_EQ((std::array<double, 6>{t[0], t[1], uv[2], uv[3], xyz[3], xyz[5]}),
            (std::array<double, 6>{0, 0.75, 1, 2, 3, 5}));
  // Changing the copy gives it its own record, starting from the shared one.
  EXPECT_EQ(
      gridlume_cad_edge_set_support_vertex(copy, 1, 0.5, Pair{6, 6}.data(), Triple{6, 6, 6}.data()),
      0);
  EXPECT_EQ(gridlume_cad_edge_get_support_vertices(copy, &count, &copy_t, &uv, nullptr), 0);
  EXPECT_NE(copy_t, t);
  EXPECT_EQ((std::array<double, 3>{copy_t[0], copy_t[1], t[0]}),
            (std::array<double, 3>{0.5, 0.75, 0}));
  EXPECT_EQ(gridlume_cad_edge_set_support_vertex_count(copy, 0), 0);
  EXPECT_EQ(gridlume_cad_edge_get_support_vertices(copy, &count, &copy_t, &uv, nullptr), 0);
  EXPECT_EQ(count, 0);
  gridlume_cad_edge_delete(copy);
}

TEST_F(Edge, OriginalGeometryIsTheEdgeItselfWhenNotDerived) {
  gridlume_cad_edge *edge0 = nullptr;
  double t0 = 0, tmin = 0, tmax = 0;
  EXPECT_EQ(gridlume_cad_edge_get_original_geometry(edge, 0.25, &edge0, &t0, &tmin, &tmax), 0);
  EXPECT_EQ(edge0, edge);
  EXPECT_EQ((Triple{t0, tmin, tmax}), (Triple{0.25, 0.25, 0.25}));
  gridlume_cad_wire *wire = gridlume_cad_wire_new(cad, 1, 0, 3, straight_wire, nullptr);
  gridlume_cad_wire *wire0 = nullptr;
  EXPECT_EQ(gridlume_cad_wire_get_original_geometry(wire, 1.5, &wire0, &t0, &tmin, &tmax), 0);
  EXPECT_EQ(wire0, wire);
  EXPECT_EQ((Triple{t0, tmin, tmax}), (Triple{1.5, 0, 3}));
}

TEST_F(Edge, WireCurveIsCalledWithoutZeroingAndNeedsAFunction) {
  Probe wire_probe;
  gridlume_cad_wire *wire = gridlume_cad_wire_new(cad, 3, 0, 1, straight_wire, &wire_probe);
  Triple xyz{}, dt{};
  EXPECT_EQ(gridlume_cad_wire_curve(wire, 2, xyz.data(), dt.data(), nullptr), 0);
  EXPECT_EQ(xyz, (Triple{2, 4, 6}));
  wire_probe.status = 4;
  EXPECT_EQ(gridlume_cad_wire_curve(wire, 2, xyz.data(), nullptr, nullptr), 4);
  EXPECT_EQ(gridlume_cad_wire_new(cad, 3, 0, 1, nullptr, nullptr), nullptr);
  gridlume_cad_wire_set_from_tesselation(wire, 1);
  EXPECT_EQ(value_of(gridlume_cad_wire_get_from_tesselation, wire), 1);
}

TEST_F(Edge, PolygonalFacesCopyTheirCornersAndArraysInAndOut) {
  const double corners[12] = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
  gridlume_cad_polygonal_face *polygon = gridlume_cad_polygonal_face_new(cad, 8, 4, corners);
  ASSERT_NE(polygon, nullptr);
  EXPECT_EQ(value_of(gridlume_cad_polygonal_face_get_side_count, polygon), 4);
  EXPECT_EQ(value_of(gridlume_cad_polygonal_face_get_id, polygon), 8);
  EXPECT_EQ(values_of<12>(gridlume_cad_polygonal_face_get_points_coordinates, polygon)[6], 1);
  using Set = int (*)(gridlume_cad_polygonal_face *, const int *);
  using Get = int (*)(gridlume_cad_polygonal_face *, int *);
  const std::pair<Set, Get> arrays[] = {
      {gridlume_cad_polygonal_face_set_edges_ids, gridlume_cad_polygonal_face_get_edges_ids},
      {gridlume_cad_polygonal_face_set_edges_tags, gridlume_cad_polygonal_face_get_edges_tags},
      {gridlume_cad_polygonal_face_set_edges_required_properties,
       gridlume_cad_polygonal_face_get_edges_required_properties},
      {gridlume_cad_polygonal_face_set_points_ids, gridlume_cad_polygonal_face_get_points_ids},
      {gridlume_cad_polygonal_face_set_points_tags, gridlume_cad_polygonal_face_get_points_tags},
      {gridlume_cad_polygonal_face_set_points_required_properties,
       gridlume_cad_polygonal_face_get_points_required_properties},
      {gridlume_cad_polygonal_face_set_points_corner_properties,
       gridlume_cad_polygonal_face_get_points_corner_properties},
  };
  using Four = std::array<int, 4>;
  for (const auto &array : arrays) EXPECT_EQ(values_of<4>(array.second, polygon), (Four{}));
  int k = 0;
  for (const auto &array : arrays) {
    const Four values{k, k + 1, k + 2, k + 3};
    EXPECT_EQ(array.first(polygon, values.data()), 0);
    k += 10;
  }
  k = 0;
  for (const auto &array : arrays) {
    EXPECT_EQ(values_of<4>(array.second, polygon), (Four{k, k + 1, k + 2, k + 3}));
    EXPECT_EQ(array.first(polygon, nullptr), -1);
    k += 10;
  }
  EXPECT_EQ(gridlume_cad_polygonal_face_new(cad, 1, 0, corners), nullptr);
  EXPECT_EQ(gridlume_cad_polygonal_face_new(cad, 1, 3, nullptr), nullptr);
  gridlume_cad_polygonal_face_delete(polygon);
}

namespace {
int edge_clones = 0;
void *count_clone(void *data) {
  ++edge_clones;
  return data;
}
void *refuse_clone(void *) { return nullptr; }
}  // namespace

TEST_F(Edge, CopyCarriesEveryFieldAndClonedUserDataButBelongsToNoFace) {
  gridlume_cad_edge_set_sid(edge, 2);
  gridlume_cad_edge_set_extremities(edge, 4, 6);
  gridlume_cad_edge_set_property(edge, 3);
  gridlume_cad_edge_set_degenerated(edge, 1);
  gridlume_cad_edge_add_original_id(edge, 44);
  gridlume_cad_edge_set_clone_function(edge, count_clone);
  gridlume_cad_edge *copy = gridlume_cad_edge_new_copy(edge);
  EXPECT_EQ(edge_clones, 1);
  EXPECT_EQ(value_of(gridlume_cad_edge_get_face, copy), nullptr);
  EXPECT_EQ(value_of(gridlume_cad_edge_get_id, copy), 5);
  EXPECT_EQ(value_of(gridlume_cad_edge_get_sid, copy), 2);
  EXPECT_EQ(value_of(gridlume_cad_edge_query_property, copy, 2), 1);
  EXPECT_EQ(value_of(gridlume_cad_edge_get_degenerated, copy), 1);
  EXPECT_EQ(value_of(gridlume_cad_edge_get_original_id, copy, 1), 44);
  int first = 0, second = 0;
  gridlume_cad_edge_get_extremities(copy, &first, &second);
  EXPECT_EQ(first + second, 10);
  EXPECT_EQ(curve_uv(copy, 1), (Pair{1, 2}));  // same curve, same user data
  gridlume_cad_edge_delete(copy);
  // A failing clone function leaves no copy and no shared record raised.
  gridlume_cad_edge_set_support_vertex_count(edge, 1);
  const long before = live_blocks();
  gridlume_cad_edge_set_clone_function(edge, refuse_clone);
  EXPECT_EQ(gridlume_cad_edge_new_copy(edge), nullptr);
  EXPECT_EQ(live_blocks(), before);
  EXPECT_EQ(gridlume_cad_edge_set_support_vertex_count(edge, 2), 0);
  EXPECT_EQ(live_blocks(), before);  // still its own record: resized, not copied
}
