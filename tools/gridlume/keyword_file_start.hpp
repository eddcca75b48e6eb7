// The start of a keyword mesh or solution file, read directly by the tool to
// describe a file without loading it: tokens of a text file, words of a
// binary file in either byte order, and the header every binary file opens
// with.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>

namespace gridlume_tool {

struct FileCloser {
  void operator()(std::FILE *file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// The next token of a text keyword file, skipping "#" comments.
bool next_token(std::FILE *file, char (&token)[64]);

// The 32-bit words of a binary keyword file, in the file's byte order.
class BinaryWords {
 public:
  BinaryWords(std::FILE *file, bool swapped) : file_(file), swapped_(swapped) {}
  bool read(std::int32_t &value);
  // The position of a block: 4 bytes before version 3, 8 from version 3 on.
  bool read_position(int version, std::int64_t &position);

 private:
  std::FILE *file_;
  bool swapped_;
};

// What every binary keyword file opens with: its byte-order word, its
// version, the code of the first keyword ("Dimension" in a well-formed file),
// the position of the next block and the dimension. The words are left ready
// for the rest of the file.
struct BinaryFileStart {
  BinaryWords words;
  std::int32_t version;
  std::int32_t first_code;
  std::int64_t next_block;
  std::int32_t dimension;
};
// nullopt when the file is shorter or its first word is no byte-order word.
std::optional<BinaryFileStart> read_binary_file_start(std::FILE *file);

}  // namespace gridlume_tool
