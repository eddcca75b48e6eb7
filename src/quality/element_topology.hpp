// The fixed topology of the mesh elements, as the quality measures, the
// statistics, the coherency check and the cracker walk them: faces, edges and
// tetrahedral decompositions, in local vertex numbers (0-based, in the order
// the mesh returns an element's vertices). The orders are part of the
// behaviour: skews take maxima and volumes minima in these orders, and the
// orientation of a face fixes the sign of its normal.
#pragma once

#include <array>
#include <cstddef>
#include <span>

namespace gridlume::topology {

using Triangle = std::array<int, 3>;
using Quadrangle = std::array<int, 4>;
using Edge = std::array<int, 2>;
using Tetrahedron = std::array<int, 4>;

// Corner counts of the element kinds.
inline constexpr int triangle_corners = 3;
inline constexpr int quadrangle_corners = 4;
inline constexpr int tetrahedron_corners = 4;
inline constexpr int pyramid_corners = 5;
inline constexpr int prism_corners = 6;
inline constexpr int hexahedron_corners = 8;
inline constexpr int max_element_corners = hexahedron_corners;

// The faces of a volume element, split by shape.
struct FaceSet {
  std::span<const Triangle> triangles;
  std::span<const Quadrangle> quadrangles;
};

// ---- Faces walked by the equiangle skews --------------------------------

inline constexpr std::array<Triangle, 4> tetrahedron_skew_triangles = {
    {{0, 3, 1}, {0, 1, 2}, {1, 3, 2}, {2, 3, 0}}};

inline constexpr std::array<Triangle, 4> pyramid_side_triangles = {
    {{0, 4, 1}, {1, 4, 2}, {2, 4, 3}, {3, 4, 0}}};
inline constexpr std::array<Quadrangle, 1> pyramid_base = {{{0, 1, 2, 3}}};

inline constexpr std::array<Triangle, 2> prism_end_triangles = {{{5, 4, 3}, {0, 1, 2}}};
inline constexpr std::array<Quadrangle, 3> prism_skew_quadrangles = {
    {{0, 3, 4, 1}, {1, 4, 5, 2}, {2, 5, 3, 0}}};

inline constexpr std::array<Quadrangle, 6> hexahedron_quadrangles = {
    {{7, 6, 5, 4}, {0, 1, 2, 3}, {0, 4, 5, 1}, {1, 5, 6, 2}, {2, 6, 7, 3}, {3, 7, 4, 0}}};

inline constexpr FaceSet pyramid_skew_faces = {pyramid_side_triangles, pyramid_base};
inline constexpr FaceSet prism_skew_faces = {prism_end_triangles, prism_skew_quadrangles};
inline constexpr FaceSet hexahedron_skew_faces = {{}, hexahedron_quadrangles};

// ---- Quadrangular faces walked by the planarity -------------------------

// The prism's sides in another order than for its skew.
inline constexpr std::array<Quadrangle, 3> prism_planarity_quadrangles = {
    {{1, 4, 5, 2}, {0, 3, 4, 1}, {2, 5, 3, 0}}};

inline constexpr std::span<const Quadrangle> pyramid_planarity_faces = pyramid_base;
inline constexpr std::span<const Quadrangle> prism_planarity_faces = prism_planarity_quadrangles;
inline constexpr std::span<const Quadrangle> hexahedron_planarity_faces = hexahedron_quadrangles;

// ---- Tetrahedron faces --------------------------------------------------

// The faces whose unit normals give the dihedral angles: N0..N3.
inline constexpr std::array<Triangle, 4> tetrahedron_dihedral_faces = {
    {{0, 1, 2}, {0, 3, 1}, {1, 3, 2}, {0, 2, 3}}};
// For each dihedral angle, in result order (along edges (0,1), (1,2), (0,2),
// (1,3), (0,3), (2,3)), the two normals of the faces meeting at that edge.
inline constexpr std::array<std::array<int, 2>, 6> tetrahedron_dihedral_normal_pairs = {
    {{0, 1}, {2, 0}, {3, 0}, {2, 1}, {3, 1}, {3, 2}}};

// The faces a tetrahedron contributes to the face map of the coherency check.
inline constexpr std::array<Triangle, 4> tetrahedron_faces = {
    {{0, 1, 2}, {1, 2, 3}, {1, 3, 0}, {0, 2, 3}}};

// ---- Edges --------------------------------------------------------------

inline constexpr std::array<Edge, 6> tetrahedron_edges = {
    {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}}};
inline constexpr std::array<Edge, 8> pyramid_edges = {
    {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {0, 4}, {1, 4}, {2, 4}, {3, 4}}};
inline constexpr std::array<Edge, 9> prism_edges = {
    {{0, 1}, {1, 2}, {2, 0}, {3, 4}, {4, 5}, {5, 3}, {0, 3}, {1, 4}, {2, 5}}};
inline constexpr std::array<Edge, 12> hexahedron_edges = {{{3, 2},
                                                           {0, 1},
                                                           {4, 5},
                                                           {7, 6},
                                                           {3, 7},
                                                           {2, 6},
                                                           {1, 5},
                                                           {0, 4},
                                                           {3, 0},
                                                           {7, 4},
                                                           {6, 5},
                                                           {2, 1}}};

// ---- Tetrahedral decompositions, for minimum volumes ---------------------

inline constexpr std::array<Tetrahedron, 4> pyramid_tetrahedra = {
    {{0, 1, 3, 4}, {1, 2, 3, 4}, {3, 0, 2, 4}, {0, 1, 2, 4}}};
inline constexpr std::array<Tetrahedron, 6> prism_tetrahedra = {
    {{0, 2, 5, 4}, {5, 3, 0, 4}, {0, 1, 2, 4}, {3, 1, 0, 5}, {1, 3, 4, 5}, {0, 1, 2, 5}}};
inline constexpr std::array<Tetrahedron, 10> hexahedron_tetrahedra = {{{0, 1, 3, 4},
                                                                       {1, 2, 3, 6},
                                                                       {4, 3, 7, 6},
                                                                       {4, 5, 1, 6},
                                                                       {4, 1, 3, 6},
                                                                       {4, 5, 0, 7},
                                                                       {7, 5, 2, 6},
                                                                       {0, 2, 3, 7},
                                                                       {0, 1, 2, 5},
                                                                       {0, 5, 2, 7}}};

}  // namespace gridlume::topology
