// Periodicity of a cad and of a mesh: id periodicity stored both ways and
// enumerated in a stable order, multiple periodicity with the caller's
// transformation or one computed from corresponding points, the generic
// buffer size, and the failing allocator on every declaration.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "cad/cad.hpp"
#include "cad/cad_fixtures.hpp"
#include "cad/point_pair_transformation.hpp"
#include "gridlume/cad_periodicity.h"
#include "support/message_capture.hpp"

using namespace gridlume_test;

namespace {

struct Periodicity : ::testing::Test {
  Context context;
  gridlume_cad *cad = gridlume_cad_new(context);
};

using Points = std::vector<double>;

// Applies a computed transformation to a point.
std::array<double, 3> apply(const gridlume::ComputedTransformation &transformation,
                            const double *xyz) {
  std::array<double, 3> out{};
  gridlume::apply_computed_transformation(
      xyz, out.data(), const_cast<gridlume::ComputedTransformation *>(&transformation));
  return out;
}

// Rotation by a quarter turn about the unit axis k, then a translation.
Points rotated_quarter_turn(const Points &points, const std::array<double, 3> &k,
                            const std::array<double, 3> &shift) {
  Points out;
  for (std::size_t p = 0; p < points.size(); p += 3) {
    const double *v = &points[p];
    double kv = k[0] * v[0] + k[1] * v[1] + k[2] * v[2];
    // Rodrigues with cos = 0, sin = 1: k x v + k (k . v).
    double c[3] = {k[1] * v[2] - k[2] * v[1], k[2] * v[0] - k[0] * v[2], k[0] * v[1] - k[1] * v[0]};
    for (int i = 0; i < 3; ++i) out.push_back(c[i] + k[i] * kv + shift[i]);
  }
  return out;
}

int compute(const Points &source, const Points &target, gridlume::ComputedTransformation &t) {
  return gridlume::transformation_from_point_pairs(source.data(), int(source.size() / 3),
                                                   target.data(), int(target.size() / 3), t);
}

void expect_reproduces_pairs(const Points &source, const Points &target) {
  gridlume::ComputedTransformation transformation;
  ASSERT_EQ(compute(source, target, transformation), 0);
  double scale = 1;
  for (double value : target) scale = std::max(scale, std::fabs(value));
  for (std::size_t p = 0; p < source.size(); p += 3) {
    std::array<double, 3> image = apply(transformation, &source[p]);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(image[i], target[p + i], 1e-12 * scale);
  }
}

}  // namespace

TEST_F(Periodicity, FacePeriodicityIsStoredBothWaysAndNotWithItselfOrZero) {
  EXPECT_EQ(gridlume_cad_add_face_periodicity(cad, 3, 3), 0);
  EXPECT_EQ(gridlume_cad_add_face_periodicity(cad, 0, 5), 0);
  EXPECT_EQ(value_of(gridlume_cad_get_face_id_periodicity_count, cad, 3), 0);
  EXPECT_EQ(value_of(gridlume_cad_get_face_id_periodicity_count, cad, 5), 0);
  EXPECT_EQ(gridlume_cad_add_face_periodicity(cad, 1, 2), 0);
  EXPECT_EQ(gridlume_cad_add_face_periodicity(cad, 2, 1), 0);  // the same declaration
  EXPECT_EQ(gridlume_cad_add_face_periodicity(cad, 1, 9), 0);
  EXPECT_EQ(value_of(gridlume_cad_get_face_id_periodicity_count, cad, 1), 2);
  EXPECT_EQ(value_of(gridlume_cad_get_face_id_periodicity_count, cad, 2), 1);
  EXPECT_EQ(value_of(gridlume_cad_get_face_id_periodicity, cad, 2, 1), 1);
  int first = value_of(gridlume_cad_get_face_id_periodicity, cad, 1, 1);
  int second = value_of(gridlume_cad_get_face_id_periodicity, cad, 1, 2);
  EXPECT_EQ(std::min(first, second), 2);
  EXPECT_EQ(std::max(first, second), 9);
  int other = 77;
  EXPECT_EQ(gridlume_cad_get_face_id_periodicity(cad, 1, 3, &other), -1);
  EXPECT_EQ(other, 0);
  other = 77;
  EXPECT_EQ(gridlume_cad_get_face_id_periodicity(cad, 42, 1, &other), -1);
  EXPECT_EQ(other, 0);
  EXPECT_EQ(gridlume_cad_add_face_periodicity(nullptr, 1, 2), -1);
  EXPECT_EQ(gridlume_cad_get_face_id_periodicity_count(cad, 1, nullptr), -1);
}

