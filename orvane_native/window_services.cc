// The runner's top-level window: finding it, asking it to close, keeping it on top.
#include "window_services.h"

namespace orvane_native {

namespace {

constexpr int kQuitExitCode = 0;
constexpr UINT kTopmostFlags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE;

}  // namespace

HWND GetTopLevelWindow(HWND viewWindow) {
  if (viewWindow == nullptr) return nullptr;
  return GetAncestor(viewWindow, GA_ROOT);
}

void RequestQuit(HWND topLevelWindow, const std::function<void(const std::string&)>& log) {
  if (topLevelWindow != nullptr) {
    // Best effort: the reply has already gone, and a window that cannot take the message is
    // closing anyway.
    PostMessageW(topLevelWindow, WM_CLOSE, 0, 0);
    return;
  }
  log("quit: no top-level window; asking this thread's message loop to end instead");
  PostQuitMessage(kQuitExitCode);
}

bool SetTopmost(HWND topLevelWindow, bool onTop, std::uint32_t* win32Error) {
  if (topLevelWindow == nullptr) {
    *win32Error = ERROR_INVALID_WINDOW_HANDLE;
    return false;
  }
  const HWND insertAfter = onTop ? HWND_TOPMOST : HWND_NOTOPMOST;
  if (!SetWindowPos(topLevelWindow, insertAfter, 0, 0, 0, 0, kTopmostFlags)) {
    *win32Error = GetLastError();
    return false;
  }
  return true;
}

}  // namespace orvane_native
