// Log lines as "log" events, for an application whose release build has neither a console nor a
// debugger to read the log from.
#ifndef ORVANE_NATIVE_LOG_EVENTS_H_
#define ORVANE_NATIVE_LOG_EVENTS_H_

#include <atomic>
#include <memory>
#include <string>

#include "event_relay.h"

namespace orvane_native {

// Contract:
// - Forward: any thread (the platform thread and the injection thread both log). While nobody
//   listens it costs one relaxed atomic load: no map is built and nothing is posted. Otherwise it
//   posts {"event": "log", "line": message} to the relay, in order with the other events.
// - A line logged on a thread that is delivering an event (DeliveringEvent in scope) is not
//   forwarded, so delivery can never feed itself.
// - SetListening: platform thread, from listen and cancel.
// - Owned by std::shared_ptr: the injector's log sink may outlive the plugin on a detached worker.
class LogEvents {
 public:
  explicit LogEvents(std::shared_ptr<EventRelay> relay) : relay_(std::move(relay)) {}

  LogEvents(const LogEvents&) = delete;
  LogEvents& operator=(const LogEvents&) = delete;

  void SetListening(bool listening) { listening_.store(listening, std::memory_order_relaxed); }
  void Forward(const std::string& message);

 private:
  const std::shared_ptr<EventRelay> relay_;
  std::atomic<bool> listening_{false};
};

// Marks the current thread as delivering an event for as long as it lives.
class DeliveringEvent {
 public:
  DeliveringEvent();
  ~DeliveringEvent();

  DeliveringEvent(const DeliveringEvent&) = delete;
  DeliveringEvent& operator=(const DeliveringEvent&) = delete;

 private:
  const bool outer_;
};

}  // namespace orvane_native

#endif  // ORVANE_NATIVE_LOG_EVENTS_H_
