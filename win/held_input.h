// The record of every key and mouse button the injector has pressed and not yet released, so
// that all of it can always be released. Owned by the injector; used only on the injection
// thread, so it takes no lock.
#ifndef ORVANE_WIN_HELD_INPUT_H_
#define ORVANE_WIN_HELD_INPUT_H_

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "win/hid_usage_table.h"
#include "win/inject_event.h"
#include "win/inject_reject.h"

namespace orvane::win {

// The eight modifier keys, in the order the modifier sweep polls them: left and right Shift,
// Ctrl, Alt, then left and right Windows. Everything else about modifiers derives from this one
// table: which scan ids are modifiers (and so come up last in a release), the modifier state the
// refused chords read, and the sweep's polls and key-ups.
struct ModifierKey {
  enum class Role { Shift, Ctrl, Alt, Win };
  std::uint16_t scanId;
  std::int32_t virtualKey;  // the side-specific virtual key GetAsyncKeyState is asked about
  Role role;
};

inline constexpr std::size_t kModifierCount = 8;
inline constexpr std::array<ModifierKey, kModifierCount> kModifierKeys = {{
    {0x002A, 0xA0, ModifierKey::Role::Shift},
    {0x0036, 0xA1, ModifierKey::Role::Shift},
    {0x001D, 0xA2, ModifierKey::Role::Ctrl},
    {0xE01D, 0xA3, ModifierKey::Role::Ctrl},
    {0x0038, 0xA4, ModifierKey::Role::Alt},
    {0xE038, 0xA5, ModifierKey::Role::Alt},
    {0xE05B, 0x5B, ModifierKey::Role::Win},
    {0xE05C, 0x5C, ModifierKey::Role::Win},
}};

// The key's row in kModifierKeys, or null for an ordinary key.
const ModifierKey* findModifier(std::uint16_t scanId);
inline bool isModifierScan(std::uint16_t scanId) { return findModifier(scanId) != nullptr; }

class HeldInput {
 public:
  HeldInput();

  // Sets the button's bit and records the host button it went down as (itself unless the host's
  // buttons are swapped); false when the bit was already set, either number is not 0..4, or
  // another held button already went down as that host button.
  bool pressButton(std::int32_t button, std::int32_t hostButton);
  bool pressButton(std::int32_t button) { return pressButton(button, button); }
  bool isButtonHeld(std::int32_t button) const;
  // The host button a held button went down as, whatever the swap setting is now; -1 when the
  // button is not held.
  std::int32_t hostButtonOf(std::int32_t button) const;
  // Clears the bit; returns whether it was set (false for a number not 0..4).
  bool releaseButton(std::int32_t button);

  // Adds the key; false when it was already held (it stays held once).
  bool pressKey(std::uint16_t scanId);
  // Removes the key; returns whether it was held.
  bool releaseKey(std::uint16_t scanId);

  ModifierState modifierState() const;
  bool anyHeld() const;

  // Zeroes both wheel remainders, empties the record and returns the tagged events that release
  // it: button-ups of the host buttons that went down (left, right, middle, extra 1, extra 2),
  // without movement, then the ordinary keys ascending, then the modifiers ascending, the mask
  // key's down and up right before the first modifier's. reportedRejects is kept.
  std::vector<InjectEvent> releaseAllEvents();

  // Ascending, each key once. Capacity for a whole keyboard is reserved up front so pressing a
  // key never allocates.
  std::vector<std::uint16_t> heldKeys;
  std::uint32_t heldButtons = 0;  // bit 0 left, 1 right, 2 middle, 3 and 4 the extra buttons
  double wheelRemainderX = 0.0;
  double wheelRemainderY = 0.0;
  // Refusal values already reported, indexed by InjectReject value; never cleared.
  std::bitset<kInjectRejectCount> reportedRejects;

 private:
  // Host button per wire button, meaningful while that button is held.
  std::array<std::int32_t, kButtonCount> hostButtons_{};

  void clearHeld();
};

// The mask key's down and up (kMaskVirtualKey), which a release puts before its modifier ups.
inline constexpr std::size_t kMaskPairSize = 2;

// The sweep's key-ups from the eight polled key states (in kModifierKeys order): a state of 0 or
// below gives a tagged key-up for that modifier, a positive state is skipped; the mask pair goes
// first when there is any. Reads no held-input record.
std::vector<InjectEvent> modifierSweepEvents(
    const std::array<std::int16_t, kModifierCount>& keyStates);

// How many of a release's events release something: all but the mask pair.
std::size_t releaseCount(const std::vector<InjectEvent>& events);

}  // namespace orvane::win

#endif  // ORVANE_WIN_HELD_INPUT_H_
