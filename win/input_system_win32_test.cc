// The Win32 input system against the real SendInput, observed through low-level hooks: what we
// send is what reaches the system, and the reach probe sees the cursor really move.
#include "win/input_system_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "runner/input_observer.h"
#include "win/injection_reach_probe.h"
#include "win/input_injector.h"

namespace orvane::win {
namespace {

using runner::ObservedEvent;
using runner::ObservedKind;

constexpr std::int64_t kObserveLimitMs = 5000;
constexpr std::int32_t kAbsoluteRange = 65535;
constexpr std::int32_t kPixelTolerance = 2;

class InputSystemWin32Test : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(observer_.Start()); }

  // Sends one batch and returns what the hooks saw of it (our tagged events only).
  std::vector<ObservedEvent> sendAndObserve(const std::vector<InjectEvent>& events) {
    observer_.Take();
    EXPECT_EQ(system_->sendInput(events), events.size());
    EXPECT_TRUE(observer_.WaitForCount(events.size(), kObserveLimitMs));
    std::vector<ObservedEvent> ours;
    for (const ObservedEvent& event : observer_.Take()) {
      if (event.extraInfo == kInjectedTag) {
        ours.push_back(event);
      }
    }
    return ours;
  }

  runner::InputObserver observer_;
  std::unique_ptr<InputSystem> system_ = makePlatformInputSystem();
};

TEST_F(InputSystemWin32Test, Keys_ArriveWithScanCodeExtendedAndUpFlags) {
  const std::vector<InjectEvent> sent = {keyEvent(0x001E, false), keyEvent(0x001E, true),
                                         keyEvent(0xE01D, false), keyEvent(0xE01D, true)};
  const std::vector<ObservedEvent> seen = sendAndObserve(sent);
  ASSERT_EQ(seen.size(), sent.size());
  const bool extended[] = {false, false, true, true};
  for (std::size_t i = 0; i < sent.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(seen[i].kind, ObservedKind::Key);
    EXPECT_EQ(seen[i].scanCode, sent[i].scan);
    EXPECT_EQ(seen[i].extended, extended[i]);
    EXPECT_EQ(seen[i].keyUp, i % 2 == 1);
    EXPECT_TRUE(seen[i].injected);
  }
}

TEST_F(InputSystemWin32Test, Mouse_AbsoluteMovesButtonsAndWheelsArriveAsSent) {
  const std::int32_t width = system_->getSystemMetrics(kMetricPrimaryWidth);
  const std::int32_t height = system_->getSystemMetrics(kMetricPrimaryHeight);
  constexpr std::int32_t kDx = 16384;
  constexpr std::int32_t kDy = 49152;
  constexpr std::int32_t kWheelDown = -2 * kWheelNotch;
  const std::vector<InjectEvent> sent = {
      mouseEvent(kDx, kDy, 0, kMouseMove | kMouseAbsolute),
      mouseEvent(0, 0, 0, kMouseRightDown),
      mouseEvent(0, 0, 0, kMouseRightUp),
      mouseEvent(0, 0, static_cast<std::uint32_t>(kWheelDown), kMouseWheel),
      mouseEvent(0, 0, kWheelNotch, kMouseHorizontalWheel),
  };
  const std::vector<ObservedEvent> seen = sendAndObserve(sent);
  ASSERT_EQ(seen.size(), sent.size());

  EXPECT_EQ(seen[0].kind, ObservedKind::Move);
  EXPECT_NEAR(seen[0].x, mulDiv(kDx, width - 1, kAbsoluteRange), kPixelTolerance);
  EXPECT_NEAR(seen[0].y, mulDiv(kDy, height - 1, kAbsoluteRange), kPixelTolerance);
  EXPECT_EQ(seen[1].kind, ObservedKind::RightDown);
  EXPECT_EQ(seen[2].kind, ObservedKind::RightUp);
  EXPECT_EQ(seen[3].kind, ObservedKind::Wheel);
  EXPECT_EQ(seen[3].wheelDelta, kWheelDown);
  EXPECT_EQ(seen[4].kind, ObservedKind::HWheel);
  EXPECT_EQ(seen[4].wheelDelta, kWheelNotch);
  for (const ObservedEvent& event : seen) {
    EXPECT_TRUE(event.injected);
  }
}

TEST(MulDivWin32, PortableMatchesTheSystem) {
  std::mt19937 random(7);
  std::uniform_int_distribution<std::int32_t> any;
  std::uniform_int_distribution<std::int32_t> small(-70000, 70000);
  for (int i = 0; i < 20000; ++i) {
    const std::int32_t a = i % 2 == 0 ? any(random) : small(random);
    const std::int32_t b = i % 3 == 0 ? any(random) : small(random);
    const std::int32_t c = i % 5 == 0 ? any(random) : small(random);
    ASSERT_EQ(mulDiv(a, b, c), MulDiv(a, b, c)) << a << " " << b << " " << c;
  }
}

TEST(InjectorWin32, Probe_SeesInjectionReachTheDesktop) {
  runner::InputObserver observer;
  ASSERT_TRUE(observer.Start());
  // Park the cursor near a corner, through the same call the injector uses (SetCursorPos lands
  // late under Wine's X11 driver), and wait until the system reports it there.
  auto system = makePlatformInputSystem();
  ASSERT_EQ(system->sendInput({mouseEvent(0, 0, 0, kMouseMove | kMouseAbsolute)}), 1u);
  CursorPoint parked{-1, -1};
  for (int i = 0; i < 100 && !(parked.x == 0 && parked.y == 0); ++i) {
    ASSERT_TRUE(system->getPhysicalCursorPos(parked));
    Sleep(10);
  }

  auto lines = std::make_shared<std::vector<std::string>>();
  auto mutex = std::make_shared<std::mutex>();
  {
    InputInjector injector(
        [lines, mutex](const std::string& line) {
          const std::lock_guard<std::mutex> lock(*mutex);
          lines->push_back(line);
        },
        std::move(system));
    injector.setPeerConnected(true);
    injector.injectInput(R"({"t":"mm","x":0.5,"y":0.5})");
    ASSERT_TRUE(injector.flushForTesting(kObserveLimitMs));
  }
  const std::lock_guard<std::mutex> lock(*mutex);
  ASSERT_FALSE(lines->empty());
  EXPECT_EQ(lines->front(), kProbeReachingLine);
}

}  // namespace
}  // namespace orvane::win
