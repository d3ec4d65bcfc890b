#include "win/held_input.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "win/testing/test_frames.h"

namespace orvane::win {
namespace {

// Out-of-range buttons, which the decoder never lets through to the translator's tests.
TEST(HeldInput, OutOfRangeButtonsAreNeverHeld) {
  HeldInput held;
  for (const std::int32_t bad : {-1, 5, 32}) {
    EXPECT_FALSE(held.pressButton(bad) || held.isButtonHeld(bad) || held.releaseButton(bad));
  }
  EXPECT_FALSE(held.anyHeld());
}

// The eight modifiers (c Ctrl, a Alt, w Windows, s Shift) and neighbours that are ordinary keys
// (-): prefix or make code one off.
TEST(HeldInput, ModifiersAndTheStateTheyGive) {
  const std::vector<std::pair<std::uint16_t, char>> cases = {
      {0x001D, 'c'}, {0xE01D, 'c'}, {0x0038, 'a'}, {0xE038, 'a'}, {0xE05B, 'w'}, {0xE05C, 'w'},
      {0x002A, 's'}, {0x0036, 's'}, {0x001C, '-'}, {0x001E, '-'}, {0xE02A, '-'}, {0x005B, '-'},
      {0xE05D, '-'}, {0x0037, '-'}, {0x0039, '-'}, {0xE11D, '-'}};
  for (const auto& [scanId, role] : cases) {
    EXPECT_EQ(isModifierScan(scanId), role != '-') << std::hex << scanId;
    HeldInput held;
    held.pressKey(scanId);
    const ModifierState state = held.modifierState();
    EXPECT_EQ(state.ctrl, role == 'c') << std::hex << scanId;
    EXPECT_EQ(state.alt, role == 'a') << std::hex << scanId;
    EXPECT_EQ(state.win, role == 'w') << std::hex << scanId;
  }
}

using test::describe;
using ::testing::IsEmpty;
using Lines = std::vector<std::string>;

// Button-ups without movement, then keys in scan order, then the modifiers; the mask pair goes in
// only where a modifier comes up and is never counted as a release.
TEST(HeldInput, ReleaseAllEventsEmptiesTheRecordButKeepsReportedRejects) {
  const auto notHeld = static_cast<std::size_t>(InjectReject::KeyNotHeld);
  const struct {
    std::vector<std::int32_t> buttons;
    std::vector<std::uint16_t> keys;
    Lines released;
  } cases[] = {
      {{0}, {0x001E, 0xE048}, {"mouse 0004", "key 1E up", "key 48 extended up"}},
      {{0}, {0x0038}, {"mouse 0004", "vk E8 down", "vk E8 up", "key 38 up"}},
      // Right Windows, Up, left Ctrl, Z, A.
      {{2, 1, 0},
       {0xE05C, 0xE048, 0x001D, 0x002C, 0x001E},
       {"mouse 0004", "mouse 0010", "mouse 0040", "key 1E up", "key 2C up", "key 48 extended up",
        "vk E8 down", "vk E8 up", "key 1D up", "key 5C extended up"}},
  };
  for (const auto& c : cases) {
    HeldInput held;
    for (const std::uint16_t scanId : c.keys) held.pressKey(scanId);
    for (const std::int32_t button : c.buttons) held.pressButton(button);
    held.wheelRemainderX = -12.5;
    held.wheelRemainderY = 30.0;
    held.reportedRejects[notHeld] = true;
    const std::vector<InjectEvent> events = held.releaseAllEvents();
    EXPECT_EQ(describe(events), c.released);
    EXPECT_EQ(releaseCount(events), c.buttons.size() + c.keys.size());
    EXPECT_FALSE(held.anyHeld());
    EXPECT_EQ(held.wheelRemainderX, 0.0);
    EXPECT_EQ(held.wheelRemainderY, 0.0);
    EXPECT_TRUE(held.reportedRejects[notHeld]);
  }
}

// Polled in order left/right Shift, Ctrl, Alt, Windows; down (negative) and 0 give a key-up, all
// behind the mask pair.
TEST(ModifierSweep, StatesOfZeroOrBelowGiveKeyUps) {
  EXPECT_EQ(
      describe(modifierSweepEvents({})),
      (Lines{"vk E8 down", "vk E8 up", "key 2A up", "key 36 up", "key 1D up", "key 1D extended up",
             "key 38 up", "key 38 extended up", "key 5B extended up", "key 5C extended up"}));
  EXPECT_EQ(describe(modifierSweepEvents({1, -32768, 1, 1, 1, 0x7FFF, -1, 1})),
            (Lines{"vk E8 down", "vk E8 up", "key 36 up", "key 5B extended up"}));
  EXPECT_THAT(modifierSweepEvents({1, 1, 1, 1, 1, 1, 1, 1}), IsEmpty());
}

}  // namespace
}  // namespace orvane::win
