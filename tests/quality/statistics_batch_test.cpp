// Measures taken by batches: the batched tetrahedron kernels against the
// single-element ones, bit for bit, and the reports that use them against
// the per-element queries, with a last batch shorter than the others and
// flat or inverted tetrahedra inside a batch.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "quality/element_batch_kernels.hpp"
#include "quality/histogram.hpp"
#include "quality/statistics_engine.hpp"
#include "statistics_fixture.hpp"

namespace gridlume_test {
namespace {

using gridlume::geometry::Vector3;
using gridlume::measures::element_batch_size;
namespace measures = gridlume::measures;

std::uint64_t bits(double x) { return std::bit_cast<std::uint64_t>(x); }

// A fixed pseudo-random sequence in [-1, 1).
struct Sequence {
  std::uint64_t state = 2024;
  double next() {
    state = state * 6364136223846793005u + 1442695040888963407u;
    return static_cast<double>(state >> 11) / 4503599627370496.0 - 1.0;
  }
};

TEST(BatchKernels, TetrahedronAspectRatiosMatchTheSingleElementKernelBitForBit) {
  Sequence random;
  std::vector<std::array<Vector3, 4>> tetrahedra;
  for (int t = 0; t < 61; ++t) {
    std::array<Vector3, 4> p;
    // Some far from the origin, some tiny.
    const double offset = t % 5 == 0 ? 1e6 : 0.0, scale = t % 7 == 0 ? 1e-9 : 1.0;
    for (Vector3 &corner : p)
      corner = {offset + scale * random.next(), scale * random.next(), scale * random.next()};
    if (t % 9 == 1) p[3] = p[1];                                         // coincident corners
    if (t % 9 == 4) p[3] = {p[0].x + p[1].x - p[2].x, p[0].y + p[1].y - p[2].y,
                            p[0].z + p[1].z - p[2].z};                  // flat
    tetrahedra.push_back(p);
  }
  tetrahedra.push_back({});  // a point
  // A whole batch of inverted tetrahedra (a mesh built inside out).
  while (tetrahedra.size() % element_batch_size != 0) tetrahedra.push_back(tetrahedra[2]);
  for (int t = 0; t < element_batch_size; ++t) {
    std::array<Vector3, 4> p = tetrahedra[t];
    if (measures::tetrahedron_volume(p.data()) > 0) std::swap(p[1], p[2]);
    tetrahedra.push_back(p);
  }
  for (std::size_t first = 0; first < tetrahedra.size(); first += element_batch_size) {
    auto element = [&](int lane) {
      return tetrahedra[std::min(first + lane, tetrahedra.size() - 1)].data();
    };
    measures::CornerBatch<4> batch;
    for (int lane = 0; lane < element_batch_size; ++lane)
      for (int corner = 0; corner < 4; ++corner) batch.set(lane, corner, element(lane)[corner]);
    double ratios[element_batch_size], inverses[element_batch_size];
    measures::tetrahedron_aspect_ratios(batch, ratios);
    measures::tetrahedron_inverse_aspect_ratios(batch, inverses);
    for (int lane = 0; lane < element_batch_size; ++lane) {
      EXPECT_EQ(bits(ratios[lane]), bits(measures::tetrahedron_aspect_ratio(element(lane))))
          << first + lane;
      EXPECT_EQ(bits(inverses[lane]),
                bits(measures::tetrahedron_inverse_aspect_ratio(element(lane))))
          << first + lane;
    }
  }
}

// A 3 x 3 x 3 grid of cells with moved vertices, six positive tetrahedra
// per cell: 162 tetrahedra, twenty batches of eight and a last one of two.
class BatchedReportTest : public StatisticsTest {
 protected:
  void build_grid() {
    constexpr int n = 4;
    Sequence random;
    for (int v = 0; v < n * n * n; ++v)
      arrays_.add_point(v % n + 0.2 * random.next(), v / n % n + 0.2 * random.next(),
                        v / (n * n) + 0.2 * random.next());
    auto vertex = [](const int (&c)[3]) { return 1 + c[0] + n * (c[1] + n * c[2]); };
    const int paths[6][3] = {{0, 1, 2}, {1, 2, 0}, {2, 0, 1}, {0, 2, 1}, {2, 1, 0}, {1, 0, 2}};
    for (int cell = 0; cell < (n - 1) * (n - 1) * (n - 1); ++cell)
      for (int p = 0; p < 6; ++p) {
        int corner[3] = {cell % (n - 1), cell / (n - 1) % (n - 1), cell / ((n - 1) * (n - 1))};
        int path[4] = {vertex(corner)};
        for (int step = 0; step < 3; ++step) {
          ++corner[paths[p][step]];
          path[step + 1] = vertex(corner);
        }
        if (p >= 3) std::swap(path[1], path[2]);
        arrays_.tetrahedra.add({path[0], path[1], path[2], path[3]});
      }
  }
  void set_tetrahedron(int t, std::array<int, 4> v) {
    std::copy(v.begin(), v.end(), &arrays_.tetrahedra.vertices[4 * (t - 1)]);
  }
  const int *tetrahedron(int t) const { return &arrays_.tetrahedra.vertices[4 * (t - 1)]; }

