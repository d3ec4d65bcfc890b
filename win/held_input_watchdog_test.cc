// Watchdog record: the sliding deadline, firing after silence and the delay conversion.
#include "win/held_input_watchdog.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace orvane::win {
namespace {

using Kind = WatchdogVerdict::Kind;

TEST(HeldInputWatchdog, SlidesWithActivityWhileHeldAndFiresAfterSilence) {
  HeldInputWatchdog watchdog;
  WatchdogVerdict verdict = watchdog.onActivity(100.0, true);
  EXPECT_EQ(verdict.kind, Kind::Wait);
  EXPECT_DOUBLE_EQ(verdict.remainingSeconds, kWatchdogLimitSeconds);
  watchdog.onActivity(104.0, true);  // a later frame moves the deadline

  verdict = watchdog.check(110.0, true);
  EXPECT_EQ(verdict.kind, Kind::Wait);
  EXPECT_DOUBLE_EQ(verdict.remainingSeconds, 4.0);

  verdict = watchdog.check(114.0, true);  // exactly the limit counts as silence
  EXPECT_EQ(verdict.kind, Kind::Fire);
  EXPECT_DOUBLE_EQ(verdict.remainingSeconds, 0.0);
  EXPECT_FALSE(watchdog.armed());

  watchdog.onActivity(120.0, true);
  EXPECT_EQ(watchdog.onActivity(121.0, false).kind, Kind::Idle);  // nothing held: disarmed
  EXPECT_FALSE(watchdog.armed());
}

TEST(HeldInputWatchdog, Check_EdgeStates) {
  HeldInputWatchdog watchdog;
  EXPECT_EQ(watchdog.check(1.0, false).kind, Kind::Idle);

  // Held but never armed by a frame: the check arms it now.
  WatchdogVerdict verdict = watchdog.check(2.0, true);
  EXPECT_EQ(verdict.kind, Kind::Wait);
  EXPECT_DOUBLE_EQ(verdict.remainingSeconds, kWatchdogLimitSeconds);
  EXPECT_DOUBLE_EQ(watchdog.armedAt(), 2.0);

  // A clock that appears to run backwards counts as no time elapsed.
  verdict = watchdog.check(1.0, true);
  EXPECT_EQ(verdict.kind, Kind::Wait);
  EXPECT_DOUBLE_EQ(verdict.remainingSeconds, kWatchdogLimitSeconds);
}

TEST(HeldInputWatchdog, Limit_NeverNegativeAndResetRestoresIt) {
  EXPECT_DOUBLE_EQ(HeldInputWatchdog(-3.0).limitSeconds(), 0.0);
  EXPECT_DOUBLE_EQ(HeldInputWatchdog(std::nan("")).limitSeconds(), 0.0);

  HeldInputWatchdog watchdog(0.25);
  watchdog.onActivity(7.0, true);
  watchdog.reset();
  EXPECT_FALSE(watchdog.armed());
  EXPECT_DOUBLE_EQ(watchdog.limitSeconds(), 0.25);
}

TEST(HeldInputWatchdog, DelayNanoseconds_TruncatesAndSaturates) {
  struct Case {
    double seconds;
    std::int64_t nanoseconds;
  };
  const Case cases[] = {
      {10.0, 10'000'000'000},
      {0.0000000019, 1},
      {-1.0, 0},
      {std::nan(""), 0},
      {1e300, std::numeric_limits<std::int64_t>::max()},
      {std::numeric_limits<double>::infinity(), std::numeric_limits<std::int64_t>::max()},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(watchdogDelayNanoseconds(c.seconds), c.nanoseconds) << c.seconds;
  }
}

}  // namespace
}  // namespace orvane::win