TEST_F(Periodicity, EdgeAndPointTuplesCountFacesOnlyAsAPairEachInItsOwnDirection) {
  EXPECT_EQ(gridlume_cad_add_edge_periodicity(cad, 1, 7, 1, 7, 1), 0);
  EXPECT_EQ(value_of(gridlume_cad_get_edge_id_periodicity_count, cad, 7), 0);
  EXPECT_EQ(gridlume_cad_add_edge_periodicity(cad, 1, 0, 2, 8, 1), 0);
  EXPECT_EQ(value_of(gridlume_cad_get_edge_id_periodicity_count, cad, 8), 0);
  EXPECT_EQ(gridlume_cad_add_edge_periodicity(cad, 1, 7, 2, 7, -1), 0);
  EXPECT_EQ(value_of(gridlume_cad_get_edge_id_periodicity_count, cad, 7), 2);
  EXPECT_EQ(gridlume_cad_add_edge_periodicity(cad, 4, 3, 0, 5, 1), 0);
  int own = -9, other_face = -9, other_edge = -9, orientation = -9;
  EXPECT_EQ(
      gridlume_cad_get_edge_id_periodicity(cad, 3, 1, &own, &other_face, &other_edge, &orientation),
      0);
  EXPECT_EQ(own, 0);
  EXPECT_EQ(other_face, 0);
  EXPECT_EQ(other_edge, 5);
  EXPECT_EQ(orientation, 1);
  EXPECT_EQ(
      gridlume_cad_get_edge_id_periodicity(cad, 5, 1, &own, &other_face, &other_edge, &orientation),
      0);
  EXPECT_EQ(other_edge, 3);
  EXPECT_EQ(
      gridlume_cad_get_edge_id_periodicity(cad, 5, 2, &own, &other_face, &other_edge, &orientation),
      -1);
  EXPECT_EQ(other_edge, 0);
  EXPECT_EQ(orientation, 0);
  // Point tuples too carry both faces, each in its own direction.
  EXPECT_EQ(gridlume_cad_add_point_periodicity(cad, 1, 10, 2, 20), 0);
  EXPECT_EQ(gridlume_cad_add_point_periodicity(cad, 1, 10, 2, 20), 0);
  EXPECT_EQ(value_of(gridlume_cad_get_point_id_periodicity_count, cad, 10), 1);
  int other_point = 0;
  EXPECT_EQ(gridlume_cad_get_point_id_periodicity(cad, 20, 1, &own, &other_face, &other_point), 0);
  EXPECT_EQ(own, 2);
  EXPECT_EQ(other_face, 1);
  EXPECT_EQ(other_point, 10);
}

TEST_F(Periodicity, EnumerationOrderIsStableAndCoversEveryTuple) {
  std::vector<int> declared;
  for (int k = 1; k <= 40; ++k) {
    ASSERT_EQ(gridlume_cad_add_edge_periodicity(cad, k, 1, k + 1, 100 + k, k % 2), 0);
    declared.push_back(100 + k);
  }
  int count = value_of(gridlume_cad_get_edge_id_periodicity_count, cad, 1);
  ASSERT_EQ(count, 40);
  std::vector<int> first_walk, second_walk;
  for (auto *walk : {&first_walk, &second_walk})
    for (int i = 1; i <= count; ++i) {
      int own, other_face, other_edge, orientation;
      ASSERT_EQ(gridlume_cad_get_edge_id_periodicity(cad, 1, i, &own, &other_face, &other_edge,
                                                     &orientation),
                0);
      EXPECT_EQ(other_face, own + 1);
      EXPECT_EQ(other_edge, 100 + own);
      walk->push_back(other_edge);
    }
  EXPECT_EQ(first_walk, second_walk);
  std::sort(first_walk.begin(), first_walk.end());
  EXPECT_EQ(first_walk, declared);
}

