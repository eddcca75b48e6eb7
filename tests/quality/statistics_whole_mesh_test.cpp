// Element counts, 2D element ratio, face element validity, edge lengths and
// the full and short reports, compared line by line; memory failures of the
// reports that allocate.
#include <algorithm>
#include <string>
#include <vector>

#include "statistics_fixture.hpp"
#include "support/allocation_failure.hpp"

namespace gridlume_test {
namespace {

TEST_F(StatisticsTest, ElementCountsListPositiveCountsAndTheRatioNeedsTrianglesAndQuadrangles) {
  add_unit_cube();
  arrays_.tetrahedra.add({1, 2, 4, 5});
  arrays_.triangles.add({1, 2, 3});
  arrays_.subdomains.push_back({1, 4000, 1, 1});
  EXPECT_EQ(gridlume_mesh_compute_statistics_element_count(mesh()), 0);
  EXPECT_EQ(messages(), (Lines{"  number of vertices : 8 \n", "  number of triangles : 1 \n",
                               "  number of tetrahedra : 1 \n", "  number of hexahedra : 1 \n",
                               "  number of volume subdomains : 1 \n"}));
  EXPECT_EQ(gridlume_mesh_compute_statistics_2D_element_ratio_valid(mesh(), "r"), 0);
  EXPECT_TRUE(messages().empty());  // no quadrangle: no ratio
  arrays_.edges.add({1, 2});
  arrays_.quadrangles.add({1, 2, 3, 4});
  arrays_.pyramids.add({1, 2, 3, 4, 5});
  arrays_.prisms.add({1, 2, 3, 5, 6, 7});
  EXPECT_EQ(gridlume_mesh_compute_statistics_element_count_valid(mesh(), "n"), 0);
  const std::string n = "VALID.n.";
  EXPECT_EQ(messages(), (Lines{n + "vertex.count = 8\n", n + "edge.count = 1\n",
                               n + "triangle.count = 1\n", n + "quadrangle.count = 1\n",
                               n + "tetrahedra.count = 1\n", n + "hexahedra.count = 1\n",
                               n + "pyramid.count = 1\n", n + "prism.count = 1\n",
                               n + "subdomain.count = 1\n"}));
  EXPECT_EQ(gridlume_mesh_compute_statistics_element_count(nullptr), -1);
  arrays_.triangles.add({1, 3, 4});
  arrays_.triangles.add({2, 3, 4});
  EXPECT_EQ(gridlume_mesh_compute_statistics_2D_element_ratio_valid(mesh(), "r"), 0);
  EXPECT_EQ(messages(), (Lines{"VALID.r.triangle.ratio = 7.500000e-01\n",
                               "VALID.r.quadrangle.ratio = 2.500000e-01\n"}));
  EXPECT_EQ(gridlume_mesh_compute_statistics_2D_element_ratio(mesh()), 0);
  EXPECT_EQ(messages().at(0), "VALID.mesh.triangle.ratio = 7.500000e-01\n");
  EXPECT_EQ(gridlume_mesh_compute_statistics_2D_element_ratio(nullptr), -1);
}

TEST_F(StatisticsTest, FaceElementValidityRatioOfEachVolumeKind) {
  add_unit_cube();
  add_regular_tetrahedron();
  arrays_.hexahedra.add({5, 6, 7, 8, 1, 2, 3, 4});  // turned inside out
  arrays_.prisms.add({1, 2, 4, 5, 6, 8});
  arrays_.pyramids.add({1, 2, 3, 4, 7});
  for (auto report : {gridlume_mesh_compute_statistics_hexahedron_face_element_validity,
                      gridlume_mesh_compute_statistics_tetrahedron_face_element_validity,
                      gridlume_mesh_compute_statistics_prism_face_element_validity})
    EXPECT_EQ(report(mesh()), 0);
  EXPECT_EQ(gridlume_mesh_compute_statistics_pyramid_face_element_validity_valid(mesh(), "f"), 0);
  EXPECT_EQ(gridlume_mesh_compute_statistics_tetrahedron_face_element_validity_valid(mesh(), "f"),
            0);
  EXPECT_EQ(messages(), (Lines{"hexahedron face_element_validity ratio =5.000000e-01 \n",
                               "tetrahedron face_element_validity ratio =1.000e+00 \n",
                               "prism face_element_validity ratio =1.000000e+00 \n",
                               "VALID.f.pyramid.face_element_validity.ratio =1.000000e+00 \n",
                               "VALID.f.tetrahedron.face_element_validity.ratio =1.000e+00 \n"}));
  // A concave prism, its top turned over its first edge, is not face valid.
  arrays_.prisms.vertices.assign({1, 2, 4, 5, 6, arrays_.add_point(-0.9, -0.9, 1)});
  EXPECT_EQ(gridlume_mesh_compute_statistics_prism_face_element_validity(mesh()), 0);
  EXPECT_EQ(messages(), Lines{"prism face_element_validity ratio =0.000000e+00 \n"});
}

TEST_F(StatisticsTest, EdgeLengthsNumberEdgesInOrderOfFirstAppearance) {
  add_unit_cube();
  EXPECT_EQ(gridlume_mesh_compute_statistics_hexahedron_edge_length(mesh()), 0);
  // The first edge of the hexahedron's list is (3,2): vertices 4 and 3.
  EXPECT_EQ(messages(), Lines{"  hexahedron elements edges length:\n"
                              "     min         : 1.000e+00\n     max         : 1.000e+00\n"
                              "     average     : 1.000e+00\n     variance    : 0.000e+00\n"
                              "     sample size : 12\n     min achieved for 1 : 4 3\n"
                              "     max achieved for 1 : 4 3\n"});
  add_equilateral_strip(2);
  arrays_.quadrangles.add({9, 10, 11, 12});
  const double thresholds[] = {0.5, 1.5};
  EXPECT_EQ(gridlume_mesh_compute_statistics_surface_edge_length_with_custom_histogram_valid(
                mesh(), "s", 2, thresholds),
            0);
  Lines lines = messages();
  ASSERT_EQ(lines.size(), 8u);
  // Sides shared by the triangles and the quadrangle count once.
  EXPECT_EQ(lines[4], "VALID.s.surface_edges.length.count = 6\n");
  const std::string h = "VALID.s.surface_edges.length.histogram.";
  EXPECT_EQ(lines[7], h + "threshold.1 = 5.000000e-01\n" + h + "count.1 = 5\n" + h +
                          "count.2 = 1\n" + h + "percent.1 = 8.333333e+01\n" + h +
                          "percent.2 = 1.666667e+01\n");
  // The volume report runs the volume kinds in order.
  add_regular_tetrahedron();
  arrays_.prisms.add({1, 2, 4, 5, 6, 8});
  EXPECT_EQ(gridlume_mesh_compute_statistics_volume_edge_length(mesh()), 0);
  lines = messages();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].substr(0, 38), "  tetrahedron elements edges length:\n ");
  EXPECT_EQ(lines[1].substr(0, 37), "  hexahedron elements edges length:\n ");
  EXPECT_EQ(lines[2].substr(0, 32), "  prism elements edges length:\n ");
}

