// Files no writer of ours produces: every one is refused at open or read
// with its errors counted and reported at close, never a crash, a hang, a
// leak or an allocation sized from a count the file cannot hold.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>
#include <utility>
#include <vector>

#include "gridlume_stubs.h"
#include "keyword_test_files.hpp"

using namespace gridlume;
using namespace keyword_test;

namespace {

constexpr int vertices = 4, edges = 5, tetrahedra = 8, extra_at_edges = 34, sol_at_vertices = 62;
const std::string text_prologue = "MeshVersionFormatted 2 Dimension 3\n";

// A valid file: two vertices and two edges.
std::string small_binary(int version = 2) {
  BinaryImage image(version);
  image.prologue(3).block(vertices).i32(2);
  for (int i = 0; i < 2; ++i) image.real(i, i + 1, i + 2).i32(i);
  image.block(edges).i32(2);
  for (int i = 0; i < 2; ++i) image.i32(1, 2, i);
  return image.end().bytes();
}

// The small file with the next position of its vertices block (which starts
// at 20, its next position at 24) replaced.
std::string with_next(std::int32_t next) {
  std::string bytes = small_binary();
  std::memcpy(&bytes[24], &next, 4);
  return bytes;
}

// A block of the given header words followed by `words` 1s, left open.
BinaryImage announcing(int version, int code, std::vector<int> header, int words) {
  BinaryImage image(version);
  image.prologue(3).block(code);
  for (int word : header) image.i32(word);
  for (int i = 0; i < words; ++i) image.i32(1);
  return image;
}

std::array<int, 3> edge_line(int slot) { return integer_line<3>(slot, edges); }

// Writes and opens the file, at the lines of the keyword.
int open_at(const std::string &name, const std::string &bytes, int code) {
  int slot = open_for_reading(write_file(name, bytes));
  keyword_file_goto_key(slot, code);
  return slot;
}

TEST(KeywordBadInput, broken_files_are_refused_at_open_leaving_nothing_and_allocating_little) {
  const std::pair<const char *, std::string> cases[] = {
      {"empty.mesh", ""},
      {"empty.meshb", ""},
      {"blank.mesh", "  \n\n # only a comment"},
      {"no_dimension.mesh", "MeshVersionFormatted 2\n"},
      {"version.mesh", "MeshVersionFormatted 4 Dimension 3"},
      {"garbage_version.mesh", "MeshVersionFormatted two Dimension 3"},
      {"dimension.mesh", "MeshVersionFormatted 2 Dimension 1"},
      {"order.meshb", BinaryImage().prologue(3, 2).end().bytes()},
      {"version0.meshb", BinaryImage().i32(1, 0).block(3).i32(3).end().bytes()},
      {"version4.meshb", BinaryImage().i32(1, 4).block(3).i32(3).end().bytes()},
      {"version-1.meshb", BinaryImage().i32(1, -1).block(3).i32(3).end().bytes()},
      {"code.meshb", BinaryImage().i32(1, 2).block(4).i32(3).bytes()},
      {"dimension.meshb", BinaryImage().prologue(4).end().bytes()},
      {"beyond.meshb", with_next(static_cast<std::int32_t>(small_binary().size() + 1))},
      {"backwards.meshb", with_next(12)},
      {"itself.meshb", with_next(20)},
      {"negative_next.meshb", with_next(-8)},
      // 92 bytes announcing 2 billion tetrahedra.
      {"huge.meshb", announcing(2, tetrahedra, {2000000000}, 15).bytes()},
      // The last block, without "End", holds one line less than it announces.
      {"short_last.meshb", announcing(3, edges, {3}, 6).bytes()},
      {"negative.meshb", BinaryImage().prologue(3).block(edges).i32(-3).end().bytes()},
      // 126 scalars make a binary line of 1008 bytes, more than one line holds.
      {"wide.solb", announcing(2, sol_at_vertices, {0, 126}, 126).end().bytes()},
      {"huge.mesh", text_prologue + "Tetrahedra 2000000000 1 2 3 4 5\n"},
      {"one_more.mesh", text_prologue + "Edges 2 1 2 3 1 2\n"},  // a line too many for the bytes
      {"negative.mesh", text_prologue + "Edges -3\n"},
      {"garbage.mesh", text_prologue + "Edges two\n"},
      {"overflow.mesh", text_prologue + "Edges 99999999999\n"},
      {"types.mesh", text_prologue + "SolAtVertices 0 1002\n"},
      {"negative_types.mesh", text_prologue + "SolAtVertices 0 -1\n"},
  };
  for (const auto &[name, bytes] : cases) {
    SCOPED_TRACE(name);
    std::string path = write_file(name, bytes);
    long live = gridlume_stubs_live_block_count(), before = gridlume_stubs_allocation_count();
    EXPECT_EQ(open_for_reading(path), 0);
    EXPECT_EQ(gridlume_stubs_live_block_count(), live);
    EXPECT_LT(gridlume_stubs_allocation_count() - before, 10);
  }
  for (const char *name : {"folder.meshb", "folder.mesh"}) {
    std::filesystem::create_directories(temporary_path(name));
    EXPECT_EQ(open_for_reading(temporary_path(name)), 0) << name;
  }
  EXPECT_EQ(open_for_reading(temporary_path("missing.mesh")), 0);
  // The same chain intact, and a text file exactly long enough (its last
  // token without a line feed), open.
  for (const auto &[name, bytes] :
       {std::pair<const char *, std::string>{"good.meshb", small_binary()},
        {"exact.mesh", text_prologue + "Edges 1\n1 2 3"}}) {
    int slot = open_for_reading(write_file(name, bytes));
    EXPECT_GT(slot, 0) << name;
    EXPECT_EQ(keyword_file_close(slot), 1);
  }
}

TEST(KeywordBadInput, every_truncation_of_a_binary_file_is_refused_or_read_safely) {
  for (int version : {1, 3}) {
    std::string whole = small_binary(version);
    for (std::size_t length = 0; length < whole.size(); ++length) {
      std::string path = write_file("truncated.meshb", whole.substr(0, length));
      long live = gridlume_stubs_live_block_count();
      if (int slot = open_for_reading(path); slot != 0) {
        // Only the missing "End" may be cut: the data are all there.
        double xyz[6];
        int tags[2];
        keyword_file_goto_key(slot, vertices);
        EXPECT_EQ(keyword_file_get_lines(slot, vertices, 2, vertex_columns(xyz, tags)), 2);
        EXPECT_EQ(keyword_file_close(slot), 1) << length;
      }
      EXPECT_EQ(gridlume_stubs_live_block_count(), live);
    }
  }
}

TEST(KeywordBadInput, codes_out_of_range_are_stepped_over) {
  BinaryImage image(3);
  image.prologue(2).block(999).i32(12345).block(-7).block(0).block(edges).i32(1, 4, 5, 6).end();
  int slot = open_at("codes.meshb", image.bytes(), edges);
  EXPECT_EQ(keyword_file_stat_key(slot, edges), 1);
  EXPECT_EQ(edge_line(slot)[2], 6);
  EXPECT_EQ(keyword_file_close(slot), 1);
}

// A negative list length reads as an empty list, a list running past the
// end of the file stops there: each is an error reported at close. The lines
// read: element, list length and a list of capacity 2.
TEST(KeywordBadInput, bad_lists_are_counted_as_errors_and_reported_at_close) {
  using ListLine = std::array<int, 4>;
  // clang-format off
  const std::tuple<const char *, std::string, ListLine> cases[] = {
      {"negative.meshb", announcing(2, extra_at_edges, {2, 1, -5, 3, 1, 9}, 0).bytes(), {3, 1, 9}},
      {"negative.mesh", text_prologue + "ExtraVerticesAtEdges 2\n1 -5\n3 1 9\n", {3, 1, 9}},
      {"past.meshb", announcing(2, extra_at_edges, {2, 1, 0, 2, 2000000000, 7, 8}, 0).bytes(),
       {2, 2000000000, 7, 8}},
      {"past.mesh", text_prologue + "ExtraVerticesAtEdges 2\n1 0\n2 2000000000 7 8\n",
       {2, 2000000000, 7, 8}}};
  // clang-format on
  for (const auto &[name, bytes, second] : cases) {
    int slot = open_at(name, bytes, extra_at_edges);
    for (const ListLine &expected : {ListLine{1, 0, 0, 0}, second}) {
      ListLine line{};
      keyword_file_get_line(slot, extra_at_edges, &line[0], &line[1], 2, int(sizeof(int)),
                            &line[2]);
      EXPECT_EQ(line, expected) << name;
    }
    EXPECT_EQ(keyword_file_close(slot), 0) << name;
  }
}

// Garbage, and integers read as "%d" reads them, at the limits of 32 bits and
// beyond.
TEST(KeywordBadInput, garbage_tokens_and_short_keywords_are_counted_as_errors) {
  int slot = open_at("tokens.mesh",
                     text_prologue +
                         "Edges 3\n1 2x 3\n2147483647 -2147483648 +7\n"
                         "2147483648 0012 -5\n",
                     edges);
  std::array<int, 3> first = edge_line(slot);
  EXPECT_EQ(first[0], 1);
  EXPECT_EQ(first[1], 0);
  EXPECT_EQ(edge_line(slot), (std::array<int, 3>{2147483647, -2147483647 - 1, 7}));
  EXPECT_EQ(edge_line(slot), (std::array<int, 3>{0, 12, -5}));  // the first out of range
  EXPECT_EQ(keyword_file_close(slot), 0);

  // Reading more lines than a keyword has stops at its end, zero-filled: in
  // binary at the 8 bytes of "End", too short for a third edge line, in text
  // at the end of the file, a line out of range not counted as read.
  for (auto [name, bytes, lines, last] :
       {std::tuple<const char *, std::string, int, int>{"past.meshb", small_binary(), 2, 1},
        {"past.mesh", text_prologue + "Edges 2\n1 2 0\n1 2 2147483648\n", 1, 0}}) {
    slot = open_at(name, bytes, edges);
    std::vector<int> data(3000, -1);
    EXPECT_EQ(keyword_file_get_lines(slot, edges, 1000, integer_columns(data.data())), lines);
    EXPECT_EQ(data[5], last);
    EXPECT_EQ(data[6], 0);
    EXPECT_EQ(data[2999], 0);
    EXPECT_EQ(keyword_file_close(slot), 0);
  }
}

}  // namespace
