// The Win32 input system: SendInput, GetLastError, GetAsyncKeyState, GetPhysicalCursorPos and
// GetSystemMetrics from user32. Windows builds only.
//
// Contract: like every InputSystem, owned by one injector and called on its injection thread
// only. It owns the reusable INPUT array, so steady injection does not allocate.
#ifndef ORVANE_WIN_INPUT_SYSTEM_WIN32_H_
#define ORVANE_WIN_INPUT_SYSTEM_WIN32_H_

#include <memory>

#include "win/input_system.h"

namespace orvane::win {

// The platform's default input system, for the plugin's injector.
std::unique_ptr<InputSystem> makePlatformInputSystem();

}  // namespace orvane::win

#endif  // ORVANE_WIN_INPUT_SYSTEM_WIN32_H_
