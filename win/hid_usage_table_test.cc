#include "win/hid_usage_table.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace orvane::win {
namespace {

using R = InjectReject;

constexpr std::uint32_t usage(std::uint32_t id) { return 0x00070000 | id; }

// Rows whose scan codes break the pattern around them (F11, Print Screen, Num Lock on Pause's
// make code, keypad Enter, right Ctrl), usages sharing a scan id (backslash and non-US hash, F24
// and LANG5), a media key, LANG3 after the release-only pair, and the first and last rows.
TEST(HidUsageTable, IrregularRowsAndRefusals) {
  const std::vector<std::pair<std::uint16_t, std::uint16_t>> rows = {
      {0x44, 0x0057}, {0x46, 0xE037}, {0x53, 0x0045}, {0x58, 0xE01C}, {0xE4, 0xE01D},
      {0x31, 0x002B}, {0x32, 0x002B}, {0x73, 0x0076}, {0x94, 0x0076}, {0x7F, 0xE020},
      {0x92, 0x0078}, {0x04, 0x001E}, {0xE7, 0xE05C}};
  for (const auto& [id, scanId] : rows) {
    for (const KeyLookup& lookup :
         {lookupUsage(usage(id)), lookupKeyUp(usage(id)), lookupKeyDown(usage(id), {})}) {
      EXPECT_TRUE(lookup.ok && lookup.scanId == scanId && lookup.reject == R::None)
          << std::hex << id;
    }
  }
  // A refused usage has no scan id; its row is still found unless it is on another page.
  const std::vector<std::pair<std::uint32_t, InjectReject>> refused = {
      {usage(0x39), R::CapsLock},       {usage(0x48), R::NoInjectableScanCode},
      {usage(0x66), R::PowerClass},     {usage(0x90), R::ReleaseOnlyKey},
      {usage(0x91), R::ReleaseOnlyKey}, {0x000C0080, R::NotKeyboardPage},
      {0xFFFF0004, R::NotKeyboardPage}};
  for (const auto& [hid, reject] : refused) {
    const HidKeyEntry* row = nullptr;
    for (const KeyLookup& lookup :
         {lookupUsage(hid, &row), lookupKeyUp(hid), lookupKeyDown(hid, {})}) {
      EXPECT_TRUE(!lookup.ok && lookup.scanId == 0 && lookup.reject == reject) << std::hex << hid;
    }
    EXPECT_EQ(row, findHidRow(hid));
    EXPECT_EQ(row == nullptr, reject == R::NotKeyboardPage) << std::hex << hid;
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
      EXPECT_EQ(lookupUsage(usage(id)).reject, R::UnmappedUsage) << std::hex << id;
    }
    EXPECT_TRUE(first == 0 || findHidRow(usage(first - 1)) != nullptr) << std::hex << first;
    EXPECT_TRUE(last == 0xFFFF || findHidRow(usage(last + 1)) != nullptr) << std::hex << last;
  }
}

// The chords under every combination of modifiers; a key-up is never refused for a chord.
TEST(HidUsageTable, ReservedChordsOnKeyDownOnly) {
  for (unsigned mask = 0; mask < 8; ++mask) {
    const ModifierState state{(mask & 1U) != 0, (mask & 2U) != 0, (mask & 4U) != 0};
    const InjectReject del = state.ctrl && state.alt ? R::CtrlAltDel : R::None;
    EXPECT_EQ(lookupKeyDown(usage(0x4C), state).reject, del) << mask;  // Delete
    EXPECT_EQ(lookupKeyDown(usage(0x63), state).reject, del) << mask;  // keypad Delete
    EXPECT_EQ(lookupKeyDown(usage(0x0F), state).reject, state.win ? R::WinL : R::None) << mask;
    EXPECT_TRUE(lookupKeyDown(usage(0x2A), state).ok) << mask;  // Backspace is in no chord
    for (const std::uint32_t id : {0x4C, 0x63, 0x0F}) EXPECT_TRUE(lookupKeyUp(usage(id)).ok);
  }
}

}  // namespace
}  // namespace orvane::win
