// The nested grid of the size map creator: a uniform grid over the creator's
// box whose cells list the constraints that may influence a point inside them;
// a cell whose list grows past the split threshold is replaced by a finer grid
// over the cell, down to a fixed depth.
//
// A cell entry is 0 when empty, a list header number 1..largest_list_number,
// or sub_grid_reference_base - k for sub-grid number k (the root is grid 0).
// Headers and nodes are numbered from 1; number 0 ends a list.
#pragma once

#include <cstdint>

#include "gridlume/common.h"
#include "sizemap/constraint.hpp"

namespace gridlume {

struct EvaluationData;

inline constexpr std::int32_t largest_list_number = 0x3fffffff;
inline constexpr std::int32_t sub_grid_reference_base = 0x7fffffff;
inline constexpr std::int32_t root_cell_target = 125000;
inline constexpr std::int32_t sub_grid_cell_target = 64;
inline constexpr std::int32_t split_threshold = 41;
inline constexpr std::int32_t maximum_split_depth = 3;
// A dimension is flat, and gets a single cell, when its extent is at most this
// fraction of the largest one.
inline constexpr double flat_extent_fraction = 0.001;
// Growth of the grid, header and node arrays when full: capacity * 1.2 + 11.
inline constexpr double array_growth_factor = 1.2;
inline constexpr std::int32_t array_growth_step = 11;

struct Box {
  Vector3 minimum;
  Vector3 maximum;
};

struct Grid {
  Vector3 origin;
  Vector3 extent;  // the size of the grid's box, so a cell's box is known exactly
  double cells_per_unit[3];
  std::int32_t cell_counts[3];  // nx, ny, nz
  std::int32_t cell_total;
  std::int32_t *cells;
};

struct CellList {
  std::int32_t count;
  std::int32_t first_node;
};

struct ListNode {
  std::int32_t constraint;
  std::int32_t next;
};

struct NestedGrid {
  Grid *grids = nullptr;
  CellList *lists = nullptr;
  ListNode *nodes = nullptr;
  // Once the lists are laid out: for each node, a lower bound of the size its
  // constraint can give anywhere in its cell, each list sorted by it, so that
  // a graded evaluation stops at the first bound not below the size found.
  float *node_bounds = nullptr;
  const EvaluationData *owner = nullptr;
  std::int32_t grid_count = 0;
  std::int32_t grid_capacity = 0;
  std::int32_t list_count = 0;
  std::int32_t list_capacity = 0;
  std::int32_t node_count = 0;
  std::int32_t node_capacity = 0;
  std::int32_t largest_list = largest_list_number;
  std::int32_t root_target = root_cell_target;
  std::int32_t constraint_count = 0;
  std::int32_t sub_grid_target = sub_grid_cell_target;
  std::int32_t split_count = split_threshold;
  std::int32_t maximum_depth = maximum_split_depth;

  NestedGrid() = default;
  NestedGrid(const NestedGrid &) = delete;
  NestedGrid &operator=(const NestedGrid &) = delete;
  ~NestedGrid() { release(); }

  void release() noexcept;
  // Sets up the root grid (number 0) over the box; 0 or -5.
  int create_root(const Box &box) noexcept;
  // Registers constraint `number` in every cell of grid `grid` that `box`
  // overlaps, splitting crowded cells; 0 or -5.
  int insert(std::int32_t number, const Box &box, std::int32_t grid, std::int32_t depth) noexcept;
  // Lays every list's nodes out one after the other, sorted by their bounds,
  // so that evaluation reads them sequentially; a list holds the same
  // constraints as before. 0 or -5.
  int lay_out_lists() noexcept;

  static bool is_sub_grid(std::int32_t entry) noexcept { return entry > largest_list_number; }
  static std::int32_t sub_grid_number(std::int32_t entry) noexcept {
    return sub_grid_reference_base - entry;
  }

 private:
  int append_grid(const Box &box, std::int32_t target, std::int32_t *number) noexcept;
  int add_to_cell(std::int32_t number, std::int32_t grid, std::int32_t cell) noexcept;
  int split_cell(std::int32_t grid, std::int32_t cell, std::int32_t depth) noexcept;
  void lay_out_grid(std::int32_t number, const Box &region, void *layout_state) noexcept;
};

// The box of constraint `number` enlarged by its influence margin
// (sizemap_evaluation.cpp).
Box influence_box(const EvaluationData &data, std::int32_t number) noexcept;

// A lower bound, valid for every point whose query box meets `cell`, of the
// size constraint `number` gives (sizemap_evaluation.cpp).
float size_bound(const EvaluationData &data, std::int32_t number, const Box &cell) noexcept;

// Cell counts of a grid over `box` aiming at `target` cells: the cell length
// makes the active (non-flat) dimensions hold about `target` cubic cells, then
// every count shrinks by one until their product is at most `target`.
void grid_cell_counts(const Box &box, std::int32_t target, std::int32_t counts[3]) noexcept;
// Cell index of a coordinate along one axis, clamped to [0, count - 1].
std::int32_t cell_index(const Grid &grid, int axis, double coordinate) noexcept;
inline std::int32_t cell_number(const Grid &grid, std::int32_t i, std::int32_t j,
                                std::int32_t k) noexcept {
  return (i * grid.cell_counts[1] + j) * grid.cell_counts[2] + k;
}
// The box of a cell of the grid.
Box cell_box(const Grid &grid, std::int32_t i, std::int32_t j, std::int32_t k) noexcept;

}  // namespace gridlume
