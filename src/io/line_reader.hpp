// Lines of a text file read through one large block, as fgets with a buffer
// of `room` characters would give them but without a call per line: a line
// has at most room - 1 characters; of a longer one only its first room - 1
// come back, flagged, and the rest is passed over up to its line feed.
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
  // error). `too_long` tells a line of more than room - 1 characters, of
  // which the first room - 1 are given.
  char *next(std::size_t &length, bool &too_long) noexcept;
  // Goes back to the first line.
  void rewind() noexcept;

 private:
  bool refill() noexcept;
  bool skip_rest() noexcept;

  std::FILE *file_;
  std::size_t room_;
  Block<char> block_;
  char *begin_ = nullptr;
  char *end_ = nullptr;
  bool at_end_ = false;
  bool skipping_ = false;  // the rest of a too long line is still to pass over
};

}  // namespace gridlume
