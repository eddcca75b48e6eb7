// Lines of a text file read through one large block, as fgets with a buffer
// of `room` characters would give them but without a call per line: a line
// has at most room - 1 characters; a longer one comes back flagged and
// empty, its characters skipped up to its line feed.
#pragma once

#include <cstddef>
#include <cstdio>

#include "core/allocator.hpp"

namespace gridlume {

class LineReader {
 public:
  LineReader(std::FILE *file, std::size_t room) noexcept : file_(file), room_(room) {}

  // Obtains the block; false when memory fails.
  bool start() noexcept;
  // The next line without its line feed, NUL-terminated in the block and
  // valid until the next call; nullptr at the end of the file (or on a read
  // error). `too_long` tells a line of more than room - 1 characters.
  char *next(std::size_t &length, bool &too_long) noexcept;
  // Goes back to the first line.
  void rewind() noexcept;

 private:
  bool refill() noexcept;

  std::FILE *file_;
  std::size_t room_;
  Block<char> block_;
  char *begin_ = nullptr;
  char *end_ = nullptr;
  bool at_end_ = false;
};

}  // namespace gridlume
