// Evaluation through the nested grid against a direct pass over every
// constraint, and evaluation of one size map from several threads at once.
#include "sizemap/sizemap_evaluation.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <thread>
#include <vector>

#include "sizemap/sizemap_fixture.hpp"

namespace {

using gridlume::Constraint;
using gridlume::Vector3;

struct Scene {
  std::vector<Constraint> records;  // defaults first, then the shapes
  gridlume::Box box{{0, 0, 0}, {10, 10, 10}};
};

// Shapes of every kind scattered over the box with a fixed seed. Shapes that
// hold every point (coincident cylinder ends) are left out: the direct pass
// would find them everywhere, the grid only where they are listed.
Scene random_scene(double default_size, double gradation, int shape_count, double offset) {
  std::mt19937 random(20261206);
  std::uniform_real_distribution<double> coordinate(-1.0, 11.0), unit(0.0, 1.0);
  auto point = [&] {
    return Vector3{offset + coordinate(random), offset + coordinate(random),
                   offset + coordinate(random)};
  };
  auto near = [&](const Vector3 &p, double reach) {
    return Vector3{p.x + reach * (unit(random) - 0.5), p.y + reach * (unit(random) - 0.5),
                   p.z + reach * (unit(random) - 0.5)};
  };
  Scene scene;
  scene.box = {{offset, offset, offset}, {offset + 10, offset + 10, offset + 10}};
  Constraint size{}, grade{};
  size.type = gridlume::ConstraintType::default_size;
  size.value = default_size;
  grade.type = gridlume::ConstraintType::default_gradation;
  grade.value = gradation;
  scene.records = {size, grade};
  for (int k = 0; k < shape_count; ++k) {
    const double s = 0.1 + 0.9 * unit(random);
    const Vector3 centre = point();
    switch (k % 4) {
      case 0:
        scene.records.push_back(gridlume::make_sphere(centre, 0.6 * unit(random), s));
        break;
      case 1:
        scene.records.push_back(
            gridlume::make_cylinder(centre, near(centre, 2.0), 0.4 * unit(random), s));
        break;
      case 2: {
        // A box-like hexahedron with jittered corners, in the creator's order.
        const double a = 0.2 + unit(random);
        const Vector3 offsets[8] = {{0, 0, 0}, {a, 0, 0}, {a, a, 0}, {0, a, 0},
                                    {0, 0, a}, {a, 0, a}, {a, a, a}, {0, a, a}};
        Vector3 corners[8];
        for (int c = 0; c < 8; ++c) corners[c] = near(centre + offsets[c], 0.1);
        scene.records.push_back(gridlume::make_hexahedron(corners, s));
        break;
      }
      default:
        scene.records.push_back(gridlume::make_point(centre, s));
        break;
    }
  }
  for (std::size_t k = 0; k + 1 < scene.records.size(); ++k)
    scene.records[k].next = &scene.records[k + 1];
  return scene;
}

// The size at x by the rules, over every constraint.
double direct_size(const Scene &scene, const Vector3 &x) {
  const double h0 = scene.records[0].value, g = scene.records[1].value;
  const double slope = g > 0 ? std::log(g) : 1.0;
  double h = g > 0 ? h0 : gridlume::geometry::infinity;
  bool covered = false;
  for (std::size_t k = 2; k < scene.records.size(); ++k) {
    const Constraint &c = scene.records[k];
    const auto where = gridlume::shape_distance(c, x);
    if (where.inside) {
      covered = true;
      if (c.value > 0) h = std::min(h, c.value);
    } else if (g > 0 && c.value > 0) {
      h = std::min(h, c.value + where.distance * slope);
    }
  }
  if (g <= 0 && !covered) h = h0;
  return h;
}

constexpr int shape_count = 150;

// A gradation and where the box lies: at the origin, or far from it, where
// cell boundaries round.
class EvaluationAgreement : public testing::TestWithParam<std::tuple<double, double>> {};

TEST_P(EvaluationAgreement, TheGridFindsWhatADirectPassOverEveryConstraintFinds) {
  // Influence boxes a few cells wide, so that cells list a handful of
  // constraints: crowded cells split down to 262 144 leaves each.
  const auto [gradation, offset] = GetParam();
  const Scene scene = random_scene(1.0, gradation, shape_count, offset);
  gridlume::EvaluationData *data =
      gridlume::build_evaluation_data(nullptr, scene.box, scene.records.data());
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->constraint_count, shape_count);
  std::mt19937 random(7);
  std::uniform_real_distribution<double> coordinate(-0.5, 10.5);
  int inside_some_shape = 0;
  for (int k = 0; k < 20000; ++k) {
    // Every fourth point is a constraint's own reference point, so that
    // points inside shapes and exactly on point constraints are tried.
    Vector3 x{offset + coordinate(random), offset + coordinate(random),
              offset + coordinate(random)};
    if (k % 4 == 0) {
      const Constraint &c = scene.records[2 + (k / 4) % shape_count];
      x = c.type == gridlume::ConstraintType::sphere     ? c.sphere.centre
          : c.type == gridlume::ConstraintType::cylinder ? c.cylinder.first_end
          : c.type == gridlume::ConstraintType::point    ? c.point.point
                                                         : c.hexahedron.corners[0];
    }
    double size = 0;
    ASSERT_EQ(gridlume::evaluate_size(*data, x, &size), 0);
    const double expected = direct_size(scene, x);
    ASSERT_EQ(size, expected) << k << ": " << x.x << " " << x.y << " " << x.z;
    if (expected < 1.0) ++inside_some_shape;
  }
  EXPECT_GT(inside_some_shape, 1000);
  gridlume::delete_evaluation_data(data);
}

