// Bulk data decks: the exact large-field layout the writer produces, what
// the reader takes from free-field and starred records (and what it does not
// take back from the writer's decks), decks refused for bad records, and
// memory failures.
#include <gtest/gtest.h>

#include "peer_files.hpp"
#include "side_format_test_files.hpp"

using namespace side_format_test;

namespace {

constexpr const char *writer = "gridlume_mesh_write_mesh : ";
constexpr const char *reader = "gridlume_mesh_new_read_bdf : ";

struct Bdf : MeshTest {
  std::string written(gridlume_mesh *source, const std::string &name = "out.bdf") {
    const std::string path = temporary_path(name);
    EXPECT_EQ(gridlume_mesh_write_bdf(source, path.c_str()), 0);
    return read_file(path);
  }
  gridlume_mesh *read_deck(const std::string &deck) {
    return gridlume_mesh_new_read_bdf(context, write_file("deck.bdf", deck).c_str());
  }
};

// A large field of 16 columns, right-aligned.
std::string field(const std::string &value) { return std::string(16 - value.size(), ' ') + value; }

TEST_F(Bdf, writer_lays_out_vertices_and_every_element_kind_in_large_fields) {
  add_every_kind(mesh);
  const std::string text = written(mesh);
  const std::string mark = "*       ";
  // Vertex 8 at (1, 2, 3): identifier, coordinate system, x, y, mark, then z.
  EXPECT_NE(text.find("GRID*   " + field("8") + field("0") + field("1.00000000E+00") +
                      field("2.00000000E+00") + "*\n" + mark + field("3.00000000E+00") + "\n"),
            std::string::npos);
  const std::string elements =
      "CBAR*   " + field("1") + field("21") + field("1") + field("2") + mark + "\n" + mark + "\n" +
      "CBAR*   " + field("2") + field("22") + field("3") + field("4") + mark + "\n" + mark + "\n" +
      "CTRIA3* " + field("3") + field("31") + field("1") + field("2") + mark + "\n" + mark +
      field("3") + "\n" +
      "CQUAD4* " + field("4") + field("41") + field("1") + field("2") + mark + "\n" + mark +
      field("4") + field("3") + "\n" +
      "CTETRA* " + field("5") + field("41") + field("1") + field("2") + mark + "\n" + mark +
      field("3") + field("5") + "\n" +
      "CPENTA* " + field("6") + field("61") + field("1") + field("2") + mark + "\n" + mark +
      field("3") + field("5") + field("6") + field("7") + "\n" +
      "CPYRAM* " + field("7") + field("51") + field("1") + field("2") + mark + "\n" + mark +
      field("4") + field("3") + field("5") + "\n" +
      "CHEXA*  " + field("8") + field("81") + field("1") + field("2") + mark + "\n" + mark +
      field("4") + field("3") + field("5") + field("6") + mark + "\n" + mark + field("8") +
      field("7") + std::string(32, ' ') + mark + "\n" + mark + "\n" + "$\nENDDATA\n";
  ASSERT_GT(text.size(), elements.size());
  EXPECT_EQ(text.substr(text.size() - elements.size()), elements);
  EXPECT_EQ(text.substr(0, 11), "BEGIN BULK\n");
  // Every line ends by column 80, the continuation mark in column 73.
  for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
       start = end + 1)
    EXPECT_LE(end - start, 80u) << text.substr(start, end - start);
  EXPECT_EQ(sent(), "");
}

TEST_F(Bdf, empty_mesh_gives_the_deck_frame_only) {
  EXPECT_EQ(written(mesh), "BEGIN BULK\n$\nENDDATA\n");
  gridlume_mesh *read_back = gridlume_mesh_new_read_bdf(context, temporary_path("out.bdf").c_str());
  ASSERT_NE(read_back, nullptr);
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_count, read_back), 0);
}

