// Keyword files written and read back: text and binary in every version,
// both byte orders, lists, solution keywords, the exact texts and layouts.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "gridlume.h"
#include "gridlume_stubs.h"
#include "io/keyword_file.hpp"
#include "keyword_test_files.hpp"
#include "support/allocation_failure.hpp"

using namespace gridlume;
using keyword_test::BinaryImage;
using keyword_test::read_file;
using keyword_test::temporary_path;
using keyword_test::write_file;

namespace {

constexpr int vertices = 4, triangles = 6, extra_at_triangles = 35, sol_at_vertices = 62,
              corners = 13, dimension_code = 3, end_code = 54, iterations = 77, time_code = 78;

// One file with an information keyword, a "dri" keyword, a plain integer
// keyword, an "in" keyword and a solution keyword, written line by line.
void write_sample(const std::string &path, int version) {
  int slot = keyword_file_open(path.c_str(), 2, version, 3);
  ASSERT_GT(slot, 0);
  EXPECT_EQ(gridlume_mesh_write_mesh_set_key(slot, iterations), 1);
  gridlume_mesh_write_mesh_set_line(slot, iterations, 12);
  EXPECT_EQ(gridlume_mesh_write_mesh_set_key(slot, vertices, 3), 3);
  gridlume_mesh_write_mesh_set_line(slot, vertices, 0.0, 0.0, 0.0, 1);
  gridlume_mesh_write_mesh_set_line(slot, vertices, 0.1, 1e20, -3.5, 2);
  gridlume_mesh_write_mesh_set_line(slot, vertices, 1.0 / 3.0, 2.5, 7.0, -3);
  EXPECT_EQ(gridlume_mesh_write_mesh_set_key(slot, triangles, 2), 2);
  gridlume_mesh_write_mesh_set_line(slot, triangles, 1, 2, 3, 10);
  gridlume_mesh_write_mesh_set_line(slot, triangles, 3, 2, 1, 20);
  EXPECT_EQ(gridlume_mesh_write_mesh_set_key(slot, extra_at_triangles, 2), 2);
  const int extra[6] = {7, 8, 9, 10, 11, 12};
  gridlume_mesh_write_mesh_set_line(slot, extra_at_triangles, 1, 3, int(sizeof(int)), extra);
  gridlume_mesh_write_mesh_set_line(slot, extra_at_triangles, 2, 6, int(sizeof(int)), extra);
  const int types[2] = {1, 3};  // 1 + 6 reals per line in 3D
  EXPECT_EQ(gridlume_mesh_write_mesh_set_key(slot, sol_at_vertices, 1, 2, types), 1);
  if (version == 1) {
    const float reals[7] = {1, 2, 3, 4, 5, 6, 7.5f};
    gridlume_mesh_write_mesh_set_line(slot, sol_at_vertices, reals);
  } else {
    const double reals[7] = {1, 2, 3, 4, 5, 6, 7.25};
    gridlume_mesh_write_mesh_set_line(slot, sol_at_vertices, reals);
  }
  EXPECT_EQ(keyword_file_close(slot), 1);
}

// What a real becomes once stored: text keeps what "%.15lg" (or "%g" of the
// float, in version 1) prints, binary the double (or the float).
double stored(double value, int version, const std::string &path) {
  bool text = path.back() != 'b';
  char printed[64];
  if (version == 1) {
    if (!text) return static_cast<float>(value);
    std::snprintf(printed, sizeof printed, "%g", static_cast<double>(static_cast<float>(value)));
    return std::strtof(printed, nullptr);
  }
  if (!text) return value;
  std::snprintf(printed, sizeof printed, "%.15lg", value);
  return std::strtod(printed, nullptr);
}

// Reads a real field of either width.
struct Real {
  float single = 0;
  double wide = 0;
  void *target(int version) { return version == 1 ? static_cast<void *>(&single) : &wide; }
  double value(int version) const { return version == 1 ? single : wide; }
};

void check_sample(const std::string &path, int expected_version) {
  int version = 0, dimension = 0;
  int slot = keyword_file_open(path.c_str(), 1, &version, &dimension);
  ASSERT_GT(slot, 0);
  EXPECT_EQ(version, expected_version);
  EXPECT_EQ(dimension, 3);
  EXPECT_EQ(keyword_file_stat_key(slot, iterations), 1);
  EXPECT_EQ(keyword_file_stat_key(slot, vertices), 3);
  EXPECT_EQ(keyword_file_stat_key(slot, triangles), 2);
  EXPECT_EQ(keyword_file_stat_key(slot, corners), 0);

  // Keywords may be visited in any order.
  EXPECT_EQ(keyword_file_goto_key(slot, triangles), 0);
  std::array<int, 4> triangle{};
  keyword_file_get_line(slot, triangles, &triangle[0], &triangle[1], &triangle[2], &triangle[3]);
  EXPECT_EQ(triangle, (std::array<int, 4>{1, 2, 3, 10}));

  EXPECT_EQ(keyword_file_goto_key(slot, vertices), 0);
  const double expected[3][3] = {{0, 0, 0}, {0.1, 1e20, -3.5}, {1.0 / 3.0, 2.5, 7}};
  const int references[3] = {1, 2, -3};
  for (int line = 0; line < 3; ++line) {
    Real x, y, z;
    int reference = 0;
    keyword_file_get_line(slot, vertices, x.target(version), y.target(version),
                          z.target(version), &reference);
    double xyz[3] = {x.value(version), y.value(version), z.value(version)};
    for (int k = 0; k < 3; ++k) EXPECT_EQ(xyz[k], stored(expected[line][k], version, path));
    EXPECT_EQ(reference, references[line]);
  }

  EXPECT_EQ(keyword_file_goto_key(slot, extra_at_triangles), 0);
  int element = 0, count = 0;
  std::array<int, 8> list{};
  keyword_file_get_line(slot, extra_at_triangles, &element, &count, 8, int(sizeof(int)),
                        list.data());
  EXPECT_EQ(element, 1);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(list, (std::array<int, 8>{7, 8, 9, 0, 0, 0, 0, 0}));
  // A list longer than the capacity fills the capacity and drops the rest.
  list.fill(0);
  keyword_file_get_line(slot, extra_at_triangles, &element, &count, 4, int(sizeof(int)),
                        list.data());
  EXPECT_EQ(element, 2);
  EXPECT_EQ(count, 6);
  EXPECT_EQ(list, (std::array<int, 8>{7, 8, 9, 10, 0, 0, 0, 0}));

  int type_count = 0, reals_per_line = 0;
  int types[4] = {};
  EXPECT_EQ(keyword_file_stat_key(slot, sol_at_vertices, &type_count, &reals_per_line, types), 1);
  EXPECT_EQ(type_count, 2);
  EXPECT_EQ(reals_per_line, 7);
  EXPECT_EQ(types[0], 1);
  EXPECT_EQ(types[1], 3);
  EXPECT_EQ(keyword_file_goto_key(slot, sol_at_vertices), 0);
  if (version == 1) {
    float reals[7] = {};
    keyword_file_get_line(slot, sol_at_vertices, reals);
    EXPECT_EQ(reals[6], 7.5f);
  } else {
    double reals[7] = {};
    keyword_file_get_line(slot, sol_at_vertices, reals);
    EXPECT_EQ(reals[6], 7.25);
  }

  EXPECT_EQ(keyword_file_goto_key(slot, iterations), 0);
  int iteration = 0;
  keyword_file_get_line(slot, iterations, &iteration);
  EXPECT_EQ(iteration, 12);
  EXPECT_EQ(keyword_file_stat_key(slot, end_code), 1);
  EXPECT_EQ(keyword_file_close(slot), 1);
}

class EveryFormat : public testing::TestWithParam<std::tuple<int, const char *>> {};

TEST_P(EveryFormat, lines_written_one_by_one_read_back_exactly) {
  auto [version, extension] = GetParam();
  std::string path = temporary_path(std::string("sample") + extension);
  write_sample(path, version);
  check_sample(path, version);
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
  const ConstFieldColumn sources[4] = {{ColumnType::float64, &xyz[0], 24},
                                       {ColumnType::float64, &xyz[1], 24},
                                       {ColumnType::float64, &xyz[2], 24},
                                       {ColumnType::int32, tags.data(), 4}};
  EXPECT_EQ(keyword_file_set_lines(slot, vertices, count, sources), 0);
  ASSERT_EQ(keyword_file_close(slot), 1);

  int file_version = 0, dimension = 0;
  slot = keyword_file_open(path.c_str(), 1, &file_version, &dimension);
  ASSERT_GT(slot, 0);
  ASSERT_EQ(keyword_file_stat_key(slot, vertices), count);
  ASSERT_EQ(keyword_file_goto_key(slot, vertices), 0);
  std::vector<double> read_xyz(3 * count);
  std::vector<int> read_tags(count);
  const FieldColumn targets[4] = {{ColumnType::float64, &read_xyz[0], 24},
                                  {ColumnType::float64, &read_xyz[1], 24},
                                  {ColumnType::float64, &read_xyz[2], 24},
                                  {ColumnType::int32, read_tags.data(), 4}};
  EXPECT_EQ(keyword_file_get_lines(slot, vertices, count, targets), count);
  for (int i = 0; i < 3 * count; ++i) {
    ASSERT_EQ(read_xyz[i], stored(xyz[i], version, path)) << i;
  }
  EXPECT_EQ(read_tags, tags);
  // The same lines one by one.
  ASSERT_EQ(keyword_file_goto_key(slot, vertices), 0);
  for (int i = 0; i < count; i += 1 + count / 7) {
    ASSERT_EQ(keyword_file_goto_key(slot, vertices), 0);
    std::vector<double> skipped(3 * i);
    std::vector<int> skipped_tags(i);
    const FieldColumn skip[4] = {{ColumnType::float64, skipped.data(), 24},
                                 {ColumnType::float64, skipped.data(), 24},
                                 {ColumnType::float64, skipped.data(), 24},
                                 {ColumnType::int32, skipped_tags.data(), 4}};
    EXPECT_EQ(keyword_file_get_lines(slot, vertices, i, skip), i);
    Real x, y, z;
    int tag = 0;
    keyword_file_get_line(slot, vertices, x.target(version), y.target(version), z.target(version),
                          &tag);
    EXPECT_EQ(x.value(version), read_xyz[3 * i]);
    EXPECT_EQ(z.value(version), read_xyz[3 * i + 2]);
    EXPECT_EQ(tag, tags[i]);
  }
  EXPECT_EQ(keyword_file_close(slot), 1);
}

INSTANTIATE_TEST_SUITE_P(TextAndBinary, EveryFormat,
                         testing::Combine(testing::Values(1, 2, 3),
                                          testing::Values(".mesh", ".meshb", ".sol", ".solb")));

TEST(KeywordText, text_files_use_the_exact_number_formats) {
  std::string path = temporary_path("format.mesh");
  int slot = keyword_file_open(path.c_str(), 2, 2, 3);
  ASSERT_GT(slot, 0);
  gridlume_mesh_write_mesh_set_key(slot, vertices, 2);
  gridlume_mesh_write_mesh_set_line(slot, vertices, 0.0, 0.1, 1e20, 1);
  gridlume_mesh_write_mesh_set_line(slot, vertices, -3.5, 1.0 / 3.0, 123456789012345678.0, -2);
  const int list[2] = {5, 6};
  gridlume_mesh_write_mesh_set_key(slot, 157, 1);
  gridlume_mesh_write_mesh_set_line(slot, 157, 4, 2, int(sizeof(int)), list);
  const int types[2] = {1, 2};
  gridlume_mesh_write_mesh_set_key(slot, sol_at_vertices, 1, 2, types);
  const double reals[4] = {0.5, 1, 2, 3};
  gridlume_mesh_write_mesh_set_line(slot, sol_at_vertices, reals);
  ASSERT_EQ(keyword_file_close(slot), 1);
  EXPECT_EQ(read_file(path),
            "MeshVersionFormatted 2\n\nDimension 3\n"
            "\nVertices\n2\n0 0.1 1e+20 1 \n-3.5 0.333333333333333 1.23456789012346e+17 -2 \n"
            "\nExtraVerticesAtPyramids\n1\n4 2 5 6 \n"
            "\nSolAtVertices\n1\n2 1 2 \n\n0.5 1 2 3 \n"
            "\nEnd\n");

  slot = keyword_file_open(path.c_str(), 2, 1, 2);
  gridlume_mesh_write_mesh_set_key(slot, vertices, 1);
  gridlume_mesh_write_mesh_set_line(slot, vertices, 0.1, 1.0 / 3.0, 7);
  ASSERT_EQ(keyword_file_close(slot), 1);
  // Version 1 rounds to float and prints "%g".
  EXPECT_EQ(read_file(path),
            "MeshVersionFormatted 1\n\nDimension 2\n\nVertices\n1\n0.1 0.333333 7 \n\nEnd\n");
}

TEST(KeywordText, comments_blank_layout_and_reserved_names_are_understood) {
  std::string path = temporary_path("comments.mesh");
  write_file(path,
             "# a header comment naming Vertices\nMeshVersionFormatted\n 3 Dimension 2 Reserved\n"
             "Edges # Triangles here is a comment\n 2 1 2 +5\n2 1 6 Corners 1 2 # no line feed");
  int version = 0, dimension = 0;
  int slot = keyword_file_open(path.c_str(), 1, &version, &dimension);
  ASSERT_GT(slot, 0);
  EXPECT_EQ(dimension, 2);
  EXPECT_EQ(keyword_file_stat_key(slot, 2), 1);  // "Reserved": an information keyword
  EXPECT_EQ(keyword_file_stat_key(slot, 4), 0);
  EXPECT_EQ(keyword_file_stat_key(slot, 6), 0);
  EXPECT_EQ(keyword_file_stat_key(slot, 5), 2);
  EXPECT_EQ(keyword_file_stat_key(slot, corners), 1);
  EXPECT_EQ(keyword_file_stat_key(slot, end_code), 0);
  keyword_file_goto_key(slot, 5);
  int edge[3] = {};
  keyword_file_get_line(slot, 5, &edge[0], &edge[1], &edge[2]);
  EXPECT_EQ(edge[2], 5);
  EXPECT_EQ(keyword_file_close(slot), 1);
}

TEST(KeywordBinary, layout_chains_every_block_from_dimension_to_end) {
  for (int version : {1, 2, 3}) {
    std::string path = temporary_path("layout" + std::to_string(version) + ".meshb");
    int slot = keyword_file_open(path.c_str(), 2, version, 2);
    ASSERT_GT(slot, 0);
    gridlume_mesh_write_mesh_set_key(slot, corners, 1);
    gridlume_mesh_write_mesh_set_line(slot, corners, 9);
    ASSERT_EQ(keyword_file_close(slot), 1);
    std::string wide = version == 3 ? "8" : "4";
    BinaryImage expected(version, false);
    expected.prologue(2);
    expected.block(corners);
    expected.i32(1);
    expected.i32(9);
    expected.end();
    EXPECT_EQ(read_file(path), expected.bytes()) << "version " << version;
  }
}

TEST(KeywordBinary, reversed_byte_order_is_read_with_every_word_swapped) {
  for (int version : {1, 2, 3}) {
    BinaryImage image(version, true);
    image.prologue(3, 1);
    image.block(vertices);
    image.i32(2);
    for (int i = 0; i < 2; ++i) {
      image.real(0.5 + i);
      image.real(-2.0);
      image.real(1e10);
      image.i32(100 + i);
    }
    image.block(extra_at_triangles);
    image.i32(1);
    image.i32(1);
    image.i32(2);
    image.i32(70000);
    image.i32(-4);
    image.block(sol_at_vertices);
    image.i32(1);
    image.i32(1);
    image.i32(2);
    for (int k = 0; k < 3; ++k) image.real(k + 0.25);
    image.end();
    std::string path = temporary_path("big" + std::to_string(version) + ".meshb");
    write_file(path, image.bytes());

    int file_version = 0, dimension = 0;
    int slot = keyword_file_open(path.c_str(), 1, &file_version, &dimension);
    ASSERT_GT(slot, 0) << "version " << version;
    EXPECT_EQ(file_version, version);
    EXPECT_EQ(dimension, 3);
    ASSERT_EQ(keyword_file_stat_key(slot, vertices), 2);
    keyword_file_goto_key(slot, vertices);
    double xyz[6];
    int tags[2];
    const FieldColumn columns[4] = {{ColumnType::float64, &xyz[0], 24},
                                    {ColumnType::float64, &xyz[1], 24},
                                    {ColumnType::float64, &xyz[2], 24},
                                    {ColumnType::int32, tags, 4}};
    EXPECT_EQ(keyword_file_get_lines(slot, vertices, 2, columns), 2);
    EXPECT_EQ(xyz[3], 1.5);
    EXPECT_EQ(xyz[4], -2.0);
    EXPECT_EQ(xyz[5], 1e10);
    EXPECT_EQ(tags[1], 101);
    keyword_file_goto_key(slot, extra_at_triangles);
    int element = 0, count = 0, list[2] = {};
    keyword_file_get_line(slot, extra_at_triangles, &element, &count, 2, int(sizeof(int)), list);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(list[0], 70000);
    EXPECT_EQ(list[1], -4);
    keyword_file_goto_key(slot, sol_at_vertices);
    if (version == 1) {
      float line[3];
      keyword_file_get_line(slot, sol_at_vertices, line);
      EXPECT_EQ(line[2], 2.25f);
    } else {
      double line[3];
      keyword_file_get_line(slot, sol_at_vertices, line);
      EXPECT_EQ(line[2], 2.25);
    }
    EXPECT_EQ(keyword_file_close(slot), 1);
  }
}

TEST(KeywordFileNames, the_kind_comes_from_the_last_six_characters) {
  const std::string text = "MeshVersionFormatted 2 Dimension 3\n";
  int version = 0, dimension = 0;
  // A mesh name followed by one more character is still a text mesh file.
  std::string path = temporary_path("name.meshx");
  write_file(path, text);
  int slot = keyword_file_open(path.c_str(), 1, &version, &dimension);
  EXPECT_GT(slot, 0);
  keyword_file_close(slot);
  // A dot and three more letters push the extension out of the window.
  path = temporary_path("name.mesh.bak");
  write_file(path, text);
  EXPECT_EQ(keyword_file_open(path.c_str(), 1, &version, &dimension), 0);
  EXPECT_EQ(keyword_file_open(path.c_str(), 2, 2, 3), 0);
  // A path too long for the record.
  std::string long_path(1017, 'a');
  EXPECT_EQ(keyword_file_open((long_path + ".mesh").c_str(), 2, 2, 3), 0);
  EXPECT_EQ(keyword_file_open(nullptr, 2, 2, 3), 0);
}

TEST(KeywordFileTable, a_hundred_files_fill_the_table_and_a_closed_slot_is_reused) {
  std::vector<int> slots;
  for (int i = 0; i < 100; ++i) {
    std::string path = temporary_path(std::to_string(i) + ".mesh");
    int slot = keyword_file_open(path.c_str(), 2, 2, 3);
    ASSERT_EQ(slot, i + 1);
    slots.push_back(slot);
  }
  std::string extra = temporary_path("extra.mesh");
  EXPECT_EQ(keyword_file_open(extra.c_str(), 2, 2, 3), 0);
  EXPECT_EQ(keyword_file_close(37), 1);
  EXPECT_EQ(keyword_file_open(extra.c_str(), 2, 2, 3), 37);
  for (int slot : slots) EXPECT_EQ(keyword_file_close(slot), 1);
  EXPECT_EQ(keyword_file_close(37), 0);  // already free
  EXPECT_EQ(keyword_file_close(0), 0);
  EXPECT_EQ(keyword_file_close(101), 0);
}

TEST(KeywordFileTable, invalid_slots_and_codes_answer_zero_and_do_nothing) {
  std::string path = temporary_path("codes.mesh");
  int slot = keyword_file_open(path.c_str(), 2, 2, 3);
  ASSERT_GT(slot, 0);
  EXPECT_EQ(gridlume_mesh_write_mesh_set_key(slot, 0), 0);
  EXPECT_EQ(gridlume_mesh_write_mesh_set_key(slot, 158), 0);
  EXPECT_EQ(gridlume_mesh_write_mesh_set_key(slot, vertices, -1), 0);
  EXPECT_EQ(gridlume_mesh_write_mesh_set_key(0, vertices, 1), 0);
  EXPECT_EQ(gridlume_mesh_write_mesh_set_key(101, vertices, 1), 0);
  EXPECT_EQ(gridlume_mesh_write_mesh_set_line(slot, triangles, 1, 2, 3, 4), -1);
  EXPECT_EQ(gridlume_mesh_write_mesh_set_line(0, triangles, 1, 2, 3, 4), -1);
  // Information keywords take no count and answer 1.
  EXPECT_EQ(gridlume_mesh_write_mesh_set_key(slot, time_code), 1);
  gridlume_mesh_write_mesh_set_line(slot, time_code, 2.5);
  EXPECT_EQ(keyword_file_close(slot), 1);

  int version = 0, dimension = 0;
  slot = keyword_file_open(path.c_str(), 1, &version, &dimension);
  ASSERT_GT(slot, 0);
  EXPECT_EQ(keyword_file_stat_key(slot, 0), 0);
  EXPECT_EQ(keyword_file_stat_key(slot, 158), 0);
  EXPECT_EQ(keyword_file_stat_key(slot + 1, time_code), 0);
  EXPECT_EQ(keyword_file_goto_key(slot, 158), 0);
  EXPECT_EQ(keyword_file_goto_key(slot, vertices), 0);  // absent: no seek
  keyword_file_get_line(slot, 158, nullptr);             // ignored
  keyword_file_get_line(slot, vertices, nullptr);        // absent: ignored
  ASSERT_EQ(keyword_file_goto_key(slot, time_code), 0);
  double time = 0;
  keyword_file_get_line(slot, time_code, &time);
  EXPECT_EQ(time, 2.5);
  EXPECT_EQ(gridlume_mesh_write_mesh_set_key(slot, vertices, 1), 0);  // read mode
  EXPECT_EQ(keyword_file_close(slot), 1);
}

TEST(KeywordFileMemory, every_allocation_failure_of_open_and_write_leaves_nothing) {
  std::string path = temporary_path("memory.meshb");
  write_sample(path, 2);
  gridlume_test::for_each_allocation_failure([&](gridlume_test::AllocationFailure &failure) {
    int version = 0, dimension = 0;
    failure.arm();
    int slot = keyword_file_open(path.c_str(), 1, &version, &dimension);
    failure.disarm();
    if (failure.happened()) {
      EXPECT_EQ(slot, 0);
    }
    if (slot != 0) {
      EXPECT_EQ(keyword_file_close(slot), 1);
    }
  });
  std::string written = temporary_path("memory_written.meshb");
  gridlume_test::for_each_allocation_failure([&](gridlume_test::AllocationFailure &failure) {
    failure.arm();
    int slot = keyword_file_open(written.c_str(), 2, 3, 3);
    int types[1] = {2};
    int lines = gridlume_mesh_write_mesh_set_key(slot, sol_at_vertices, 1, 1, types);
    failure.disarm();
    if (slot != 0) keyword_file_close(slot);
    if (failure.happened()) {
      EXPECT_TRUE(slot == 0 || lines == 0);
    }
  });
}

}  // namespace
