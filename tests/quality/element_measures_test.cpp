// The element quality queries read through a callback mesh: measures of exact
// elements, degenerate and inverted elements, the order of multi-valued
// results, and the argument checks of every query.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "array_mesh.hpp"
#include "gridlume.h"
#include "support/allocation_failure.hpp"

using gridlume_test::AllocationFailure;
using gridlume_test::ArrayMesh;
using gridlume_test::for_each_allocation_failure;

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double tolerance = 1e-12;
const double sqrt2 = std::sqrt(2.0), sqrt3 = std::sqrt(3.0);

class ElementMeasures : public ::testing::Test {
 protected:
  void SetUp() override { context_ = gridlume_context_new(); }
  void TearDown() override { gridlume_context_delete(context_); }

  // A mesh over the arrays as they are now (they may still change).
  gridlume_mesh *mesh() {
    if (mesh_ == nullptr) mesh_ = arrays_.make_mesh(context_);
    return mesh_;
  }
  // Adds the points and answers their 1-based indices.
  std::vector<int> add_points(std::initializer_list<std::array<double, 3>> points) {
    std::vector<int> indices;
    for (const auto &p : points) indices.push_back(arrays_.add_point(p[0], p[1], p[2]));
    return indices;
  }
  template <class Query>
  double value(Query query, int i) {
    double result = std::nan("");
    EXPECT_EQ(query(mesh(), i, &result), 0);
    return result;
  }
  template <int count, class Query>
  std::array<double, count> values(Query query, int i) {
    std::array<double, count> result;
    result.fill(std::nan(""));
    EXPECT_EQ(query(mesh(), i, result.data()), 0);
    return result;
  }

  gridlume_context *context_ = nullptr;
  gridlume_mesh *mesh_ = nullptr;
  ArrayMesh arrays_;
};

void expect_all_near(const double *actual, std::initializer_list<double> expected,
                     double accuracy) {
  int k = 0;
  for (double e : expected) EXPECT_NEAR(actual[k++], e, accuracy) << "value " << k - 1;
}

TEST_F(ElementMeasures, EquilateralTriangleIsIdeal) {
  arrays_.triangles.add({1, 2, 3});
  add_points({{0, 0, 0}, {1, 0, 0}, {0.5, sqrt3 / 2, 0}});
  EXPECT_NEAR(value(gridlume_mesh_get_triangle_aspect_ratio, 1), 1.0, tolerance);
  EXPECT_NEAR(value(gridlume_mesh_get_triangle_inverse_aspect_ratio, 1), 1.0, tolerance);
  EXPECT_NEAR(value(gridlume_mesh_get_triangle_equiangle_skew, 1), 0.0, tolerance);
  EXPECT_NEAR(value(gridlume_mesh_get_triangle_area, 1), sqrt3 / 4, tolerance);
  expect_all_near(values<3>(gridlume_mesh_get_triangle_angles, 1).data(), {60, 60, 60}, 1e-12);
}

TEST_F(ElementMeasures, TriangleAnglesComeAtP1ThenP2ThenP0) {
  arrays_.triangles.add({1, 2, 3});
  add_points({{0, 0, 0}, {2, 0, 0}, {0, 1, 0}});
  const double at_p1 = std::atan(0.5) * 180 / M_PI;
  expect_all_near(values<3>(gridlume_mesh_get_triangle_angles, 1).data(), {at_p1, 90 - at_p1, 90},
                  1e-12);
  // Largest angle 90: skew (90 - 60) / 120 against (60 - 26.57) / 60.
  EXPECT_NEAR(value(gridlume_mesh_get_triangle_equiangle_skew, 1), (60 - at_p1) / 60, 1e-12);
}

TEST_F(ElementMeasures, FlatTriangleHasInfiniteAspectRatioAndCoincidentCornersReport90) {
  arrays_.triangles.add({1, 2, 3});  // collinear
  arrays_.triangles.add({1, 1, 2});  // p0 and p1 coincide
  add_points({{0, 0, 0}, {1, 0, 0}, {3, 0, 0}});
  EXPECT_EQ(value(gridlume_mesh_get_triangle_aspect_ratio, 1), infinity);
  EXPECT_EQ(value(gridlume_mesh_get_triangle_inverse_aspect_ratio, 1), 0.0);
  EXPECT_EQ(value(gridlume_mesh_get_triangle_area, 1), 0.0);
  expect_all_near(values<3>(gridlume_mesh_get_triangle_angles, 2).data(), {90, 0, 90}, 1e-12);
  EXPECT_EQ(value(gridlume_mesh_get_triangle_aspect_ratio, 2), infinity);
}

