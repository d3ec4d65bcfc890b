// Builders of tagged injection events.
#include "win/inject_event.h"

#include "win/hid_usage_table.h"

namespace orvane::win {

InjectEvent mouseEvent(std::int32_t dx, std::int32_t dy, std::uint32_t mouseData,
                       std::uint32_t flags) {
  InjectEvent event;
  event.kind = InjectEventKind::Mouse;
  event.dx = dx;
  event.dy = dy;
  event.mouseData = mouseData;
  event.flags = flags;
  event.extraInfo = kInjectedTag;
  return event;
}

InjectEvent buttonEvent(std::int32_t hostButton, bool up) {
  const auto index = static_cast<std::size_t>(hostButton);
  return mouseEvent(0, 0, kButtonMouseData[index],
                    up ? kButtonUpFlags[index] : kButtonDownFlags[index]);
}

InjectEvent unicodeEvent(std::uint16_t unit, bool keyUp) {
  InjectEvent event;
  event.kind = InjectEventKind::Keyboard;
  event.scan = unit;
  event.flags = kKeyUnicode | (keyUp ? kKeyUp : 0U);
  event.extraInfo = kInjectedTag;
  return event;
}

InjectEvent keyEvent(std::uint16_t scanId, bool keyUp) {
  const ScanParts parts = splitScanId(scanId);
  InjectEvent event;
  event.kind = InjectEventKind::Keyboard;
  event.scan = parts.scanCode;
  // By scan code with no virtual key, so the host's keyboard layout decides the character. The
  // extended flag is what tells right Ctrl from left Ctrl, arrows from the keypad, and so on.
  event.flags = kKeyScanCode | (keyUp ? kKeyUp : 0U) | (parts.extended ? kKeyExtended : 0U);
  event.extraInfo = kInjectedTag;
  return event;
}

InjectEvent virtualKeyEvent(std::uint16_t virtualKey, bool keyUp) {
  InjectEvent event;
  event.kind = InjectEventKind::Keyboard;
  event.vk = virtualKey;
  event.flags = keyUp ? kKeyUp : 0U;
  event.extraInfo = kInjectedTag;
  return event;
}

bool isMaskEvent(const InjectEvent& event) {
  return event.kind == InjectEventKind::Keyboard && event.vk == kMaskVirtualKey &&
         (event.flags & kKeyScanCode) == 0;
}

}  // namespace orvane::win
