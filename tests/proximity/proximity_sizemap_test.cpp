// The proximity size map as a caller sees it: the sizes and metrics it
// stores, the meshes it refuses with their messages, and memory failures.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "band_mesh.hpp"
#include "gridlume.h"
#include "support/message_capture.hpp"
#include "support/test_helpers.hpp"

namespace {

using namespace gridlume_test;
using Sent = std::vector<std::pair<int, std::string>>;
using Metric = std::array<double, 6>;

constexpr double scale = 0.5, default_size = 3.0, tolerance = 1e-6, unlimited = 1e30;

class ProximitySizemap : public testing::Test {
 protected:
  void SetUp() override { messages.install(context); }
  Sent sent() const {
    Sent result;
    for (const auto &message : messages.messages())
      result.emplace_back(message.code, message.description);
    return result;
  }
  gridlume_sizemap *compute(gridlume_mesh *mesh, int anisotropic, double threshold = unlimited) {
    return gridlume_proximity2D_compute_core(mesh, scale, default_size, anisotropic, tolerance,
                                             threshold);
  }
  Context context;
  MessageCapture messages;
};

double size_at(gridlume_sizemap *sizemap, int vertex) {
  return value_of(gridlume_sizemap_iso_mesh_vertex_get_size, sizemap, vertex);
}
Metric metric_at(gridlume_sizemap *sizemap, int vertex) {
  return values_of<6>(gridlume_sizemap_aniso_mesh_vertex_get_metric, sizemap, vertex);
}

TEST_F(ProximitySizemap, IsotropicSizesAreTheScaledDistanceAcrossTheStrip) {
  const Band band = strip(31, 6, 3.0, 1.2);
  gridlume_sizemap *sizemap = compute(band.make(context), 0);
  ASSERT_NE(sizemap, nullptr);
  EXPECT_EQ(value_of(gridlume_sizemap_get_type, sizemap), 4);
  for (int v = 1; v <= band.vertex_count(); ++v)
    EXPECT_NEAR(size_at(sizemap, v), scale * 1.2, 0.05 * scale * 1.2) << "vertex " << v;
  EXPECT_EQ(sent(), Sent{});
}

TEST_F(ProximitySizemap, MetricsShrinkOnlyAlongTheDirectionAcrossTheStrip) {
  // Walls z = 0 and z = 2 in the plane y = 0: the direction across is z.
  const Band band = strip(21, 4, 4.0, 2.0, [](double u, double v) { return Point{u, 0.0, v}; });
  gridlume_sizemap *sizemap = compute(band.make(context), 1);
  ASSERT_NE(sizemap, nullptr);
  EXPECT_EQ(value_of(gridlume_sizemap_get_type, sizemap), 8);
  const double across = 1 / (default_size * default_size);
  const double along = 1 / ((scale * 2.0) * (scale * 2.0));
  for (int v = 1; v <= band.vertex_count(); ++v) {
    const Metric m = metric_at(sizemap, v);
    SCOPED_TRACE(testing::Message() << "vertex " << v);
    EXPECT_NEAR(m[0], across, 1e-12);  // xx
    EXPECT_NEAR(m[1], 0.0, 1e-12);     // xy
    EXPECT_NEAR(m[2], across, 1e-12);  // yy
    EXPECT_NEAR(m[3], 0.0, 1e-12);     // xz
    EXPECT_NEAR(m[4], 0.0, 1e-12);     // yz
    EXPECT_NEAR(m[5], along, 0.1 * along);
  }
}

TEST_F(ProximitySizemap, WithoutMarkedEdgesEveryVertexHasTheDefaultSize) {
  Band band = strip(6, 2, 1.0, 1.0);
  band.mark_inner = band.mark_outer = false;
  gridlume_mesh *mesh = band.make(context);
  gridlume_sizemap *isotropic = compute(mesh, 0);
  gridlume_sizemap *anisotropic = compute(mesh, 7);
  ASSERT_NE(isotropic, nullptr);
  ASSERT_NE(anisotropic, nullptr);
  const double inverse_square = 1 / (default_size * default_size);
  for (int v = 1; v <= band.vertex_count(); ++v) {
    EXPECT_EQ(size_at(isotropic, v), default_size);
    const Metric m = metric_at(anisotropic, v);
    for (int k : {0, 2, 5}) EXPECT_NEAR(m[k], inverse_square, 1e-15);
    for (int k : {1, 3, 4}) EXPECT_NEAR(m[k], 0.0, 1e-15);
  }
}

// Both the tolerance on the scaled distance and the threshold on the
// distance reach the computation.
TEST_F(ProximitySizemap, ScaledDistancesBelowTheToleranceAndWallsBeyondTheThresholdKeepTheDefault) {
  const Band band = strip(11, 2, 1.0, 1.0);
  gridlume_mesh *mesh = band.make(context);
  gridlume_sizemap *tiny =
      gridlume_proximity2D_compute_core(mesh, 1e-9, default_size, 0, tolerance, unlimited);
  gridlume_sizemap *far = compute(mesh, 0, 0.5);
  for (int v = 1; v <= band.vertex_count(); ++v) {
    EXPECT_EQ(size_at(tiny, v), default_size);
    EXPECT_EQ(size_at(far, v), default_size);
  }
}

TEST_F(ProximitySizemap, AMeshWithAQuadrangleOrNoMeshIsRefused) {
  const Band band = strip(5, 2, 1.0, 1.0);
  gridlume_mesh *mesh = band.make(context);
  gridlume_mesh_set_quadrangle_count(mesh, 1);
  const int quadrangle[4] = {1, 2, 7, 6};
  gridlume_mesh_set_quadrangle_vertices(mesh, 1, quadrangle);
  EXPECT_EQ(compute(mesh, 0), nullptr);
  EXPECT_EQ(sent(), (Sent{{-2000, "Mesh contains quads"}}));
  // A NULL mesh has no context to tell.
  messages.clear();
  EXPECT_EQ(compute(nullptr, 0), nullptr);
  EXPECT_EQ(sent(), Sent{});
}

// Accessors that spoil one part of a mesh.
int refuse_count(int *, void *) { return -1; }
int negative_count(int *count, void *) {
  *count = -3;
  return 0;
}
int refuse_integers(int, int *, void *) { return -1; }
int triangle_past_the_vertices(int, int *vertices, void *) {
  vertices[0] = 1, vertices[1] = 2, vertices[2] = 99;
  return 0;
}
int edge_at_vertex_zero(int, int *vertices, void *) {
  vertices[0] = 0, vertices[1] = 2;
  return 0;
}
int refuse_point(int, double *, void *) { return -1; }
int point_not_a_number(int, double *xyz, void *) {
  xyz[0] = xyz[1] = 0.0;
  xyz[2] = std::nan("");
  return 0;
}
// Replaces one accessor of a mesh.
template <auto set, auto accessor>
void spoil(gridlume_mesh *mesh) {
  set(mesh, accessor, nullptr);
}

TEST_F(ProximitySizemap, MeshesThatCannotBeReadAreRefusedWithTheirMessage) {
  const Band band = strip(5, 2, 1.0, 1.0);
  const std::string data = "Problem getting mesh data";
  const std::string coordinates = "Problem getting mesh vertex coordinates";
  const struct {
    const char *what;
    void (*spoil)(gridlume_mesh *);
    std::string message;
  } cases[] = {
      {"vertex count", spoil<gridlume_mesh_set_get_vertex_count, refuse_count>, data},
      {"triangle count", spoil<gridlume_mesh_set_get_triangle_count, refuse_count>, data},
      {"quadrangle count", spoil<gridlume_mesh_set_get_quadrangle_count, refuse_count>, data},
      {"edge count", spoil<gridlume_mesh_set_get_edge_count, refuse_count>, data},
      {"negative triangle count", spoil<gridlume_mesh_set_get_triangle_count, negative_count>,
       data},
      {"negative quadrangle count", spoil<gridlume_mesh_set_get_quadrangle_count, negative_count>,
       data},
      {"triangle vertices", spoil<gridlume_mesh_set_get_triangle_vertices, refuse_integers>, data},
      {"triangle vertex out of range",
       spoil<gridlume_mesh_set_get_triangle_vertices, triangle_past_the_vertices>, data},
      {"edge vertices", spoil<gridlume_mesh_set_get_edge_vertices, refuse_integers>, data},
      {"edge vertex out of range", spoil<gridlume_mesh_set_get_edge_vertices, edge_at_vertex_zero>,
       data},
      {"coordinates", spoil<gridlume_mesh_set_get_vertex_coordinates, refuse_point>, coordinates},
      {"coordinate not a number",
       spoil<gridlume_mesh_set_get_vertex_coordinates, point_not_a_number>, coordinates},
  };
  for (const auto &spoiled : cases) {
    SCOPED_TRACE(spoiled.what);
    messages.clear();
    gridlume_mesh *mesh = band.make(context);
    spoiled.spoil(mesh);
    EXPECT_EQ(compute(mesh, 0), nullptr);
    EXPECT_EQ(compute(mesh, 1), nullptr);
    EXPECT_EQ(sent(), (Sent{{-2000, spoiled.message}, {-2000, spoiled.message}}));
  }
}

TEST_F(ProximitySizemap, TrianglesWithARepeatedVertexAreMeasuredLikeAnyOther) {
  Band band = strip(6, 3, 2.0, 1.0);
  gridlume_mesh *mesh = band.make(context);
  const int count = band.triangle_count();
  // On a side of two triangles, on a side of none, and all at one point.
  const int flat[3][3] = {{7, 7, 8}, {1, 1, 13}, {9, 9, 9}};
  gridlume_mesh_set_triangle_count(mesh, count + 3);
  for (int k = 0; k < 3; ++k) gridlume_mesh_set_triangle_vertices(mesh, count + 1 + k, flat[k]);
  gridlume_sizemap *sizemap = compute(mesh, 0);
  ASSERT_NE(sizemap, nullptr);
  for (int v = 1; v <= band.vertex_count(); ++v)
    EXPECT_NEAR(size_at(sizemap, v), scale * 1.0, 0.05 * scale) << "vertex " << v;
}

// A mesh that answers one vertex fewer after its first count: the size map
// is made for fewer vertices than were measured, and its setter refuses the
// last one.
TEST_F(ProximitySizemap, AFailingSetterDeletesTheSizemapAndAnswersNone) {
  const Band band = strip(5, 2, 1.0, 1.0);
  gridlume_mesh *mesh = band.make(context);
  static int calls;
  calls = 0;
  gridlume_mesh_set_get_vertex_count(
      mesh,
      +[](int *count, void *) {
        *count = calls++ == 0 ? 15 : 14;
        return 0;
      },
      nullptr);
  EXPECT_EQ(compute(mesh, 0), nullptr);
  calls = 0;
  EXPECT_EQ(compute(mesh, 1), nullptr);
}

TEST_F(ProximitySizemap, EveryAllocationFailureAnswersNoneWithItsMessageAndLeaksNothing) {
  const Band band = strip(9, 3, 2.0, 1.0);
  for (int anisotropic : {0, 1}) {
    const long failed_runs = for_each_allocation_failure([&](AllocationFailure &failure) {
      Context local;
      MessageCapture capture;
      capture.install(local);
      gridlume_mesh *mesh = band.make(local);
      failure.arm();
      gridlume_sizemap *sizemap = gridlume_proximity2D_compute_core(
          mesh, scale, default_size, anisotropic, tolerance, unlimited);
      failure.disarm();
      EXPECT_EQ(sizemap == nullptr, failure.happened());
      if (failure.happened()) {
        ASSERT_FALSE(capture.messages().empty());
        EXPECT_EQ(capture.messages().back().code, -3000);
        EXPECT_EQ(capture.messages().back().description, "Insufficient memory");
      } else if (anisotropic) {
        EXPECT_NEAR(metric_at(sizemap, 1)[2], 1 / (scale * scale), 0.1);  // yy, across
      } else {
        EXPECT_NEAR(size_at(sizemap, 1), scale, 0.05 * scale);
      }
    });
    EXPECT_GT(failed_runs, 5);
  }
}

}  // namespace
