#include "win/held_input.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>
#include <vector>

namespace orvane::win {
namespace {

// Out-of-range buttons, which the decoder never lets through to the translator's tests.
TEST(HeldInput, OutOfRangeButtonsAreNeverHeld) {
  HeldInput held;
  for (const std::int32_t bad : {-1, 3, 32}) {
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

// Events as (scan, flags) pairs; a mouse event's scan is 0.
using ScanFlags = std::vector<std::pair<std::uint16_t, std::uint32_t>>;

ScanFlags scanFlags(const std::vector<InjectEvent>& events) {
  ScanFlags result;
  for (const InjectEvent& event : events) {
    EXPECT_EQ(event.extraInfo, kInjectedTag);
    EXPECT_EQ(event.dx | event.dy | event.vk | event.time | event.mouseData, 0U);
    result.emplace_back(event.scan, event.flags);
  }
  return result;
}

// Button-ups without movement, then keys in scan order, then the modifiers.
TEST(HeldInput, ReleaseAllEventsEmptiesTheRecordButKeepsReportedRejects) {
  HeldInput held;
  // Right Windows, Up, left Ctrl, Z, A.
  for (const std::uint16_t scanId :
       std::initializer_list<std::uint16_t>{0xE05C, 0xE048, 0x001D, 0x002C, 0x001E}) {
    held.pressKey(scanId);
  }
  for (const std::int32_t button : {2, 1, 0}) held.pressButton(button);
  held.wheelRemainderX = -12.5;
  held.wheelRemainderY = 30.0;
  held.reportedRejects[static_cast<std::size_t>(InjectReject::KeyNotHeld)] = true;

  const std::vector<InjectEvent> events = held.releaseAllEvents();
  const ScanFlags expected = {{0, 0x4},    {0, 0x10},   {0, 0x40},   {0x1E, 0xA},
                              {0x2C, 0xA}, {0x48, 0xB}, {0x1D, 0xA}, {0x5C, 0xB}};
  EXPECT_EQ(scanFlags(events), expected);
  for (std::size_t i = 0; i < events.size(); ++i) {
    EXPECT_EQ(events[i].kind, i < 3 ? InjectEventKind::Mouse : InjectEventKind::Keyboard) << i;
  }
  EXPECT_FALSE(held.anyHeld());
  EXPECT_EQ(held.wheelRemainderX, 0.0);
  EXPECT_EQ(held.wheelRemainderY, 0.0);
  EXPECT_TRUE(held.reportedRejects[static_cast<std::size_t>(InjectReject::KeyNotHeld)]);
  EXPECT_TRUE(held.releaseAllEvents().empty());
}

// Polled in order left/right Shift, Ctrl, Alt, Windows; down (negative) and 0 give a key-up.
TEST(ModifierSweep, StatesOfZeroOrBelowGiveKeyUps) {
  const ScanFlags all = {{0x2A, 0xA}, {0x36, 0xA}, {0x1D, 0xA}, {0x1D, 0xB},
                         {0x38, 0xA}, {0x38, 0xB}, {0x5B, 0xB}, {0x5C, 0xB}};
  EXPECT_EQ(scanFlags(modifierSweepEvents({})), all);
  const ScanFlags some = {{0x36, 0xA}, {0x5B, 0xB}};
  EXPECT_EQ(scanFlags(modifierSweepEvents({1, -32768, 1, 1, 1, 0x7FFF, -1, 1})), some);
}

}  // namespace
}  // namespace orvane::win