  // The key-style reports of the aspect ratios as they must read, from the
  // per-element queries.
  void expect_reports_match_queries() {
    using namespace gridlume::statistics;
    for (bool inverse : {false, true}) {
      const std::string label = inverse ? "VALID.b.tetrahedron.inverse_aspect_ratio"
                                        : "VALID.b.tetrahedron.aspect_ratio";
      std::vector<double> values;
      Accumulator a;
      for (int t = 1; t <= arrays_.tetrahedra.count(); ++t) {
        double value = 0;
        (inverse ? gridlume_mesh_get_tetrahedron_inverse_aspect_ratio
                 : gridlume_mesh_get_tetrahedron_aspect_ratio)(mesh(), t, &value);
        values.push_back(value);
        a.add(value, t);
      }
      Lines lines;
      char text[512];
      for (auto [name, value] : {std::pair{"min", a.min}, {"max", a.max}, {"avg", a.mean},
                                 {"var", a.variance}}) {
        std::snprintf(text, sizeof text, "%s.%s = %e\n", label.c_str(), name, value);
        lines.push_back(text);
      }
      for (auto [name, value] : {std::pair{"count", a.count}, {"min_achieved", a.min_element},
                                 {"max_achieved", a.max_element}})
        lines.push_back(label + "." + name + " = " + std::to_string(value) + "\n");
      std::vector<char> histogram(8192);
      const std::span<const double> thresholds =
          inverse ? std::span<const double>(unit_interval_thresholds)
                  : std::span<const double>(tetrahedron_aspect_ratio_thresholds);
      EXPECT_EQ(write_histogram(values, thresholds, label.c_str(), histogram.data(),
                                histogram.size()),
                0);
      lines.push_back(histogram.data());
      EXPECT_EQ(
          (inverse ? gridlume_mesh_compute_statistics_tetrahedron_inverse_aspect_ratio_valid
                   : gridlume_mesh_compute_statistics_tetrahedron_aspect_ratio_valid)(mesh(), "b"),
          0);
      EXPECT_EQ(messages(), lines);
    }
  }
};

TEST_F(BatchedReportTest, ValidTetrahedraReportWhatThePerElementQueriesGive) {
  build_grid();
  ASSERT_EQ(arrays_.tetrahedra.count() % element_batch_size, 2);
  // Ties of the extremes in different batches: the first element wins. The
  // regular tetrahedron is the best; the worst is copied further on.
  const int a = arrays_.add_point(1, 1, 1), b = arrays_.add_point(1, -1, -1),
            c = arrays_.add_point(-1, 1, -1), d = arrays_.add_point(-1, -1, 1);
  set_tetrahedron(16, {a, b, d, c});  // the last lane of a full batch
  set_tetrahedron(60, {a, b, d, c});
  int worst = 1;
  double worst_ratio = 0;
  for (int t = 1; t <= 150; ++t) {
    double ratio = 0;
    gridlume_mesh_get_tetrahedron_aspect_ratio(mesh(), t, &ratio);
    if (ratio > worst_ratio) worst = t, worst_ratio = ratio;
  }
  const int *w = tetrahedron(worst);
  set_tetrahedron(158, {w[0], w[1], w[2], w[3]});
  expect_reports_match_queries();
  // Flat and inverted tetrahedra inside a batch, and in the last one.
  const std::vector<int> t = {tetrahedron(42), tetrahedron(42) + 4};
  set_tetrahedron(42, {t[0], t[2], t[1], t[3]});   // inverted
  set_tetrahedron(45, {t[0], t[1], t[1], t[3]});   // flat
  set_tetrahedron(161, {t[0], t[2], t[1], t[3]});  // inverted
  expect_reports_match_queries();
}

}  // namespace
}  // namespace gridlume_test
