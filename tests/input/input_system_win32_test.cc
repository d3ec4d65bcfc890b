// The injector on the Win32 input system, against the real SendInput and observed through
// low-level hooks: a frame's absolute position lands where it should, under the primary mapping
// and through a capture rectangle, and the reach probe sees the cursor really move. Keys, buttons
// and wheels are checked by the runner's recorded sessions.
#include "win/input_system_win32.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "runner/input_observer.h"
#include "win/injection_reach_probe.h"
#include "win/input_injector.h"

namespace orvane::win {
namespace {

constexpr std::int64_t kObserveLimitMs = 5000;
const char* const kMonitorsWarning =
    "input: more than one monitor — pointer coordinates are mapped onto the PRIMARY display, so "
    "clicks land on the wrong screen if the captured screen is not the primary one (design "
    "section 8 item 1)";

struct Landing {
  runner::ObservedEvent move;
  std::vector<std::string> lines;
};

// One pointer frame from a cursor parked at the origin: the tagged move the hooks saw, and the
// injector's lines up to its teardown.
Landing InjectMove(std::optional<CaptureRect> capture, double x, double y) {
  runner::InputObserver observer;
  EXPECT_TRUE(observer.Start());
  // Park the cursor in a corner, through the same call the injector uses (SetCursorPos lands
  // late under Wine's X11 driver), and wait until the system reports it there.
  auto system = makePlatformInputSystem();
  EXPECT_EQ(system->sendInput({mouseEvent(0, 0, 0, kMouseMove | kMouseAbsolute)}), 1u);
  CursorPoint parked{-1, -1};
  for (int i = 0; i < 100 && !(parked.x == 0 && parked.y == 0); ++i) {
    EXPECT_TRUE(system->getPhysicalCursorPos(parked));
    Sleep(10);
  }

  Landing landing;
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
    injector.setCaptureRect(capture);
    char frame[96];
    std::snprintf(frame, sizeof(frame), R"({"t":"mm","x":%.17g,"y":%.17g})", x, y);
    injector.injectInput(frame);
    EXPECT_TRUE(injector.flushForTesting(kObserveLimitMs));
    // Before the teardown's release adds its lines.
    const std::lock_guard<std::mutex> lock(*mutex);
    landing.lines = *lines;
  }
  // The parking move may be seen late; the injector's is the tagged move away from the corner.
  for (int i = 0; i < 100 && landing.move.x == 0; ++i) {
    for (const runner::ObservedEvent& event : observer.Snapshot()) {
      if (event.kind == runner::ObservedKind::Move && event.extraInfo == kInjectedTag)
        landing.move = event;
    }
    Sleep(10);
  }
  return landing;
}

TEST(InjectorWin32, PrimaryMapping_LandsOnTheCentreAndWarnsOfTheSecondMonitor) {
  ASSERT_EQ(GetSystemMetrics(SM_CMONITORS), 2) << "scripts/wine-run's display has two screens";
  const Landing landing = InjectMove(std::nullopt, 0.5, 0.5);
  EXPECT_NEAR(landing.move.x, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
  EXPECT_NEAR(landing.move.y, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
  EXPECT_THAT(landing.lines, ::testing::ElementsAre(kMonitorsWarning, kProbeReachingLine));
}

TEST(InjectorWin32, CaptureRect_LandsOnItsPixelWithoutTheMonitorsWarning) {
  const CaptureRect primary{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  // Fractions that name whole pixels: the 640th column and the 300th row.
  const Landing landing =
      InjectMove(primary, 640.0 / (primary.right - 1), 300.0 / (primary.bottom - 1));
  EXPECT_EQ(landing.move.x, 640);
  EXPECT_EQ(landing.move.y, 300);
  EXPECT_THAT(landing.lines, ::testing::ElementsAre(kProbeReachingLine));
}

}  // namespace
}  // namespace orvane::win
