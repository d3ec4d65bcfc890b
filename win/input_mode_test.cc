// Input mode parsing; admission is checked through the injector.
#include "win/input_mode.h"

#include <gtest/gtest.h>

namespace orvane::win {
namespace {

TEST(InputMode, ParsingIsExactAndRefusalsLeaveTheMode) {
  InputMode mode = InputMode::View;
  EXPECT_TRUE(parseInputMode("control", mode));
  EXPECT_EQ(mode, InputMode::Control);
  EXPECT_TRUE(parseInputMode("view", mode));
  EXPECT_EQ(mode, InputMode::View);
  for (const char* refused : {"Control", "VIEW", "", "view ", "controller"}) {
    EXPECT_FALSE(parseInputMode(refused, mode)) << refused;
    EXPECT_EQ(mode, InputMode::View);
  }
}

}  // namespace
}  // namespace orvane::win
