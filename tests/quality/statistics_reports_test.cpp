// Measure reports compared line by line on small meshes, in both styles,
// with default and custom thresholds; the argument checks of every exported
// form.
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "statistics_fixture.hpp"

namespace gridlume_test {
namespace {

TEST_F(StatisticsTest, RegularElementsGiveOneValueInBothStyles) {
  add_regular_tetrahedron();
  EXPECT_EQ(gridlume_mesh_compute_statistics_tetrahedron_aspect_ratio(mesh()), 0);
  EXPECT_EQ(messages(), Lines{"  tetrahedron aspect ratio:\n"
                              "     min         : 1.000e+00\n     max         : 1.000e+00\n"
                              "     average     : 1.000e+00\n     variance    : 0.000e+00\n"
                              "     sample size : 1\n     min achieved for 1 : 1 2 4 3\n"
                              "     max achieved for 1 : 1 2 4 3\n"
                              "     histogram : value = 1.000e+00   :   100 %\n"});
  EXPECT_EQ(gridlume_mesh_compute_statistics_tetrahedron_aspect_ratio_valid(mesh(), "run"), 0);
  const std::string k = "VALID.run.tetrahedron.aspect_ratio.";
  EXPECT_EQ(messages(), (Lines{k + "min = 1.000000e+00\n", k + "max = 1.000000e+00\n",
                               k + "avg = 1.000000e+00\n", k + "var = 0.000000e+00\n",
                               k + "count = 1\n", k + "min_achieved = 1\n",
                               k + "max_achieved = 1\n", k + "histogram.value = 1.000e+00\n",
                               k + "histogram.percent = 100 %\n"}));
  // A null prefix of a key-style form selects the human style.
  EXPECT_EQ(gridlume_mesh_compute_statistics_tetrahedron_shape_factor_valid(mesh(), nullptr), 0);
  const Lines lines = messages();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].rfind("  tetrahedron shape factor:\n     min         : 1.000e+00\n", 0), 0u);
  // Edge 2 sqrt(2): the height is 4 / sqrt(3).
  EXPECT_EQ(gridlume_mesh_compute_statistics_tetrahedron_height(mesh()), 0);
  EXPECT_EQ(messages().at(0).substr(0, 59),
            "  tetrahedron height:\n     min         : 2.309e+00\n     max");
}

TEST_F(StatisticsTest, ExtensiveMeasuresPrintTheirSumAndNoHistogramByDefault) {
  add_unit_cube();
  EXPECT_EQ(gridlume_mesh_compute_statistics_tetrahedron_volume(mesh()), 0);
  EXPECT_TRUE(messages().empty());  // no tetrahedron: nothing sent
  arrays_.tetrahedra.add({1, 2, 4, 5});
  arrays_.tetrahedra.add({2, 3, 4, 7});
  EXPECT_EQ(gridlume_mesh_compute_statistics_tetrahedron_volume(mesh()), 0);
  EXPECT_EQ(messages(), Lines{"  tetrahedron volume:\n"
                              "     min         : 1.667e-01\n     max         : 1.667e-01\n"
                              "     average     : 1.667e-01\n     variance    : 0.000e+00\n"
                              "     sum         : 3.333e-01\n     sample size : 2\n"
                              "     min achieved for 1 : 1 2 4 5\n"
                              "     max achieved for 1 : 1 2 4 5\n"});
  // A statistics-only measure.
  EXPECT_EQ(gridlume_mesh_compute_statistics_hexahedron_element_validity_valid(mesh(), "v"), 0);
  const Lines validity = messages();
  EXPECT_EQ(validity.at(0), "VALID.v.hexahedron.element_validity.min = 0.000000e+00\n");
  EXPECT_EQ(validity.at(1), "VALID.v.hexahedron.element_validity.max = 0.000000e+00\n");
}

