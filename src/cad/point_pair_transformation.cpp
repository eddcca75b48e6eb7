// The transformation of space that carries one list of points onto another:
// a translation from one or two pairs, a linear map between the pairs'
// direction frames from three or more.
#include "cad/point_pair_transformation.hpp"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/allocator.hpp"

namespace gridlume {
namespace {

using Direction3 = std::array<double, 3>;
using Matrix3 = std::array<std::array<double, 3>, 3>;  // [row][column]

// Two pairs describe a translation when their displacements differ by at
// most this fraction of the second displacement.
constexpr double translation_tolerance = 0.001;
// Corresponding lengths may differ by this fraction of the larger one.
constexpr double length_tolerance = 0.08;
// Three points are refused as nearly collinear beyond this |cosine|.
constexpr double collinear_cosine_limit = 0.99;
// The angles of the two triangles may differ by this much in |cosine|.
constexpr double cosine_difference_limit = 0.2;
// Four points are refused as nearly coplanar below this |det| of their
// unit directions.
constexpr double coplanar_determinant_limit = 0.02;
// The frames of the two tetrahedra may differ by this much in |det|.
constexpr double determinant_difference_limit = 0.2;
// Only the first four pairs of a longer list are used.
constexpr int frame_point_count = 4;

Direction3 point(const double *points, int k) {
  return {points[3 * k], points[3 * k + 1], points[3 * k + 2]};
}
Direction3 minus(const Direction3 &a, const Direction3 &b) {
  return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
double dot(const Direction3 &a, const Direction3 &b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
double length(const Direction3 &a) { return std::hypot(a[0], a[1], a[2]); }
Direction3 cross(const Direction3 &a, const Direction3 &b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
Direction3 scaled(const Direction3 &a, double s) { return {a[0] * s, a[1] * s, a[2] * s}; }
double determinant(const Direction3 &a, const Direction3 &b, const Direction3 &c) {
  return dot(a, cross(b, c));
}

bool lengths_differ(double a, double b) {
  return std::fabs(a - b) > length_tolerance * std::max(a, b);
}

// The unit direction from the first point to point k of each list, with the
// two lengths; false when a length is exactly 0 or the lengths differ too
// much.
bool pair_directions(const double *source, const double *target, int k, Direction3 &a,
                     Direction3 &b) {
  Direction3 from = minus(point(source, k), point(source, 0));
  Direction3 to = minus(point(target, k), point(target, 0));
  double from_length = length(from), to_length = length(to);
  if (from_length == 0 || to_length == 0 || lengths_differ(from_length, to_length)) return false;
  a = scaled(from, 1 / from_length);
  b = scaled(to, 1 / to_length);
  return true;
}

// Solves A x = rhs by Gaussian elimination with partial pivoting; false for
// a zero pivot.
bool solve(Matrix3 a, Direction3 rhs, Direction3 &x) {
  for (int column = 0; column < 3; ++column) {
    int pivot = column;
    for (int row = column + 1; row < 3; ++row)
      if (std::fabs(a[row][column]) > std::fabs(a[pivot][column])) pivot = row;
    if (a[pivot][column] == 0) return false;
    std::swap(a[pivot], a[column]);
    std::swap(rhs[pivot], rhs[column]);
    for (int row = column + 1; row < 3; ++row) {
      double factor = a[row][column] / a[column][column];
      for (int k = column; k < 3; ++k) a[row][k] -= factor * a[column][k];
      rhs[row] -= factor * rhs[column];
    }
  }
  for (int row = 2; row >= 0; --row) {
    double sum = rhs[row];
    for (int k = row + 1; k < 3; ++k) sum -= a[row][k] * x[k];
    x[row] = sum / a[row][row];
  }
  return true;
}

// M with M a_k = b_k: M = B A^-1, A^-1 found column by column.
bool frame_map(const std::array<Direction3, 3> &a, const std::array<Direction3, 3> &b,
               double *matrix) {
  Matrix3 columns_a{}, inverse{};
  for (int row = 0; row < 3; ++row)
    for (int k = 0; k < 3; ++k) columns_a[row][k] = a[k][row];
  for (int k = 0; k < 3; ++k) {
    Direction3 unit{}, x{};
    unit[k] = 1;
    if (!solve(columns_a, unit, x)) return false;
    for (int row = 0; row < 3; ++row) inverse[row][k] = x[row];
  }
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 3; ++column) {
      double sum = 0;
      for (int k = 0; k < 3; ++k) sum += b[k][row] * inverse[k][column];
      matrix[3 * row + column] = sum;
    }
  return true;
}

bool two_pair_translation(const double *source, const double *target) {
  Direction3 move0 = minus(point(target, 0), point(source, 0));
  Direction3 move1 = minus(point(target, 1), point(source, 1));
  return length(minus(move0, move1)) <= translation_tolerance * length(move1);
}

bool three_pair_frames(const double *source, const double *target, std::array<Direction3, 3> &a,
                       std::array<Direction3, 3> &b) {
  if (!pair_directions(source, target, 1, a[0], b[0]) ||
      !pair_directions(source, target, 2, a[1], b[1]))
    return false;
  double cosine_a = std::fabs(dot(a[0], a[1])), cosine_b = std::fabs(dot(b[0], b[1]));
  if (cosine_a > collinear_cosine_limit || cosine_b > collinear_cosine_limit) return false;
  if (std::fabs(cosine_a - cosine_b) > cosine_difference_limit) return false;
  Direction3 normal_a = cross(a[0], a[1]), normal_b = cross(b[0], b[1]);
  a[2] = scaled(normal_a, 1 / length(normal_a));
  b[2] = scaled(normal_b, 1 / length(normal_b));
  return true;
}

bool four_pair_frames(const double *source, const double *target, std::array<Direction3, 3> &a,
                      std::array<Direction3, 3> &b) {
  for (int k = 1; k < frame_point_count; ++k)
    if (!pair_directions(source, target, k, a[k - 1], b[k - 1])) return false;
  double det_a = std::fabs(determinant(a[0], a[1], a[2]));
  double det_b = std::fabs(determinant(b[0], b[1], b[2]));
  if (det_a < coplanar_determinant_limit || det_b < coplanar_determinant_limit) return false;
  return std::fabs(det_a - det_b) <= determinant_difference_limit;
}

void set_identity(ComputedTransformation &transformation) {
  transformation = {};
  transformation.matrix[0] = transformation.matrix[4] = transformation.matrix[8] = 1;
}

}  // namespace

int apply_computed_transformation(const double *xyz_in, double *xyz_out, void *data) {
  const auto *transformation = static_cast<const ComputedTransformation *>(data);
  double relative[3];
  for (int k = 0; k < 3; ++k) relative[k] = xyz_in[k] - transformation->source_origin[k];
  for (int row = 0; row < 3; ++row) {
    const double *m = transformation->matrix + 3 * row;
    xyz_out[row] = m[0] * relative[0] + m[1] * relative[1] + m[2] * relative[2] +
                   transformation->target_origin[row];
  }
  return GRIDLUME_STATUS_OK;
}

ComputedTransformation *new_identity_transformation() noexcept {
  auto *transformation = create<ComputedTransformation>();
  if (transformation != nullptr) set_identity(*transformation);
  return transformation;
}

int transformation_from_point_pairs(const double *source, int source_count, const double *target,
                                    int target_count,
                                    ComputedTransformation &transformation) noexcept {
  set_identity(transformation);
  if (source_count != target_count || source_count < 1 || source == nullptr || target == nullptr)
    return GRIDLUME_STATUS_ERROR;
  ComputedTransformation result;
  set_identity(result);
  if (source_count == 2 && !two_pair_translation(source, target)) return GRIDLUME_STATUS_ERROR;
  if (source_count >= 3) {
    std::array<Direction3, 3> a{}, b{};
    bool accepted = source_count == 3 ? three_pair_frames(source, target, a, b)
                                      : four_pair_frames(source, target, a, b);
    if (!accepted || !frame_map(a, b, result.matrix)) return GRIDLUME_STATUS_ERROR;
  }
  for (int k = 0; k < 3; ++k) {
    result.source_origin[k] = source[k];
    result.target_origin[k] = target[k];
  }
  transformation = result;
  return GRIDLUME_STATUS_OK;
}

int compute_entry_transformation(PeriodicityRecord &entry, const double *source, int source_count,
                                 const double *target, int target_count) noexcept {
  entry.transformation = nullptr;
  int status =
      transformation_from_point_pairs(source, source_count, target, target_count,
                                      *static_cast<ComputedTransformation *>(entry.user_data));
  if (status == GRIDLUME_STATUS_OK) entry.transformation = apply_computed_transformation;
  return status;
}

}  // namespace gridlume
