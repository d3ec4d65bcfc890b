// InputInjector: the platform thread's side, which only posts to the injection thread.
#include "win/input_injector.h"

#include <utility>

namespace orvane::win {

InputInjector::InputInjector(LogSink logSink, std::unique_ptr<InputSystem> inputSystem,
                             double watchdogLimitSecondsForTesting, WatchdogClock clockForTesting)
    : InputInjector(std::move(logSink), InjectorEventSink(), std::move(inputSystem),
                    watchdogLimitSecondsForTesting, std::move(clockForTesting)) {}

InputInjector::InputInjector(LogSink logSink, InjectorEventSink eventSink,
                             std::unique_ptr<InputSystem> inputSystem,
                             double watchdogLimitSecondsForTesting, WatchdogClock clockForTesting)
    : InputInjector(std::move(logSink), std::move(eventSink), std::move(inputSystem), nullptr,
                    watchdogLimitSecondsForTesting, std::move(clockForTesting)) {}

InputInjector::InputInjector(LogSink logSink, InjectorEventSink eventSink,
                             std::unique_ptr<InputSystem> inputSystem,
                             std::unique_ptr<LocalInputMonitor> localInputMonitor,
                             double watchdogLimitSecondsForTesting, WatchdogClock clockForTesting)
    : core_(std::make_shared<InjectorCore>(std::move(logSink), std::move(inputSystem),
                                           watchdogLimitSecondsForTesting,
                                           std::move(clockForTesting), std::move(eventSink))),
      localInputMonitor_(std::move(localInputMonitor)),
      localInputNoteQueued_(std::make_shared<std::atomic<bool>>(false)) {}

InputInjector::~InputInjector() {
  if (localInputMonitor_) localInputMonitor_->stop();
  core_->queue().PostAndWait([core = core_] { core->releaseHeld("destructor"); },
                             kDestructorReleaseLimitMs);
  if (!core_->queue().Shutdown(kShutdownLimitMs)) {
    core_->log("input: the injection thread did not stop within " +
               std::to_string(kShutdownLimitMs) + "ms");
  }
}

void InputInjector::injectInput(std::string frame) {
  core_->queue().Post([core = core_, frame = std::move(frame)] { core->handleFrame(frame); });
}

void InputInjector::setPeerConnected(bool connected) {
  core_->queue().Post([core = core_, connected] { core->setPeerConnected(connected); });
}

void InputInjector::setCaptureRect(std::optional<CaptureRect> capture) {
  core_->queue().Post([core = core_, capture] { core->setCaptureRect(capture); });
}

void InputInjector::setInputMode(InputMode mode) {
  core_->queue().Post([core = core_, mode] { core->applyMode(mode); });
}

void InputInjector::releaseHeldInput(std::string reason) {
  core_->queue().Post([core = core_, reason = std::move(reason)] { core->releaseHeld(reason); });
}

bool InputInjector::releaseAllAndWait(std::string reason, std::int64_t limitMs) {
  const bool finished =
      core_->queue().PostAndWait([core = core_, reason] { core->releaseHeld(reason); }, limitMs);
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
  core_->queue().Post(
      [core = core_, enabled, quietMs] { core->setLocalInputPriority(enabled, quietMs); });
  if (!enabled && localInputMonitor_) localInputMonitor_->stop();
  return true;
}

bool InputInjector::flushForTesting(std::int64_t limitMs) {
  return core_->queue().PostAndWait([] {}, limitMs);
}

bool InputInjector::runForTesting(std::function<void(InjectorCore&)> task, std::int64_t limitMs) {
  return core_->queue().PostAndWait([core = core_, task = std::move(task)] { task(*core); },
                                    limitMs);
}

}  // namespace orvane::win
