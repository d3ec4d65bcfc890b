// Win32 input system: our InjectEvent records become INPUT structures only here, at the call.
#include "win/input_system_win32.h"

#include <windows.h>

#include <cstddef>
#include <vector>

namespace orvane::win {

namespace {

#ifdef _WIN64
// SendInput refuses a cbSize other than the real INPUT size; catch a layout surprise at build
// time instead of as ERROR_INVALID_PARAMETER at run time.
static_assert(sizeof(INPUT) == 40, "INPUT must be 40 bytes on 64-bit Windows");
#endif

// Room for a whole release (buttons, keys) without growing on the first frames.
constexpr std::size_t kScratchReserve = 16;

class Win32InputSystem final : public InputSystem {
 public:
  Win32InputSystem() { eventScratch_.reserve(kScratchReserve); }

  std::uint32_t sendInput(const std::vector<InjectEvent>& events) override {
    eventScratch_.resize(events.size());
    for (std::size_t i = 0; i < events.size(); ++i) {
      eventScratch_[i] = toInput(events[i]);
    }
    return SendInput(static_cast<UINT>(eventScratch_.size()), eventScratch_.data(),
                     static_cast<int>(sizeof(INPUT)));
  }

  std::uint32_t getLastError() override { return GetLastError(); }

  std::int16_t getAsyncKeyState(std::int32_t virtualKey) override {
    return GetAsyncKeyState(virtualKey);
  }

  bool getPhysicalCursorPos(CursorPoint& point) override {
    POINT read{};
    if (!GetPhysicalCursorPos(&read)) {
      return false;
    }
    point.x = read.x;
    point.y = read.y;
    return true;
  }

  std::int32_t getSystemMetrics(std::int32_t index) override { return GetSystemMetrics(index); }

 private:
  static INPUT toInput(const InjectEvent& event) {
    INPUT input{};
    if (event.kind == InjectEventKind::Keyboard) {
      input.type = INPUT_KEYBOARD;
      input.ki.wVk = event.vk;
      input.ki.wScan = event.scan;
      input.ki.dwFlags = event.flags;
      input.ki.time = event.time;
      input.ki.dwExtraInfo = static_cast<ULONG_PTR>(event.extraInfo);
    } else {
      input.type = INPUT_MOUSE;
      input.mi.dx = event.dx;
      input.mi.dy = event.dy;
      // Wheel deltas travel as two's complement in an unsigned field.
      input.mi.mouseData = event.mouseData;
      input.mi.dwFlags = event.flags;
      input.mi.time = event.time;
      input.mi.dwExtraInfo = static_cast<ULONG_PTR>(event.extraInfo);
    }
    return input;
  }

  std::vector<INPUT> eventScratch_;
};

}  // namespace

std::unique_ptr<InputSystem> makePlatformInputSystem() {
  return std::make_unique<Win32InputSystem>();
}

}  // namespace orvane::win
