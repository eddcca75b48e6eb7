// ".points"/".faces" pairs: the written layout, what the reader makes of
// extra vertices, side tags and edges listed more than once, every message
// of bad input, and memory failures.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "peer_files.hpp"
#include "side_format_test_files.hpp"
#include "support/test_helpers.hpp"

using namespace side_format_test;

namespace {

constexpr const char *reader = "gridlume_mesh_new_read_msh2 : ";
constexpr const char *writer = "gridlume_mesh_write_mesh : ";

struct PointsFaces : MeshTest {
  // Writes the pair under a base name in the temporary directory; the base.
  std::string write_pair(const std::string &points, const std::string &faces) {
    const std::string base = temporary_path("pair");
    write_file(base + ".points", points);
    write_file(base + ".faces", faces);
    return base;
  }
  gridlume_mesh *read(const std::string &base) {
    return gridlume_mesh_new_read_msh2(context, base.c_str());
  }
  // The messages expected for a refused pair.
  static std::string refused(int code, const std::string &text) {
    return std::to_string(code) + " " + reader + text + "\n";
  }
};

constexpr const char *three_points = "3\n0 0 0 1\n1 0 0 2\n0 1 0 3\n";

TEST_F(PointsFaces, written_pair_has_the_exact_layout_and_reads_back_with_its_tags_and_edges) {
  add_vertices(mesh, 4);
  add_triangles(mesh, 2);
  const int edge[2] = {1, 4}, quadrangle[4] = {1, 2, 3, 4}, tag = -3;
  gridlume_mesh_set_edge_count(mesh, 1);
  gridlume_mesh_set_edge_vertices(mesh, 1, edge);
  gridlume_mesh_set_edge_tag(mesh, 1, &tag);
  gridlume_mesh_set_quadrangle_count(mesh, 1);
  gridlume_mesh_set_quadrangle_vertices(mesh, 1, quadrangle);
  const std::string base = temporary_path("written");
  EXPECT_EQ(gridlume_mesh_write_msh2(mesh, base.c_str()), 0);
  EXPECT_EQ(read_file(base + ".points"),
            "4\n2.500000e-01 -1.500000e+00 1.000000e-03 1 \n"
            "5.000000e-01 -3.000000e+00 2.000000e-03 2 \n"
            "7.500000e-01 -4.500000e+00 3.000000e-03 3 \n"
            "1.000000e+00 -6.000000e+00 4.000000e-03 4 \n");
  EXPECT_EQ(read_file(base + ".faces"),
            "4\n2 1 4 -3 0 0\n3 1 2 3 11 0 0 0\n3 2 3 4 12 0 0 0\n4 1 2 3 4 0 0 0 0 0\n");
  EXPECT_EQ(gridlume_mesh_write_msh2(nullptr, base.c_str()), -1);

  gridlume_mesh *copy = read(base);
  EXPECT_EQ(peer_test::dump(copy), peer_test::dump(mesh));
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_required_property, copy, 4), 0);
  EXPECT_EQ(sent(), "");
}

TEST_F(PointsFaces, vertices_beyond_the_declared_count_are_read_and_required) {
  gridlume_mesh *read_mesh =
      read(write_pair("3\n0 0 0 1\n1 0 0 2\n0 1 0 3\n1 1 0 4\n2 2 0 5\n", "0\n"));
  ASSERT_NE(read_mesh, nullptr);
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_count, read_mesh), 5);
  for (int i = 1; i <= 5; ++i) {
    EXPECT_EQ(value_of(gridlume_mesh_get_vertex_required_property, read_mesh, i), i > 3 ? 1 : 0);
    EXPECT_EQ(value_of(gridlume_mesh_get_vertex_tag, read_mesh, i), i);
  }
}

TEST_F(PointsFaces, side_tags_make_edges_between_the_sides_vertices) {
  gridlume_mesh *read_mesh =
      read(write_pair("4\n0 0 0 0\n1 0 0 0\n0 1 0 0\n1 1 0 0\n",
                      "2\n3 1 2 3 5 0 7 0\n4 1 2 4 3 6 0 0 0 8\n"));
  ASSERT_NE(read_mesh, nullptr);
  EXPECT_EQ(value_of(gridlume_mesh_get_triangle_tag, read_mesh, 1), 5);
  EXPECT_EQ(value_of(gridlume_mesh_get_quadrangle_tag, read_mesh, 1), 6);
  ASSERT_EQ(value_of(gridlume_mesh_get_edge_count, read_mesh), 2);
  // The triangle's second side joins its second and third vertices; the
  // quadrangle's last side closes its loop.
  EXPECT_EQ((values_of<2>(gridlume_mesh_get_edge_vertices, read_mesh, 1)),
            (std::array<int, 2>{2, 3}));
  EXPECT_EQ(value_of(gridlume_mesh_get_edge_tag, read_mesh, 1), 7);
  EXPECT_EQ((values_of<2>(gridlume_mesh_get_edge_vertices, read_mesh, 2)),
            (std::array<int, 2>{3, 1}));
  EXPECT_EQ(value_of(gridlume_mesh_get_edge_tag, read_mesh, 2), 8);
  EXPECT_EQ(sent(), "");
}

