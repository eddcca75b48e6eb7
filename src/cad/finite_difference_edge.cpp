// Edges whose curve function computes only uv: the library supplies the
// derivatives by finite differences.
#include <algorithm>

#include "cad/derived.hpp"

namespace gridlume {
namespace {

// The step is a thousandth of the range, at least 1e-7.
constexpr double step_fraction = 0.001;
constexpr double minimum_step = 1e-7;

struct FiniteDifferenceRecord {
  gridlume_cad_curve_function curve;
  void *user_data;
  double step;
  double tmin;
  double tmax;
};

// output = (f(s0) * w0 + f(s1) * w1 + f(s2) * w2) / divisor over the samples
// with a non-zero weight; the first failing call of f gives its status.
struct Stencil {
  double parameters[3];
  double weights[3];
  double divisor;
};

int apply(const FiniteDifferenceRecord &record, const Stencil &stencil, double *output) {
  double sum[2] = {0.0, 0.0};
  for (int s = 0; s < 3; ++s) {
    if (stencil.weights[s] == 0.0) continue;
    double uv[2] = {0.0, 0.0};
    int status = record.curve(stencil.parameters[s], uv, nullptr, nullptr, record.user_data);
    if (status != GRIDLUME_STATUS_OK) return status;
    sum[0] += stencil.weights[s] * uv[0];
    sum[1] += stencil.weights[s] * uv[1];
  }
  output[0] = sum[0] / stencil.divisor;
  output[1] = sum[1] / stencil.divisor;
  return GRIDLUME_STATUS_OK;
}

bool inside(const FiniteDifferenceRecord &record, double low, double high) {
  return low >= record.tmin && high <= record.tmax;
}

// Centred when [t - h, t + h] lies in the range, else one-sided forward,
// else backward; -1 (output 0) when no stencil fits.
int second_derivative(const FiniteDifferenceRecord &record, double t, double *dtt) {
  const double h = record.step;
  const double h2 = h * h;
  if (inside(record, t - h, t + h))
    return apply(record, {{t + h, t, t - h}, {1.0, -2.0, 1.0}, h2}, dtt);
  if (t + 2 * h <= record.tmax)
    return apply(record, {{t + 2 * h, t + h, t}, {1.0, -2.0, 1.0}, h2}, dtt);
  if (t - 2 * h >= record.tmin)
    return apply(record, {{t - 2 * h, t - h, t}, {1.0, -2.0, 1.0}, h2}, dtt);
  dtt[0] = dtt[1] = 0.0;
  return GRIDLUME_STATUS_ERROR;
}

int first_derivative(const FiniteDifferenceRecord &record, double t, double *dt) {
  const double h = record.step;
  const double half = h / 2;
  if (inside(record, t - half, t + half))
    return apply(record, {{t + half, t - half, t}, {1.0, -1.0, 0.0}, h}, dt);
  if (t + h <= record.tmax) return apply(record, {{t + h, t, t}, {1.0, -1.0, 0.0}, h}, dt);
  if (t - h >= record.tmin) return apply(record, {{t, t - h, t}, {1.0, -1.0, 0.0}, h}, dt);
  dt[0] = dt[1] = 0.0;
  return GRIDLUME_STATUS_ERROR;
}

int finite_difference_curve(double t, double *uv, double *dt, double *dtt, void *data) {
  const auto &record = *static_cast<const FiniteDifferenceRecord *>(data);
  if (dtt != nullptr) {
    int status = second_derivative(record, t, dtt);
    if (status != GRIDLUME_STATUS_OK) return status;
  }
  if (dt != nullptr) {
    int status = first_derivative(record, t, dt);
    if (status != GRIDLUME_STATUS_OK) return status;
  }
  if (uv != nullptr) return record.curve(t, uv, nullptr, nullptr, record.user_data);
  return GRIDLUME_STATUS_OK;
}

}  // namespace

gridlume_cad_edge *finish_derived_edge(gridlume_cad_edge *edge,
                                       gridlume_cad_face *face) noexcept {
  if (face != nullptr && attach_edge(edge, face) != GRIDLUME_STATUS_OK) return abandon(edge);
  return edge;
}

}  // namespace gridlume

extern "C" {

gridlume_cad_edge *gridlume_cad_edge_new0(gridlume_cad_face *face, int id, double tmin,
                                          double tmax, gridlume_cad_curve_function curve,
                                          void *user_data) {
  using gridlume::FiniteDifferenceRecord;
  if (face == nullptr || curve == nullptr || face->discrete_definition != nullptr) return nullptr;
  auto *record = gridlume::create<FiniteDifferenceRecord>();
  if (record == nullptr) return nullptr;
  *record = {curve, user_data,
             std::max((tmax - tmin) * gridlume::step_fraction, gridlume::minimum_step), tmin,
             tmax};
  gridlume_cad_edge *edge = gridlume::new_standalone_edge(
      id, tmin, tmax, gridlume::finite_difference_curve, record);
  if (edge == nullptr) {
    gridlume_free(record);
    return nullptr;
  }
  // The record shares the caller's user data, which the library never frees.
  edge->delete_function = gridlume_cad_free_generic_buffer;
  edge->clone_function = gridlume::copy_record<FiniteDifferenceRecord>;
  edge->flags |= gridlume::edge_approximated_derivatives_bit;
  return gridlume::finish_derived_edge(edge, face);
}

}  // extern "C"
