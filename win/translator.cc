// Wire messages to injection events.
#include "win/translator.h"

#include <cmath>
#include <string>
#include <vector>

#include "win/hid_usage_table.h"

namespace orvane::win {
namespace {

// The controller sends 60 wheel units to a notch.
constexpr double kWireUnitsPerNotch = 60.0;
// More notches than this in one step are discarded rather than carried, so a runaway value
// cannot scroll for seconds.
constexpr std::int32_t kMaxNotchesPerStep = 64;

// Events per message kind, reserved up front so a batch allocates its array once.
constexpr std::size_t kMoveEventsMax = 1;
constexpr std::size_t kPointerEventsMax = 2;
constexpr std::size_t kWheelEventsMax = 2;
constexpr std::size_t kKeyEventsMax = 1;

void recordReject(HeldInput& held, InjectBatch& batch, InjectReject reject) {
  batch.reject = reject;
  const auto index = static_cast<std::size_t>(reject);
  batch.firstOfKind = !held.reportedRejects[index];
  held.reportedRejects[index] = true;
}

// Appends the absolute move for the message's position; false (and BadGeometry) when the
// geometry cannot map it.
bool appendPointerMove(HeldInput& held, InjectBatch& batch, const WireMessage& message,
                       const PointerGeometry& geometry) {
  const PointerTarget target = mapPointer(geometry, message.x, message.y);
  if (!target.ok) {
    recordReject(held, batch, InjectReject::BadGeometry);
    return false;
  }
  batch.clamped = target.clamped;
  batch.events.push_back(mouseEvent(target.ax, target.ay, 0, target.flags));
  return true;
}

// Whole notches for one axis. The remainder keeps its sign, so small movements add up across
// messages and a reversal first uses up what is left.
std::int32_t accumulateWheel(double& remainder, double movement) {
  if (std::isfinite(movement)) remainder += movement;
  if (!std::isfinite(remainder)) {
    remainder = 0.0;
    return 0;
  }
  const double notches = std::trunc(remainder / kWireUnitsPerNotch);
  if (notches > kMaxNotchesPerStep || notches < -kMaxNotchesPerStep) {
    remainder = 0.0;
    return notches > 0 ? kMaxNotchesPerStep : -kMaxNotchesPerStep;
  }
  remainder -= notches * kWireUnitsPerNotch;
  return static_cast<std::int32_t>(notches);
}

std::uint32_t wheelData(std::int32_t notches) {
  // The platform takes the signed delta in an unsigned field.
  return static_cast<std::uint32_t>(notches * kWheelNotch);
}

// Left and right trade places under the swapped layout; the middle and extra buttons stay.
std::int32_t hostButtonFor(std::int32_t button, ButtonLayout layout) {
  if (layout == ButtonLayout::Standard || button > 1) return button;
  return 1 - button;
}

void translateButtonDown(HeldInput& held, InjectBatch& batch, const WireMessage& message,
                         const PointerGeometry& geometry, ButtonLayout layout) {
  batch.events.reserve(kPointerEventsMax);
  if (!appendPointerMove(held, batch, message, geometry)) return;
  const std::int32_t host = hostButtonFor(message.button, layout);
  if (!held.pressButton(message.button, host)) {
    // The move still goes out; the system never sees two downs without an up between them.
    recordReject(held, batch, InjectReject::ButtonAlreadyHeld);
    return;
  }
  batch.events.push_back(buttonEvent(host, false));
}

void translateButtonUp(HeldInput& held, InjectBatch& batch, const WireMessage& message,
                       const PointerGeometry& geometry) {
  if (!held.isButtonHeld(message.button)) {
    recordReject(held, batch, InjectReject::ButtonNotHeld);
    return;
  }
  batch.events.reserve(kPointerEventsMax);
  // A release is never lost to a geometry failure: the button comes up where the pointer is.
  appendPointerMove(held, batch, message, geometry);
  const std::int32_t host = held.hostButtonOf(message.button);
  held.releaseButton(message.button);
  batch.events.push_back(buttonEvent(host, true));
}

void translateWheel(HeldInput& held, InjectBatch& batch, const WireMessage& message) {
  // Positive dy scrolls down on the wire, which is a negative delta for the platform.
  const std::int32_t vertical = -accumulateWheel(held.wheelRemainderY, message.dy);
  const std::int32_t horizontal = accumulateWheel(held.wheelRemainderX, message.dx);
  if (vertical == 0 && horizontal == 0) return;
  batch.events.reserve(kWheelEventsMax);
  if (vertical != 0) batch.events.push_back(mouseEvent(0, 0, wheelData(vertical), kMouseWheel));
  if (horizontal != 0) {
    batch.events.push_back(mouseEvent(0, 0, wheelData(horizontal), kMouseHorizontalWheel));
  }
}

void translateKeyDown(HeldInput& held, InjectBatch& batch, const WireMessage& message) {
  const KeyLookup lookup = lookupKeyDown(message.hid, held.modifierState());
  if (!lookup.ok) {
    recordReject(held, batch, lookup.reject);
    return;
  }
  // A key already held stays held and goes down again: that is how automatic repeat looks.
  held.pressKey(lookup.scanId);
  batch.events.reserve(kKeyEventsMax);
  batch.events.push_back(keyEvent(lookup.scanId, false));
}

void translateKeyUp(HeldInput& held, InjectBatch& batch, const WireMessage& message) {
  const KeyLookup lookup = lookupKeyUp(message.hid);
  if (!lookup.ok) {
    recordReject(held, batch, lookup.reject);
    return;
  }
  if (!held.releaseKey(lookup.scanId)) {
    recordReject(held, batch, InjectReject::KeyNotHeld);
    return;
  }
  batch.events.reserve(kKeyEventsMax);
  batch.events.push_back(keyEvent(lookup.scanId, true));
}

// Scan ids of the keys that line breaks and tabs become.
constexpr std::uint16_t kEnterScanId = 0x1C;
constexpr std::uint16_t kTabScanId = 0x0F;
constexpr std::uint32_t kReplacementCharacter = 0xFFFD;

// One code point from UTF-8 the decoder has already validated; advances `at`.
std::uint32_t nextCodePoint(const std::string& text, std::size_t& at) {
  const auto lead = static_cast<unsigned char>(text[at++]);
  std::size_t continuation = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
  std::uint32_t point = continuation == 0 ? lead : lead & (0x3Fu >> continuation);
  for (; continuation > 0 && at < text.size(); --continuation) {
    point = point << 6 | (static_cast<unsigned char>(text[at++]) & 0x3Fu);
  }
  return continuation == 0 ? point : kReplacementCharacter;
}

bool isControlCharacter(std::uint32_t point) {
  return point < 0x20 || (point >= 0x7F && point <= 0x9F);
}

void appendKeyPress(std::vector<InjectEvent>& events, std::uint16_t scanId) {
  events.push_back(keyEvent(scanId, false));
  events.push_back(keyEvent(scanId, true));
}

void appendUnit(std::vector<InjectEvent>& events, std::uint32_t unit) {
  events.push_back(unicodeEvent(static_cast<std::uint16_t>(unit), false));
  events.push_back(unicodeEvent(static_cast<std::uint16_t>(unit), true));
}

// Text must never combine into a shortcut; Shift only changes case, which the text already has.
bool shortcutModifierHeld(const HeldInput& held) {
  const ModifierState modifiers = held.modifierState();
  return modifiers.ctrl || modifiers.alt || modifiers.win;
}

void translateText(HeldInput& held, InjectBatch& batch, const WireMessage& message) {
  const std::string& text = message.text;
  std::size_t units = 0;
  for (std::size_t at = 0; at < text.size();) {
    const std::uint32_t point = nextCodePoint(text, at);
    const bool lineBreakOrTab = point == '\n' || point == '\r' || point == '\t';
    if (isControlCharacter(point) && !lineBreakOrTab) {
      recordReject(held, batch, InjectReject::TextControlCharacter);
      return;
    }
    units += point > 0xFFFF ? 2 : 1;
  }
  if (units > kMaxTextUnits) {
    recordReject(held, batch, InjectReject::TextTooLong);
    return;
  }
  if (text.empty()) return;
  if (shortcutModifierHeld(held)) {
    recordReject(held, batch, InjectReject::TextWithModifierHeld);
    return;
  }
  batch.events.reserve(2 * units);
  for (std::size_t at = 0; at < text.size();) {
    const std::uint32_t point = nextCodePoint(text, at);
    if (point == '\r' || point == '\n') {
      // "\r\n" is one line break, like "\r" and "\n" alone.
      if (point == '\r' && at < text.size() && text[at] == '\n') ++at;
      // Many controls ignore a carriage return typed as a character: Enter is a key.
      appendKeyPress(batch.events, kEnterScanId);
    } else if (point == '\t') {
      appendKeyPress(batch.events, kTabScanId);
    } else if (point > 0xFFFF) {
      const std::uint32_t offset = point - 0x10000;
      appendUnit(batch.events, 0xD800 + (offset >> 10));
      appendUnit(batch.events, 0xDC00 + (offset & 0x3FF));
    } else {
      appendUnit(batch.events, point);
    }
  }
}

}  // namespace

InjectBatch translateMessage(HeldInput& held, const WireMessage& message,
                             const PointerGeometry& geometry, ButtonLayout layout) {
  InjectBatch batch;
  translateInto(held, message, geometry, layout, batch);
  return batch;
}

void translateInto(HeldInput& held, const WireMessage& message, const PointerGeometry& geometry,
                   ButtonLayout layout, InjectBatch& batch) {
  batch.reject = InjectReject::None;
  batch.firstOfKind = false;
  batch.clamped = false;
  switch (message.kind) {
    case WireKind::Move:
      batch.events.reserve(kMoveEventsMax);
      appendPointerMove(held, batch, message, geometry);
      break;
    case WireKind::ButtonDown:
      translateButtonDown(held, batch, message, geometry, layout);
      break;
    case WireKind::ButtonUp:
      translateButtonUp(held, batch, message, geometry);
      break;
    case WireKind::Wheel:
      translateWheel(held, batch, message);
      break;
    case WireKind::KeyDown:
      translateKeyDown(held, batch, message);
      break;
    case WireKind::KeyUp:
      translateKeyUp(held, batch, message);
      break;
    case WireKind::ReleaseAll:
      break;
    case WireKind::Text:
      translateText(held, batch, message);
      break;
  }
}

}  // namespace orvane::win
