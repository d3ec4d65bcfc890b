// The input seam: every operating-system call the injection thread makes, behind one interface,
// so the injector's logic runs and is tested on any platform.
//
// Contract: an InputSystem is owned by exactly one injector and called only from its injection
// thread; implementations need no locking. Nothing here throws.
#ifndef ORVANE_WIN_INPUT_SYSTEM_H_
#define ORVANE_WIN_INPUT_SYSTEM_H_

#include <cstdint>
#include <vector>

#include "win/inject_event.h"

namespace orvane::win {

// A screen position in physical pixels.
struct CursorPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

// GetSystemMetrics indices the injector reads.
inline constexpr std::int32_t kMetricPrimaryWidth = 0;    // SM_CXSCREEN
inline constexpr std::int32_t kMetricPrimaryHeight = 1;   // SM_CYSCREEN
inline constexpr std::int32_t kMetricSwapButton = 23;     // SM_SWAPBUTTON
inline constexpr std::int32_t kMetricVirtualLeft = 76;    // SM_XVIRTUALSCREEN
inline constexpr std::int32_t kMetricVirtualTop = 77;     // SM_YVIRTUALSCREEN
inline constexpr std::int32_t kMetricVirtualWidth = 78;   // SM_CXVIRTUALSCREEN
inline constexpr std::int32_t kMetricVirtualHeight = 79;  // SM_CYVIRTUALSCREEN
inline constexpr std::int32_t kMetricMonitorCount = 80;   // SM_CMONITORS

// What mapping a frame needs to know of the desktop. Read in one go and kept until the desktop
// may have changed, so that steady frames cost no seam call besides SendInput.
struct DesktopFacts {
  std::int32_t monitorCount = 0;
  std::int32_t primaryWidth = 0;
  std::int32_t primaryHeight = 0;
  std::int32_t virtualLeft = 0;
  std::int32_t virtualTop = 0;
  std::int32_t virtualWidth = 0;
  std::int32_t virtualHeight = 0;
};

class InputSystem {
 public:
  virtual ~InputSystem() = default;

  // Injects the whole batch with one SendInput call and returns how many events the system took.
  // Never called with an empty batch.
  virtual std::uint32_t sendInput(const std::vector<InjectEvent>& events) = 0;
  // The calling thread's last error code, read right after a short sendInput.
  virtual std::uint32_t getLastError() = 0;
  // GetAsyncKeyState: negative while the key is down, the low bit set when it was pressed since
  // the previous poll.
  virtual std::int16_t getAsyncKeyState(std::int32_t virtualKey) = 0;
  // False when the position could not be read; point is then left as it was.
  virtual bool getPhysicalCursorPos(CursorPoint& point) = 0;
  virtual std::int32_t getSystemMetrics(std::int32_t index) = 0;
};

// The monitor count, the primary display's size and the virtual desktop's metrics, through
// getSystemMetrics.
DesktopFacts readDesktopFacts(InputSystem& system);

}  // namespace orvane::win

#endif  // ORVANE_WIN_INPUT_SYSTEM_H_
