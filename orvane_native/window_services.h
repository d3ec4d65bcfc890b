// The runner's top-level window: finding it, asking it to close, keeping it on top.
#ifndef ORVANE_NATIVE_WINDOW_SERVICES_H_
#define ORVANE_NATIVE_WINDOW_SERVICES_H_

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace orvane_native {

// Contract: platform thread; no state; nothing here waits.

// The root ancestor of the view's window (GetAncestor with GA_ROOT): the runner's main window,
// which holds the view as a child. Null when viewWindow is null (an engine without a view) or
// has no root.
HWND GetTopLevelWindow(HWND viewWindow);

// Asks the runner to close: posts WM_CLOSE to topLevelWindow, so the runner closes as if the user
// had closed it. With no top-level window, writes that through `log` and ends this thread's
// message loop with PostQuitMessage(0) instead.
void RequestQuit(HWND topLevelWindow, const std::function<void(const std::string&)>& log);

// Moves topLevelWindow into the topmost band (onTop) or out of it, keeping its position, size
// and activation. On failure returns false and sets *win32Error: ERROR_INVALID_WINDOW_HANDLE
// (1400) when topLevelWindow is null, otherwise SetWindowPos's last error.
bool SetTopmost(HWND topLevelWindow, bool onTop, std::uint32_t* win32Error);

}  // namespace orvane_native

#endif  // ORVANE_NATIVE_WINDOW_SERVICES_H_
