// Generation of the evaluation data and the evaluation of a size at a point.
#include "sizemap/sizemap_evaluation.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/allocator.hpp"

namespace gridlume {
namespace {

// Relative widening of the squared reach of a sphere: far above the rounding
// of the reach and of the squared distance.
constexpr double sphere_reach_widening = 1.0 + 1e-9;
// The same margin for the bounds of the cell lists.
constexpr double bound_lowering = 1.0 - 1e-9;
// Relative rounding allowed on a cell boundary.
constexpr double coordinate_rounding = 1e-12;

struct TraversalFrame {
  std::int32_t grid;
  std::int32_t low[3];
  std::int32_t high[3];
  std::int32_t i, j, k;
};

TraversalFrame frame_over(const Grid &grid, std::int32_t number, const Vector3 &low,
                          const Vector3 &high) {
  TraversalFrame frame;
  frame.grid = number;
  frame.low[0] = cell_index(grid, 0, low.x);
  frame.low[1] = cell_index(grid, 1, low.y);
  frame.low[2] = cell_index(grid, 2, low.z);
  frame.high[0] = cell_index(grid, 0, high.x);
  frame.high[1] = cell_index(grid, 1, high.y);
  frame.high[2] = cell_index(grid, 2, high.z);
  frame.i = frame.low[0];
  frame.j = frame.low[1];
  frame.k = frame.low[2];
  return frame;
}

void advance(TraversalFrame &frame) {
  if (++frame.k <= frame.high[2]) return;
  frame.k = frame.low[2];
  if (++frame.j <= frame.high[1]) return;
  frame.j = frame.low[1];
  ++frame.i;
}

// The running answer of one evaluation.
struct SizeSearch {
  double size;
  bool covered;
};

void visit_list(const EvaluationData &data, const CellList &list, const Vector3 &x,
                SizeSearch &search) {
  const ListNode *nodes = data.grid.nodes;
  const Constraint *constraints = data.constraints;
  const double slope = data.log_gradation;
  if (data.gradation > 0.0) {
    // With a non-negative slope a constraint never lowers the size below its
    // own, so one at least as large as the size found cannot change it.
    const bool growing = slope >= 0.0;
    const double reciprocal_slope = slope > 0.0 ? 1.0 / slope : 0.0;
    double size_found = search.size;
    const float *bounds = data.grid.node_bounds;
    for (std::int32_t node = list.first_node; node != 0; node = nodes[node].next) {
      // The list runs by increasing bound: once a bound reaches the size
      // found, no later constraint of the cell can lower it.
      if (slope > 0.0 && bounds[node] >= size_found) break;
      const Constraint &constraint = constraints[nodes[node].constraint - 1];
      const double size = constraint.value;
      if (!(size > 0.0) || (growing && size >= size_found)) continue;
      if (constraint.type == ConstraintType::sphere && slope > 0.0) {
        // A sphere lowers the size only within (h - s) / slope of its
        // surface; the square root is taken for those alone. The reach is
        // widened a little so that rounding never skips a sphere the direct
        // formula would count.
        const SphereShape &sphere = constraint.sphere;
        const double squared = geometry::squared_norm(x - sphere.centre);
        const double reach = (size_found - size) * reciprocal_slope + sphere.radius;
        if (squared > reach * reach * sphere_reach_widening) continue;
        // Inside the sphere the size is its own: s + 0 * slope.
        const double beyond = std::max(std::sqrt(squared) - sphere.radius, 0.0);
        size_found = std::min(size_found, size + beyond * slope);
        continue;
      }
      const ShapeDistance where = shape_distance(constraint, x);
      size_found = std::min(size_found, where.inside ? size : size + where.distance * slope);
    }
    search.size = size_found;
    return;
  }
  for (std::int32_t node = list.first_node; node != 0; node = nodes[node].next) {
    const Constraint &constraint = constraints[nodes[node].constraint - 1];
    if (!shape_distance(constraint, x).inside) continue;
    search.covered = true;
    if (constraint.value > 0.0) search.size = std::min(search.size, constraint.value);
  }
}

}  // namespace

EvaluationData::~EvaluationData() { gridlume_free(constraints); }

double influence_margin(const EvaluationData &data, double size) noexcept {
  const double excess = data.default_size - size;
  if (data.gradation > 0.0 && excess > 0.0 && data.log_gradation > 0.0)
    return excess / data.log_gradation;
  return 0.0;
}

Box influence_box(const EvaluationData &data, std::int32_t number) noexcept {
  const Constraint &constraint = data.constraints[number - 1];
  const double margin = influence_margin(data, constraint.value);
  const Vector3 shift{margin, margin, margin};
  return {constraint.box_minimum - shift, constraint.box_maximum + shift};
}

float size_bound(const EvaluationData &data, std::int32_t number, const Box &cell) noexcept {
  const Constraint &constraint = data.constraints[number - 1];
  const double size = constraint.value;
  // Constraints without a size are never used by a graded evaluation; the
  // bounds only serve a slope above 0.
  if (!(size > 0.0)) return std::numeric_limits<float>::infinity();
  if (!(data.log_gradation > 0.0)) return -std::numeric_limits<float>::infinity();
  // The query box of a point reaching into the cell lies within the cell
  // widened by the tolerance, and by the rounding of cell boundaries far from
  // the origin; the shape lies within its own box.
  const auto gap = [&](double cell_low, double cell_high, double shape_low, double shape_high) {
    const double reach =
        data.tolerance + coordinate_rounding * (std::abs(cell_low) + std::abs(cell_high));
    return std::max({shape_low - (cell_high + reach), (cell_low - reach) - shape_high, 0.0});
  };
  const double dx =
      gap(cell.minimum.x, cell.maximum.x, constraint.box_minimum.x, constraint.box_maximum.x);
  const double dy =
      gap(cell.minimum.y, cell.maximum.y, constraint.box_minimum.y, constraint.box_maximum.y);
  const double dz =
      gap(cell.minimum.z, cell.maximum.z, constraint.box_minimum.z, constraint.box_maximum.z);
  // Lowered a little and rounded down to a float, so that rounding never
  // makes the bound exceed the size the constraint gives.
  const double bound =
      (size + std::sqrt(dx * dx + dy * dy + dz * dz) * data.log_gradation) * bound_lowering;
  // A shape with coordinates that are not numbers gets no bound, so the
  // lists stay ordered.
  if (std::isnan(bound)) return -std::numeric_limits<float>::infinity();
  const auto narrow = static_cast<float>(bound);
  return narrow > bound ? std::nextafter(narrow, -std::numeric_limits<float>::infinity()) : narrow;
}

EvaluationData *build_evaluation_data(gridlume_context *context, const Box &box,
                                      const Constraint *first) noexcept {
  auto *data = create<EvaluationData>();
  if (data == nullptr) return nullptr;
  data->context = context;
  data->box_minimum = box.minimum;
  data->box_maximum = box.maximum;
  data->tolerance = query_tolerance_fraction * geometry::norm(box.maximum - box.minimum);
  std::int32_t shape_count = 0;
  for (const Constraint *c = first; c != nullptr; c = c->next) {
    if (c->type == ConstraintType::default_size) {
      data->default_size = c->value;
    } else if (c->type == ConstraintType::default_gradation) {
      data->gradation = c->value;
      data->log_gradation = c->value > 0.0 ? std::log(c->value) : 1.0;
    } else {
      ++shape_count;
    }
  }
  if (shape_count > 0) {
    data->constraints = allocate_array<Constraint>(static_cast<std::size_t>(shape_count));
    if (data->constraints == nullptr) {
      destroy(data);
      return nullptr;
    }
  }
  for (const Constraint *c = first; c != nullptr; c = c->next) {
    if (c->type == ConstraintType::default_size || c->type == ConstraintType::default_gradation)
      continue;
    data->constraints[data->constraint_count] = *c;
    data->constraints[data->constraint_count].next = nullptr;
    ++data->constraint_count;
  }
  if (populate_grid(*data) != GRIDLUME_STATUS_OK) {
    destroy(data);
    return nullptr;
  }
  return data;
}

int populate_grid(EvaluationData &data) noexcept {
  NestedGrid &grid = data.grid;
  grid.owner = &data;
  grid.constraint_count = data.constraint_count;
  if (grid.create_root({data.box_minimum, data.box_maximum}) != GRIDLUME_STATUS_OK)
    return GRIDLUME_STATUS_NO_MEMORY;
  for (std::int32_t number = 1; number <= data.constraint_count; ++number)
    if (grid.insert(number, influence_box(data, number), 0, 0) != GRIDLUME_STATUS_OK)
      return GRIDLUME_STATUS_NO_MEMORY;
  return grid.lay_out_lists();
}

void delete_evaluation_data(void *data) noexcept { destroy(static_cast<EvaluationData *>(data)); }

int evaluate_size(const EvaluationData &data, const Vector3 &x, double *size) noexcept {
  const NestedGrid &grid = data.grid;
  SizeSearch search{data.gradation > 0.0 ? data.default_size : geometry::infinity, false};
  const Vector3 reach{data.tolerance, data.tolerance, data.tolerance};
  const Vector3 low = x - reach, high = x + reach;
  int status = GRIDLUME_STATUS_OK;
  TraversalFrame fixed_stack[traversal_stack_levels];
  TraversalFrame *stack = fixed_stack;
  int capacity = traversal_stack_levels;
  int depth = 0;
  if (grid.grid_count > 0) stack[depth++] = frame_over(grid.grids[0], 0, low, high);
  while (depth > 0) {
    TraversalFrame &frame = stack[depth - 1];
    if (frame.i > frame.high[0]) {
      --depth;
      continue;
    }
    const Grid &current = grid.grids[frame.grid];
    const std::int32_t entry = current.cells[cell_number(current, frame.i, frame.j, frame.k)];
    advance(frame);
    if (entry == 0) continue;
    if (!NestedGrid::is_sub_grid(entry)) {
      visit_list(data, grid.lists[entry], x, search);
      continue;
    }
    if (depth == capacity) {
      // Only a grid deeper than the split depth gets here.
      auto *deeper = allocate_array<TraversalFrame>(2 * static_cast<std::size_t>(capacity));
      if (deeper == nullptr) {
        status = GRIDLUME_STATUS_NO_MEMORY;
        break;
      }
      std::copy(stack, stack + depth, deeper);
      if (stack != fixed_stack) gridlume_free(stack);
      stack = deeper;
      capacity *= 2;
    }
    const std::int32_t sub_grid = NestedGrid::sub_grid_number(entry);
    stack[depth++] = frame_over(grid.grids[sub_grid], sub_grid, low, high);
  }
  if (stack != fixed_stack) gridlume_free(stack);
  if (data.gradation <= 0.0 && !search.covered) search.size = data.default_size;
  *size = search.size;
  return status;
}

void size_to_metric(double size, double metric[6]) noexcept {
  const double m = size > 0.0 ? 1.0 / (size * size) : smallest_metric;
  metric[0] = m;
  metric[1] = 0.0;
  metric[2] = m;
  metric[3] = 0.0;
  metric[4] = 0.0;
  metric[5] = m;
}

int point_size_function(const double *xyz, double *size, void *data) noexcept {
  if (xyz == nullptr || size == nullptr || data == nullptr) return GRIDLUME_STATUS_ERROR;
  return evaluate_size(*static_cast<const EvaluationData *>(data), {xyz[0], xyz[1], xyz[2]}, size);
}

int point_metric_function(const double *xyz, double *metric, void *data) noexcept {
  if (xyz == nullptr || metric == nullptr || data == nullptr) return GRIDLUME_STATUS_ERROR;
  double size = 0.0;
  const int status =
      evaluate_size(*static_cast<const EvaluationData *>(data), {xyz[0], xyz[1], xyz[2]}, &size);
  size_to_metric(size, metric);
  return status;
}

}  // namespace gridlume
