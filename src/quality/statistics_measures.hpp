// Element measures that only the statistics report: element validity,
// tetrahedron height and face element validity. Built on the shared kernels
// and topology tables; inline, on the stack.
#pragma once

#include <array>
#include <cmath>
#include <span>

#include "quality/element_kernels.hpp"
#include "quality/element_topology.hpp"
#include "quality/geometry.hpp"

namespace gridlume::statistics::measures {

using geometry::Vector3;
using topology::Triangle;

// Volumes of the reference elements of edge length l, per l^3.
inline constexpr double regular_tetrahedron_volume_scale = 0.11785113019775793;  // sqrt(2)/12
inline constexpr double pyramid_reference_volume_scale = 0.12077427812594238;
inline constexpr double right_prism_volume_scale = 0.14433756729740643;  // sqrt(3)/12
inline constexpr double cube_reference_volume_scale = 1.0 / 6.0;

// The mean squared length of the listed edges.
inline double mean_squared_edge_length(const Vector3 *p, std::span<const topology::Edge> edges) {
  double sum = 0.0;
  for (const topology::Edge &edge : edges) sum += geometry::squared_norm(p[edge[1]] - p[edge[0]]);
  return sum / static_cast<double>(edges.size());
}

// (Vref - V) / Vref, with Vref the volume of the reference element whose
// squared edge length is the element's mean and V the given volume: 0 for
// the reference element, 1 flat, above 1 inverted.
inline double validity(double mean_squared_length, double volume_scale, double volume) {
  const double reference = volume_scale * mean_squared_length * std::sqrt(mean_squared_length);
  return (reference - volume) / reference;
}

inline double tetrahedron_element_validity(const Vector3 *p) {
  return validity(mean_squared_edge_length(p, topology::tetrahedron_edges),
                  regular_tetrahedron_volume_scale, gridlume::measures::tetrahedron_volume(p));
}
inline double pyramid_element_validity(const Vector3 *p) {
  return validity(mean_squared_edge_length(p, topology::pyramid_edges),
                  pyramid_reference_volume_scale,
                  gridlume::measures::minimum_volume(p, topology::pyramid_tetrahedra,
                                                     geometry::infinity));
}
inline double prism_element_validity(const Vector3 *p) {
  return validity(mean_squared_edge_length(p, topology::prism_edges), right_prism_volume_scale,
                  gridlume::measures::minimum_volume(p, topology::prism_tetrahedra,
                                                     geometry::infinity));
}
inline double hexahedron_element_validity(const Vector3 *p) {
  return validity(mean_squared_edge_length(p, topology::hexahedron_edges),
                  cube_reference_volume_scale,
                  gridlume::measures::minimum_volume(p, topology::hexahedron_tetrahedra,
                                                     geometry::infinity));
}

// The faces over which the height is taken.
inline constexpr std::array<Triangle, 4> tetrahedron_height_faces = {
    {{0, 1, 2}, {1, 2, 3}, {2, 0, 3}, {0, 1, 3}}};

// The smallest distance from a vertex to the opposite face: 3 |V| / area.
inline double tetrahedron_height(const Vector3 *p) {
  const double three_volume = 3.0 * std::fabs(gridlume::measures::tetrahedron_volume(p));
  double height = geometry::infinity;
  for (const Triangle &f : tetrahedron_height_faces)
    height = std::min(height, three_volume / geometry::triangle_area(p[f[0]], p[f[1]], p[f[2]]));
  return height;
}

// ---- Face element validity -------------------------------------------------

// Triangles (a, b, d) oriented so that the tetrahedron (a, b, d, centroid) is
// positive when the element is valid; quadrangular faces appear with both
// diagonal splits.
inline constexpr std::array<Triangle, 24> hexahedron_validity_faces = {{
    {0, 1, 3}, {1, 2, 3}, {0, 2, 3}, {0, 1, 2}, {4, 0, 7}, {0, 3, 7}, {4, 3, 7}, {4, 0, 3},
    {5, 4, 6}, {4, 7, 6}, {5, 7, 6}, {5, 4, 7}, {1, 5, 2}, {5, 6, 2}, {1, 6, 2}, {1, 5, 6},
    {1, 4, 5}, {1, 0, 4}, {1, 0, 5}, {0, 4, 5}, {6, 7, 2}, {7, 3, 2}, {6, 3, 2}, {6, 7, 3},
}};
inline constexpr std::array<Triangle, 8> pyramid_validity_faces = {
    {{0, 1, 3}, {1, 2, 3}, {0, 2, 3}, {0, 1, 2}, {4, 0, 3}, {4, 1, 0}, {4, 2, 1}, {2, 4, 3}}};
// The prism's two ends and each of its three sides with both splits, in the
// same orientation as the others.
inline constexpr std::array<Triangle, 14> prism_validity_faces = {{
    {0, 1, 2}, {3, 5, 4},                         // ends
    {0, 3, 1}, {1, 3, 4}, {0, 4, 1}, {0, 3, 4},  // side 0-1-4-3
    {1, 4, 2}, {2, 4, 5}, {1, 5, 2}, {1, 4, 5},  // side 1-2-5-4
    {2, 3, 0}, {2, 5, 3}, {2, 5, 0}, {5, 3, 0},  // side 2-0-3-5
}};

// Whether every face sees the centroid of the element on its inner side.
template <int corner_count>
inline bool faces_see_centroid(const Vector3 *p, std::span<const Triangle> faces) {
  Vector3 centroid = {0.0, 0.0, 0.0};
  for (int k = 0; k < corner_count; ++k) centroid = centroid + p[k];
  const double scale = 1.0 / corner_count;
  centroid = {centroid.x * scale, centroid.y * scale, centroid.z * scale};
  for (const Triangle &f : faces)
    if (!(geometry::signed_tetrahedron_volume(p[f[0]], p[f[1]], p[f[2]], centroid) > 0.0))
      return false;
  return true;
}

inline bool tetrahedron_face_valid(const Vector3 *p) {
  return gridlume::measures::tetrahedron_volume(p) > 0.0;
}
inline bool pyramid_face_valid(const Vector3 *p) {
  return faces_see_centroid<topology::pyramid_corners>(p, pyramid_validity_faces);
}
inline bool prism_face_valid(const Vector3 *p) {
  return faces_see_centroid<topology::prism_corners>(p, prism_validity_faces);
}
inline bool hexahedron_face_valid(const Vector3 *p) {
  return faces_see_centroid<topology::hexahedron_corners>(p, hexahedron_validity_faces);
}

}  // namespace gridlume::statistics::measures

namespace gridlume::statistics::member_measures {
// Every element measure a report can name: the quality measures and the
// statistics' own.
using namespace gridlume::measures;
using namespace gridlume::statistics::measures;
}  // namespace gridlume::statistics::member_measures
