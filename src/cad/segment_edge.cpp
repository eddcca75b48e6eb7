// Straight segments of a face's parameter plane.
#include <algorithm>

#include "cad/derived.hpp"

namespace gridlume {
namespace {

struct SegmentRecord {
  double uv[4];  // uv0 then uv1
  double range[2];
  double support_uv[4];
  double xyz[6];  // xyz0 then xyz1
  std::int32_t flags;
};
// The segment's ends were evaluated on its face's surface.
constexpr std::int32_t segment_ends_evaluated_bit = 1 << 0;
constexpr int segment_support_vertex_count = 2;

// uv(t) = (1 - t) uv0 + t uv1, exact at both ends.
int segment_curve(double t, double *uv, double *dt, double *dtt, void *data) {
  const auto &record = *static_cast<const SegmentRecord *>(data);
  for (int axis = 0; axis < 2; ++axis) {
    if (uv != nullptr) uv[axis] = (1.0 - t) * record.uv[axis] + t * record.uv[2 + axis];
    if (dt != nullptr) dt[axis] = record.uv[2 + axis] - record.uv[axis];
    if (dtt != nullptr) dtt[axis] = 0.0;
  }
  return GRIDLUME_STATUS_OK;
}

int segment_support_vertices(int *count, double **t, double **uv, double **xyz, void *data) {
  auto &record = *static_cast<SegmentRecord *>(data);
  if (count != nullptr) *count = segment_support_vertex_count;
  if (t != nullptr) *t = record.range;
  if (uv != nullptr) *uv = record.support_uv;
  if (xyz != nullptr) *xyz = record.xyz;
  return GRIDLUME_STATUS_OK;
}

}  // namespace
}  // namespace gridlume

extern "C" {

gridlume_cad_edge *gridlume_cad_edge_new_segment(gridlume_cad_face *face, int id,
                                                 const double *uv0, const double *uv1) {
  using gridlume::SegmentRecord;
  if (uv0 == nullptr || uv1 == nullptr) return nullptr;
  if (face != nullptr && face->discrete_definition != nullptr) return nullptr;
  auto *record = gridlume::create<SegmentRecord>();
  if (record == nullptr) return nullptr;
  const double ends[4] = {uv0[0], uv0[1], uv1[0], uv1[1]};
  std::copy(ends, ends + 4, record->uv);
  std::copy(ends, ends + 4, record->support_uv);
  record->range[0] = 0.0;
  record->range[1] = 1.0;
  gridlume_cad_edge *edge = gridlume::new_standalone_edge(id, record->range[0], record->range[1],
                                                          gridlume::segment_curve, record);
  if (edge == nullptr) {
    gridlume_free(record);
    return nullptr;
  }
  edge->delete_function = gridlume_cad_free_generic_buffer;
  edge->clone_function = gridlume::copy_record<SegmentRecord>;
  edge = gridlume::finish_derived_edge(edge, face);
  if (edge == nullptr || face == nullptr) return edge;
  // The ends become support vertices only when the surface gives both of
  // their points; a failing surface leaves the segment without any.
  if (gridlume_cad_face_surface(face, uv0, record->xyz, nullptr, nullptr, nullptr, nullptr,
                                nullptr) == GRIDLUME_STATUS_OK &&
      gridlume_cad_face_surface(face, uv1, record->xyz + 3, nullptr, nullptr, nullptr, nullptr,
                                nullptr) == GRIDLUME_STATUS_OK) {
    record->flags |= gridlume::segment_ends_evaluated_bit;
    edge->support_vertices_function = gridlume::segment_support_vertices;
  }
  return edge;
}

}  // extern "C"
