// Faces: surface evaluation, parametric range and periodicity, the data a
// face stores for the mesh generators, copies and points.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "cad/cad_fixtures.hpp"

using namespace gridlume_test;
using namespace cad_test;

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

struct Face : ::testing::Test {
  Context context;
  gridlume_cad *cad = gridlume_cad_new(context);
  Probe probe;
  gridlume_cad_face *face = gridlume_cad_face_new(cad, 7, quadratic_surface, &probe);
};

}  // namespace

TEST_F(Face, SurfaceZeroesItsOutputsAndPassesTheCallbackStatusBack) {
  const double uv[2] = {1, 2};
  Triple xyz{}, du{}, duu{}, dvv{};
  Triple duv{9, 9, 9};
  ASSERT_EQ(gridlume_cad_face_surface(face, uv, xyz.data(), du.data(), nullptr, duu.data(),
                                      duv.data(), dvv.data()),
            0);
  EXPECT_EQ(xyz, (Triple{1, 2, 1 + 2 + 8}));
  EXPECT_EQ(du, (Triple{1, 0, 4}));
  EXPECT_EQ(duv, (Triple{0, 0, 1}));  // the surface writes only z: x and y were zeroed
  EXPECT_EQ(probe.calls, 1);
  probe.status = 17;
  EXPECT_EQ(
      gridlume_cad_face_surface(face, uv, xyz.data(), nullptr, nullptr, nullptr, nullptr, nullptr),
      17);
  EXPECT_EQ(gridlume_cad_face_surface(nullptr, uv, xyz.data(), nullptr, nullptr, nullptr, nullptr,
                                      nullptr),
            -1);
  gridlume_cad_surface_function function = nullptr;
  void *data = nullptr;
  EXPECT_EQ(gridlume_cad_face_get_surf(face, &function, &data), 0);
  EXPECT_EQ(function, quadratic_surface);
  EXPECT_EQ(data, &probe);
  EXPECT_EQ(gridlume_cad_face_new(cad, 1, nullptr, nullptr), nullptr);
  EXPECT_EQ(gridlume_cad_face_new(nullptr, 1, quadratic_surface, nullptr), nullptr);
}

TEST_F(Face, UnknownRangeIsTheBoxOfTheSupportVerticesOfTheEdgesOrTheWholePlane) {
  using Box = std::array<double, 4>;
  auto range = [&] {
    double u[2] = {0, 0}, v[2] = {0, 0};
    EXPECT_EQ(gridlume_cad_face_get_surface_parametric_range(face, u, v), 0);
    return Box{u[0], u[1], v[0], v[1]};
  };
  // A face without edges keeps an unknown range.
  EXPECT_EQ(value_of(gridlume_cad_face_has_surface_parametric_range, face), 0);
  EXPECT_EQ(range(), (Box{-infinity, infinity, -infinity, infinity}));
  const double urange[2] = {0, 1}, vrange[2] = {2, 3};
  EXPECT_EQ(gridlume_cad_face_set_surface_parametric_range(face, urange, vrange), 0);
  EXPECT_EQ(value_of(gridlume_cad_face_has_surface_parametric_range, face), 1);
  EXPECT_EQ(range(), (Box{0, 1, 2, 3}));
  EXPECT_EQ(gridlume_cad_face_set_surface_parametric_range(face, urange, nullptr), 0);
  EXPECT_EQ(value_of(gridlume_cad_face_has_surface_parametric_range, face), 0);
  EXPECT_EQ(range()[0], -infinity);
  // An edge without support vertices, or with an empty record, leaves it unknown.
  gridlume_cad_edge_new_segment(face, 1, Pair{0.5, 1}.data(), Pair{2, -1}.data());
  gridlume_cad_edge *edge = gridlume_cad_edge_new(face, 2, 0, 1, line_curve, nullptr);
  int flag = 5;
  EXPECT_EQ(gridlume_cad_face_has_surface_parametric_range(face, &flag), -1);
  EXPECT_EQ(gridlume_cad_edge_set_support_vertex_count(edge, 0), 0);
  EXPECT_EQ(gridlume_cad_face_has_surface_parametric_range(face, &flag), -1);
  EXPECT_EQ(gridlume_cad_edge_set_support_vertex_count(edge, 1), 0);
  EXPECT_EQ(
      gridlume_cad_edge_set_support_vertex(edge, 1, 0.5, Pair{4, 4}.data(), Triple{0, 0, 0}.data()),
      0);
  gridlume_cad_edge_new_segment(face, 3, Pair{2, -1}.data(), Pair{-3, 0}.data());
  EXPECT_EQ(value_of(gridlume_cad_face_has_surface_parametric_range, face), 1);
  EXPECT_EQ(range(), (Box{-3, 4, -1, 4}));
}