TEST_F(StatisticsTest, FullReportsRunEveryReportInOrderAndTheKeyStyleNeedsAPrefix) {
  add_regular_tetrahedron();
  EXPECT_EQ(gridlume_mesh_compute_statistics_valid(mesh(), nullptr), -1);
  EXPECT_EQ(gridlume_mesh_compute_statistics_valid(nullptr, "k"), -1);
  EXPECT_EQ(gridlume_mesh_compute_statistics(nullptr), -1);
  EXPECT_TRUE(messages().empty());
  EXPECT_EQ(gridlume_mesh_compute_statistics_valid(mesh(), "k"), 0);
  const Lines lines = messages();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], "VALID.k.vertex.count = 4\n");
  EXPECT_EQ(lines[1], "VALID.k.tetrahedra.count = 1\n");
  EXPECT_EQ(lines[2], "VALID.k.tetrahedron.aspect_ratio.min = 1.000000e+00\n");
  // The height has no form of its own in the key style but is part of this report.
  EXPECT_NE(std::find(lines.begin(), lines.end(), "VALID.k.tetrahedron.height.count = 1\n"),
            lines.end());
  // The topological statistics close the report.
  EXPECT_EQ(lines.back(), "VALID.k.edge_outside_volume_elements.count = 0\n");
  add_unit_cube();
  add_equilateral_strip(1);
  EXPECT_EQ(gridlume_mesh_compute_statistics(mesh()), 0);
  // The first line of each message: the report titles and single lines.
  std::string titles;
  for (const std::string &text : messages()) titles += text.substr(0, text.find('\n') + 1);
  EXPECT_EQ(titles,
            "Mesh statistics : \n  number of vertices : 15 \n  number of triangles : 1 \n"
            "  number of tetrahedra : 1 \n  number of hexahedra : 1 \n"
            "  triangle aspect ratio:\n  triangle angles:\n  triangle equiangle skew:\n"
            "  triangle area:\n  tetrahedron aspect ratio:\n  tetrahedron diedral angles:\n"
            "  tetrahedron equiangle skew:\n  tetrahedron volume:\n  tetrahedron height:\n"
            "  tetrahedron shape factor:\n  tetrahedron element validity:\n"
            "tetrahedron face_element_validity ratio =1.000e+00 \n"
            "  hexahedron aspect ratio:\n  hexahedron shape factor:\n"
            "  hexahedron element validity:\n"
            "hexahedron face_element_validity ratio =1.000000e+00 \n"
            "  triangle elements edges length:\n  tetrahedron elements edges length:\n"
            "  hexahedron elements edges length:\n");
}

