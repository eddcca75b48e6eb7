// The nested grid: cell counts of a grid over a box, cells of points, where
// constraints are registered, when cells split, and the traversal of grids
// deeper than the split depth.
#include <gtest/gtest.h>

#include <limits>
#include <set>
#include <vector>

#include "core/allocator.hpp"
#include "sizemap/sizemap_evaluation.hpp"
#include "support/allocation_failure.hpp"

namespace {

using gridlume::Box;
using gridlume::Constraint;
using gridlume::NestedGrid;
using gridlume::Vector3;

std::array<std::int32_t, 3> counts_for(const Box &box, std::int32_t target) {
  std::array<std::int32_t, 3> counts{};
  gridlume::grid_cell_counts(box, target, counts.data());
  return counts;
}

long product(const std::array<std::int32_t, 3> &counts) {
  return long(counts[0]) * counts[1] * counts[2];
}

// A list of constraints linked in order, as the creator keeps them.
struct ConstraintList {
  std::vector<Constraint> records;
  const Constraint *link() {
    for (std::size_t k = 0; k + 1 < records.size(); ++k) records[k].next = &records[k + 1];
    if (records.empty()) return nullptr;
    records.back().next = nullptr;
    return records.data();
  }
};

struct DataDeleter {
  void operator()(gridlume::EvaluationData *data) const { gridlume::delete_evaluation_data(data); }
};
using DataHandle = std::unique_ptr<gridlume::EvaluationData, DataDeleter>;

DataHandle build(ConstraintList &list, const Box &box) {
  return DataHandle(gridlume::build_evaluation_data(nullptr, box, list.link()));
}

const Box unit_box{{0, 0, 0}, {1, 1, 1}};

TEST(GridCellCounts, ACubeGetsTheCubeRootOfTheTargetAlongEachAxis) {
  EXPECT_EQ(counts_for(unit_box, gridlume::root_cell_target),
            (std::array<std::int32_t, 3>{50, 50, 50}));
  EXPECT_EQ(counts_for(unit_box, gridlume::sub_grid_cell_target),
            (std::array<std::int32_t, 3>{4, 4, 4}));
}

TEST(GridCellCounts, AFlatBoxGetsOneCellAcrossItsFlatDimensionAndEveryBoxStaysWithinTheTarget) {
  const auto counts = counts_for({{0, 0, 0}, {10, 10, 0}}, gridlume::root_cell_target);
  EXPECT_EQ(counts[2], 1);
  EXPECT_LE(product(counts), gridlume::root_cell_target);
  EXPECT_GT(product(counts), gridlume::root_cell_target * 98 / 100);
  // An extent of a thousandth of the largest one counts as flat.
  const auto thin = counts_for({{0, 0, 0}, {10, 10, 0.01}}, gridlume::root_cell_target);
  EXPECT_LE(product(thin), gridlume::root_cell_target);
  EXPECT_GE(thin[2], 1);
  // So do stretched, point-like and inverted boxes.
  for (const Box &box :
       {Box{{0, 0, 0}, {1000, 1, 1}}, Box{{0, 0, 0}, {1, 0.0005, 0.0005}},
        Box{{0, 0, 0}, {0, 0, 0}}, Box{{1, 1, 1}, {0, 0, 0}}, Box{{0, 0, 0}, {1e300, 1e-300, 1}},
        Box{{0, 0, 0}, {std::numeric_limits<double>::infinity(), 1, 1}}}) {
    const auto counts = counts_for(box, gridlume::root_cell_target);
    for (std::int32_t n : counts) EXPECT_GE(n, 1);
    EXPECT_LE(product(counts), gridlume::root_cell_target);
  }
  EXPECT_EQ(counts_for({{0, 0, 0}, {0, 0, 0}}, 64), (std::array<std::int32_t, 3>{1, 1, 1}));
}

TEST(CellIndex, PointsOutsideTheGridFallInItsBorderCells) {
  NestedGrid grid;
  ASSERT_EQ(grid.create_root(unit_box), 0);
  const gridlume::Grid &root = grid.grids[0];
  EXPECT_EQ(gridlume::cell_index(root, 0, -5.0), 0);
  EXPECT_EQ(gridlume::cell_index(root, 0, 0.0), 0);
  EXPECT_EQ(gridlume::cell_index(root, 0, 0.5), 25);
  EXPECT_EQ(gridlume::cell_index(root, 1, 1.0), 49);
  EXPECT_EQ(gridlume::cell_index(root, 2, 1e300), 49);
  EXPECT_EQ(gridlume::cell_index(root, 2, std::nan("")), 0);
  EXPECT_EQ(gridlume::cell_number(root, 1, 2, 3), (1 * 50 + 2) * 50 + 3);
}

TEST(NestedGridGrowth, ArraysGrowToOnePointTwoTimesTheirCapacityPlusEleven) {
  NestedGrid grid;
  ASSERT_EQ(grid.create_root(unit_box), 0);
  const Box one_cell{{0.001, 0.001, 0.001}, {0.002, 0.002, 0.002}};
  for (int k = 1; k <= 10; ++k) ASSERT_EQ(grid.insert(k, one_cell, 0, 0), 0);
  EXPECT_EQ(grid.node_capacity, 11);
  EXPECT_EQ(grid.list_capacity, 11);
  ASSERT_EQ(grid.insert(11, one_cell, 0, 0), 0);
  EXPECT_EQ(grid.node_capacity, 24);  // 11 * 1.2 + 11
  EXPECT_EQ(grid.list_count, 1);
  EXPECT_EQ(grid.lists[1].count, 11);
  // Nodes go to the front: the newest constraint is listed first.
  EXPECT_EQ(grid.nodes[grid.lists[1].first_node].constraint, 11);
}

TEST(NestedGridInsertion, AConstraintIsListedInEveryCellItsInfluenceBoxMeets) {
  ConstraintList list;
  list.records.push_back(gridlume::make_sphere({0.5, 0.5, 0.5}, 0.05, 0.1));
  const auto data = build(list, unit_box);
  ASSERT_NE(data, nullptr);
  // Without a gradation the box is the sphere's own: cells 22..27 per axis.
  EXPECT_EQ(data->grid.node_count, 6 * 6 * 6);
  EXPECT_EQ(data->grid.list_count, 6 * 6 * 6);
  EXPECT_EQ(data->grid.grid_count, 1);
}

TEST(NestedGridInsertion, TheGradationWidensTheInfluenceBox) {
  ConstraintList list;
  Constraint default_size{};
  default_size.type = gridlume::ConstraintType::default_size;
  default_size.value = 0.1 + 0.04;
  Constraint gradation{};
  gradation.type = gridlume::ConstraintType::default_gradation;
  gradation.value = std::exp(2.0);
  list.records = {default_size, gradation, gridlume::make_point({0.5, 0.5, 0.5}, 0.1)};
  const auto data = build(list, unit_box);
  ASSERT_NE(data, nullptr);
  // Margin (0.14 - 0.1) / 2 = 0.02 around the point: cells 24..26.
  EXPECT_NEAR(gridlume::influence_margin(*data, 0.1), 0.02, 1e-15);
  EXPECT_EQ(data->grid.node_count, 3 * 3 * 3);
  EXPECT_EQ(gridlume::influence_margin(*data, 0.2), 0.0);
}

// n tiny spheres around one point, all in the root cell (25, 25, 25).
ConstraintList crowded(int n) {
  ConstraintList list;
  for (int k = 0; k < n; ++k)
    list.records.push_back(gridlume::make_sphere({0.5101 + 1e-6 * k, 0.5101, 0.5101}, 1e-7, 1.0));
  return list;
}

TEST(NestedGridSplit, ACellSplitsWhenItsListPassesTheThreshold) {
  ConstraintList at_threshold = crowded(gridlume::split_threshold);
  const auto kept = build(at_threshold, unit_box);
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(kept->grid.grid_count, 1);
  ConstraintList past = crowded(gridlume::split_threshold + 1);
  const auto split = build(past, unit_box);
  ASSERT_NE(split, nullptr);
  const NestedGrid &grid = split->grid;
  const std::int32_t entry = grid.grids[0].cells[gridlume::cell_number(grid.grids[0], 25, 25, 25)];
  ASSERT_TRUE(NestedGrid::is_sub_grid(entry));
  EXPECT_EQ(entry, gridlume::sub_grid_reference_base - 1);
  const gridlume::Grid &sub = grid.grids[1];
  EXPECT_EQ(sub.cell_total, 64);
  EXPECT_NEAR(sub.origin.x, 0.5, 1e-15);
  EXPECT_NEAR(sub.extent.x, 0.02, 1e-15);
}

TEST(NestedGridSplit, SplittingStopsAtTheMaximumDepth) {
  ConstraintList list = crowded(100);
  const auto data = build(list, unit_box);
  ASSERT_NE(data, nullptr);
  // The root and one sub-grid per level down to depth 3, whose cells keep
  // their long lists.
  EXPECT_EQ(data->grid.grid_count, 1 + gridlume::maximum_split_depth);
  std::int32_t longest = 0;
  for (std::int32_t l = 1; l <= data->grid.list_count; ++l)
    longest = std::max(longest, data->grid.lists[l].count);
  EXPECT_EQ(longest, 100);
}

TEST(NestedGridLayout, LaidOutListsHoldTheSameConstraintsOneAfterTheOtherByIncreasingBound) {
  ConstraintList list;
  for (int k = 0; k < 300; ++k)
    list.records.push_back(gridlume::make_sphere(
        {0.01 + 0.0003 * k, 0.5 + 0.001 * (k % 7), 0.3 + 0.002 * (k % 11)}, 0.002, 1.0));
  const auto data = build(list, unit_box);
  ASSERT_NE(data, nullptr);
  const NestedGrid &grid = data->grid;
  long live = 0;
  for (std::int32_t l = 1; l <= grid.list_count; ++l) {
    const gridlume::CellList &cell = grid.lists[l];
    live += cell.count;
    std::set<std::int32_t> seen;
    std::int32_t walked = 0;
    for (std::int32_t node = cell.first_node; node != 0; node = grid.nodes[node].next, ++walked) {
      if (grid.nodes[node].next != 0) {
        EXPECT_EQ(grid.nodes[node].next, node + 1);
      }
      seen.insert(grid.nodes[node].constraint);
      if (grid.nodes[node].next != 0) {
        EXPECT_LE(grid.node_bounds[node], grid.node_bounds[grid.nodes[node].next]);
      }
    }
    EXPECT_EQ(walked, cell.count);
    EXPECT_EQ(long(seen.size()), cell.count);
  }
  EXPECT_EQ(live, grid.node_count);
  EXPECT_GT(grid.grid_count, 1);
}

TEST(NestedGridBuild, EveryAllocationFailureGivesNoDataAndLeaksNothing) {
  gridlume_test::for_each_allocation_failure([](gridlume_test::AllocationFailure &failure) {
    ConstraintList list = crowded(60);
    failure.arm();
    auto data = build(list, unit_box);
    failure.disarm();
    EXPECT_EQ(data == nullptr, failure.happened());
  });
}

// n zero-radius spheres at one point: every level has a single crowded cell.
ConstraintList stacked(int n) {
  ConstraintList list;
  for (int k = 0; k < n; ++k)
    list.records.push_back(gridlume::make_sphere({0.5101, 0.5101, 0.5101}, 0, 1.0));
  return list;
}

// A grid allowed to split far deeper than the creator ever does, so that the
// traversal outgrows its fixed stack.
DataHandle deep_data(ConstraintList &list) {
  auto *data = gridlume::create<gridlume::EvaluationData>();
  data->box_minimum = unit_box.minimum;
  data->box_maximum = unit_box.maximum;
  data->tolerance = 1e-9;
  data->default_size = 7;
  data->constraint_count = std::int32_t(list.records.size());
  data->constraints = gridlume::allocate_array<Constraint>(list.records.size());
  std::copy(list.records.begin(), list.records.end(), data->constraints);
  data->grid.maximum_depth = 20;
  EXPECT_EQ(gridlume::populate_grid(*data), 0);
  return DataHandle(data);
}

TEST(Evaluation, AGridDeeperThanTheFixedStackIsStillSearched) {
  ConstraintList list = stacked(50);
  list.records[17].value = 0.25;
  const auto data = deep_data(list);
  EXPECT_EQ(data->grid.grid_count, 21);
  double size = 0;
  EXPECT_EQ(gridlume::evaluate_size(*data, list.records[17].sphere.centre, &size), 0);
  EXPECT_EQ(size, 0.25);
}

TEST(Evaluation, ADeepTraversalWithoutMemoryAnswersNoMemoryAndTheSizeSoFar) {
  ConstraintList list = stacked(50);
  const auto data = deep_data(list);
  gridlume_test::for_each_allocation_failure([&](gridlume_test::AllocationFailure &failure) {
    double size = 0;
    failure.arm();
    const int status = gridlume::evaluate_size(*data, list.records[0].sphere.centre, &size);
    failure.disarm();
    EXPECT_EQ(status, failure.happened() ? -5 : 0);
    // Nothing deeper than the fixed stack was seen: the point is covered by
    // no shape found, so the default applies.
    EXPECT_EQ(size, failure.happened() ? 7.0 : 1.0);
  });
}

}  // namespace