TEST_F(Bdf, writer_failures_send_their_message_and_status) {
  EXPECT_EQ(gridlume_mesh_write_bdf(nullptr, temporary_path("a.bdf").c_str()), -1);
  EXPECT_EQ(sent(), "");
  EXPECT_EQ(gridlume_mesh_write_bdf(mesh, "/no/such/folder/a.bdf"), -1);
  EXPECT_EQ(sent(), std::string("-1000 ") + writer + "Error opening bdf file for writing.\n");

  FailingAccessors vertices{3, 2, -7}, tetrahedra{3, 3, -4, 4};
  gridlume_mesh *callbacks = gridlume_mesh_new(context);
  gridlume_mesh_set_get_vertex_count(callbacks, FailingAccessors::get_count, &vertices);
  gridlume_mesh_set_get_vertex_coordinates(callbacks, FailingAccessors::get_point, &vertices);
  EXPECT_EQ(gridlume_mesh_write_bdf(callbacks, temporary_path("b.bdf").c_str()), -1);
  EXPECT_EQ(sent(),
            std::string("-2011 ") + writer + "Error accessing given mesh vertices coordinates.\n");
  vertices.failing_index = 0;
  gridlume_mesh_set_get_tetrahedron_count(callbacks, FailingAccessors::get_count, &tetrahedra);
  gridlume_mesh_set_get_tetrahedron_vertices(callbacks, FailingAccessors::get_vertices,
                                             &tetrahedra);
  // An element whose vertices cannot be read answers the accessor's status.
  EXPECT_EQ(gridlume_mesh_write_bdf(callbacks, temporary_path("c.bdf").c_str()), -4);
  EXPECT_EQ(sent(),
            std::string("-2091 ") + writer + "Error accessing given mesh tetrahedra vertices.\n");
  // The deck ends at the failing record.
  const std::string text = read_file(temporary_path("c.bdf"));
  EXPECT_EQ(text.find("ENDDATA"), std::string::npos);
  EXPECT_NE(text.find("CTETRA* " + field("2")), std::string::npos);
}

TEST_F(Bdf, records_that_cannot_be_written_are_write_errors) {
  // A full device takes the first buffer of records and refuses the next.
  add_vertices(mesh, 200);
  EXPECT_EQ(gridlume_mesh_write_bdf(mesh, "/dev/full"), -1);
  EXPECT_EQ(sent(),
            std::string("-2012 ") + writer + "Error writing given mesh vertices coordinates.\n");
  gridlume_mesh_set_vertex_count(mesh, 1);
  add_triangles(mesh, 200);
  EXPECT_EQ(gridlume_mesh_write_bdf(mesh, "/dev/full"), -1);
  EXPECT_EQ(sent(),
            std::string("-2021 ") + writer + "Error writing given mesh triangles vertices.\n");
  // A deck small enough to stay in the buffer fails when it is closed.
  gridlume_mesh_set_triangle_count(mesh, 0);
  EXPECT_EQ(gridlume_mesh_write_bdf(mesh, "/dev/full"), -1);
}

TEST_F(Bdf, free_field_deck_gives_vertices_elements_and_tags) {
  gridlume_mesh *deck = read_deck(
      "$ a comment\nBEGIN BULK\n"
      "GRID,1,0,0.5,1.5,2.5\nGRID,2,0,1.,0.,0.\nGRID, 3, 0, 0., 1., 0.\nGRID 4 0 0. 0. 1.\n"
      "CBAR,1,7,1,2,0.,0.,1.\nCTRIA3,1,8,1,2,3\nCQUAD4,1,9,1,2,3,4\nCTETRA,1,10,1,2,3,4\n"
      "CPYRAM,1,11,1,2,3,4,1\nCPENTA,1,12,1,2,3,4,1,2\nCHEXA,1,13,1,2,3,4,1,2,3,4\n"
      "ENDDATA\nGRID,5,0,9.,9.,9.\n");
  ASSERT_NE(deck, nullptr);
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_count, deck), 4);
  EXPECT_EQ((values_of<3>(gridlume_mesh_get_vertex_coordinates, deck, 1)),
            (std::array<double, 3>{0.5, 1.5, 2.5}));
  EXPECT_EQ((values_of<3>(gridlume_mesh_get_vertex_coordinates, deck, 3)),
            (std::array<double, 3>{0, 1, 0}));
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_tag, deck, 1), 0);
  EXPECT_EQ((values_of<2>(gridlume_mesh_get_edge_vertices, deck, 1)), (std::array<int, 2>{1, 2}));
  int tag = 7;
  for (const peer_test::Kind *kind :
       {&peer_test::edges, &peer_test::triangles, &peer_test::quadrangles, &peer_test::tetrahedra,
        &peer_test::pyramids, &peer_test::prisms, &peer_test::hexahedra})
    EXPECT_EQ(value_of(kind->get_tag, deck, 1), tag++) << kind->meshio_name;
  EXPECT_EQ((values_of<8>(gridlume_mesh_get_hexahedron_vertices, deck, 1)),
            (std::array<int, 8>{1, 2, 3, 4, 1, 2, 3, 4}));
  EXPECT_EQ(sent(), "");
}

