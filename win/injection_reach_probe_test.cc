// Reach probe: classification of one sample and the verdict lines, which change only on a change.
#include "win/injection_reach_probe.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <optional>

#include "win/testing/fake_input_system.h"

namespace orvane::win {
namespace {

// With a 65536-pixel primary screen an absolute coordinate is also the pixel it aims at.
constexpr std::int32_t kIdentityScreen = 65536;
constexpr std::uint32_t kAbsoluteMove = kMouseMove | kMouseAbsolute;
constexpr CursorPoint kStart{100, 100};
constexpr CursorPoint kTarget{500, 300};

struct ProbeCase {
  const char* name;
  std::optional<CursorPoint> before;
  std::optional<CursorPoint> after;
  ProbeVerdict verdict;
  std::uint32_t flags = kAbsoluteMove;
  bool sent = true;
  std::int32_t width = kIdentityScreen;
};

class ReachProbeTest : public ::testing::Test {
 protected:
  const char* observe(const ProbeCase& c) {
    input_->setMetric(kMetricPrimaryWidth, c.width);
    input_->setMetric(kMetricPrimaryHeight, kIdentityScreen);
    input_->setCursor(c.after.value_or(CursorPoint{}), c.after.has_value());
    return probe_.observe(*system_, mouseEvent(kTarget.x, kTarget.y, 0, c.flags), c.sent,
                          c.before.value_or(CursorPoint{}), c.before.has_value());
  }

  std::shared_ptr<FakeInput> input_ = std::make_shared<FakeInput>();
  std::unique_ptr<InputSystem> system_ = input_->makeSystem();
  InjectionReachProbe probe_;
};

TEST_F(ReachProbeTest, ClassifiesEachSample) {
  const ProbeCase cases[] = {
      {"arrived", kStart, kTarget, ProbeVerdict::Reaching},
      {"within two pixels", kStart, CursorPoint{502, 298}, ProbeVerdict::Reaching},
      {"did not move", kStart, kStart, ProbeVerdict::Discarded},
      {"already at the target", CursorPoint{499, 301}, CursorPoint{499, 301},
       ProbeVerdict::Inconclusive},
      {"moved elsewhere", kStart, CursorPoint{900, 900}, ProbeVerdict::Inconclusive},
      {"three pixels off", kStart, CursorPoint{503, 300}, ProbeVerdict::Inconclusive},
      {"short SendInput", kStart, kStart, ProbeVerdict::Inconclusive, kAbsoluteMove, false},
      {"virtual desktop", kStart, kStart, ProbeVerdict::Inconclusive,
       kAbsoluteMove | kMouseVirtualDesk},
      {"screen one pixel wide", kStart, kStart, ProbeVerdict::Inconclusive, kAbsoluteMove, true, 1},
      {"first read failed", std::nullopt, kStart, ProbeVerdict::Inconclusive},
      {"second read failed", kStart, std::nullopt, ProbeVerdict::Inconclusive},
  };
  for (const ProbeCase& c : cases) {
    probe_ = InjectionReachProbe();
    const char* expected = c.verdict == ProbeVerdict::Reaching    ? kProbeReachingLine
                           : c.verdict == ProbeVerdict::Discarded ? kProbeDiscardedLine
                                                                  : nullptr;
    EXPECT_STREQ(observe(c), expected) << c.name;
    EXPECT_EQ(probe_.probed(), c.verdict != ProbeVerdict::Inconclusive) << c.name;
  }
  // Far-apart coordinates are compared without overflow.
  ProbeSample sample;
  sample.hasExpected = true;
  sample.beforeX = sample.afterX = std::numeric_limits<std::int32_t>::min();
  sample.expectedX = std::numeric_limits<std::int32_t>::max();
  EXPECT_EQ(classifyProbe(sample), ProbeVerdict::Discarded);
}

TEST_F(ReachProbeTest, WritesOnlyChangesAcrossArmings) {
  const ProbeCase reaching{"", kStart, kTarget, ProbeVerdict::Reaching};
  const ProbeCase discarded{"", kStart, kStart, ProbeVerdict::Discarded};
  EXPECT_STREQ(observe(reaching), kProbeReachingLine);
  EXPECT_EQ(observe(discarded), nullptr);  // concluded: no verdict until re-armed
  probe_.rearm();
  EXPECT_EQ(observe(reaching), nullptr);  // same verdict again: silent
  EXPECT_TRUE(probe_.probed());
  probe_.rearm();
  EXPECT_STREQ(observe(discarded), kProbeDiscardedLine);
}

TEST(ReachProbe, QualifiesOnlyAbsoluteMoves) {
  EXPECT_TRUE(InjectionReachProbe::qualifies(mouseEvent(1, 2, 0, kAbsoluteMove | kMouseLeftDown)));
  EXPECT_FALSE(InjectionReachProbe::qualifies(mouseEvent(1, 2, 0, kMouseMove)));
  EXPECT_FALSE(InjectionReachProbe::qualifies(mouseEvent(0, 0, 120, kMouseAbsolute)));
  EXPECT_FALSE(InjectionReachProbe::qualifies(keyEvent(0x001E, false)));
}

}  // namespace
}  // namespace orvane::win
