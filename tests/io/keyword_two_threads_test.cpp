// Binary blocks large enough to be read on two threads: the same lines, in
// both byte orders, whatever was read of the block before, the stream left
// right after them, and a file cut short while open read up to the cut.
#include <gtest/gtest.h>

#include <unistd.h>

#include <vector>

#include "io/keyword_file_record.hpp"
#include "keyword_test_files.hpp"

using namespace gridlume;
using namespace keyword_test;

namespace {

constexpr int vertices = 4, triangles = 6;
constexpr std::size_t vertex_line_bytes = 3 * 8 + 4;  // version 3
// Large enough for two threads, and not a whole number of pieces.
constexpr int vertex_count = static_cast<int>(two_thread_block_bytes / vertex_line_bytes) * 5 / 4;

std::array<double, 4> expected_vertex(int i) {
  return {double(i), -0.5 * i, 1e-3 * i, double(i % 1000 - 7)};
}

std::string large_file(bool big_endian) {
  BinaryImage image(3, big_endian);
  image.prologue(3).block(vertices).i32(vertex_count);
  for (int i = 0; i < vertex_count; ++i) {
    auto [x, y, z, tag] = expected_vertex(i);
    image.real(x, y, z).i32(int(tag));
  }
  image.block(triangles).i32(1, 1, 2, 3, 10);
  return image.end().bytes();
}

std::array<double, 4> next_vertex(int slot) {
  std::array<double, 3> xyz{};
  int tag = 0;
  keyword_file_get_line(slot, vertices, &xyz[0], &xyz[1], &xyz[2], &tag);
  return {xyz[0], xyz[1], xyz[2], double(tag)};
}

class LargeBlock : public testing::TestWithParam<bool> {};

TEST_P(LargeBlock, reads_the_lines_around_what_was_read_before_and_after) {
  const std::string path = write_file("large.meshb", large_file(GetParam()));
  int slot = open_for_reading(path);
  ASSERT_GT(slot, 0);
  ASSERT_EQ(keyword_file_goto_key(slot, vertices), 0);
  // A few lines one by one leave part of a line held in the stream block.
  constexpr int before = 3, after = 5;
  for (int i = 0; i < before; ++i) EXPECT_EQ(next_vertex(slot), expected_vertex(i));
  const int block = vertex_count - before - after;
  std::vector<double> xyz(3 * std::size_t(block));
  std::vector<int> tags(static_cast<std::size_t>(block));
  EXPECT_EQ(keyword_file_get_lines(slot, vertices, block, vertex_columns(xyz.data(), tags.data())),
            block);
  for (int k = 0; k < block; ++k) {
    const auto expected = expected_vertex(before + k);
    ASSERT_EQ((std::array{xyz[3 * k], xyz[3 * k + 1], xyz[3 * k + 2], double(tags[k])}), expected)
        << "line " << before + k;
  }
  // The stream goes on right after the block.
  for (int i = vertex_count - after; i < vertex_count; ++i)
    EXPECT_EQ(next_vertex(slot), expected_vertex(i));
  ASSERT_EQ(keyword_file_goto_key(slot, triangles), 0);
  EXPECT_EQ(integer_line<4>(slot, triangles), (std::array<int, 4>{1, 2, 3, 10}));
  EXPECT_EQ(keyword_file_close(slot), 1);
}

TEST_P(LargeBlock, a_file_cut_while_open_is_read_up_to_the_cut) {
  const std::string path = write_file("cut.meshb", large_file(GetParam()));
  int slot = open_for_reading(path);
  ASSERT_GT(slot, 0);
  ASSERT_EQ(keyword_file_goto_key(slot, vertices), 0);
  // Half a line past two thirds of the block. The lines begin after the
  // header (8 bytes), the "Dimension" block (16) and the block's head (16).
  const int whole = vertex_count * 2 / 3;
  const std::size_t cut = 40 + std::size_t(whole) * vertex_line_bytes + vertex_line_bytes / 2;
  ASSERT_EQ(truncate(path.c_str(), off_t(cut)), 0);
  std::vector<double> xyz(3 * std::size_t(vertex_count), -1.0);
  std::vector<int> tags(std::size_t(vertex_count), -1);
  EXPECT_EQ(keyword_file_get_lines(slot, vertices, vertex_count,
                                   vertex_columns(xyz.data(), tags.data())),
            whole);
  for (int i : {0, whole / 2, whole - 1})
    EXPECT_EQ((std::array{xyz[3 * i], xyz[3 * i + 1], xyz[3 * i + 2], double(tags[i])}),
              expected_vertex(i));
  // The lines the file lacks are zeroes, and the error is told at close.
  for (int i : {whole, vertex_count - 1})
    EXPECT_EQ((std::array{xyz[3 * i], xyz[3 * i + 1], xyz[3 * i + 2], double(tags[i])}),
              (std::array{0.0, 0.0, 0.0, 0.0}));
  EXPECT_EQ(keyword_file_close(slot), 0);
}

INSTANTIATE_TEST_SUITE_P(BothByteOrders, LargeBlock, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool> &info) {
                           return info.param ? "big_endian" : "little_endian";
                         });

}  // namespace
