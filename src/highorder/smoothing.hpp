// The mid-node optimisation: smoothing of the inner high-order nodes, and
// the stack-based repair that straightens what stays invalid.
#pragma once

#include <cstdint>

#include "highorder/conversion.hpp"

namespace gridlume::highorder {

inline constexpr int smoothing_iteration_limit = 101;
// Edges and faces with more elements around them are left alone.
inline constexpr int neighbourhood_limit = 100;
// Elements of this quality or more are good and are not smoothed.
inline constexpr double good_quality = 0.5;

// Smooths the inner high-order nodes of the elements below good_quality
// (each edge node by the first move routine, each quadrangular-face and
// hexahedron centre node by the second) for at most 101 iterations,
// stopping once a routine moves nothing; every move updates the stored
// qualities of the elements around its node.
// Prints one line per iteration when verbose. code_success or code_failure.
//
// Both routines are "smart" Laplacian moves (Freitag, Jones and Plassmann,
// 1995): the node is pulled towards a target and the move is kept only when
// the worst quality of the elements around the node improves, trying the
// whole move, then a half and a quarter of it. The target of an edge node
// is its straight position plus the mean displacement of the other
// high-order nodes around it (the harmonic position); that of a face or
// centre node is the transfinite interpolation of its edges.
int smooth_mid_nodes(ConversionState &state) noexcept;

// Which elements the repair takes: quality <= 0, or in the boundary-layer
// variant quality <= 0 and below twice the quality before curving.
enum class RepairRule { invalid, worse_than_before };

// The stack-based repair: every element the rule takes goes on a stack; an
// element popped gets its high-order nodes halfway back to their straight
// positions (the first time it is popped, when that makes it valid) or all
// the way, and each element sharing one of those nodes and not straightened
// yet, re-evaluated, goes on the stack when the rule now takes it. Since a
// straight-sided element of a valid linear mesh is valid, every element the
// repair leaves is valid. Returns the number of pops, or -1 when memory
// fails.
std::int64_t repair_elements(ConversionState &state, RepairRule rule) noexcept;

}  // namespace gridlume::highorder