TEST_F(Bdf, free_field_layouts_give_each_vertex_its_coordinates) {
  using Point = std::array<double, 3>;
  const struct {
    const char *what;
    const char *deck;
    int vertex;
    Point xyz;
  } layouts[] = {
      // The empty field between two commas is no field: x is the third
      // token, and one non-zero x tells the deck has no coordinate-system
      // field.
      {"empty system field", "GRID,1,,0.,5.,6.\nGRID,2,,7.,8.,9.\n", 2, {7, 8, 9}},
      {"empty system field, x zero", "GRID,1,,0.,5.,6.\nGRID,2,,7.,8.,9.\n", 1, {0, 5, 6}},
      // A non-zero third token tells a deck without the field: the system's
      // number is then read as x, and each record's fields shift.
      {"non-zero system", "GRID,1,3,0.5,1.5,2.5\n", 1, {3, 0.5, 1.5}},
  };
  for (const auto &layout : layouts) {
    SCOPED_TRACE(layout.what);
    gridlume_mesh *deck = read_deck(layout.deck);
    ASSERT_NE(deck, nullptr);
    EXPECT_EQ((values_of<3>(gridlume_mesh_get_vertex_coordinates, deck, layout.vertex)), layout.xyz);
    EXPECT_EQ(value_of(gridlume_mesh_get_vertex_tag, deck, layout.vertex), 0);
  }
  // Tabs and carriage returns separate fields as blanks do, and nothing
  // after "ENDDATA" is read.
  gridlume_mesh *deck =
      read_deck("GRID\t1\t0\t1.\t2.\t3.\r\nCBAR,1,4,1,1\r\nENDDATA\r\nCBAR,2,4,1,1\r\n");
  ASSERT_NE(deck, nullptr);
  EXPECT_EQ((values_of<3>(gridlume_mesh_get_vertex_coordinates, deck, 1)), (Point{1, 2, 3}));
  EXPECT_EQ(value_of(gridlume_mesh_get_edge_count, deck), 1);
  EXPECT_EQ(value_of(gridlume_mesh_get_edge_tag, deck, 1), 4);
}

TEST_F(Bdf, integers_read_as_percent_i_reads_them) {
  gridlume_mesh *deck =
      read_deck("GRID,1,0,1.,0.,0.\nGRID,2,0,2.,0.,0.\nCBAR,0x1,0x1A,1,2\nCBAR,02,010,2,1\n");
  ASSERT_NE(deck, nullptr);
  EXPECT_EQ(value_of(gridlume_mesh_get_edge_tag, deck, 1), 26);
  EXPECT_EQ(value_of(gridlume_mesh_get_edge_tag, deck, 2), 8);
}

// One element kind a deck: the running identifiers are then the elements'
// own numbers, so every tag lands on its element. Vertex tags are not
// written.
TEST_F(Bdf, written_decks_of_one_kind_read_back_exactly) {
  for (const peer_test::Kind *kind : peer_test::kinds) {
    if (kind == &peer_test::edges) continue;  // starred bars are not read
    SCOPED_TRACE(kind->meshio_name);
    gridlume_mesh *source = peer_test::one_kind(context, *kind);
    const std::string path = temporary_path(std::string(kind->meshio_name) + ".bdf");
    ASSERT_EQ(gridlume_mesh_write_bdf(source, path.c_str()), 0);
    EXPECT_EQ(peer_test::dump(gridlume_mesh_new_read_bdf(context, path.c_str())),
              peer_test::dump(source));
  }
  EXPECT_EQ(sent(), "");
}

