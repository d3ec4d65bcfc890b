// The clipboard bridge: a change counter, and Unicode text read and written with respect for
// content its owner marked as private.
#ifndef ORVANE_NATIVE_CLIPBOARD_H_
#define ORVANE_NATIVE_CLIPBOARD_H_

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "service_error.h"

namespace orvane_native {

// Contract: platform thread. The clipboard is opened and closed within each call and never held
// between calls; nothing is cached. ownerWindow is the window the clipboard is opened with: it
// owns what a write puts there. With null, an emptied clipboard has no owner, and Windows then
// refuses SetClipboardData: writers pass a window.

// Failure texts, as the error replies carry them.
inline constexpr std::string_view kClipboardBusyCode = "clipboard_busy";
inline constexpr std::string_view kClipboardBusyMessage = "OpenClipboard failed";
inline constexpr std::string_view kClipboardWriteFailedCode = "clipboard_write_failed";
inline constexpr std::string_view kClipboardWriteFailedMessage = "SetClipboardData failed";

// The clipboard's sequence number, widened. Does not open the clipboard; never fails.
std::int64_t ClipboardChangeCount();

struct ClipboardReadResult {
  // Set when the clipboard could not be opened ("clipboard_busy", no Win32 error); text is then
  // empty.
  std::optional<ServiceError> error;
  // The text, possibly empty; no value when there is no Unicode text or the content is marked
  // private ("ExcludeClipboardContentFromMonitorProcessing" present, or
  // "CanIncludeInClipboardHistory" holding 0).
  std::optional<std::string> text;
  // The content is marked private (text is then empty whatever the clipboard holds).
  bool markedPrivate = false;
};

ClipboardReadResult ClipboardRead(HWND ownerWindow);

// Replaces the clipboard's content with the UTF-8 text as CF_UNICODETEXT. No value on success.
// Otherwise "clipboard_busy" (clipboard unchanged), or "clipboard_write_failed" with the Win32
// error of the allocation, lock or SetClipboardData step that failed (clipboard left empty).
std::optional<ServiceError> ClipboardWrite(HWND ownerWindow, std::string_view text);

}  // namespace orvane_native

#endif  // ORVANE_NATIVE_CLIPBOARD_H_
