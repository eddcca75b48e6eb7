// The geometries the library derives: finite-difference edges, segments,
// polyline edges and wires, affine edges and parameter-scaled faces.
#include <gtest/gtest.h>

#include "cad/cad_fixtures.hpp"

using namespace gridlume_test;
using namespace cad_test;

namespace {

struct Derived : ::testing::Test {
  Context context;
  long baseline = live_blocks();
  gridlume_cad *cad = gridlume_cad_new(context);
  Probe surface_probe;
  gridlume_cad_face *face = gridlume_cad_face_new(cad, 1, quadratic_surface, &surface_probe);
};

struct Evaluation {
  int status;
  Pair uv, dt, dtt;
};
Evaluation evaluate(gridlume_cad_edge *edge, double t) {
  Evaluation e{};
  e.status = gridlume_cad_edge_curve(edge, t, e.uv.data(), e.dt.data(), e.dtt.data());
  return e;
}

// uv(t) = (t^2, t), dtt = (2, 0).
int parabola(double t, double *uv, double *dt, double *dtt, void *) {
  if (uv != nullptr) uv[0] = t * t, uv[1] = t;
  if (dt != nullptr) dt[0] = 2 * t, dt[1] = 1;
  if (dtt != nullptr) dtt[0] = 2, dtt[1] = 0;
  return 0;
}

}  // namespace

// ---- Finite-difference edges ------------------------------------------------

TEST_F(Derived, FiniteDifferenceStepIsAThousandthOfTheRangeAtLeast1e7AndOneSidedAtTheEnds) {
  // For t^3 the centred first difference over a step h exceeds 3t^2 by
  // h^2 / 4, which shows the step.
  gridlume_cad_edge *unit = gridlume_cad_edge_new0(face, 1, 0, 1, power_curve, nullptr);
  Evaluation e = evaluate(unit, 0.5);
  ASSERT_EQ(e.status, 0);
  EXPECT_NEAR(e.dt[1] - 0.75, 0.001 * 0.001 / 4, 1e-11);
  EXPECT_NEAR(e.dt[0], 1.0, 1e-12);
  EXPECT_NEAR(e.dtt[1], 3.0, 1e-6);
  EXPECT_EQ(e.uv, (Pair{0.25, 0.125}));
  gridlume_cad_edge *short_edge = gridlume_cad_edge_new0(face, 2, 0, 1e-5, power_curve, nullptr);
  const double t = 5e-6;
  e = evaluate(short_edge, t);
  ASSERT_EQ(e.status, 0);
  EXPECT_NEAR(e.dt[1] - 3 * t * t, 1e-7 * 1e-7 / 4, 1e-18);
  EXPECT_EQ(value_of(gridlume_cad_edge_get_wdef, unit), 0);
  // At the ends of the range the differences turn one-sided.
  const double h = 0.001;
  Evaluation start = evaluate(unit, 0);
  ASSERT_EQ(start.status, 0);
  EXPECT_NEAR(start.dt[0], h, 1e-12);      // (f(h) - f(0)) / h for t^2
  EXPECT_NEAR(start.dtt[0], 2, 1e-9);      // forward second difference
  EXPECT_NEAR(start.dtt[1], 6 * h, 1e-9);  // of t^3: 6h
  Evaluation end = evaluate(unit, 1);
  ASSERT_EQ(end.status, 0);
  EXPECT_NEAR(end.dt[0], 2 - h, 1e-9);       // (f(1) - f(1 - h)) / h
  EXPECT_NEAR(end.dtt[1], 6 - 6 * h, 1e-6);  // backward second difference
  // On [0, 1.5e-7] the step is 1e-7: neither [t - h, t + h] nor 2h on one
  // side fits at t = 0.
  gridlume_cad_edge *tiny = gridlume_cad_edge_new0(face, 3, 0, 1.5e-7, power_curve, nullptr);
  Pair dtt{5, 5};
  EXPECT_EQ(gridlume_cad_edge_curve(tiny, 0, nullptr, nullptr, dtt.data()), -1);
  EXPECT_EQ(dtt, (Pair{0, 0}));
  Pair dt{};
  EXPECT_EQ(gridlume_cad_edge_curve(tiny, 0, nullptr, dt.data(), nullptr), 0);
}