TEST_F(Bdf, writer_decks_of_several_kinds_do_not_read_back_whole) {
  add_every_kind(mesh);
  const std::string path = temporary_path("every.bdf");
  ASSERT_EQ(gridlume_mesh_write_bdf(mesh, path.c_str()), 0);
  gridlume_mesh *deck = gridlume_mesh_new_read_bdf(context, path.c_str());
  ASSERT_NE(deck, nullptr);
  // Starred bars are not read; the triangle's identifier 3 names no
  // triangle, so its tag fails and the reading ends there.
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_count, deck), 8);
  EXPECT_EQ(value_of(gridlume_mesh_get_edge_count, deck), 0);
  EXPECT_EQ((values_of<3>(gridlume_mesh_get_triangle_vertices, deck, 1)),
            (std::array<int, 3>{1, 2, 3}));
  EXPECT_EQ(value_of(gridlume_mesh_get_triangle_tag, deck, 1), 0);
  EXPECT_EQ(value_of(gridlume_mesh_get_quadrangle_count, deck), 1);
  EXPECT_EQ((values_of<4>(gridlume_mesh_get_quadrangle_vertices, deck, 1)),
            (std::array<int, 4>{0, 0, 0, 0}));
  EXPECT_EQ(sent(), "");
}

TEST_F(Bdf, deck_that_cannot_be_opened_prints_and_gives_an_empty_mesh) {
  testing::internal::CaptureStdout();
  gridlume_mesh *deck = gridlume_mesh_new_read_bdf(context, "/no/such/folder/deck.bdf");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error opening bdf file for reading.\n");
  ASSERT_NE(deck, nullptr);
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_count, deck), 0);
  EXPECT_EQ(gridlume_mesh_new_read_bdf(nullptr, "deck.bdf"), nullptr);
  EXPECT_EQ(sent(), "");
}

TEST_F(Bdf, malformed_records_refuse_the_deck_and_name_the_line) {
  const std::string grid = "GRID,1,0,0.,0.,0.\nGRID,2,0,1.,0.,0.\nGRID,3,0,0.,1.,0.\n";
  const std::string starred_grid = "GRID*   1   0   0.   0.*\n*       0.\n";
  const struct {
    std::string deck;
    int code;
    std::string text;
  } cases[] = {
      {"GRID,1,0,zero,0.,0.\n", -2011,
       "Line 1: a field of the GRID record is missing or not a number."},
      {"GRID,1,0,1.,2.\n", -2011, "Line 1: a field of the GRID record is missing or not a number."},
      {"GRID,x,0,1.,2.,3.\n", -2011,
       "Line 1: a field of the GRID record is missing or not a number."},
      {grid + "CTRIA3,1,1,1,2,three\n", -2021,
       "Line 4: a field of the element record is missing or not a number."},
      {grid + "CTETRA,1,1,1,2,3\n", -2021,
       "Line 4: a field of the element record is missing or not a number."},
      {grid + "CTRIA3,1,1,1,2,99999999999\n", -2021,
       "Line 4: a field of the element record is missing or not a number."},
      {"GRID*   1   0   0.   0.*\n", -2022,
       "Line 1: the continuation line of the record is missing or out of order."},
      {starred_grid + "GRID*   2   0   1.   0.*\nGRID*   3   0   0.   1.*\n*   0.\n*   0.\n",
       -2022, "Line 4: the continuation line of the record is missing or out of order."},
      {grid + "CTRIA3* 1 1 1 2\nCTRIA3* 2 1 2 3\n*   3\n", -2022,
       "Line 5: the continuation line of the record is missing or out of order."},
      {grid + "CHEXA*  1 1 1 2\n*  3 1 2 3\n", -2022,
       "Line 5: the continuation line of the record is missing or out of order."},
      {grid + "CTRIA3,1,1,1,2,4\n", -2023,
       "Line 4: the element names a vertex that the deck does not hold."},
      {grid + "CBAR,1,1,0,2\n", -2023,
       "Line 4: the element names a vertex that the deck does not hold."},
      {grid + "CTRIA3,1,1,1,2,3" + std::string(1100, ' ') + "\n", -2024,
       "Line 4: a record longer than 1023 characters."},
  };
  for (const auto &bad : cases) {
    SCOPED_TRACE(bad.deck);
    gridlume_mesh *deck = read_deck(bad.deck);
    ASSERT_NE(deck, nullptr);
    // Nothing half read is left in the mesh.
    EXPECT_EQ(value_of(gridlume_mesh_get_vertex_count, deck), 0);
    EXPECT_EQ(value_of(gridlume_mesh_get_triangle_count, deck), 0);
    EXPECT_EQ(sent(), std::to_string(bad.code) + " " + reader + bad.text + "\n");
  }
}