TEST_F(Face, PeriodicityOnceGivenStaysGiven) {
  int u_periodic = 9, v_periodic = 9;
  double u_period = 9, v_period = 9;
  auto read = [&] {
    EXPECT_EQ(gridlume_cad_face_get_surface_periodicity(face, &u_periodic, &v_periodic, &u_period,
                                                        &v_period),
              0);
  };
  read();
  EXPECT_EQ((std::array<double, 4>{double(u_periodic), double(v_periodic), u_period, v_period}),
            (std::array<double, 4>{0, 0, 0, 0}));
  EXPECT_EQ(value_of(gridlume_cad_face_has_surface_periodicity, face), 0);
  EXPECT_EQ(gridlume_cad_face_set_surface_periodicity(face, 0, 1, 5.0, 6.0), 0);
  read();
  EXPECT_EQ((std::array<double, 4>{double(u_periodic), double(v_periodic), u_period, v_period}),
            (std::array<double, 4>{0, 1, 0, 6}));
  EXPECT_EQ(gridlume_cad_face_set_surface_periodicity(face, 0, 0, 1.0, 1.0), 0);
  EXPECT_EQ(value_of(gridlume_cad_face_has_surface_periodicity, face), 1);
  read();
  EXPECT_EQ(u_periodic + v_periodic, 0);
  EXPECT_EQ(u_period + v_period, 0);
}

TEST_F(Face, OriginalIdsStartAsTheOwnIdAndAResetEmptiesThem) {
  // The same rules hold for faces, edges and wires (one table): checked on
  // each through function pointers.
  gridlume_cad_edge *edge = gridlume_cad_edge_new(face, 8, 0, 1, line_curve, nullptr);
  gridlume_cad_wire *wire = gridlume_cad_wire_new(cad, 9, 0, 1, straight_wire, nullptr);
  auto check = [](auto *object, int own_id, auto add, auto count_of, auto get, auto reset) {
    EXPECT_EQ(value_of(count_of, object), 1);
    EXPECT_EQ(value_of(get, object, 1), own_id);
    int id = 0;
    EXPECT_EQ(get(object, 2, &id), -1);
    for (int added = 100; added < 105; ++added) EXPECT_EQ(add(object, added), 0);
    EXPECT_EQ(value_of(count_of, object), 5);
    EXPECT_EQ(value_of(get, object, 5), 104);
    EXPECT_EQ(get(object, 0, &id), -1);
    EXPECT_EQ(reset(object), 0);
    EXPECT_EQ(value_of(count_of, object), 0);
    EXPECT_EQ(get(object, 1, &id), -1);
    EXPECT_EQ(add(object, 3), 0);
    EXPECT_EQ(value_of(get, object, 1), 3);
  };
  check(face, 7, gridlume_cad_face_add_original_id, gridlume_cad_face_get_original_id_count,
        gridlume_cad_face_get_original_id, gridlume_cad_face_reset_original_id);
  check(edge, 8, gridlume_cad_edge_add_original_id, gridlume_cad_edge_get_original_id_count,
        gridlume_cad_edge_get_original_id, gridlume_cad_edge_reset_original_id);
  check(wire, 9, gridlume_cad_wire_add_original_id, gridlume_cad_wire_get_original_id_count,
        gridlume_cad_wire_get_original_id, gridlume_cad_wire_reset_original_id);
}

