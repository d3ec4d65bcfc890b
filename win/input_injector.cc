// InputInjector: the platform thread's side, which only posts to the injection thread.
#include "win/input_injector.h"

#include <utility>

namespace orvane::win {

InputInjector::InputInjector(LogSink logSink, std::unique_ptr<InputSystem> inputSystem)
    : InputInjector(std::move(logSink), InjectorEventSink(), std::move(inputSystem)) {}

InputInjector::InputInjector(LogSink logSink, InjectorEventSink eventSink,
                             std::unique_ptr<InputSystem> inputSystem)
    : InputInjector(std::move(logSink), std::move(eventSink), std::move(inputSystem), nullptr) {}

InputInjector::InputInjector(LogSink logSink, InjectorEventSink eventSink,
                             std::unique_ptr<InputSystem> inputSystem,
                             std::unique_ptr<LocalInputMonitor> localInputMonitor)
    : InputInjector(std::move(logSink), std::move(eventSink), std::move(inputSystem),
                    std::move(localInputMonitor), kWatchdogLimitSeconds,
                    host::SerialQueue::SteadyNowNs) {}

InputInjector::InputInjector(LogSink logSink, InjectorEventSink eventSink,
                             std::unique_ptr<InputSystem> inputSystem,
                             std::unique_ptr<LocalInputMonitor> localInputMonitor,
                             double watchdogLimitSeconds, InjectorClock clock)
    : core_(std::make_shared<InjectorCore>(std::move(logSink), std::move(inputSystem),
                                           watchdogLimitSeconds, std::move(clock),
                                           std::move(eventSink))),
      localInputMonitor_(std::move(localInputMonitor)),
      localInputNoteQueued_(std::make_shared<std::atomic<bool>>(false)) {}

InputInjector::~InputInjector() {
  if (localInputMonitor_) localInputMonitor_->stop();
  postControlAndWait(
      Discard::All, "destructor", [](InjectorCore& core) { core.releaseHeld("destructor"); },
      kDestructorReleaseLimitMs);
  if (!core_->queue().Shutdown(kShutdownLimitMs)) {
    core_->log("input: the injection thread did not stop within " +
               std::to_string(kShutdownLimitMs) + "ms");
  }
}

void InputInjector::injectInput(std::string frame) {
  if (core_->pending().push(std::move(frame))) {
    core_->queue().Post([core = core_] { core->drainFrames(); });
  }
}

void InputInjector::setPeerConnected(bool connected) {
  // Frames from a controller that is gone are stale, but a key-up among them must still reach the
  // desktop: nothing else releases on a link change.
  postControl(connected ? Discard::None : Discard::AllButReleases, "peerDisconnected",
              [connected](InjectorCore& core) { core.setPeerConnected(connected); });
}

void InputInjector::setCaptureRect(std::optional<CaptureRect> capture) {
  postControl(Discard::None, {}, [capture](InjectorCore& core) { core.setCaptureRect(capture); });
}

void InputInjector::refreshDesktop() {
  postControl(Discard::None, {}, [](InjectorCore& core) { core.refreshDesktop(); });
}

void InputInjector::setInputMode(InputMode mode) {
  // Only the switch from control to view releases, so only it may drop the key-ups waiting too.
  const bool toView = requestedMode_ == InputMode::Control && mode == InputMode::View;
  requestedMode_ = mode;
  postControl(toView ? Discard::All : Discard::None, "viewMode",
              [mode](InjectorCore& core) { core.applyMode(mode); });
}

void InputInjector::releaseHeldInput(std::string reason) {
  const std::string cause = reason;
  postControl(Discard::All, cause,
              [reason = std::move(reason)](InjectorCore& core) { core.releaseHeld(reason); });
}

bool InputInjector::releaseAllAndWait(std::string reason, std::int64_t limitMs) {
  const bool finished = postControlAndWait(
      Discard::All, reason, [reason](InjectorCore& core) { core.releaseHeld(reason); }, limitMs);
  if (!finished) {
    core_->log("input: release-all (" + reason + ") did not finish within " +
               std::to_string(limitMs) + "ms");
  }
  return finished;
}

bool InputInjector::setLocalInputPriority(bool enabled, std::int32_t quietMs,
                                          std::uint32_t& error) {
  if (enabled) {
    error = 0;
    // Runs on the monitor's thread: only queues, never waits for the injection thread, whose
    // SendInput may itself be waiting for that thread's hooks.
    const auto note = [core = core_, queued = localInputNoteQueued_] {
      if (queued->exchange(true)) return;
      core->queue().Post([core, queued] {
        queued->store(false);
        core->noteLocalInput();
      });
    };
    if (!localInputMonitor_ || !localInputMonitor_->start(note, error)) return false;
  }
  postControl(Discard::None, {}, [enabled, quietMs](InjectorCore& core) {
    core.setLocalInputPriority(enabled, quietMs);
  });
  if (!enabled && localInputMonitor_) localInputMonitor_->stop();
  return true;
}

bool InputInjector::run(ControlBody body, std::int64_t limitMs) {
  return postControlAndWait(Discard::None, {}, std::move(body), limitMs);
}

std::function<void()> InputInjector::controlTask(Discard discard, std::string cause,
                                                 ControlBody body) {
  std::uint64_t ordinal = 0;
  const std::size_t discarded = core_->pending().beginControl(discard, ordinal);
  return [core = core_, ordinal, discarded, cause = std::move(cause), body = std::move(body)] {
    core->runControl(ordinal, discarded, cause, body);
  };
}

void InputInjector::postControl(Discard discard, std::string cause, ControlBody body) {
  core_->queue().Post(controlTask(discard, std::move(cause), std::move(body)));
}

bool InputInjector::postControlAndWait(Discard discard, std::string cause, ControlBody body,
                                       std::int64_t limitMs) {
  return core_->queue().PostAndWait(controlTask(discard, std::move(cause), std::move(body)),
                                    limitMs);
}

}  // namespace orvane::win
