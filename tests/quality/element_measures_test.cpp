// The element quality queries read through a callback mesh: measures of exact
// elements, degenerate and inverted elements, the order of multi-valued
// results, and the argument checks of every query.
#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "array_mesh.hpp"
#include "support/test_helpers.hpp"

using namespace gridlume_test;
using Points = std::vector<std::array<double, 3>>;
using Query = int (*)(gridlume_mesh *, int, double *);

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double tolerance = 1e-12;
const double sqrt2 = std::sqrt(2.0), sqrt3 = std::sqrt(3.0);
const double right_triangle_p1 = std::atan(0.5) * 180 / M_PI;

// The regular tetrahedron with unit edges, positively oriented.
const Points regular_tetrahedron = {
    {0, 0, 0}, {1, 0, 0}, {0.5, sqrt3 / 2, 0}, {0.5, sqrt3 / 6, std::sqrt(2.0 / 3.0)}};
// Unit cube, p(i+4) above pi.
const Points unit_cube = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                          {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};

// The elements of every row below, each numbered within its kind in the order
// added; vertex numbers are local to the points given with them.
struct ElementMeasures : ::testing::Test {
  void add(ElementArray &kind, const Points &points,
           std::initializer_list<std::vector<int>> elements) {
    const int offset = static_cast<int>(arrays.points.size());
    for (const auto &p : points) arrays.add_point(p[0], p[1], p[2]);
    for (const auto &element : elements)
      for (int v : element) kind.vertices.push_back(v + offset);
  }
  ElementMeasures() {
    auto &a = arrays;
    add(a.triangles, {{0, 0, 0}, {1, 0, 0}, {0.5, sqrt3 / 2, 0}}, {{1, 2, 3}});  // 1 equilateral
    add(a.triangles, {{0, 0, 0}, {2, 0, 0}, {0, 1, 0}}, {{1, 2, 3}});            // 2 right at p2
    // 3 collinear, 4 with p0 on p1
    add(a.triangles, {{0, 0, 0}, {1, 0, 0}, {3, 0, 0}}, {{1, 2, 3}, {1, 1, 2}});
    // 1 unit square, 2 with a lifted corner
    add(a.quadrangles, {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 1, 0.5}},
        {{1, 2, 3, 4}, {1, 2, 3, 5}});
    add(a.quadrangles, {{0, 0, 0}, {2, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{1, 2, 3, 4}});  // 3 kite
    // 4 bow tie folded flat onto itself, 5 with two coincident corners
    add(a.quadrangles, {{0, 0, 0}, {1, 1, 0}, {1, 0, 0}, {0, 1, 0}},
        {{1, 2, 3, 4}, {1, 1, 2, 4}});
    add(a.tetrahedra, regular_tetrahedron, {{1, 2, 3, 4}, {2, 1, 3, 4}});  // 1 regular, 2 inverted
    // 3 four points in a plane, 4 one point
    add(a.tetrahedra, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}, {{1, 2, 3, 4}, {1, 1, 1, 1}});
    // 5 right corner at p0 with legs 1, 2, 3 along x, y, z
    add(a.tetrahedra, {{0, 0, 0}, {1, 0, 0}, {0, 2, 0}, {0, 0, 3}}, {{1, 2, 3, 4}});
    add(a.hexahedra, unit_cube, {{1, 2, 3, 4, 5, 6, 7, 8}, {1, 1, 1, 1, 1, 1, 1, 1}});
    // 3 stretched twice along x, 4 the same upside down
    add(a.hexahedra,
        {{0, 0, 0}, {2, 0, 0}, {2, 1, 0}, {0, 1, 0}, {0, 0, 1}, {2, 0, 1}, {2, 1, 1}, {0, 1, 1}},
        {{1, 2, 3, 4, 5, 6, 7, 8}, {5, 6, 7, 8, 1, 2, 3, 4}});
    add(a.prisms,  // 1 right prism with unit edges
        {{0, 0, 0}, {1, 0, 0}, {0.5, sqrt3 / 2, 0}, {0, 0, 1}, {1, 0, 1}, {0.5, sqrt3 / 2, 1}},
        {{1, 2, 3, 4, 5, 6}});
    // 2 right isosceles ends and a top corner pushed along x: the sides
    // (0,3,4,1) and (1,4,5,2) shear, and (1,4,5,2) twists.
    add(a.prisms, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {2, 0, 1}, {0, 1, 1}},
        {{1, 2, 3, 4, 5, 6}});
    // 1 with unit edges, 2 with a corner of the base lifted
    add(a.pyramids,
        {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0.5, 0.5, 1 / sqrt2}, {0, 1, 0.3}},
        {{1, 2, 3, 4, 5}, {1, 2, 3, 6, 5}});
    mesh = arrays.make_mesh(context);
  }
  ArrayMesh arrays;
  Context context;
  gridlume_mesh *mesh = nullptr;
};