TEST_F(Derived, FiniteDifferenceEdgePassesTheCallersStatusAndUserDataOn) {
  Probe probe;
  gridlume_cad_edge *edge = gridlume_cad_edge_new0(face, 1, 0, 1, power_curve, &probe);
  Pair uv{};
  EXPECT_EQ(gridlume_cad_edge_curve(edge, 0.5, uv.data(), nullptr, nullptr), 0);
  EXPECT_EQ(probe.calls, 1);
  probe.status = 23;
  EXPECT_EQ(evaluate(edge, 0.5).status, 23);
  EXPECT_EQ(probe.calls, 2);  // stopped at the first failing call
  // A copy shares the caller's user data.
  probe.status = 0;
  gridlume_cad_edge *copy = gridlume_cad_edge_new_copy(edge);
  EXPECT_EQ(gridlume_cad_edge_curve(copy, 0.5, uv.data(), nullptr, nullptr), 0);
  EXPECT_EQ(probe.calls, 3);
  gridlume_cad_edge_delete(copy);
  EXPECT_EQ(gridlume_cad_edge_new0(nullptr, 1, 0, 1, power_curve, nullptr), nullptr);
}

// ---- Segments ----------------------------------------------------------------------

TEST_F(Derived, SegmentRunsFromItsFirstToItsSecondPointAndIsSupportedOnItsSurface) {
  gridlume_cad_edge *edge =
      gridlume_cad_edge_new_segment(face, 3, Pair{0, 0}.data(), Pair{4, 8}.data());
  Evaluation e = evaluate(edge, 0.25);
  EXPECT_EQ(e.uv, (Pair{1, 2}));
  EXPECT_EQ(e.dt, (Pair{4, 8}));
  EXPECT_EQ(e.dtt, (Pair{0, 0}));
  double tmin = -1, tmax = -1;
  gridlume_cad_edge_get_range(edge, &tmin, &tmax);
  EXPECT_EQ((Pair{tmin, tmax}), (Pair{0, 1}));
  int count = 0;
  double *t = nullptr, *uv = nullptr, *xyz = nullptr;
  ASSERT_EQ(gridlume_cad_edge_get_support_vertices(edge, &count, &t, &uv, &xyz), 0);
  ASSERT_EQ(count, 2);
  EXPECT_EQ((Pair{t[0], t[1]}), (Pair{0, 1}));
  EXPECT_EQ((std::array<double, 4>{uv[0], uv[1], uv[2], uv[3]}),
            (std::array<double, 4>{0, 0, 4, 8}));
  EXPECT_EQ((Triple{xyz[3], xyz[4], xyz[5]}), (Triple{4, 8, 16 + 32 + 128}));
  EXPECT_EQ(surface_probe.calls, 2);
  // Without a face, or on a failing surface, it has no support vertices.
  gridlume_cad_edge *loose =
      gridlume_cad_edge_new_segment(nullptr, 1, Pair{0, 0}.data(), Pair{1, 0}.data());
  EXPECT_EQ(gridlume_cad_edge_get_support_vertices(loose, &count, nullptr, nullptr, nullptr), -1);
  gridlume_cad_edge_delete(loose);
  surface_probe.status = 2;
  gridlume_cad_edge *unsupported =
      gridlume_cad_edge_new_segment(face, 1, Pair{0, 0}.data(), Pair{1, 0}.data());
  ASSERT_NE(unsupported, nullptr);
  EXPECT_EQ(gridlume_cad_edge_get_support_vertices(unsupported, &count, nullptr, nullptr, nullptr),
            -1);
  EXPECT_EQ(gridlume_cad_edge_new_segment(face, 1, nullptr, Pair{1, 0}.data()), nullptr);
}

// ---- Polylines ------------------------------------------------------------------------

