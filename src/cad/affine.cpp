// Affine images: an edge whose curve is another edge's mapped by an affine
// change of (u, v), and a face whose parameters are another face's scaled.
#include <algorithm>
#include <cmath>

#include "cad/cad.hpp"
#include "cad/derived.hpp"

namespace gridlume {
namespace {

// ---- Affine edges ------------------------------------------------------------

struct AffineEdgeRecord {
  double a[2];
  double b[2];
  gridlume_cad_edge *source;
  // A copy's record holds a reference to the source; the record of the edge
  // made by the constructor relies on the caller keeping the source.
  std::int32_t holds_reference;
};

int affine_curve(double t, double *uv, double *dt, double *dtt, void *data) {
  const auto &record = *static_cast<const AffineEdgeRecord *>(data);
  double source_uv[2], source_dt[2], source_dtt[2];
  int status = gridlume_cad_edge_curve(record.source, t, uv != nullptr ? source_uv : nullptr,
                                       dt != nullptr ? source_dt : nullptr,
                                       dtt != nullptr ? source_dtt : nullptr);
  if (status != GRIDLUME_STATUS_OK) return status;
  for (int axis = 0; axis < 2; ++axis) {
    const double a = record.a[axis];
    if (uv != nullptr) uv[axis] = a * source_uv[axis] + record.b[axis];
    if (dt != nullptr) dt[axis] = a * source_dt[axis];
    if (dtt != nullptr) dtt[axis] = a * a * source_dtt[axis];
  }
  return GRIDLUME_STATUS_OK;
}

int affine_original_geometry(double t, gridlume_cad_edge **edge0, double *t0, double *tmin,
                             double *tmax, void *data) {
  const auto &record = *static_cast<const AffineEdgeRecord *>(data);
  return gridlume_cad_edge_get_original_geometry(record.source, t, edge0, t0, tmin, tmax);
}

void *clone_affine_edge(void *data) {
  auto *copy = static_cast<AffineEdgeRecord *>(copy_record<AffineEdgeRecord>(data));
  if (copy == nullptr) return nullptr;
  retain(copy->source);
  copy->holds_reference = 1;
  return copy;
}

void release_affine_edge(void *data) {
  auto *record = static_cast<AffineEdgeRecord *>(data);
  if (record->holds_reference != 0) release(record->source);
  destroy(record);
}

// ---- Parameter-scaled faces ------------------------------------------------------

// The face's (u', v') is (a_u (u - b_u), a_v (v - b_v)) for the source's
// (u, v). The scales are kept as given and divided by, which rounds once
// where multiplying by a stored reciprocal would round twice.
struct ScaledFaceRecord {
  double a[2];
  double b[2];
  gridlume_cad_face *source;
  std::int32_t holds_reference;
};

void source_uv(const ScaledFaceRecord &record, const double *uv, double *mapped) {
  mapped[0] = uv[0] / record.a[0] + record.b[0];
  mapped[1] = uv[1] / record.a[1] + record.b[1];
}

void scale(double *values, double factor) {
  if (values == nullptr) return;
  for (int k = 0; k < 3; ++k) values[k] *= factor;
}

int scaled_surface(const double *uv, double *xyz, double *du, double *dv, double *duu,
                   double *duv, double *dvv, void *data) {
  const auto &record = *static_cast<const ScaledFaceRecord *>(data);
  double mapped[2];
  source_uv(record, uv, mapped);
  int status = gridlume_cad_face_surface(record.source, mapped, xyz, du, dv, duu, duv, dvv);
  if (status != GRIDLUME_STATUS_OK) return status;
  const double au = record.a[0], av = record.a[1];
  scale(du, 1.0 / au);
  scale(dv, 1.0 / av);
  scale(duu, 1.0 / (au * au));
  scale(duv, 1.0 / (au * av));
  scale(dvv, 1.0 / (av * av));
  return GRIDLUME_STATUS_OK;
}

int scaled_translator(const double *uv, gridlume_cad_face **face0, double *uv0, long long *extra,
                      void *data) {
  const auto &record = *static_cast<const ScaledFaceRecord *>(data);
  double mapped[2];
  source_uv(record, uv, mapped);
  // Without a translator of its own the source answers with itself.
  return gridlume_cad_face_get_original_geometry(record.source, mapped, face0, uv0, extra);
}

void *clone_scaled_face(void *data) {
  auto *copy = static_cast<ScaledFaceRecord *>(copy_record<ScaledFaceRecord>(data));
  if (copy == nullptr) return nullptr;
  retain(copy->source);
  copy->holds_reference = 1;
  return copy;
}

void release_scaled_face(void *data) {
  auto *record = static_cast<ScaledFaceRecord *>(data);
  if (record->holds_reference != 0) release(record->source);
  destroy(record);
}

// The original ids of a derived object: the source's list, or its id.
bool inherit_original_ids(OriginalIds &ids, const OriginalIds &source, std::int32_t source_id) {
  return source.present() ? ids.copy_from(source) : ids.add(source_id);
}

// The source's range in the scaled parameters, ordered when a scale is
// negative.
void scale_range(gridlume_cad_face *face, const gridlume_cad_face *source,
                 const ScaledFaceRecord &record) {
  const double u[2] = {record.a[0] * (source->umin - record.b[0]),
                       record.a[0] * (source->umax - record.b[0])};
  const double v[2] = {record.a[1] * (source->vmin - record.b[1]),
                       record.a[1] * (source->vmax - record.b[1])};
  face->umin = std::min(u[0], u[1]);
  face->umax = std::max(u[0], u[1]);
  face->vmin = std::min(v[0], v[1]);
  face->vmax = std::max(v[0], v[1]);
}

constexpr std::int32_t inherited_face_flags = face_periodic_u_bit | face_periodic_v_bit |
                                              face_periodicity_given_bit | face_range_known_bit;

}  // namespace
}  // namespace gridlume