// A measure of one element: its values, exactly or within `accuracy`.
struct Measure {
  const char *behaviour;
  Query query;
  int element;
  std::vector<double> expected;
  double accuracy = tolerance;
};

// 180 minus the angle between outer normals, with 180/3.141593 degrees per
// radian.
double dihedral(double cosine) { return 180 - std::acos(-cosine) * (180 / 3.141593); }
// The slanted face x + y/2 + z/3 = 1 of the corner tetrahedron.
const double corner_normal = std::sqrt(1 + 0.25 + 1.0 / 9);

const Measure measures[] = {
    {"equilateral triangle is ideal", gridlume_mesh_get_triangle_aspect_ratio, 1, {1}},
    {"equilateral triangle is ideal", gridlume_mesh_get_triangle_inverse_aspect_ratio, 1, {1}},
    {"equilateral triangle is ideal", gridlume_mesh_get_triangle_equiangle_skew, 1, {0}},
    {"equilateral triangle area", gridlume_mesh_get_triangle_area, 1, {sqrt3 / 4}},
    {"equilateral triangle angles", gridlume_mesh_get_triangle_angles, 1, {60, 60, 60}},
    {"triangle angles come at p1, then p2, then p0", gridlume_mesh_get_triangle_angles, 2,
     {right_triangle_p1, 90 - right_triangle_p1, 90}},
    // Largest angle 90: skew (90 - 60) / 120 against (60 - 26.57) / 60.
    {"triangle skew takes the worse of both angles", gridlume_mesh_get_triangle_equiangle_skew, 2,
     {(60 - right_triangle_p1) / 60}},
    {"flat triangle", gridlume_mesh_get_triangle_aspect_ratio, 3, {infinity}, 0},
    {"flat triangle", gridlume_mesh_get_triangle_inverse_aspect_ratio, 3, {0}, 0},
    {"flat triangle", gridlume_mesh_get_triangle_area, 3, {0}, 0},
    {"coincident corners report 90", gridlume_mesh_get_triangle_angles, 4, {90, 0, 90}},
    {"coincident corners", gridlume_mesh_get_triangle_aspect_ratio, 4, {infinity}, 0},
    {"unit square is ideal", gridlume_mesh_get_quadrangle_aspect_ratio, 1, {1}},
    {"unit square is ideal", gridlume_mesh_get_quadrangle_inverse_aspect_ratio, 1, {1}},
    {"unit square is ideal", gridlume_mesh_get_quadrangle_equiangle_skew, 1, {0}},
    {"unit square is ideal", gridlume_mesh_get_quadrangle_planarity, 1, {1}},
    {"unit square angles", gridlume_mesh_get_quadrangle_angles, 1, {90, 90, 90, 90}},
    {"quadrangle angles come at p1, p2, p3, then p0", gridlume_mesh_get_quadrangle_angles, 3,
     {45, 135, 90, 90}},
    {"quadrangle skew", gridlume_mesh_get_quadrangle_equiangle_skew, 3, {0.5}},
    {"bow tie planarity", gridlume_mesh_get_quadrangle_planarity, 4, {0}},
    {"coincident corners planarity", gridlume_mesh_get_quadrangle_planarity, 5, {0.5}},
    {"coincident corners", gridlume_mesh_get_quadrangle_aspect_ratio, 5, {infinity}, 0},
    {"coincident corners", gridlume_mesh_get_quadrangle_inverse_aspect_ratio, 5, {0}, 0},
    {"regular tetrahedron volume", gridlume_mesh_get_tetrahedron_volume, 1, {1 / (6 * sqrt2)}},
    {"regular tetrahedron is ideal", gridlume_mesh_get_tetrahedron_aspect_ratio, 1, {1}},
    {"regular tetrahedron is ideal", gridlume_mesh_get_tetrahedron_inverse_aspect_ratio, 1, {1}},
    {"regular tetrahedron is ideal", gridlume_mesh_get_tetrahedron_shape_factor, 1, {1}},
    {"regular tetrahedron is ideal", gridlume_mesh_get_tetrahedron_equiangle_skew, 1, {0}},
    // The degree factor 180/3.141593 misses the regular angle 70.5287794 by
    // about 1.2e-5 degrees.
    {"regular dihedral angles up to the degree factor", gridlume_mesh_get_tetrahedron_angles, 1,
     std::vector<double>(6, 70.5287915), 1e-6},
    {"inverted tetrahedron", gridlume_mesh_get_tetrahedron_volume, 2, {-1 / (6 * sqrt2)}},
    {"inverted tetrahedron", gridlume_mesh_get_tetrahedron_shape_factor, 2, {-1}},
    {"inverted tetrahedron", gridlume_mesh_get_tetrahedron_aspect_ratio, 2, {infinity}, 0},
    {"inverted tetrahedron", gridlume_mesh_get_tetrahedron_inverse_aspect_ratio, 2, {0}, 0},
    {"flat tetrahedron", gridlume_mesh_get_tetrahedron_aspect_ratio, 3, {infinity}, 0},
    {"flat tetrahedron", gridlume_mesh_get_tetrahedron_inverse_aspect_ratio, 3, {0}, 0},
    {"flat tetrahedron", gridlume_mesh_get_tetrahedron_shape_factor, 3, {0}, 0},
    {"collapsed tetrahedron", gridlume_mesh_get_tetrahedron_shape_factor, 4, {0}, 0},
    {"collapsed tetrahedron", gridlume_mesh_get_tetrahedron_aspect_ratio, 4, {infinity}, 0},
    // Right along the legs, the others follow the slanted face.
    {"dihedral angles along (0,1), (1,2), (0,2), (1,3), (0,3), (2,3)",
     gridlume_mesh_get_tetrahedron_angles, 5,
     {dihedral(0), dihedral(1 / (3 * corner_normal)), dihedral(0), dihedral(0.5 / corner_normal),
      dihedral(0), dihedral(1 / corner_normal)}},
    // Volume 1, longest edge sqrt 13, the slanted face of area |n| * 6 / 2.
    {"corner tetrahedron aspect ratio", gridlume_mesh_get_tetrahedron_aspect_ratio, 5,
     {std::sqrt(6.0) / 36 * std::sqrt(13.0) * (1.0 + 3.0 + 1.5 + corner_normal * 3.0)}},
    {"corner tetrahedron shape factor", gridlume_mesh_get_tetrahedron_shape_factor, 5,
     {72 * sqrt3 / std::pow(1 + 4 + 9 + 5 + 10 + 13, 1.5)}},
    {"unit cube is ideal", gridlume_mesh_get_hexahedron_aspect_ratio, 1, {1}},
    {"unit cube is ideal", gridlume_mesh_get_hexahedron_inverse_aspect_ratio, 1, {1}},
    {"unit cube is ideal", gridlume_mesh_get_hexahedron_shape_factor, 1, {1}},
    {"unit cube is ideal", gridlume_mesh_get_hexahedron_planarity, 1, {1}},
    {"unit cube is ideal", gridlume_mesh_get_hexahedron_equiangle_skew, 1, {0}},
    {"collapsed hexahedron", gridlume_mesh_get_hexahedron_shape_factor, 2, {0}, 0},
    // Squared edges 4 * 4 + 8 * 1; smallest split volume 2/6.
    {"stretched hexahedron", gridlume_mesh_get_hexahedron_aspect_ratio, 3,
     {std::pow(24.0, 1.5) / (144 * sqrt3) * 3}},
    {"stretched hexahedron", gridlume_mesh_get_hexahedron_shape_factor, 3,
     {144 * sqrt3 / 3 / std::pow(24.0, 1.5)}},
    {"right prism with unit edges is ideal", gridlume_mesh_get_prism_shape_factor, 1, {1}},
    {"right prism with unit edges is ideal", gridlume_mesh_get_prism_planarity, 1, {1}},
    {"right prism with unit edges is ideal", gridlume_mesh_get_prism_equiangle_skew, 1, {0}},
    // Side (0,3,4,1) has a 45 degree corner (skew 1/2), but the top triangle
    // is worse: a corner of atan(1/2).
    {"prism skew follows its worst face", gridlume_mesh_get_prism_equiangle_skew, 2,
     {(60 - right_triangle_p1) / 60}},
    {"pyramid with unit edges", gridlume_mesh_get_pyramid_equiangle_skew, 1, {0}},
    {"pyramid with unit edges", gridlume_mesh_get_pyramid_planarity, 1, {1}},
    // Smallest split volume (1/2 * 1/sqrt2) / 3 over 8^1.5.
    {"pyramid with unit edges", gridlume_mesh_get_pyramid_shape_factor, 1,
     {187.35294757360376 / (6 * sqrt2) / std::pow(8.0, 1.5)}},
};

