// The held-input record and the events that release it.
#include "win/held_input.h"

#include <algorithm>

namespace orvane::win {
namespace {

constexpr std::uint16_t kScanLeftCtrl = 0x001D;
constexpr std::uint16_t kScanLeftShift = 0x002A;
constexpr std::uint16_t kScanRightShift = 0x0036;
constexpr std::uint16_t kScanLeftAlt = 0x0038;
constexpr std::uint16_t kScanRightCtrl = 0xE01D;
constexpr std::uint16_t kScanRightAlt = 0xE038;
constexpr std::uint16_t kScanLeftWin = 0xE05B;
constexpr std::uint16_t kScanRightWin = 0xE05C;

// Enough for every distinct scan id of the key table, so pressing keys never reallocates.
constexpr std::size_t kHeldKeysCapacity = kHidUsageRowCount;

// HID usages (page 7) of the modifiers, paired with kSweepVirtualKeys.
constexpr std::array<std::uint32_t, kSweepKeyCount> kSweepUsages = {
    0x000700E1, 0x000700E5, 0x000700E0, 0x000700E4, 0x000700E2, 0x000700E6, 0x000700E3, 0x000700E7};

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

bool isModifierScan(std::uint16_t scanId) {
  switch (scanId) {
    case kScanLeftCtrl:
    case kScanLeftShift:
    case kScanRightShift:
    case kScanLeftAlt:
    case kScanRightCtrl:
    case kScanRightAlt:
    case kScanLeftWin:
    case kScanRightWin:
      return true;
    default:
      return false;
  }
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
  state.ctrl = contains(heldKeys, kScanLeftCtrl) || contains(heldKeys, kScanRightCtrl);
  state.alt = contains(heldKeys, kScanLeftAlt) || contains(heldKeys, kScanRightAlt);
  state.win = contains(heldKeys, kScanLeftWin) || contains(heldKeys, kScanRightWin);
  return state;
}

bool HeldInput::anyHeld() const { return !heldKeys.empty() || heldButtons != 0; }

template <typename OnButton, typename OnKey>
void HeldInput::forEachInReleaseOrder(OnButton onButton, OnKey onKey) const {
  for (std::int32_t button = 0; button < kButtonCount; ++button) {
    if (isButtonHeld(button)) onButton(button);
  }
  // Ordinary keys come up before the modifiers held with them, whatever their scan codes, so
  // releasing never leaves a bare key under a still-held Ctrl or Alt.
  for (const std::uint16_t scanId : heldKeys) {
    if (!isModifierScan(scanId)) onKey(scanId);
  }
  for (const std::uint16_t scanId : heldKeys) {
    if (isModifierScan(scanId)) onKey(scanId);
  }
}

void HeldInput::clearHeld() {
  heldKeys.clear();
  heldButtons = 0;
}

HeldRelease HeldInput::takeHeld() {
  HeldRelease release;
  release.keys.reserve(heldKeys.size());
  forEachInReleaseOrder([&release](std::int32_t button) { release.buttons.push_back(button); },
                        [&release](std::uint16_t scanId) { release.keys.push_back(scanId); });
  clearHeld();
  return release;
}

std::vector<InjectEvent> HeldInput::releaseAllEvents() {
  wheelRemainderX = 0.0;
  wheelRemainderY = 0.0;
  std::vector<InjectEvent> events;
  if (!anyHeld()) return events;
  events.reserve(heldKeys.size() + kButtonCount + kMaskPairSize);
  bool masked = false;
  // Buttons come up wherever the pointer is: no move flag.
  forEachInReleaseOrder(
      [this, &events](std::int32_t button) {
        events.push_back(buttonEvent(hostButtonOf(button), true));
      },
      [&events, &masked](std::uint16_t scanId) {
        // Modifiers come last, so one pair in front of the first covers them all.
        if (isModifierScan(scanId) && !masked) {
          appendMaskPair(events);
          masked = true;
        }
        events.push_back(keyEvent(scanId, true));
      });
  clearHeld();
  return events;
}

std::vector<InjectEvent> modifierSweepEvents(
    const std::array<std::int16_t, kSweepKeyCount>& keyStates) {
  std::vector<InjectEvent> events;
  events.reserve(kMaskPairSize + kSweepKeyCount);
  appendMaskPair(events);
  for (std::size_t i = 0; i < kSweepKeyCount; ++i) {
    // Negative means down. A state of 0 gets a key-up too: a spare key-up costs nothing, a
    // missed one leaves a modifier stuck on the host.
    if (keyStates[i] > 0) continue;
    const HidKeyEntry* const row = findHidRow(kSweepUsages[i]);
    if (row != nullptr) events.push_back(keyEvent(row->scanId, true));
  }
  if (events.size() == kMaskPairSize) events.clear();
  return events;
}

std::size_t releaseCount(const std::vector<InjectEvent>& events) {
  return static_cast<std::size_t>(std::count_if(
      events.begin(), events.end(), [](const InjectEvent& event) { return !isMaskEvent(event); }));
}

}  // namespace orvane::win
