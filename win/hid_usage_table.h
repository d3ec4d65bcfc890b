// The fixed map from HID keyboard-page usages to the scan codes we inject, with the usages and
// chords the host refuses. Immutable data and pure functions: any thread; nothing allocates.
#ifndef ORVANE_WIN_HID_USAGE_TABLE_H_
#define ORVANE_WIN_HID_USAGE_TABLE_H_

#include <array>
#include <cstddef>
#include <cstdint>

#include "win/inject_reject.h"

namespace orvane::win {

// How a row is treated by the lookups.
inline constexpr std::uint8_t kDispositionOrdinary = 0;
inline constexpr std::uint8_t kDispositionNoScanCode = 1;  // Pause: no single scan code
inline constexpr std::uint8_t kDispositionConsumer = 2;    // media keys; admitted like ordinary
inline constexpr std::uint8_t kDispositionCapsLock = 3;
inline constexpr std::uint8_t kDispositionPower = 4;
inline constexpr std::uint8_t kDispositionReleaseOnly = 5;  // LANG1, LANG2

inline constexpr std::uint32_t kKeyboardUsagePage = 7;

// A scan id is the set-1 make code in the low byte, 0xE0 in the high byte for extended keys.
inline constexpr std::uint16_t kExtendedScanPrefix = 0xE0;

struct HidKeyEntry {
  std::uint16_t usageId;  // id on the keyboard page
  std::uint16_t scanId;
  std::uint8_t disposition;
  const char* name;  // display name; no lookup reads it
};

inline constexpr std::size_t kHidUsageRowCount = 135;

// Rows sorted by strictly ascending usage id.
extern const std::array<HidKeyEntry, kHidUsageRowCount> HidUsageTable;

// Modifiers held at the moment of a key-down; Shift plays no part in the refused chords.
struct ModifierState {
  bool ctrl = false;
  bool alt = false;
  bool win = false;
};

// A refused lookup has ok false and scanId 0.
struct KeyLookup {
  bool ok = false;
  std::uint16_t scanId = 0;
  InjectReject reject = InjectReject::None;
};

// The table lookup by disposition. When row is not null it receives the usage's row if the id
// has one (whatever the disposition), else null.
KeyLookup lookupUsage(std::uint32_t usage, const HidKeyEntry** row = nullptr);

// lookupUsage plus the chords Windows reserves: Ctrl+Alt+Delete and Win+L are refused.
KeyLookup lookupKeyDown(std::uint32_t usage, ModifierState modifiers);

// lookupUsage without the chord checks: a key that may be pressed may always be released.
KeyLookup lookupKeyUp(std::uint32_t usage);

// The usage's row, or null when the page is not 7 or the id has no row; disposition ignored.
const HidKeyEntry* findHidRow(std::uint32_t usage);

struct ScanParts {
  std::uint16_t scanCode = 0;  // low byte of the scan id
  bool extended = false;       // high byte is 0xE0
};

ScanParts splitScanId(std::uint16_t scanId);

}  // namespace orvane::win

#endif  // ORVANE_WIN_HID_USAGE_TABLE_H_