TEST_F(Periodicity, MultipleEntriesKeepCopiesAndRaiseTheGenericBufferSize) {
  std::vector<int> twenty(20), five = {1, 2, 3, 4, 5};
  for (int k = 0; k < 20; ++k) twenty[k] = 100 + k;
  int marker = 0;
  auto function = [](const double *in, double *out, void *) {
    for (int k = 0; k < 3; ++k) out[k] = in[k];
    return 0;
  };
  EXPECT_EQ(gridlume_cad_add_face_multiple_periodicity_with_transformation_function(
                cad, std::vector<int>{1, 2, 3}.data(), 3, std::vector<int>{4, 5, 6, 7}.data(), 4,
                function, &marker),
            0);
  EXPECT_EQ(cad->generic_buffer_size, 35);
  EXPECT_EQ(gridlume_cad_add_face_multiple_periodicity_with_transformation_function(
                cad, twenty.data(), 20, five.data(), 5, function, &marker),
            0);
  EXPECT_EQ(cad->generic_buffer_size, 80);
  twenty[0] = -1;  // the entry kept its own copy
  EXPECT_EQ(value_of(gridlume_cad_get_face_multiple_periodicity_count, cad), 2);
  EXPECT_EQ(value_of(gridlume_cad_get_edge_multiple_periodicity_count, cad), 0);
  int *ids1 = static_cast<int *>(gridlume_cad_calloc_generic_buffer(cad));
  int *ids2 = static_cast<int *>(gridlume_cad_calloc_generic_buffer(cad));
  int size1 = 0, size2 = 0;
  gridlume_transformation_function answer = nullptr;
  void *data = nullptr;
  EXPECT_EQ(gridlume_cad_get_face_multiple_periodicity(cad, 2, &ids1, &size1, &ids2, &size2,
                                                       &answer, &data),
            0);
  EXPECT_EQ(size1, 20);
  EXPECT_EQ(size2, 5);
  EXPECT_EQ(ids1[0], 100);
  EXPECT_EQ(ids1[19], 119);
  EXPECT_EQ(ids2[4], 5);
  EXPECT_EQ(data, &marker);
  EXPECT_NE(answer, nullptr);
  EXPECT_EQ(gridlume_cad_get_face_multiple_periodicity(cad, 3, &ids1, &size1, &ids2, &size2,
                                                       &answer, &data),
            -1);
  EXPECT_EQ(gridlume_cad_get_edge_multiple_periodicity(cad, 1, &ids1, &size1, &ids2, &size2,
                                                       &answer, &data),
            -1);
  int *no_list = nullptr;
  EXPECT_EQ(gridlume_cad_get_face_multiple_periodicity(cad, 1, &no_list, &size1, &ids2, &size2,
                                                       &answer, &data),
            -1);
  gridlume_cad_free_generic_buffer(ids1);
  gridlume_cad_free_generic_buffer(ids2);
  EXPECT_EQ(gridlume_cad_add_edge_multiple_periodicity_with_transformation_function(
                cad, nullptr, 0, five.data(), 5, function, nullptr),
            -1);
  EXPECT_EQ(gridlume_cad_add_edge_multiple_periodicity_with_transformation_function(
                nullptr, five.data(), 5, five.data(), 5, function, nullptr),
            -1);
}

TEST_F(Periodicity, EntryArrayGrowsBySevenPastItsTen) {
  int ids[1] = {1};
  for (int k = 0; k < 11; ++k)
    ASSERT_EQ(gridlume_cad_add_edge_multiple_periodicity_with_transformation_function(
                  cad, ids, 1, ids, 1, nullptr, nullptr),
              0);
  EXPECT_EQ(cad->edge_multiple_periodicity.capacity(), 17);
  EXPECT_EQ(cad->face_multiple_periodicity.capacity(), 10);
}