TEST_F(ElementMeasures, UnitSquareIsIdealAndALiftedCornerLosesPlanarity) {
  arrays_.quadrangles.add({1, 2, 3, 4});
  arrays_.quadrangles.add({1, 2, 3, 5});
  add_points({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 1, 0.5}});
  EXPECT_NEAR(value(gridlume_mesh_get_quadrangle_aspect_ratio, 1), 1.0, tolerance);
  EXPECT_NEAR(value(gridlume_mesh_get_quadrangle_inverse_aspect_ratio, 1), 1.0, tolerance);
  EXPECT_NEAR(value(gridlume_mesh_get_quadrangle_equiangle_skew, 1), 0.0, tolerance);
  EXPECT_NEAR(value(gridlume_mesh_get_quadrangle_planarity, 1), 1.0, tolerance);
  expect_all_near(values<4>(gridlume_mesh_get_quadrangle_angles, 1).data(), {90, 90, 90, 90},
                  1e-12);
  const double lifted = value(gridlume_mesh_get_quadrangle_planarity, 2);
  EXPECT_LT(lifted, 0.99);
  EXPECT_GT(lifted, 0.5);
}

TEST_F(ElementMeasures, QuadrangleAnglesComeAtP1ThenP2ThenP3ThenP0) {
  arrays_.quadrangles.add({1, 2, 3, 4});
  add_points({{0, 0, 0}, {2, 0, 0}, {1, 1, 0}, {0, 1, 0}});
  expect_all_near(values<4>(gridlume_mesh_get_quadrangle_angles, 1).data(), {45, 135, 90, 90},
                  1e-12);
  EXPECT_NEAR(value(gridlume_mesh_get_quadrangle_equiangle_skew, 1), 0.5, 1e-12);
}

TEST_F(ElementMeasures, QuadranglePlanarityOfFoldedAndDegenerateQuadrangles) {
  arrays_.quadrangles.add({1, 2, 3, 4});  // bow tie: folded flat onto itself
  arrays_.quadrangles.add({1, 1, 2, 4});  // two coincident corners
  add_points({{0, 0, 0}, {1, 1, 0}, {1, 0, 0}, {0, 1, 0}});
  EXPECT_NEAR(value(gridlume_mesh_get_quadrangle_planarity, 1), 0.0, tolerance);
  EXPECT_NEAR(value(gridlume_mesh_get_quadrangle_planarity, 2), 0.5, tolerance);
  EXPECT_EQ(value(gridlume_mesh_get_quadrangle_aspect_ratio, 2), infinity);
  EXPECT_EQ(value(gridlume_mesh_get_quadrangle_inverse_aspect_ratio, 2), 0.0);
}

// The regular tetrahedron with unit edges, positively oriented.
const std::initializer_list<std::array<double, 3>> regular_tetrahedron = {
    {0, 0, 0}, {1, 0, 0}, {0.5, sqrt3 / 2, 0}, {0.5, sqrt3 / 6, std::sqrt(2.0 / 3.0)}};

TEST_F(ElementMeasures, RegularTetrahedronIsIdealUpToTheDihedralDegreeFactor) {
  arrays_.tetrahedra.add({1, 2, 3, 4});
  add_points(regular_tetrahedron);
  EXPECT_NEAR(value(gridlume_mesh_get_tetrahedron_volume, 1), 1 / (6 * sqrt2), tolerance);
  EXPECT_NEAR(value(gridlume_mesh_get_tetrahedron_aspect_ratio, 1), 1.0, tolerance);
  EXPECT_NEAR(value(gridlume_mesh_get_tetrahedron_inverse_aspect_ratio, 1), 1.0, tolerance);
  EXPECT_NEAR(value(gridlume_mesh_get_tetrahedron_shape_factor, 1), 1.0, tolerance);
  EXPECT_NEAR(value(gridlume_mesh_get_tetrahedron_equiangle_skew, 1), 0.0, tolerance);
  // Dihedral angles are 180 minus the angle of the outer normals taken with
  // 180/3.141593 degrees per radian: they miss the regular angle 70.5287794
  // by about 1.2e-5 degrees.
  const auto angles = values<6>(gridlume_mesh_get_tetrahedron_angles, 1);
  for (double angle : angles) EXPECT_NEAR(angle, 70.5287915, 1e-6);
  const double skew = value(gridlume_mesh_get_tetrahedron_diedral_equiangle_skew, 1);
  EXPECT_GT(skew, 1e-8);
  EXPECT_LT(skew, 1e-6);
}

