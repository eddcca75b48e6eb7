// Numbers of text keyword files, parsed and formatted without the formatted
// stream functions but to exactly the same texts: integers as "%d", reals as
// "%.15lg" (versions 2 and 3) or "%g" of the value rounded to float
// (version 1), and tokens read as "%d", "%lf" and "%f" read them.
#pragma once

#include <charconv>
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

// Writes a real and a space: "%.15lg " for doubles, "%g " of the value
// rounded to float in version 1.
inline char *format_real(char *out, double value, bool single_precision) noexcept {
  if (single_precision)
    out = std::to_chars(out, out + max_number_text, static_cast<double>(static_cast<float>(value)),
                        std::chars_format::general, float_text_precision).ptr;
  else
    out = std::to_chars(out, out + max_number_text, value, std::chars_format::general,
                        double_text_precision).ptr;
  *out++ = ' ';
  return out;
}

}  // namespace gridlume
