// The record of one open keyword file and the buffered stream under it. Only
// the file core (keyword_file*.cpp) sees this; its users go through the slot
// numbers of keyword_file.hpp.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "core/allocator.hpp"
#include "io/keyword_table.hpp"

namespace gridlume {

inline constexpr int keyword_mode_read = 1;
inline constexpr int keyword_mode_write = 2;

// Kind flags, from the file name extension.
inline constexpr std::int32_t file_kind_text = 1;
inline constexpr std::int32_t file_kind_binary = 2;
inline constexpr std::int32_t file_kind_mesh = 4;
inline constexpr std::int32_t file_kind_solution = 8;

// Byte-order codes: the first word of a binary file as this machine reads it.
inline constexpr std::int32_t byte_order_same = 1;
inline constexpr std::int32_t byte_order_reversed = 16777216;

inline constexpr int first_version = 1;
inline constexpr int last_version = 3;
// Version 1 stores reals as floats; version 3 stores positions in 8 bytes.
inline constexpr int single_precision_version = 1;
inline constexpr int wide_position_version = 3;

// Limits of one keyword record and of one binary line.
inline constexpr int max_solution_types = 1001;
inline constexpr int max_expanded_fields = 9000;
inline constexpr int max_binary_line_bytes = 1000;
// A path whose length plus this reaches max_path_length is refused.
inline constexpr int max_path_length = 1024;
inline constexpr int path_margin = 7;

// Binary lines are staged and written in blocks: once more than
// write_flush_threshold bytes are pending, at each new keyword and at close.
// The blocks are far larger than one line so that no line costs a system call.
inline constexpr std::size_t write_flush_threshold = std::size_t(1) << 20;
// Reading goes through a block of the same size.
inline constexpr std::size_t stream_buffer_size = write_flush_threshold + 64 * 1024;

struct KeywordRecord {
  KeywordKind kind = KeywordKind::absent;
  std::int32_t field_count = 0;
  std::int32_t words_per_line = 0;
  std::int32_t line_count = 0;
  std::int32_t type_count = 0;
  std::int32_t reals_per_line = 0;
  Vector<std::int32_t> types;
  std::int64_t data_position = 0;
  String fields;  // expanded, one letter per field
};

class KeywordFile {
 public:
  KeywordFile() = default;
  KeywordFile(const KeywordFile &) = delete;
  KeywordFile &operator=(const KeywordFile &) = delete;
  ~KeywordFile();

  std::int32_t dimension = 0;
  std::int32_t version = 0;
  std::int32_t mode = 0;
  std::int32_t kind_flags = 0;
  std::int32_t byte_order = byte_order_same;
  std::int64_t pending_next_place = 0;
  std::int32_t error_count = 0;
  std::array<KeywordRecord, keyword_code_count> keywords;
  std::FILE *stream = nullptr;
  char path[max_path_length] = {};

  bool is_binary() const { return (kind_flags & file_kind_binary) != 0; }
  bool single_precision() const { return version == single_precision_version; }
  bool swapped() const { return byte_order == byte_order_reversed; }
  int real_bytes() const { return single_precision() ? 4 : 8; }
  int position_bytes() const { return version >= wide_position_version ? 8 : 4; }

  // Buffered stream. Every short read or write adds one to error_count.
  bool open_stream(const char *file_path, bool for_writing);
  // Closes the stream; false when closing failed.
  bool close_stream();
  std::int64_t position() const;
  bool seek(std::int64_t target);
  std::int64_t size();

  // Reading. Binary values come byte-swapped when the file's order differs.
  bool read_bytes(void *destination, std::size_t count);
  std::int32_t read_integer32();
  std::int64_t read_integer64();
  float read_float();
  double read_double();
  // Next whitespace-separated token of a text file; "#" starts a comment to
  // the end of its line. False at end of file.
  bool next_token(std::string_view &token);
  // Passes over text until a token that begins with a letter, skipping
  // comments; false at end of file. Much faster than token by token.
  bool next_word_token(std::string_view &token);
  // True when no byte is left to read.
  bool exhausted();
  // Text numbers: a missing or malformed token counts an error and gives 0.
  std::int32_t read_text_integer();
  double read_text_double();
  float read_text_float();
  // Makes up to `wanted` bytes contiguous at the cursor; answers how many.
  std::size_t fill_contiguous(std::size_t wanted);
  const char *cursor_data() const { return buffer_.get() + cursor_; }
  void advance(std::size_t count) { cursor_ += count; }

  // Writing: room for `count` bytes at the end of the pending block.
  char *reserve(std::size_t count);
  void commit(std::size_t count);
  void write_bytes(const void *source, std::size_t count);
  void write_text(std::string_view text);
  void flush();
  // Writes `value` in `width` bytes (4 or 8) at `place`, then comes back.
  void patch(std::int64_t place, std::int64_t value, int width);

 private:
  bool refill();
  Block<char> buffer_;
  std::size_t cursor_ = 0;         // read: next byte; write: pending bytes
  std::size_t length_ = 0;         // read: bytes held
  std::int64_t buffer_offset_ = 0; // file position of buffer_[0]
  bool end_of_file_ = false;
};

// Fills the record's kind, expanded fields, field count, words per line and
// reals per line from the keyword table, the dimension, the version and the
// record's type table. False when a limit is passed (expanded fields, binary
// line bytes).
bool expand_keyword(const KeywordFile &file, int code, KeywordRecord &record);
// Fewest bytes one line of the keyword can take in the file ("n" lists
// empty); for text, the fewest tokens.
std::int64_t minimum_line_size(const KeywordFile &file, const KeywordRecord &record);

// The record in a slot of the open-file table, or nullptr for a slot outside
// 1 to 100 or a free one.
KeywordFile *open_file_at(int slot) noexcept;

}  // namespace gridlume
