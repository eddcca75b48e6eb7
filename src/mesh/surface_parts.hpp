// The parts of a mesh that concatenation and surface extraction carry: the
// vertices, and the edges, triangles and quadrangles with their tags.
#pragma once

#include <array>

#include "mesh/mesh.hpp"

namespace gridlume {

struct SurfaceElementKind {
  Slot count;
  Slot vertices;
  Slot tag;
  int width;  // vertices per element
};

inline constexpr std::array<SurfaceElementKind, 3> surface_element_kinds = {{
    {slot_edge_count, slot_edge_vertices, slot_edge_tag, attribute_table[slot_edge_vertices].width},
    {slot_triangle_count, slot_triangle_vertices, slot_triangle_tag,
     attribute_table[slot_triangle_vertices].width},
    {slot_quadrangle_count, slot_quadrangle_vertices, slot_quadrangle_tag,
     attribute_table[slot_quadrangle_vertices].width},
}};

// The widest surface element.
inline constexpr int surface_element_width = attribute_table[slot_quadrangle_vertices].width;

}  // namespace gridlume
