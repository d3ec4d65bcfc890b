// Arming, and lines only on a changed verdict, are checked through the injector.
#include "win/injection_reach_probe.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>

namespace orvane::win {
namespace {

// On a 65536-pixel area an absolute coordinate is also the pixel it aims at, shifted by the
// area's origin.
constexpr std::int32_t kIdentity = 65536;
constexpr AbsoluteArea kPrimary{0, 0, kIdentity, kIdentity};
constexpr CursorPoint kStart{100, 100};
constexpr CursorPoint kTarget{60000, 40000};

TEST(ReachProbe, ClassifiesEachSample) {
  const struct {
    const char* name;
    std::optional<CursorPoint> before, after;
    ProbeVerdict verdict;
    bool sent = true;
    AbsoluteArea area = kPrimary;
  } cases[] = {
      {"arrived", kStart, kTarget, ProbeVerdict::Reaching},
      {"within two pixels", kStart, CursorPoint{60002, 39998}, ProbeVerdict::Reaching},
      {"did not move", kStart, kStart, ProbeVerdict::Discarded},
      {"already at the target", CursorPoint{59999, 40001}, CursorPoint{59999, 40001},
       ProbeVerdict::Inconclusive},
      {"moved elsewhere", kStart, CursorPoint{900, 900}, ProbeVerdict::Inconclusive},
      {"moved only vertically", kStart, CursorPoint{100, 40000}, ProbeVerdict::Inconclusive},
      {"three pixels off", kStart, CursorPoint{60003, 40000}, ProbeVerdict::Inconclusive},
      {"short SendInput", kStart, kStart, ProbeVerdict::Inconclusive, false},
      {"shifted area, arrived",
       kStart,
       CursorPoint{59900, 39950},
       ProbeVerdict::Reaching,
       true,
       {-100, -50, kIdentity, kIdentity}},
      {"shifted area, unshifted target",
       kStart,
       kTarget,
       ProbeVerdict::Inconclusive,
       true,
       {-100, -50, kIdentity, kIdentity}},
      {"area one pixel wide",
       kStart,
       kStart,
       ProbeVerdict::Inconclusive,
       true,
       {0, 0, 1, kIdentity}},
      {"area two pixels wide", kStart, kStart, ProbeVerdict::Discarded, true, {0, 0, 2, kIdentity}},
      {"area two pixels high", kStart, kStart, ProbeVerdict::Discarded, true, {0, 0, kIdentity, 2}},
      {"first read failed", std::nullopt, kStart, ProbeVerdict::Inconclusive},
      {"second read failed", kStart, std::nullopt, ProbeVerdict::Inconclusive},
  };
  for (const auto& c : cases) {
    InjectionReachProbe probe;
    const char* line = probe.observe(mouseEvent(kTarget.x, kTarget.y, 0, kAbsoluteMove), c.area,
                                     c.sent, c.before, c.after);
    const char* expected = c.verdict == ProbeVerdict::Reaching    ? kProbeReachingLine
                           : c.verdict == ProbeVerdict::Discarded ? kProbeDiscardedLine
                                                                  : nullptr;
    EXPECT_STREQ(line, expected) << c.name;
    EXPECT_EQ(probe.probed(), c.verdict != ProbeVerdict::Inconclusive) << c.name;
  }
  // Far-apart coordinates are compared without overflow.
  ProbeSample sample;
  sample.hasExpected = true;
  sample.beforeX = sample.afterX = std::numeric_limits<std::int32_t>::min();
  sample.expectedX = std::numeric_limits<std::int32_t>::max();
  EXPECT_EQ(classifyProbe(sample), ProbeVerdict::Discarded);
}

}  // namespace
}  // namespace orvane::win
