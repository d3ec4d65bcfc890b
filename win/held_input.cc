// The held-input record and the events that release it.
#include "win/held_input.h"

#include <algorithm>

namespace orvane::win {
namespace {

// Enough for every distinct scan id of the key table, so pressing keys never reallocates.
constexpr std::size_t kHeldKeysCapacity = kHidUsageRowCount;

bool validButton(std::int32_t button) { return button >= 0 && button < kButtonCount; }

std::uint32_t buttonBit(std::int32_t button) { return 1U << static_cast<unsigned>(button); }

bool contains(const std::vector<std::uint16_t>& keys, std::uint16_t scanId) {
  return std::binary_search(keys.begin(), keys.end(), scanId);
}

void appendMaskPair(std::vector<InjectEvent>& events) {
  events.push_back(virtualKeyEvent(kMaskVirtualKey, false));
  events.push_back(virtualKeyEvent(kMaskVirtualKey, true));
}

}  // namespace

const ModifierKey* findModifier(std::uint16_t scanId) {
  for (const ModifierKey& modifier : kModifierKeys) {
    if (modifier.scanId == scanId) return &modifier;
  }
  return nullptr;
}

HeldInput::HeldInput() { heldKeys.reserve(kHeldKeysCapacity); }

bool HeldInput::pressButton(std::int32_t button, std::int32_t hostButton) {
  if (!validButton(button) || !validButton(hostButton) || isButtonHeld(button)) return false;
  for (std::int32_t other = 0; other < kButtonCount; ++other) {
    // The system must never see a second down of a host button that is already down.
    if (isButtonHeld(other) && hostButtonOf(other) == hostButton) return false;
  }
  heldButtons |= buttonBit(button);
  hostButtons_[static_cast<std::size_t>(button)] = hostButton;
  return true;
}

bool HeldInput::isButtonHeld(std::int32_t button) const {
  return validButton(button) && (heldButtons & buttonBit(button)) != 0;
}

std::int32_t HeldInput::hostButtonOf(std::int32_t button) const {
  return isButtonHeld(button) ? hostButtons_[static_cast<std::size_t>(button)] : -1;
}

bool HeldInput::releaseButton(std::int32_t button) {
  if (!isButtonHeld(button)) return false;
  heldButtons &= ~buttonBit(button);
  return true;
}

bool HeldInput::pressKey(std::uint16_t scanId) {
  const auto at = std::lower_bound(heldKeys.begin(), heldKeys.end(), scanId);
  if (at != heldKeys.end() && *at == scanId) return false;
  heldKeys.insert(at, scanId);
  return true;
}

bool HeldInput::releaseKey(std::uint16_t scanId) {
  const auto at = std::lower_bound(heldKeys.begin(), heldKeys.end(), scanId);
  if (at == heldKeys.end() || *at != scanId) return false;
  heldKeys.erase(at);
  return true;
}

ModifierState HeldInput::modifierState() const {
  ModifierState state;
  for (const ModifierKey& modifier : kModifierKeys) {
    if (!contains(heldKeys, modifier.scanId)) continue;
    state.ctrl = state.ctrl || modifier.role == ModifierKey::Role::Ctrl;
    state.alt = state.alt || modifier.role == ModifierKey::Role::Alt;
    state.win = state.win || modifier.role == ModifierKey::Role::Win;
  }
  return state;
}

bool HeldInput::anyHeld() const { return !heldKeys.empty() || heldButtons != 0; }

void HeldInput::clearHeld() {
  heldKeys.clear();
  heldButtons = 0;
}

std::vector<InjectEvent> HeldInput::releaseAllEvents() {
  wheelRemainderX = 0.0;
  wheelRemainderY = 0.0;
  std::vector<InjectEvent> events;
  if (!anyHeld()) return events;
  events.reserve(heldKeys.size() + kButtonCount + kMaskPairSize);
  // Buttons come up wherever the pointer is: no move flag.
  for (std::int32_t button = 0; button < kButtonCount; ++button) {
    if (isButtonHeld(button)) events.push_back(buttonEvent(hostButtonOf(button), true));
  }
  // Ordinary keys come up before the modifiers held with them, whatever their scan codes, so
  // releasing never leaves a bare key under a still-held Ctrl or Alt.
  for (const std::uint16_t scanId : heldKeys) {
    if (!isModifierScan(scanId)) events.push_back(keyEvent(scanId, true));
  }
  // One mask pair in front of the first modifier covers them all.
  bool masked = false;
  for (const std::uint16_t scanId : heldKeys) {
    if (!isModifierScan(scanId)) continue;
    if (!masked) appendMaskPair(events);
    masked = true;
    events.push_back(keyEvent(scanId, true));
  }
  clearHeld();
  return events;
}

std::vector<InjectEvent> modifierSweepEvents(
    const std::array<std::int16_t, kModifierCount>& keyStates) {
  std::vector<InjectEvent> events;
  events.reserve(kMaskPairSize + kModifierCount);
  appendMaskPair(events);
  for (std::size_t i = 0; i < kModifierCount; ++i) {
    // Negative means down. A state of 0 gets a key-up too: a spare key-up costs nothing, a
    // missed one leaves a modifier stuck on the host.
    if (keyStates[i] <= 0) events.push_back(keyEvent(kModifierKeys[i].scanId, true));
  }
  if (events.size() == kMaskPairSize) events.clear();
  return events;
}

std::size_t releaseCount(const std::vector<InjectEvent>& events) {
  return static_cast<std::size_t>(std::count_if(
      events.begin(), events.end(), [](const InjectEvent& event) { return !isMaskEvent(event); }));
}

}  // namespace orvane::win
