// InjectorTestAccess: the injector's test-only members, reachable through this type alone. It is
// defined here, in the testing folder that no production target includes, so production code
// cannot name it.
#ifndef ORVANE_WIN_TESTING_INJECTOR_ACCESS_H_
#define ORVANE_WIN_TESTING_INJECTOR_ACCESS_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>

#include "win/injector_core.h"
#include "win/input_injector.h"

namespace orvane::win {

class InjectorTestAccess {
 public:
  // An injector with its own watchdog limit and the one clock its queue's timers, the watchdog
  // and the local input period all read.
  static std::unique_ptr<InputInjector> make(LogSink logSink, InjectorEventSink eventSink,
                                             std::unique_ptr<InputSystem> inputSystem,
                                             std::unique_ptr<LocalInputMonitor> monitor,
                                             double watchdogLimitSeconds, InjectorClock clock) {
    // The constructor is private to this type, so make_unique cannot reach it.
    return std::unique_ptr<InputInjector>(
        new InputInjector(std::move(logSink), std::move(eventSink), std::move(inputSystem),
                          std::move(monitor), watchdogLimitSeconds, std::move(clock)));
  }
  // Runs task on the injection thread with the injector's state, in order with the frames and
  // tasks around it; false when it did not finish within limitMs.
  static bool run(InputInjector& injector, std::function<void(InjectorCore&)> task,
                  std::int64_t limitMs) {
    return injector.run(std::move(task), limitMs);
  }
  static HeldInput& held(InjectorCore& core) { return core.held(); }
};

}  // namespace orvane::win

#endif  // ORVANE_WIN_TESTING_INJECTOR_ACCESS_H_
