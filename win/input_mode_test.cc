// Input mode texts and the admission table.
#include "win/input_mode.h"

#include <gtest/gtest.h>

namespace orvane::win {
namespace {

TEST(InputMode, TextsAndParsing) {
  EXPECT_STREQ(inputModeText(static_cast<InputMode>(7)), "view");

  InputMode mode = InputMode::View;
  EXPECT_TRUE(parseInputMode("control", mode));
  EXPECT_EQ(mode, InputMode::Control);
  EXPECT_TRUE(parseInputMode("view", mode));
  EXPECT_EQ(mode, InputMode::View);
  for (const char* refused : {"Control", "VIEW", "", "view ", "controller"}) {
    mode = InputMode::Control;
    EXPECT_FALSE(parseInputMode(refused, mode)) << refused;
    EXPECT_EQ(mode, InputMode::Control);
  }
}

TEST(AdmitFrame, OnlyReleasesPassUnlessControlWithLinkUp) {
  const WireKind pressing[] = {WireKind::Move, WireKind::ButtonDown, WireKind::Wheel,
                               WireKind::KeyDown, static_cast<WireKind>(7)};
  const WireKind releasing[] = {WireKind::ButtonUp, WireKind::KeyUp, WireKind::ReleaseAll};
  for (const bool link : {false, true}) {
    for (const InputMode mode : {InputMode::View, InputMode::Control}) {
      const bool full = link && mode == InputMode::Control;
      for (const WireKind kind : pressing) {
        EXPECT_EQ(admitFrame(kind, link, mode), full ? Admission::Full : Admission::Drop);
      }
      for (const WireKind kind : releasing) {
        EXPECT_EQ(admitFrame(kind, link, mode), full ? Admission::Full : Admission::ReleaseOnly);
      }
    }
  }
}

}  // namespace
}  // namespace orvane::win
