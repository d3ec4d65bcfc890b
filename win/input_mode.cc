// Input mode texts and frame admission.
#include "win/input_mode.h"

namespace orvane::win {

const char* inputModeText(InputMode mode) {
  return mode == InputMode::Control ? "control" : "view";
}

bool parseInputMode(std::string_view text, InputMode& mode) {
  if (text == "view") {
    mode = InputMode::View;
    return true;
  }
  if (text == "control") {
    mode = InputMode::Control;
    return true;
  }
  return false;
}

Admission admitFrame(WireKind kind, bool peerConnected, InputMode mode) {
  if (peerConnected && mode == InputMode::Control) {
    return Admission::Full;
  }
  switch (kind) {
    case WireKind::ButtonUp:
    case WireKind::KeyUp:
    case WireKind::ReleaseAll:
      return Admission::ReleaseOnly;
    default:
      return Admission::Drop;
  }
}

}  // namespace orvane::win
