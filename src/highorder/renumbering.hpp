// Renumberings of the conversion: a spatially coherent order for the
// workers and back, and the numbers of a given second-order surface.
#pragma once

#include <array>
#include <cstdint>

#include "highorder/conversion.hpp"

namespace gridlume::highorder {

// What renumber_for_workers changed, for restore_numbering.
struct WorkerNumbering {
  bool active = false;
  Vector<std::int32_t> vertex_origin;                           // new vertex -> input vertex
  std::array<Vector<std::int32_t>, kind_slots> element_origin;  // new element -> input element
};

// Renumbers the linear mesh (before node generation) so that nearby
// vertices and elements have nearby numbers: vertices by the cells of a grid
// of about one vertex per cell over their bounding box, in rows along its
// shortest side and layers along its longest side; the elements of each kind
// by their smallest new vertex number. Neighbouring elements then fall in the
// same or neighbouring blocks of the loops and share cache lines, and node
// generation sweeps its hash through a narrow window. An input whose
// numbering already has that property is left as it is (`numbering` stays
// inactive). code_success or code_failure.
int renumber_for_workers(ConversionState &state, WorkerNumbering &numbering) noexcept;

// Gives the input vertices and elements their numbers back and numbers the
// generated nodes in the order a conversion on one thread creates them (by
// first appearance along the node lists of the elements in input order,
// element centres after all edge and face nodes), so
// that the result does not depend on the number of threads. code_success or
// code_failure.
int restore_numbering(ConversionState &state, WorkerNumbering &numbering) noexcept;

// Renumbers the vertices so that every node of boundary triangle i
// (quadrangle i) carries the number of the corresponding node of triangle
// i (quadrangle i) of the given surface; the other vertices take the
// remaining numbers in their current order. code_success, or code_failure
// when two nodes would take one number or a number is out of range.
int renumber_to_surface(ConversionState &state) noexcept;

// Applies a vertex renumbering: `new_of_old[v]` is the new number of vertex
// v, a permutation of 1..vertex count. Throws std::bad_alloc.
void apply_vertex_numbers(ConversionState &state, const Vector<std::int32_t> &new_of_old);

}  // namespace gridlume::highorder
