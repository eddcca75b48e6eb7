// Faces: creation, membership of a cad, copies, evaluation of the surface,
// parametric range and periodicity, and the data a face only stores for the
// mesh generators (sd info, tessellator, original geometry).
#include <algorithm>
#include <limits>

#include "cad/cad.hpp"
#include "cad/objects.hpp"
#include "core/allocator.hpp"

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr std::int32_t copied_face_flags =
    ~(gridlume::face_attached_bit | gridlume::face_domain_failed_bit);

void zero(double *values, int count) {
  if (values != nullptr) std::fill(values, values + count, 0.0);
}

// The range of a face whose range is not known: the bounding box of the uv
// of the support vertices of its edges, in edge order. A face without edges
// keeps an unknown range; an edge without support vertices stops with -1.
int compute_range_from_support_vertices(gridlume_cad_face *face) {
  if (face->edges.count() == 0) return GRIDLUME_STATUS_OK;
  double box[4] = {infinity, -infinity, infinity, -infinity};
  for (gridlume_cad_edge *edge : face->edges) {
    int count = 0;
    double *t = nullptr, *uv = nullptr, *xyz = nullptr;
    int status = gridlume::edge_support_vertices(edge, count, t, uv, xyz);
    if (status != GRIDLUME_STATUS_OK) return status;
    if (count < 1 || uv == nullptr) return GRIDLUME_STATUS_ERROR;
    for (int i = 0; i < count; ++i) {
      box[0] = std::min(box[0], uv[2 * i]);
      box[1] = std::max(box[1], uv[2 * i]);
      box[2] = std::min(box[2], uv[2 * i + 1]);
      box[3] = std::max(box[3], uv[2 * i + 1]);
    }
  }
  face->umin = box[0];
  face->umax = box[1];
  face->vmin = box[2];
  face->vmax = box[3];
  face->flags |= gridlume::face_range_known_bit;
  return GRIDLUME_STATUS_OK;
}

}  // namespace

