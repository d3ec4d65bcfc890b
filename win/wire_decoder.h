// Decoding of the controller's JSON input frames into WireMessage records. Checks form only;
// whether a message can be injected is the translator's decision.
#ifndef ORVANE_WIN_WIRE_DECODER_H_
#define ORVANE_WIN_WIRE_DECODER_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace orvane::win {

enum class WireKind : std::uint32_t {
  Move = 0,
  ButtonDown = 1,
  ButtonUp = 2,
  Wheel = 3,
  KeyDown = 4,
  KeyUp = 5,
  ReleaseAll = 6,
  Text = 7,
};

// One decoded message. Fields the kind does not use are zero or empty; only a text message's
// text owns memory.
struct WireMessage {
  WireKind kind = WireKind::ReleaseAll;
  double x = 0.0;           // pointer fraction 0..1 (Move, ButtonDown, ButtonUp)
  double y = 0.0;           // pointer fraction 0..1
  std::int32_t button = 0;  // 0 left, 1 right, 2 middle, 3 and 4 extra (ButtonDown, ButtonUp)
  double dx = 0.0;          // wheel movement, 60 units a notch (Wheel)
  double dy = 0.0;
  std::uint32_t hid = 0;  // HID usage: page << 16 | id (KeyDown, KeyUp)
  bool repeat = false;    // automatic repeat (KeyDown)
  std::string text;       // valid UTF-8, escapes decoded (Text)
};

enum class WireReject : int {
  None = 0,
  NotAnObject = 1,
  NoType = 2,
  MoveWithoutPosition = 3,
  BadButton = 4,
  ButtonWithoutPosition = 5,
  WheelWithoutAxes = 6,
  KeyDownWithoutUsage = 7,
  KeyDownBadRepeat = 8,
  KeyUpWithoutUsage = 9,
  UnknownType = 10,
  TextWithoutString = 11,
};

// Decodes one frame of size bytes (no terminating zero needed; a zero byte anywhere refuses it).
// Returns true and fills out on success; returns false and leaves out exactly as passed on
// refusal. When reject is not null it receives the reason (None on success). Never throws; keeps
// no state, so any thread may call it concurrently.
bool decodeWire(const char* data, std::size_t size, WireMessage& out, WireReject* reject);

// Description of a refusal ("not a JSON object", ...); "unknown" outside the enumeration. Never
// null; the text is static and zero-terminated.
const char* wireRejectText(WireReject reject);

}  // namespace orvane::win

#endif  // ORVANE_WIN_WIRE_DECODER_H_
