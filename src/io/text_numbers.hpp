// Numbers of text keyword files, parsed and formatted without the formatted
// stream functions but to exactly the same texts: integers as "%d", reals as
// "%.15lg" (versions 2 and 3) or "%g" of the value rounded to float
// (version 1), and tokens read as "%d", "%lf" and "%f" read them.
#pragma once

#include <array>
#include <charconv>
#include <cstring>
#include <cstdint>
#include <string_view>
#include <system_error>

namespace gridlume {

// Longest text any one number can take, with its separator.
inline constexpr int max_number_text = 40;
// Significant digits of reals in versions 2 and 3 ("%.15lg") and in version 1 ("%g").
inline constexpr int double_text_precision = 15;
inline constexpr int float_text_precision = 6;

// A whole token as a number; false for a token that is not entirely one
// number (garbage, or out of the type's range). A leading "+" is accepted, as
// the formatted scanning functions accept it.
template <class Number>
bool parse_number(std::string_view token, Number &value) noexcept {
  const char *first = token.data();
  const char *last = first + token.size();
  if (first != last && *first == '+') {
    ++first;
    if (first != last && (*first == '-' || *first == '+')) return false;
  }
  std::from_chars_result result;
  if constexpr (std::is_integral_v<Number>)
    result = std::from_chars(first, last, value);
  else
    result = std::from_chars(first, last, value, std::chars_format::general);
  return result.ec == std::errc() && result.ptr == last && first != last;
}

// Writes "%d " and returns the end.
inline char *format_integer(char *out, std::int32_t value) noexcept {
  out = std::to_chars(out, out + max_number_text, value).ptr;
  *out++ = ' ';
  return out;
}

namespace text_number_detail {

// Digits of "%.15lg" and the exponents it writes in fixed notation.
inline constexpr int kept_digits = double_text_precision;
inline constexpr int smallest_fixed_exponent = -4;
inline constexpr std::uint64_t smallest_kept = 100000000000000ULL;  // 10^14
inline constexpr std::uint64_t largest_kept = 999999999999999ULL;   // 10^15 - 1
inline constexpr int largest_scale = 18;  // 10^18 < 2^60: m × 10^18 < 2^113

inline constexpr auto powers_of_ten = [] {
  std::array<std::uint64_t, largest_scale + 1> powers{};
  powers[0] = 1;
  for (int p = 1; p <= largest_scale; ++p) powers[p] = powers[p - 1] * 10;
  return powers;
}();

// "%.15lg" of the values files mostly hold, 1e-4 ≤ |value| < 1e15, by
// integer arithmetic: value = m × 2^e exactly, and m × 10^p / 2^-e rounded
// half to even, as printf rounds, gives its 15 digits. Several times faster
// than std::to_chars with a precision. Other values (zero, tiny or huge ones,
// infinities, NaNs) answer nullptr and take the general way.
inline char *format_g15_fixed(char *out, double value) noexcept {
  const double magnitude = value < 0 ? -value : value;
  if (!(magnitude >= 1e-4 && magnitude < 1e15)) return nullptr;
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  const std::uint64_t m = (bits & ((std::uint64_t(1) << 52) - 1)) | (std::uint64_t(1) << 52);
  const int shift = 1075 - static_cast<int>((bits >> 52) & 0x7ff);  // value = m / 2^shift
  // log10 of the value lies within [(52 - shift), (53 - shift)) × log10(2);
  // 78913 / 2^18 is log10(2) closely enough for every exponent of a double.
  int exponent = ((52 - shift) * 78913) >> 18;
  unsigned __int128 scaled = 0;
  std::uint64_t q = 0;
  for (int attempt = 0; attempt < 3; ++attempt) {
    const int p = kept_digits - 1 - exponent;
    if (p < 0 || p > largest_scale) return nullptr;
    scaled = static_cast<unsigned __int128>(m) * powers_of_ten[static_cast<std::size_t>(p)];
    q = static_cast<std::uint64_t>(scaled >> shift);
    if (q > largest_kept) ++exponent;
    else if (q < smallest_kept) --exponent;
    else break;
  }
  if (q < smallest_kept || q > largest_kept) return nullptr;
  const unsigned __int128 remainder = scaled & ((static_cast<unsigned __int128>(1) << shift) - 1);
  const unsigned __int128 half = static_cast<unsigned __int128>(1) << (shift - 1);
  if (remainder > half || (remainder == half && (q & 1) != 0)) ++q;
  if (q > largest_kept) {
    q /= 10;
    ++exponent;
  }
  if (exponent < smallest_fixed_exponent || exponent >= kept_digits) return nullptr;
  char digits[kept_digits];
  std::to_chars(digits, digits + kept_digits, q);
  int count = kept_digits;
  while (count > 1 && digits[count - 1] == '0') --count;
  if (value < 0) *out++ = '-';
  if (exponent < 0) {
    *out++ = '0';
    *out++ = '.';
    for (int k = -1; k > exponent; --k) *out++ = '0';
    std::memcpy(out, digits, static_cast<std::size_t>(count));
    return out + count;
  }
  std::memcpy(out, digits, static_cast<std::size_t>(exponent) + 1);
  out += exponent + 1;
  if (count > exponent + 1) {
    *out++ = '.';
    std::memcpy(out, digits + exponent + 1, static_cast<std::size_t>(count - exponent - 1));
    out += count - exponent - 1;
  }
  return out;
}

}  // namespace text_number_detail

// Writes a real and a space: "%.15lg " for doubles, "%g " of the value
// rounded to float in version 1.
inline char *format_real(char *out, double value, bool single_precision) noexcept {
  if (single_precision) {
    out = std::to_chars(out, out + max_number_text, static_cast<double>(static_cast<float>(value)),
                        std::chars_format::general, float_text_precision).ptr;
  } else if (char *fast = text_number_detail::format_g15_fixed(out, value)) {
    out = fast;
  } else {
    out = std::to_chars(out, out + max_number_text, value, std::chars_format::general,
                        double_text_precision).ptr;
  }
  *out++ = ' ';
  return out;
}

}  // namespace gridlume