TEST_F(Derived, PolylineIsParameterisedByItsLengthAndSupportedByItsPoints) {
  const double uv[6] = {0, 0, 3, 4, 3, 5};
  const double xyz[9] = {0, 0, 0, 1, 1, 1, 1, 1, 3};
  gridlume_cad_edge *edge = gridlume_cad_edge_new_newton1(face, 1, 3, uv, xyz);
  double tmin = -1, tmax = -1;
  gridlume_cad_edge_get_range(edge, &tmin, &tmax);
  EXPECT_EQ((Pair{tmin, tmax}), (Pair{0, 6}));
  EXPECT_EQ(curve_uv(edge, 5), (Pair{3, 4}));
  EXPECT_EQ(curve_uv(edge, 5.5), (Pair{3, 4.5}));
  Evaluation e = evaluate(edge, 2);
  EXPECT_NEAR(e.dt[0], 0.6, 1e-15);
  EXPECT_NEAR(e.dt[1], 0.8, 1e-15);
  // First interval: (slope of the next - its own) / max(1, 5, 6 / 2).
  EXPECT_NEAR(e.dtt[0], -0.6 / 5, 1e-15);
  EXPECT_NEAR(e.dtt[1], 0.2 / 5, 1e-15);
  // Last interval: the same two slopes, over max(1, 5, 3).
  e = evaluate(edge, 5.5);
  EXPECT_NEAR(e.dtt[0], -0.6 / 5, 1e-15);
  Triple point{};
  ASSERT_EQ(gridlume_cad_edge_curve3d(edge, 5.5, point.data()), 0);
  EXPECT_EQ(point, (Triple{1, 1, 2}));
  int count = 0;
  double *t = nullptr, *support_uv = nullptr, *support_xyz = nullptr;
  ASSERT_EQ(gridlume_cad_edge_get_support_vertices(edge, &count, &t, &support_uv, &support_xyz), 0);
  EXPECT_EQ(count, 3);
  EXPECT_EQ((Triple{t[0], t[1], t[2]}), (Triple{0, 5, 6}));
  EXPECT_EQ(support_uv[3], 4);
  EXPECT_EQ(support_xyz[8], 3);
  // The face's range follows from them.
  EXPECT_EQ(value_of(gridlume_cad_face_has_surface_parametric_range, face), 1);
  // Without points in space there is no curve in space.
  gridlume_cad_edge *flat = gridlume_cad_edge_new_newton1(face, 2, 3, uv, nullptr);
  EXPECT_EQ(value_of(gridlume_cad_edge_has_curve3d, flat), 0);
}

TEST_F(Derived, PolylineSecondDerivativeInsideComparesTheNeighbouringSlopes) {
  const double uv[8] = {0, 0, 1, 0, 1, 1, 0, 1};
  gridlume_cad_edge *edge = gridlume_cad_edge_new_newton1(face, 1, 4, uv, nullptr);
  Evaluation e = evaluate(edge, 1.5);
  // (slope [2, 3] - slope [0, 1]) / max(1, 1, 1, 3 / 2).
  EXPECT_NEAR(e.dtt[0], -2 / 1.5, 1e-15);
  EXPECT_NEAR(e.dtt[1], 0, 1e-15);
  EXPECT_EQ(e.dt, (Pair{0, 1}));
  // Two points: no second derivative.
  gridlume_cad_edge *line = gridlume_cad_edge_new_newton1(face, 2, 2, uv, nullptr);
  EXPECT_EQ(evaluate(line, 0.5).dtt, (Pair{0, 0}));
  // Repeated points: an empty interval has the degenerate slope factor.
  const double repeated[4] = {1, 1, 1, 1};
  gridlume_cad_edge *point = gridlume_cad_edge_new_newton1(face, 3, 2, repeated, nullptr);
  EXPECT_EQ(evaluate(point, 0).uv, (Pair{1, 1}));
  EXPECT_EQ(gridlume_cad_edge_new_newton1(face, 4, 0, uv, nullptr), nullptr);
  EXPECT_EQ(gridlume_cad_edge_new_newton1(nullptr, 4, 2, uv, nullptr), nullptr);
}

