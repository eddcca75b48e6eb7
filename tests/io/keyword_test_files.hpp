// Files for the keyword file tests: paths in the test's temporary directory,
// whole-file reads and writes, and binary images built word by word in
// either byte order (for files this library never writes: big-endian ones,
// broken chains, impossible counts).
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

namespace keyword_test {

inline std::string temporary_path(const std::string &name) {
  const testing::TestInfo *test = testing::UnitTest::GetInstance()->current_test_info();
  std::string file = std::string("gridlume_") + test->name() + "_" + name;
  for (char &c : file)
    if (c == '/') c = '_';  // parameterised test names hold slashes
  return testing::TempDir() + file;
}

inline void write_file(const std::string &path, const std::string &bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string read_file(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

class BinaryImage {
 public:
  BinaryImage(int version, bool big_endian) : version_(version), big_endian_(big_endian) {}

  void i32(std::int32_t value) { put(std::bit_cast<std::uint32_t>(value)); }
  void i64(std::int64_t value) { put(std::bit_cast<std::uint64_t>(value)); }
  void f32(float value) { put(std::bit_cast<std::uint32_t>(value)); }
  void f64(double value) { put(std::bit_cast<std::uint64_t>(value)); }
  // A real of the version's width.
  void real(double value) {
    if (version_ == 1) f32(static_cast<float>(value));
    else f64(value);
  }
  // A position of the version's width.
  void position(std::int64_t value) {
    if (version_ == 3) i64(value);
    else i32(static_cast<std::int32_t>(value));
  }

  // The prologue up to the dimension, leaving the "Dimension" block open.
  void prologue(int dimension, std::int32_t order_code = 1) {
    i32(order_code);
    i32(version_);
    block(3);
    i32(dimension);
  }
  // Starts a block: its code and a next position patched by the next block
  // (or left 0).
  void block(std::int32_t code) {
    close_block(here());
    i32(code);
    pending_ = here();
    position(0);
  }
  // Points the open block's next position at `target`.
  void close_block(std::int64_t target) {
    if (pending_ == 0) return;
    std::string saved = bytes_.substr(pending_);
    bytes_.resize(pending_);
    position(target);
    bytes_ += saved.substr(version_ == 3 ? 8 : 4);
    pending_ = 0;
  }
  void end() { block(54); }

  std::size_t here() const { return bytes_.size(); }
  const std::string &bytes() const { return bytes_; }

 private:
  template <class Word>
  void put(Word word) {
    if (big_endian_ == (std::endian::native == std::endian::little)) {
      if constexpr (sizeof(Word) == 4) word = __builtin_bswap32(word);
      else word = __builtin_bswap64(word);
    }
    char raw[sizeof word];
    std::memcpy(raw, &word, sizeof word);
    bytes_.append(raw, sizeof word);
  }

  int version_;
  bool big_endian_;
  std::string bytes_;
  std::size_t pending_ = 0;
};

}  // namespace keyword_test
