// Observes the keyboard and mouse input that actually reaches the system, through low-level
// hooks on a thread of the observer's own, and records every event for tools and tests.
#ifndef RUNNER_INPUT_OBSERVER_H_
#define RUNNER_INPUT_OBSERVER_H_

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace orvane::runner {

enum class ObservedKind : std::uint8_t {
  Key,
  Move,
  LeftDown,
  LeftUp,
  RightDown,
  RightUp,
  MiddleDown,
  MiddleUp,
  Wheel,
  HWheel,
  X1Down,  // the first extra button (back)
  X1Up,
  X2Down,  // the second extra button (forward)
  X2Up,
  OtherMouse,  // anything else the mouse hook reports
};

// One event as the low-level hook saw it. Key fields are zero for mouse events and vice versa.
struct ObservedEvent {
  ObservedKind kind = ObservedKind::Key;
  // Keyboard.
  std::uint32_t scanCode = 0;
  std::uint32_t virtualKey = 0;
  bool extended = false;  // LLKHF_EXTENDED
  bool keyUp = false;     // LLKHF_UP, or the hook's message a key-up one (below)
  // Mouse: the point in screen coordinates, and the signed wheel delta for Wheel and HWheel.
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int16_t wheelDelta = 0;
  // Both.
  bool injected = false;  // LLKHF_INJECTED / LLMHF_INJECTED
  std::uintptr_t extraInfo = 0;
};

// Contract:
// - Start installs WH_KEYBOARD_LL and WH_MOUSE_LL on a new thread that runs its own message loop
//   (a low-level hook runs on the thread that installed it). That thread never waits for anyone
//   else, so code that injects input from any other thread cannot deadlock with it.
// - The per-event callback, if any, runs on the hook thread after the event is recorded; it must
//   be quick, since the system waits for the hook before delivering the input.
// - Snapshot, Take and WaitForCount may be called from any thread at any time.
// - The destructor stops the hook thread and joins it. One observer owns one hook thread; several
//   observers may run at once.
class InputObserver {
 public:
  using Callback = std::function<void(const ObservedEvent&)>;

  InputObserver() = default;
  ~InputObserver();

  InputObserver(const InputObserver&) = delete;
  InputObserver& operator=(const InputObserver&) = delete;

  // Starts the hook thread and returns once both hooks are installed: true. False when a hook
  // could not be installed (the thread has then ended) or the observer is already running.
  bool Start(Callback onEvent = nullptr);

  // Removes the hooks and joins the hook thread. Recorded events are kept. Safe to call twice.
  void Stop();

  // The events recorded so far, oldest first; Take also clears them.
  std::vector<ObservedEvent> Snapshot() const;
  std::vector<ObservedEvent> Take();

  // Waits until at least count events are recorded or limitMs runs out; true in the first case.
  bool WaitForCount(std::size_t count, std::int64_t limitMs) const;

  // Called by the hook procedures on the hook thread.
  void Record(const ObservedEvent& event);

 private:
  void RunHookThread();

  Callback onEvent_;
  std::thread hookThread_;
  std::uint32_t hookThreadId_ = 0;  // Written before Start returns, read by Stop.

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::vector<ObservedEvent> events_;
  bool startFinished_ = false;
  bool hooksInstalled_ = false;
};

}  // namespace orvane::runner

#endif  // RUNNER_INPUT_OBSERVER_H_