TEST_F(Derived, EdgeAssociationsJoinRunsWithoutLengthAndGiveTheOriginalGeometry) {
  gridlume_cad_edge *first = gridlume_cad_edge_new(face, 10, 0, 1, line_curve, nullptr);
  gridlume_cad_edge *second = gridlume_cad_edge_new(face, 20, 0, 1, line_curve, nullptr);
  const double uv[6] = {0, 0, 3, 4, 3, 5};
  gridlume_cad_edge *edges[3] = {first, first, second};
  const double parameters[3] = {0.1, 0.4, 0.9};
  gridlume_cad_edge *edge =
      gridlume_cad_edge_new_newton1_with_ea(face, 1, 3, uv, nullptr, edges, parameters);
  double tmin = -1, tmax = -1;
  gridlume_cad_edge_get_range(edge, &tmin, &tmax);
  EXPECT_EQ((Pair{tmin, tmax}), (Pair{0, 5}));
  gridlume_cad_edge *edge0 = nullptr;
  double t0 = 0, low = 0, high = 0;
  ASSERT_EQ(gridlume_cad_edge_get_original_geometry(edge, 2.5, &edge0, &t0, &low, &high), 0);
  EXPECT_EQ(edge0, first);
  EXPECT_NEAR(t0, 0.25, 1e-15);
  EXPECT_EQ((Pair{low, high}), (Pair{0.1, 0.4}));
  // At the junction the interval starts at the first run's last point.
  ASSERT_EQ(gridlume_cad_edge_get_original_geometry(edge, 5, &edge0, &t0, &low, &high), 0);
  EXPECT_EQ(edge0, first);
  EXPECT_EQ((Triple{t0, low, high}), (Triple{0.4, 0.4, 0.9}));
  // Without edge parameters the polyline is its own original geometry.
  gridlume_cad_edge *plain =
      gridlume_cad_edge_new_newton1_with_ea(face, 2, 3, uv, nullptr, edges, nullptr);
  ASSERT_EQ(gridlume_cad_edge_get_original_geometry(plain, 2.5, &edge0, &t0, &low, &high), 0);
  EXPECT_EQ(edge0, plain);
  // A derived run edge chains on to its own source, which is not derived:
  // a single parameter.
  const double a[2] = {1, 1}, b[2] = {0, 0};
  gridlume_cad_edge *image = gridlume_cad_edge_new_afftrans(face, second, 11, a, b);
  gridlume_cad_edge *images[2] = {image, image};
  const double image_parameters[2] = {0.2, 0.6};
  gridlume_cad_edge *chained =
      gridlume_cad_edge_new_newton1_with_ea(face, 3, 2, uv, nullptr, images, image_parameters);
  ASSERT_EQ(gridlume_cad_edge_get_original_geometry(chained, 2.5, &edge0, &t0, &low, &high), 0);
  EXPECT_EQ(edge0, second);
  EXPECT_NEAR(t0, 0.4, 1e-15);
  EXPECT_EQ(low, t0);
  EXPECT_EQ(high, t0);
}

TEST_F(Derived, RunEdgesAreKeptAliveByThePolyline) {
  gridlume_cad_face *loose_face = gridlume_cad_face_new_copy(face);
  gridlume_cad_edge *run = gridlume_cad_edge_new(loose_face, 1, 0, 1, line_curve, nullptr);
  const double uv[4] = {0, 0, 1, 0};
  gridlume_cad_edge *edges[2] = {run, run};
  gridlume_cad_edge *edge =
      gridlume_cad_edge_new_newton1_with_ea(face, 1, 2, uv, nullptr, edges, nullptr);
  gridlume_cad_edge *copy = gridlume_cad_edge_new_copy(edge);
  gridlume_cad_edge_delete(run);
  gridlume_cad_face_delete(loose_face);
  EXPECT_EQ(curve_uv(run, 0.5), (Pair{0.5, 1}));  // still alive
  // The cad, the polyline and its copy: the runs go with the last of them.
  gridlume_cad_edge_delete(edge);
  gridlume_cad_face_delete(face);
  gridlume_cad_delete(cad);
  EXPECT_GT(live_blocks(), baseline);
  EXPECT_EQ(curve_uv(copy, 0.5), (Pair{0.5, 0}));
  gridlume_cad_edge_delete(copy);
  EXPECT_EQ(live_blocks(), baseline);
}

