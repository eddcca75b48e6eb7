// The parametric domain of a face: clamping into its range, and the domain
// test through a constrained triangulation of a box around the boundary
// polylines of its edges, built on the first test.
#include <algorithm>
#include <cmath>

#include "cad/cad.hpp"
#include "cad/cad_messages.hpp"
#include "cad/objects.hpp"
#include "cad/triangulation.hpp"
#include "core/allocator.hpp"
#include "core/context.hpp"
#include "core/hash_table.hpp"
#include "gridlume/cad_domain.h"

namespace gridlume {
namespace {

// The first simplification tolerance, relative to the box diagonal, its
// factor between attempts, and the tolerance below which the next attempt
// keeps every support vertex.
constexpr double initial_tolerance = 0.001;
constexpr double tolerance_factor = 0.1;
constexpr double smallest_tolerance = 1e-6;
// The triangulation's box extends this fraction of the diagonal beyond the
// boundary's bounding box on every side.
constexpr double box_margin = 0.5;

struct FaceDomain {
  Triangulation triangulation;
  // Triangulation coordinates are (uv - origin) * scale.
  double origin[2];
  double scale;
};

void release_face_domain(void *structure) noexcept {
  destroy(static_cast<FaceDomain *>(structure));
}

struct EdgeVertices {
  std::int32_t count;
  double *uv;
};

// Keeps in `keep` (one flag per vertex) the vertices of the recursive
// splitting of a polyline at tolerance² = limit; the ends always stay.
int simplify(const double *uv, std::int32_t count, double limit, GrowableArray<std::int32_t> &keep,
             GrowableArray<std::int32_t> &stack) noexcept {
  keep.clear();
  stack.clear();
  if (keep.reserve(count) != GRIDLUME_STATUS_OK) return GRIDLUME_STATUS_NO_MEMORY;
  for (std::int32_t i = 0; i < count; ++i) keep.append(limit < 0 || i == 0 || i == count - 1);
  if (limit < 0 || count < 3) return GRIDLUME_STATUS_OK;
  if (!stack.append(0) || !stack.append(count - 1)) return GRIDLUME_STATUS_NO_MEMORY;
  while (stack.count() > 0) {
    std::int32_t j = stack[stack.count() - 1], i = stack[stack.count() - 2];
    stack.remove_swap_last(stack.count() - 1);
    stack.remove_swap_last(stack.count() - 1);
    const double *a = uv + 2 * i, *b = uv + 2 * j;
    const double dx = b[0] - a[0], dy = b[1] - a[1], length2 = dx * dx + dy * dy;
    double farthest = -1;
    std::int32_t split = -1;
    for (std::int32_t k = i + 1; k < j; ++k) {
      const double *p = uv + 2 * k;
      double px = p[0] - a[0], py = p[1] - a[1];
      double along = length2 > 0 ? (px * dx + py * dy) / length2 : 0;
      double distance2;
      if (along <= 0) {
        distance2 = px * px + py * py;
      } else if (along >= 1) {
        double qx = p[0] - b[0], qy = p[1] - b[1];
        distance2 = qx * qx + qy * qy;
      } else {
        double cross = px * dy - py * dx;
        distance2 = cross * cross / length2;
      }
      if (distance2 > farthest) farthest = distance2, split = k;
    }
    if (split < 0 || farthest <= limit) continue;
    keep[split] = 1;
    if (!stack.append(i) || !stack.append(split) || !stack.append(split) || !stack.append(j))
      return GRIDLUME_STATUS_NO_MEMORY;
  }
  return GRIDLUME_STATUS_OK;
}

class DomainBuilder {
 public:
  explicit DomainBuilder(gridlume_cad_face *face) noexcept : face_(face) {}

  // What refused the face's boundary; nullptr when nothing did.
  int problem_code() const noexcept { return problem_code_; }
  const char *problem_text() const noexcept { return problem_text_; }

