// Log lines as "log" events.
#include "log_events.h"

#include "event_values.h"

namespace orvane_native {

namespace {

thread_local bool deliveringEvent = false;

}  // namespace

void LogEvents::Forward(const std::string& message) {
  if (!listening_.load(std::memory_order_relaxed) || deliveringEvent) return;
  relay_->Post(LogEventValue(message));
}

DeliveringEvent::DeliveringEvent() : outer_(deliveringEvent) { deliveringEvent = true; }

DeliveringEvent::~DeliveringEvent() { deliveringEvent = outer_; }

}  // namespace orvane_native
