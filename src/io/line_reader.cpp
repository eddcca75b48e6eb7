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
  skipping_ = false;
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

// Passes over the rest of a line whose start was given; false at the end of
// the file.
bool LineReader::skip_rest() noexcept {
  for (;;) {
    char *line_feed = static_cast<char *>(std::memchr(begin_, '\n', end_ - begin_));
    if (line_feed != nullptr) {
      begin_ = line_feed + 1;
      return true;
    }
    begin_ = end_;
    if (at_end_ || !refill()) return false;
  }
}

char *LineReader::next(std::size_t &length, bool &too_long) noexcept {
  too_long = false;
  if (skipping_) {
    skipping_ = false;
    skip_rest();
  }
  for (;;) {
    const std::size_t available = static_cast<std::size_t>(end_ - begin_);
    char *line_feed = static_cast<char *>(std::memchr(begin_, '\n', available));
    const std::size_t line_length =
        line_feed != nullptr ? static_cast<std::size_t>(line_feed - begin_) : available;
    if (line_length >= room_) {
      // Only the line's start is given, as much as the buffer holds.
      char *line = begin_;
      too_long = true;
      length = room_ - 1;
      line[length] = '\0';
      if (line_feed != nullptr) {
        begin_ = line_feed + 1;
      } else {
        begin_ += room_;
        skipping_ = true;
      }
      return line;
    }
    if (line_feed != nullptr || (at_end_ && available > 0)) {
      char *line = begin_;
      line[line_length] = '\0';
      length = line_length;
      begin_ = line_feed != nullptr ? line_feed + 1 : end_;
      return line;
    }
    if (at_end_) return nullptr;
    refill();
  }
}

}  // namespace gridlume