TEST_F(StatisticsTest, CustomThresholdsBinTheValuesInBothStyles) {
  // Right triangles of areas 0.5, 1, 2.5, 3 and 7.
  for (const auto &legs : {std::array{1, 1}, {1, 2}, {1, 5}, {2, 3}, {2, 7}})
    add_triangle(0, 0, legs[0], 0, 0, legs[1]);
  const double thresholds[] = {1, 2, 3};
  EXPECT_EQ(
      gridlume_mesh_compute_statistics_triangle_area_with_custom_histogram(mesh(), 3, thresholds),
      0);
  EXPECT_EQ(messages(), (Lines{"  triangle area:\n"
                               "     min         : 5.000e-01\n     max         : 7.000e+00\n"
                               "     average     : 2.800e+00\n     variance    : 5.260e+00\n"
                               "     sum         : 1.400e+01\n     sample size : 5\n"
                               "     min achieved for 1 : 1 2 3\n"
                               "     max achieved for 5 : 13 14 15\n",
                               "     histogram:\n        [-inf , 1.000e+00[:  20.00%    (1)\n"
                               "        [1.000e+00 , 2.000e+00[:  20.00%    (1)\n"
                               "        [2.000e+00 , 3.000e+00[:  20.00%    (1)\n"
                               "        [3.000e+00 , inf[:  40.00%    (2)\n"}));
  EXPECT_EQ(gridlume_mesh_compute_statistics_triangle_area_with_custom_histogram_valid(
                mesh(), "c", 3, thresholds),
            0);
  const Lines lines = messages();
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[3], "VALID.c.triangle.area.var = 5.260000e+00\n");
  EXPECT_EQ(lines[4], "VALID.c.triangle.area.sum = 1.400000e+01\n");
  EXPECT_EQ(lines[5], "VALID.c.triangle.area.count = 5\n");
  const std::string h = "VALID.c.triangle.area.histogram.";
  EXPECT_EQ(lines[8], h + "threshold.1 = 1.000000e+00\n" + h + "threshold.2 = 2.000000e+00\n" + h +
                          "count.0 = 1\n" + h + "count.1 = 1\n" + h + "count.2 = 1\n" + h +
                          "count.3 = 2\n" + h + "percent.0 = 2.000000e+01\n" + h +
                          "percent.1 = 2.000000e+01\n" + h + "percent.2 = 2.000000e+01\n" + h +
                          "percent.3 = 4.000000e+01\n");
  // A single threshold leaves only the outer bins.
  EXPECT_EQ(gridlume_mesh_compute_statistics_triangle_area_with_custom_histogram(mesh(), 1,
                                                                               &thresholds[1]),
            0);
  EXPECT_EQ(messages().back(),
            "     histogram:\n        [-inf , 2.000e+00[:  40.00%    (2)\n"
            "        [2.000e+00 , inf[:  60.00%    (3)\n");
}

TEST_F(StatisticsTest, CollinearTriangleMakesMaximumMeanAndVarianceInfinite) {
  add_triangle(0, 0, 1, 0, 2, 0);
  EXPECT_EQ(gridlume_mesh_compute_statistics_triangle_aspect_ratio(mesh()), 0);
  // Every value infinite: no minimum element.
  EXPECT_NE(messages().at(0).find("     min achieved for 0 :\n     max achieved for 1 : 1 2 3\n"),
            std::string::npos);
  add_equilateral_strip(2);
  EXPECT_EQ(gridlume_mesh_compute_statistics_triangle_aspect_ratio(mesh()), 0);
  // +infinity falls in the upper bin.
  EXPECT_EQ(messages(), (Lines{"  triangle aspect ratio:\n"
                               "     min         : 1.000e+00\n     max         : inf\n"
                               "     average     : inf\n     variance    : inf\n"
                               "     sample size : 3\n     min achieved for 2 : 4 6 5\n"
                               "     max achieved for 1 : 1 2 3\n",
                               "     histogram:\n"
                               "        [1.000e+00 , 1.500e+00[:  66.67%    (2)\n"
                               "        [1.500e+00 , 2.000e+00[:  0.00%    (0)\n"
                               "        [2.000e+00 , 3.000e+00[:  0.00%    (0)\n"
                               "        [3.000e+00 , 4.000e+00[:  0.00%    (0)\n"
                               "        [4.000e+00 , 5.000e+00[:  0.00%    (0)\n"
                               "        [5.000e+00 , 1.000e+01[:  0.00%    (0)\n"
                               "        [1.000e+01 , 1.000e+02[:  0.00%    (0)\n"
                               "        [1.000e+02 , inf[:  33.33%    (1)\n"}));
}