TEST_F(ElementMeasures, InvertedTetrahedronHasNegativeVolumeAndInfiniteAspectRatio) {
  arrays_.tetrahedra.add({2, 1, 3, 4});
  add_points(regular_tetrahedron);
  EXPECT_NEAR(value(gridlume_mesh_get_tetrahedron_volume, 1), -1 / (6 * sqrt2), tolerance);
  EXPECT_NEAR(value(gridlume_mesh_get_tetrahedron_shape_factor, 1), -1.0, tolerance);
  EXPECT_EQ(value(gridlume_mesh_get_tetrahedron_aspect_ratio, 1), infinity);
  EXPECT_EQ(value(gridlume_mesh_get_tetrahedron_inverse_aspect_ratio, 1), 0.0);
}

TEST_F(ElementMeasures, FlatAndCollapsedTetrahedra) {
  arrays_.tetrahedra.add({1, 2, 3, 4});  // four points in a plane
  arrays_.tetrahedra.add({1, 1, 1, 1});  // one point
  add_points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}});
  EXPECT_EQ(value(gridlume_mesh_get_tetrahedron_aspect_ratio, 1), infinity);
  EXPECT_EQ(value(gridlume_mesh_get_tetrahedron_inverse_aspect_ratio, 1), 0.0);
  EXPECT_EQ(value(gridlume_mesh_get_tetrahedron_shape_factor, 1), 0.0);
  EXPECT_EQ(value(gridlume_mesh_get_tetrahedron_shape_factor, 2), 0.0);
  EXPECT_EQ(value(gridlume_mesh_get_tetrahedron_aspect_ratio, 2), infinity);
}

TEST_F(ElementMeasures, CornerTetrahedronMeasuresAndDihedralAngleOrder) {
  // Right corner at p0 with legs 1, 2, 3 along x, y, z: dihedral angles along
  // the legs are right, the others follow the slanted face x + y/2 + z/3 = 1.
  arrays_.tetrahedra.add({1, 2, 3, 4});
  add_points({{0, 0, 0}, {1, 0, 0}, {0, 2, 0}, {0, 0, 3}});
  const double normal_length = std::sqrt(1 + 0.25 + 1.0 / 9);
  // 180 minus the angle between outer normals, with 180/3.141593 degrees
  // per radian.
  auto dihedral = [](double cosine) { return 180 - std::acos(-cosine) * (180 / 3.141593); };
  expect_all_near(values<6>(gridlume_mesh_get_tetrahedron_angles, 1).data(),
                  {dihedral(0), dihedral(1 / (3 * normal_length)), dihedral(0),
                   dihedral(0.5 / normal_length), dihedral(0), dihedral(1 / normal_length)},
                  1e-12);

  const double volume = 1.0, longest = std::sqrt(13.0);
  const double face_areas = 1.0 + 3.0 + 1.5 + normal_length * 3.0;  // slanted: |n| * 6 / 2
  EXPECT_NEAR(value(gridlume_mesh_get_tetrahedron_aspect_ratio, 1),
              std::sqrt(6.0) / 36 * longest * face_areas / volume, 1e-12);
  const double squared_edges = 1 + 4 + 9 + 5 + 10 + 13;
  EXPECT_NEAR(value(gridlume_mesh_get_tetrahedron_shape_factor, 1),
              72 * sqrt3 * volume / std::pow(squared_edges, 1.5), 1e-12);
}

