// The curved description of the boundary: where its mid-nodes go.
#pragma once

#include "highorder/conversion.hpp"

namespace gridlume::highorder {

// Boundary edges whose two faces meet at an angle above this (degrees), or
// whose faces carry different tags, or that do not have exactly two faces,
// are ridges: they stay straight and their ends take the normals of each
// smooth side separately.
inline constexpr double ridge_angle_degrees = 45.0;

// Derives curved positions for the boundary nodes from the linear surface,
// stores them in state.topology.curved and moves the nodes there.
//
// Vertex normals are the facet normals weighted as Max ("Weights for
// computing vertex normals from facet normals", 1999), exact for vertices
// whose neighbours lie on a sphere. A boundary edge (a, b) becomes the cubic
// Hermite curve whose tangents at a and b are the chord projected on the
// tangent planes (the edge curve of the PN triangles of Vlachos et al.,
// 2001); the mid-node is its point at parameter 1/2,
//   (a + b)/2 + f/4 ((d.nb) nb - (d.na) na),  d = b - a,
// with f the surface-derivation factor (0.5 gives the Hermite midpoint).
// Quadrangle centres follow their edges by transfinite interpolation.
// Throws std::bad_alloc.
void derive_curved_boundary(ConversionState &state);

// Takes the positions of the boundary nodes from the given second-order
// surface: triangle i (quadrangle i) of the surface gives the nodes of
// triangle i (quadrangle i) of the mesh, edge by edge. code_success, or
// code_failure for a surface node number out of range.
int project_on_surface(ConversionState &state) noexcept;

}  // namespace gridlume::highorder
