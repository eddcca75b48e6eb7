// What the side formats (bulk data, STL, points/faces, VTK) share: files
// closed when they go out of scope, and the element kinds reached through the
// mesh's exported accessors.
#pragma once

#include <cstdio>
#include <memory>

#include "gridlume/mesh.h"

namespace gridlume {

struct FileCloser {
  void operator()(std::FILE *file) const noexcept { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// The accessors of one element kind.
struct ElementAccess {
  int corners;
  int (*get_count)(gridlume_mesh *, int *);
  int (*get_vertices)(gridlume_mesh *, int, int *);
  int (*get_tag)(gridlume_mesh *, int, int *);
  int (*set_count)(gridlume_mesh *, int);
  int (*set_vertices)(gridlume_mesh *, int, const int *);
  int (*set_tag)(gridlume_mesh *, int, const int *);
};

#define GRIDLUME_ELEMENT_ACCESS(kind, corners)                                            \
  ElementAccess {                                                                         \
    corners, gridlume_mesh_get_##kind##_count, gridlume_mesh_get_##kind##_vertices,       \
        gridlume_mesh_get_##kind##_tag, gridlume_mesh_set_##kind##_count,                 \
        gridlume_mesh_set_##kind##_vertices, gridlume_mesh_set_##kind##_tag               \
  }

inline constexpr ElementAccess edge_access = GRIDLUME_ELEMENT_ACCESS(edge, 2);
inline constexpr ElementAccess triangle_access = GRIDLUME_ELEMENT_ACCESS(triangle, 3);
inline constexpr ElementAccess quadrangle_access = GRIDLUME_ELEMENT_ACCESS(quadrangle, 4);
inline constexpr ElementAccess tetrahedron_access = GRIDLUME_ELEMENT_ACCESS(tetrahedron, 4);
inline constexpr ElementAccess pyramid_access = GRIDLUME_ELEMENT_ACCESS(pyramid, 5);
inline constexpr ElementAccess prism_access = GRIDLUME_ELEMENT_ACCESS(prism, 6);
inline constexpr ElementAccess hexahedron_access = GRIDLUME_ELEMENT_ACCESS(hexahedron, 8);

#undef GRIDLUME_ELEMENT_ACCESS

// The most corners of any linear element.
inline constexpr int max_corners = 8;

// A count the writers cannot read is taken as 0.
inline int count_or_zero(int (*get_count)(gridlume_mesh *, int *), gridlume_mesh *mesh) noexcept {
  int count = 0;
  if (get_count(mesh, &count) != 0 || count < 0) return 0;
  return count;
}

}  // namespace gridlume
