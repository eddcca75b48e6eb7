// The proximity of an unstructured mesh made by gmsh (Debian's package, a
// peer of the field): a square [-1, 1]^2 with a circular hole of radius 0.4,
// triangles of size 0.06 at most, read from the ".mesh" file gmsh writes.
// Skipped when gmsh is not installed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "gridlume.h"
#include "support/test_helpers.hpp"

namespace {

using namespace gridlume_test;

constexpr double radius = 0.4, no_proximity_size = 100.0;

constexpr const char *hole_geometry = R"(SetFactory("OpenCASCADE");
Rectangle(1) = {-1, -1, 0, 2, 2};
Disk(2) = {0, 0, 0, 0.4, 0.4};
BooleanDifference(3) = { Surface{1}; Delete; }{ Surface{2}; Delete; };
Mesh.CharacteristicLengthMax = 0.06;
Physical Curve(1) = {1, 2, 3, 4, 5};
Physical Surface(1) = {3};
)";

// The mesh file gmsh wrote, or "" when gmsh is missing or failed.
std::string mesh_from_gmsh() {
  if (std::system("command -v gmsh > /dev/null 2>&1") != 0) return "";
  const std::string folder = testing::TempDir();
  const std::string geometry = folder + "proximity_hole.geo";
  const std::string mesh = folder + "proximity_hole.mesh";
  std::ofstream(geometry) << hole_geometry;
  const std::string command =
      "gmsh " + geometry + " -2 -format mesh -o " + mesh + " > /dev/null 2>&1";
  return std::system(command.c_str()) == 0 ? mesh : "";
}

TEST(ProximityWithGmsh, AHoleInASquareGetsTheGapBetweenThemAtEveryVertex) {
  const std::string file = mesh_from_gmsh();
  if (file.empty()) GTEST_SKIP() << "gmsh is not available";
  Context context;
  gridlume_mesh *mesh = gridlume_mesh_new_read_mesh(context, file.c_str());
  ASSERT_NE(mesh, nullptr);
  const int vertex_count = value_of(gridlume_mesh_get_vertex_count, mesh);
  gridlume_sizemap *sizes =
      gridlume_proximity2D_compute_core(mesh, 1.0, no_proximity_size, 0, 1e-9, 1e30);
  gridlume_sizemap *metrics =
      gridlume_proximity2D_compute_core(mesh, 1.0, no_proximity_size, 1, 1e-9, 1e30);
  ASSERT_NE(sizes, nullptr);
  ASSERT_NE(metrics, nullptr);
  int on_circle = 0, on_square = 0;
  for (int v = 1; v <= vertex_count; ++v) {
    const auto p = values_of<3>(gridlume_mesh_get_vertex_coordinates, mesh, v);
    const double size = value_of(gridlume_sizemap_iso_mesh_vertex_get_size, sizes, v);
    const double from_centre = std::hypot(p[0], p[1]);
    SCOPED_TRACE(testing::Message() << "vertex " << v << " at " << p[0] << ", " << p[1]);
    EXPECT_LT(size, no_proximity_size);
    if (std::abs(from_centre - radius) < 1e-6) {
      // On the circle: the distance to the square.
      ++on_circle;
      const double to_square = std::min(1 - std::abs(p[0]), 1 - std::abs(p[1]));
      EXPECT_NEAR(size, to_square, 0.01 * to_square);
    } else if (std::max(std::abs(p[0]), std::abs(p[1])) > 1 - 1e-9) {
      // On the square: the distance to the circle, across it radially.
      ++on_square;
      const double to_circle = from_centre - radius;
      EXPECT_NEAR(size, to_circle, 0.01 * to_circle);
      const auto m = values_of<6>(gridlume_sizemap_aniso_mesh_vertex_get_metric, metrics, v);
      const double rx = p[0] / from_centre, ry = p[1] / from_centre;
      const double radial = rx * (m[0] * rx + m[1] * ry) + ry * (m[1] * rx + m[2] * ry);
      EXPECT_NEAR(radial * size * size, 1.0, 0.01);
    }
  }
  EXPECT_GT(on_circle, 30);
  EXPECT_GT(on_square, 100);
}

}  // namespace
