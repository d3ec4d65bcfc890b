// What counts as the host user's input, and the quiet period's clock arithmetic.
#include <gtest/gtest.h>

#include <cstdint>

#include "win/inject_event.h"
#include "win/local_input_monitor.h"
#include "win/local_input_period.h"

namespace orvane::win {
namespace {

// Anchored at (100, 100); each step is one event in order, with whether it counts.
TEST(LocalInputFilter, UntaggedInputCountsExceptPointerNoise) {
  enum Kind { Key, Move, Button };
  const struct {
    Kind kind;
    bool ours;
    std::int32_t x, y;
    bool counts;
  } steps[] = {
      {Move, false, 103, 97, false},   // within 3 pixels on both axes
      {Move, false, 97, 103, false},   // drifting, still measured from (100, 100)
      {Move, false, 96, 96, true},     // 4 pixels off on both axes: the new anchor
      {Move, false, 99, 96, false},    // 3 from the new anchor
      {Move, true, 500, 500, false},   // our own move: the anchor follows the pointer
      {Move, false, 503, 497, false},  // noise around where we put the pointer
      {Move, false, 500, 504, true},  {Key, false, 0, 0, true},    {Key, true, 0, 0, false},
      {Button, false, 0, 0, true},    {Button, true, 0, 0, false},
  };
  LocalInputFilter filter;
  filter.anchorAt(100, 100);
  for (const auto& step : steps) {
    const std::uint64_t extraInfo = step.ours ? kInjectedTag : 0;
    const bool counts = step.kind == Key    ? filter.keyCounts(extraInfo)
                        : step.kind == Move ? filter.moveCounts(extraInfo, step.x, step.y)
                                            : filter.mouseCounts(extraInfo);
    EXPECT_EQ(counts, step.counts) << step.kind << " at " << step.x << "," << step.y;
  }
  // Other programs' tags are not ours.
  EXPECT_TRUE(filter.keyCounts(kInjectedTag + 1));
}

TEST(LocalInputFilter, WithoutAnAnchorTheFirstMoveOnlySetsIt) {
  LocalInputFilter filter;
  EXPECT_FALSE(filter.moveCounts(0, -2000, 40));
  EXPECT_FALSE(filter.moveCounts(0, -1997, 43));
  EXPECT_TRUE(filter.moveCounts(0, -2004, 40));
}

TEST(LocalInputPeriod, StartsOnlyWhenAllowedAndEndsAfterQuietFromTheLastInput) {
  using Kind = LocalInputCheck::Kind;
  LocalInputPeriod period;
  EXPECT_FALSE(period.note(0.0, false));
  EXPECT_EQ(period.check(0.0).kind, Kind::Idle);
  EXPECT_TRUE(period.note(1.0, true));
  EXPECT_FALSE(period.note(1.0, true)) << "a running period is only extended";
  LocalInputCheck check = period.check(1.5);
  EXPECT_EQ(check.kind, Kind::Wait);
  EXPECT_DOUBLE_EQ(check.remainingSeconds, 1.5);
  EXPECT_FALSE(period.note(2.0, false)) << "extended even when the controller could not act";
  check = period.check(0.5);  // a clock read before the last input waits the whole quiet time
  EXPECT_DOUBLE_EQ(check.remainingSeconds, 2.0);
  check = period.check(3.99);
  EXPECT_EQ(check.kind, Kind::Wait);
  EXPECT_NEAR(check.remainingSeconds, 0.01, 1e-9);
  EXPECT_EQ(period.check(4.0).kind, Kind::Ended);
  EXPECT_FALSE(period.active());
  EXPECT_EQ(period.check(9.0).kind, Kind::Idle);
  EXPECT_FALSE(period.end());
  EXPECT_TRUE(period.note(10.0, true));
  EXPECT_TRUE(period.end());
  EXPECT_FALSE(period.active());
}

TEST(LocalInputPeriod, QuietTimeIsClampedIntoItsRange) {
  const std::int32_t cases[][2] = {{-1, 100},    {99, 100},      {100, 100},
                                   {2500, 2500}, {60000, 60000}, {60001, 60000}};
  for (const auto& [given, kept] : cases) {
    LocalInputPeriod period;
    period.setQuietMs(given);
    EXPECT_EQ(period.quietMs(), kept) << given;
    period.note(0.0, true);
    EXPECT_EQ(period.check(kept / 1000.0).kind, LocalInputCheck::Kind::Ended) << given;
  }
}

}  // namespace
}  // namespace orvane::win