// A measure known only to lie strictly between two values.
struct Bounded {
  const char *behaviour;
  Query query;
  int element;
  double above, below;
};
const Bounded bounded_measures[] = {
    {"a lifted corner loses planarity", gridlume_mesh_get_quadrangle_planarity, 2, 0.5, 0.99},
    {"regular dihedral skew up to the degree factor",
     gridlume_mesh_get_tetrahedron_diedral_equiangle_skew, 1, 1e-8, 1e-6},
    {"upside-down hexahedron", gridlume_mesh_get_hexahedron_aspect_ratio, 4, -infinity, 0},
    {"upside-down hexahedron", gridlume_mesh_get_hexahedron_shape_factor, 4, -infinity, 0},
    {"a twisted prism side", gridlume_mesh_get_prism_planarity, 2, -infinity, 1},
    {"a lifted pyramid base corner", gridlume_mesh_get_pyramid_planarity, 2, -infinity, 1},
};

}  // namespace

TEST_F(ElementMeasures, MeasuresOfExactDegenerateAndInvertedElements) {
  for (const Measure &measure : measures) {
    SCOPED_TRACE(std::string(measure.behaviour) + ", element " + std::to_string(measure.element));
    double results[6];
    std::fill(results, results + 6, std::nan(""));
    ASSERT_EQ(measure.query(mesh, measure.element, results), 0);
    for (std::size_t k = 0; k < measure.expected.size(); ++k) {
      if (measure.accuracy == 0) {
        EXPECT_EQ(results[k], measure.expected[k]) << "value " << k;
      } else {
        EXPECT_NEAR(results[k], measure.expected[k], measure.accuracy) << "value " << k;
      }
    }
  }
  for (const Bounded &measure : bounded_measures) {
    SCOPED_TRACE(measure.behaviour);
    const double result = value_of(measure.query, mesh, measure.element);
    EXPECT_GT(result, measure.above);
    EXPECT_LT(result, measure.below);
  }
}