TEST_F(StatisticsTest, ShortReportGivesAspectRatiosWithTheWorstElement) {
  add_equilateral_strip(1);
  add_triangle(0, 0, 1, 0, 0, 1);  // right isosceles: aspect ratio 1/0.7174389352143008
  add_regular_tetrahedron();
  EXPECT_EQ(gridlume_mesh_compute_statistics0(mesh()), 0);
  EXPECT_EQ(messages(),
            (Lines{"Mesh statistics : \n", "  number of vertices : 10 \n",
                   "  number of triangles : 2 \n", "  number of tetrahedra : 1 \n",
                   "  triangle quality: \n",
                   "    aspect ratio :  min/avg/max (var): 1.000e+00 / 1.197e+00 / 1.394e+00 "
                   "(3.878e-02) \n",
                   "                    worst triangle : 2 (4 5 6)\n", "  tetrahedron quality: \n",
                   "    aspect ratio :  min/avg/max (var): 1.000e+00 / 1.000e+00 / 1.000e+00 "
                   "(0.000e+00) \n",
                   "                    worst tetrahedron : 1 (7 8 10 9)\n"}));
  EXPECT_EQ(gridlume_mesh_compute_statistics0(nullptr), -1);
}

// ---- Memory failures ----------------------------------------------------------

TEST_F(StatisticsTest, MemoryFailuresAnswerMinusOneOrEndAnEdgeReportSilently) {
  // Runs `report` with the n-th allocation failing for every n; nothing leaks,
  // and a failure answers 0 or -1 with the report's messages cut short.
  // Answers how many failures cut the report silently.
  auto count_silent_failures = [this](auto report) {
    long silent_failures = 0;
    gridlume_mesh *const m = mesh();  // made before any failure is armed
    for_each_allocation_failure([&](AllocationFailure &failure) {
      capture_.clear();
      failure.arm();
      const int status = report(m);
      failure.disarm();
      if (failure.happened()) {
        EXPECT_TRUE(status == 0 || status == -1) << status;
        silent_failures += status == 0 && capture_.messages().empty();
      } else {
        EXPECT_EQ(status, 0);
        EXPECT_FALSE(capture_.messages().empty());
      }
    });
    return silent_failures;
  };
  add_unit_cube();
  const double thresholds[] = {0.5, 2.0};
  EXPECT_GE(count_silent_failures([&](gridlume_mesh *m) {
              return gridlume_mesh_compute_statistics_hexahedron_edge_length_with_custom_histogram(
                  m, 2, thresholds);
            }),
            3);  // the edge table's three arrays
  arrays_ = ArrayMesh();
  add_equilateral_strip(3);
  arrays_.triangles.add({1, 2, 4});
  EXPECT_EQ(count_silent_failures(gridlume_mesh_compute_statistics_triangle_angles), 0);
  EXPECT_EQ(count_silent_failures(
                [](gridlume_mesh *m) { return gridlume_mesh_compute_statistics_valid(m, "m"); }),
            0);
}

}  // namespace
}  // namespace gridlume_test