// Unit cube, p(i+4) above pi.
const std::initializer_list<std::array<double, 3>> unit_cube = {
    {0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};

TEST_F(ElementMeasures, UnitCubeIsIdealAndACollapsedHexahedronHasShapeFactorZero) {
  arrays_.hexahedra.add({1, 2, 3, 4, 5, 6, 7, 8});
  arrays_.hexahedra.add({1, 1, 1, 1, 1, 1, 1, 1});
  add_points(unit_cube);
  EXPECT_NEAR(value(gridlume_mesh_get_hexahedron_aspect_ratio, 1), 1.0, tolerance);
  EXPECT_NEAR(value(gridlume_mesh_get_hexahedron_inverse_aspect_ratio, 1), 1.0, tolerance);
  EXPECT_NEAR(value(gridlume_mesh_get_hexahedron_shape_factor, 1), 1.0, tolerance);
  EXPECT_NEAR(value(gridlume_mesh_get_hexahedron_planarity, 1), 1.0, tolerance);
  EXPECT_NEAR(value(gridlume_mesh_get_hexahedron_equiangle_skew, 1), 0.0, tolerance);
  EXPECT_EQ(value(gridlume_mesh_get_hexahedron_shape_factor, 2), 0.0);
}

TEST_F(ElementMeasures, StretchedAndInvertedHexahedra) {
  arrays_.hexahedra.add({1, 2, 3, 4, 5, 6, 7, 8});
  arrays_.hexahedra.add({5, 6, 7, 8, 1, 2, 3, 4});  // upside down
  add_points(
      {{0, 0, 0}, {2, 0, 0}, {2, 1, 0}, {0, 1, 0}, {0, 0, 1}, {2, 0, 1}, {2, 1, 1}, {0, 1, 1}});
  // Squared edges 4 * 4 + 8 * 1; smallest split volume 2/6.
  EXPECT_NEAR(value(gridlume_mesh_get_hexahedron_aspect_ratio, 1),
              std::pow(24.0, 1.5) / (144 * sqrt3) * 3, 1e-12);
  EXPECT_NEAR(value(gridlume_mesh_get_hexahedron_shape_factor, 1),
              144 * sqrt3 / 3 / std::pow(24.0, 1.5), 1e-12);
  EXPECT_LT(value(gridlume_mesh_get_hexahedron_aspect_ratio, 2), 0.0);
  EXPECT_LT(value(gridlume_mesh_get_hexahedron_shape_factor, 2), 0.0);
}

TEST_F(ElementMeasures, RightPrismWithUnitEdgesIsIdeal) {
  arrays_.prisms.add({1, 2, 3, 4, 5, 6});
  add_points(
      {{0, 0, 0}, {1, 0, 0}, {0.5, sqrt3 / 2, 0}, {0, 0, 1}, {1, 0, 1}, {0.5, sqrt3 / 2, 1}});
  EXPECT_NEAR(value(gridlume_mesh_get_prism_shape_factor, 1), 1.0, tolerance);
  EXPECT_NEAR(value(gridlume_mesh_get_prism_planarity, 1), 1.0, tolerance);
  EXPECT_NEAR(value(gridlume_mesh_get_prism_equiangle_skew, 1), 0.0, tolerance);
}

TEST_F(ElementMeasures, PrismSkewAndPlanarityFollowItsWorstFace) {
  arrays_.prisms.add({1, 2, 3, 4, 5, 6});
  // Right isosceles ends (skew 1/4) and a top corner pushed along x: the
  // sides (0,3,4,1) and (1,4,5,2) shear, and (1,4,5,2) twists.
  add_points({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {2, 0, 1}, {0, 1, 1}});
  // Side (0,3,4,1) has a 45 degree corner (skew 1/2), but the top triangle
  // is worse: a corner of atan(1/2).
  EXPECT_NEAR(value(gridlume_mesh_get_prism_equiangle_skew, 1),
              (60 - std::atan(0.5) * 180 / M_PI) / 60, 1e-12);
  EXPECT_LT(value(gridlume_mesh_get_prism_planarity, 1), 1.0);
}

TEST_F(ElementMeasures, PyramidWithUnitEdges) {
  arrays_.pyramids.add({1, 2, 3, 4, 5});
  arrays_.pyramids.add({1, 2, 3, 6, 5});  // a corner of the base lifted
  add_points({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0.5, 0.5, 1 / sqrt2}, {0, 1, 0.3}});
  EXPECT_NEAR(value(gridlume_mesh_get_pyramid_equiangle_skew, 1), 0.0, tolerance);
  EXPECT_NEAR(value(gridlume_mesh_get_pyramid_planarity, 1), 1.0, tolerance);
  // Smallest split volume (1/2 * 1/sqrt2) / 3 over 8^1.5.
  EXPECT_NEAR(value(gridlume_mesh_get_pyramid_shape_factor, 1),
              187.35294757360376 / (6 * sqrt2) / std::pow(8.0, 1.5), 1e-12);
  EXPECT_LT(value(gridlume_mesh_get_pyramid_planarity, 2), 1.0);
}