TEST_F(Face, IdentificationPropertiesFlagsSdInfoAndTessellatorAreStored) {
  EXPECT_EQ(value_of(gridlume_cad_face_get_id, face), 7);
  gridlume_cad_face_set_id(face, 70);
  gridlume_cad_face_set_uid(face, 71);
  gridlume_cad_face_set_orientation(face, -1);
  EXPECT_EQ(value_of(gridlume_cad_face_get_id, face), 70);
  EXPECT_EQ(value_of(gridlume_cad_face_get_uid, face), 71);
  EXPECT_EQ(value_of(gridlume_cad_face_get_orientation, face), -1);
  EXPECT_EQ(gridlume_cad_face_set_property(face, 0b0110), 0);
  EXPECT_EQ(gridlume_cad_face_unset_property(face, 0b0010), 0);
  EXPECT_EQ(value_of(gridlume_cad_face_query_property, face, 0b0011), 0);
  EXPECT_EQ(value_of(gridlume_cad_face_query_property, face, 0b1100), 1);
  EXPECT_EQ(value_of(gridlume_cad_face_get_from_tesselation, face), 0);
  gridlume_cad_face_set_from_tesselation(face, 1);
  EXPECT_EQ(value_of(gridlume_cad_face_get_from_tesselation, face), 1);
  EXPECT_EQ(value_of(gridlume_cad_face_geometry_is_imposed, face), 0);
  EXPECT_EQ(gridlume_cad_face_impose_discrete_geometry(face), 0);
  EXPECT_EQ(value_of(gridlume_cad_face_geometry_is_imposed, face), 1);
  EXPECT_EQ(gridlume_cad_face_set_id(nullptr, 1), -1);
  EXPECT_EQ(gridlume_cad_face_get_id(face, nullptr), -1);
  EXPECT_EQ(gridlume_cad_face_query_property(nullptr, 1, &probe.calls), -1);
  // Sd info keeps only positive values.
  EXPECT_EQ(gridlume_cad_face_set_sd_info(face, 3, 4), 0);
  EXPECT_EQ(gridlume_cad_face_set_sd_info(face, 0, -2), 0);
  EXPECT_EQ(gridlume_cad_face_set_sd_info(face, -1, 8), 0);
  int first = 0, second = 0;
  EXPECT_EQ(gridlume_cad_face_get_sd_info(face, &first, &second), 0);
  EXPECT_EQ(first, 3);
  EXPECT_EQ(second, 8);
  EXPECT_EQ(value_of(gridlume_cad_face_has_tessellator, face), 0);
  auto tessellator = reinterpret_cast<gridlume_cad_tessellator_function>(&line_curve);
  int data = 0;
  EXPECT_EQ(gridlume_cad_face_set_tessellator(face, tessellator, &data), 0);
  EXPECT_EQ(value_of(gridlume_cad_face_has_tessellator, face), 1);
  gridlume_cad_tessellator_function stored = nullptr;
  void *stored_data = nullptr;
  EXPECT_EQ(gridlume_cad_face_get_tessellator(face, &stored, &stored_data), 0);
  EXPECT_EQ(stored, tessellator);
  EXPECT_EQ(stored_data, &data);
}

namespace {
int shift_translator(const double *uv, gridlume_cad_face **face0, double *uv0, long long *extra,
                     void *data) {
  *face0 = nullptr;
  uv0[0] = uv[0] + 1;
  uv0[1] = uv[1] + static_cast<Probe *>(data)->calls;
  *extra = 12;
  return 3;
}
}  // namespace

TEST_F(Face, OriginalGeometryIsTheFaceItselfWithoutATranslator) {
  const double uv[2] = {0.25, 0.5};
  gridlume_cad_face *face0 = nullptr;
  double uv0[2] = {0, 0};
  long long extra = 5;
  EXPECT_EQ(gridlume_cad_face_get_original_geometry(face, uv, &face0, uv0, &extra), 0);
  EXPECT_EQ(face0, face);
  EXPECT_EQ((Pair{uv0[0], uv0[1]}), (Pair{0.25, 0.5}));
  EXPECT_EQ(extra, 0);
  probe.calls = 10;
  EXPECT_EQ(gridlume_cad_face_set_original_geometry_translator(face, shift_translator), 0);
  EXPECT_EQ(gridlume_cad_face_get_original_geometry(face, uv, &face0, uv0, &extra), 3);
  EXPECT_EQ((Pair{uv0[0], uv0[1]}), (Pair{1.25, 10.5}));
  EXPECT_EQ(extra, 12);
}

namespace {
int clone_calls = 0;
void *clone_probe(void *data) {
  ++clone_calls;
  auto *copy = static_cast<Probe *>(data) + 1;  // the second probe of a pair
  return copy;
}
void *failing_clone(void *) { return nullptr; }
}  // namespace

