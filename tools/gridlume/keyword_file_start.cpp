#include "keyword_file_start.hpp"

namespace gridlume_tool {

namespace {

// First word of a binary keyword file written in the reader's byte order, and
// the same word seen from a machine of the other order.
constexpr std::uint32_t binary_same_order = 1;
constexpr std::uint32_t binary_swapped_order = 16777216;

std::uint32_t swap_bytes(std::uint32_t word) {
  return (word >> 24) | ((word >> 8) & 0xff00u) | ((word << 8) & 0xff0000u) | (word << 24);
}

}  // namespace

bool next_token(std::FILE *file, char (&token)[64]) {
  while (std::fscanf(file, "%63s", token) == 1) {
    if (token[0] != '#') return true;
    int c;
    do c = std::fgetc(file);
    while (c != '\n' && c != EOF);
  }
  return false;
}

bool BinaryWords::read(std::int32_t &value) {
  std::uint32_t word = 0;
  if (std::fread(&word, sizeof word, 1, file_) != 1) return false;
  value = static_cast<std::int32_t>(swapped_ ? swap_bytes(word) : word);
  return true;
}

bool BinaryWords::read_position(int version, std::int64_t &position) {
  if (version < 3) {
    std::int32_t value = 0;
    if (!read(value)) return false;
    position = value;
    return true;
  }
  std::int32_t halves[2];
  if (!read(halves[0]) || !read(halves[1])) return false;
  const auto low = static_cast<std::uint32_t>(halves[swapped_ ? 1 : 0]);
  const auto high = static_cast<std::uint32_t>(halves[swapped_ ? 0 : 1]);
  position = static_cast<std::int64_t>((static_cast<std::uint64_t>(high) << 32) | low);
  return true;
}

std::optional<BinaryFileStart> read_binary_file_start(std::FILE *file) {
  std::uint32_t first = 0;
  if (std::fread(&first, sizeof first, 1, file) != 1) return std::nullopt;
  if (first != binary_same_order && first != binary_swapped_order) return std::nullopt;
  BinaryFileStart start{BinaryWords(file, first == binary_swapped_order), 0, 0, 0, 0};
  if (!start.words.read(start.version) || !start.words.read(start.first_code) ||
      !start.words.read_position(start.version, start.next_block) ||
      !start.words.read(start.dimension))
    return std::nullopt;
  return start;
}

}  // namespace gridlume_tool
