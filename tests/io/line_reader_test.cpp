// The block line reader under the text readers of the side formats: lines as
// a buffer of a given size gives them, however they fall across blocks.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "io/line_reader.hpp"
#include "keyword_test_files.hpp"

namespace {

struct Line {
  std::string text;
  bool too_long;
  bool operator==(const Line &) const = default;
};

std::vector<Line> lines_of(const std::string &bytes, std::size_t room, int passes = 1) {
  const std::string path = keyword_test::write_file("lines.txt", bytes);
  std::FILE *file = std::fopen(path.c_str(), "r");
  gridlume::LineReader reader(file, room);
  std::vector<Line> lines;
  EXPECT_TRUE(reader.start());
  for (int pass = 0; pass < passes; ++pass) {
    if (pass > 0) reader.rewind();
    std::size_t length = 0;
    bool too_long = false;
    while (const char *line = reader.next(length, too_long)) {
      EXPECT_EQ(std::string(line).size(), length);
      lines.push_back({std::string(line, length), too_long});
    }
  }
  std::fclose(file);
  return lines;
}

TEST(LineReader, lines_up_to_the_room_less_one_come_whole_longer_ones_as_their_start) {
  const std::string fits(1023, 'a'), too_long(1024, 'b');
  EXPECT_EQ(lines_of(fits + "\n" + too_long + "\nlast", 1024),
            (std::vector<Line>{{fits, false}, {std::string(1023, 'b'), true}, {"last", false}}));
  EXPECT_EQ(lines_of("", 1024), (std::vector<Line>{}));
  EXPECT_EQ(lines_of("\n\n", 1024), (std::vector<Line>{{"", false}, {"", false}}));
}

TEST(LineReader, lines_across_blocks_and_longer_than_a_block_are_read_and_passed_over) {
  // Lines of 37 characters fall across the 1 MB blocks at every offset.
  std::string bytes;
  std::vector<Line> expected;
  for (int k = 0; bytes.size() < (3u << 20); ++k) {
    std::string line = std::to_string(k);
    line.resize(36, '.');
    bytes += line + "\n";
    expected.push_back({line, false});
  }
  const std::string huge(5u << 20, 'x');
  bytes += huge + "\nafter\n";
  expected.push_back({std::string(255, 'x'), true});
  expected.push_back({"after", false});
  std::vector<Line> twice = expected;
  twice.insert(twice.end(), expected.begin(), expected.end());
  EXPECT_TRUE(lines_of(bytes, 256, 2) == twice);
}

}  // namespace