namespace gridlume {

gridlume_cad_face *copy_face(const gridlume_cad_face *source) noexcept {
  gridlume_cad_face *copy = new_face_record(source->id, source->surface, nullptr);
  if (copy == nullptr) return nullptr;
  copy->tag = source->tag;
  copy->uid = source->uid;
  copy->orientation = source->orientation;
  copy->property = source->property;
  copy->u_period = source->u_period;
  copy->v_period = source->v_period;
  copy->umin = source->umin;
  copy->umax = source->umax;
  copy->vmin = source->vmin;
  copy->vmax = source->vmax;
  copy->delete_function = source->delete_function;
  copy->clone_function = source->clone_function;
  copy->sd_info = source->sd_info;
  copy->tessellator = source->tessellator;
  copy->tessellator_data = source->tessellator_data;
  copy->translator = source->translator;
  copy->flags = source->flags & copied_face_flags;
  // The user data is cloned last: nothing can fail after it, so a failed
  // copy never leaves a clone behind.
  if (!copy->original_ids.copy_from(source->original_ids) ||
      !clone_user_data(source->clone_function, source->user_data, copy->user_data)) {
    free_object(copy);
    return nullptr;
  }
  return copy;
}

int append_point_copies(const gridlume_cad_face *source, gridlume_cad_face *target,
                        const double *scale, const double *offset) noexcept {
  // Counted once, so that a face copying its points onto itself stops.
  const std::int32_t count = source->points.count();
  for (std::int32_t i = 0; i < count; ++i) {
    const gridlume_cad_point *point = source->points[i];
    gridlume_cad_point *copy = create<gridlume_cad_point>(*point);
    if (copy == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
    copy->face = target;
    for (int axis = 0; axis < 2; ++axis)
      copy->uv[axis] = scale[axis] * (point->uv[axis] - offset[axis]);
    if (!target->points.append(copy)) {
      destroy(copy);
      return GRIDLUME_STATUS_NO_MEMORY;
    }
  }
  return GRIDLUME_STATUS_OK;
}

}  // namespace gridlume

extern "C" {

gridlume_cad_face *gridlume_cad_face_new(gridlume_cad *cad, int id,
                                         gridlume_cad_surface_function surface,
                                         void *user_data) {
  if (cad == nullptr || surface == nullptr) return nullptr;
  gridlume_cad_face *face = gridlume::new_face_record(id, surface, user_data);
  if (face == nullptr) return nullptr;
  if (gridlume::attach_face(face, cad) != GRIDLUME_STATUS_OK) {
    gridlume::free_object(face);
    return nullptr;
  }
  return face;
}

int gridlume_cad_face_attach(gridlume_cad_face *face, gridlume_cad *cad) {
  if (face == nullptr || cad == nullptr || face->cad != nullptr) return GRIDLUME_STATUS_ERROR;
  return gridlume::attach_face(face, cad);
}

int gridlume_cad_face_remove(gridlume_cad_face *face) {
  if (face == nullptr || face->cad == nullptr) return GRIDLUME_STATUS_ERROR;
  gridlume_cad *cad = face->cad;
  std::int32_t index = cad->faces.index_of(face);
  if (index >= 0) cad->faces.remove_swap_last(index);
  face->cad = nullptr;
  face->flags &= ~gridlume::face_attached_bit;
  // The references held through the face leave the cad with it. A face that
  // no handle holds any more has nothing to keep it alive outside the cad.
  std::int32_t references = face->references;
  if (references == 0) {
    gridlume::release_user_data(face);
    gridlume::free_object(face);
  }
  if (references > 0) gridlume::change_cad_references(cad, -references);
  return GRIDLUME_STATUS_OK;
}

gridlume_cad_face *gridlume_cad_face_new_copy(gridlume_cad_face *face) {
  if (face == nullptr) return nullptr;
  return gridlume::copy_face(face);
}

int gridlume_cad_face_surface(gridlume_cad_face *face, const double *uv, double *xyz, double *du,
                              double *dv, double *duu, double *duv, double *dvv) {
  if (face == nullptr || face->surface == nullptr) return GRIDLUME_STATUS_ERROR;
  for (double *output : {xyz, du, dv, duu, duv, dvv}) zero(output, 3);
  return face->surface(uv, xyz, du, dv, duu, duv, dvv, face->user_data);
}

int gridlume_cad_face_set_surface_parametric_range(gridlume_cad_face *face,
                                                   const double *urange, const double *vrange) {
  if (face == nullptr) return GRIDLUME_STATUS_ERROR;
  if (urange == nullptr || vrange == nullptr) {
    face->umin = face->vmin = -infinity;
    face->umax = face->vmax = infinity;
    face->flags &= ~gridlume::face_range_known_bit;
    return GRIDLUME_STATUS_OK;
  }
  face->umin = urange[0];
  face->umax = urange[1];
  face->vmin = vrange[0];
  face->vmax = vrange[1];
  face->flags |= gridlume::face_range_known_bit;
  return GRIDLUME_STATUS_OK;
}

int gridlume_cad_face_get_surface_parametric_range(gridlume_cad_face *face, double *urange,
                                                   double *vrange) {
  if (face == nullptr || urange == nullptr || vrange == nullptr) return GRIDLUME_STATUS_ERROR;
  bool known = (face->flags & gridlume::face_range_known_bit) != 0;
  urange[0] = known ? face->umin : -infinity;
  urange[1] = known ? face->umax : infinity;
  vrange[0] = known ? face->vmin : -infinity;
  vrange[1] = known ? face->vmax : infinity;
  return GRIDLUME_STATUS_OK;
}

int gridlume_cad_face_has_surface_parametric_range(gridlume_cad_face *face, int *flag) {
  if (face == nullptr || flag == nullptr) return GRIDLUME_STATUS_ERROR;
  if ((face->flags & gridlume::face_range_known_bit) == 0) {
    int status = compute_range_from_support_vertices(face);
    if (status != GRIDLUME_STATUS_OK) return status;
  }
  *flag = (face->flags & gridlume::face_range_known_bit) != 0 ? 1 : 0;
  return GRIDLUME_STATUS_OK;
}

int gridlume_cad_face_set_surface_periodicity(gridlume_cad_face *face, int u_periodic,
                                              int v_periodic, double u_period, double v_period) {
  if (face == nullptr) return GRIDLUME_STATUS_ERROR;
  face->flags &= ~(gridlume::face_periodic_u_bit | gridlume::face_periodic_v_bit);
  if (u_periodic != 0) {
    face->flags |= gridlume::face_periodic_u_bit;
    face->u_period = u_period;
  }
  if (v_periodic != 0) {
    face->flags |= gridlume::face_periodic_v_bit;
    face->v_period = v_period;
  }
  // Periodicity once given stays given, even when a later call clears both
  // directions.
  if (u_periodic != 0 || v_periodic != 0) face->flags |= gridlume::face_periodicity_given_bit;
  return GRIDLUME_STATUS_OK;
}

int gridlume_cad_face_get_surface_periodicity(gridlume_cad_face *face, int *u_periodic,
                                              int *v_periodic, double *u_period,
                                              double *v_period) {
  if (face == nullptr || u_periodic == nullptr || v_periodic == nullptr || u_period == nullptr ||
      v_period == nullptr)
    return GRIDLUME_STATUS_ERROR;
  bool given = (face->flags & gridlume::face_periodicity_given_bit) != 0;
  *u_periodic = given && (face->flags & gridlume::face_periodic_u_bit) != 0 ? 1 : 0;
  *v_periodic = given && (face->flags & gridlume::face_periodic_v_bit) != 0 ? 1 : 0;
  *u_period = *u_periodic != 0 ? face->u_period : 0.0;
  *v_period = *v_periodic != 0 ? face->v_period : 0.0;
  return GRIDLUME_STATUS_OK;
}

int gridlume_cad_face_set_sd_info(gridlume_cad_face *face, int first, int second) {
  if (face == nullptr) return GRIDLUME_STATUS_ERROR;
  if (first > 0) face->sd_info[0] = first;
  if (second > 0) face->sd_info[1] = second;
  return GRIDLUME_STATUS_OK;
}

int gridlume_cad_face_get_sd_info(gridlume_cad_face *face, int *first, int *second) {
  if (face == nullptr || first == nullptr || second == nullptr) return GRIDLUME_STATUS_ERROR;
  *first = face->sd_info[0];
  *second = face->sd_info[1];
  return GRIDLUME_STATUS_OK;
}

int gridlume_cad_face_impose_discrete_geometry(gridlume_cad_face *face) {
  if (face == nullptr) return GRIDLUME_STATUS_ERROR;
  face->flags |= gridlume::face_geometry_imposed_bit;
  return GRIDLUME_STATUS_OK;
}

int gridlume_cad_face_set_original_geometry_translator(
    gridlume_cad_face *face, gridlume_cad_face_original_geometry_translator translator) {
  if (face == nullptr) return GRIDLUME_STATUS_ERROR;
  face->translator = translator;
  return GRIDLUME_STATUS_OK;
}

int gridlume_cad_face_get_original_geometry(gridlume_cad_face *face, const double *uv,
                                            gridlume_cad_face **face0, double *uv0,
                                            long long *extra) {
  if (face == nullptr || uv == nullptr || face0 == nullptr || uv0 == nullptr || extra == nullptr)
    return GRIDLUME_STATUS_ERROR;
  if (face->translator != nullptr) return face->translator(uv, face0, uv0, extra, face->user_data);
  *face0 = face;
  uv0[0] = uv[0];
  uv0[1] = uv[1];
  *extra = 0;
  return GRIDLUME_STATUS_OK;
}

int gridlume_cad_face_set_tessellator(gridlume_cad_face *face,
                                      gridlume_cad_tessellator_function tessellator, void *data) {
  if (face == nullptr) return GRIDLUME_STATUS_ERROR;
  face->tessellator = tessellator;
  face->tessellator_data = data;
  return GRIDLUME_STATUS_OK;
}

int gridlume_cad_face_get_tessellator(gridlume_cad_face *face,
                                      gridlume_cad_tessellator_function *tessellator,
                                      void **data) {
  if (face == nullptr || tessellator == nullptr || data == nullptr) return GRIDLUME_STATUS_ERROR;
  *tessellator = face->tessellator;
  *data = face->tessellator_data;
  return GRIDLUME_STATUS_OK;
}

int gridlume_cad_face_has_tessellator(gridlume_cad_face *face, int *flag) {
  if (face == nullptr || flag == nullptr) return GRIDLUME_STATUS_ERROR;
  *flag = face->tessellator != nullptr ? 1 : 0;
  return GRIDLUME_STATUS_OK;
}

int gridlume_cad_face_clone_points(gridlume_cad_face *face, gridlume_cad_face *target) {
  if (face == nullptr || target == nullptr) return GRIDLUME_STATUS_ERROR;
  constexpr double identity_scale[2] = {1.0, 1.0};
  constexpr double no_offset[2] = {0.0, 0.0};
  return gridlume::append_point_copies(face, target, identity_scale, no_offset);
}

}  // extern "C"
