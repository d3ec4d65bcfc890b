// The injector's two input modes and the admission of a decoded frame by mode and link state.
// Pure functions; any thread.
#ifndef ORVANE_WIN_INPUT_MODE_H_
#define ORVANE_WIN_INPUT_MODE_H_

#include <cstdint>
#include <string_view>

#include "win/wire_decoder.h"

namespace orvane::win {

// In View nothing but releases reaches the desktop; in Control, with the link up, the controller
// drives the host's keyboard and mouse.
enum class InputMode : std::int32_t { View = 0, Control = 1 };

// "control" for Control, "view" for every other value (log lines only).
const char* inputModeText(InputMode mode);

// Exactly "view" or "control"; false, with mode untouched, for every other text.
bool parseInputMode(std::string_view text, InputMode& mode);

enum class Admission : std::int32_t {
  Full = 0,         // handled whatever its kind
  ReleaseOnly = 1,  // a release kind, handled although the frame would otherwise not be
  Drop = 2,         // ignored without a trace
};

// Releases pass in every state, so anything pressed while in control can always be let go.
Admission admitFrame(WireKind kind, bool peerConnected, InputMode mode);

}  // namespace orvane::win

#endif  // ORVANE_WIN_INPUT_MODE_H_
