// Reals written to text keyword files must be the "%.15lg" texts, character
// for character, whichever way they are formatted.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "io/text_numbers.hpp"

namespace {

std::string written(double value) {
  char text[gridlume::max_number_text + 1];
  char *end = gridlume::format_real(text, value, false);
  return std::string(text, end);
}

std::string printed(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.15lg ", value);
  return text;
}

TEST(TextNumbers, RealsAtTheEdgesOfEveryFormAreWrittenAsPrintfWritesThem) {
  const double edges[] = {0.0, -0.0, 1.0, -1.0, 0.1, 0.5, 1e15, 1e14, 999999999999999.0,
                          999999999999999.4, 999999999999999.6, 1e-4, 0.0001000000000000001,
                          0.00009999999999999999, 9.99999999999999999e-5, 1e-5, 0.00012345,
                          123456789012345.6, 123456789012345.5, 123456789012344.5,
                          0.1234567890123455, 0.9999999999999999, 99999999999999.99,
                          1.0000000000000002, 5e-324, 2.2250738585072014e-308,
                          std::numeric_limits<double>::max(), 1e21, 1e-21, 3e100,
                          std::numeric_limits<double>::infinity(),
                          -std::numeric_limits<double>::infinity(),
                          std::numeric_limits<double>::quiet_NaN()};
  for (double value : edges) EXPECT_EQ(written(value), printed(value)) << value;
}

TEST(TextNumbers, RandomRealsOfEveryMagnitudeAreWrittenAsPrintfWritesThem) {
  std::mt19937_64 generator(20261206);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  int mismatches = 0;
  for (int k = 0; k < 400000 && mismatches < 5; ++k) {
    // Any bit pattern; values of the usual ranges of size maps and meshes;
    // decimals of a few digits, which sit next to rounding ties; and halves
    // of 15-digit integers, which are ties.
    std::uint64_t bits = generator();
    double values[4];
    std::memcpy(&values[0], &bits, sizeof bits);
    values[1] = unit(generator) * std::pow(10.0, static_cast<int>(generator() % 24) - 6);
    values[2] = static_cast<double>(static_cast<std::int64_t>(generator() % 20000000000000000ULL)) /
                std::pow(10.0, static_cast<int>(generator() % 20));
    values[3] = static_cast<double>(100000000000000ULL + generator() % 900000000000000ULL) + 0.5;
    for (double value : values) {
      if (written(value) != printed(value)) {
        ++mismatches;
        ADD_FAILURE() << std::hexfloat << value << ": " << written(value) << " vs "
                      << printed(value);
      }
    }
  }
}

}  // namespace
