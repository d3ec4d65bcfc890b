// The system's own record of one injected mouse or keyboard event, and the result of translating
// one wire message. Converted to the platform's input record only at the injection call.
#ifndef ORVANE_WIN_INJECT_EVENT_H_
#define ORVANE_WIN_INJECT_EVENT_H_

#include <array>
#include <cstdint>
#include <vector>

#include "win/inject_reject.h"

namespace orvane::win {

// Extra-information value stamped on every event we inject, so our own input can be recognised.
inline constexpr std::uint64_t kInjectedTag = 0x4F52564E;

// Mouse-event flags (the platform's MOUSEEVENTF_* values).
inline constexpr std::uint32_t kMouseMove = 0x0001;
inline constexpr std::uint32_t kMouseLeftDown = 0x0002;
inline constexpr std::uint32_t kMouseLeftUp = 0x0004;
inline constexpr std::uint32_t kMouseRightDown = 0x0008;
inline constexpr std::uint32_t kMouseRightUp = 0x0010;
inline constexpr std::uint32_t kMouseMiddleDown = 0x0020;
inline constexpr std::uint32_t kMouseMiddleUp = 0x0040;
inline constexpr std::uint32_t kMouseExtraDown = 0x0080;  // MOUSEEVENTF_XDOWN, button in mouseData
inline constexpr std::uint32_t kMouseExtraUp = 0x0100;    // MOUSEEVENTF_XUP
inline constexpr std::uint32_t kMouseWheel = 0x0800;
inline constexpr std::uint32_t kMouseHorizontalWheel = 0x1000;
inline constexpr std::uint32_t kMouseVirtualDesk = 0x4000;
inline constexpr std::uint32_t kMouseAbsolute = 0x8000;
// An absolute pointer move; the reach probe watches such moves.
inline constexpr std::uint32_t kAbsoluteMove = kMouseMove | kMouseAbsolute;

// Key-event flags (the platform's KEYEVENTF_* values).
inline constexpr std::uint32_t kKeyExtended = 0x0001;
inline constexpr std::uint32_t kKeyUp = 0x0002;
inline constexpr std::uint32_t kKeyUnicode = 0x0004;  // the scan field carries a UTF-16 unit
inline constexpr std::uint32_t kKeyScanCode = 0x0008;

// Wheel delta of one notch.
inline constexpr std::int32_t kWheelNotch = 120;

// Mouse buttons as numbered on the wire: 0 left, 1 right, 2 middle, 3 and 4 the first and second
// extra button (back and forward), which share one flag pair and are told apart by mouseData
// (XBUTTON1, XBUTTON2). mouseData cannot carry a wheel delta in the same record.
inline constexpr std::int32_t kButtonCount = 5;
inline constexpr std::array<std::uint32_t, kButtonCount> kButtonDownFlags = {
    kMouseLeftDown, kMouseRightDown, kMouseMiddleDown, kMouseExtraDown, kMouseExtraDown};
inline constexpr std::array<std::uint32_t, kButtonCount> kButtonUpFlags = {
    kMouseLeftUp, kMouseRightUp, kMouseMiddleUp, kMouseExtraUp, kMouseExtraUp};
inline constexpr std::array<std::uint32_t, kButtonCount> kButtonMouseData = {0, 0, 0, 1, 2};

enum class InjectEventKind : std::uint32_t { Mouse = 0, Keyboard = 1 };

// One event. Mouse fields are zero in a keyboard event and the other way round.
struct InjectEvent {
  InjectEventKind kind = InjectEventKind::Mouse;
  std::int32_t dx = 0;          // mouse: absolute x (0..65535) for moves
  std::int32_t dy = 0;          // mouse: absolute y
  std::uint32_t mouseData = 0;  // mouse: wheel delta, two's complement
  std::uint16_t vk = 0;         // keyboard: 0 for keys sent by scan code; the mask key's vk
  std::uint16_t scan = 0;       // keyboard: low byte of the scan id
  std::uint32_t flags = 0;      // kMouse* or kKey* flags
  std::uint32_t time = 0;       // always 0: the system stamps the event
  std::uint64_t extraInfo = 0;  // kInjectedTag once built by the helpers below
};

// A tagged mouse event.
InjectEvent mouseEvent(std::int32_t dx, std::int32_t dy, std::uint32_t mouseData,
                       std::uint32_t flags);

// A tagged down or up of a host button (0..kButtonCount-1), without movement.
InjectEvent buttonEvent(std::int32_t hostButton, bool up);

// A tagged key event that types one UTF-16 code unit (KEYEVENTF_UNICODE: the unit in the scan
// field, no virtual key), whatever the host's keyboard layout.
InjectEvent unicodeEvent(std::uint16_t unit, bool keyUp);

// A tagged key event for a scan id (0xE0 in the high byte marks an extended key), sent by scan
// code with no virtual key.
InjectEvent keyEvent(std::uint16_t scanId, bool keyUp);

// A virtual key no keyboard layout or application uses. Pressed and released right before the
// modifier key-ups of a release, so Windows never sees Alt or a Windows key go down and up with
// nothing between (which opens the window's menu bar or the Start menu) nor a modifier pair come
// up on its own (which can switch the keyboard language).
inline constexpr std::uint16_t kMaskVirtualKey = 0xE8;

// A tagged key event by virtual key, with no scan code.
InjectEvent virtualKeyEvent(std::uint16_t virtualKey, bool keyUp);

// True for the mask key's down or up (virtualKeyEvent with kMaskVirtualKey).
bool isMaskEvent(const InjectEvent& event);

// The result of translating one message: events in injection order (possibly none), and at most
// one refusal. firstOfKind is set when this refusal value was never reported before in the
// held-input record's life; clamped when the pointer mapping had to clamp a position.
struct InjectBatch {
  std::vector<InjectEvent> events;
  InjectReject reject = InjectReject::None;
  bool firstOfKind = false;
  bool clamped = false;
};

}  // namespace orvane::win

#endif  // ORVANE_WIN_INJECT_EVENT_H_