// The same tag twice is one recorded tag, without a warning.
TEST_F(PointsFaces, edge_listed_with_two_tags_keeps_the_larger_magnitude_and_warns) {
  gridlume_mesh *read_mesh = read(write_pair(three_points, "2\n2 1 2 2 0 0\n3 1 2 3 1 2 0 0\n"));
  ASSERT_NE(read_mesh, nullptr);
  EXPECT_EQ(value_of(gridlume_mesh_get_edge_count, read_mesh), 1);
  EXPECT_EQ(sent(), "");
  read_mesh = read(write_pair(three_points, "3\n2 1 2 2 0 0\n2 2 1 -5 0 0\n2 2 3 4 0 0\n"));
  ASSERT_NE(read_mesh, nullptr);
  ASSERT_EQ(value_of(gridlume_mesh_get_edge_count, read_mesh), 2);
  EXPECT_EQ(value_of(gridlume_mesh_get_edge_tag, read_mesh, 1), -5);
  EXPECT_EQ(value_of(gridlume_mesh_get_edge_tag, read_mesh, 2), 4);
  ASSERT_EQ(capture.messages().size(), 1u);
  EXPECT_EQ(capture.messages()[0].integers, (std::vector<int>{1, 2}));
  EXPECT_EQ(sent(), std::string("2341 ") + reader + " Edge with multiple tags.\n");
}

TEST_F(PointsFaces, bad_pairs_are_refused_with_their_message) {
  const struct {
    const char *points;
    const char *faces;
    int code;
    const char *text;
  } cases[] = {
      {"", "0\n", -2011, " Unable to read .points file."},
      {"three\n", "0\n", -2011, " Unable to read .points file."},
      {"3\n0 0 0 1\n1 0 0 2\n", "0\n", -2210, " Wrong vertex count in .points file."},
      {"3\n0 0 0 1\n1 0 x 2\n0 1 0 3\n", "0\n", -2210, " Wrong vertex count in .points file."},
      {three_points, "", -2021, " Unable to read .faces file."},
      {three_points, "1\nthree 1 2 3 0 0 0 0\n", -2021, " Unable to read .faces file."},
      {three_points, "1\n5 1 2 3 0 0 0 0\n", -2021, " Unknown face type in .faces file."},
      {three_points, "2\n3 1 2 3 0 0 0 0\n", -2022, " Wrong face count in .faces file."},
      {three_points, "0\n3 1 2 3 0 0 0 0\n", -2022, " Wrong face count in .faces file."},
      {three_points, "1\n2 1 2\n", -2041, " Unable to read an edge line in .faces file."},
      {three_points, "1\n3 1 2 3 0 0 0\n", -2021,
       " Unable to read a triangle line in .faces file."},
      {three_points, "1\n4 1 2 3 1 0 0 0 0\n", -2021,
       " Unable to read a quadrangle line in .faces file."},
      // Faces naming a vertex the points file lacks.
      {three_points, "1\n3 1 2 4 0 0 0 0\n", -2021,
       " Unable to read a triangle line in .faces file."},
      {three_points, "1\n2 0 1 0 0 0\n", -2041, " Unable to read an edge line in .faces file."},
  };
  for (const auto &bad : cases) {
    SCOPED_TRACE(std::string(bad.points) + "|" + bad.faces);
    EXPECT_EQ(read(write_pair(bad.points, bad.faces)), nullptr);
    EXPECT_EQ(sent(), refused(bad.code, bad.text));
  }
  // A line longer than any face line is unreadable, and does not spill into
  // the next line.
  EXPECT_EQ(read(write_pair(three_points, "1\n3 1 2 3" + std::string(300, ' ') + "0 0 0 0\n")),
            nullptr);
  EXPECT_EQ(sent(), refused(-2021, " Unable to read .faces file."));
}

