// Support vertices of a wire that has neither a record nor a function:
// samples of its curve, refined where probes find it bending. The probes
// draw from the standard pseudo-random generator, seeded from the group and
// the cad's wire count, so that the same wire always gives the same points.
#include "cad/wire_sampling.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "cad/cad.hpp"
#include "cad/objects.hpp"
#include "core/allocator.hpp"

namespace gridlume {
namespace {

constexpr int sample_count = 170;
constexpr int group_count = 10;
constexpr int group_size = 17;
constexpr int probes_per_group = 3;
// A probe draws the sample of its group at this modulus of its first draw.
constexpr int probe_modulus = 16;
// The smallest parameter gap considered, relative to the range.
constexpr double smallest_gap_fraction = 8e-5;
// A failing evaluation is retried shifted by a first shift (relative to the
// sampling step) that grows tenfold, this many times.
constexpr int evaluation_retries = 4;
constexpr double first_shift_fraction = 1e-5;
constexpr double shift_growth = 10;
// Midpoints are tried at these fractions of their interval, in order.
constexpr double midpoint_fractions[] = {0.5, 0.55, 0.6, 0.65, 0.7};
// Probes halve their interval at most this many times.
constexpr int max_probe_levels = 6;
// A cosine above this at a midpoint (an angle below about 179.97 degrees)
// means the curve bends there.
constexpr double straight_cosine = -0.999999847695;
// A group marked at level l has each of its intervals cut into
// 2^min(l + 1, this) parts.
constexpr int max_refinement_power = 3;

struct Sample {
  double t;
  double xyz[3];
};

class WireSampler {
 public:
  explicit WireSampler(gridlume_cad_wire *wire) noexcept : wire_(wire) {}

  int run() noexcept {
    const double range = wire_->tmax - wire_->tmin;
    step_ = range / (sample_count - 1);
    gap_ = smallest_gap_fraction * range;
    int status = sample();
    if (status != GRIDLUME_STATUS_OK) return status;
    int levels[group_count];
    for (int group = 0; group < group_count; ++group) {
      status = probe_group(group, levels[group]);
      if (status != GRIDLUME_STATUS_OK) return status;
    }
    status = refine(levels);
    if (status == GRIDLUME_STATUS_OK) status = final_pass();
    if (status == GRIDLUME_STATUS_OK) status = store();
    return status;
  }

 private:
  int evaluate(double t, double *xyz) noexcept {
    double dt[3], dtt[3];
    return wire_->curve(t, xyz, dt, dtt, wire_->user_data);
  }

  // Samples at the 170 parameters, shifting a failing one into the range.
  int sample() noexcept {
    if (samples_.reserve(sample_count) != GRIDLUME_STATUS_OK) return GRIDLUME_STATUS_NO_MEMORY;
    for (int i = 0; i < sample_count; ++i) {
      Sample s{i == sample_count - 1 ? wire_->tmax : wire_->tmin + i * step_, {0, 0, 0}};
      // The last sample shifts backwards so that every shift stays in the range.
      const double direction = i == sample_count - 1 ? -1 : 1;
      double shift = first_shift_fraction * step_;
      int status = evaluate(s.t, s.xyz);
      for (int retry = 0; retry < evaluation_retries && status != GRIDLUME_STATUS_OK; ++retry) {
        status = evaluate(s.t + direction * shift, s.xyz);
        if (status == GRIDLUME_STATUS_OK) s.t += direction * shift;
        shift *= shift_growth;
      }
      if (status != GRIDLUME_STATUS_OK) return status;
      samples_.append(s);
    }
    return GRIDLUME_STATUS_OK;
  }

  // The midpoint of [a, b] at the first fraction that evaluates; false when
  // none does.
  bool midpoint(const Sample &a, const Sample &b, Sample &m) noexcept {
    for (double fraction : midpoint_fractions) {
      m.t = a.t + fraction * (b.t - a.t);
      if (evaluate(m.t, m.xyz) == GRIDLUME_STATUS_OK) return true;
    }
    return false;
  }

  static double bending(const Sample &a, const Sample &m, const Sample &b) noexcept {
    double u[3], v[3];
    for (int k = 0; k < 3; ++k) u[k] = a.xyz[k] - m.xyz[k], v[k] = b.xyz[k] - m.xyz[k];
    double lu = std::sqrt(u[0] * u[0] + u[1] * u[1] + u[2] * u[2]);
    double lv = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (lu == 0 || lv == 0) return 0;
    return std::clamp((u[0] * v[0] + u[1] * v[1] + u[2] * v[2]) / (lu * lv), -1.0, 1.0);
  }

  // The number of halvings (at most 6) that bring half the step below g.
  int probe_levels() const noexcept {
    int levels = 0;
    for (double half = step_ / 2; half >= gap_ && levels < max_probe_levels; half /= 2) ++levels;
    return levels;
  }