TEST_F(Periodicity, ByPointsEntriesOwnTheirTransformationAndKeepRejectedEntries) {
  MessageCapture messages;
  messages.install(context);
  int ids[2] = {1, 2};
  const double source[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
  const double turned[9] = {5, 0, 0, 5, 1, 0, 4, 0, 0};  // a quarter turn about z, moved by 5
  EXPECT_EQ(gridlume_cad_add_face_multiple_periodicity_with_transformation_function_by_points(
                cad, ids, 2, ids, 2, source, 3, turned, 3),
            0);
  const double stretched[9] = {0, 0, 0, 1.1, 0, 0, 0, 1.1, 0};
  EXPECT_EQ(gridlume_cad_add_face_multiple_periodicity_with_transformation_function_by_points(
                cad, ids, 2, ids, 2, source, 3, stretched, 3),
            -1);
  EXPECT_EQ(gridlume_cad_add_edge_multiple_periodicity_with_transformation_function_by_points(
                cad, ids, 2, ids, 2, source, 3, turned, 2),
            -1);
  EXPECT_EQ(gridlume_cad_add_edge_multiple_periodicity_with_transformation_function_by_points(
                cad, ids, 2, ids, 2, nullptr, 3, turned, 3),
            -1);
  EXPECT_EQ(value_of(gridlume_cad_get_face_multiple_periodicity_count, cad), 2);
  EXPECT_EQ(value_of(gridlume_cad_get_edge_multiple_periodicity_count, cad), 1);
  ASSERT_EQ(messages.messages().size(), 2u);  // not for the null points, refused at once
  EXPECT_EQ(messages.messages()[1].code, -5201);
  EXPECT_EQ(messages.messages()[1].description,
            "gridlume_cad_add_edge_multiple_periodicity_with_transformation_function_by_points : "
            "The point pairs do not describe a rigid motion; the declaration has no "
            "transformation.\n");

  int *ids1 = static_cast<int *>(gridlume_cad_calloc_generic_buffer(cad));
  int *ids2 = static_cast<int *>(gridlume_cad_calloc_generic_buffer(cad));
  int size1, size2;
  gridlume_transformation_function function = nullptr;
  void *data = nullptr;
  ASSERT_EQ(gridlume_cad_get_face_multiple_periodicity(cad, 1, &ids1, &size1, &ids2, &size2,
                                                       &function, &data),
            0);
  ASSERT_NE(function, nullptr);
  const double x[3] = {2, 3, 4};
  double y[3];
  EXPECT_EQ(function(x, y, data), 0);
  EXPECT_NEAR(y[0], 5 - 3, 1e-14);
  EXPECT_NEAR(y[1], 2, 1e-14);
  EXPECT_NEAR(y[2], 4, 1e-14);
  ASSERT_EQ(gridlume_cad_get_face_multiple_periodicity(cad, 2, &ids1, &size1, &ids2, &size2,
                                                       &function, &data),
            0);
  EXPECT_EQ(function, nullptr);
  const auto *identity = static_cast<const gridlume::ComputedTransformation *>(data);
  EXPECT_EQ(identity->matrix[0], 1);
  EXPECT_EQ(identity->matrix[1], 0);
  EXPECT_EQ(identity->matrix[8], 1);
  gridlume_cad_free_generic_buffer(ids1);
  gridlume_cad_free_generic_buffer(ids2);
}

TEST(PointPairTransformation, TranslationsFromOneOrTwoPairs) {
  gridlume::ComputedTransformation t;
  EXPECT_EQ(compute({1, 2, 3}, {4, 6, 8}, t), 0);
  EXPECT_EQ(apply(t, std::array<double, 3>{0, 0, 0}.data())[1], 4);
  // Displacements (1, 0, 0) and (1, 0.0005, 0) agree within 0.001 of the second.
  EXPECT_EQ(compute({0, 0, 0, 3, 0, 0}, {1, 0, 0, 4, 0.0005, 0}, t), 0);
  std::array<double, 3> image = apply(t, std::array<double, 3>{10, 10, 10}.data());
  EXPECT_EQ(image[0], 11);
  EXPECT_EQ(image[1], 10);
  EXPECT_EQ(compute({0, 0, 0, 3, 0, 0}, {1, 0, 0, 4, 0.01, 0}, t), -1);
  EXPECT_EQ(t.matrix[0], 1);
  EXPECT_EQ(t.target_origin[0], 0);  // a rejection leaves the identity
}

TEST(PointPairTransformation, QuarterTurnsAboutAnyAxisAreRecoveredFromThreePairs) {
  const Points source = {0.3, -1.2, 2.0, 2.5, 0.1, 1.0, -0.7, 1.9, 0.4};
  const std::array<std::array<double, 3>, 5> axes = {
      {{1, 0, 0},
       {0, 1, 0},
       {0, 0, 1},
       {1 / std::sqrt(3.0), 1 / std::sqrt(3.0), -1 / std::sqrt(3.0)},
       {0.6, 0, 0.8}}};
  for (const auto &axis : axes) {
    Points target = rotated_quarter_turn(source, axis, {10, -4, 7});
    gridlume::ComputedTransformation t;
    ASSERT_EQ(compute(source, target, t), 0);
    // The matrix is the rotation: columns are the images of the unit vectors.
    Points units = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    Points expected = rotated_quarter_turn(units, axis, {0, 0, 0});
    for (int column = 0; column < 3; ++column)
      for (int row = 0; row < 3; ++row)
        EXPECT_NEAR(t.matrix[3 * row + column], expected[3 * column + row], 1e-12);
    expect_reproduces_pairs(source, target);
  }
}

TEST(PointPairTransformation, FourOrMorePairsUseTheFirstFour) {
  const Points source = {0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 9, 9, 9};
  Points target = rotated_quarter_turn(source, {0, 1, 0}, {1, 2, 3});
  target[12] = -50;  // the fifth pair is not looked at
  gridlume::ComputedTransformation t;
  ASSERT_EQ(compute(source, target, t), 0);
  expect_reproduces_pairs(Points(source.begin(), source.begin() + 12),
                          Points(target.begin(), target.begin() + 12));
}

TEST(PointPairTransformation, RejectsMissingDegenerateAndIncongruentPairs) {
  gridlume::ComputedTransformation t;
  // Counts must match and be positive.
  EXPECT_EQ(compute({}, {}, t), -1);
  EXPECT_EQ(compute({0, 0, 0}, {0, 0, 0, 1, 1, 1}, t), -1);
  // A repeated point has a zero length.
  EXPECT_EQ(compute({0, 0, 0, 0, 0, 0, 0, 1, 0}, {0, 0, 0, 0, 0, 0, 0, 1, 0}, t), -1);
  // Collinear points.
  EXPECT_EQ(compute({0, 0, 0, 1, 0, 0, 2, 0.01, 0}, {0, 0, 0, 1, 0, 0, 2, 0.01, 0}, t), -1);
  // A length 9% longer; 7% is accepted.
  EXPECT_EQ(compute({0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 0, 0, 1.09, 0, 0, 0, 1, 0}, t), -1);
  EXPECT_EQ(compute({0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 0, 0, 1.07, 0, 0, 0, 1, 0}, t), 0);
  // Angles of 90 and 45 degrees differ by more than 0.2 in |cosine|.
  EXPECT_EQ(compute({0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 0, 0, 1, 0, 0, 0.7071, 0.7071, 0}, t), -1);
  // Four coplanar points.
  EXPECT_EQ(compute({0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0}, {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0}, t),
            -1);
  // Frames whose |det| differ by more than 0.2.
  EXPECT_EQ(
      compute({0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0.8, 0.6}, t),
      -1);
}

TEST(MeshPeriodicity, ByPointsRecordsFollowTheCadRules) {
  Context context;
  MessageCapture messages;
  messages.install(context);
  gridlume_mesh *mesh = gridlume_mesh_new(context);
  int faces[3] = {1, 2, 3};
  const double source[3] = {0, 0, 0}, target[3] = {0, 0, 2};
  EXPECT_EQ(gridlume_mesh_add_face_multiple_periodicity_with_transformation_function_by_points(
                mesh, faces, 3, faces, 1, source, 1, target, 1),
            0);
  EXPECT_EQ(gridlume_mesh_add_face_multiple_periodicity_with_transformation_function_by_points(
                mesh, faces, 3, faces, 1, source, 1, target, 0),
            -1);
  EXPECT_EQ(gridlume_mesh_add_face_multiple_periodicity_with_transformation_function_by_points(
                nullptr, faces, 3, faces, 1, source, 1, target, 1),
            -1);
  EXPECT_EQ(value_of(gridlume_mesh_get_face_multiple_periodicity_count, mesh), 2);
  EXPECT_EQ(mesh->generic_buffer_minimum, 12);  // 4 bytes for each of 3 faces
  ASSERT_EQ(messages.messages().size(), 1u);
  EXPECT_EQ(messages.messages()[0].code, -5201);
  int *list1 = static_cast<int *>(gridlume_mesh_calloc_generic_buffer(mesh));
  int *list2 = static_cast<int *>(gridlume_mesh_calloc_generic_buffer(mesh));
  int size1, size2;
  gridlume_transformation_function function;
  void *data;
  ASSERT_EQ(gridlume_mesh_get_face_multiple_periodicity(mesh, 1, &list1, &size1, &list2, &size2,
                                                        &function, &data),
            0);
  double out[3];
  ASSERT_NE(function, nullptr);
  function(source, out, data);
  EXPECT_EQ(out[2], 2);
  gridlume_mesh_free_generic_buffer(list1);
  gridlume_mesh_free_generic_buffer(list2);
}

TEST(PeriodicityAllocation, EveryDeclarationAnswersFiveAndLeaksNothing) {
  const int ids[4] = {1, 2, 3, 4};
  const double points[3] = {0, 0, 0};
  expect_each_allocation_failure_reported([&](gridlume_context *context, AllocationFailure &f) {
    gridlume_cad *cad = gridlume_cad_new(context);
    f.arm();
    return gridlume_cad_add_face_multiple_periodicity_with_transformation_function_by_points(
        cad, ids, 4, ids, 4, points, 1, points, 1);
  });
  expect_each_allocation_failure_reported([&](gridlume_context *context, AllocationFailure &f) {
    gridlume_cad *cad = gridlume_cad_new(context);
    for (int k = 0; k < 10; ++k)  // the next one must grow the array
      gridlume_cad_add_edge_multiple_periodicity_with_transformation_function(cad, ids, 1, ids, 1,
                                                                              nullptr, nullptr);
    f.arm();
    return gridlume_cad_add_edge_multiple_periodicity_with_transformation_function(
        cad, ids, 4, ids, 4, nullptr, nullptr);
  });
  expect_each_allocation_failure_reported([&](gridlume_context *context, AllocationFailure &f) {
    gridlume_mesh *mesh = gridlume_mesh_new(context);
    f.arm();
    return gridlume_mesh_add_face_multiple_periodicity_with_transformation_function_by_points(
        mesh, ids, 4, ids, 4, points, 1, points, 1);
  });
  // Id periodicity reports a failed insertion as -1.
  for_each_allocation_failure([&](AllocationFailure &f) {
    Context context;
    gridlume_cad *cad = gridlume_cad_new(context);
    for (int k = 1; k <= 30; ++k) gridlume_cad_add_face_periodicity(cad, k, k + 100);
    f.arm();
    int status = gridlume_cad_add_face_periodicity(cad, 500, 501);
    f.disarm();
    EXPECT_EQ(status, f.happened() ? -1 : 0);
  });
}
