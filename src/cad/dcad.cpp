// The discretised cad: creation from a cad, deletion, and the discretisations
// of its edges and wires, made on the first request.
#include "cad/dcad.hpp"

#include "cad/cad.hpp"
#include "cad/objects.hpp"

namespace gridlume {
namespace {

std::int32_t cad_edge_total(gridlume_cad *cad) noexcept {
  long long total = 0;
  for (gridlume_cad_face *face : cad->faces) total += face->edges.count();
  if (total == 0) return default_edge_capacity;
  total = std::clamp<long long>(total, minimum_edge_capacity, INT32_MAX / 2);
  return static_cast<std::int32_t>(total);
}

}  // namespace
}  // namespace gridlume

extern "C" {

gridlume_dcad *gridlume_dcad_new(gridlume_cad *cad) {
  if (cad == nullptr) return nullptr;
  auto *dcad = gridlume::create<gridlume_dcad>();
  if (dcad == nullptr) return nullptr;
  dcad->context = cad->context;
  dcad->cad = cad;
  std::int32_t edge_size = gridlume::cad_edge_total(cad);
  std::int32_t wire_size = cad->wires.count() > 0 ? edge_size : gridlume::default_wire_capacity;
  if (dcad->edges.create(edge_size) != GRIDLUME_STATUS_OK ||
      dcad->wires.create(wire_size) != GRIDLUME_STATUS_OK) {
    gridlume::destroy(dcad);
    return nullptr;
  }
  return dcad;
}

void gridlume_dcad_delete(gridlume_dcad *dcad) { gridlume::destroy(dcad); }

int gridlume_dcad_get_cad(gridlume_dcad *dcad, gridlume_cad **cad) {
  if (dcad == nullptr || cad == nullptr) return GRIDLUME_STATUS_ERROR;
  *cad = dcad->cad;
  return GRIDLUME_STATUS_OK;
}

int gridlume_dcad_get_edge_discretization(gridlume_dcad *dcad, gridlume_cad_edge *edge,
                                          gridlume_dcad_edge_discretization **discretization) {
  if (discretization == nullptr) return GRIDLUME_STATUS_ERROR;
  *discretization = nullptr;
  if (dcad == nullptr || edge == nullptr || edge->face == nullptr || edge->face->cad != dcad->cad)
    return GRIDLUME_STATUS_ERROR;
  return dcad->edges.get(edge, *discretization);
}

int gridlume_dcad_query_edge_discretization(gridlume_dcad *dcad, gridlume_cad_edge *edge,
                                            gridlume_dcad_edge_discretization **discretization) {
  if (dcad == nullptr || discretization == nullptr) return GRIDLUME_STATUS_ERROR;
  *discretization = dcad->edges.query(edge);
  return GRIDLUME_STATUS_OK;
}

int gridlume_dcad_get_wire_discretization(gridlume_dcad *dcad, gridlume_cad_wire *wire,
                                          gridlume_dcad_wire_discretization **discretization) {
  if (discretization == nullptr) return GRIDLUME_STATUS_ERROR;
  *discretization = nullptr;
  if (dcad == nullptr || wire == nullptr || wire->cad != dcad->cad) return GRIDLUME_STATUS_ERROR;
  return dcad->wires.get(wire, *discretization);
}

int gridlume_dcad_query_wire_discretization(gridlume_dcad *dcad, gridlume_cad_wire *wire,
                                            gridlume_dcad_wire_discretization **discretization) {
  if (dcad == nullptr || discretization == nullptr) return GRIDLUME_STATUS_ERROR;
  *discretization = dcad->wires.query(wire);
  return GRIDLUME_STATUS_OK;
}

}  // extern "C"
