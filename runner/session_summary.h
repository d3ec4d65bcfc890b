// Counts what happened in one session and keeps what the controller held down, from the input the
// hooks observed, so the end of a session can say whether anything was left pressed.
#ifndef RUNNER_SESSION_SUMMARY_H_
#define RUNNER_SESSION_SUMMARY_H_

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "runner/input_observer.h"
#include "runner/method_call_client.h"

namespace orvane::runner {

// Not thread-safe: the session driver feeds it on the platform thread.
class SessionSummary {
 public:
  void CountRequest() { ++requests_; }
  void CountBadRequest() { ++badRequests_; }
  void CountReply(MethodReply::Kind kind);

  // Counts an observed event and, for events carrying the plugin's tag, tracks key and button
  // state: a down adds, an up removes.
  void Observe(const ObservedEvent& event);

  // Adds the moves of an inputCollapsed event the session heard (on its event channel, after a
  // listen request); other events change nothing.
  void Hear(const std::vector<std::uint8_t>& event);

  // Marks the moment before the plugin's teardown; Line reports the held state at that moment
  // and now.
  void MarkTeardown() { heldAtEnd_ = HeldNow(); }

  // What is held now, e.g. "key 0x2a", "key 0xe01d", "button left".
  std::vector<std::string> HeldNow() const;

  // {"summary": {"requests": ..., "errors": ..., "not_implemented": ..., "bad_requests": ...,
  //  "injected_keys": ..., "injected_mouse": ..., "collapsed_moves": ..., "held_at_end": [...],
  //  "held_after_teardown": [...], "ended": ENDED}}, ENDED being "end-of-input" or "quit"
  std::string Line(const std::string& ended) const;

 private:
  std::size_t requests_ = 0;
  std::size_t errors_ = 0;
  std::size_t notImplemented_ = 0;
  std::size_t badRequests_ = 0;
  std::size_t keys_ = 0;
  std::size_t mouse_ = 0;
  std::uint64_t collapsedMoves_ = 0;
  std::set<std::uint32_t> heldKeys_;    // scan code, with 0xE000 added for extended keys
  std::set<ObservedKind> heldButtons_;  // the Down kind of each held button
  std::vector<std::string> heldAtEnd_;
};

}  // namespace orvane::runner

#endif  // RUNNER_SESSION_SUMMARY_H_
