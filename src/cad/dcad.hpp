// The discretised cad: a companion of a cad that keeps one discretisation
// per edge or wire object, found through a pointer-keyed table.
#pragma once

#include <algorithm>
#include <cstring>

#include "cad/discretization.hpp"
#include "core/allocator.hpp"
#include "core/hash_table.hpp"
#include "gridlume/context.h"

namespace gridlume {

// The edge count a dcad is sized for when the cad has no edge yet.
inline constexpr std::int32_t default_edge_capacity = 50000;
// The least edge count a dcad is sized for otherwise.
inline constexpr std::int32_t minimum_edge_capacity = 2;
// The wire table's size when the cad has no wire.
inline constexpr std::int32_t default_wire_capacity = 23;

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
    void *grown = gridlume_realloc(values, sizeof(D *) * (static_cast<std::size_t>(capacity) + 1));
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

}  // namespace gridlume

struct gridlume_dcad {
  gridlume_context *context;
  gridlume_cad *cad;
  gridlume::DiscretizationTable<gridlume_dcad_edge_discretization> edges;
  gridlume::DiscretizationTable<gridlume_dcad_wire_discretization> wires;
};
