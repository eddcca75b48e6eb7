// The buffered stream of an open keyword file: block reads and writes
// through the standard stream functions, byte swapping, text tokens.
#include <bit>
#include <cstring>

#include "io/input_file.hpp"
#include "io/keyword_file_record.hpp"
#include "io/text_numbers.hpp"

namespace gridlume {

namespace {

bool is_space(char c) {
  return c == ' ' || c == '\n' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

template <class Word>
Word swap_bytes(Word value) {
  if constexpr (sizeof(Word) == 4) {
    return std::bit_cast<Word>(__builtin_bswap32(std::bit_cast<std::uint32_t>(value)));
  } else {
    return std::bit_cast<Word>(__builtin_bswap64(std::bit_cast<std::uint64_t>(value)));
  }
}

}  // namespace

KeywordFile::~KeywordFile() {
  if (stream != nullptr) std::fclose(stream);
}

bool KeywordFile::open_stream(const char *file_path, bool for_writing) {
  buffer_.reset(static_cast<char *>(gridlume_malloc(stream_buffer_size)));
  if (!buffer_) return false;
  stream = for_writing ? std::fopen(file_path, "wb") : open_input_file(file_path, "rb");
  return stream != nullptr;
}

bool KeywordFile::close_stream() {
  std::FILE *closing = stream;
  stream = nullptr;
  return closing != nullptr && std::fclose(closing) == 0;
}

std::int64_t KeywordFile::position() const {
  return buffer_offset_ + static_cast<std::int64_t>(cursor_);
}

bool KeywordFile::seek(std::int64_t target) {
  if (mode == keyword_mode_write) {
    flush();
    if (fseeko(stream, target, SEEK_SET) != 0) return false;
    buffer_offset_ = target;
    return true;
  }
  // A target inside the block held needs no system call.
  if (target >= buffer_offset_ && target <= buffer_offset_ + static_cast<std::int64_t>(length_)) {
    cursor_ = static_cast<std::size_t>(target - buffer_offset_);
    return true;
  }
  if (target < 0 || fseeko(stream, target, SEEK_SET) != 0) return false;
  buffer_offset_ = target;
  cursor_ = length_ = 0;
  end_of_file_ = false;
  return true;
}

std::int64_t KeywordFile::size() {
  std::int64_t here = ftello(stream);
  if (here < 0 || fseeko(stream, 0, SEEK_END) != 0) return -1;
  std::int64_t end = ftello(stream);
  if (fseeko(stream, here, SEEK_SET) != 0) return -1;
  return end;
}

// Keeps the unread bytes, moved to the front, and appends what the stream
// still has. False when nothing new arrived.
bool KeywordFile::refill() {
  if (end_of_file_) return false;
  std::size_t kept = length_ - cursor_;
  if (cursor_ > 0) {
    std::memmove(buffer_.get(), buffer_.get() + cursor_, kept);
    buffer_offset_ += static_cast<std::int64_t>(cursor_);
    cursor_ = 0;
    length_ = kept;
  }
  if (length_ == stream_buffer_size) return false;
  std::size_t wanted = stream_buffer_size - length_;
  std::size_t got = std::fread(buffer_.get() + length_, 1, wanted, stream);
  length_ += got;
  if (got < wanted) end_of_file_ = true;
  return got > 0;
}

std::size_t KeywordFile::fill_contiguous(std::size_t wanted) {
  if (wanted > stream_buffer_size) wanted = stream_buffer_size;
  while (length_ - cursor_ < wanted && refill()) {
  }
  std::size_t held = length_ - cursor_;
  return held < wanted ? held : wanted;
}

bool KeywordFile::read_bytes(void *destination, std::size_t count) {
  auto *out = static_cast<char *>(destination);
  while (count > 0) {
    if (cursor_ == length_ && !refill()) {
      ++error_count;
      return false;
    }
    std::size_t part = length_ - cursor_ < count ? length_ - cursor_ : count;
    std::memcpy(out, buffer_.get() + cursor_, part);
    cursor_ += part;
    out += part;
    count -= part;
  }
  return true;
}

bool KeywordFile::exhausted() { return cursor_ == length_ && !refill(); }

std::int32_t KeywordFile::read_integer32() {
  std::int32_t value = 0;
  if (!read_bytes(&value, sizeof value)) return 0;
  return swapped() ? swap_bytes(value) : value;
}

std::int64_t KeywordFile::read_integer64() {
  std::int64_t value = 0;
  if (!read_bytes(&value, sizeof value)) return 0;
  return swapped() ? swap_bytes(value) : value;
}

float KeywordFile::read_float() {
  float value = 0;
  if (!read_bytes(&value, sizeof value)) return 0;
  return swapped() ? swap_bytes(value) : value;
}

double KeywordFile::read_double() {
  double value = 0;
  if (!read_bytes(&value, sizeof value)) return 0;
  return swapped() ? swap_bytes(value) : value;
}

bool KeywordFile::next_token(std::string_view &token) {
  for (;;) {
    while (cursor_ < length_ && is_space(buffer_.get()[cursor_])) ++cursor_;
    if (cursor_ == length_) {
      if (!refill()) return false;
      continue;
    }
    if (buffer_.get()[cursor_] == '#') {
      while (cursor_ < length_ || refill()) {
        if (buffer_.get()[cursor_++] == '\n') break;
      }
      continue;
    }
    std::size_t end = cursor_;
    while (end < length_ && !is_space(buffer_.get()[end])) ++end;
    if (end == length_ && !end_of_file_) {
      std::size_t scanned = end - cursor_;
      if (refill()) continue;  // the token may go on in the next block
      end = cursor_ + scanned;
    }
    token = std::string_view(buffer_.get() + cursor_, end - cursor_);
    cursor_ = end;
    return true;
  }
}

namespace {

constexpr std::uint64_t every_byte = 0x0101010101010101ULL;
constexpr std::uint64_t high_bits = 0x8080808080808080ULL;

// True when some byte of the word is 'A' or above, or is '#': the only bytes
// that can start a keyword or a comment. Digits, signs, dots and blanks, all
// of a data line but the 'e' of an exponent, are below 'A'.
bool may_hold_word_or_comment(std::uint64_t word) {
  std::uint64_t at_least_a = ((word & ~high_bits) + (0x80 - 'A') * every_byte) | word;
  std::uint64_t hashes = word ^ ('#' * every_byte);
  std::uint64_t has_hash = (hashes - every_byte) & ~hashes;
  return ((at_least_a | has_hash) & high_bits) != 0;
}

}  // namespace

bool KeywordFile::next_word_token(std::string_view &token) {
  bool after_space = false;
  for (;;) {
    const char *data = buffer_.get();
    std::size_t i = cursor_;
    while (i < length_) {
      // Eight bytes at a time over the numbers of the data lines.
      if (i + sizeof(std::uint64_t) <= length_) {
        std::uint64_t word;
        std::memcpy(&word, data + i, sizeof word);
        if (!may_hold_word_or_comment(word)) {
          i += sizeof word;
          after_space = is_space(data[i - 1]);
          continue;
        }
      }
      auto c = static_cast<unsigned char>(data[i]);
      if (c < 'A' && c != '#') {
        after_space = is_space(static_cast<char>(c));
        ++i;
        continue;
      }
      if (after_space && (c == '#' || static_cast<unsigned>((c | 0x20) - 'a') < 26u)) {
        cursor_ = i;
        if (c == '#') {
          while (cursor_ < length_ || refill()) {
            if (buffer_.get()[cursor_++] == '\n') break;
          }
          after_space = true;
          break;
        }
        return next_token(token);
      }
      after_space = false;
      ++i;
    }
    if (i >= length_) {
      cursor_ = length_;
      if (!refill()) return false;
    }
  }
}

namespace {

template <class Number>
Number read_text_number(KeywordFile &file) {
  std::string_view token;
  Number value{};
  if (!file.next_token(token) || !parse_number(token, value)) {
    ++file.error_count;
    return Number{};
  }
  return value;
}

}  // namespace

// Longest run of digits read without an overflow check; longer numbers (and
// anything unusual) take the general path.
constexpr std::size_t quick_integer_digits = 9;

std::int32_t KeywordFile::read_text_integer() {
  // The common case: blanks, then a plain decimal integer followed by a
  // blank, all within the block held.
  const char *data = buffer_.get();
  std::size_t i = cursor_;
  while (i < length_ && is_space(data[i])) ++i;
  bool negative = i < length_ && data[i] == '-';
  if (i < length_ && (data[i] == '-' || data[i] == '+')) ++i;
  std::size_t first_digit = i;
  std::uint32_t value = 0;
  while (i < length_ && i - first_digit < quick_integer_digits &&
         static_cast<unsigned>(data[i] - '0') < 10u)
    value = value * 10 + static_cast<std::uint32_t>(data[i++] - '0');
  if (i > first_digit && i < length_ && is_space(data[i])) {
    cursor_ = i;
    return negative ? -static_cast<std::int32_t>(value) : static_cast<std::int32_t>(value);
  }
  return read_text_number<std::int32_t>(*this);
}
double KeywordFile::read_text_double() { return read_text_number<double>(*this); }
float KeywordFile::read_text_float() { return read_text_number<float>(*this); }

char *KeywordFile::reserve(std::size_t count) {
  if (cursor_ + count > stream_buffer_size) flush();
  return buffer_.get() + cursor_;
}

void KeywordFile::commit(std::size_t count) {
  cursor_ += count;
  if (cursor_ > write_flush_threshold) flush();
}

void KeywordFile::write_bytes(const void *source, std::size_t count) {
  const auto *in = static_cast<const char *>(source);
  while (count > 0) {
    std::size_t room = stream_buffer_size - cursor_;
    if (room == 0) {
      flush();
      room = stream_buffer_size;
    }
    std::size_t part = room < count ? room : count;
    std::memcpy(buffer_.get() + cursor_, in, part);
    in += part;
    count -= part;
    commit(part);
  }
}

void KeywordFile::write_text(std::string_view text) { write_bytes(text.data(), text.size()); }

void KeywordFile::flush() {
  if (mode != keyword_mode_write || cursor_ == 0) return;
  if (std::fwrite(buffer_.get(), 1, cursor_, stream) != cursor_) ++error_count;
  buffer_offset_ += static_cast<std::int64_t>(cursor_);
  cursor_ = 0;
}

void KeywordFile::patch(std::int64_t place, std::int64_t value, int width) {
  flush();
  std::int64_t here = buffer_offset_;
  bool written;
  if (width == 8) {
    written = fseeko(stream, place, SEEK_SET) == 0 && std::fwrite(&value, 8, 1, stream) == 1;
  } else {
    auto narrow = static_cast<std::int32_t>(value);
    // A position that does not fit the version's 4 bytes cannot be recorded.
    written = narrow == value && fseeko(stream, place, SEEK_SET) == 0 &&
              std::fwrite(&narrow, 4, 1, stream) == 1;
  }
  if (!written) ++error_count;
  if (fseeko(stream, here, SEEK_SET) != 0) ++error_count;
}

}  // namespace gridlume
