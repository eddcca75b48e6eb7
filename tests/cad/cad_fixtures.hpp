// Geometry and bookkeeping shared by the cad tests: a quadratic surface, a
// line and a cubic curve in the parameter plane, a helix wire, callbacks
// that count their calls or fail, and a live-block probe to tell whether a
// cad was destroyed.
#pragma once

#include <gtest/gtest.h>

#include <array>

#include "gridlume_stubs.h"
#include "support/test_helpers.hpp"

namespace cad_test {

// Counts the calls of a callback and answers a chosen status.
struct Probe {
  int calls = 0;
  int status = 0;
};

// Counts a call on the probe the user data points to, if any, and answers
// the probe's status.
inline int counted_call(void *data) {
  auto *probe = static_cast<Probe *>(data);
  if (probe == nullptr) return 0;
  ++probe->calls;
  return probe->status;
}

// S(u, v) = (u, v, u^2 + uv + 2v^2).
inline int quadratic_surface(const double *uv, double *xyz, double *du, double *dv, double *duu,
                             double *duv, double *dvv, void *data) {
  if (int status = counted_call(data); status != 0) return status;
  const double u = uv[0], v = uv[1];
  if (xyz != nullptr) xyz[0] = u, xyz[1] = v, xyz[2] = u * u + u * v + 2 * v * v;
  if (du != nullptr) du[0] = 1, du[1] = 0, du[2] = 2 * u + v;
  if (dv != nullptr) dv[0] = 0, dv[1] = 1, dv[2] = u + 4 * v;
  if (duu != nullptr) duu[2] = 2;
  if (duv != nullptr) duv[2] = 1;
  if (dvv != nullptr) dvv[2] = 4;
  return 0;
}

// uv(t) = (t, 2t), with its derivatives.
inline int line_curve(double t, double *uv, double *dt, double *dtt, void *data) {
  if (int status = counted_call(data); status != 0) return status;
  if (uv != nullptr) uv[0] = t, uv[1] = 2 * t;
  if (dt != nullptr) dt[0] = 1, dt[1] = 2;
  if (dtt != nullptr) dtt[0] = dtt[1] = 0;
  return 0;
}

// uv(t) = (t^2, t^3), position only (for finite-difference edges).
inline int power_curve(double t, double *uv, double *dt, double *dtt, void *data) {
  if (int status = counted_call(data); status != 0) return status;
  EXPECT_EQ(dt, nullptr);
  EXPECT_EQ(dtt, nullptr);
  if (uv != nullptr) uv[0] = t * t, uv[1] = t * t * t;
  return 0;
}

// xyz(t) = (t, 2t, 3t).
inline int straight_wire(double t, double *xyz, double *dt, double *dtt, void *data) {
  if (int status = counted_call(data); status != 0) return status;
  if (xyz != nullptr) xyz[0] = t, xyz[1] = 2 * t, xyz[2] = 3 * t;
  if (dt != nullptr) dt[0] = 1, dt[1] = 2, dt[2] = 3;
  if (dtt != nullptr) dtt[0] = dtt[1] = dtt[2] = 0;
  return 0;
}

// Blocks of the allocator layer alive now: a cad and everything it holds are
// gone when the count is back to what it was before the cad was made (its
// context attachment included).
inline long live_blocks() { return gridlume_stubs_live_block_count(); }

using Pair = std::array<double, 2>;
using Triple = std::array<double, 3>;

inline Pair curve_uv(gridlume_cad_edge *edge, double t) {
  Pair uv{};
  EXPECT_EQ(gridlume_cad_edge_curve(edge, t, uv.data(), nullptr, nullptr), 0);
  return uv;
}

}  // namespace cad_test
