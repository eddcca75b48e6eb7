// Wires: curves in space that belong directly to the cad.
#include "cad/cad.hpp"
#include "cad/objects.hpp"
#include "cad/wire_sampling.hpp"
#include "core/allocator.hpp"

namespace gridlume {

int attach_wire(gridlume_cad_wire *wire, gridlume_cad *cad) noexcept {
  if (!cad->wires.append(wire)) return GRIDLUME_STATUS_NO_MEMORY;
  wire->cad = cad;
  wire->flags |= wire_attached_bit;
  change_cad_references(cad, wire->references);
  return GRIDLUME_STATUS_OK;
}

// A copy carries the identification, extremities, functions and flags of the
// wire and shares its support vertices; its discrete definition, a mesh, is
// not copied.
gridlume_cad_wire *copy_wire(const gridlume_cad_wire *source) noexcept {
  gridlume_cad_wire *copy =
      new_wire_record(source->id, source->tmin, source->tmax, source->curve, nullptr);
  if (copy == nullptr) return nullptr;
  copy_curve_fields(copy, source);
  copy->flags = source->flags & ~wire_attached_bit;
  if (!copy->original_ids.copy_from(source->original_ids) || !finish_curve_copy(copy, source)) {
    free_object(copy);
    return nullptr;
  }
  return copy;
}

}  // namespace gridlume

extern "C" {

gridlume_cad_wire *gridlume_cad_wire_new(gridlume_cad *cad, int id, double tmin, double tmax,
                                         gridlume_cad_wire_curve_function curve,
                                         void *user_data) {
  if (cad == nullptr || curve == nullptr) return nullptr;
  gridlume_cad_wire *wire = gridlume::new_wire_record(id, tmin, tmax, curve, user_data);
  if (wire == nullptr) return nullptr;
  if (gridlume::attach_wire(wire, cad) != GRIDLUME_STATUS_OK) {
    gridlume::free_object(wire);
    return nullptr;
  }
  return wire;
}

gridlume_cad_wire *gridlume_cad_wire_new_copy(gridlume_cad_wire *wire) {
  if (wire == nullptr) return nullptr;
  return gridlume::copy_wire(wire);
}

int gridlume_cad_wire_attach(gridlume_cad_wire *wire, gridlume_cad *cad) {
  if (wire == nullptr || cad == nullptr || wire->cad != nullptr) return GRIDLUME_STATUS_ERROR;
  return gridlume::attach_wire(wire, cad);
}

int gridlume_cad_wire_curve(gridlume_cad_wire *wire, double t, double *xyz, double *dt,
                            double *dtt) {
  if (wire == nullptr || wire->curve == nullptr) return GRIDLUME_STATUS_ERROR;
  return wire->curve(t, xyz, dt, dtt, wire->user_data);
}

int gridlume_cad_wire_get_original_geometry(gridlume_cad_wire *wire, double t,
                                            gridlume_cad_wire **wire0, double *t0, double *tmin,
                                            double *tmax) {
  if (wire == nullptr || wire0 == nullptr || t0 == nullptr || tmin == nullptr || tmax == nullptr)
    return GRIDLUME_STATUS_ERROR;
  *wire0 = wire;
  *t0 = t;
  *tmin = wire->tmin;
  *tmax = wire->tmax;
  return GRIDLUME_STATUS_OK;
}

// The record of a wire without a support-vertices function is computed by
// sampling its curve on first use.
int gridlume_cad_wire_get_support_vertices(gridlume_cad_wire *wire, int *count, double **t,
                                           double **xyz) {
  if (wire == nullptr || count == nullptr) return GRIDLUME_STATUS_ERROR;
  double *t_array = nullptr, *xyz_array = nullptr;
  int status = GRIDLUME_STATUS_OK;
  if (wire->support_vertices_function == nullptr && wire->support_vertices == nullptr) {
    status = gridlume::sample_wire_support_vertices(wire);
    if (status != GRIDLUME_STATUS_OK) return status;
  }
  if (wire->support_vertices_function != nullptr) {
    status = wire->support_vertices_function(count, &t_array, &xyz_array, wire->user_data);
  } else if (const gridlume::SupportVertices *record = wire->support_vertices;
             record != nullptr) {
    *count = record->count;
    t_array = record->t;
    xyz_array = record->xyz;
  } else {
    return GRIDLUME_STATUS_ERROR;
  }
  if (t != nullptr) *t = t_array;
  if (xyz != nullptr) *xyz = xyz_array;
  return status;
}

}  // extern "C"
