// Keyword files written and read back: text and binary in every version,
// both byte orders, lists, solution keywords, the exact texts and layouts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <tuple>
#include <vector>

#include "keyword_test_files.hpp"
#include "support/allocation_failure.hpp"

using namespace gridlume;
using namespace keyword_test;

namespace {

// The list keyword is the last code of the table, "ExtraVerticesAtPyramids".
constexpr int vertices = 4, triangles = 6, extra_at_pyramids = 157, sol_at_vertices = 62,
              corners = 13, end_code = 54, iterations = 77, time_code = 78;
const double sample_xyz[3][3] = {
    {0, 0, 0}, {0.1, 1e20, -3.5}, {1.0 / 3.0, 2.5, 123456789012345678.0}};
const int sample_tags[3] = {1, 2, -3}, extra[6] = {7, 8, 9, 10, 11, 12}, sample_types[2] = {1, 3};
// The last real of the solution line (1 + 6 reals in 3D), as each width holds it.
double last_solution_real(int version) { return version == 1 ? 7.5 : 7.25; }

// One file with an information keyword, a "dri" keyword, a plain integer
// keyword, an "in" keyword and a solution keyword, written line by line.
void write_sample(const std::string &path, int version) {
  int slot = keyword_file_open(path.c_str(), 2, version, 3);
  ASSERT_GT(slot, 0);
  EXPECT_EQ(gridlume_mesh_write_mesh_set_key(slot, iterations), 1);
  gridlume_mesh_write_mesh_set_line(slot, iterations, 12);
  EXPECT_EQ(gridlume_mesh_write_mesh_set_key(slot, vertices, 3), 3);
  for (int i = 0; i < 3; ++i)
    gridlume_mesh_write_mesh_set_line(slot, vertices, sample_xyz[i][0], sample_xyz[i][1],
                                      sample_xyz[i][2], sample_tags[i]);
  EXPECT_EQ(gridlume_mesh_write_mesh_set_key(slot, triangles, 2), 2);
  gridlume_mesh_write_mesh_set_line(slot, triangles, 1, 2, 3, 10);
  gridlume_mesh_write_mesh_set_line(slot, triangles, 3, 2, 1, 20);
  EXPECT_EQ(gridlume_mesh_write_mesh_set_key(slot, extra_at_pyramids, 2), 2);
  gridlume_mesh_write_mesh_set_line(slot, extra_at_pyramids, 1, 3, int(sizeof(int)), extra);
  gridlume_mesh_write_mesh_set_line(slot, extra_at_pyramids, 2, 6, int(sizeof(int)), extra);
  EXPECT_EQ(gridlume_mesh_write_mesh_set_key(slot, sol_at_vertices, 1, 2, sample_types), 1);
  const double reals[7] = {1, 2, 3, 4, 5, 6, last_solution_real(version)};
  const float single[7] = {1, 2, 3, 4, 5, 6, float(reals[6])};
  if (version == 1)
    gridlume_mesh_write_mesh_set_line(slot, sol_at_vertices, single);
  else
    gridlume_mesh_write_mesh_set_line(slot, sol_at_vertices, reals);
  EXPECT_EQ(keyword_file_close(slot), 1);
}

// The binary file write_sample writes, word by word.
std::string sample_image(int version, bool big_endian) {
  BinaryImage image(version, big_endian);
  image.prologue(3).block(iterations).i32(12).block(vertices).i32(3);
  for (int i = 0; i < 3; ++i)
    image.real(sample_xyz[i][0], sample_xyz[i][1], sample_xyz[i][2]).i32(sample_tags[i]);
  image.block(triangles).i32(2, 1, 2, 3, 10, 3, 2, 1, 20);
  image.block(extra_at_pyramids).i32(2, 1, 3, 7, 8, 9, 2, 6, 7, 8, 9, 10, 11, 12);
  image.block(sol_at_vertices).i32(1, 2, 1, 3).real(1, 2, 3, 4, 5, 6, last_solution_real(version));
  return image.end().bytes();
}

// The sample as text, in version 1 (floats printed "%g") and 2 ("%.15lg").
const std::string sample_texts[2] = {
    "MeshVersionFormatted 1\n\nDimension 3\n\nIterations\n12 \n"
    "\nVertices\n3\n0 0 0 1 \n0.1 1e+20 -3.5 2 \n0.333333 2.5 1.23457e+17 -3 \n"
    "\nTriangles\n2\n1 2 3 10 \n3 2 1 20 \n"
    "\nExtraVerticesAtPyramids\n2\n1 3 7 8 9 \n2 6 7 8 9 10 11 12 \n"
    "\nSolAtVertices\n1\n2 1 3 \n\n1 2 3 4 5 6 7.5 \n\nEnd\n",
    "MeshVersionFormatted 2\n\nDimension 3\n\nIterations\n12 \n"
    "\nVertices\n3\n0 0 0 1 \n0.1 1e+20 -3.5 2 \n0.333333333333333 2.5 1.23456789012346e+17 -3 \n"
    "\nTriangles\n2\n1 2 3 10 \n3 2 1 20 \n"
    "\nExtraVerticesAtPyramids\n2\n1 3 7 8 9 \n2 6 7 8 9 10 11 12 \n"
    "\nSolAtVertices\n1\n2 1 3 \n\n1 2 3 4 5 6 7.25 \n\nEnd\n"};

// What a real becomes once stored: text keeps what "%.15lg" (or "%g" of the
// float, in version 1) prints, binary the double (or the float).
double stored(double value, int version, const std::string &path) {
  if (version == 1) value = static_cast<float>(value);
  if (path.back() == 'b') return value;
  char printed[64];
  std::snprintf(printed, sizeof printed, version == 1 ? "%g" : "%.15lg", value);
  return version == 1 ? std::strtof(printed, nullptr) : std::strtod(printed, nullptr);
}

// The next vertex line, read field by field into reals of the version's
// width: x, y, z and the tag.
std::array<double, 4> vertex_line(int slot, int version) {
  float single[3] = {};
  double wide[3] = {};
  int tag = 0;
  if (version == 1)
    keyword_file_get_line(slot, vertices, &single[0], &single[1], &single[2], &tag);
  else
    keyword_file_get_line(slot, vertices, &wide[0], &wide[1], &wide[2], &tag);
  if (version == 1) std::copy(single, single + 3, wide);
  return {wide[0], wide[1], wide[2], double(tag)};
}

void check_sample(const std::string &path, int expected_version) {
  int version = 0, dimension = 0;
  int slot = open_for_reading(path, &version, &dimension);
  ASSERT_GT(slot, 0);
  EXPECT_EQ(version, expected_version);
  EXPECT_EQ(dimension, 3);
  expect_line_counts(slot,
                     {{iterations, 1}, {vertices, 3}, {triangles, 2}, {corners, 0}, {end_code, 1}});

  // Keywords may be visited in any order.
  EXPECT_EQ(keyword_file_goto_key(slot, triangles), 0);
  EXPECT_EQ(integer_line<4>(slot, triangles), (std::array<int, 4>{1, 2, 3, 10}));

  // Vertices line by line, then as columns.
  EXPECT_EQ(keyword_file_goto_key(slot, vertices), 0);
  for (int line = 0; line < 3; ++line) {
    const double *xyz = sample_xyz[line];
    EXPECT_EQ(vertex_line(slot, version),
              (std::array{stored(xyz[0], version, path), stored(xyz[1], version, path),
                          stored(xyz[2], version, path), double(sample_tags[line])}));
  }
  double xyz[9];
  int tags[3];
  EXPECT_EQ(keyword_file_goto_key(slot, vertices), 0);
  EXPECT_EQ(keyword_file_get_lines(slot, vertices, 3, vertex_columns(xyz, tags)), 3);
  EXPECT_EQ(xyz[4], stored(1e20, version, path));
  EXPECT_EQ(tags[2], -3);

  // An element, its list length and the list: a list longer than the
  // capacity fills the capacity and drops the rest.
  EXPECT_EQ(keyword_file_goto_key(slot, extra_at_pyramids), 0);
  using ListLine = std::array<int, 10>;
  for (auto [capacity, expected] :
       {std::pair{8, ListLine{1, 3, 7, 8, 9}}, {4, ListLine{2, 6, 7, 8, 9, 10}}}) {
    ListLine line{};
    keyword_file_get_line(slot, extra_at_pyramids, &line[0], &line[1], capacity, int(sizeof(int)),
                          &line[2]);
    EXPECT_EQ(line, expected);
  }

  std::array<int, 5> solution{};  // type count, reals per line, types
  EXPECT_EQ(keyword_file_stat_key(slot, sol_at_vertices, &solution[0], &solution[1], &solution[2]),
            1);
  EXPECT_EQ(solution, (std::array<int, 5>{2, 7, 1, 3, 0}));
  EXPECT_EQ(keyword_file_goto_key(slot, sol_at_vertices), 0);
  float single[7] = {};
  double reals[7] = {};
  keyword_file_get_line(slot, sol_at_vertices, version == 1 ? static_cast<void *>(single) : reals);
  EXPECT_EQ(version == 1 ? single[6] : reals[6], last_solution_real(version));

  EXPECT_EQ(keyword_file_goto_key(slot, iterations), 0);
  int iteration = 0;
  keyword_file_get_line(slot, iterations, &iteration);
  EXPECT_EQ(iteration, 12);
  EXPECT_EQ(keyword_file_close(slot), 1);
}

class EveryFormat : public testing::TestWithParam<std::tuple<int, const char *>> {};

// Text files are also compared with the exact texts, binary files word by
// word with the layout (every block chained from "Dimension" to "End"), and
// read in the reversed byte order.
TEST_P(EveryFormat, lines_written_one_by_one_read_back_exactly) {
  auto [version, extension] = GetParam();
  std::string path = temporary_path(std::string("sample") + extension);
  write_sample(path, version);
  check_sample(path, version);
  if (version < 3 && path.back() == 'h') {
    EXPECT_EQ(read_file(path), sample_texts[version - 1]);
  } else if (path.back() == 'b') {
    EXPECT_TRUE(read_file(path) == sample_image(version, false));
    check_sample(write_file(std::string("reversed") + extension, sample_image(version, true)),
                 version);
  }
}

TEST_P(EveryFormat, column_blocks_round_trip_and_match_single_lines) {
  auto [version, extension] = GetParam();
  constexpr int count = 5000;  // several write blocks of text, one of binary
  std::vector<double> xyz(3 * count);
  std::vector<int> tags(count);
  for (int i = 0; i < count; ++i) {
    for (int k = 0; k < 3; ++k) xyz[3 * i + k] = std::ldexp(i * 3 + k + 0.1, i % 60 - 30);
    tags[i] = i - 7;
  }
  std::string path = temporary_path(std::string("columns") + extension);
  int slot = keyword_file_open(path.c_str(), 2, version, 3);
  ASSERT_GT(slot, 0);
  ASSERT_EQ(gridlume_mesh_write_mesh_set_key(slot, vertices, count), count);
  EXPECT_EQ(keyword_file_set_lines(slot, vertices, count,
                                   vertex_columns<ConstFieldColumn>(xyz.data(), tags.data())),
            0);
  ASSERT_EQ(keyword_file_close(slot), 1);

  slot = open_for_reading(path);
  ASSERT_GT(slot, 0);
  ASSERT_EQ(keyword_file_stat_key(slot, vertices), count);
  ASSERT_EQ(keyword_file_goto_key(slot, vertices), 0);
  std::vector<double> read_xyz(3 * count);
  std::vector<int> read_tags(count);
  EXPECT_EQ(keyword_file_get_lines(slot, vertices, count,
                                   vertex_columns(read_xyz.data(), read_tags.data())),
            count);
  for (int i = 0; i < 3 * count; ++i) ASSERT_EQ(read_xyz[i], stored(xyz[i], version, path)) << i;
  EXPECT_EQ(read_tags, tags);
  // The same lines one by one, after reading i lines again as columns.
  for (int i = 0; i < count; i += 1 + count / 7) {
    ASSERT_EQ(keyword_file_goto_key(slot, vertices), 0);
    EXPECT_EQ(keyword_file_get_lines(slot, vertices, i,
                                     vertex_columns(read_xyz.data(), read_tags.data())),
              i);
    EXPECT_EQ(vertex_line(slot, version), (std::array{read_xyz[3 * i], read_xyz[3 * i + 1],
                                                      read_xyz[3 * i + 2], double(tags[i])}));
  }
  EXPECT_EQ(keyword_file_close(slot), 1);
}

INSTANTIATE_TEST_SUITE_P(TextAndBinary, EveryFormat,
                         testing::Combine(testing::Values(1, 2, 3),
                                          testing::Values(".mesh", ".meshb", ".sol", ".solb")));

TEST(KeywordText, comments_blank_layout_and_reserved_names_are_understood) {
  int version = 0, dimension = 0;
  int slot = open_for_reading(
      write_file("comments.mesh",
                 "# a header comment naming Vertices\nMeshVersionFormatted\n 3 Dimension 2 "
                 "Reserved\nEdges # Triangles here is a comment\n 2 1 2 +5\n2 1 6 Corners 1 2 "
                 "# no line feed"),
      &version, &dimension);
  ASSERT_GT(slot, 0);
  EXPECT_EQ(dimension, 2);
  // "Reserved" (code 2) is an information keyword.
  expect_line_counts(slot, {{2, 1}, {4, 0}, {6, 0}, {5, 2}, {corners, 1}, {end_code, 0}});
  keyword_file_goto_key(slot, 5);
  EXPECT_EQ(integer_line<3>(slot, 5)[2], 5);
  EXPECT_EQ(keyword_file_close(slot), 1);
}

TEST(KeywordFileNames, the_kind_comes_from_the_last_six_characters) {
  const std::string text = "MeshVersionFormatted 2 Dimension 3\n";
  // A mesh name followed by one more character is still a text mesh file.
  int slot = open_for_reading(write_file("name.meshx", text));
  EXPECT_GT(slot, 0);
  keyword_file_close(slot);
  // A dot and three more letters push the extension out of the window.
  std::string path = write_file("name.mesh.bak", text);
  EXPECT_EQ(open_for_reading(path), 0);
  EXPECT_EQ(keyword_file_open(path.c_str(), 2, 2, 3), 0);
  // A path too long for the record.
  EXPECT_EQ(keyword_file_open((std::string(1017, 'a') + ".mesh").c_str(), 2, 2, 3), 0);
  EXPECT_EQ(keyword_file_open(nullptr, 2, 2, 3), 0);
}

TEST(KeywordFileTable, a_hundred_files_fill_the_table_and_a_closed_slot_is_reused) {
  for (int i = 0; i < 100; ++i)
    ASSERT_EQ(keyword_file_open(temporary_path(std::to_string(i) + ".mesh").c_str(), 2, 2, 3),
              i + 1);
  std::string extra_path = temporary_path("extra.mesh");
  EXPECT_EQ(keyword_file_open(extra_path.c_str(), 2, 2, 3), 0);
  EXPECT_EQ(keyword_file_close(37), 1);
  EXPECT_EQ(keyword_file_open(extra_path.c_str(), 2, 2, 3), 37);
  for (int slot = 1; slot <= 100; ++slot) EXPECT_EQ(keyword_file_close(slot), 1);
  EXPECT_EQ(keyword_file_close(37), 0);  // already free
  EXPECT_EQ(keyword_file_close(0), 0);
  EXPECT_EQ(keyword_file_close(101), 0);
}

TEST(KeywordFileTable, invalid_slots_and_codes_answer_zero_and_do_nothing) {
  std::string path = temporary_path("codes.mesh");
  int slot = keyword_file_open(path.c_str(), 2, 2, 3);
  ASSERT_GT(slot, 0);
  for (auto [target, code, count] : {std::tuple{slot, 0, 1},
                                     {slot, 158, 1},
                                     {slot, vertices, -1},
                                     {0, vertices, 1},
                                     {101, vertices, 1}})
    EXPECT_EQ(gridlume_mesh_write_mesh_set_key(target, code, count), 0) << code;
  EXPECT_EQ(gridlume_mesh_write_mesh_set_line(slot, triangles, 1, 2, 3, 4), -1);
  EXPECT_EQ(gridlume_mesh_write_mesh_set_line(0, triangles, 1, 2, 3, 4), -1);
  // Information keywords take no count and answer 1.
  EXPECT_EQ(gridlume_mesh_write_mesh_set_key(slot, time_code), 1);
  gridlume_mesh_write_mesh_set_line(slot, time_code, 2.5);
  EXPECT_EQ(keyword_file_close(slot), 1);

  slot = open_for_reading(path);
  ASSERT_GT(slot, 0);
  for (auto [target, code] : {std::pair{slot, 0}, {slot, 158}, {slot + 1, time_code}})
    EXPECT_EQ(keyword_file_stat_key(target, code), 0) << code;
  EXPECT_EQ(keyword_file_goto_key(slot, 158), 0);
  EXPECT_EQ(keyword_file_goto_key(slot, vertices), 0);  // absent: no seek
  keyword_file_get_line(slot, 158, nullptr);            // ignored
  keyword_file_get_line(slot, vertices, nullptr);       // absent: ignored
  ASSERT_EQ(keyword_file_goto_key(slot, time_code), 0);
  double time = 0;
  keyword_file_get_line(slot, time_code, &time);
  EXPECT_EQ(time, 2.5);
  EXPECT_EQ(gridlume_mesh_write_mesh_set_key(slot, vertices, 1), 0);  // read mode
  EXPECT_EQ(keyword_file_close(slot), 1);
}

TEST(KeywordFileMemory, every_allocation_failure_of_open_and_write_leaves_nothing) {
  std::string path = temporary_path("memory.meshb"), written = temporary_path("written.meshb");
  write_sample(path, 2);
  gridlume_test::for_each_allocation_failure([&](gridlume_test::AllocationFailure &failure) {
    failure.arm();
    int slot = open_for_reading(path);
    failure.disarm();
    EXPECT_TRUE(!failure.happened() || slot == 0);
    EXPECT_TRUE(slot == 0 || keyword_file_close(slot) == 1);
  });
  gridlume_test::for_each_allocation_failure([&](gridlume_test::AllocationFailure &failure) {
    failure.arm();
    int slot = keyword_file_open(written.c_str(), 2, 3, 3);
    int lines = gridlume_mesh_write_mesh_set_key(slot, sol_at_vertices, 1, 1, sample_types + 1);
    failure.disarm();
    if (slot != 0) keyword_file_close(slot);
    EXPECT_TRUE(!failure.happened() || slot == 0 || lines == 0);
  });
}

}  // namespace
