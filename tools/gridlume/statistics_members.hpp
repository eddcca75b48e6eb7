// The members of the library's quality statistics that `gridlume stats
// --measure` offers, with the entry-point forms each one has:
//   ALL          plain, _valid, _with_custom_histogram, _with_custom_histogram_valid
//   PLAIN_VALID  plain and _valid
//   PLAIN        plain only
#pragma once

#define GRIDLUME_TOOL_STATISTICS_MEMBERS(X)      \
  X(element_count, PLAIN_VALID)                  \
  X(2D_element_ratio, PLAIN_VALID)               \
  X(triangle_aspect_ratio, ALL)                  \
  X(triangle_inverse_aspect_ratio, ALL)          \
  X(triangle_angles, ALL)                        \
  X(triangle_equiangle_skew, PLAIN_VALID)        \
  X(triangle_area, ALL)                          \
  X(triangle_edge_length, ALL)                   \
  X(quadrangle_aspect_ratio, ALL)                \
  X(quadrangle_inverse_aspect_ratio, ALL)        \
  X(quadrangle_angles, ALL)                      \
  X(quadrangle_equiangle_skew, PLAIN_VALID)      \
  X(quadrangle_planarity, ALL)                   \
  X(quadrangle_edge_length, ALL)                 \
  X(surface_edge_length, ALL)                    \
  X(tetrahedron_aspect_ratio, ALL)               \
  X(tetrahedron_inverse_aspect_ratio, ALL)       \
  X(tetrahedron_angles, ALL)                     \
  X(tetrahedron_equiangle_skew, PLAIN_VALID)     \
  X(tetrahedron_diedral_equiangle_skew, PLAIN)   \
  X(tetrahedron_shape_factor, ALL)               \
  X(tetrahedron_volume, ALL)                     \
  X(tetrahedron_height, PLAIN)                   \
  X(tetrahedron_element_validity, ALL)           \
  X(tetrahedron_face_element_validity, PLAIN_VALID) \
  X(tetrahedron_edge_length, ALL)                \
  X(hexahedron_aspect_ratio, ALL)                \
  X(hexahedron_inverse_aspect_ratio, ALL)        \
  X(hexahedron_shape_factor, ALL)                \
  X(hexahedron_element_validity, ALL)            \
  X(hexahedron_face_element_validity, PLAIN_VALID) \
  X(hexahedron_equiangle_skew, PLAIN)            \
  X(hexahedron_planarity, PLAIN)                 \
  X(hexahedron_edge_length, ALL)                 \
  X(prism_shape_factor, ALL)                     \
  X(prism_element_validity, ALL)                 \
  X(prism_face_element_validity, PLAIN_VALID)    \
  X(prism_equiangle_skew, PLAIN)                 \
  X(prism_planarity, PLAIN)                      \
  X(prism_edge_length, ALL)                      \
  X(pyramid_shape_factor, ALL)                   \
  X(pyramid_element_validity, ALL)               \
  X(pyramid_face_element_validity, PLAIN_VALID)  \
  X(pyramid_equiangle_skew, PLAIN)               \
  X(pyramid_planarity, PLAIN)                    \
  X(pyramid_edge_length, ALL)                    \
  X(volume_edge_length, ALL)
