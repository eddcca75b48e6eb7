// The regular tetrahedral grid of a box: nx * ny * nz vertices, each cell
// split along its diagonal from the lowest to the highest corner into six
// tetrahedra. The arrays are filled in place in the mesh's storage: a large
// grid would otherwise cost millions of accessor calls.
#include <climits>
#include <cstdint>

#include "gridlume/mesh_memory.h"
#include "mesh/memory_storage.hpp"

namespace gridlume {
namespace {

constexpr int tetrahedra_per_cell = 6;
constexpr int smallest_grid_count = 2;

// Corner (a, b, c) of a cell, as a bit pattern a*4 + b*2 + c.
enum Corner : int { P000, P001, P010, P011, P100, P101, P110, P111 };

// The six tetrahedra of a cell, in the order written, with their vertex
// orders; all share the diagonal P000-P111 and have the same orientation.
constexpr Corner cell_tetrahedra[tetrahedra_per_cell][4] = {
    {P000, P100, P101, P111}, {P000, P101, P001, P111}, {P000, P011, P010, P111},
    {P000, P001, P011, P111}, {P000, P111, P010, P110}, {P000, P100, P111, P110},
};

struct GridSize {
  int nx, ny, nz;
  std::int64_t vertices() const { return std::int64_t{nx} * ny * nz; }
  std::int64_t tetrahedra() const {
    return std::int64_t{tetrahedra_per_cell} * (nx - 1) * (ny - 1) * (nz - 1);
  }
};

void fill_coordinates(double *xyz, const double min[3], const double max[3],
                      const GridSize &size) noexcept {
  const int counts[3] = {size.nx, size.ny, size.nz};
  double step[3];
  for (int axis = 0; axis < 3; ++axis) step[axis] = max[axis] - min[axis];
  for (int i = 0; i < size.nx; ++i) {
    const double x = min[0] + i * step[0] / (counts[0] - 1);
    for (int j = 0; j < size.ny; ++j) {
      const double y = min[1] + j * step[1] / (counts[1] - 1);
      for (int k = 0; k < size.nz; ++k) {
        xyz[0] = x;
        xyz[1] = y;
        xyz[2] = min[2] + k * step[2] / (counts[2] - 1);
        xyz += 3;
      }
    }
  }
}

void fill_tetrahedra(int *vertices, const GridSize &size) noexcept {
  const int plane = size.ny * size.nz;
  // Offsets of the eight cell corners from P000, indexed by Corner.
  const int offsets[8] = {0, 1, size.nz, size.nz + 1, plane, plane + 1, plane + size.nz,
                          plane + size.nz + 1};
  for (int i = 0; i < size.nx - 1; ++i) {
    for (int j = 0; j < size.ny - 1; ++j) {
      for (int k = 0; k < size.nz - 1; ++k) {
        const int p = i * plane + j * size.nz + k + 1;
        for (const auto &tetrahedron : cell_tetrahedra)
          for (Corner corner : tetrahedron) *vertices++ = p + offsets[corner];
      }
    }
  }
}

gridlume_mesh *new_tetra_grid(gridlume_context *context, const double min[3],
                              const double max[3], const GridSize &size) noexcept {
  gridlume_mesh *mesh = new_in_memory_mesh(context);
  if (mesh == nullptr) return nullptr;
  MeshStorage &storage = *storage_of(mesh);
  double *xyz = sized_values<slot_vertex_coordinates>(storage, static_cast<int>(size.vertices()));
  int *vertices = xyz == nullptr ? nullptr
                                 : sized_values<slot_tetrahedron_vertices>(
                                       storage, static_cast<int>(size.tetrahedra()));
  if (vertices == nullptr) {
    gridlume_mesh_delete(mesh);
    return nullptr;
  }
  fill_coordinates(xyz, min, max, size);
  fill_tetrahedra(vertices, size);
  mesh->set_dimension(3);
  return mesh;
}

}  // namespace
}  // namespace gridlume

extern "C" gridlume_mesh *gridlume_mesh_new_tetra_grid(gridlume_context *context,
                                                      const double min[3], const double max[3],
                                                      int nx, int ny, int nz) {
  if (context == nullptr || min == nullptr || max == nullptr) return nullptr;
  if (nx < gridlume::smallest_grid_count || ny < gridlume::smallest_grid_count ||
      nz < gridlume::smallest_grid_count)
    return nullptr;
  const gridlume::GridSize size{nx, ny, nz};
  // Every vertex and tetrahedron needs a 32-bit index.
  if (size.vertices() > INT_MAX || size.tetrahedra() > INT_MAX) return nullptr;
  return gridlume::new_tetra_grid(context, min, max, size);
}
