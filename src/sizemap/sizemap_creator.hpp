// The size map creator record: its kind, box and the constraints in the order
// they were added.
#pragma once

#include <cstdint>

#include "gridlume/context.h"
#include "gridlume/sizemap_creator.h"
#include "sizemap/constraint.hpp"

struct gridlume_sizemap_creator {
  gridlume_context *context;
  std::int32_t kind;
  gridlume::Constraint *first;
  gridlume::Constraint *last;
  std::int32_t constraint_count;
  gridlume::Vector3 box_minimum;
  gridlume::Vector3 box_maximum;
};