INSTANTIATE_TEST_SUITE_P(Gradations, EvaluationAgreement,
                         testing::Combine(testing::Values(1.5, 3.0, 0.0),
                                          testing::Values(0.0, 1e7)));

TEST(ConcurrentEvaluation, ThreadsSharingOneSizemapGetTheSizesOfOneThread) {
  gridlume_test::Context context;
  const double low[3] = {0, 0, 0}, high[3] = {10, 10, 10};
  gridlume_sizemap_creator *creator = gridlume_sizemap_creator_new(context, 2, low, high);
  gridlume_sizemap_creator_add_constraint_default(creator, 0.5);
  gridlume_sizemap_creator_add_constraint_default_gradation(creator, 2);
  std::mt19937 random(11);
  std::uniform_real_distribution<double> coordinate(0.0, 10.0), size(0.1, 0.4);
  for (int k = 0; k < 300; ++k) {
    const double centre[3] = {coordinate(random), coordinate(random), coordinate(random)};
    gridlume_sizemap_creator_add_constraint_on_sphere(creator, centre, 0.05, size(random));
  }
  gridlume_sizemap *sizemap = gridlume_sizemap_creator_generate_sizemap(creator);
  ASSERT_NE(sizemap, nullptr);
  // The creator may go: the size map holds its own copy.
  gridlume_sizemap_creator_delete(creator);
  constexpr int point_count = 4000, thread_count = 4;
  std::vector<sizemap_test::Point> points(point_count);
  for (auto &p : points) p = {coordinate(random), coordinate(random), coordinate(random)};
  std::vector<double> expected(point_count * 6);
  for (int k = 0; k < point_count; ++k)
    ASSERT_EQ(sizemap_test::evaluate(sizemap, points[k], &expected[6 * k]), 0);
  auto function = reinterpret_cast<gridlume_sizemap_3d_function>(
      gridlume_test::value_of(gridlume_sizemap_get_function, sizemap));
  void *user_data = gridlume_test::value_of(gridlume_sizemap_get_user_data, sizemap);
  std::vector<std::vector<double>> found(thread_count, std::vector<double>(point_count * 6));
  std::vector<int> failures(thread_count, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < thread_count; ++t) {
    threads.emplace_back([&, t] {
      // Each thread walks the points from its own starting place.
      for (int n = 0; n < point_count; ++n) {
        const int k = (n + t * point_count / thread_count) % point_count;
        if (function(points[k].data(), &found[t][6 * k], user_data) != 0) ++failures[t];
      }
    });
  }
  for (std::thread &thread : threads) thread.join();
  for (int t = 0; t < thread_count; ++t) {
    EXPECT_EQ(failures[t], 0);
    EXPECT_EQ(found[t], expected) << "thread " << t;
  }
}

}  // namespace
