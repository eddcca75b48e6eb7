// The fields of a bulk data line: tokens separated by blanks and commas (an
// empty field between two commas is no field), integers converted as "%i"
// converts them and reals as "%lf" does: the longest number the token starts
// with, whatever follows it (so "2.5*" is 2.5, and a large-field value
// touching its continuation mark still reads).
#pragma once

#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace gridlume {

inline bool is_field_separator(char c) {
  // Tabs and carriage returns count as blanks, so that decks from other
  // systems read the same.
  return c == ' ' || c == ',' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Walks the tokens of one NUL-terminated line.
class FieldCursor {
 public:
  explicit FieldCursor(char *line) : position_(line) {}

  // The next token, NUL-terminated in place (the separator after it is
  // overwritten); nullptr when the line has no more.
  char *next() {
    while (*position_ != '\0' && is_field_separator(*position_)) ++position_;
    if (*position_ == '\0') return nullptr;
    char *token = position_;
    while (*position_ != '\0' && !is_field_separator(*position_)) ++position_;
    length_ = static_cast<std::size_t>(position_ - token);
    if (*position_ != '\0') *position_++ = '\0';
    return token;
  }
  // The length of the last token given.
  std::size_t length() const { return length_; }

 private:
  char *position_;
  std::size_t length_ = 0;
};

// "%i": an optional sign, then hexadecimal after "0x", octal after "0",
// decimal otherwise. False when the token starts with no number or the
// number passes the 32-bit range.
inline bool scan_integer(const char *token, int &value) {
  if (token == nullptr) return false;
  const char *p = token;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  int base = 10;
  if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') &&
      ((p[2] >= '0' && p[2] <= '9') || ((p[2] | 0x20) >= 'a' && (p[2] | 0x20) <= 'f'))) {
    base = 16;
    p += 2;
  } else if (p[0] == '0') {
    base = 8;
  }
  std::int64_t magnitude = 0;
  const char *first = p;
  for (;; ++p) {
    int digit;
    if (*p >= '0' && *p <= '9') digit = *p - '0';
    else if (base == 16 && (*p | 0x20) >= 'a' && (*p | 0x20) <= 'f') digit = (*p | 0x20) - 'a' + 10;
    else break;
    if (digit >= base) break;
    magnitude = magnitude * base + digit;
    if (magnitude > std::int64_t(INT32_MAX) + 1) return false;
  }
  if (p == first) return false;
  const std::int64_t signed_value = negative ? -magnitude : magnitude;
  if (signed_value > INT32_MAX) return false;
  value = static_cast<int>(signed_value);
  return true;
}

// "%lf": false when the token starts with no number or the number passes
// the range of doubles (a number too small for them reads as its rounding).
inline bool scan_real(const char *token, double &value) {
  if (token == nullptr) return false;
  char *end = nullptr;
  errno = 0;
  value = std::strtod(token, &end);
  return end != token && !(errno == ERANGE && std::isinf(value));
}

}  // namespace gridlume
