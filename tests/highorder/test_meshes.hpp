// Small mesh generators and an independent validity check for the
// high-order conversion tests.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "highorder/conversion.hpp"

namespace highorder_test {

struct TetMesh {
  std::vector<std::array<double, 3>> vertices;          // 0-based
  std::vector<std::array<std::int32_t, 4>> tetrahedra;  // 1-based vertex numbers
  std::vector<std::array<std::int32_t, 3>> triangles;   // boundary, 1-based
};

// The cube [-1, 1]^3 cut into n^3 cells of 6 tetrahedra each (the Kuhn
// split), boundary triangles included.
TetMesh cube(int n);
// The cube of n cells a side mapped onto the ball of radius 1: a point x
// goes to x |x|_inf / |x|_2, so the cube's faces land on the sphere.
TetMesh ball(int n);
// The shell between the spheres of radius 0.5 and 1: the cube of n cells a
// side (n a multiple of 4) without its inner half, mapped radially. Its
// inner boundary is concave seen from the volume.
TetMesh shell(int n);
// The same mesh with its vertices and tetrahedra numbered in a fixed
// pseudo-random order, as an input without any spatial order comes.
TetMesh scrambled(TetMesh mesh);
// One cube cell as a hexahedron mesh of n^3 hexahedra on [0, 1]^3 bent
// onto a quarter cylinder when `bend` is set; boundary quadrangles
// included.
struct HexMesh {
  std::vector<std::array<double, 3>> vertices;
  std::vector<std::array<std::int32_t, 8>> hexahedra;
  std::vector<std::array<std::int32_t, 4>> quadrangles;
};
HexMesh hexahedra(int n, bool bend);

// Fills a state with the mesh (tags 1 on the volume, 2 on the boundary).
void import(const TetMesh &mesh, gridlume::highorder::ConversionState &state,
            bool with_triangles = true);
void import(const HexMesh &mesh, gridlume::highorder::ConversionState &state);

// The smallest jacobian determinant of the quadratic (Lagrange) map of a
// ten-node tetrahedron over the nodes and the lattice of step 1/8, divided
// by that of the straight element; an element is valid when it is positive.
double smallest_tetrahedron_jacobian(const double (*p)[3]);
// The same for a 27-node hexahedron, lattice step 1/8.
double smallest_hexahedron_jacobian(const double (*p)[3]);

// The smallest relative jacobian over all tetrahedra (or hexahedra) of the
// state's mesh.
double smallest_jacobian(const gridlume::highorder::ConversionState &state, int kind);

}  // namespace highorder_test

namespace highorder_test {

// The bent slab of hexahedra(n, true) with each hexahedron cut into two
// prisms (`prisms`) or into six pyramids around an added centre vertex.
struct MixedMesh {
  std::vector<std::array<double, 3>> vertices;
  std::vector<std::array<std::int32_t, 6>> prisms;
  std::vector<std::array<std::int32_t, 5>> pyramids;
};
MixedMesh split_hexahedra(int n, bool prisms);
void import(const MixedMesh &mesh, gridlume::highorder::ConversionState &state);

}  // namespace highorder_test
