// Arming, and lines only on a changed verdict, are checked through the injector.
#include "win/injection_reach_probe.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <optional>

#include "win/testing/injector_testing.h"

namespace orvane::win {
namespace {

// With a 65536-pixel primary screen an absolute coordinate is also the pixel it aims at.
constexpr std::int32_t kIdentityScreen = 65536;
constexpr std::uint32_t kAbsoluteMove = kMouseMove | kMouseAbsolute;
constexpr CursorPoint kStart{100, 100};
constexpr CursorPoint kTarget{60000, 40000};
constexpr std::uint32_t kVirtualMove = kAbsoluteMove | kMouseVirtualDesk;

// A virtual desktop that starts left of and above the primary display, where again an absolute
// coordinate is its pixel, shifted by the origin.
PointerGeometry virtualDesktop(std::int32_t width = kIdentityScreen) {
  return captureGeometry({}, -100, -50, width, kIdentityScreen);
}

TEST(ReachProbe, ClassifiesEachSample) {
  const struct {
    const char* name;
    std::optional<CursorPoint> before, after;
    ProbeVerdict verdict;
    std::uint32_t flags = kAbsoluteMove;
    bool sent = true;
    std::int32_t width = kIdentityScreen;
    std::int32_t height = kIdentityScreen;
    PointerGeometry geometry = {};
  } cases[] = {
      {"arrived", kStart, kTarget, ProbeVerdict::Reaching},
      {"within two pixels", kStart, CursorPoint{60002, 39998}, ProbeVerdict::Reaching},
      {"did not move", kStart, kStart, ProbeVerdict::Discarded},
      {"already at the target", CursorPoint{59999, 40001}, CursorPoint{59999, 40001},
       ProbeVerdict::Inconclusive},
      {"moved elsewhere", kStart, CursorPoint{900, 900}, ProbeVerdict::Inconclusive},
      {"moved only vertically", kStart, CursorPoint{100, 40000}, ProbeVerdict::Inconclusive},
      {"three pixels off", kStart, CursorPoint{60003, 40000}, ProbeVerdict::Inconclusive},
      {"short SendInput", kStart, kStart, ProbeVerdict::Inconclusive, kAbsoluteMove, false},
      {"virtual-desktop move, primary mapping", kStart, kStart, ProbeVerdict::Inconclusive,
       kVirtualMove},
      {"primary move, virtual mapping", kStart, kStart, ProbeVerdict::Inconclusive, kAbsoluteMove,
       true, kIdentityScreen, kIdentityScreen, virtualDesktop()},
      {"virtual desktop, arrived", kStart, CursorPoint{59900, 39950}, ProbeVerdict::Reaching,
       kVirtualMove, true, kIdentityScreen, kIdentityScreen, virtualDesktop()},
      {"virtual desktop, did not move", kStart, kStart, ProbeVerdict::Discarded, kVirtualMove, true,
       kIdentityScreen, kIdentityScreen, virtualDesktop()},
      {"virtual desktop, unshifted target", kStart, kTarget, ProbeVerdict::Inconclusive,
       kVirtualMove, true, kIdentityScreen, kIdentityScreen, virtualDesktop()},
      {"virtual desktop one pixel wide", kStart, kStart, ProbeVerdict::Inconclusive, kVirtualMove,
       true, kIdentityScreen, kIdentityScreen, virtualDesktop(1)},
      {"screen one pixel wide", kStart, kStart, ProbeVerdict::Inconclusive, kAbsoluteMove, true, 1},
      {"screen two pixels wide", kStart, kStart, ProbeVerdict::Discarded, kAbsoluteMove, true, 2},
      {"screen two pixels high", kStart, kStart, ProbeVerdict::Discarded, kAbsoluteMove, true,
       kIdentityScreen, 2},
      {"first read failed", std::nullopt, kStart, ProbeVerdict::Inconclusive},
      {"second read failed", kStart, std::nullopt, ProbeVerdict::Inconclusive},
  };
  const auto input = std::make_shared<FakeInput>();
  const auto system = input->makeSystem();
  for (const auto& c : cases) {
    input->setMetric(kMetricPrimaryWidth, c.width);
    input->setMetric(kMetricPrimaryHeight, c.height);
    input->setCursor(c.after.value_or(CursorPoint{}), c.after.has_value());
    InjectionReachProbe probe;
    const char* line =
        probe.observe(*system, mouseEvent(kTarget.x, kTarget.y, 0, c.flags), c.geometry, c.sent,
                      c.before.value_or(CursorPoint{}), c.before.has_value());
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
