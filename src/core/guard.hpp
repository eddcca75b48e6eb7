// The interface boundary: no C++ exception crosses it. Memory exhaustion
// becomes status -5 (or a NULL handle); anything else unexpected becomes -1.
#pragma once

#include <new>

#include "gridlume/common.h"

namespace gridlume {

template <class Operation>
int guard_status(Operation &&operation) noexcept {
  try {
    return operation();
  } catch (const std::bad_alloc &) {
    return GRIDLUME_STATUS_NO_MEMORY;
  } catch (...) {
    return GRIDLUME_STATUS_ERROR;
  }
}

template <class Operation>
auto guard_handle(Operation &&operation) noexcept -> decltype(operation()) {
  try {
    return operation();
  } catch (...) {
    return nullptr;
  }
}

}  // namespace gridlume
