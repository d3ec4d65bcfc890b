// The key table's refusals, irregular rows and edges, the refused chords and the extended flag.
#include "win/hid_usage_table.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "win/inject_event.h"

namespace orvane::win {
namespace {

constexpr std::uint32_t usage(std::uint32_t id) { return 0x00070000 | id; }

// Refused rows, rows whose scan codes break the pattern around them, usages that share a scan
// id, and the first and last rows. A scan id of 0 means refused.
TEST(HidUsageTable, RefusalsAndIrregularRows) {
  struct Case {
    std::uint32_t usage;
    std::uint16_t scanId;
    InjectReject reject;
  };
  const std::vector<Case> cases = {
      {usage(0x04), 0x001E, InjectReject::None},  // A, the first row
      {usage(0xE7), 0xE05C, InjectReject::None},  // right Windows, the last row
      {usage(0x39), 0, InjectReject::CapsLock},
      {usage(0x48), 0, InjectReject::NoInjectableScanCode},  // Pause
      {usage(0x66), 0, InjectReject::PowerClass},
      {usage(0x90), 0, InjectReject::ReleaseOnlyKey},  // LANG1
      {usage(0x91), 0, InjectReject::ReleaseOnlyKey},  // LANG2
      {usage(0x44), 0x0057, InjectReject::None},       // F11 jumps from F10's 0x44
      {usage(0x46), 0xE037, InjectReject::None},       // Print Screen
      {usage(0x53), 0x0045, InjectReject::None},       // Num Lock takes Pause's make code
      {usage(0x58), 0xE01C, InjectReject::None},       // keypad Enter
      {usage(0x73), 0x0076, InjectReject::None},       // F24, shared with LANG5
      {usage(0x94), 0x0076, InjectReject::None},
      {usage(0x31), 0x002B, InjectReject::None},  // backslash, shared with non-US hash
      {usage(0x32), 0x002B, InjectReject::None},
      {usage(0x7F), 0xE020, InjectReject::None},       // mute: media keys are admitted
      {usage(0x92), 0x0078, InjectReject::None},       // LANG3 right after the release-only pair
      {usage(0xE4), 0xE01D, InjectReject::None},       // right Ctrl
      {0x000C0080, 0, InjectReject::NotKeyboardPage},  // volume up's id on another page
      {0xFFFF0004, 0, InjectReject::NotKeyboardPage},
  };
  for (const Case& c : cases) {
    const HidKeyEntry* row = nullptr;
    for (const KeyLookup& lookup : {lookupUsage(c.usage, &row), lookupKeyUp(c.usage),
                                    lookupKeyDown(c.usage, ModifierState{})}) {
      EXPECT_EQ(lookup.reject, c.reject) << std::hex << c.usage;
      EXPECT_EQ(lookup.ok, c.reject == InjectReject::None) << std::hex << c.usage;
      EXPECT_EQ(lookup.scanId, c.scanId) << std::hex << c.usage;
    }
    // A refused row is still a row; another page has none.
    EXPECT_EQ(row, findHidRow(c.usage));
    EXPECT_EQ(row == nullptr, c.reject == InjectReject::NotKeyboardPage) << std::hex << c.usage;
  }
}

// Every row is found by the search, and the ids around each gap are mapped or not as they should.
TEST(HidUsageTable, RowsAndGapBoundaries) {
  int admitted = 0;
  for (const HidKeyEntry& row : HidUsageTable) {
    EXPECT_EQ(findHidRow(usage(row.usageId)), &row) << row.name;
    admitted += lookupUsage(usage(row.usageId)).ok ? 1 : 0;
  }
  EXPECT_EQ(admitted, 130);  // every row but the five refused ones
  const std::vector<std::pair<std::uint32_t, std::uint32_t>> gaps = {
      {0x00, 0x03}, {0x74, 0x7E}, {0x82, 0x84},  {0x86, 0x86},
      {0x8D, 0x8F}, {0x95, 0xDF}, {0xE8, 0xFFFF}};
  for (const auto& [first, last] : gaps) {
    for (const std::uint32_t id : {first, last}) {
      EXPECT_EQ(findHidRow(usage(id)), nullptr) << std::hex << id;
      EXPECT_EQ(lookupUsage(usage(id)).reject, InjectReject::UnmappedUsage) << std::hex << id;
    }
    EXPECT_TRUE(first == 0 || findHidRow(usage(first - 1)) != nullptr) << std::hex << first;
    EXPECT_TRUE(last == 0xFFFF || findHidRow(usage(last + 1)) != nullptr) << std::hex << last;
  }
}

// The chords under every combination of modifiers; a key-up is never refused for a chord.
TEST(HidUsageTable, ReservedChordsOnKeyDownOnly) {
  for (unsigned mask = 0; mask < 8; ++mask) {
    const ModifierState state{(mask & 1U) != 0, (mask & 2U) != 0, (mask & 4U) != 0};
    const InjectReject del =
        state.ctrl && state.alt ? InjectReject::CtrlAltDel : InjectReject::None;
    EXPECT_EQ(lookupKeyDown(usage(0x4C), state).reject, del) << mask;  // Delete
    EXPECT_EQ(lookupKeyDown(usage(0x63), state).reject, del) << mask;  // keypad Delete
    EXPECT_EQ(lookupKeyDown(usage(0x0F), state).reject,
              state.win ? InjectReject::WinL : InjectReject::None)
        << mask;
    EXPECT_TRUE(lookupKeyDown(usage(0x2A), state).ok) << mask;  // Backspace is in no chord
    for (const std::uint32_t id : {0x4C, 0x63, 0x0F}) EXPECT_TRUE(lookupKeyUp(usage(id)).ok);
  }
}

// Only an 0xE0 prefix marks an extended key; key events carry it as their extended flag.
TEST(HidUsageTable, ScanIdPrefixGivesTheExtendedFlag) {
  struct Case {
    std::uint16_t scanId, scanCode;
    std::uint32_t downFlags;
  };
  for (const Case& c : std::vector<Case>{
           {0x001E, 0x1E, 0x8}, {0xE01D, 0x1D, 0x9}, {0xE11D, 0x1D, 0x8}, {0x00E0, 0xE0, 0x8}}) {
    EXPECT_EQ(splitScanId(c.scanId).scanCode, c.scanCode) << c.scanId;
    EXPECT_EQ(splitScanId(c.scanId).extended, c.downFlags == 0x9) << c.scanId;
    EXPECT_EQ(keyEvent(c.scanId, false).scan, c.scanCode) << c.scanId;
    EXPECT_EQ(keyEvent(c.scanId, false).flags, c.downFlags) << c.scanId;
    EXPECT_EQ(keyEvent(c.scanId, true).flags, c.downFlags | 0x2) << c.scanId;
  }
}

}  // namespace
}  // namespace orvane::win
