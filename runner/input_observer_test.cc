// Tests that InputObserver records injected keyboard and mouse input as it was sent.
#include "runner/input_observer.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace orvane::runner {
namespace {

constexpr ULONG_PTR kTag = 0x4F52564E;
constexpr std::int64_t kWaitMs = 5000;  // Only reached when something is broken.
constexpr LONG kAbsoluteHalf = 32768;   // The middle of the 0..65535 absolute range.
constexpr int kPositionTolerance = 2;
constexpr WORD kScanA = 0x1E;
constexpr WORD kScanRightArrow = 0x4D;  // Extended: the arrow cluster, not the keypad's 6.
constexpr std::int16_t kWheelDown = -120;

INPUT Key(WORD scanCode, DWORD extraFlags) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wScan = scanCode;
  input.ki.dwFlags = KEYEVENTF_SCANCODE | extraFlags;
  input.ki.dwExtraInfo = kTag;
  return input;
}

INPUT Mouse(LONG dx, LONG dy, DWORD mouseData, DWORD flags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = dx;
  input.mi.dy = dy;
  input.mi.mouseData = mouseData;
  input.mi.dwFlags = flags;
  input.mi.dwExtraInfo = kTag;
  return input;
}

TEST(InputObserverTest, RecordsInjectedInputAsSent) {
  InputObserver observer;
  std::atomic<int> callbacks{0};
  ASSERT_TRUE(observer.Start([&callbacks](const ObservedEvent&) { ++callbacks; }));
  EXPECT_FALSE(observer.Start());

  std::vector<INPUT> inputs = {
      Key(kScanA, 0),
      Key(kScanA, KEYEVENTF_KEYUP),
      Key(kScanRightArrow, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP),
      Mouse(kAbsoluteHalf, kAbsoluteHalf, 0, MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE),
      Mouse(0, 0, static_cast<DWORD>(kWheelDown), MOUSEEVENTF_WHEEL),
  };
  ASSERT_EQ(SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)),
            inputs.size());
  ASSERT_TRUE(observer.WaitForCount(inputs.size(), kWaitMs));
  observer.Stop();

  std::vector<ObservedEvent> seen;
  for (const ObservedEvent& event : observer.Take()) {
    if (event.extraInfo == kTag) seen.push_back(event);
  }
  ASSERT_EQ(seen.size(), inputs.size());
  EXPECT_GE(callbacks.load(), static_cast<int>(inputs.size()));
  EXPECT_TRUE(observer.Snapshot().empty());
  for (const ObservedEvent& event : seen) EXPECT_TRUE(event.injected);

  const struct {
    std::uint32_t scanCode;
    bool extended;
    bool keyUp;
  } keys[] = {{kScanA, false, false}, {kScanA, false, true}, {kScanRightArrow, true, true}};
  for (std::size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(seen[i].kind, ObservedKind::Key);
    EXPECT_EQ(seen[i].scanCode, keys[i].scanCode);
    EXPECT_EQ(seen[i].extended, keys[i].extended);
    EXPECT_EQ(seen[i].keyUp, keys[i].keyUp);
  }
  EXPECT_EQ(seen[3].kind, ObservedKind::Move);
  EXPECT_LE(std::abs(seen[3].x - GetSystemMetrics(SM_CXSCREEN) / 2), kPositionTolerance);
  EXPECT_LE(std::abs(seen[3].y - GetSystemMetrics(SM_CYSCREEN) / 2), kPositionTolerance);
  EXPECT_EQ(seen[4].kind, ObservedKind::Wheel);
  EXPECT_EQ(seen[4].wheelDelta, kWheelDown);
}

TEST(InputObserverTest, WaitForCount_GivesUpAtLimitAndStopIsRepeatable) {
  InputObserver observer;
  ASSERT_TRUE(observer.Start());
  EXPECT_FALSE(observer.WaitForCount(1000, 10));
  observer.Stop();
  observer.Stop();
  ASSERT_TRUE(observer.Start());  // A stopped observer can be started again.
}

}  // namespace
}  // namespace orvane::runner
