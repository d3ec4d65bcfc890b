// What the injector tells its owner about the fate of the controller's input, beside the log: the
// reach probe's verdict changes, releases of held input, refused input, a backlog's stale,
// dropped and collapsed frames, and the start and end of the periods in which local input
// priority holds the controller off.
//
// Contract: the injector calls its InjectorEventSink on the injection thread (and, for a release
// left to a detached worker at teardown, on that worker), never on a steady frame that reaches the
// desktop, at most once per refusal kind per kRefusalEventIntervalSeconds, and for dropped and
// collapsed frames at most once per kBacklogEventIntervalSeconds while a backlog lasts, plus once
// when it has drained. The sink must not block: it only hands the event on.
#ifndef ORVANE_WIN_INJECTOR_EVENT_H_
#define ORVANE_WIN_INJECTOR_EVENT_H_

#include <cstdint>
#include <functional>
#include <string>

namespace orvane::win {

struct InjectorEvent {
  enum class Kind {
    InjectionReach,
    HeldInputReleased,
    InputRefused,
    InputDiscarded,
    InputDropped,
    InputCollapsed,
    LocalInput,
  };

  Kind kind = Kind::InjectionReach;
  // InjectionReach: "reaching" or "discarded"; HeldInputReleased: the release's reason;
  // InputRefused: the refusal's kebab-case name; InputDiscarded: what made the frames stale (a
  // release's reason, or "peerDisconnected").
  std::string text;
  // HeldInputReleased: key-ups and button-ups sent from the record, and key-ups of the sweep.
  std::uint32_t keys = 0;
  std::uint32_t buttons = 0;
  std::uint32_t sweep = 0;
  // InputDiscarded, InputDropped: frames; InputCollapsed: pointer moves that went unsent because a
  // later move was already waiting.
  std::uint64_t count = 0;
  // LocalInput: true when the host's own user took over, false when the quiet period ended.
  bool active = false;
};

using InjectorEventSink = std::function<void(const InjectorEvent&)>;

// A controller repeating a refused chord at frame rate gets one event per this many seconds.
inline constexpr double kRefusalEventIntervalSeconds = 1.0;
// A lasting backlog reports its dropped and collapsed frames this often.
inline constexpr double kBacklogEventIntervalSeconds = 1.0;

}  // namespace orvane::win

#endif  // ORVANE_WIN_INJECTOR_EVENT_H_
