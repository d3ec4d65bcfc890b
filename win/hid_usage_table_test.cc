// The key table's properties and dispositions, the lookups and the refused chords.
#include "win/hid_usage_table.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "win/held_input.h"

namespace orvane::win {
namespace {

constexpr std::uint32_t kPage7 = 0x00070000;
constexpr std::uint32_t usage(std::uint32_t id) { return kPage7 | id; }

InjectReject expectedReject(std::uint8_t disposition) {
  switch (disposition) {
    case kDispositionOrdinary:
    case kDispositionConsumer:
      return InjectReject::None;
    case kDispositionNoScanCode:
      return InjectReject::NoInjectableScanCode;
    case kDispositionCapsLock:
      return InjectReject::CapsLock;
    case kDispositionPower:
      return InjectReject::PowerClass;
    case kDispositionReleaseOnly:
      return InjectReject::ReleaseOnlyKey;
    default:
      return InjectReject::UnmappedUsage;
  }
}

TEST(HidUsageTable, EveryRowLooksUpByItsDisposition) {
  std::map<std::uint8_t, int> perDisposition;
  for (const HidKeyEntry& row : HidUsageTable) {
    ASSERT_NE(row.name, nullptr);
    ++perDisposition[row.disposition];
    const InjectReject reject = expectedReject(row.disposition);
    const HidKeyEntry* found = nullptr;
    for (const KeyLookup& lookup :
         {lookupUsage(usage(row.usageId), &found), lookupKeyUp(usage(row.usageId)),
          lookupKeyDown(usage(row.usageId), ModifierState{})}) {
      EXPECT_EQ(lookup.reject, reject) << row.name;
      EXPECT_EQ(lookup.ok, reject == InjectReject::None) << row.name;
      EXPECT_EQ(lookup.scanId, lookup.ok ? row.scanId : 0) << row.name;
    }
    EXPECT_EQ(found, &row);
    EXPECT_EQ(findHidRow(usage(row.usageId)), &row);
  }
  const std::map<std::uint8_t, int> expected = {
      {kDispositionOrdinary, 127}, {kDispositionNoScanCode, 1}, {kDispositionConsumer, 3},
      {kDispositionCapsLock, 1},   {kDispositionPower, 1},      {kDispositionReleaseOnly, 2}};
  EXPECT_EQ(perDisposition, expected);
}

// Keys whose scan codes are irregular: Print Screen, Pause, Num Lock, Volume Up, LANG3 and right
// Control. Every other row is held to its disposition above and to the gaps below.
TEST(HidUsageTable, IrregularKeys) {
  const std::vector<std::tuple<std::uint16_t, std::uint16_t, InjectReject>> cases = {
      {0x46, 0xE037, InjectReject::None}, {0x48, 0, InjectReject::NoInjectableScanCode},
      {0x53, 0x0045, InjectReject::None}, {0x80, 0xE030, InjectReject::None},
      {0x92, 0x0078, InjectReject::None}, {0xE4, 0xE01D, InjectReject::None}};
  for (const auto& [id, scanId, reject] : cases) {
    EXPECT_EQ(lookupUsage(usage(id)).reject, reject) << id;
    EXPECT_EQ(lookupUsage(usage(id)).scanId, scanId) << id;
  }
}

TEST(HidUsageTable, UnmappedIdsAreExactlyTheGaps) {
  const std::vector<std::pair<std::uint32_t, std::uint32_t>> gaps = {
      {0x00, 0x03}, {0x74, 0x7E}, {0x82, 0x84},  {0x86, 0x86},
      {0x8D, 0x8F}, {0x95, 0xDF}, {0xE8, 0xFFFF}};
  int mapped = 0;
  for (std::uint32_t id = 0; id <= 0xFFFF; ++id) {
    bool inGap = false;
    for (const auto& gap : gaps) inGap = inGap || (id >= gap.first && id <= gap.second);
    EXPECT_EQ(findHidRow(usage(id)) == nullptr, inGap) << id;
    EXPECT_EQ(lookupUsage(usage(id)).reject == InjectReject::UnmappedUsage, inGap) << id;
    mapped += inGap ? 0 : 1;
  }
  EXPECT_EQ(mapped, static_cast<int>(kHidUsageRowCount));
}

TEST(HidUsageTable, ExactlyThreeUsagePairsShareAScanId) {
  std::map<std::uint16_t, std::set<std::uint16_t>> usagesByScan;
  for (const HidKeyEntry& row : HidUsageTable) usagesByScan[row.scanId].insert(row.usageId);
  std::map<std::uint16_t, std::set<std::uint16_t>> shared;
  for (const auto& [scanId, ids] : usagesByScan) {
    if (ids.size() > 1) shared[scanId] = ids;
  }
  const std::map<std::uint16_t, std::set<std::uint16_t>> expected = {
      {0x002B, {0x31, 0x32}}, {0x0045, {0x48, 0x53}}, {0x0076, {0x73, 0x94}}};
  EXPECT_EQ(shared, expected);
}

TEST(HidUsageTable, OtherPagesAreRefusedEvenWithAMatchingId) {
  for (const std::uint32_t page : {0x0000U, 0x0001U, 0x0006U, 0x0008U, 0x000CU, 0xFFFFU}) {
    const std::uint32_t volumeUp = (page << 16) | 0x80;
    EXPECT_EQ(lookupUsage(volumeUp).reject, InjectReject::NotKeyboardPage) << page;
    EXPECT_EQ(lookupKeyUp(volumeUp).reject, InjectReject::NotKeyboardPage) << page;
    EXPECT_EQ(lookupKeyDown(volumeUp, {true, true, true}).reject, InjectReject::NotKeyboardPage);
    EXPECT_EQ(findHidRow(volumeUp), nullptr);
  }
}

// Every combination of left/right Control, Alt and Windows keys, through the held-input record;
// Shift, pressed in every combination too, plays no part.
TEST(HidUsageTable, ReservedChordsUnderEveryModifierCombination) {
  const std::array<std::uint16_t, 6> modifiers = {0x001D, 0xE01D, 0x0038, 0xE038, 0xE05B, 0xE05C};
  for (unsigned mask = 0; mask < (1U << modifiers.size()); ++mask) {
    HeldInput held;
    for (std::size_t i = 0; i < modifiers.size(); ++i) {
      if ((mask & (1U << i)) != 0) held.pressKey(modifiers[i]);
    }
    held.pressKey(0x002A);
    held.pressKey(0x0036);
    const ModifierState state = held.modifierState();
    const bool ctrl = (mask & 0x3U) != 0;
    const bool alt = (mask & 0xCU) != 0;
    const bool win = (mask & 0x30U) != 0;
    ASSERT_EQ(state.ctrl, ctrl);
    ASSERT_EQ(state.alt, alt);
    ASSERT_EQ(state.win, win);
    for (const std::uint32_t del : {0x4CU, 0x63U}) {
      EXPECT_EQ(lookupKeyDown(usage(del), state).reject,
                ctrl && alt ? InjectReject::CtrlAltDel : InjectReject::None)
          << mask;
      EXPECT_TRUE(lookupKeyUp(usage(del)).ok);
    }
    EXPECT_EQ(lookupKeyDown(usage(0x0F), state).reject,
              win ? InjectReject::WinL : InjectReject::None)
        << mask;
    EXPECT_TRUE(lookupKeyUp(usage(0x0F)).ok);
    EXPECT_TRUE(lookupKeyDown(usage(0x2A), state).ok);  // Backspace is never part of a chord
  }
}

TEST(HidUsageTable, SplitScanId) {
  for (const auto& [scanId, code, extended] :
       std::vector<std::tuple<std::uint16_t, int, bool>>{{0x001E, 0x1E, false},
                                                         {0xE01D, 0x1D, true},
                                                         {0xE11D, 0x1D, false},
                                                         {0x00E0, 0xE0, false}}) {
    EXPECT_EQ(splitScanId(scanId).scanCode, code) << scanId;
    EXPECT_EQ(splitScanId(scanId).extended, extended) << scanId;
  }
}

}  // namespace
}  // namespace orvane::win
