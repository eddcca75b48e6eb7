// The element kinds of the mesh object as the Python package names them:
// meshio's cell type names for the linear element and for the second-order
// element whose extra vertices the library's keyword files carry.
#pragma once

#include <array>
#include <string_view>

#include "gridlume.h"

namespace gridlume_python {

struct ElementKind {
  std::string_view library_name;     // "tetrahedron": the accessor and measure names
  std::string_view linear_name;      // "tetra"
  std::string_view high_order_name;  // "tetra10"
  int corner_count;
  int extra_vertex_count;  // of the second-order element
  int kind_code;           // thousands of the extra-vertex count
  int (*get_count)(gridlume_mesh *, int *);
  int (*set_count)(gridlume_mesh *, int);
  int (*get_vertices)(gridlume_mesh *, int, int *);
  int (*set_vertices)(gridlume_mesh *, int, const int *);
  int (*get_tag)(gridlume_mesh *, int, int *);
  int (*set_tag)(gridlume_mesh *, int, const int *);
  int (*get_extra_vertices)(gridlume_mesh *, int, int *, int *);
  int (*set_extra_vertices)(gridlume_mesh *, int, int, const int *);
  int (*install_vertices_getter)(gridlume_mesh *, gridlume_mesh_integers_getter, void *);
};

// X(library name, linear name, high-order name, corners, extra vertices, kind code)
// in the slot order of the mesh object. The kind codes are those of the
// extra-vertex counts; the extra vertices follow the corners in the order
// of the keyword files' second-order blocks.
#define GRIDLUME_PYTHON_ELEMENT_KINDS(X)                \
  X(edge, "line", "line3", 2, 1, 1)                     \
  X(triangle, "triangle", "triangle6", 3, 3, 2)         \
  X(quadrangle, "quad", "quad9", 4, 5, 3)               \
  X(tetrahedron, "tetra", "tetra10", 4, 6, 4)           \
  X(hexahedron, "hexahedron", "hexahedron27", 8, 19, 5) \
  X(pyramid, "pyramid", "pyramid14", 5, 9, 7)           \
  X(prism, "wedge", "wedge18", 6, 12, 6)

#define GRIDLUME_PYTHON_ELEMENT_KIND_ROW(kind, linear, high_order, corners, extras, code) \
  ElementKind{#kind,                                                                      \
              linear,                                                                     \
              high_order,                                                                 \
              corners,                                                                    \
              extras,                                                                     \
              code,                                                                       \
              gridlume_mesh_get_##kind##_count,                                           \
              gridlume_mesh_set_##kind##_count,                                           \
              gridlume_mesh_get_##kind##_vertices,                                        \
              gridlume_mesh_set_##kind##_vertices,                                        \
              gridlume_mesh_get_##kind##_tag,                                             \
              gridlume_mesh_set_##kind##_tag,                                             \
              gridlume_mesh_get_##kind##_extra_vertices,                                  \
              gridlume_mesh_set_##kind##_extra_vertices,                                  \
              gridlume_mesh_set_get_##kind##_vertices},

inline constexpr std::array element_kinds = {
    GRIDLUME_PYTHON_ELEMENT_KINDS(GRIDLUME_PYTHON_ELEMENT_KIND_ROW)};

// The kind whose linear or second-order cell type is `name`, and whether the
// name is the second-order one; NULL for a name the library has no kind for.
inline const ElementKind *find_cell_type(std::string_view name, bool &high_order) {
  for (const ElementKind &kind : element_kinds) {
    if (name == kind.linear_name) {
      high_order = false;
      return &kind;
    }
    if (name == kind.high_order_name) {
      high_order = true;
      return &kind;
    }
  }
  return nullptr;
}

inline const ElementKind *find_library_kind(std::string_view name) {
  for (const ElementKind &kind : element_kinds)
    if (name == kind.library_name) return &kind;
  return nullptr;
}

// The extra-vertex count of an element is 1000 x kind code + list length.
inline constexpr int extra_vertex_code_step = 1000;

}  // namespace gridlume_python
