// The size map creator seen from the interface: creation, the argument checks
// of every constraint, and the sizes and metrics of the generated size maps.
#include "sizemap/sizemap_creator.hpp"

#include <cmath>
#include <limits>
#include <vector>

#include "core/context.hpp"
#include "sizemap/sizemap_fixture.hpp"

namespace {

using namespace sizemap_test;
using CreatorTest = SizemapTest;

const Point origin = {0, 0, 0};

TEST_F(CreatorTest, ANewCreatorNeedsAContextABoxAndAKnownKindAndLeavesItsContextWhenDeleted) {
  const double low[3] = {0, 0, 0}, high[3] = {1, 1, 1};
  EXPECT_EQ(gridlume_sizemap_creator_new(nullptr, 1, low, high), nullptr);
  EXPECT_EQ(gridlume_sizemap_creator_new(context, 1, nullptr, high), nullptr);
  EXPECT_EQ(gridlume_sizemap_creator_new(context, 1, low, nullptr), nullptr);
  EXPECT_TRUE(messages.messages().empty());
  for (int kind : {0, 3, -1})
    EXPECT_EQ(gridlume_sizemap_creator_new(context, kind, low, high), nullptr);
  EXPECT_EQ(sent(), Sent(3, {-1, "sizemap_creator:new : Unsupported creator kind.\n"}));
  for (int kind : {1, 2}) {
    gridlume_sizemap_creator *creator = gridlume_sizemap_creator_new(context, kind, low, high);
    ASSERT_NE(creator, nullptr);
    EXPECT_EQ(creator->kind, kind);
    EXPECT_EQ(creator->context, context.handle);
  }
  // Deleting one detaches it from its context, which deletes the others.
  gridlume_sizemap_creator *creator = make_creator();
  ASSERT_EQ(gridlume_sizemap_creator_add_constraint_default(creator, 1), 0);
  EXPECT_EQ(context.handle->attachments.count(), 3);
  gridlume_sizemap_creator_delete(creator);
  gridlume_sizemap_creator_delete(nullptr);
  EXPECT_EQ(context.handle->attachments.count(), 2);
}

TEST_F(CreatorTest, ConstraintsAreKeptInTheOrderTheyAreAdded) {
  gridlume_sizemap_creator *creator = make_creator();
  const double p[3] = {1, 2, 3}, q[3] = {1, 2, 5};
  EXPECT_EQ(gridlume_sizemap_creator_add_constraint_default(creator, 0), 0);
  EXPECT_EQ(gridlume_sizemap_creator_add_constraint_on_sphere(creator, p, 0, 0), 0);
  EXPECT_EQ(gridlume_sizemap_creator_add_constraint_on_cylinder(creator, p, q, 0, 2), 0);
  EXPECT_EQ(gridlume_sizemap_creator_add_constraint_on_point(creator, p, 3), 0);
  EXPECT_EQ(
      gridlume_sizemap_creator_add_constraint_on_hexahedron(creator, p, p, p, p, q, q, q, q, 4), 0);
  EXPECT_EQ(gridlume_sizemap_creator_add_constraint_default_gradation(creator, 0), 0);
  EXPECT_EQ(creator->constraint_count, 6);
  using gridlume::ConstraintType;
  std::vector<ConstraintType> types;
  for (const gridlume::Constraint *c = creator->first; c != nullptr; c = c->next)
    types.push_back(c->type);
  EXPECT_EQ(types, (std::vector<ConstraintType>{ConstraintType::default_size,
                                                ConstraintType::sphere, ConstraintType::cylinder,
                                                ConstraintType::point, ConstraintType::hexahedron,
                                                ConstraintType::default_gradation}));
  EXPECT_EQ(creator->last->type, ConstraintType::default_gradation);
  // The defaults cover the creator's box.
  EXPECT_EQ(creator->first->box_minimum.x, -5);
  EXPECT_EQ(creator->first->box_maximum.z, 5);
}

TEST_F(CreatorTest, NegativeSizesRadiiAndGradationsAndMissingPointsAreRefused) {
  gridlume_sizemap_creator *creator = make_creator();
  const double p[3] = {0, 0, 0};
  const double nan = std::nan("");
  // Each refusal: its status, the operation after "add_constraint_" and the
  // end of the message.
  const std::string null_point = "Error using provided NULL point.",
                    size = "Error : size must be positive or zero.",
                    radius = "Error : radius must be positive or zero.";
  const struct {
    int status;
    const char *operation;
    std::string end;
  } cases[] = {
      {gridlume_sizemap_creator_add_constraint_default(creator, -1), "default", size},
      {gridlume_sizemap_creator_add_constraint_default(creator, nan), "default", size},
      {gridlume_sizemap_creator_add_constraint_default_gradation(creator, -0.5),
       "default_gradation", "Error : gradation must be positive or zero."},
      {gridlume_sizemap_creator_add_constraint_on_point(creator, nullptr, 1), "on_point",
       null_point},
      {gridlume_sizemap_creator_add_constraint_on_point(creator, p, -1e-300), "on_point", size},
      {gridlume_sizemap_creator_add_constraint_on_sphere(creator, nullptr, 1, 1), "on_sphere",
       null_point},
      {gridlume_sizemap_creator_add_constraint_on_sphere(creator, p, -1, 1), "on_sphere", radius},
      {gridlume_sizemap_creator_add_constraint_on_sphere(creator, p, 1, -1), "on_sphere", size},
      {gridlume_sizemap_creator_add_constraint_on_cylinder(creator, p, nullptr, 1, 1),
       "on_cylinder", null_point},
      {gridlume_sizemap_creator_add_constraint_on_cylinder(creator, nullptr, p, 1, 1),
       "on_cylinder", null_point},
      {gridlume_sizemap_creator_add_constraint_on_cylinder(creator, p, p, nan, 1), "on_cylinder",
       radius},
      {gridlume_sizemap_creator_add_constraint_on_cylinder(creator, p, p, 1, -2), "on_cylinder",
       size},
      {gridlume_sizemap_creator_add_constraint_on_hexahedron(creator, p, p, p, p, p, p, p,
                                                             nullptr, 1),
       "on_hexahedron", null_point},
      {gridlume_sizemap_creator_add_constraint_on_hexahedron(creator, nullptr, p, p, p, p, p, p,
                                                             p, 1),
       "on_hexahedron", null_point},
      {gridlume_sizemap_creator_add_constraint_on_hexahedron(creator, p, p, p, p, p, p, p, p, -3),
       "on_hexahedron", size},
  };
  Sent expected;
  for (const auto &c : cases) {
    EXPECT_EQ(c.status, -1) << c.operation;
    expected.emplace_back(
        -1, std::string("sizemap_creator:add_constraint_") + c.operation + " : " + c.end + "\n");
  }
  EXPECT_EQ(sent(), expected);
  EXPECT_EQ(creator->constraint_count, 0);
  EXPECT_EQ(creator->first, nullptr);
  // A NULL creator has no context to tell.
  EXPECT_EQ(gridlume_sizemap_creator_add_constraint_default(nullptr, 1), -1);
  EXPECT_EQ(gridlume_sizemap_creator_add_constraint_default_gradation(nullptr, 1), -1);
  EXPECT_EQ(gridlume_sizemap_creator_add_constraint_on_point(nullptr, p, 1), -1);
  EXPECT_EQ(gridlume_sizemap_creator_add_constraint_on_sphere(nullptr, p, 1, 1), -1);
  EXPECT_EQ(gridlume_sizemap_creator_add_constraint_on_cylinder(nullptr, p, p, 1, 1), -1);
  EXPECT_EQ(
      gridlume_sizemap_creator_add_constraint_on_hexahedron(nullptr, p, p, p, p, p, p, p, p, 1),
      -1);
  EXPECT_EQ(gridlume_sizemap_creator_generate_sizemap(nullptr), nullptr);
  EXPECT_EQ(messages.messages().size(), std::size(cases));
}

// Generated size maps are point size maps of the creator's kind.
TEST_F(CreatorTest, ADefaultSizeAloneAppliesEverywhereAndNothingGivesZero) {
  gridlume_sizemap_creator *creator = make_creator();
  gridlume_sizemap *empty = generate(creator);
  gridlume_sizemap_creator_add_constraint_default(creator, 2);
  gridlume_sizemap *two = generate(creator);
  for (const Point &x : {origin, Point{4, -4, 1}, Point{100, 100, 100}}) {
    EXPECT_EQ(size_at(empty, x), 0.0);
    EXPECT_EQ(size_at(two, x), 2.0);
  }
  gridlume_sizemap *metric = generate(make_creator(GRIDLUME_SIZEMAP_CREATOR_METRIC));
  EXPECT_EQ(gridlume_test::value_of(gridlume_sizemap_get_type, two), 7);
  EXPECT_EQ(gridlume_test::value_of(gridlume_sizemap_get_type, metric), 9);
  std::array<double, 6> m{};
  EXPECT_EQ(evaluate(metric, origin, m.data()), 0);
  EXPECT_EQ(m, (std::array<double, 6>{1e-12, 0, 1e-12, 0, 0, 1e-12}));
}

TEST_F(CreatorTest, AGradedSphereSpreadsItsSizeUpToTheLastDefault) {
  gridlume_sizemap_creator *creator = make_creator();
  const double centre[3] = {0, 0, 0};
  // The last default of each kind applies.
  gridlume_sizemap_creator_add_constraint_default(creator, 3);
  gridlume_sizemap_creator_add_constraint_default_gradation(creator, 100);
  gridlume_sizemap_creator_add_constraint_on_sphere(creator, centre, 1, 0.1);
  gridlume_sizemap_creator_add_constraint_default(creator, 1);
  gridlume_sizemap_creator_add_constraint_default_gradation(creator, std::exp(1.0));
  gridlume_sizemap *sizemap = generate(creator);
  EXPECT_EQ(size_at(sizemap, origin), 0.1);
  EXPECT_EQ(size_at(sizemap, {0, 0.99, 0}), 0.1);
  EXPECT_NEAR(size_at(sizemap, {1.5, 0, 0}), 0.6, 1e-12);
  // 0.1 + 1 at distance 2 from the centre, capped by the default.
  EXPECT_EQ(size_at(sizemap, {0, -1.2, 1.6}), 1.0);
  EXPECT_EQ(size_at(sizemap, {3, 0, 0}), 1.0);
  // The metric form of the same constraints: m = 1 / h^2 on the diagonal.
  gridlume_sizemap_creator *metric_creator = make_creator(GRIDLUME_SIZEMAP_CREATOR_METRIC);
  gridlume_sizemap_creator_add_constraint_on_sphere(metric_creator, centre, 1, 0.1);
  gridlume_sizemap_creator_add_constraint_default(metric_creator, 1);
  gridlume_sizemap_creator_add_constraint_default_gradation(metric_creator, std::exp(1.0));
  gridlume_sizemap *metric = generate(metric_creator);
  std::array<double, 6> m{};
  EXPECT_EQ(evaluate(metric, {1.5, 0, 0}, m.data()), 0);
  EXPECT_NEAR(m[0], 1 / 0.36, 1e-9);
  EXPECT_EQ(m, (std::array<double, 6>{m[0], 0, m[0], 0, 0, m[0]}));
}

// Scenes of constraints on an isotropic creator and the sizes they give at a
// few points: 0 as a tolerance asks for the exact size.
TEST_F(CreatorTest, ShapesGiveTheirSizeInsideAndGradeOutside) {
  using Add = void (*)(gridlume_sizemap_creator *);
  struct Probe {
    Point x;
    double size, tolerance;
  };
  const double slope = std::log(2.0);
  const struct {
    const char *what;
    Add add;
    std::vector<Probe> probes;
  } scenes[] = {
      // A larger size replaces the default inside its shape; the smallest of
      // the shapes holding a point wins.
      {"without a gradation only the shapes holding the point count",
       [](gridlume_sizemap_creator *creator) {
         const double centre[3] = {0, 0, 0}, far[3] = {3, 3, 3};
         gridlume_sizemap_creator_add_constraint_default(creator, 1);
         gridlume_sizemap_creator_add_constraint_on_sphere(creator, centre, 1, 0.1);
         gridlume_sizemap_creator_add_constraint_on_sphere(creator, far, 1, 5);
         gridlume_sizemap_creator_add_constraint_on_sphere(creator, far, 0.5, 7);
       },
       {{{0.5, 0, 0}, 0.1, 0},
        {{1.01, 0, 0}, 1.0, 0},
        {{3, 3, 3.8}, 5.0, 0},
        {{3, 3, 3.2}, 5.0, 0}}},
      {"a point constraint without gradation only acts at the point",
       [](gridlume_sizemap_creator *creator) {
         const double point[3] = {0.25, 0.5, 1};
         gridlume_sizemap_creator_add_constraint_default(creator, 1);
         gridlume_sizemap_creator_add_constraint_on_point(creator, point, 0.01);
       },
       {{{0.25, 0.5, 1}, 0.01, 0},
        {{0.25, 0.5, 1.0000001}, 1.0, 0},
        {{0.25, 0.5, std::nextafter(1.0, 0.0)}, 1.0, 0}}},
      // Points in the cells where the cylinder is listed are inside it; points
      // whose cells do not list it keep the default.
      {"a cylinder with coincident ends holds every point near it",
       [](gridlume_sizemap_creator *creator) {
         const double end[3] = {1, 1, 1};
         gridlume_sizemap_creator_add_constraint_default(creator, 1);
         gridlume_sizemap_creator_add_constraint_on_cylinder(creator, end, end, 0.1, 0.3);
       },
       {{{1, 1, 1}, 0.3, 0}, {{1.09, 1, 1.09}, 0.3, 0}, {{-3, -3, -3}, 1.0, 0}}},
      {"cylinders and hexahedra grade outside",
       [](gridlume_sizemap_creator *creator) {
         const double p1[3] = {-2, 0, 0}, p2[3] = {-2, 0, 2};
         gridlume_sizemap_creator_add_constraint_on_cylinder(creator, p1, p2, 0.5, 0.2);
         const double v[8][3] = {{1, 0, 0}, {2, 0, 0}, {2, 1, 0}, {1, 1, 0},
                                 {1, 0, 1}, {2, 0, 1}, {2, 1, 1}, {1, 1, 1}};
         gridlume_sizemap_creator_add_constraint_on_hexahedron(creator, v[0], v[1], v[2], v[3],
                                                               v[4], v[5], v[6], v[7], 0.05);
         gridlume_sizemap_creator_add_constraint_default(creator, 2);
         gridlume_sizemap_creator_add_constraint_default_gradation(creator, 2);
       },
       {{{-2, 0.3, 1}, 0.2, 0},
        {{-2, 1.5, 1}, 0.2 + 1.0 * slope, 1e-12},
        {{-2, 0, 3}, 0.2 + 1.0 * slope, 1e-12},
        {{1.5, 0.5, 0.5}, 0.05, 0},
        {{1.5, 0.5, 1.25}, 0.05 + 0.25 * slope, 1e-12},
        {{3, 0.5, 0.5}, 0.05 + 1.0 * slope, 1e-12}}},
      {"zero sizes never lower the size",
       [](gridlume_sizemap_creator *creator) {
         const double centre[3] = {0, 0, 0};
         gridlume_sizemap_creator_add_constraint_on_sphere(creator, centre, 1, 0);
         gridlume_sizemap_creator_add_constraint_on_sphere(creator, centre, 0, 0.5);
         gridlume_sizemap_creator_add_constraint_default(creator, 1);
         gridlume_sizemap_creator_add_constraint_default_gradation(creator, std::exp(1.0));
       },
       {{origin, 0.5, 0}, {{0.25, 0, 0}, 0.75, 1e-12}}},
  };
  for (const auto &scene : scenes) {
    SCOPED_TRACE(scene.what);
    gridlume_sizemap_creator *creator = make_creator();
    scene.add(creator);
    gridlume_sizemap *sizemap = generate(creator);
    for (const Probe &probe : scene.probes) {
      const double size = size_at(sizemap, probe.x);
      const auto &[x, y, z] = probe.x;
      if (probe.tolerance == 0) {
        EXPECT_EQ(size, probe.size) << x << " " << y << " " << z;
      } else {
        EXPECT_NEAR(size, probe.size, probe.tolerance) << x << " " << y << " " << z;
      }
    }
  }
}

TEST_F(CreatorTest, WithoutAGradationAZeroSizeShapeHidesTheDefaultAndGivesNoSize) {
  // The shape covers the point, so the default does not apply, but its size
  // of 0 sets nothing: the size stays unbounded, the metric 0.
  const double centre[3] = {0, 0, 0};
  for (int kind : {1, 2}) {
    gridlume_sizemap_creator *creator = make_creator(kind);
    gridlume_sizemap_creator_add_constraint_default(creator, 1);
    gridlume_sizemap_creator_add_constraint_on_sphere(creator, centre, 1, 0);
    gridlume_sizemap *sizemap = generate(creator);
    std::array<double, 6> values{};
    EXPECT_EQ(evaluate(sizemap, {0.5, 0, 0}, values.data()), 0);
    EXPECT_EQ(values[0], kind == 1 ? std::numeric_limits<double>::infinity() : 0.0);
    EXPECT_EQ(evaluate(sizemap, {2, 0, 0}, values.data()), 0);
    EXPECT_EQ(values[0], 1.0);
  }
}

TEST_F(CreatorTest, AnUnboundedOrInvertedBoxStillGivesASizemap) {
  const double infinity = std::numeric_limits<double>::infinity();
  const double centre[3] = {0, 0, 0};
  for (const auto &[low, high] : {std::pair<Point, Point>{{-infinity, 0, 0}, {infinity, 1, 1}},
                                  std::pair<Point, Point>{{1, 1, 1}, {-1, -1, -1}}}) {
    gridlume_sizemap_creator *creator = make_creator(1, low, high);
    gridlume_sizemap_creator_add_constraint_default(creator, 1);
    gridlume_sizemap_creator_add_constraint_on_sphere(creator, centre, 0.5, 0.25);
    gridlume_sizemap *sizemap = generate(creator);
    EXPECT_EQ(size_at(sizemap, {0.1, 0.1, 0.1}), 0.25);
    EXPECT_EQ(size_at(sizemap, {0.9, 0.9, 0.9}), 1.0);
  }
}

TEST_F(CreatorTest, ASizemapOutlivesItsCreatorIgnoresLaterConstraintsAndRefusesMissingArguments) {
  gridlume_sizemap_creator *creator = make_creator();
  gridlume_sizemap_creator_add_constraint_default(creator, 4);
  gridlume_sizemap *first = generate(creator);
  gridlume_sizemap_creator_add_constraint_default(creator, 6);
  gridlume_sizemap *second = generate(creator);
  gridlume_sizemap_creator_delete(creator);
  EXPECT_EQ(size_at(first, origin), 4.0);
  EXPECT_EQ(size_at(second, origin), 6.0);
  gridlume_sizemap_delete(first);
  EXPECT_EQ(size_at(second, {1, 2, 3}), 6.0);
  // Its function refuses missing arguments.
  auto function = reinterpret_cast<gridlume_sizemap_3d_function>(
      gridlume_test::value_of(gridlume_sizemap_get_function, second));
  const double x[3] = {0, 0, 0};
  double size = 0;
  EXPECT_EQ(function(nullptr, &size, nullptr), -1);
  EXPECT_EQ(function(x, nullptr, nullptr), -1);
  EXPECT_EQ(function(x, &size, nullptr), -1);
}

// Every constructor and every add under each allocation failure: -5 or NULL
// exactly when one failed, nothing added then, nothing leaked.
TEST(CreatorMemory, EveryAllocationFailureIsReportedAndLeaksNothing) {
  const double low[3] = {0, 0, 0}, high[3] = {1, 1, 1}, p[3] = {0.5, 0.5, 0.5};
  gridlume_test::expect_each_allocation_failure_reported(
      [&](gridlume_context *context, gridlume_test::AllocationFailure &failure) {
        failure.arm();
        return gridlume_sizemap_creator_new(context, 1, low, high);
      });
  using Add = int (*)(gridlume_sizemap_creator *);
  static constexpr double q[3] = {0.5, 0.5, 0.5}, r[3] = {0.6, 0.5, 0.5};
  const Add adds[] = {
      [](auto *c) { return gridlume_sizemap_creator_add_constraint_default(c, 1); },
      [](auto *c) { return gridlume_sizemap_creator_add_constraint_default_gradation(c, 1.5); },
      [](auto *c) { return gridlume_sizemap_creator_add_constraint_on_point(c, q, 1); },
      [](auto *c) { return gridlume_sizemap_creator_add_constraint_on_sphere(c, q, 0.1, 1); },
      [](auto *c) { return gridlume_sizemap_creator_add_constraint_on_cylinder(c, q, r, 0.1, 1); },
      [](auto *c) {
        return gridlume_sizemap_creator_add_constraint_on_hexahedron(c, q, q, q, q, q, q, q, q, 1);
      },
  };
  for (Add add : adds) {
    gridlume_test::expect_each_allocation_failure_reported(
        [&](gridlume_context *context, gridlume_test::AllocationFailure &failure) {
          gridlume_sizemap_creator *creator = gridlume_sizemap_creator_new(context, 1, low, high);
          failure.arm();
          const int status = add(creator);
          failure.disarm();
          EXPECT_EQ(creator->constraint_count, status == 0 ? 1 : 0);
          return status;
        });
  }
  for (int kind : {1, 2}) {
    gridlume_test::expect_each_allocation_failure_reported(
        [&](gridlume_context *context, gridlume_test::AllocationFailure &failure) {
          gridlume_sizemap_creator *creator =
              gridlume_sizemap_creator_new(context, kind, low, high);
          // Enough spheres of radius 0 in one cell to split it, and a few
          // of its sub-cells.
          gridlume_sizemap_creator_add_constraint_default(creator, 1);
          for (int k = 0; k < 45; ++k) {
            const double centre[3] = {p[0] + 0.0001 * k, p[1], p[2]};
            gridlume_sizemap_creator_add_constraint_on_sphere(creator, centre, 0, 0.1);
          }
          failure.arm();
          gridlume_sizemap *sizemap = gridlume_sizemap_creator_generate_sizemap(creator);
          failure.disarm();
          const int attached = context->attachments.count();
          EXPECT_EQ(attached, sizemap == nullptr ? 1 : 2);
          return sizemap;
        });
  }
}

}  // namespace
