// The portable MulDiv: rounding, sign handling and its -1 failures.
#include "win/input_system.h"

#include <gtest/gtest.h>

#include <limits>

namespace orvane::win {
namespace {

TEST(MulDiv, MatchesWin32Semantics) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  struct Case {
    std::int32_t number, numerator, denominator, expected;
  };
  const Case cases[] = {
      {32768, 1919, 65535, 960},  // 959.5146 rounds up
      {65535, 1919, 65535, 1919},
      {1, 1, 2, 1},  // a half rounds away from zero
      {-1, 1, 2, -1},
      {1, -3, 2, -2},
      {3, 1, -2, -2},
      {-3, -1, -2, -2},
      {5, 7, 0, -1},             // zero divisor
      {kMax, kMax, 1, -1},       // overflow
      {kMax, kMax, kMax, kMax},  // the 64-bit product carries it
      {kMax, 2, 2, kMax},
      {0, 5, -3, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(mulDiv(c.number, c.numerator, c.denominator), c.expected)
        << c.number << " * " << c.numerator << " / " << c.denominator;
  }
}

}  // namespace
}  // namespace orvane::win