TEST_F(PointsFaces, every_truncation_of_a_pair_is_read_or_refused) {
  const std::string points = "4\n0 0 0 1\n1 0 0 2\n0 1 0 3\n1 1 0 4\n";
  const std::string faces = "3\n3 1 2 3 5 0 7 0\n4 1 2 4 3 6 0 0 0 8\n2 1 4 9 0 0\n";
  for (std::size_t length = 0; length <= points.size() + faces.size(); ++length) {
    const std::string cut_points = points.substr(0, std::min(length, points.size()));
    const std::string cut_faces = length > points.size() ? faces.substr(0, length - points.size()) : "";
    gridlume_mesh *read_mesh = read(write_pair(cut_points, cut_faces));
    if (read_mesh != nullptr) {
      EXPECT_EQ(value_of(gridlume_mesh_get_vertex_count, read_mesh), 4);
      gridlume_mesh_delete(read_mesh);
    }
    sent();
  }
}

TEST_F(PointsFaces, missing_files_are_reported) {
  const std::string base = temporary_path("absent");
  std::remove((base + ".points").c_str());
  EXPECT_EQ(read(base), nullptr);
  EXPECT_EQ(sent(), refused(-1010, "Error opening .points file for reading."));
  write_file(base + ".points", three_points);
  EXPECT_EQ(read(base), nullptr);
  EXPECT_EQ(sent(), refused(-1020, "Error opening .faces file for reading."));
  EXPECT_EQ(gridlume_mesh_new_read_msh2(nullptr, base.c_str()), nullptr);
}

TEST_F(PointsFaces, writer_reports_files_it_cannot_open) {
  add_vertices(mesh, 1);
  EXPECT_EQ(gridlume_mesh_write_msh2(mesh, "/no/such/folder/pair"), -1);
  EXPECT_EQ(sent(), std::string("-1010 ") + writer + "Error opening .points file for writing.\n");
  const std::string base = temporary_path("blocked");
  ::mkdir((base + ".faces").c_str(), 0700);
  EXPECT_EQ(gridlume_mesh_write_msh2(mesh, base.c_str()), -1);
  EXPECT_EQ(sent(), std::string("-1020 ") + writer + "Error opening .faces file for writing.\n");
}

TEST_F(PointsFaces, writer_stops_at_unreadable_coordinates_and_skips_unreadable_faces) {
  FailingAccessors vertices{3, 2, -7}, triangles{3, 2, -4, 3};
  gridlume_mesh *callbacks = gridlume_mesh_new(context);
  gridlume_mesh_set_get_vertex_count(callbacks, FailingAccessors::get_count, &vertices);
  gridlume_mesh_set_get_vertex_coordinates(callbacks, FailingAccessors::get_point, &vertices);
  const std::string base = temporary_path("failing");
  EXPECT_EQ(gridlume_mesh_write_msh2(callbacks, base.c_str()), -7);
  EXPECT_EQ(sent(),
            std::string("-2011 ") + writer + "Error accessing given mesh vertices coordinates.\n");
  vertices.failing_index = 0;
  gridlume_mesh_set_get_triangle_count(callbacks, FailingAccessors::get_count, &triangles);
  gridlume_mesh_set_get_triangle_vertices(callbacks, FailingAccessors::get_vertices, &triangles);
  // The last triangle is readable: the result is its status.
  EXPECT_EQ(gridlume_mesh_write_msh2(callbacks, base.c_str()), 0);
  EXPECT_EQ(sent(),
            std::string("-2020 ") + writer + "Error accessing given mesh triangle vertices.\n");
  EXPECT_EQ(read_file(base + ".faces"), "3\n3 1 2 3 0 0 0 0\n3 1 2 3 0 0 0 0\n");
  triangles.failing_index = 3;
  EXPECT_EQ(gridlume_mesh_write_msh2(callbacks, base.c_str()), -4);
}

TEST_F(PointsFaces, reader_and_writer_answer_memory_failures) {
  const std::string base = write_pair("2\n0 0 0 1\n1 0 0 2\n0 1 0 3\n",
                                      "3\n3 1 2 3 4 5 0 6\n2 1 2 5 0 0\n4 1 2 3 1 4 0 0 0 7\n");
  gridlume_test::expect_each_allocation_failure_reported(
      [&](gridlume_context *fresh, gridlume_test::AllocationFailure &failure) {
        gridlume_context_set_message_callback(fresh, nullptr, nullptr);
        failure.arm();
        return gridlume_mesh_new_read_msh2(fresh, base.c_str());
      },
      [](gridlume_mesh *read_mesh) {
        EXPECT_EQ(value_of(gridlume_mesh_get_edge_count, read_mesh), 3);
      });
  add_every_kind(mesh);
  const std::string written = temporary_path("written");
  gridlume_test::for_each_allocation_failure([&](gridlume_test::AllocationFailure &failure) {
    failure.arm();
    const int status = gridlume_mesh_write_msh2(mesh, written.c_str());
    failure.disarm();
    EXPECT_EQ(status, failure.happened() ? -5 : 0);
  });
}

}  // namespace