TEST_F(ElementMeasures, EdgeLengthTakesTwoVertexIndicesAndChecksNothing) {
  add_points({{1, 1, 1}, {4, 5, 1}});
  const int pair[2] = {1, 2}, same[2] = {2, 2};
  double length = -1;
  EXPECT_EQ(gridlume_mesh_get_edge_length(mesh(), pair, &length), 0);
  EXPECT_DOUBLE_EQ(length, 5.0);
  EXPECT_EQ(gridlume_mesh_get_edge_length(mesh(), same, &length), 0);
  EXPECT_EQ(length, 0.0);
  EXPECT_EQ(gridlume_mesh_get_edge_length(nullptr, pair, &length), 0);
  EXPECT_EQ(length, 0.0);  // no mesh: both vertices read as the origin
  EXPECT_EQ(gridlume_mesh_get_edge_length(mesh(), nullptr, &length), 0);
  EXPECT_EQ(gridlume_mesh_get_edge_length(mesh(), pair, nullptr), 0);
}

TEST_F(ElementMeasures, FailingAccessorsAreNotExamined) {
  // Element 2 does not exist: its vertex query fails and the vertices read as
  // 0, whose coordinate query fails too; the measure is taken on zeros.
  arrays_.tetrahedra.add({1, 2, 3, 4});
  add_points(regular_tetrahedron);
  EXPECT_EQ(value(gridlume_mesh_get_tetrahedron_volume, 2), 0.0);
  EXPECT_EQ(value(gridlume_mesh_get_tetrahedron_shape_factor, 2), 0.0);
  // A mesh with only the default callbacks describes zeros.
  gridlume_mesh *empty = gridlume_mesh_new(context_);
  double result = -1;
  EXPECT_EQ(gridlume_mesh_get_tetrahedron_volume(empty, 1, &result), 0);
  EXPECT_EQ(result, 0.0);
}

// ---- Argument checks of the whole query table ---------------------------

struct QueryEntry {
  const char *name;
  int (*query)(gridlume_mesh *, int, double *);
  int value_count;
  bool null_result_is_error;
};
constexpr bool checked_CHECKED = true, checked_UNCHECKED = false;
const QueryEntry query_table[] = {
#define GRIDLUME_TEST_ENTRY(kind, measure, value_count, result_check) \
  {#kind "_" #measure, gridlume_mesh_get_##kind##_##measure, value_count, checked_##result_check},
    GRIDLUME_MESH_QUALITY_QUERIES(GRIDLUME_TEST_ENTRY)
#undef GRIDLUME_TEST_ENTRY
};

TEST_F(ElementMeasures, EveryQueryChecksItsArgumentsAndWritesNothingOnFailure) {
  EXPECT_EQ(std::size(query_table), 28u);
  arrays_.triangles.add({1, 2, 3});
  arrays_.quadrangles.add({1, 2, 3, 4});
  arrays_.tetrahedra.add({1, 2, 3, 5});
  arrays_.pyramids.add({1, 2, 3, 4, 5});
  arrays_.prisms.add({1, 2, 3, 5, 6, 7});
  arrays_.hexahedra.add({1, 2, 3, 4, 5, 6, 7, 8});
  add_points(unit_cube);
  for (const QueryEntry &entry : query_table) {
    SCOPED_TRACE(entry.name);
    double results[8] = {-7, -7, -7, -7, -7, -7, -7, -7};
    EXPECT_EQ(entry.query(nullptr, 1, results), -1);
    for (double r : results) EXPECT_EQ(r, -7);
    EXPECT_EQ(entry.query(mesh(), 1, nullptr), entry.null_result_is_error ? -1 : 0);
    EXPECT_EQ(entry.query(mesh(), 1, results), 0);
    for (int k = 0; k < 8; ++k) {
      if (k < entry.value_count)
        EXPECT_NE(results[k], -7) << k;
      else
        EXPECT_EQ(results[k], -7) << k;
    }
  }
}

TEST_F(ElementMeasures, QueriesAllocateNothing) {
  arrays_.hexahedra.add({1, 2, 3, 4, 5, 6, 7, 8});
  arrays_.tetrahedra.add({1, 2, 3, 5});
  add_points(unit_cube);
  gridlume_mesh *m = mesh();
  const long failures = for_each_allocation_failure([&](AllocationFailure &failure) {
    double results[6];
    failure.arm();
    for (const QueryEntry &entry : query_table) entry.query(m, 1, results);
    failure.disarm();
  });
  EXPECT_EQ(failures, 0);
}

}  // namespace
