// Stuck-input watchdog record: sliding deadline arithmetic on the steady clock.
#include "win/held_input_watchdog.h"

#include <limits>

namespace orvane::win {

namespace {

constexpr double kNanosecondsPerSecond = 1'000'000'000.0;

double nonNegative(double value) { return value > 0.0 ? value : 0.0; }

}  // namespace

HeldInputWatchdog::HeldInputWatchdog(double limitSeconds)
    : startLimitSeconds_(nonNegative(limitSeconds)), limitSeconds_(startLimitSeconds_) {}

WatchdogVerdict HeldInputWatchdog::onActivity(double now, bool held) {
  if (held) {
    armedAt_ = now;
    armed_ = true;
    return {WatchdogVerdict::Kind::Wait, limitSeconds_};
  }
  armed_ = false;
  return {};
}

WatchdogVerdict HeldInputWatchdog::check(double now, bool held) {
  if (!held) {
    armed_ = false;
    return {};
  }
  if (!armed_) {
    armed_ = true;
    armedAt_ = now;
    return {WatchdogVerdict::Kind::Wait, limitSeconds_};
  }
  const double elapsed = nonNegative(now - armedAt_);
  if (elapsed < limitSeconds_) {
    return {WatchdogVerdict::Kind::Wait, limitSeconds_ - elapsed};
  }
  armed_ = false;
  return {WatchdogVerdict::Kind::Fire, 0.0};
}

void HeldInputWatchdog::reset() {
  limitSeconds_ = startLimitSeconds_;
  armed_ = false;
  armedAt_ = 0.0;
}

double secondsFromNanoseconds(std::int64_t nanoseconds) {
  return static_cast<double>(nanoseconds) / kNanosecondsPerSecond;
}

std::int64_t watchdogDelayNanoseconds(double remainingSeconds) {
  const double nanoseconds = nonNegative(remainingSeconds) * kNanosecondsPerSecond;
  // 2^63 is exactly representable; anything at or above it would overflow the conversion.
  constexpr double kLimit = 9223372036854775808.0;
  if (nanoseconds >= kLimit) {
    return std::numeric_limits<std::int64_t>::max();
  }
  return static_cast<std::int64_t>(nanoseconds);
}

}  // namespace orvane::win