TEST(ElementQueries, EdgeLengthTakesTwoVertexIndicesAndChecksNothing) {
  ArrayMesh arrays;
  arrays.add_point(1, 1, 1);
  arrays.add_point(4, 5, 1);
  Context context;
  gridlume_mesh *mesh = arrays.make_mesh(context);
  const int pair[2] = {1, 2}, same[2] = {2, 2};
  EXPECT_DOUBLE_EQ(value_of(gridlume_mesh_get_edge_length, mesh, pair), 5.0);
  EXPECT_EQ(value_of(gridlume_mesh_get_edge_length, mesh, same), 0.0);
  // No mesh: both vertices read as the origin.
  EXPECT_EQ(value_of(gridlume_mesh_get_edge_length, static_cast<gridlume_mesh *>(nullptr), pair),
            0.0);
  double length = -1;
  EXPECT_EQ(gridlume_mesh_get_edge_length(mesh, nullptr, &length), 0);
  EXPECT_EQ(gridlume_mesh_get_edge_length(mesh, pair, nullptr), 0);
}

TEST_F(ElementMeasures, FailingAccessorsAreNotExamined) {
  // Tetrahedron 6 does not exist: its vertex query fails and the vertices
  // read as 0, whose coordinate query fails too; the measure is taken on zeros.
  EXPECT_EQ(value_of(gridlume_mesh_get_tetrahedron_volume, mesh, 6), 0.0);
  EXPECT_EQ(value_of(gridlume_mesh_get_tetrahedron_shape_factor, mesh, 6), 0.0);
  // A mesh with only the default callbacks describes zeros.
  EXPECT_EQ(value_of(gridlume_mesh_get_tetrahedron_volume, gridlume_mesh_new(context), 1), 0.0);
}

namespace {

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

}  // namespace

TEST_F(ElementMeasures, EveryQueryChecksItsArgumentsAndWritesNothingOnFailure) {
  EXPECT_EQ(std::size(query_table), 28u);
  for (const QueryEntry &entry : query_table) {
    SCOPED_TRACE(entry.name);
    double results[8] = {-7, -7, -7, -7, -7, -7, -7, -7};
    EXPECT_EQ(entry.query(nullptr, 1, results), -1);
    for (double r : results) EXPECT_EQ(r, -7);
    EXPECT_EQ(entry.query(mesh, 1, nullptr), entry.null_result_is_error ? -1 : 0);
    EXPECT_EQ(entry.query(mesh, 1, results), 0);
    for (int k = 0; k < 8; ++k) {
      if (k < entry.value_count)
        EXPECT_NE(results[k], -7) << k;
      else
        EXPECT_EQ(results[k], -7) << k;
    }
  }
}

TEST_F(ElementMeasures, QueriesAllocateNothing) {
  const long failures = for_each_allocation_failure([&](AllocationFailure &failure) {
    double results[6];
    failure.arm();
    for (const QueryEntry &entry : query_table) entry.query(mesh, 1, results);
    failure.disarm();
  });
  EXPECT_EQ(failures, 0);
}

