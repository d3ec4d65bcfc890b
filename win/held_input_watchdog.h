// Stuck-input watchdog: decides, from frame activity and periodic checks, when held input has
// gone unattended for too long and must be released.
//
// Contract: a plain value type with no threads or timers of its own. The injector drives it from
// its injection thread only (frames report activity, a delayed queue task calls check) and acts on
// the verdicts; the record itself never schedules or releases anything.
#ifndef ORVANE_WIN_HELD_INPUT_WATCHDOG_H_
#define ORVANE_WIN_HELD_INPUT_WATCHDOG_H_

#include <cstdint>

namespace orvane::win {

// Silence, in seconds, after which held input is released.
inline constexpr double kWatchdogLimitSeconds = 10.0;

struct WatchdogVerdict {
  enum class Kind : std::uint32_t {
    Idle = 0,  // nothing held; no check should be pending
    Wait = 1,  // something held; check again after remainingSeconds
    Fire = 2,  // something held through a whole limit of silence
  };
  Kind kind = Kind::Idle;
  double remainingSeconds = 0.0;  // 0.0 unless kind is Wait
};

class HeldInputWatchdog {
 public:
  // A negative (or NaN) limit counts as 0.0, so the watchdog can never wait backwards.
  explicit HeldInputWatchdog(double limitSeconds = kWatchdogLimitSeconds);

  // After every translated frame; held is the record's state after that frame's bookkeeping.
  WatchdogVerdict onActivity(double now, bool held);
  // From the pending check task only.
  WatchdogVerdict check(double now, bool held);
  // Back to the start values (the limit given at construction, disarmed).
  void reset();

  double limitSeconds() const { return limitSeconds_; }
  bool armed() const { return armed_; }
  double armedAt() const { return armedAt_; }

 private:
  double startLimitSeconds_;
  double limitSeconds_;
  bool armed_ = false;
  double armedAt_ = 0.0;
};

// A monotonic clock's reading in nanoseconds as the watchdog's seconds.
double secondsFromNanoseconds(std::int64_t nanoseconds);

// A verdict's remaining time as a queue delay: negative or NaN gives 0, and values beyond the
// 64-bit range saturate instead of overflowing the conversion.
std::int64_t watchdogDelayNanoseconds(double remainingSeconds);

}  // namespace orvane::win

#endif  // ORVANE_WIN_HELD_INPUT_WATCHDOG_H_
