// Local input priority's quiet period: once the host's own user touches the keyboard or mouse while
// the controller could act, the controller is held off until that user has left the input alone
// for a while; each further local input extends the wait.
//
// Contract: a plain value type with no threads or timers of its own, like the watchdog record.
// The injector drives it from its injection thread only (notes of local input, a delayed check)
// and acts on what it returns.
#ifndef ORVANE_WIN_LOCAL_INPUT_PERIOD_H_
#define ORVANE_WIN_LOCAL_INPUT_PERIOD_H_

#include <cstdint>

namespace orvane::win {

// setLocalInputPriority's quietMs: its default and the range it accepts.
inline constexpr std::int32_t kLocalInputDefaultQuietMs = 2000;
inline constexpr std::int32_t kLocalInputMinQuietMs = 100;
inline constexpr std::int32_t kLocalInputMaxQuietMs = 60000;

struct LocalInputCheck {
  enum class Kind : std::uint32_t {
    Idle = 0,   // no period; nothing to check
    Wait = 1,   // the period goes on; check again after remainingSeconds
    Ended = 2,  // quietSeconds passed without local input: the controller may act again
  };
  Kind kind = Kind::Idle;
  double remainingSeconds = 0.0;  // 0.0 unless kind is Wait
};

class LocalInputPeriod {
 public:
  // Quiet time in whole milliseconds, clamped into the accepted range.
  void setQuietMs(std::int32_t quietMs);
  std::int32_t quietMs() const { return quietMs_; }

  // Local input at `now`: extends a running period, or starts one when canStart (the controller
  // could act). True only when this input started a period.
  bool note(double now, bool canStart);
  // The pending check at `now`.
  LocalInputCheck check(double now);
  // Ends a running period at once (the setting was turned off); true if one was running.
  bool end();

  bool active() const { return active_; }

 private:
  std::int32_t quietMs_ = kLocalInputDefaultQuietMs;
  bool active_ = false;
  double lastInput_ = 0.0;
};

}  // namespace orvane::win

#endif  // ORVANE_WIN_LOCAL_INPUT_PERIOD_H_
