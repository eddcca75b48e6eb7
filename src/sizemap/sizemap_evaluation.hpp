// The evaluation data a generated size map owns: the defaults, copies of the
// shape constraints and the nested grid that finds the constraints near a
// point. Evaluation only reads it and keeps its traversal state on the
// caller's stack, so one size map may be evaluated from several threads.
#pragma once

#include <cstdint>

#include "gridlume/common.h"
#include "sizemap/constraint.hpp"
#include "sizemap/nested_grid.hpp"

namespace gridlume {

// The tolerance of the point queries, as a fraction of the box diagonal.
inline constexpr double query_tolerance_fraction = 0.0003;
// Levels of the traversal stack kept on the caller's stack; a deeper grid
// makes the traversal allocate.
inline constexpr int traversal_stack_levels = 14;
// The metric of a zero or negative size.
inline constexpr double smallest_metric = 1e-12;

struct EvaluationData {
  gridlume_context *context = nullptr;
  Vector3 box_minimum{};
  Vector3 box_maximum{};
  double tolerance = 0.0;
  double default_size = 0.0;
  double gradation = 0.0;
  double log_gradation = 1.0;
  std::int32_t constraint_count = 0;
  Constraint *constraints = nullptr;  // constraint n at index n - 1
  NestedGrid grid;

  EvaluationData() = default;
  EvaluationData(const EvaluationData &) = delete;
  EvaluationData &operator=(const EvaluationData &) = delete;
  ~EvaluationData();
};

// Builds the evaluation data of a list of constraints over a box: the
// defaults (the last of each kind wins), copies of the shapes and the nested
// grid. nullptr when memory fails; nothing then stays allocated.
EvaluationData *build_evaluation_data(gridlume_context *context, const Box &box,
                                      const Constraint *first) noexcept;
void delete_evaluation_data(void *data) noexcept;
// Builds the nested grid of evaluation data whose defaults and constraint
// copies are in place: the root grid over the data's box, every constraint
// inserted over its influence box, the lists laid out for reading. 0 or -5.
int populate_grid(EvaluationData &data) noexcept;

// How far the influence of a constraint reaches beyond its shape: (h0 - s) / λ
// with a gradation and a size below the default, else 0.
double influence_margin(const EvaluationData &data, double size) noexcept;

// The size at x; 0, or -5 when a traversal deeper than its fixed stack cannot
// get memory (the size found so far is still written).
int evaluate_size(const EvaluationData &data, const Vector3 &x, double *size) noexcept;
// The isotropic metric of a size, lower triangle row by row.
void size_to_metric(double size, double metric[6]) noexcept;

}  // namespace gridlume

namespace gridlume {

// The functions of the generated size maps, point types 7 (a size) and 9 (a
// metric), over evaluation data given as user data. -1 for a NULL argument.
int point_size_function(const double *xyz, double *size, void *data) noexcept;
int point_metric_function(const double *xyz, double *metric, void *data) noexcept;

}  // namespace gridlume