TEST_F(Derived, PolylineWireFollowsItsPointsInSpace) {
  const double xyz[9] = {0, 0, 0, 1, 2, 2, 1, 2, 5};
  gridlume_cad_wire *wire = gridlume_cad_wire_new_newton1(cad, 4, 3, xyz);
  double tmin = -1, tmax = -1;
  gridlume_cad_wire_get_range(wire, &tmin, &tmax);
  EXPECT_EQ((Pair{tmin, tmax}), (Pair{0, 6}));
  Triple point{}, dt{};
  ASSERT_EQ(gridlume_cad_wire_curve(wire, 4.5, point.data(), dt.data(), nullptr), 0);
  EXPECT_EQ(point, (Triple{1, 2, 3.5}));
  EXPECT_EQ(dt, (Triple{0, 0, 1}));
  int count = 0;
  double *t = nullptr, *support = nullptr;
  ASSERT_EQ(gridlume_cad_wire_get_support_vertices(wire, &count, &t, &support), 0);
  EXPECT_EQ(count, 3);
  EXPECT_EQ((Triple{t[0], t[1], t[2]}), (Triple{0, 3, 6}));
  EXPECT_EQ(support[5], 2);
  gridlume_cad_wire *copy = gridlume_cad_wire_new_copy(wire);
  ASSERT_EQ(gridlume_cad_wire_curve(copy, 1.5, point.data(), nullptr, nullptr), 0);
  EXPECT_EQ(point, (Triple{0.5, 1, 1}));
  gridlume_cad_wire_delete(copy);
  EXPECT_EQ(gridlume_cad_wire_new_newton1(cad, 4, 0, xyz), nullptr);
}

// ---- Affine edges -------------------------------------------------------------------------

TEST_F(Derived, AffineEdgeMapsTheSourceCurve) {
  gridlume_cad_edge *source = gridlume_cad_edge_new(face, 6, -1, 2, parabola, nullptr);
  gridlume_cad_edge_set_tag(source, 4);
  gridlume_cad_edge_set_orientation(source, -1);
  gridlume_cad_edge_set_property(source, 2);
  const double a[2] = {2, 3}, b[2] = {1, -1};
  gridlume_cad_edge *edge = gridlume_cad_edge_new_afftrans(face, source, 9, a, b);
  Evaluation e = evaluate(edge, 0.5);
  EXPECT_EQ(e.uv, (Pair{2 * 0.25 + 1, 3 * 0.5 - 1}));
  EXPECT_EQ(e.dt, (Pair{2 * 1.0, 3 * 1.0}));
  EXPECT_EQ(e.dtt, (Pair{4 * 2.0, 0}));  // scaled by a squared
  double tmin = 0, tmax = 0;
  gridlume_cad_edge_get_range(edge, &tmin, &tmax);
  EXPECT_EQ((Pair{tmin, tmax}), (Pair{-1, 2}));
  EXPECT_EQ(value_of(gridlume_cad_edge_get_id, edge), 9);
  EXPECT_EQ(value_of(gridlume_cad_edge_get_tag, edge), 4);
  EXPECT_EQ(value_of(gridlume_cad_edge_get_orientation, edge), -1);
  EXPECT_EQ(value_of(gridlume_cad_edge_query_property, edge, 2), 1);
  EXPECT_EQ(value_of(gridlume_cad_edge_get_original_id_count, edge), 1);
  EXPECT_EQ(value_of(gridlume_cad_edge_get_original_id, edge, 1), 6);
  gridlume_cad_edge *edge0 = nullptr;
  double t0 = 0;
  ASSERT_EQ(gridlume_cad_edge_get_original_geometry(edge, 0.5, &edge0, &t0, &tmin, &tmax), 0);
  EXPECT_EQ(edge0, source);
  EXPECT_EQ((Triple{t0, tmin, tmax}), (Triple{0.5, 0.5, 0.5}));
  // A finite-difference source passes its flag on.
  gridlume_cad_edge *approximated = gridlume_cad_edge_new0(face, 7, 0, 1, power_curve, nullptr);
  gridlume_cad_edge_add_original_id(approximated, 70);
  gridlume_cad_edge_add_original_id(approximated, 71);
  gridlume_cad_edge *image = gridlume_cad_edge_new_afftrans(nullptr, approximated, 8, a, b);
  EXPECT_EQ(value_of(gridlume_cad_edge_get_wdef, image), 0);
  EXPECT_EQ(value_of(gridlume_cad_edge_get_face, image), nullptr);
  EXPECT_EQ(value_of(gridlume_cad_edge_get_original_id_count, image), 2);
  EXPECT_EQ(value_of(gridlume_cad_edge_get_original_id, image, 2), 71);
  gridlume_cad_edge_delete(image);
  EXPECT_EQ(gridlume_cad_edge_new_afftrans(face, nullptr, 1, a, b), nullptr);
}

