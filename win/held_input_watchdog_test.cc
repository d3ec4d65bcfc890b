// Watchdog record: the sliding deadline, firing after silence and the delay conversion.
#include "win/held_input_watchdog.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace orvane::win {
namespace {

using Kind = WatchdogVerdict::Kind;

void expectVerdict(const WatchdogVerdict& verdict, Kind kind, double remaining) {
  EXPECT_EQ(verdict.kind, kind);
  EXPECT_DOUBLE_EQ(verdict.remainingSeconds, remaining);
}

TEST(HeldInputWatchdog, SlidesWithActivityWhileHeldAndFiresAfterSilence) {
  HeldInputWatchdog watchdog;
  expectVerdict(watchdog.check(1.0, false), Kind::Idle, 0.0);
  expectVerdict(watchdog.check(2.0, true), Kind::Wait, 10.0);  // held but unarmed: arms now
  expectVerdict(watchdog.check(1.0, true), Kind::Wait, 10.0);  // a clock running backwards
  expectVerdict(watchdog.onActivity(100.0, true), Kind::Wait, 10.0);
  watchdog.onActivity(104.0, true);  // a later frame moves the deadline
  expectVerdict(watchdog.check(110.0, true), Kind::Wait, 4.0);
  expectVerdict(watchdog.check(114.0, true), Kind::Fire, 0.0);  // exactly the limit is silence
  EXPECT_FALSE(watchdog.armed());
  watchdog.onActivity(120.0, true);
  expectVerdict(watchdog.onActivity(121.0, false), Kind::Idle, 0.0);
  EXPECT_FALSE(watchdog.armed());
  EXPECT_DOUBLE_EQ(HeldInputWatchdog(-3.0).limitSeconds(), 0.0);
  EXPECT_DOUBLE_EQ(HeldInputWatchdog(std::nan("")).limitSeconds(), 0.0);
}

TEST(HeldInputWatchdog, DelayNanoseconds_TruncatesAndSaturates) {
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  const struct {
    double seconds;
    std::int64_t nanoseconds;
  } cases[] = {{10.0, 10'000'000'000}, {0.0000000019, 1}, {-1.0, 0},
               {std::nan(""), 0},      {1e300, kMax},     {HUGE_VAL, kMax}};
  for (const auto& c : cases) {
    EXPECT_EQ(watchdogDelayNanoseconds(c.seconds), c.nanoseconds) << c.seconds;
  }
}

}  // namespace
}  // namespace orvane::win
