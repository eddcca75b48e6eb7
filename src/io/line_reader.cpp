#include "io/line_reader.hpp"

#include <cstring>

namespace gridlume {

namespace {
// Characters read from the file at a time; one more holds a final NUL.
constexpr std::size_t block_size = std::size_t(1) << 20;
}  // namespace

bool LineReader::start() noexcept {
  block_.reset(allocate_array<char>(block_size + 1));
  begin_ = end_ = block_.get();
  at_end_ = false;
  return block_ != nullptr;
}

void LineReader::rewind() noexcept {
  std::rewind(file_);
  begin_ = end_ = block_.get();
  at_end_ = false;
}

// Moves what is left to the front of the block and reads behind it; false
// when nothing more came.
bool LineReader::refill() noexcept {
  const std::size_t left = static_cast<std::size_t>(end_ - begin_);
  std::memmove(block_.get(), begin_, left);
  begin_ = block_.get();
  end_ = begin_ + left;
  const std::size_t got = std::fread(end_, 1, block_size - left, file_);
  end_ += got;
  if (got == 0) at_end_ = true;
  return got != 0;
}

char *LineReader::next(std::size_t &length, bool &too_long) noexcept {
  too_long = false;
  bool skipping = false;  // inside a line longer than the whole block
  for (;;) {
    char *line_feed = static_cast<char *>(std::memchr(begin_, '\n', end_ - begin_));
    if (line_feed != nullptr || (at_end_ && (begin_ != end_ || skipping))) {
      char *line = begin_;
      char *line_end = line_feed != nullptr ? line_feed : end_;
      begin_ = line_feed != nullptr ? line_feed + 1 : end_;
      *line_end = '\0';
      length = static_cast<std::size_t>(line_end - line);
      if (skipping || length >= room_) {
        too_long = true;
        line[0] = '\0';
        length = 0;
      }
      return line;
    }
    if (at_end_) return nullptr;
    if (static_cast<std::size_t>(end_ - begin_) == block_size) {
      skipping = true;
      begin_ = end_;
    }
    refill();
  }
}

}  // namespace gridlume