// ---- Parameter-scaled faces -------------------------------------------------------------

TEST_F(Derived, ScaledFaceEvaluatesAndTranslatesBackToTheSourceAtTheMappedParameters) {
  const double a[2] = {2, 4}, b[2] = {0.5, -1};
  gridlume_cad_face *scaled = gridlume_cad_face_new_pafftrans(cad, face, 5, a, b, 0, 0);
  ASSERT_NE(scaled, nullptr);
  Triple xyz{}, du{}, dv{}, duu{}, duv{}, dvv{};
  // (3, 8) is the source's (3 / 2 + 0.5, 8 / 4 - 1) = (2, 1).
  ASSERT_EQ(gridlume_cad_face_surface(scaled, Pair{3, 8}.data(), xyz.data(), du.data(), dv.data(),
                                      duu.data(), duv.data(), dvv.data()),
            0);
  EXPECT_EQ(xyz, (Triple{2, 1, 8}));
  EXPECT_EQ(du, (Triple{0.5, 0, 2.5}));
  EXPECT_EQ(dv, (Triple{0, 0.25, 1.5}));
  EXPECT_EQ(duu[2], 0.5);
  EXPECT_EQ(duv[2], 0.125);
  EXPECT_EQ(dvv[2], 0.25);
  EXPECT_EQ(value_of(gridlume_cad_face_get_cad, scaled), cad);
  EXPECT_EQ(value_of(gridlume_cad_face_get_id, scaled), 5);
  surface_probe.status = 6;
  EXPECT_EQ(gridlume_cad_face_surface(scaled, Pair{3, 8}.data(), xyz.data(), nullptr, nullptr,
                                      nullptr, nullptr, nullptr),
            6);
  const double zero_scale[2] = {0, 1};
  EXPECT_EQ(gridlume_cad_face_new_pafftrans(cad, face, 5, zero_scale, b, 0, 0), nullptr);
  // It translates back to its source.
  gridlume_cad_face *face0 = nullptr;
  double uv0[2] = {0, 0};
  long long extra = 9;
  ASSERT_EQ(gridlume_cad_face_get_original_geometry(scaled, Pair{3, 8}.data(), &face0, uv0, &extra),
            0);
  EXPECT_EQ(face0, face);
  EXPECT_EQ((Pair{uv0[0], uv0[1]}), (Pair{2, 1}));
  EXPECT_EQ(extra, 0);
  // Scaling a scaled face chains to the first source.
  const double unit[2] = {1, 1}, none[2] = {0, 0};
  gridlume_cad_face *twice = gridlume_cad_face_new_pafftrans(cad, scaled, 6, unit, none, 0, 0);
  ASSERT_EQ(gridlume_cad_face_get_original_geometry(twice, Pair{3, 8}.data(), &face0, uv0, &extra),
            0);
  EXPECT_EQ(face0, face);
  EXPECT_EQ((Pair{uv0[0], uv0[1]}), (Pair{2, 1}));
}

