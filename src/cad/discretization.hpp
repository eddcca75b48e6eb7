// The discretisations a dcad keeps for edges and wires: parallel arrays of
// parameters, uv (edges only), xyz and tags, and property bits.
#pragma once

#include <cstdint>

#include "gridlume/dcad.h"

namespace gridlume {

template <bool WithUv>
struct Discretization {
  static constexpr bool with_uv = WithUv;
  std::int32_t count;
  double *t;
  double *uv;  // stays nullptr for a wire
  double *xyz;
  int *tags;
  std::int32_t property;

  // Resizes every array to n vertices, the new ones zero; 0 frees them. 0,
  // or -5 with the count unchanged (arrays already resized keep their size).
  int set_count(std::int32_t n) noexcept;
  void release() noexcept;
};

}  // namespace gridlume

struct gridlume_dcad_edge_discretization : gridlume::Discretization<true> {};
struct gridlume_dcad_wire_discretization : gridlume::Discretization<false> {};
