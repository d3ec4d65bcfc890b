// The runner's message loop: PeekMessage and dispatch, waiting with MsgWaitForMultipleObjectsEx.
#include "runner/message_loop.h"

#include <windows.h>

#include <algorithm>
#include <chrono>

namespace orvane::runner {

namespace {

// How often `done` is polled while no message arrives: it may depend on another thread's work,
// which wakes no message queue.
constexpr std::int64_t kPollSliceMs = 5;

}  // namespace

PumpResult PumpMessages(std::int64_t limitMs, const std::function<bool()>& done) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline =
      Clock::now() + std::chrono::milliseconds(std::max<std::int64_t>(limitMs, 0));
  PumpResult result;
  for (;;) {
    if (done && done()) {
      result.end = PumpEnd::Condition;
      return result;
    }
    MSG message;
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        result.end = PumpEnd::Quit;
        result.quitCode = static_cast<int>(message.wParam);
        return result;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
      continue;
    }
    const std::int64_t remainingMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (remainingMs <= 0) {
      result.end = PumpEnd::TimeLimit;
      return result;
    }
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(std::min(remainingMs, kPollSliceMs)),
                                QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

}  // namespace orvane::runner
