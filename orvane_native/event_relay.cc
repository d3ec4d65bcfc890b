// The bounded event list between the event sources and the platform thread.
#include "event_relay.h"

#include <utility>

#include "event_values.h"

namespace orvane_native {

EventRelay::EventRelay(PlatformThreadDispatcher& dispatcher, Deliver deliver)
    : dispatcher_(dispatcher), deliver_(std::move(deliver)) {}

void EventRelay::Post(flutter::EncodableValue event) {
  const std::lock_guard<std::mutex> guard(lock_);
  if (closed_) return;
  if (pending_.size() == kMaxPendingEvents) {
    pending_.pop_front();
    ++dropped_;
  }
  pending_.push_back(std::move(event));
  if (drainQueued_) {
    dispatcher_.Wake();
    return;
  }
  // Without a window nothing is queued; the list stays bounded and is dropped with the relay.
  drainQueued_ = dispatcher_.Post([relay = shared_from_this()] { relay->DeliverPending(); });
}

void EventRelay::DeliverPending() {
  std::deque<flutter::EncodableValue> ready;
  std::uint64_t dropped = 0;
  {
    const std::lock_guard<std::mutex> guard(lock_);
    ready.swap(pending_);
    dropped = std::exchange(dropped_, 0);
    drainQueued_ = false;
  }
  // The dropped events were the oldest, so their count comes first.
  if (dropped != 0) deliver_(EventsDroppedValue(dropped));
  for (const flutter::EncodableValue& event : ready) deliver_(event);
}

void EventRelay::Close() {
  // Declared first, so the discarded events are destroyed after the lock is released.
  std::deque<flutter::EncodableValue> discarded;
  const std::lock_guard<std::mutex> guard(lock_);
  discarded.swap(pending_);
  dropped_ = 0;
  closed_ = true;
}

}  // namespace orvane_native