TEST_F(Derived, ScaledFaceInheritsRangePeriodsTagAndOriginalIds) {
  gridlume_cad_face_set_tag(face, 12);
  gridlume_cad_face_set_orientation(face, -1);
  gridlume_cad_face_set_surface_parametric_range(face, Pair{0, 1}.data(), Pair{0, 2}.data());
  gridlume_cad_face_set_surface_periodicity(face, 1, 0, 1.0, 0.0);
  const double a[2] = {2, -4}, b[2] = {0.5, -1};
  gridlume_cad_face *scaled = gridlume_cad_face_new_pafftrans(nullptr, face, 5, a, b, 0, 0);
  EXPECT_EQ(value_of(gridlume_cad_face_get_tag, scaled), 12);
  EXPECT_EQ(value_of(gridlume_cad_face_get_orientation, scaled), -1);
  double u[2], v[2];
  EXPECT_EQ(value_of(gridlume_cad_face_has_surface_parametric_range, scaled), 1);
  gridlume_cad_face_get_surface_parametric_range(scaled, u, v);
  EXPECT_EQ((Pair{u[0], u[1]}), (Pair{-1, 1}));
  EXPECT_EQ((Pair{v[0], v[1]}), (Pair{-12, -4}));  // ordered under a negative scale
  int u_periodic = 0, v_periodic = 0;
  double u_period = 0, v_period = 0;
  gridlume_cad_face_get_surface_periodicity(scaled, &u_periodic, &v_periodic, &u_period, &v_period);
  EXPECT_EQ(u_periodic, 1);
  EXPECT_EQ(u_period, 2);
  EXPECT_EQ(value_of(gridlume_cad_face_get_original_id, scaled, 1), 1);
  EXPECT_EQ(value_of(gridlume_cad_face_get_cad, scaled), nullptr);
  gridlume_cad_face_delete(scaled);
}

TEST_F(Derived, ScaledFacePointsLieOnTheSameSpacePoints) {
  gridlume_cad_point *point = gridlume_cad_point_new(face, 3, Pair{1, 0}.data());
  gridlume_cad_point_set_tag(point, 8);
  const double a[2] = {2, 4}, b[2] = {0.5, -1};
  gridlume_cad_face *scaled = gridlume_cad_face_new_pafftrans(cad, face, 5, a, b, 0, 1);
  ASSERT_EQ(value_of(gridlume_cad_face_get_point_count, scaled), 1);
  gridlume_cad_point *copy = value_of(gridlume_cad_face_get_point, scaled, 1);
  EXPECT_EQ(value_of(gridlume_cad_point_get_tag, copy), 8);
  Pair uv = values_of<2>(gridlume_cad_point_get_uv, copy);
  EXPECT_EQ(uv, (Pair{1, 4}));
  Triple on_source{}, on_scaled{};
  gridlume_cad_face_surface(face, Pair{1, 0}.data(), on_source.data(), nullptr, nullptr, nullptr,
                            nullptr, nullptr);
  gridlume_cad_face_surface(scaled, uv.data(), on_scaled.data(), nullptr, nullptr, nullptr, nullptr,
                            nullptr);
  EXPECT_EQ(on_scaled, on_source);
}

TEST_F(Derived, ScaledFaceKeepsItsSourceAlive) {
  const double a[2] = {1, 1}, b[2] = {0, 0};
  gridlume_cad_face *scaled = gridlume_cad_face_new_pafftrans(nullptr, face, 5, a, b, 0, 0);
  gridlume_cad_face *copy = gridlume_cad_face_new_copy(scaled);
  gridlume_cad_face_delete(face);
  gridlume_cad_delete(cad);
  gridlume_cad_face_delete(scaled);
  Triple xyz{};
  EXPECT_EQ(gridlume_cad_face_surface(copy, Pair{1, 1}.data(), xyz.data(), nullptr, nullptr,
                                      nullptr, nullptr, nullptr),
            0);
  EXPECT_EQ(xyz, (Triple{1, 1, 4}));
  gridlume_cad_face_delete(copy);
  EXPECT_EQ(live_blocks(), baseline);
}