  // level receives -1 for a group without bending, else the level at which
  // a probe found it.
  int probe_group(int group, int &level) noexcept {
    level = -1;
    const int levels = probe_levels();
    const std::int32_t wire_count = wire_->cad != nullptr ? wire_->cad->wires.count() : 0;
    for (int probe = 0; probe < probes_per_group && level < 0; ++probe) {
      std::srand(static_cast<unsigned>((group + 1) * wire_count + probe));
      const int index = group * group_size + std::rand() % probe_modulus;
      const Sample a = samples_[index];
      Sample b = samples_[index + 1];
      for (int l = 0; l <= levels; ++l) {
        Sample m;
        if (!midpoint(a, b, m)) break;
        if (bending(a, m, b) > straight_cosine) {
          level = l;
          break;
        }
        b = m;
      }
    }
    return GRIDLUME_STATUS_OK;
  }

  int refine(const int *levels) noexcept {
    GrowableArray<Sample> refined;
    if (refined.reserve(sample_count) != GRIDLUME_STATUS_OK) return GRIDLUME_STATUS_NO_MEMORY;
    for (int i = 0; i < sample_count; ++i) {
      if (!refined.append(samples_[i])) return GRIDLUME_STATUS_NO_MEMORY;
      const int level = levels[std::min(i / group_size, group_count - 1)];
      if (level < 0 || i + 1 == sample_count) continue;
      const int parts = 1 << std::min(level + 1, max_refinement_power);
      const Sample &a = samples_[i], &b = samples_[i + 1];
      for (int k = 1; k < parts; ++k) {
        Sample s{a.t + (b.t - a.t) * k / parts, {0, 0, 0}};
        if (evaluate(s.t, s.xyz) != GRIDLUME_STATUS_OK) continue;  // the ends suffice
        if (!refined.append(s)) return GRIDLUME_STATUS_NO_MEMORY;
      }
    }
    samples_.release();
    return move_into(refined);
  }

  // Every interval of at least g, from the end towards the start, gets its
  // midpoint where the curve bends there.
  int final_pass() noexcept {
    const std::int32_t count = samples_.count();
    GrowableArray<Sample> midpoints;  // in decreasing order of t
    GrowableArray<std::int32_t> after;
    for (std::int32_t i = count - 2; i >= 0; --i) {
      const Sample a = samples_[i], b = samples_[i + 1];
      if (b.t - a.t < gap_) continue;
      Sample m;
      if (!midpoint(a, b, m) || bending(a, m, b) <= straight_cosine) continue;
      if (!midpoints.append(m) || !after.append(i)) return GRIDLUME_STATUS_NO_MEMORY;
    }
    GrowableArray<Sample> merged;
    if (merged.reserve(count + midpoints.count()) != GRIDLUME_STATUS_OK)
      return GRIDLUME_STATUS_NO_MEMORY;
    std::int32_t next = midpoints.count() - 1;
    for (std::int32_t i = 0; i < count; ++i) {
      merged.append(samples_[i]);
      if (next >= 0 && after[next] == i) merged.append(midpoints[next--]);
    }
    samples_.release();
    return move_into(merged);
  }

  int move_into(GrowableArray<Sample> &source) noexcept {
    if (samples_.reserve(source.count()) != GRIDLUME_STATUS_OK) return GRIDLUME_STATUS_NO_MEMORY;
    for (const Sample &s : source) samples_.append(s);
    return GRIDLUME_STATUS_OK;
  }

  int store() noexcept {
    const std::int32_t count = samples_.count();
    SupportVertices *record = new_support_vertices();
    if (record == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
    record->t = allocate_array<double>(static_cast<std::size_t>(count));
    record->xyz = allocate_array<double>(3 * static_cast<std::size_t>(count));
    if (record->t == nullptr || record->xyz == nullptr) {
      release_support_vertices(record);
      return GRIDLUME_STATUS_NO_MEMORY;
    }
    for (std::int32_t i = 0; i < count; ++i) {
      record->t[i] = samples_[i].t;
      std::memcpy(record->xyz + 3 * i, samples_[i].xyz, sizeof samples_[i].xyz);
    }
    record->count = count;
    wire_->support_vertices = record;
    return GRIDLUME_STATUS_OK;
  }

  gridlume_cad_wire *wire_;
  GrowableArray<Sample> samples_;
  double step_ = 0, gap_ = 0;
};

}  // namespace

int sample_wire_support_vertices(gridlume_cad_wire *wire) noexcept {
  if (wire->curve == nullptr || !(wire->tmax > wire->tmin)) return GRIDLUME_STATUS_ERROR;
  return WireSampler(wire).run();
}

}  // namespace gridlume