TEST_F(Bdf, every_truncation_of_a_deck_is_read_or_refused_without_absent_vertices) {
  add_every_kind(mesh);
  const std::string whole = written(mesh) + "GRID,9,0,1.,2.,3.\nCTRIA3,1,4,1,2,9\n";
  for (std::size_t length = 0; length < whole.size(); length += 7) {
    gridlume_mesh *deck = read_deck(whole.substr(0, length));
    ASSERT_NE(deck, nullptr);
    const int vertices = value_of(gridlume_mesh_get_vertex_count, deck);
    const int triangles = value_of(gridlume_mesh_get_triangle_count, deck);
    for (int t = 1; t <= triangles; ++t)
      for (int v : values_of<3>(gridlume_mesh_get_triangle_vertices, deck, t))
        EXPECT_TRUE(v >= 0 && v <= vertices) << length;  // 0: a triangle never reached
    gridlume_mesh_delete(deck);
    sent();
  }
  // Bytes that are no text at all hold no record.
  std::string garbage(4096, '\0');
  for (std::size_t k = 0; k < garbage.size(); ++k) garbage[k] = char((k * 2654435761u) >> 24);
  gridlume_mesh *deck = read_deck(garbage);
  ASSERT_NE(deck, nullptr);
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_count, deck), 0);
}

TEST_F(Bdf, long_lines_that_are_no_records_are_passed_over) {
  gridlume_mesh *deck = read_deck("$" + std::string(5000, 'x') + "\nGRID,1,0,1.,2.,3.\n" +
                                  std::string(3000000, ' ') + "\nCBAR,1,1,1,1\n");
  ASSERT_NE(deck, nullptr);
  EXPECT_EQ(value_of(gridlume_mesh_get_vertex_count, deck), 1);
  EXPECT_EQ(value_of(gridlume_mesh_get_edge_count, deck), 1);
  EXPECT_EQ(sent(), "");
}

TEST_F(Bdf, reader_and_writer_answer_memory_failures) {
  add_every_kind(mesh);
  gridlume_mesh_set_edge_count(mesh, 0);
  gridlume_mesh_set_triangle_count(mesh, 0);
  gridlume_mesh_set_quadrangle_count(mesh, 0);
  gridlume_mesh_set_pyramid_count(mesh, 0);
  gridlume_mesh_set_prism_count(mesh, 0);
  gridlume_mesh_set_hexahedron_count(mesh, 0);
  const std::string path = temporary_path("memory.bdf");
  ASSERT_EQ(gridlume_mesh_write_bdf(mesh, path.c_str()), 0);
  gridlume_test::expect_each_allocation_failure_reported(
      [&](gridlume_context *fresh, gridlume_test::AllocationFailure &failure) {
        failure.arm();
        return gridlume_mesh_new_read_bdf(fresh, path.c_str());
      },
      [](gridlume_mesh *deck) {
        EXPECT_EQ(value_of(gridlume_mesh_get_tetrahedron_tag, deck, 1), 41);
      });
  // The writer allocates nothing of its own beyond the stream.
  gridlume_test::for_each_allocation_failure([&](gridlume_test::AllocationFailure &failure) {
    failure.arm();
    EXPECT_EQ(gridlume_mesh_write_bdf(mesh, path.c_str()), 0);
  });
}

}  // namespace