TEST_F(Face, CopyCarriesTheAttributesAndClonedUserDataButNoEdgesOrPoints) {
  Probe pair[2];
  gridlume_cad_face *source = gridlume_cad_face_new(cad, 3, quadratic_surface, &pair[0]);
  gridlume_cad_face_set_tag(source, 4);
  gridlume_cad_face_set_uid(source, 5);
  gridlume_cad_face_set_orientation(source, -1);
  gridlume_cad_face_set_property(source, 8);
  gridlume_cad_face_set_surface_periodicity(source, 1, 0, 2.5, 0);
  gridlume_cad_face_set_surface_parametric_range(source, Pair{0, 1}.data(), Pair{0, 2}.data());
  gridlume_cad_face_add_original_id(source, 33);
  gridlume_cad_face_set_clone_function(source, clone_probe);
  gridlume_cad_edge_new(source, 1, 0, 1, line_curve, nullptr);
  gridlume_cad_point_new(source, 1, Pair{0, 0}.data());
  clone_calls = 0;
  gridlume_cad_face *copy = gridlume_cad_face_new_copy(source);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(clone_calls, 1);
  EXPECT_EQ(value_of(gridlume_cad_face_get_tag, copy), 4);
  EXPECT_EQ(value_of(gridlume_cad_face_get_uid, copy), 5);
  EXPECT_EQ(value_of(gridlume_cad_face_get_orientation, copy), -1);
  EXPECT_EQ(value_of(gridlume_cad_face_query_property, copy, 8), 1);
  EXPECT_EQ(value_of(gridlume_cad_face_has_surface_periodicity, copy), 1);
  EXPECT_EQ(value_of(gridlume_cad_face_has_surface_parametric_range, copy), 1);
  EXPECT_EQ(value_of(gridlume_cad_face_get_original_id, copy, 1), 33);
  EXPECT_EQ(value_of(gridlume_cad_face_get_edge_count, copy), 0);
  EXPECT_EQ(value_of(gridlume_cad_face_get_point_count, copy), 0);
  EXPECT_EQ(value_of(gridlume_cad_face_get_cad, copy), nullptr);
  Triple xyz{};
  gridlume_cad_face_surface(copy, Pair{1, 1}.data(), xyz.data(), nullptr, nullptr, nullptr, nullptr,
                            nullptr);
  EXPECT_EQ(pair[1].calls, 1);  // the copy evaluates with the cloned user data
  EXPECT_EQ(pair[0].calls, 0);
  gridlume_cad_face_delete(copy);
  // A clone function that fails leaves no copy behind.
  const long before = live_blocks();
  gridlume_cad_face_set_clone_function(source, failing_clone);
  EXPECT_EQ(gridlume_cad_face_new_copy(source), nullptr);
  EXPECT_EQ(live_blocks(), before);
}

TEST_F(Face, PointsAreCopiedAndDeletedWithinTheirFace) {
  gridlume_cad_point *first = gridlume_cad_point_new(face, 1, Pair{0.5, 0.25}.data());
  gridlume_cad_point *second = gridlume_cad_point_new(face, 2, Pair{1, 1}.data());
  gridlume_cad_point *third = gridlume_cad_point_new(face, 3, Pair{2, 2}.data());
  gridlume_cad_point_set_tag(first, 11);
  gridlume_cad_point_set_corner_property(first, 1);
  EXPECT_EQ(value_of(gridlume_cad_face_get_point_count, face), 3);
  gridlume_cad_point_delete(second);
  EXPECT_EQ(value_of(gridlume_cad_face_get_point_count, face), 2);
  EXPECT_EQ(value_of(gridlume_cad_face_get_point, face, 2), third);
  gridlume_cad_face *target = gridlume_cad_face_new(cad, 2, quadratic_surface, nullptr);
  EXPECT_EQ(gridlume_cad_face_clone_points(face, target), 0);
  EXPECT_EQ(gridlume_cad_face_clone_points(face, face), 0);  // copies onto itself once
  EXPECT_EQ(value_of(gridlume_cad_face_get_point_count, face), 4);
  gridlume_cad_point *copy = value_of(gridlume_cad_face_get_point, target, 1);
  EXPECT_NE(copy, first);
  EXPECT_EQ(value_of(gridlume_cad_point_get_id, copy), 1);
  EXPECT_EQ(value_of(gridlume_cad_point_get_tag, copy), 11);
  EXPECT_EQ(value_of(gridlume_cad_point_get_corner_property, copy), 1);
  EXPECT_EQ(values_of<2>(gridlume_cad_point_get_uv, copy), (Pair{0.5, 0.25}));
  EXPECT_EQ(gridlume_cad_point_new(nullptr, 1, Pair{0, 0}.data()), nullptr);
  EXPECT_EQ(gridlume_cad_point_new(face, 1, nullptr), nullptr);
}
