// The injector on the Win32 input system, against the real SendInput and observed through
// low-level hooks: a frame's absolute position lands where it should and the reach probe sees the
// cursor really move. Keys, buttons and wheels are checked by the runner's recorded sessions.
#include "win/input_system_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "runner/input_observer.h"
#include "win/injection_reach_probe.h"
#include "win/input_injector.h"

namespace orvane::win {
namespace {

constexpr std::int64_t kObserveLimitMs = 5000;

TEST(InjectorWin32, PointerFrame_LandsOnTheCentreAndTheProbeSeesItReachTheDesktop) {
  runner::InputObserver observer;
  ASSERT_TRUE(observer.Start());
  // Park the cursor in a corner, through the same call the injector uses (SetCursorPos lands
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
  // The parking move may be seen late; the injector's is the tagged move away from the corner.
  runner::ObservedEvent moved;
  for (int i = 0; i < 100 && moved.x == 0; ++i) {
    for (const runner::ObservedEvent& event : observer.Snapshot()) {
      if (event.kind == runner::ObservedKind::Move && event.extraInfo == kInjectedTag)
        moved = event;
    }
    Sleep(10);
  }
  EXPECT_NEAR(moved.x, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
  EXPECT_NEAR(moved.y, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
  const std::lock_guard<std::mutex> lock(*mutex);
  ASSERT_FALSE(lines->empty());
  EXPECT_EQ(lines->front(), kProbeReachingLine);
}

}  // namespace
}  // namespace orvane::win
