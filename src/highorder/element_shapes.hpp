// The fixed shapes of the second-order elements: which corners each edge
// and face joins and where their nodes sit in the node list (see
// internal_mesh.hpp). Faces are listed with outward orientation for an
// element of positive volume, so a face met only once is a boundary face
// seen from outside.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "highorder/internal_mesh.hpp"

namespace gridlume::highorder::shapes {

using Edge = std::array<std::int8_t, 2>;
using Triangle = std::array<std::int8_t, 3>;
using Quadrangle = std::array<std::int8_t, 4>;

inline constexpr std::array<Edge, 1> edge_edges = {{{0, 1}}};
inline constexpr std::array<Edge, 3> triangle_edges = {{{0, 1}, {1, 2}, {2, 0}}};
inline constexpr std::array<Edge, 4> quadrangle_edges = {{{0, 1}, {1, 2}, {2, 3}, {3, 0}}};
inline constexpr std::array<Edge, 6> tetrahedron_edges = {
    {{0, 1}, {1, 2}, {2, 0}, {0, 3}, {1, 3}, {2, 3}}};
inline constexpr std::array<Edge, 8> pyramid_edges = {
    {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {0, 4}, {1, 4}, {2, 4}, {3, 4}}};
inline constexpr std::array<Edge, 9> prism_edges = {
    {{0, 1}, {1, 2}, {2, 0}, {3, 4}, {4, 5}, {5, 3}, {0, 3}, {1, 4}, {2, 5}}};
inline constexpr std::array<Edge, 12> hexahedron_edges = {{{0, 1},
                                                           {1, 2},
                                                           {2, 3},
                                                           {3, 0},
                                                           {4, 5},
                                                           {5, 6},
                                                           {6, 7},
                                                           {7, 4},
                                                           {0, 4},
                                                           {1, 5},
                                                           {2, 6},
                                                           {3, 7}}};

inline constexpr std::array<Quadrangle, 1> quadrangle_faces = {{{0, 1, 2, 3}}};
inline constexpr std::array<Quadrangle, 1> pyramid_quadrangles = {{{0, 3, 2, 1}}};
inline constexpr std::array<Quadrangle, 3> prism_quadrangles = {
    {{0, 1, 4, 3}, {1, 2, 5, 4}, {2, 0, 3, 5}}};
inline constexpr std::array<Quadrangle, 6> hexahedron_quadrangles = {
    {{0, 4, 7, 3}, {1, 2, 6, 5}, {0, 1, 5, 4}, {3, 7, 6, 2}, {0, 3, 2, 1}, {4, 5, 6, 7}}};

inline constexpr std::array<Triangle, 1> triangle_faces = {{{0, 1, 2}}};
inline constexpr std::array<Triangle, 4> tetrahedron_triangles = {
    {{0, 2, 1}, {0, 1, 3}, {1, 2, 3}, {0, 3, 2}}};
inline constexpr std::array<Triangle, 4> pyramid_triangles = {
    {{0, 1, 4}, {1, 2, 4}, {2, 3, 4}, {3, 0, 4}}};
inline constexpr std::array<Triangle, 2> prism_triangles = {{{0, 2, 1}, {3, 4, 5}}};

struct Shape {
  int corners;
  int nodes;  // at order 2
  std::span<const Edge> edges;
  std::span<const Triangle> triangles;
  std::span<const Quadrangle> quadrangles;
  // Position of the first quadrangle-face node (they follow in face order);
  // the element's centre node, or -1.
  int first_face_node;
  int centre_node;
};

// Order-2 shapes by kind; slot 0 unused. The first edge node always follows
// the corners.
inline constexpr std::array<Shape, kind_slots> order2_shapes = {{
    {0, 0, {}, {}, {}, -1, -1},
    {2, 3, edge_edges, {}, {}, -1, -1},
    {3, 6, triangle_edges, triangle_faces, {}, -1, -1},
    {4, 9, quadrangle_edges, {}, quadrangle_faces, 8, -1},
    {4, 10, tetrahedron_edges, tetrahedron_triangles, {}, -1, -1},
    {5, 14, pyramid_edges, pyramid_triangles, pyramid_quadrangles, 13, -1},
    {6, 18, prism_edges, prism_triangles, prism_quadrangles, 15, -1},
    {8, 27, hexahedron_edges, {}, hexahedron_quadrangles, 20, 26},
}};

// The node position of local edge `edge` of an element.
inline constexpr int edge_node(int kind, int edge) noexcept {
  return order2_shapes[kind].corners + edge;
}

// The local edge joining corners a and b, or -1.
inline int find_edge(int kind, int a, int b) noexcept {
  const auto edges = order2_shapes[kind].edges;
  for (std::size_t i = 0; i < edges.size(); ++i)
    if ((edges[i][0] == a && edges[i][1] == b) || (edges[i][0] == b && edges[i][1] == a))
      return static_cast<int>(i);
  return -1;
}

}  // namespace gridlume::highorder::shapes
