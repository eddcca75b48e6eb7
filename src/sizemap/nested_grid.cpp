// Building the nested grid: set-up of a grid over a box, registration of
// constraints in the cells their influence boxes overlap, splitting of
// crowded cells.
#include "sizemap/nested_grid.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/allocator.hpp"

namespace gridlume {
namespace {

constexpr double largest_count = std::numeric_limits<std::int32_t>::max();

double axis_value(const Vector3 &v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }

// Makes room for slot `needed` (arrays numbered from 1 keep slot 0 unused):
// the capacity grows to capacity * 1.2 + 11 until the slot fits.
template <class T>
int grow_to_hold(T *&array, std::int32_t &capacity, std::int32_t needed) noexcept {
  if (needed < capacity) return GRIDLUME_STATUS_OK;
  double wanted = capacity;
  while (wanted <= needed) wanted = wanted * array_growth_factor + array_growth_step;
  if (wanted > largest_count) wanted = largest_count;
  if (wanted <= needed) return GRIDLUME_STATUS_NO_MEMORY;
  const auto new_capacity = static_cast<std::int32_t>(wanted);
  void *grown = gridlume_realloc(array, static_cast<std::size_t>(new_capacity) * sizeof(T));
  if (grown == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
  array = static_cast<T *>(grown);
  capacity = new_capacity;
  return GRIDLUME_STATUS_OK;
}

}  // namespace

void grid_cell_counts(const Box &box, std::int32_t target, std::int32_t counts[3]) noexcept {
  // An inverted box is taken as flat along the inverted axes.
  double extent[3];
  for (int axis = 0; axis < 3; ++axis)
    extent[axis] = std::max(0.0, axis_value(box.maximum, axis) - axis_value(box.minimum, axis));
  const double flat_limit = flat_extent_fraction * std::max({extent[0], extent[1], extent[2]});
  double active_volume = 1.0;
  int active_count = 0;
  for (double e : extent) {
    if (e > flat_limit) {
      active_volume *= e;
      ++active_count;
    }
  }
  double cells_per_length = 1.0;
  if (active_count > 0) {
    const double cell_length = std::pow(active_volume / target, 1.0 / active_count);
    if (cell_length > 0.0) cells_per_length = 1.0 / cell_length;
  }
  double first_guess[3];
  for (int axis = 0; axis < 3; ++axis)
    first_guess[axis] = std::min(largest_count, std::ceil(cells_per_length * extent[axis]));
  // While one count alone passes the target no product can meet it, so the
  // shrinking starts where that stops (a box of infinite extent would
  // otherwise take two billion steps).
  const double largest_guess = std::max({first_guess[0], first_guess[1], first_guess[2]});
  for (double shrink = std::max(0.0, largest_guess - target);; shrink += 1.0) {
    double product = 1.0;
    for (int axis = 0; axis < 3; ++axis) {
      const double count = first_guess[axis] - shrink;
      counts[axis] = count > 0.0 ? static_cast<std::int32_t>(count) : 1;
      product *= counts[axis];
    }
    if (product <= target) return;
  }
}

std::int32_t cell_index(const Grid &grid, int axis, double coordinate) noexcept {
  const double offset = coordinate - axis_value(grid.origin, axis);
  if (!(offset > 0.0)) return 0;
  const double index = std::floor(offset * grid.cells_per_unit[axis]);
  const std::int32_t last = grid.cell_counts[axis] - 1;
  if (!(index < last)) return last;
  return static_cast<std::int32_t>(index);
}

Box cell_box(const Grid &grid, std::int32_t i, std::int32_t j, std::int32_t k) noexcept {
  const std::int32_t index[3] = {i, j, k};
  double low[3], high[3];
  for (int axis = 0; axis < 3; ++axis) {
    const double step = axis_value(grid.extent, axis) / grid.cell_counts[axis];
    low[axis] = axis_value(grid.origin, axis) + index[axis] * step;
    high[axis] = index[axis] + 1 == grid.cell_counts[axis]
                     ? axis_value(grid.origin, axis) + axis_value(grid.extent, axis)
                     : low[axis] + step;
  }
  return {{low[0], low[1], low[2]}, {high[0], high[1], high[2]}};
}

void NestedGrid::release() noexcept {
  for (std::int32_t g = 0; g < grid_count; ++g) gridlume_free(grids[g].cells);
  gridlume_free(grids);
  gridlume_free(lists);
  gridlume_free(nodes);
  gridlume_free(node_bounds);
  grids = nullptr;
  lists = nullptr;
  nodes = nullptr;
  node_bounds = nullptr;
  grid_count = grid_capacity = list_count = list_capacity = node_count = node_capacity = 0;
}

int NestedGrid::append_grid(const Box &box, std::int32_t target, std::int32_t *number) noexcept {
  if (grid_count >= sub_grid_reference_base - largest_list) return GRIDLUME_STATUS_NO_MEMORY;
  if (grow_to_hold(grids, grid_capacity, grid_count) != GRIDLUME_STATUS_OK)
    return GRIDLUME_STATUS_NO_MEMORY;
  Grid grid{};
  grid_cell_counts(box, target, grid.cell_counts);
  grid.origin = box.minimum;
  grid.extent = box.maximum - box.minimum;
  for (int axis = 0; axis < 3; ++axis) {
    const double e = std::max(0.0, axis_value(grid.extent, axis));
    grid.cells_per_unit[axis] = e > 0.0 ? grid.cell_counts[axis] / e : 1.0;
  }
  grid.extent = {std::max(0.0, grid.extent.x), std::max(0.0, grid.extent.y),
                 std::max(0.0, grid.extent.z)};
  grid.cell_total = grid.cell_counts[0] * grid.cell_counts[1] * grid.cell_counts[2];
  grid.cells = static_cast<std::int32_t *>(gridlume_calloc(grid.cell_total, sizeof(std::int32_t)));
  if (grid.cells == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
  *number = grid_count;
  grids[grid_count++] = grid;
  return GRIDLUME_STATUS_OK;
}

int NestedGrid::create_root(const Box &box) noexcept {
  release();
  std::int32_t root = 0;
  return append_grid(box, root_target, &root);
}

int NestedGrid::add_to_cell(std::int32_t number, std::int32_t grid, std::int32_t cell) noexcept {
  std::int32_t list = grids[grid].cells[cell];
  if (list == 0) {
    if (list_count >= largest_list) return GRIDLUME_STATUS_NO_MEMORY;
    if (grow_to_hold(lists, list_capacity, list_count + 1) != GRIDLUME_STATUS_OK)
      return GRIDLUME_STATUS_NO_MEMORY;
    list = ++list_count;
    lists[list] = {0, 0};
    grids[grid].cells[cell] = list;
  }
  if (grow_to_hold(nodes, node_capacity, node_count + 1) != GRIDLUME_STATUS_OK)
    return GRIDLUME_STATUS_NO_MEMORY;
  const std::int32_t node = ++node_count;
  nodes[node] = {number, lists[list].first_node};
  lists[list].first_node = node;
  ++lists[list].count;
  return GRIDLUME_STATUS_OK;
}

int NestedGrid::split_cell(std::int32_t grid, std::int32_t cell, std::int32_t depth) noexcept {
  const Grid &parent = grids[grid];
  const std::int32_t k = cell % parent.cell_counts[2];
  const std::int32_t j = (cell / parent.cell_counts[2]) % parent.cell_counts[1];
  const std::int32_t i = cell / (parent.cell_counts[2] * parent.cell_counts[1]);
  std::int32_t sub_grid = 0;
  if (append_grid(cell_box(parent, i, j, k), sub_grid_target, &sub_grid) != GRIDLUME_STATUS_OK)
    return GRIDLUME_STATUS_NO_MEMORY;
  const std::int32_t list = grids[grid].cells[cell];
  // The arrays may move while the constraints are inserted again, so the
  // list is walked by numbers.
  for (std::int32_t node = lists[list].first_node; node != 0; node = nodes[node].next) {
    const std::int32_t constraint = nodes[node].constraint;
    if (insert(constraint, influence_box(*owner, constraint), sub_grid, depth + 1) !=
        GRIDLUME_STATUS_OK)
      return GRIDLUME_STATUS_NO_MEMORY;
  }
  grids[grid].cells[cell] = sub_grid_reference_base - sub_grid;
  // The list's nodes stay in the array unused; lay_out_lists drops them.
  lists[list] = {0, 0};
  return GRIDLUME_STATUS_OK;
}

int NestedGrid::insert(std::int32_t number, const Box &box, std::int32_t grid,
                       std::int32_t depth) noexcept {
  std::int32_t low[3], high[3];
  for (int axis = 0; axis < 3; ++axis) {
    low[axis] = cell_index(grids[grid], axis, axis_value(box.minimum, axis));
    high[axis] = cell_index(grids[grid], axis, axis_value(box.maximum, axis));
  }
  for (std::int32_t i = low[0]; i <= high[0]; ++i) {
    for (std::int32_t j = low[1]; j <= high[1]; ++j) {
      for (std::int32_t k = low[2]; k <= high[2]; ++k) {
        const std::int32_t cell = cell_number(grids[grid], i, j, k);
        const std::int32_t entry = grids[grid].cells[cell];
        if (is_sub_grid(entry)) {
          if (insert(number, box, sub_grid_number(entry), depth + 1) != GRIDLUME_STATUS_OK)
            return GRIDLUME_STATUS_NO_MEMORY;
          continue;
        }
        if (add_to_cell(number, grid, cell) != GRIDLUME_STATUS_OK) return GRIDLUME_STATUS_NO_MEMORY;
        if (depth < maximum_depth && lists[grids[grid].cells[cell]].count > split_count &&
            split_cell(grid, cell, depth) != GRIDLUME_STATUS_OK)
          return GRIDLUME_STATUS_NO_MEMORY;
      }
    }
  }
  return GRIDLUME_STATUS_OK;
}

namespace {

struct BoundedNode {
  float bound;
  std::int32_t constraint;
};

// The nodes laid out so far and the room they go to.
struct ListLayout {
  ListNode *packed;
  float *bounds;
  BoundedNode *scratch;
  std::int32_t written;
};

}  // namespace

// Points outside a grid's box fall in its border cells, so the region a cell
// answers for reaches, on the grid's border sides, as far as the region of
// the grid itself: the whole of space around the root.
void NestedGrid::lay_out_grid(std::int32_t number, const Box &region, void *layout_state) noexcept {
  auto &layout = *static_cast<ListLayout *>(layout_state);
  const Grid &grid = grids[number];
  const double region_low[3] = {region.minimum.x, region.minimum.y, region.minimum.z};
  const double region_high[3] = {region.maximum.x, region.maximum.y, region.maximum.z};
  for (std::int32_t i = 0; i < grid.cell_counts[0]; ++i) {
    for (std::int32_t j = 0; j < grid.cell_counts[1]; ++j) {
      for (std::int32_t k = 0; k < grid.cell_counts[2]; ++k) {
        const std::int32_t entry = grid.cells[cell_number(grid, i, j, k)];
        if (entry == 0) continue;
        const Box box = cell_box(grid, i, j, k);
        const std::int32_t index[3] = {i, j, k};
        double low[3] = {box.minimum.x, box.minimum.y, box.minimum.z};
        double high[3] = {box.maximum.x, box.maximum.y, box.maximum.z};
        for (int axis = 0; axis < 3; ++axis) {
          if (index[axis] == 0) low[axis] = region_low[axis];
          if (index[axis] == grid.cell_counts[axis] - 1) high[axis] = region_high[axis];
        }
        const Box cell_region{{low[0], low[1], low[2]}, {high[0], high[1], high[2]}};
        if (is_sub_grid(entry)) {
          lay_out_grid(sub_grid_number(entry), cell_region, layout_state);
          continue;
        }
        std::int32_t count = 0;
        for (std::int32_t node = lists[entry].first_node; node != 0; node = nodes[node].next) {
          const std::int32_t constraint = nodes[node].constraint;
          layout.scratch[count++] = {size_bound(*owner, constraint, cell_region), constraint};
        }
        if (count == 0) continue;
        std::stable_sort(
            layout.scratch, layout.scratch + count,
            [](const BoundedNode &a, const BoundedNode &b) { return a.bound < b.bound; });
        lists[entry].first_node = layout.written + 1;
        for (std::int32_t n = 0; n < count; ++n) {
          const std::int32_t slot = ++layout.written;
          layout.packed[slot] = {layout.scratch[n].constraint, n + 1 < count ? slot + 1 : 0};
          layout.bounds[slot] = layout.scratch[n].bound;
        }
      }
    }
  }
}

int NestedGrid::lay_out_lists() noexcept {
  std::int64_t live = 0;
  std::int32_t longest = 0;
  for (std::int32_t list = 1; list <= list_count; ++list) {
    live += lists[list].count;
    longest = std::max(longest, lists[list].count);
  }
  Block<ListNode> packed(allocate_array<ListNode>(static_cast<std::size_t>(live) + 1));
  Block<float> bounds(allocate_array<float>(static_cast<std::size_t>(live) + 1));
  Block<BoundedNode> scratch(allocate_array<BoundedNode>(static_cast<std::size_t>(longest) + 1));
  if (packed == nullptr || bounds == nullptr || scratch == nullptr)
    return GRIDLUME_STATUS_NO_MEMORY;
  packed.get()[0] = {0, 0};
  bounds.get()[0] = 0.0f;
  ListLayout layout{packed.get(), bounds.get(), scratch.get(), 0};
  if (grid_count > 0) {
    constexpr double everywhere = std::numeric_limits<double>::infinity();
    lay_out_grid(0, {{-everywhere, -everywhere, -everywhere}, {everywhere, everywhere, everywhere}},
                 &layout);
  }
  gridlume_free(nodes);
  gridlume_free(node_bounds);
  nodes = packed.release();
  node_bounds = bounds.release();
  node_count = layout.written;
  node_capacity = layout.written + 1;
  return GRIDLUME_STATUS_OK;
}

}  // namespace gridlume
