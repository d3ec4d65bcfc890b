// Names of the translator's refusals, as the frame handler logs them.
#include "win/inject_reject.h"

#include <array>

#include "host/dcheck.h"

namespace orvane::win {

const char* injectRejectName(InjectReject reject) {
  static constexpr std::array<const char*, kInjectRejectCount> kNames = {
      "none",
      "not-keyboard-page",
      "unmapped-usage",
      "caps-lock",
      "power-class",
      "release-only-key",
      "no-injectable-scan-code",
      "ctrl-alt-del",
      "win-l",
      "button-not-held",
      "button-already-held",
      "key-not-held",
      "bad-geometry",
      "text-control-character",
      "text-too-long",
      "text-with-modifier-held",
  };
  static_assert(host::allNamed(kNames), "every value has its text");
  const auto index = static_cast<int>(reject);
  if (index < 0 || static_cast<std::size_t>(index) >= kNames.size()) return "unknown";
  return kNames[static_cast<std::size_t>(index)];
}

}  // namespace orvane::win