TEST_F(StatisticsTest, QuadrangleAnglesCountFourValuesPerQuadrangle) {
  for (int k = 0; k < 3; ++k) {
    const int p = arrays_.add_point(k, 0, 0);
    arrays_.add_point(k + 1, 0, 0);
    arrays_.add_point(k + 1, 1 + k, 0);
    arrays_.add_point(k, 1, 0);
    arrays_.quadrangles.add({p, p + 1, p + 2, p + 3});
  }
  EXPECT_EQ(gridlume_mesh_compute_statistics_quadrangle_angles_valid(mesh(), "q"), 0);
  const Lines lines = messages();
  EXPECT_EQ(lines[4], "VALID.q.quadrangle.angles.count = 12\n");
  // The most sheared quadrangle has both extreme angles.
  EXPECT_EQ(lines[5], "VALID.q.quadrangle.angles.min_achieved = 3\n");
  EXPECT_EQ(lines[6], "VALID.q.quadrangle.angles.max_achieved = 3\n");
}

TEST_F(StatisticsTest, VertexBeyondTheVertexCountReadsAsTheAccessorAnswersIt) {
  for (int k = 0; k < 3; ++k) arrays_.add_point(k == 0, k == 1, k == 2);
  arrays_.tetrahedra.add({1, 2, 3, 99});  // vertex 99: the accessor writes nothing
  arrays_.tetrahedra.add({1, 2, 3, 1});
  double volume = 0.0;
  EXPECT_EQ(gridlume_mesh_get_tetrahedron_volume(mesh(), 1, &volume), 0);
  EXPECT_EQ(gridlume_mesh_compute_statistics_tetrahedron_volume_valid(mesh(), "o"), 0);
  char expected[128];
  std::snprintf(expected, sizeof expected, "VALID.o.tetrahedron.volume.min = %e\n", volume);
  EXPECT_LT(volume, 0.0);
  EXPECT_EQ(messages().at(0), expected);
}

// ---- Every exported form --------------------------------------------------------

struct NamedForm {
  const char *name;
  int (*call)(gridlume_mesh *);
};

const double one_threshold = 1.0;
#define GRIDLUME_TEST_FORM(name, suffix, ...)                                                  \
  {#name #suffix, [](gridlume_mesh *m) {                                                      \
     return gridlume_mesh_compute_statistics_##name##suffix(m __VA_OPT__(, ) __VA_ARGS__); \
   }},
#define GRIDLUME_TEST_FORMS_PLAIN(name) GRIDLUME_TEST_FORM(name, )
#define GRIDLUME_TEST_FORMS_PLAIN_VALID(name) \
  GRIDLUME_TEST_FORMS_PLAIN(name) GRIDLUME_TEST_FORM(name, _valid, "p")
#define GRIDLUME_TEST_FORMS_ALL(name)                                    \
  GRIDLUME_TEST_FORMS_PLAIN_VALID(name)                                 \
  GRIDLUME_TEST_FORM(name, _with_custom_histogram, 1, &one_threshold) \
  GRIDLUME_TEST_FORM(name, _with_custom_histogram_valid, "p", 1, &one_threshold)
#define GRIDLUME_TEST_FORMS(kind, measure, report, values, display_name, key_pattern, bins, sum, \
                            forms)                                                             \
  GRIDLUME_TEST_FORMS_##forms(kind##_##measure)
const NamedForm every_form[] = {GRIDLUME_MESH_STATISTICS_MEMBERS(GRIDLUME_TEST_FORMS)};

TEST_F(StatisticsTest, EveryFormChecksItsArguments) {
  EXPECT_EQ(std::size(every_form), 142u);
  for (const NamedForm &form : every_form) EXPECT_EQ(form.call(nullptr), -1) << form.name;
  arrays_.add_point(0, 0, 0);
  for (const NamedForm &form : every_form) EXPECT_EQ(form.call(mesh()), 0) << form.name;
  EXPECT_TRUE(messages().empty());  // silent without elements
  add_regular_tetrahedron();
  // Missing thresholds with a positive count.
  EXPECT_EQ(gridlume_mesh_compute_statistics_tetrahedron_volume_with_custom_histogram(mesh(), 2,
                                                                                    nullptr),
            -1);
  // A failing element count query.
  gridlume_mesh_set_get_tetrahedron_count(
      mesh(), [](int *, void *) { return -1; }, nullptr);
  EXPECT_EQ(gridlume_mesh_compute_statistics_tetrahedron_volume(mesh()), -1);
  EXPECT_EQ(gridlume_mesh_compute_statistics_tetrahedron_edge_length(mesh()), -1);
  EXPECT_EQ(gridlume_mesh_compute_statistics_tetrahedron_face_element_validity(mesh()), -1);
  EXPECT_TRUE(messages().empty());
}

}  // namespace
}  // namespace gridlume_test
