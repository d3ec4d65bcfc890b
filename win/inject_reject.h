// Refusals of a well-formed input message at translation time, with the names the frame handler
// logs. Thread-safe: the names are static text.
#ifndef ORVANE_WIN_INJECT_REJECT_H_
#define ORVANE_WIN_INJECT_REJECT_H_

#include <cstddef>

namespace orvane::win {

// Values are stable: they are indexes into the once-per-injector report set.
enum class InjectReject : int {
  None = 0,
  NotKeyboardPage = 1,
  UnmappedUsage = 2,
  CapsLock = 3,
  PowerClass = 4,
  ReleaseOnlyKey = 5,
  NoInjectableScanCode = 6,
  CtrlAltDel = 7,
  WinL = 8,
  ButtonNotHeld = 9,
  ButtonAlreadyHeld = 10,
  KeyNotHeld = 11,
  BadGeometry = 12,
  TextControlCharacter = 13,
  TextTooLong = 14,
  TextWithModifierHeld = 15,
};

// Number of enumerators, None included.
inline constexpr std::size_t kInjectRejectCount = 16;

// The kebab-case name ("not-keyboard-page", ...); "unknown" for a value outside the enumeration.
// Never null; the text is static and zero-terminated.
const char* injectRejectName(InjectReject reject);

}  // namespace orvane::win

#endif  // ORVANE_WIN_INJECT_REJECT_H_
