// Files no writer of ours produces: every one is refused at open or read
// with its errors counted and reported at close, never a crash, a hang, a
// leak or an allocation sized from a count the file cannot hold.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "gridlume.h"
#include "gridlume_stubs.h"
#include "io/keyword_file.hpp"
#include "keyword_test_files.hpp"

using namespace gridlume;
using keyword_test::BinaryImage;
using keyword_test::temporary_path;
using keyword_test::write_file;

namespace {

constexpr int vertices = 4, edges = 5, tetrahedra = 8, extra_at_edges = 34, sol_at_vertices = 62;

int open_for_reading(const std::string &path) {
  int version = 0, dimension = 0;
  return keyword_file_open(path.c_str(), 1, &version, &dimension);
}

// Opening must fail and leave no block and no slot behind.
void expect_refused(const std::string &path, const std::string &bytes) {
  SCOPED_TRACE(path);
  write_file(path, bytes);
  long live = gridlume_stubs_live_block_count();
  EXPECT_EQ(open_for_reading(path), 0);
  EXPECT_EQ(gridlume_stubs_live_block_count(), live);
}

// A valid version-2 file: two vertices and two edges.
BinaryImage small_binary(int version = 2) {
  BinaryImage image(version, false);
  image.prologue(3);
  image.block(vertices);
  image.i32(2);
  for (int i = 0; i < 2; ++i) {
    for (int k = 0; k < 3; ++k) image.real(i + k);
    image.i32(i);
  }
  image.block(edges);
  image.i32(2);
  for (int i = 0; i < 2; ++i) {
    image.i32(1);
    image.i32(2);
    image.i32(i);
  }
  image.end();
  return image;
}

TEST(KeywordBadInput, empty_files_directories_and_missing_files_are_refused) {
  expect_refused(temporary_path("empty.mesh"), "");
  expect_refused(temporary_path("empty.meshb"), "");
  expect_refused(temporary_path("blank.mesh"), "  \n\n # only a comment");
  expect_refused(temporary_path("no_dimension.mesh"), "MeshVersionFormatted 2\n");
  std::string directory = temporary_path("folder.meshb");
  std::filesystem::create_directories(directory);
  EXPECT_EQ(open_for_reading(directory), 0);
  std::string text_directory = temporary_path("folder.mesh");
  std::filesystem::create_directories(text_directory);
  EXPECT_EQ(open_for_reading(text_directory), 0);
  EXPECT_EQ(open_for_reading(temporary_path("missing.mesh")), 0);
}

TEST(KeywordBadInput, prologues_with_wrong_words_are_refused) {
  BinaryImage wrong_order(2, false);
  wrong_order.prologue(3, 2);
  wrong_order.end();
  expect_refused(temporary_path("order.meshb"), wrong_order.bytes());
  for (int version : {0, 4, -1}) {
    BinaryImage image(2, false);
    image.i32(1);
    image.i32(version);
    image.block(3);
    image.i32(3);
    image.end();
    expect_refused(temporary_path("version.meshb"), image.bytes());
  }
  BinaryImage not_dimension(2, false);
  not_dimension.i32(1);
  not_dimension.i32(2);
  not_dimension.block(4);
  not_dimension.i32(3);
  expect_refused(temporary_path("code.meshb"), not_dimension.bytes());
  BinaryImage flat(2, false);
  flat.prologue(4);
  flat.end();
  expect_refused(temporary_path("dimension.meshb"), flat.bytes());
  expect_refused(temporary_path("version.mesh"), "MeshVersionFormatted 4 Dimension 3");
  expect_refused(temporary_path("garbage_version.mesh"), "MeshVersionFormatted two Dimension 3");
  expect_refused(temporary_path("dimension.mesh"), "MeshVersionFormatted 2 Dimension 1");
}

TEST(KeywordBadInput, every_truncation_of_a_binary_file_is_refused_or_read_safely) {
  for (int version : {1, 3}) {
    std::string whole = small_binary(version).bytes();
    std::string path = temporary_path("truncated.meshb");
    for (std::size_t length = 0; length < whole.size(); ++length) {
      write_file(path, whole.substr(0, length));
      long live = gridlume_stubs_live_block_count();
      int slot = open_for_reading(path);
      if (slot != 0) {
        // Only the missing "End" may be cut: the data are all there.
        double xyz[6];
        int tags[2];
        const FieldColumn columns[4] = {{ColumnType::float64, &xyz[0], 24},
                                        {ColumnType::float64, &xyz[1], 24},
                                        {ColumnType::float64, &xyz[2], 24},
                                        {ColumnType::int32, tags, 4}};
        keyword_file_goto_key(slot, vertices);
        EXPECT_EQ(keyword_file_get_lines(slot, vertices, 2, columns), 2);
        EXPECT_EQ(keyword_file_close(slot), 1) << length;
      }
      EXPECT_EQ(gridlume_stubs_live_block_count(), live);
    }
  }
}

TEST(KeywordBadInput, next_positions_beyond_backwards_or_at_themselves_are_refused) {
  std::string good = small_binary().bytes();
  // The vertices block starts at 20 in version 2; its next position is at 24.
  auto with_next = [&](std::int32_t next) {
    std::string bytes = good;
    std::memcpy(&bytes[24], &next, 4);
    return bytes;
  };
  expect_refused(temporary_path("beyond.meshb"), with_next(static_cast<std::int32_t>(good.size() + 1)));
  expect_refused(temporary_path("backwards.meshb"), with_next(12));
  expect_refused(temporary_path("itself.meshb"), with_next(20));
  expect_refused(temporary_path("negative.meshb"), with_next(-8));
  // The same file with its chain intact opens.
  write_file(temporary_path("good.meshb"), good);
  int slot = open_for_reading(temporary_path("good.meshb"));
  EXPECT_GT(slot, 0);
  EXPECT_EQ(keyword_file_close(slot), 1);
}

TEST(KeywordBadInput, counts_the_file_cannot_hold_are_refused_before_any_allocation) {
  BinaryImage huge(2, false);
  huge.prologue(3);
  huge.block(tetrahedra);
  huge.i32(2000000000);
  for (int i = 0; i < 15; ++i) huge.i32(1);
  std::string path = temporary_path("huge.meshb");
  write_file(path, huge.bytes());
  ASSERT_LT(huge.bytes().size(), 100u);
  long allocations = gridlume_stubs_allocation_count();
  EXPECT_EQ(open_for_reading(path), 0);
  EXPECT_LT(gridlume_stubs_allocation_count() - allocations, 10);

  // The last block, without "End", holds one line less than it announces.
  BinaryImage short_last(3, false);
  short_last.prologue(3);
  short_last.block(edges);
  short_last.i32(3);
  for (int i = 0; i < 6; ++i) short_last.i32(1);
  expect_refused(temporary_path("short_last.meshb"), short_last.bytes());

  expect_refused(temporary_path("huge.mesh"),
                 "MeshVersionFormatted 2 Dimension 3 Tetrahedra 2000000000 1 2 3 4 5\n");
  // One line too many for the bytes that follow.
  expect_refused(temporary_path("one_more.mesh"),
                 "MeshVersionFormatted 2 Dimension 3 Edges 2 1 2 3 1 2\n");
  // Exactly enough, the last token without a line feed, opens.
  write_file(temporary_path("exact.mesh"), "MeshVersionFormatted 2 Dimension 3 Edges 1\n1 2 3");
  int slot = open_for_reading(temporary_path("exact.mesh"));
  EXPECT_GT(slot, 0);
  EXPECT_EQ(keyword_file_close(slot), 1);
}

TEST(KeywordBadInput, negative_and_garbage_counts_are_refused) {
  BinaryImage negative(2, false);
  negative.prologue(3);
  negative.block(edges);
  negative.i32(-3);
  negative.end();
  expect_refused(temporary_path("negative.meshb"), negative.bytes());
  expect_refused(temporary_path("negative.mesh"), "MeshVersionFormatted 2 Dimension 3 Edges -3\n");
  expect_refused(temporary_path("garbage.mesh"), "MeshVersionFormatted 2 Dimension 3 Edges two\n");
  expect_refused(temporary_path("overflow.mesh"),
                 "MeshVersionFormatted 2 Dimension 3 Edges 99999999999\n");
  expect_refused(temporary_path("types.mesh"),
                 "MeshVersionFormatted 2 Dimension 3 SolAtVertices 0 1002\n");
  expect_refused(temporary_path("negative_types.mesh"),
                 "MeshVersionFormatted 2 Dimension 3 SolAtVertices 0 -1\n");
  // 126 scalars make a binary line of 1008 bytes, more than one line holds.
  BinaryImage wide(2, false);
  wide.prologue(3);
  wide.block(sol_at_vertices);
  wide.i32(0);
  wide.i32(126);
  for (int i = 0; i < 126; ++i) wide.i32(1);
  wide.end();
  expect_refused(temporary_path("wide.solb"), wide.bytes());
}

TEST(KeywordBadInput, codes_out_of_range_are_stepped_over) {
  BinaryImage image(3, false);
  image.prologue(2);
  image.block(999);
  image.i32(12345);
  image.block(-7);
  image.block(0);
  image.block(edges);
  image.i32(1);
  image.i32(4);
  image.i32(5);
  image.i32(6);
  image.end();
  std::string path = temporary_path("codes.meshb");
  write_file(path, image.bytes());
  int slot = open_for_reading(path);
  ASSERT_GT(slot, 0);
  EXPECT_EQ(keyword_file_stat_key(slot, edges), 1);
  keyword_file_goto_key(slot, edges);
  int edge[3] = {};
  keyword_file_get_line(slot, edges, &edge[0], &edge[1], &edge[2]);
  EXPECT_EQ(edge[2], 6);
  EXPECT_EQ(keyword_file_close(slot), 1);
}

TEST(KeywordBadInput, bad_lists_are_counted_as_errors_and_reported_at_close) {
  for (bool binary : {false, true}) {
    std::string path = temporary_path(binary ? "lists.meshb" : "lists.mesh");
    if (binary) {
      BinaryImage image(2, false);
      image.prologue(3);
      image.block(extra_at_edges);
      image.i32(2);
      image.i32(1);
      image.i32(-5);  // a negative list length
      image.i32(2);
      image.i32(2000000000);  // a list running past the end of the file
      image.i32(7);
      image.i32(8);
      write_file(path, image.bytes());
    } else {
      write_file(path,
                 "MeshVersionFormatted 2 Dimension 3 ExtraVerticesAtEdges 2\n"
                 "1 -5\n2 2000000000 7 8\n");
    }
    int slot = open_for_reading(path);
    ASSERT_GT(slot, 0);
    keyword_file_goto_key(slot, extra_at_edges);
    int element = 0, count = -1, list[2] = {};
    keyword_file_get_line(slot, extra_at_edges, &element, &count, 2, int(sizeof(int)), list);
    EXPECT_EQ(count, 0);
    keyword_file_get_line(slot, extra_at_edges, &element, &count, 2, int(sizeof(int)), list);
    EXPECT_EQ(element, 2);
    EXPECT_EQ(list[0], 7);
    EXPECT_EQ(list[1], 8);
    EXPECT_EQ(keyword_file_close(slot), 0);
  }
}

TEST(KeywordBadInput, garbage_tokens_in_text_lines_are_counted_as_errors) {
  std::string path = temporary_path("tokens.mesh");
  write_file(path,
             "MeshVersionFormatted 2 Dimension 3\nEdges 2\n1 2x 3\n4 5 6\n");
  int slot = open_for_reading(path);
  ASSERT_GT(slot, 0);
  keyword_file_goto_key(slot, edges);
  int edge[3] = {};
  keyword_file_get_line(slot, edges, &edge[0], &edge[1], &edge[2]);
  EXPECT_EQ(edge[0], 1);
  EXPECT_EQ(edge[1], 0);
  keyword_file_get_line(slot, edges, &edge[0], &edge[1], &edge[2]);
  EXPECT_EQ(edge[2], 6);
  EXPECT_EQ(keyword_file_close(slot), 0);

  // Integers read as "%d" reads them, at the limits of 32 bits and beyond.
  write_file(path, "MeshVersionFormatted 2 Dimension 3\nEdges 2\n2147483647 -2147483648 +7\n"
                   "2147483648 0012 -5\n");
  slot = open_for_reading(path);
  keyword_file_goto_key(slot, edges);
  keyword_file_get_line(slot, edges, &edge[0], &edge[1], &edge[2]);
  EXPECT_EQ(edge[0], 2147483647);
  EXPECT_EQ(edge[1], -2147483647 - 1);
  EXPECT_EQ(edge[2], 7);
  keyword_file_get_line(slot, edges, &edge[0], &edge[1], &edge[2]);
  EXPECT_EQ(edge[0], 0);  // out of range
  EXPECT_EQ(edge[1], 12);
  EXPECT_EQ(edge[2], -5);
  EXPECT_EQ(keyword_file_close(slot), 0);

  // Reading more lines than the file has stops at the end, zero-filled.
  slot = open_for_reading(path);
  keyword_file_goto_key(slot, edges);
  std::vector<int> columns_data(9, -1);
  const FieldColumn columns[3] = {{ColumnType::int32, &columns_data[0], 12},
                                  {ColumnType::int32, &columns_data[1], 12},
                                  {ColumnType::int32, &columns_data[2], 12}};
  EXPECT_EQ(keyword_file_get_lines(slot, edges, 3, columns), 1);
  EXPECT_EQ(columns_data[8], 0);
  EXPECT_EQ(keyword_file_close(slot), 0);
}

TEST(KeywordBadInput, reading_past_a_binary_keyword_counts_one_error) {
  std::string path = temporary_path("past.meshb");
  write_file(path, small_binary().bytes());
  int slot = open_for_reading(path);
  ASSERT_GT(slot, 0);
  keyword_file_goto_key(slot, edges);
  std::vector<int> data(3000);
  const FieldColumn columns[3] = {{ColumnType::int32, &data[0], 12},
                                  {ColumnType::int32, &data[1], 12},
                                  {ColumnType::int32, &data[2], 12}};
  // Two edge lines, then the 8 bytes of "End", too short for a third.
  EXPECT_EQ(keyword_file_get_lines(slot, edges, 1000, columns), 2);
  EXPECT_EQ(data[5], 1);
  EXPECT_EQ(data[6], 0);
  EXPECT_EQ(data[2999], 0);
  EXPECT_EQ(keyword_file_close(slot), 0);
}

}  // namespace
