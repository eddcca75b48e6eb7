// Legacy VTK text export of the volume elements: the vertices, then the
// tetrahedra, pyramids, prisms and hexahedra as cells of an unstructured
// grid, their vertices in the mesh's own order counted from 0.
#include <cstdio>

#include "gridlume/mesh_formats.h"
#include "io/side_formats.hpp"

namespace gridlume {

namespace {

struct VtkCellKind {
  const ElementAccess *access;
  int cell_type;
};

// In this order in the file; the VTK cell type codes of each kind.
constexpr VtkCellKind vtk_cell_kinds[] = {
    {&tetrahedron_access, 10},
    {&pyramid_access, 14},
    {&prism_access, 13},
    {&hexahedron_access, 12},
};

constexpr const char *vtk_header =
    "# vtk DataFile Version 2.0\nUnstructured Gridlume export\nASCII\nDATASET UNSTRUCTURED_GRID\n";

int write_vtk(gridlume_mesh *mesh, std::FILE *file) {
  const int vertex_count = count_or_zero(gridlume_mesh_get_vertex_count, mesh);
  std::fputs(vtk_header, file);
  std::fprintf(file, "\nPOINTS %d double\n", vertex_count);
  for (int i = 1; i <= vertex_count; ++i) {
    double xyz[3];
    int status = gridlume_mesh_get_vertex_coordinates(mesh, i, xyz);
    if (status != 0) return status;
    std::fprintf(file, "%.12lf %.12lf %.12lf\n", xyz[0], xyz[1], xyz[2]);
  }
  int counts[std::size(vtk_cell_kinds)];
  int cell_count = 0, list_size = 0;
  for (std::size_t k = 0; k < std::size(vtk_cell_kinds); ++k) {
    const ElementAccess &access = *vtk_cell_kinds[k].access;
    counts[k] = count_or_zero(access.get_count, mesh);
    cell_count += counts[k];
    list_size += (access.corners + 1) * counts[k];  // the vertex count leads each cell
  }
  std::fprintf(file, "\nCELLS %d %d\n", cell_count, list_size);
  for (std::size_t k = 0; k < std::size(vtk_cell_kinds); ++k) {
    const ElementAccess &access = *vtk_cell_kinds[k].access;
    for (int i = 1; i <= counts[k]; ++i) {
      int vertices[max_corners];
      int status = access.get_vertices(mesh, i, vertices);
      if (status != 0) return status;
      std::fprintf(file, "%d ", access.corners);
      for (int c = 0; c < access.corners; ++c) std::fprintf(file, "%d ", vertices[c] - 1);
      std::fputc('\n', file);
    }
  }
  std::fprintf(file, "\nCELL_TYPES %d\n", cell_count);
  for (std::size_t k = 0; k < std::size(vtk_cell_kinds); ++k)
    for (int i = 1; i <= counts[k]; ++i) std::fprintf(file, "%d\n", vtk_cell_kinds[k].cell_type);
  return GRIDLUME_STATUS_OK;
}

}  // namespace

}  // namespace gridlume

extern "C" {

int gridlume_mesh_write_vtk(gridlume_mesh *mesh, const char *file_name) {
  if (mesh == nullptr || file_name == nullptr) return GRIDLUME_STATUS_ERROR;
  // Exporting is best effort: a file that cannot be opened writes nothing
  // and is not an error of the mesh.
  gridlume::File file(std::fopen(file_name, "w"));
  if (!file) return GRIDLUME_STATUS_OK;
  int status = gridlume::write_vtk(mesh, file.get());
  // Once opened, what fails to reach the file (a full device) is an error:
  // the caller would otherwise take a truncated export for a whole one.
  if (std::fclose(file.release()) != 0 && status == GRIDLUME_STATUS_OK)
    status = GRIDLUME_STATUS_ERROR;
  return status;
}

}  // extern "C"
