// InputInjector: turns the controller's input frames into real input on the host's desktop, and
// guarantees that whatever it pressed can always be released.
//
// Contract:
// - Threads: construct, destroy and call every public member on one thread (the platform
//   thread). Each call only queues work for the injector's own worker (the injection thread),
//   which does all input work in exactly the order the calls were made, less the stale frames
//   below. A frame costs the caller one copy of its text into the pending frames and, when no
//   drain task is queued, one post; it is never decoded on the calling thread. Only
//   releaseAllAndWait and destruction wait, and always with a limit.
// - Stale frames: setPeerConnected(false), setInputMode from control to view, releaseHeldInput,
//   releaseAllAndWait and destruction discard, undecoded, every frame queued before the call and
//   not yet started (setPeerConnected(false) keeps those that may be releases: nothing else lets
//   go of their keys). The call's own work then runs as soon as the frame in progress is done.
//   Every other task keeps its place; the injector writes "input: discarded N stale frame(s)
//   (CAUSE)" and raises an InputDiscarded event. Guaranteed by the stamps of pending_frames.h:
//   the discard and the call's stamp are taken together, under the pending frames' lock.
// - Backlog: pending frames are bounded (pending_frames.h); moves waiting behind a move collapse
//   or share one SendInput call (injector_core.h).
// - Nothing about a frame's fate is returned: problems become at most one log line each, through
//   the log sink, which is called from the injection thread and, at teardown and on a release
//   time-out, from the calling thread.
//   The event sink, when given, hears of reach verdict changes, releases and refusals (at most
//   one per refusal kind per second), on the injection thread only.
// - Start state: mode Control with the link down, so only releases reach the desktop until
//   setPeerConnected(true).
// - Ownership: the injector owns its input system and its queue. State is shared with the tasks
//   it posts, so a worker left running after a failed shutdown never touches freed memory.
// - Destruction stops the local input monitor, discards the frames still queued, releases held
//   input ("destructor", up to 1000 ms), then stops the worker (up to 1000 ms). A worker stuck in
//   SendInput past both limits is left behind and releases what is held once it returns.
#ifndef ORVANE_WIN_INPUT_INJECTOR_H_
#define ORVANE_WIN_INPUT_INJECTOR_H_

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "win/held_input_watchdog.h"
#include "win/injector_core.h"
#include "win/injector_event.h"
#include "win/input_mode.h"
#include "win/input_system.h"
#include "win/local_input_monitor.h"
#include "win/pending_frames.h"
#include "win/pointer_geometry.h"

namespace orvane::win {

class InputInjector {
 public:
  static constexpr std::int64_t kDestructorReleaseLimitMs = 1000;
  static constexpr std::int64_t kShutdownLimitMs = 1000;

  // inputSystem must not be null.
  InputInjector(LogSink logSink, std::unique_ptr<InputSystem> inputSystem);
  // The same, also telling eventSink (injector_event.h) about verdicts, releases and refusals.
  InputInjector(LogSink logSink, InjectorEventSink eventSink,
                std::unique_ptr<InputSystem> inputSystem);
  // The same, with the monitor that setLocalInputPriority starts and stops (may be null: the
  // setting can then not be turned on).
  InputInjector(LogSink logSink, InjectorEventSink eventSink,
                std::unique_ptr<InputSystem> inputSystem,
                std::unique_ptr<LocalInputMonitor> localInputMonitor);
  ~InputInjector();

  InputInjector(const InputInjector&) = delete;
  InputInjector& operator=(const InputInjector&) = delete;

  // One JSON frame from the controller; decoded, admitted, translated and injected later.
  void injectInput(std::string frame);
  // Whether the link to the controller is up. Changes nothing else: no line, no release.
  void setPeerConnected(bool connected);
  // From the next frame on, pointer positions are fractions of `capture` (virtual-desktop pixels,
  // right and bottom exclusive) instead of the primary display; no value returns to the primary
  // display. Applied in order with the frames around it.
  void setCaptureRect(std::optional<CaptureRect> capture);
  // The desktop may have changed (WM_DISPLAYCHANGE, WM_SETTINGCHANGE): its monitor count and
  // virtual-desktop metrics are read again for the next frame that needs them. Applied in order.
  void refreshDesktop();
  // Switching from Control to View releases everything held.
  void setInputMode(InputMode mode);
  // Releases everything held, then sweeps the modifiers; does not wait.
  void releaseHeldInput(std::string reason);
  // The same, waiting at most limitMs for it to finish. On a time-out writes a line and returns
  // false; the release still runs when the injection thread gets to it.
  bool releaseAllAndWait(std::string reason, std::int64_t limitMs);

  // Local input priority. While on, input at the host that does not carry our tag, once the
  // controller could act, releases everything held ("localInput") and admits only releases until
  // quietMs (clamped to 100..60000) pass without such input. Turning it on starts the monitor
  // here, waiting only for the monitor's own thread; turning it off stops the monitor after the
  // change is queued. False, with the setting unchanged, when the monitor cannot start: error is
  // then its system error code (0 without a monitor).
  bool setLocalInputPriority(bool enabled, std::int32_t quietMs, std::uint32_t& error);

 private:
  using ControlBody = std::function<void(InjectorCore&)>;

  // Test access (win/testing/): a chosen watchdog limit and clock, so that tests move time
  // instead of sleeping, and waits for the injection thread.
  friend class InjectorTestAccess;
  InputInjector(LogSink logSink, InjectorEventSink eventSink,
                std::unique_ptr<InputSystem> inputSystem,
                std::unique_ptr<LocalInputMonitor> localInputMonitor, double watchdogLimitSeconds,
                InjectorClock clock);
  // Runs body on the injection thread in order with the frames and tasks around it, waiting at
  // most limitMs.
  bool run(ControlBody body, std::int64_t limitMs);

  // Applies the discard rule and stamps the task that runs `body` in its place among the frames.
  std::function<void()> controlTask(Discard discard, std::string cause, ControlBody body);
  void postControl(Discard discard, std::string cause, ControlBody body);
  bool postControlAndWait(Discard discard, std::string cause, ControlBody body,
                          std::int64_t limitMs);

  std::shared_ptr<InjectorCore> core_;
  // After core_, so it stops first: its note posts to core_'s queue.
  const std::unique_ptr<LocalInputMonitor> localInputMonitor_;
  // Set while a note is queued, so input at the mouse's rate queues one note at a time.
  const std::shared_ptr<std::atomic<bool>> localInputNoteQueued_;
  // The mode as the last setInputMode call left it, which the worker will apply in order.
  InputMode requestedMode_ = InputMode::Control;
};

}  // namespace orvane::win

#endif  // ORVANE_WIN_INPUT_INJECTOR_H_
