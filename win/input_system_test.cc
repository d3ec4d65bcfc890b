#include "win/input_system.h"

#include <gtest/gtest.h>

#include <limits>

namespace orvane::win {
namespace {

TEST(MulDiv, MatchesWin32Semantics) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  const std::int32_t cases[][4] = {
      {32768, 1919, 65535, 960},  // 959.5146 rounds up
      {1, 1, 2, 1},               // halves round away from zero
      {-1, 1, 2, -1},
      {1, -3, 2, -2},
      {3, 1, -2, -2},
      {-3, -1, -2, -2},
      {5, 7, 0, -1},
      {kMax, kMax, 1, -1},       // zero divisor, overflow
      {kMax, kMax, kMax, kMax},  // the 64-bit product carries it
      {0, 5, -3, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(mulDiv(c[0], c[1], c[2]), c[3]) << c[0] << " * " << c[1] << " / " << c[2];
  }
}

}  // namespace
}  // namespace orvane::win