extern "C" {

gridlume_cad_edge *gridlume_cad_edge_new_afftrans(gridlume_cad_face *face,
                                                  gridlume_cad_edge *edge, int id,
                                                  const double *a, const double *b) {
  using namespace gridlume;
  if (edge == nullptr || a == nullptr || b == nullptr) return nullptr;
  if (face != nullptr && face->discrete_definition != nullptr) return nullptr;
  auto *record = create<AffineEdgeRecord>();
  if (record == nullptr) return nullptr;
  *record = {{a[0], a[1]}, {b[0], b[1]}, edge, 0};
  gridlume_cad_edge *derived =
      new_standalone_edge(id, edge->tmin, edge->tmax, affine_curve, record);
  if (derived == nullptr) {
    destroy(record);
    return nullptr;
  }
  derived->delete_function = release_affine_edge;
  derived->clone_function = clone_affine_edge;
  derived->original_geometry = affine_original_geometry;
  derived->tag = edge->tag;
  derived->orientation = edge->orientation;
  derived->property = edge->property;
  derived->flags |= edge->flags & edge_approximated_derivatives_bit;
  if (!inherit_original_ids(derived->original_ids, edge->original_ids, edge->id))
    return abandon(derived);
  return finish_derived_edge(derived, face);
}

gridlume_cad_face *gridlume_cad_face_new_pafftrans(gridlume_cad *cad, gridlume_cad_face *face,
                                                   int id, const double *a, const double *b,
                                                   int, int clone_points) {
  using namespace gridlume;
  if (face == nullptr || a == nullptr || b == nullptr) return nullptr;
  // A zero scale has no inverse: the source's parameters could not be found.
  if (a[0] == 0.0 || a[1] == 0.0) return nullptr;
  auto *record = create<ScaledFaceRecord>();
  if (record == nullptr) return nullptr;
  *record = {{a[0], a[1]}, {b[0], b[1]}, face, 0};
  gridlume_cad_face *derived = new_face_record(id, scaled_surface, record);
  if (derived == nullptr) {
    destroy(record);
    return nullptr;
  }
  derived->delete_function = release_scaled_face;
  derived->clone_function = clone_scaled_face;
  derived->translator = scaled_translator;
  derived->tag = face->tag;
  derived->orientation = face->orientation;
  derived->tessellator = face->tessellator;
  derived->tessellator_data = face->tessellator_data;
  derived->flags |= face->flags & inherited_face_flags;
  derived->u_period = face->u_period * std::fabs(a[0]);
  derived->v_period = face->v_period * std::fabs(a[1]);
  if ((face->flags & face_range_known_bit) != 0) scale_range(derived, face, *record);
  if (!inherit_original_ids(derived->original_ids, face->original_ids, face->id))
    return abandon(derived);
  if (clone_points != 0 && append_point_copies(face, derived, a, b) != GRIDLUME_STATUS_OK)
    return abandon(derived);
  if (cad != nullptr && attach_face(derived, cad) != GRIDLUME_STATUS_OK) return abandon(derived);
  // The face evaluates its source for as long as it exists.
  retain(face);
  record->holds_reference = 1;
  return derived;
}

}  // extern "C"
