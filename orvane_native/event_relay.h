// The road of native-to-Dart events: posted from any thread, held in a bounded list, and handed to
// the plugin's delivery function on the platform thread in the order they were posted.
#ifndef ORVANE_NATIVE_EVENT_RELAY_H_
#define ORVANE_NATIVE_EVENT_RELAY_H_

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "flutter/encodable_value.h"
#include "platform_thread_dispatcher.h"

namespace orvane_native {

// Contract:
// - Post: any thread. At most one drain task sits on the dispatcher at a time; a post while one
//   is queued only wakes the window, so a lost wake strands nothing and a stalled platform thread
//   (a modal loop, a hung runner) costs at most kMaxPendingEvents events of memory: beyond that
//   the oldest is dropped and counted.
// - DeliverPending, Close: platform thread. DeliverPending gives the delivery function an
//   eventsDropped event first when any were dropped since the last delivery, then the pending
//   events, oldest first; it never holds the lock while delivering.
// - Lock order: Post holds the relay's lock while it posts to the dispatcher, so Close (under the
//   same lock) makes sure no post reaches a dispatcher that is going; the dispatcher never calls
//   the relay under its own lock.
// - Owned by std::shared_ptr: the drain task, and any event source that may outlive the owner (a
//   detached injection thread), keep it alive; after Close everything they post is dropped.
class EventRelay : public std::enable_shared_from_this<EventRelay> {
 public:
  using Deliver = std::function<void(const flutter::EncodableValue&)>;

  static constexpr std::size_t kMaxPendingEvents = 64;

  // The dispatcher must outlive every Post before Close.
  EventRelay(PlatformThreadDispatcher& dispatcher, Deliver deliver);

  EventRelay(const EventRelay&) = delete;
  EventRelay& operator=(const EventRelay&) = delete;

  void Post(flutter::EncodableValue event);
  void DeliverPending();
  // Forgets what is pending, the dropped count included, and drops every later post.
  void Close();

 private:
  PlatformThreadDispatcher& dispatcher_;
  const Deliver deliver_;
  std::mutex lock_;
  std::deque<flutter::EncodableValue> pending_;
  std::uint64_t dropped_ = 0;
  bool drainQueued_ = false;
  bool closed_ = false;
};

}  // namespace orvane_native

#endif  // ORVANE_NATIVE_EVENT_RELAY_H_