  // 0 with `domain` made, -1 or -5.
  int build(FaceDomain *&domain) noexcept {
    int status = gather();
    if (status != GRIDLUME_STATUS_OK) return status;
    for (double tolerance = initial_tolerance;; tolerance *= tolerance_factor) {
      // A negative limit keeps every vertex: the last attempt.
      const bool last = tolerance < smallest_tolerance;
      const double limit = last ? -1 : tolerance * tolerance * diagonal2_;
      auto *attempt = create<FaceDomain>();
      if (attempt == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
      status = triangulate(*attempt, limit);
      if (status == GRIDLUME_STATUS_OK) {
        domain = attempt;
        return status;
      }
      destroy(attempt);
      if (status != GRIDLUME_STATUS_ERROR) return status;
      if (last) {
        refuse(message_domain_boundary_crossing, text_domain_boundary_crossing);
        return status;
      }
    }
  }

 private:
  // The support vertices of every edge and their bounding box.
  int gather() noexcept {
    const std::int32_t edge_count = face_->edges.count();
    if (edges_.reserve(std::max(edge_count, 1)) != GRIDLUME_STATUS_OK)
      return GRIDLUME_STATUS_NO_MEMORY;
    double lower[2] = {HUGE_VAL, HUGE_VAL}, upper[2] = {-HUGE_VAL, -HUGE_VAL};
    for (gridlume_cad_edge *edge : face_->edges) {
      int count = 0;
      double *t = nullptr, *uv = nullptr, *xyz = nullptr;
      int status = edge_support_vertices(edge, count, t, uv, xyz);
      if (status == GRIDLUME_STATUS_OK &&
          (count < 1 || t == nullptr || uv == nullptr || xyz == nullptr))
        status = GRIDLUME_STATUS_ERROR;
      if (status != GRIDLUME_STATUS_OK) {
        refuse(message_domain_missing_support_vertices, text_domain_missing_support_vertices);
        return status;
      }
      for (int i = 0; i < count; ++i)
        for (int k = 0; k < 2; ++k) {
          if (!std::isfinite(uv[2 * i + k]))
            return refuse(message_domain_degenerate, text_domain_degenerate);
          lower[k] = std::min(lower[k], uv[2 * i + k]);
          upper[k] = std::max(upper[k], uv[2 * i + k]);
        }
      edges_.append({count, uv});
      total_vertices_ += count;
    }
    if (edge_count == 0) return refuse(message_domain_degenerate, text_domain_degenerate);
    const double dx = upper[0] - lower[0], dy = upper[1] - lower[1];
    diagonal2_ = dx * dx + dy * dy;
    if (!(diagonal2_ > 0) || !std::isfinite(diagonal2_))
      return refuse(message_domain_degenerate, text_domain_degenerate);
    diagonal_ = std::sqrt(diagonal2_);
    for (int k = 0; k < 2; ++k) lower_[k] = lower[k], upper_[k] = upper[k];
    return GRIDLUME_STATUS_OK;
  }

  void map(const FaceDomain &domain, const double *uv, double *xy) const noexcept {
    xy[0] = (uv[0] - domain.origin[0]) * domain.scale;
    xy[1] = (uv[1] - domain.origin[1]) * domain.scale;
  }

  int triangulate(FaceDomain &domain, double limit) noexcept {
    domain.origin[0] = lower_[0];
    domain.origin[1] = lower_[1];
    domain.scale = 1 / diagonal_;
    const double box_lower[2] = {-box_margin, -box_margin};
    const double box_upper[2] = {(upper_[0] - lower_[0]) * domain.scale + box_margin,
                                 (upper_[1] - lower_[1]) * domain.scale + box_margin};
    // Kept vertices per edge, as triangulation vertices, one list after another.
    GrowableArray<std::int32_t> keep, stack, chain, chain_start;
    std::int32_t kept_total = 0;
    for (const EdgeVertices &edge : edges_) {
      int status = simplify(edge.uv, edge.count, limit, keep, stack);
      if (status != GRIDLUME_STATUS_OK) return status;
      for (std::int32_t i = 0; i < edge.count; ++i) kept_total += keep[i];
    }
    int status = domain.triangulation.create_box(box_lower, box_upper, kept_total);
    if (status != GRIDLUME_STATUS_OK) return status;
    // Edges that end at the same uv extremity number share that vertex.
    const std::int32_t edge_count = face_->edges.count();
    IntegerTable extremity_numbers;
    GrowableArray<std::int32_t> extremity_vertex;
    if (extremity_numbers.create(edge_count + 1, edge_count + 1) != GRIDLUME_STATUS_OK ||
        chain.reserve(kept_total + 1) != GRIDLUME_STATUS_OK ||
        chain_start.reserve(edge_count + 1) != GRIDLUME_STATUS_OK)
      return GRIDLUME_STATUS_NO_MEMORY;
    auto end_vertex = [&](std::int32_t number, const double *xy, std::int32_t &vertex) {
      if (number != 0) {
        std::int32_t slot = extremity_numbers.find(number);
        if (slot != 0) {
          vertex = extremity_vertex[slot - 1];
          return static_cast<int>(GRIDLUME_STATUS_OK);
        }
      }
      int inserted = domain.triangulation.insert_point(xy, vertex);
      if (inserted != GRIDLUME_STATUS_OK || number == 0) return inserted;
      if (extremity_numbers.insert(number) == 0 || !extremity_vertex.append(vertex))
        return static_cast<int>(GRIDLUME_STATUS_NO_MEMORY);
      return static_cast<int>(GRIDLUME_STATUS_OK);
    };
    for (std::int32_t e = 0; e < edge_count; ++e) {
      const EdgeVertices &edge = edges_[e];
      status = simplify(edge.uv, edge.count, limit, keep, stack);
      if (status != GRIDLUME_STATUS_OK) return status;
      chain_start.append(chain.count());
      for (std::int32_t i = 0; i < edge.count; ++i) {
        if (!keep[i]) continue;
        double xy[2];
        map(domain, edge.uv + 2 * i, xy);
        std::int32_t vertex = -1;
        if (i == 0) {
          status = end_vertex(face_->edges[e]->uv_extremities[0], xy, vertex);
        } else if (i == edge.count - 1) {
          status = end_vertex(face_->edges[e]->uv_extremities[1], xy, vertex);
        } else {
          status = domain.triangulation.insert_point(xy, vertex);
        }
        if (status != GRIDLUME_STATUS_OK) return status;
        chain.append(vertex);
      }
      // A single support vertex is an end point of both ends.
      if (edge.count == 1) {
        double xy[2];
        map(domain, edge.uv, xy);
        std::int32_t vertex = -1;
        status = end_vertex(face_->edges[e]->uv_extremities[1], xy, vertex);
        if (status != GRIDLUME_STATUS_OK) return status;
        if (!chain.append(vertex)) return GRIDLUME_STATUS_NO_MEMORY;
      }
    }
    chain_start.append(chain.count());
    for (std::int32_t e = 0; e < edge_count; ++e)
      for (std::int32_t i = chain_start[e]; i + 1 < chain_start[e + 1]; ++i) {
        status = domain.triangulation.insert_segment(chain[i], chain[i + 1]);
        if (status != GRIDLUME_STATUS_OK) return status;
      }
    status = domain.triangulation.classify();
    if (status == GRIDLUME_STATUS_OK) status = domain.triangulation.build_locator();
    return status;
  }

  int refuse(int code, const char *text) noexcept {
    problem_code_ = code;
    problem_text_ = text;
    return GRIDLUME_STATUS_ERROR;
  }

  gridlume_cad_face *face_;
  int problem_code_ = 0;
  const char *problem_text_ = nullptr;
  GrowableArray<EdgeVertices> edges_;
  std::int32_t total_vertices_ = 0;
  double lower_[2] = {0, 0}, upper_[2] = {0, 0};
  double diagonal2_ = 0, diagonal_ = 0;
};

}  // namespace
}  // namespace gridlume

extern "C" {

int gridlume_cad_face_check_point_parametric_range(gridlume_cad_face *face, double *uv,
                                                   int *count) {
  if (face == nullptr || uv == nullptr) return GRIDLUME_STATUS_ERROR;
  if ((face->flags & gridlume::face_range_known_bit) == 0) return GRIDLUME_STATUS_OK;
  const double lower[2] = {face->umin, face->vmin}, upper[2] = {face->umax, face->vmax};
  const std::int32_t periodic[2] = {gridlume::face_periodic_u_bit, gridlume::face_periodic_v_bit};
  int clamped = 0;
  for (int k = 0; k < 2; ++k) {
    if ((face->flags & periodic[k]) != 0) continue;
    if (uv[k] < lower[k]) {
      uv[k] = lower[k];
      ++clamped;
    } else if (uv[k] > upper[k]) {
      uv[k] = upper[k];
      ++clamped;
    }
  }
  if (count != nullptr) *count = clamped;
  return GRIDLUME_STATUS_OK;
}

int gridlume_cad_face_check_uv(gridlume_cad_face *face, const double *uv, int *inside) {
  if (face == nullptr || uv == nullptr || inside == nullptr) return GRIDLUME_STATUS_ERROR;
  if ((face->flags & gridlume::face_domain_failed_bit) != 0) return GRIDLUME_STATUS_ERROR;
  if (face->domain_structure == nullptr) {
    gridlume::FaceDomain *domain = nullptr;
    gridlume::DomainBuilder builder(face);
    int status = builder.build(domain);
    if (status != GRIDLUME_STATUS_OK) {
      face->flags |= gridlume::face_domain_failed_bit;
      gridlume_cad *cad = gridlume::owning_cad(face);
      if (builder.problem_text() != nullptr && cad != nullptr)
        gridlume::send_formatted_message(cad->context, builder.problem_code(), gridlume::cad_sender,
                                         builder.problem_text(), face->id);
      return status;
    }
    face->domain_structure = domain;
    face->domain_structure_release = gridlume::release_face_domain;
  }
  const auto *domain = static_cast<const gridlume::FaceDomain *>(face->domain_structure);
  const double xy[2] = {(uv[0] - domain->origin[0]) * domain->scale,
                        (uv[1] - domain->origin[1]) * domain->scale};
  *inside = domain->triangulation.inside(xy) ? 1 : 0;
  return GRIDLUME_STATUS_OK;
}

}  // extern "C"
