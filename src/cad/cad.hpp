// The cad record. Its first two fields, the type marker and the context, are
// the same as every other object's, so a handle of any kind can be asked
// whether it is a cad.
#pragma once

#include <cstdint>

#include "gridlume/cad.h"
#include "gridlume/context.h"

namespace gridlume {
inline constexpr std::int32_t cad_type_tag = 1231;
}  // namespace gridlume

struct gridlume_cad {
  std::int32_t type_tag;
  gridlume_context *context;
};
