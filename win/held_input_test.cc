// The held-input record: button and key bookkeeping, release order, the sweep's key-ups.
#include "win/held_input.h"

#include <gtest/gtest.h>

#include <iterator>
#include <vector>

namespace orvane::win {
namespace {

constexpr std::uint16_t kScanA = 0x001E;
constexpr std::uint16_t kScanZ = 0x002C;
constexpr std::uint16_t kScanLeftCtrl = 0x001D;
constexpr std::uint16_t kScanRightWin = 0xE05C;
constexpr std::uint16_t kScanUpArrow = 0xE048;

TEST(HeldInput, ButtonsAndKeysAreHeldOnce) {
  HeldInput held;
  EXPECT_TRUE(held.pressButton(1));
  EXPECT_FALSE(held.pressButton(1));
  for (const std::int32_t bad : {-1, 3, 31, 32, 1000}) {
    EXPECT_FALSE(held.pressButton(bad)) << bad;
    EXPECT_FALSE(held.isButtonHeld(bad)) << bad;
    EXPECT_FALSE(held.releaseButton(bad)) << bad;
  }
  EXPECT_EQ(held.heldButtons, 0x2U);
  EXPECT_TRUE(held.releaseButton(1));
  EXPECT_FALSE(held.releaseButton(1));
  EXPECT_FALSE(held.anyHeld());

  EXPECT_TRUE(held.pressKey(kScanUpArrow));
  EXPECT_TRUE(held.pressKey(kScanA));
  EXPECT_FALSE(held.pressKey(kScanA));
  EXPECT_TRUE(held.pressKey(kScanLeftCtrl));
  EXPECT_EQ(held.heldKeys, (std::vector<std::uint16_t>{kScanLeftCtrl, kScanA, kScanUpArrow}));
  EXPECT_TRUE(held.releaseKey(kScanA));
  EXPECT_FALSE(held.releaseKey(kScanA));
  EXPECT_FALSE(held.releaseKey(kScanZ));
  EXPECT_EQ(held.heldKeys, (std::vector<std::uint16_t>{kScanLeftCtrl, kScanUpArrow}));
}

TEST(HeldInput, IsModifierScanIsExactlyTheEightModifiers) {
  std::vector<std::uint16_t> modifiers;
  for (std::uint32_t scanId = 0; scanId <= 0xFFFF; ++scanId) {
    if (isModifierScan(static_cast<std::uint16_t>(scanId)))
      modifiers.push_back(static_cast<std::uint16_t>(scanId));
  }
  EXPECT_EQ(modifiers, (std::vector<std::uint16_t>{0x001D, 0x002A, 0x0036, 0x0038, 0xE01D, 0xE038,
                                                   0xE05B, 0xE05C}));
}

// Button-ups without movement, then keys in scan order, then the modifiers.
TEST(HeldInput, ReleaseAllEventsEmptiesTheRecordButKeepsReportedRejects) {
  HeldInput held;
  for (const std::uint16_t scanId : {kScanRightWin, kScanUpArrow, kScanLeftCtrl, kScanZ, kScanA}) {
    held.pressKey(scanId);
  }
  for (const std::int32_t button : {2, 1, 0}) held.pressButton(button);
  held.wheelRemainderX = -12.5;
  held.wheelRemainderY = 30.0;
  held.reportedRejects[static_cast<std::size_t>(InjectReject::KeyNotHeld)] = true;

  const std::vector<InjectEvent> events = held.releaseAllEvents();
  const std::uint32_t flags[] = {kMouseLeftUp, kMouseRightUp, kMouseMiddleUp, 0x000A,
                                 0x000A,       0x000B,        0x000A,         0x000B};
  const std::uint16_t scans[] = {0, 0, 0, 0x1E, 0x2C, 0x48, 0x1D, 0x5C};
  ASSERT_EQ(events.size(), std::size(flags));
  for (std::size_t i = 0; i < events.size(); ++i) {
    EXPECT_EQ(events[i].kind, i < 3 ? InjectEventKind::Mouse : InjectEventKind::Keyboard) << i;
    EXPECT_EQ(events[i].flags, flags[i]) << i;
    EXPECT_EQ(events[i].scan, scans[i]) << i;
    EXPECT_EQ(events[i].vk, 0) << i;
    EXPECT_EQ(events[i].dx, 0) << i;
    EXPECT_EQ(events[i].dy, 0) << i;
    EXPECT_EQ(events[i].extraInfo, kInjectedTag) << i;
    EXPECT_EQ(events[i].time, 0U) << i;
  }
  EXPECT_FALSE(held.anyHeld());
  EXPECT_EQ(held.wheelRemainderX, 0.0);
  EXPECT_EQ(held.wheelRemainderY, 0.0);
  EXPECT_TRUE(held.reportedRejects[static_cast<std::size_t>(InjectReject::KeyNotHeld)]);
  EXPECT_TRUE(held.releaseAllEvents().empty());
}

TEST(ModifierSweep, StatesOfZeroOrBelowGiveKeyUps) {
  const std::vector<std::uint16_t> allScans = {0x2A, 0x36, 0x1D, 0x1D, 0x38, 0x38, 0x5B, 0x5C};
  const std::vector<bool> allExtended = {false, false, false, true, false, true, true, true};
  const std::vector<InjectEvent> all = modifierSweepEvents({});
  ASSERT_EQ(all.size(), kSweepKeyCount);
  for (std::size_t i = 0; i < all.size(); ++i) {
    EXPECT_EQ(all[i].kind, InjectEventKind::Keyboard);
    EXPECT_EQ(all[i].scan, allScans[i]);
    EXPECT_EQ(all[i].flags, allExtended[i] ? 0x000BU : 0x000AU);
    EXPECT_EQ(all[i].extraInfo, kInjectedTag);
  }
  // Down (negative) and 0 release; a positive state is skipped.
  const std::vector<InjectEvent> some = modifierSweepEvents({1, -32768, 1, 1, 1, 0x7FFF, -1, 1});
  ASSERT_EQ(some.size(), 2U);
  EXPECT_EQ(some[0].scan, 0x36);
  EXPECT_EQ(some[1].scan, 0x5B);
  EXPECT_TRUE(modifierSweepEvents({1, 1, 1, 1, 1, 1, 1, 1}).empty());
}

}  // namespace
}  // namespace orvane::win
