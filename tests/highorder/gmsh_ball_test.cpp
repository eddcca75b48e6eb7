// The conversion through the exported interface on an unstructured unit
// ball meshed by gmsh (skipped when gmsh is not on the path): every element
// valid, boundary mid-nodes on the sphere far better than straight
// midpoints, on one and two threads.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "gridlume.h"
#include "test_meshes.hpp"

namespace {

constexpr char ball_geometry[] = "Sphere(1) = {0, 0, 0, 1};\n";
// A cube with a spherical cavity of radius 0.5: concave seen from the
// volume.
constexpr char cavity_geometry[] =
    "Box(1) = {-1, -1, -1, 2, 2, 2};\nSphere(2) = {0, 0, 0, 0.5};\n"
    "BooleanDifference{ Volume{1}; Delete; }{ Volume{2}; Delete; }\n";

// Meshes a geometry at size h into a ".mesh" file; empty when gmsh failed.
std::string gmsh_mesh(const char *shape, double h) {
  // The process number keeps test programs run side by side apart.
  const std::string base = testing::TempDir() + "gridlume_highorder_" + std::to_string(getpid()) +
                           "_" + std::to_string(std::hash<std::string>{}(shape)) + "_" +
                           std::to_string(h);
  FILE *geometry = std::fopen((base + ".geo").c_str(), "w");
  if (geometry == nullptr) return "";
  std::fprintf(geometry,
               "SetFactory(\"OpenCASCADE\");\n%s"
               "Mesh.CharacteristicLengthMin = %g;\nMesh.CharacteristicLengthMax = %g;\n",
               shape, h, h);
  std::fclose(geometry);
  const std::string command =
      "gmsh -3 -v 0 -format mesh -o " + base + ".mesh " + base + ".geo > /dev/null 2>&1";
  if (std::system(command.c_str()) != 0) return "";
  return base + ".mesh";
}

struct Result {
  double curved_distance = 0.0, straight_distance = 0.0, smallest_jacobian = 1e300;
  int tetrahedra = 0;
};

double radius(const double *x) { return std::sqrt(x[0] * x[0] + x[1] * x[1] + x[2] * x[2]); }

// Converts the mesh; distances are measured on the boundary triangles whose
// corners lie on the sphere of radius `sphere`.
Result convert(const std::string &file, const char *threads, double sphere) {
  Result result;
  gridlume_context *context = gridlume_context_new();
  gridlume_mesh *input = gridlume_mesh_new_read_mesh(context, file.c_str());
  EXPECT_NE(input, nullptr);
  gridlume_highorder_session *session = gridlume_highorder_session_new(context);
  EXPECT_EQ(gridlume_highorder_set_volume_mesh(session, input), 0);
  EXPECT_EQ(gridlume_highorder_set_param(session, "max_number_of_threads", threads), 0);
  EXPECT_EQ(gridlume_highorder_compute_mesh(session), 0);
  gridlume_mesh *output = nullptr;
  EXPECT_EQ(gridlume_highorder_get_mesh(session, &output), 0);
  int vertices = 0, triangles = 0;
  gridlume_mesh_get_vertex_count(output, &vertices);
  gridlume_mesh_get_triangle_count(output, &triangles);
  gridlume_mesh_get_tetrahedron_count(output, &result.tetrahedra);
  std::vector<double> xyz(3 * std::size_t(std::max(vertices, 0) + 1), 0.0);
  for (int v = 1; v <= vertices; ++v) gridlume_mesh_get_vertex_coordinates(output, v, &xyz[3 * v]);
  int count = 0;
  for (int t = 1; t <= triangles; ++t) {
    int corners[3], extra[3], code = 0;
    gridlume_mesh_get_triangle_vertices(output, t, corners);
    gridlume_mesh_get_triangle_extra_vertices(output, t, &code, extra);
    EXPECT_EQ(code, 2003);
    if (std::fabs(radius(&xyz[3 * corners[0]]) - sphere) > 1e-6) continue;
    for (int e = 0; e < 3; ++e) {
      const double *a = &xyz[3 * corners[e]], *b = &xyz[3 * corners[(e + 1) % 3]];
      const double middle[3] = {(a[0] + b[0]) / 2, (a[1] + b[1]) / 2, (a[2] + b[2]) / 2};
      result.curved_distance += std::fabs(radius(&xyz[3 * extra[e]]) - sphere);
      result.straight_distance += std::fabs(radius(middle) - sphere);
      ++count;
    }
  }
  result.curved_distance /= count;
  result.straight_distance /= count;
  for (int t = 1; t <= result.tetrahedra; ++t) {
    int corners[4], extra[6], code = 0;
    gridlume_mesh_get_tetrahedron_vertices(output, t, corners);
    gridlume_mesh_get_tetrahedron_extra_vertices(output, t, &code, extra);
    double p[10][3];
    for (int n = 0; n < 10; ++n)
      for (int c = 0; c < 3; ++c) p[n][c] = xyz[3 * (n < 4 ? corners[n] : extra[n - 4]) + c];
    result.smallest_jacobian =
        std::min(result.smallest_jacobian, highorder_test::smallest_tetrahedron_jacobian(p));
  }
  gridlume_context_delete(context);
  return result;
}

void check_curving(const char *shape, double sphere, double h) {
  const std::string file = gmsh_mesh(shape, h);
  ASSERT_FALSE(file.empty());
  for (const char *threads : {"1", "2"}) {
    const Result result = convert(file, threads, sphere);
    EXPECT_GT(result.tetrahedra, 100);
    EXPECT_GT(result.smallest_jacobian, 0.0) << "h " << h << ", threads " << threads;
    EXPECT_LT(4.0 * result.curved_distance, result.straight_distance)
        << "h " << h << ": " << result.curved_distance << " vs " << result.straight_distance;
  }
  std::remove(file.c_str());
  std::remove((file.substr(0, file.size() - 5) + ".geo").c_str());
}

}  // namespace

TEST(HighOrderGmsh, UnitBallElementsValidAndBoundaryCurvedOnOneAndTwoThreads) {
  if (std::system("gmsh --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "gmsh not found";
  for (double h : {0.3, 0.15}) check_curving(ball_geometry, 1.0, h);
}

TEST(HighOrderGmsh, SphericalCavityElementsValidAndCurvedInward) {
  if (std::system("gmsh --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "gmsh not found";
  for (double h : {0.2, 0.1}) check_curving(cavity_geometry, 0.5, h);
}
