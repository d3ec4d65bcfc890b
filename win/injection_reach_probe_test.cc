// Reach probe: classification of one sample and the verdict lines, which change only on a change.
#include "win/injection_reach_probe.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <optional>

#include "win/fake_input_system.h"

namespace orvane::win {
namespace {

// With a 65536-pixel primary screen an absolute coordinate is also the pixel it aims at.
constexpr std::int32_t kIdentityScreen = 65536;
constexpr std::uint32_t kAbsoluteMove = kMouseMove | kMouseAbsolute;

struct ProbeCase {
  const char* name;
  std::optional<CursorPoint> before;
  std::optional<CursorPoint> after;
  std::uint32_t flags;
  bool sent;
  std::int32_t width;
  ProbeVerdict verdict;
};

class ReachProbeTest : public ::testing::Test {
 protected:
  const char* observe(const ProbeCase& c, std::int32_t dx = 500, std::int32_t dy = 300) {
    input_->setMetric(kMetricPrimaryWidth, c.width);
    input_->setMetric(kMetricPrimaryHeight, kIdentityScreen);
    input_->pushCursorRead(c.after);
    return probe_.observe(*system_, mouseEvent(dx, dy, 0, c.flags), c.sent,
                          c.before.value_or(CursorPoint{}), c.before.has_value());
  }

  std::shared_ptr<FakeInput> input_ = std::make_shared<FakeInput>();
  std::unique_ptr<InputSystem> system_ = input_->makeSystem();
  InjectionReachProbe probe_;
};

TEST_F(ReachProbeTest, ClassifiesEachSample) {
  constexpr CursorPoint kStart{100, 100};
  constexpr CursorPoint kTarget{500, 300};
  const ProbeCase cases[] = {
      {"arrived", kStart, kTarget, kAbsoluteMove, true, kIdentityScreen, ProbeVerdict::Reaching},
      {"within two pixels", kStart, CursorPoint{502, 298}, kAbsoluteMove, true, kIdentityScreen,
       ProbeVerdict::Reaching},
      {"did not move", kStart, kStart, kAbsoluteMove, true, kIdentityScreen,
       ProbeVerdict::Discarded},
      {"already at the target", CursorPoint{499, 301}, CursorPoint{499, 301}, kAbsoluteMove, true,
       kIdentityScreen, ProbeVerdict::Inconclusive},
      {"moved elsewhere", kStart, CursorPoint{900, 900}, kAbsoluteMove, true, kIdentityScreen,
       ProbeVerdict::Inconclusive},
      {"three pixels off", kStart, CursorPoint{503, 300}, kAbsoluteMove, true, kIdentityScreen,
       ProbeVerdict::Inconclusive},
      {"short SendInput", kStart, kStart, kAbsoluteMove, false, kIdentityScreen,
       ProbeVerdict::Inconclusive},
      {"virtual desktop", kStart, kStart, kAbsoluteMove | kMouseVirtualDesk, true, kIdentityScreen,
       ProbeVerdict::Inconclusive},
      {"screen one pixel wide", kStart, kStart, kAbsoluteMove, true, 1, ProbeVerdict::Inconclusive},
      {"first read failed", std::nullopt, kStart, kAbsoluteMove, true, kIdentityScreen,
       ProbeVerdict::Inconclusive},
      {"second read failed", kStart, std::nullopt, kAbsoluteMove, true, kIdentityScreen,
       ProbeVerdict::Inconclusive},
  };
  for (const ProbeCase& c : cases) {
    InjectionReachProbe fresh;
    probe_ = fresh;
    const char* line = observe(c);
    switch (c.verdict) {
      case ProbeVerdict::Reaching:
        EXPECT_STREQ(line, kProbeReachingLine) << c.name;
        break;
      case ProbeVerdict::Discarded:
        EXPECT_STREQ(line, kProbeDiscardedLine) << c.name;
        break;
      case ProbeVerdict::Inconclusive:
        EXPECT_EQ(line, nullptr) << c.name;
        break;
    }
    EXPECT_EQ(probe_.probed(), c.verdict != ProbeVerdict::Inconclusive) << c.name;
  }
}

TEST_F(ReachProbeTest, WritesOnlyChangesAcrossArmings) {
  const ProbeCase reaching{"",   CursorPoint{100, 100}, CursorPoint{500, 300}, kAbsoluteMove,
                           true, kIdentityScreen,       ProbeVerdict::Reaching};
  const ProbeCase discarded{"",   CursorPoint{100, 100}, CursorPoint{100, 100},  kAbsoluteMove,
                            true, kIdentityScreen,       ProbeVerdict::Discarded};

  EXPECT_STREQ(observe(reaching), kProbeReachingLine);
  EXPECT_EQ(observe(discarded), nullptr);  // concluded: no verdict until re-armed
  EXPECT_EQ(probe_.lastVerdict(), ProbeVerdict::Reaching);

  probe_.rearm();
  EXPECT_EQ(observe(reaching), nullptr);  // same verdict again: silent
  EXPECT_TRUE(probe_.probed());

  probe_.rearm();
  EXPECT_STREQ(observe(discarded), kProbeDiscardedLine);
  EXPECT_EQ(probe_.lastVerdict(), ProbeVerdict::Discarded);
}

TEST(ReachProbe, QualifiesOnlyAbsoluteMoves) {
  EXPECT_TRUE(InjectionReachProbe::qualifies(mouseEvent(1, 2, 0, kAbsoluteMove)));
  EXPECT_TRUE(InjectionReachProbe::qualifies(mouseEvent(1, 2, 0, kAbsoluteMove | kMouseLeftDown)));
  EXPECT_FALSE(InjectionReachProbe::qualifies(mouseEvent(1, 2, 0, kMouseMove)));
  EXPECT_FALSE(InjectionReachProbe::qualifies(mouseEvent(0, 0, 120, kMouseWheel)));
  EXPECT_FALSE(InjectionReachProbe::qualifies(keyEvent(0x001E, false)));
}

TEST(ReachProbe, ClassifyComparesWithoutOverflow) {
  ProbeSample sample;
  sample.hasExpected = true;
  sample.beforeX = std::numeric_limits<std::int32_t>::min();
  sample.expectedX = std::numeric_limits<std::int32_t>::max();
  sample.afterX = sample.beforeX;
  EXPECT_EQ(classifyProbe(sample), ProbeVerdict::Discarded);
}

}  // namespace
}  // namespace orvane::win
