// The discretised cad: a companion of a cad that keeps one discretisation
// per edge or wire object, found through a pointer-keyed table.
#include <cstring>

#include "cad/cad.hpp"
#include "cad/discretization.hpp"
#include "cad/objects.hpp"
#include "core/allocator.hpp"
#include "core/hash_table.hpp"

namespace gridlume {
namespace {

// The edge count a dcad is sized for when the cad has no edge yet.
constexpr std::int32_t default_edge_capacity = 50000;
// The least edge count a dcad is sized for otherwise.
constexpr std::int32_t minimum_edge_capacity = 2;
// The wire table's size when the cad has no wire.
constexpr std::int32_t default_wire_capacity = 23;

// One table of discretisations: key numbers from the pointer table, values
// in a zero-filled array indexed by number (slot 0 unused).
template <class D>
struct DiscretizationTable {
  PointerTable keys;
  D **values = nullptr;
  std::int32_t value_capacity = 0;  // numbers 1..value_capacity have a slot

  DiscretizationTable() noexcept = default;
  DiscretizationTable(const DiscretizationTable &) = delete;
  DiscretizationTable &operator=(const DiscretizationTable &) = delete;
  ~DiscretizationTable() {
    for (std::int32_t number = 1; number <= value_capacity; ++number) {
      if (values[number] == nullptr) continue;
      values[number]->release();
      destroy(values[number]);
    }
    gridlume_free(values);
  }

  int create(std::int32_t size) noexcept {
    int status = keys.create(size, size);
    if (status == GRIDLUME_STATUS_OK) status = grow_values(keys.capacity());
    return status;
  }

  int grow_values(std::int32_t capacity) noexcept {
    if (capacity <= value_capacity) return GRIDLUME_STATUS_OK;
    void *grown =
        gridlume_realloc(values, sizeof(D *) * (static_cast<std::size_t>(capacity) + 1));
    if (grown == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
    values = static_cast<D **>(grown);
    std::memset(values + value_capacity + 1, 0,
                sizeof(D *) * static_cast<std::size_t>(capacity - value_capacity));
    value_capacity = capacity;
    return GRIDLUME_STATUS_OK;
  }

  D *query(const void *object) const noexcept {
    std::int32_t number = keys.find(object);
    return number != 0 && number <= value_capacity ? values[number] : nullptr;
  }

  // The object's discretisation, made empty when absent; -5 when memory
  // fails (nothing made stays).
  int get(const void *object, D *&result) noexcept {
    result = query(object);
    if (result != nullptr) return GRIDLUME_STATUS_OK;
    std::int32_t number = keys.insert(object);
    if (number == 0) return GRIDLUME_STATUS_NO_MEMORY;
    if (number > value_capacity &&
        grow_values(std::max(keys.capacity(), number)) != GRIDLUME_STATUS_OK)
      return GRIDLUME_STATUS_NO_MEMORY;
    D *made = gridlume::create<D>();
    if (made == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
    values[number] = made;
    result = made;
    return GRIDLUME_STATUS_OK;
  }
};

std::int32_t cad_edge_total(gridlume_cad *cad) noexcept {
  long long total = 0;
  for (gridlume_cad_face *face : cad->faces) total += face->edges.count();
  if (total == 0) return default_edge_capacity;
  return static_cast<std::int32_t>(std::min<long long>(std::max<long long>(total, minimum_edge_capacity),
                                                       INT32_MAX / 2));
}

}  // namespace
}  // namespace gridlume

struct gridlume_dcad {
  gridlume_context *context;
  gridlume_cad *cad;
  gridlume::DiscretizationTable<gridlume_dcad_edge_discretization> edges;
  gridlume::DiscretizationTable<gridlume_dcad_wire_discretization> wires;
};

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
