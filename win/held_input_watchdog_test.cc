// Scheduling and firing are checked through the injector.
#include "win/held_input_watchdog.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace orvane::win {
namespace {

using Kind = WatchdogVerdict::Kind;

TEST(HeldInputWatchdog, SlidesWithActivityWhileHeldAndFiresAfterSilence) {
  HeldInputWatchdog watchdog;
  const struct {
    bool activity;  // else a check
    double now;
    bool held;
    Kind kind;
    double remaining;
    bool resetFirst = false;
  } steps[] = {
      {false, 1.0, false, Kind::Idle, 0.0},
      {false, 2.0, true, Kind::Wait, 10.0},  // arms now
      {false, 1.0, true, Kind::Wait, 10.0},  // a clock running backwards
      {false, 12.0, true, Kind::Fire, 0.0},
      {true, 100.0, true, Kind::Wait, 10.0},
      {true, 104.0, true, Kind::Wait, 10.0},
      {false, 110.0, true, Kind::Wait, 4.0},
      {false, 114.0, true, Kind::Fire, 0.0},
      {false, 115.0, true, Kind::Wait, 10.0},  // fired: disarmed, the next check re-arms
      {true, 121.0, false, Kind::Idle, 0.0},
      {false, 140.0, true, Kind::Wait, 10.0},
      {false, 200.0, true, Kind::Wait, 10.0, true},  // a reset disarms: the check re-arms
  };
  for (const auto& s : steps) {
    if (s.resetFirst) watchdog.reset();
    const WatchdogVerdict verdict =
        s.activity ? watchdog.onActivity(s.now, s.held) : watchdog.check(s.now, s.held);
    EXPECT_EQ(verdict.kind, s.kind) << s.now;
    EXPECT_DOUBLE_EQ(verdict.remainingSeconds, s.remaining) << s.now;
  }
  EXPECT_DOUBLE_EQ(HeldInputWatchdog(-3.0).limitSeconds(), 0.0);
  EXPECT_DOUBLE_EQ(HeldInputWatchdog(std::nan("")).limitSeconds(), 0.0);
}

TEST(HeldInputWatchdog, DelayNanoseconds_TruncatesAndSaturates) {
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  const std::pair<double, std::int64_t> cases[] = {
      {10.0, 10'000'000'000},      {0.0000000019, 1}, {-1.0, 0},
      {std::nan(""), 0},           {1e300, kMax},     {HUGE_VAL, kMax},
      {9223372036.854775808, kMax}};
  for (const auto& [seconds, nanoseconds] : cases) {
    EXPECT_EQ(watchdogDelayNanoseconds(seconds), nanoseconds) << seconds;
  }
}

}  // namespace
}  // namespace orvane::win
