// The jacobian quality of the second-order elements: Q <= 0 marks an
// invalid element, 1 an element whose jacobian determinant is constant (a
// straight-sided element).
//
// Q is the smallest over the largest jacobian value (bound or sample) of the
// element, a ratio that does not depend on the element's size. The jacobian
// threshold applies to that ratio: an element whose ratio does not exceed
// it gets Q = min(ratio, 0), so it counts as invalid. The default threshold,
// the smallest positive normal double, asks for a positive jacobian only; a
// threshold of 0.1 asks for a jacobian nowhere below a tenth of its largest
// value.
#pragma once

#include <cstdint>

#include "highorder/conversion.hpp"

namespace gridlume::highorder {

// Quality of the order-2 tetrahedron whose ten nodes are at `p` (node
// order of internal_mesh.hpp).
//
// The jacobian determinant of a quadratic tetrahedron is a cubic polynomial.
// Written in the Bernstein basis of degree 3 its 20 coefficients bound it
// from below and above over the whole element (Johnen, Remacle and Geuzaine,
// "Geometrical validity of curvilinear finite elements", 2013), so
// min/max of the coefficients is a quality whose positivity proves the
// element valid everywhere, not only at sample points. The coefficients come
// from the control points of the quadratic map in one pass of 64 triple
// products.
double tetrahedron_bernstein_quality(const double (*p)[3], double threshold) noexcept;
// The "c3d10m" quality: the ten-node tetrahedron as eight linear
// sub-tetrahedra (four corner tetrahedra and the inner octahedron split
// along its diagonal from the (0,1) to the (2,3) mid-node), as modified
// ten-node elements integrate; min/max of their volumes, 1 for a straight
// element.
double tetrahedron_c3d10m_quality(const double (*p)[3], double threshold) noexcept;
// Pyramid of 14 nodes: the worst Bernstein quality of the four quadratic
// tetrahedra of its two splits along a base diagonal, the base centre
// serving as the diagonal's mid-node.
double pyramid_quality(const double (*p)[3], double threshold) noexcept;
// Prism of 18 and hexahedron of 27 nodes: the jacobian of their Lagrange
// map sampled on a lattice of 5 points per direction (the nodes and the
// points halfway between them); min/max of the samples.
double prism_quality(const double (*p)[3], double threshold) noexcept;
double hexahedron_quality(const double (*p)[3], double threshold) noexcept;

// The quality of element `element` of volume kind `kind` in state.mesh, by
// the hook when installed, else by the formulas above (the c3d10m one for
// tetrahedra when selected).
double element_quality(const ConversionState &state, int kind, std::int32_t element) noexcept;

// The bin of a quality: 0 when Q <= 0 or Q > 1, else ceil(10 Q).
int quality_bin(double quality) noexcept;

// Evaluates elements first..last of one volume kind: stores their quality,
// counts it in the worker's histogram row and, with rejection on, marks
// elements of quality >= 0.5 as good (marks[0]). The form the parallel loops
// run; `user` is a QualityLoop.
struct QualityLoop {
  ConversionState *state;
  int kind;
};
void evaluate_quality_range(std::int32_t first, std::int32_t last, int worker, void *user) noexcept;

// Rebuilds the histograms from the stored qualities, when those are known
// to be current (the smoothing and the repair update every element whose
// nodes they move).
void recount_histograms(ConversionState &state) noexcept;

// Evaluates every volume element (histograms cleared first).
void evaluate_all_qualities(ConversionState &state) noexcept;

}  // namespace gridlume::highorder
