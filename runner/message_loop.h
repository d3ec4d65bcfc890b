// The runner's message loop: pumps the calling thread's messages for a while, until a condition
// holds or until WM_QUIT.
#ifndef RUNNER_MESSAGE_LOOP_H_
#define RUNNER_MESSAGE_LOOP_H_

#include <cstdint>
#include <functional>

namespace orvane::runner {

enum class PumpEnd {
  Condition,  // `done` returned true
  Quit,       // WM_QUIT was taken from the queue
  TimeLimit,  // the limit passed first
};

struct PumpResult {
  PumpEnd end = PumpEnd::TimeLimit;
  int quitCode = 0;  // WM_QUIT's exit code, when end is Quit
};

// Dispatches the calling thread's messages (to every window of the thread) until `done` returns
// true, WM_QUIT arrives, or limitMs passes. `done`, when given, is checked first, after every
// message and at least every few milliseconds while the queue is empty, so it may also watch
// work done by other threads. A WM_QUIT taken here is consumed: a caller that is not the loop's
// owner should post it again (PostQuitMessage) so the owner still ends. A negative limit counts
// as 0: pending messages are dispatched once and the call returns.
PumpResult PumpMessages(std::int64_t limitMs, const std::function<bool()>& done = {});

}  // namespace orvane::runner

#endif  // RUNNER_MESSAGE_LOOP_H_
