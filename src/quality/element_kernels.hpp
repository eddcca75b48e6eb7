// Quality measures of whole elements, on the element's corner coordinates in
// the order the mesh returns its vertices. Shared by the element queries and
// the statistics: inline, on the stack, no allocation. Multi-valued measures
// (angles) write their values; the others return their single value.
#pragma once

#include <algorithm>
#include <span>

#include "quality/element_topology.hpp"
#include "quality/geometry.hpp"

namespace gridlume::measures {

using geometry::Vector3;

// Normalising constants: the ideal element scores 1.
// 1 / (aspect ratio of the right isosceles triangle)
inline constexpr double quadrangle_aspect_ratio_scale = 0.7174389352143008;
inline constexpr double tetrahedron_aspect_ratio_scale = 0.06804138174397717;  // sqrt(6)/36
inline constexpr double tetrahedron_shape_factor_scale = 124.70765814495915;   // 72 sqrt(3)
inline constexpr double hexahedron_aspect_ratio_scale = 0.004009376869372402;  // 1/(144 sqrt(3))
inline constexpr double hexahedron_shape_factor_scale = 249.41531628991834;    // 144 sqrt(3)
inline constexpr double prism_shape_factor_scale = 187.06148721743872;         // 108 sqrt(3)
inline constexpr double pyramid_shape_factor_scale = 187.35294757360376;
// The dihedral angle of the regular tetrahedron and its supplement, degrees.
inline constexpr double regular_dihedral_angle = 70.5287794;
inline constexpr double regular_dihedral_supplement = 109.4712206;

// ---- Triangle -----------------------------------------------------------

// Angles at p1, p2, p0, in degrees.
inline void triangle_angles(const Vector3 *p, double *angles) {
  angles[0] = geometry::corner_angle(p[0], p[1], p[2]);
  angles[1] = geometry::corner_angle(p[1], p[2], p[0]);
  angles[2] = geometry::corner_angle(p[2], p[0], p[1]);
}
inline double triangle_area(const Vector3 *p) { return geometry::triangle_area(p[0], p[1], p[2]); }
inline double triangle_aspect_ratio(const Vector3 *p) {
  return geometry::triangle_aspect_ratio(p[0], p[1], p[2]);
}
// 0 for a flat triangle.
inline double triangle_inverse_aspect_ratio(const Vector3 *p) {
  const double l1 = geometry::distance(p[0], p[1]), l2 = geometry::distance(p[1], p[2]),
               l3 = geometry::distance(p[2], p[0]);
  const double area = triangle_area(p);
  if (!(area > 0.0)) return 0.0;
  return area / (geometry::triangle_aspect_ratio_scale * std::max({l1, l2, l3}) * (l1 + l2 + l3));
}
// From the angles, unclamped: within [0, 1] for any angles in [0, 180].
inline double triangle_equiangle_skew(const Vector3 *p) {
  double angles[3];
  triangle_angles(p, angles);
  return geometry::triangle_skew_from_angles(angles[0], angles[1], angles[2]);
}

// ---- Quadrangle ---------------------------------------------------------

// Angles at p1, p2, p3, p0, in degrees.
inline void quadrangle_angles(const Vector3 *p, double *angles) {
  angles[0] = geometry::corner_angle(p[0], p[1], p[2]);
  angles[1] = geometry::corner_angle(p[1], p[2], p[3]);
  angles[2] = geometry::corner_angle(p[2], p[3], p[0]);
  angles[3] = geometry::corner_angle(p[3], p[0], p[1]);
}
// The worst corner triangle, scaled so the unit square scores 1; +infinity
// when a corner triangle is flat.
inline double quadrangle_aspect_ratio(const Vector3 *p) {
  using geometry::triangle_aspect_ratio;
  return quadrangle_aspect_ratio_scale *
         std::max({triangle_aspect_ratio(p[1], p[2], p[3]), triangle_aspect_ratio(p[0], p[1], p[2]),
                   triangle_aspect_ratio(p[2], p[3], p[0]),
                   triangle_aspect_ratio(p[3], p[0], p[1])});
}
inline double quadrangle_inverse_aspect_ratio(const Vector3 *p) {
  return 1.0 / quadrangle_aspect_ratio(p);
}
inline double quadrangle_equiangle_skew(const Vector3 *p) {
  double angles[4];
  quadrangle_angles(p, angles);
  return geometry::quadrangle_skew_from_angles(angles[0], angles[1], angles[2], angles[3]);
}
inline double quadrangle_planarity(const Vector3 *p) {
  return geometry::quadrangle_planarity(p[0], p[1], p[2], p[3]);
}

// ---- Tetrahedron --------------------------------------------------------

inline double tetrahedron_volume(const Vector3 *p) {
  return geometry::signed_tetrahedron_volume(p[0], p[1], p[2], p[3]);
}

// The aspect ratio hmax * (sum of face areas) / volume, 1 for the regular
// tetrahedron, or its inverse. Written for speed (statistics run it on
// millions of elements): the six edge vectors are formed once, the volume
// reuses the normal of face (0,1,2), and one division ends it. Flat and
// inverted tetrahedra give +infinity, or 0 for the inverse.
//
// The faces take their cross products at a fixed corner rather than at the
// corner of largest sine (as triangle_area does): the rounding of a face
// area from the sides at p0 is bounded by that of the volume from the same
// sides (6V = 2 * area * height, height <= the third side), so choosing
// corners would cost a third of the kernel and gain nothing in the ratio.
//
// The steps are shared with the batched form (element_batch_kernels.hpp),
// which must give the same value to the last bit.
struct TetrahedronEdgeVectors {
  Vector3 e01, e02, e03, e12, e13, e23;
};
inline TetrahedronEdgeVectors tetrahedron_edge_vectors(const Vector3 &p0, const Vector3 &p1,
                                                       const Vector3 &p2, const Vector3 &p3) {
  return {p1 - p0, p2 - p0, p3 - p0, p2 - p1, p3 - p1, p3 - p2};
}
// hmax and the sum of the doubled face areas; `normal_012` = e01 x e02.
struct TetrahedronSize {
  double longest, double_area_sum;
};
inline TetrahedronSize tetrahedron_size(const TetrahedronEdgeVectors &e,
                                        const Vector3 &normal_012) {
  using geometry::cross;
  using geometry::norm;
  using geometry::squared_norm;
  // The longest edge is chosen on squared lengths: one square root.
  const double longest =
      std::sqrt(std::max(std::max(std::max(squared_norm(e.e01), squared_norm(e.e02)),
                                  std::max(squared_norm(e.e03), squared_norm(e.e12))),
                         std::max(squared_norm(e.e13), squared_norm(e.e23))));
  const double double_area_sum = norm(normal_012) + norm(cross(e.e01, e.e03)) +
                                 norm(cross(e.e02, e.e03)) + norm(cross(e.e12, e.e13));
  return {longest, double_area_sum};
}
// scale * hmax * S / V with S = double_area_sum / 2 and V = six_volume / 6,
// for a positive volume.
template <bool inverse>
inline double tetrahedron_aspect_ratio_from(double six_volume, const TetrahedronSize &size) {
  constexpr double scale = 3.0 * tetrahedron_aspect_ratio_scale;
  return inverse ? six_volume / (scale * size.longest * size.double_area_sum)
                 : scale * size.longest * size.double_area_sum / six_volume;
}
// The value of a flat or inverted tetrahedron.
template <bool inverse>
inline constexpr double invalid_tetrahedron_aspect_ratio = inverse ? 0.0 : geometry::infinity;

template <bool inverse>
inline double tetrahedron_aspect_ratio_or_inverse(const Vector3 *p) {
  const TetrahedronEdgeVectors e = tetrahedron_edge_vectors(p[0], p[1], p[2], p[3]);
  const Vector3 normal_012 = geometry::cross(e.e01, e.e02);
  const double six_volume = geometry::dot(normal_012, e.e03);  // det[e01, e02, e03]
  if (!(six_volume > 0.0)) return invalid_tetrahedron_aspect_ratio<inverse>;
  return tetrahedron_aspect_ratio_from<inverse>(six_volume, tetrahedron_size(e, normal_012));
}
inline double tetrahedron_aspect_ratio(const Vector3 *p) {
  return tetrahedron_aspect_ratio_or_inverse<false>(p);
}
inline double tetrahedron_inverse_aspect_ratio(const Vector3 *p) {
  return tetrahedron_aspect_ratio_or_inverse<true>(p);
}

// Sum of the squared lengths of the listed edges, raised to the power 1.5.
inline double edge_length_measure(const Vector3 *p, std::span<const topology::Edge> edges) {
  double sum = 0.0;
  for (const topology::Edge &edge : edges) sum += geometry::squared_norm(p[edge[1]] - p[edge[0]]);
  return sum * std::sqrt(sum);
}

// Signed volume, 1 for the regular tetrahedron, negative when inverted, 0
// when all edges have zero length.
inline double tetrahedron_shape_factor(const Vector3 *p) {
  const double length_measure = edge_length_measure(p, topology::tetrahedron_edges);
  if (length_measure == 0.0) return 0.0;
  return tetrahedron_shape_factor_scale * tetrahedron_volume(p) / length_measure;
}

// Six dihedral angles along edges (0,1), (1,2), (0,2), (1,3), (0,3), (2,3).
inline void tetrahedron_angles(const Vector3 *p, double *angles) {
  Vector3 normals[4];
  for (int f = 0; f < 4; ++f) {
    const topology::Triangle &face = topology::tetrahedron_dihedral_faces[f];
    normals[f] = geometry::face_unit_normal(p[face[0]], p[face[1]], p[face[2]]);
  }
  for (int e = 0; e < 6; ++e) {
    const auto &pair = topology::tetrahedron_dihedral_normal_pairs[e];
    const double cosine = std::clamp(geometry::dot(normals[pair[0]], normals[pair[1]]), -1.0, 1.0);
    angles[e] =
        geometry::straight_angle - std::acos(cosine) * geometry::dihedral_degrees_per_radian;
  }
}
inline double tetrahedron_diedral_equiangle_skew(const Vector3 *p) {
  double angles[6];
  tetrahedron_angles(p, angles);
  const double largest = *std::max_element(angles, angles + 6);
  const double smallest = *std::min_element(angles, angles + 6);
  return std::max((largest - regular_dihedral_angle) / regular_dihedral_supplement,
                  (regular_dihedral_angle - smallest) / regular_dihedral_angle);
}

// ---- Faces of volume elements -------------------------------------------

// The largest equiangle skew over the faces.
inline double faces_equiangle_skew(const Vector3 *p, const topology::FaceSet &faces) {
  double skew = 0.0;
  for (const topology::Triangle &f : faces.triangles)
    skew = std::max(skew, geometry::triangle_equiangle_skew(p[f[0]], p[f[1]], p[f[2]]));
  for (const topology::Quadrangle &f : faces.quadrangles)
    skew = std::max(skew, geometry::quadrangle_equiangle_skew(p[f[0]], p[f[1]], p[f[2]], p[f[3]]));
  return skew;
}

// The smallest planarity over the quadrangular faces.
inline double faces_planarity(const Vector3 *p, std::span<const topology::Quadrangle> faces) {
  double planarity = 1.0;
  for (const topology::Quadrangle &f : faces)
    planarity =
        std::min(planarity, geometry::quadrangle_planarity(p[f[0]], p[f[1]], p[f[2]], p[f[3]]));
  return planarity;
}

// The smallest signed volume of a tetrahedral decomposition, starting from
// `start`.
inline double minimum_volume(const Vector3 *p, std::span<const topology::Tetrahedron> tetrahedra,
                             double start) {
  double smallest = start;
  for (const topology::Tetrahedron &t : tetrahedra)
    smallest =
        std::min(smallest, geometry::signed_tetrahedron_volume(p[t[0]], p[t[1]], p[t[2]], p[t[3]]));
  return smallest;
}

// scale * (smallest decomposition volume) / (sum of squared edges)^1.5; 0 when
// all edges have zero length.
inline double shape_factor(const Vector3 *p, std::span<const topology::Edge> edges,
                           std::span<const topology::Tetrahedron> tetrahedra, double scale) {
  const double length_measure = edge_length_measure(p, edges);
  if (length_measure == 0.0) return 0.0;
  const topology::Tetrahedron &first = tetrahedra[0];
  const double start =
      geometry::signed_tetrahedron_volume(p[first[0]], p[first[1]], p[first[2]], p[first[3]]);
  return scale * minimum_volume(p, tetrahedra.subspan(1), start) / length_measure;
}

inline double tetrahedron_equiangle_skew(const Vector3 *p) {
  return faces_equiangle_skew(p, {topology::tetrahedron_skew_triangles, {}});
}
inline double pyramid_equiangle_skew(const Vector3 *p) {
  return faces_equiangle_skew(p, topology::pyramid_skew_faces);
}
inline double prism_equiangle_skew(const Vector3 *p) {
  return faces_equiangle_skew(p, topology::prism_skew_faces);
}
inline double hexahedron_equiangle_skew(const Vector3 *p) {
  return faces_equiangle_skew(p, topology::hexahedron_skew_faces);
}

inline double pyramid_planarity(const Vector3 *p) {
  return faces_planarity(p, topology::pyramid_planarity_faces);
}
inline double prism_planarity(const Vector3 *p) {
  return faces_planarity(p, topology::prism_planarity_faces);
}
inline double hexahedron_planarity(const Vector3 *p) {
  return faces_planarity(p, topology::hexahedron_planarity_faces);
}

inline double pyramid_shape_factor(const Vector3 *p) {
  return shape_factor(p, topology::pyramid_edges, topology::pyramid_tetrahedra,
                      pyramid_shape_factor_scale);
}
inline double prism_shape_factor(const Vector3 *p) {
  return shape_factor(p, topology::prism_edges, topology::prism_tetrahedra,
                      prism_shape_factor_scale);
}
inline double hexahedron_shape_factor(const Vector3 *p) {
  return shape_factor(p, topology::hexahedron_edges, topology::hexahedron_tetrahedra,
                      hexahedron_shape_factor_scale);
}

// No special case: a zero smallest volume gives an infinite value, a negative
// one a negative value.
inline double hexahedron_aspect_ratio(const Vector3 *p) {
  return hexahedron_aspect_ratio_scale * edge_length_measure(p, topology::hexahedron_edges) /
         minimum_volume(p, topology::hexahedron_tetrahedra, geometry::infinity);
}
inline double hexahedron_inverse_aspect_ratio(const Vector3 *p) {
  return 1.0 / hexahedron_aspect_ratio(p);
}

}  // namespace gridlume::measures
