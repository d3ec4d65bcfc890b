// Tests of the window services against real windows (needs a display: Xvfb under Wine).
#include "window_services.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "stderr_capture_test_util.h"

namespace orvane_native {
namespace {

using Window = std::unique_ptr<HWND__, BOOL(WINAPI*)(HWND)>;

Window MakeWindow(DWORD style, HWND parent) {
  return Window(CreateWindowExW(0, L"STATIC", L"", style, 10, 10, 200, 150, parent, nullptr,
                                nullptr, nullptr),
                &DestroyWindow);
}

bool IsTopmost(HWND window) {
  return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

TEST(WindowServicesTest, GetTopLevelWindow_FindsTheRootOfTheView) {
  const Window runner = MakeWindow(WS_OVERLAPPEDWINDOW, nullptr);
  ASSERT_TRUE(runner) << "no display? error " << GetLastError();
  const Window view = MakeWindow(WS_CHILD, runner.get());
  const Window nested = MakeWindow(WS_CHILD, view.get());
  ASSERT_TRUE(nested);

  EXPECT_EQ(GetTopLevelWindow(view.get()), runner.get());
  EXPECT_EQ(GetTopLevelWindow(nested.get()), runner.get());
  EXPECT_EQ(GetTopLevelWindow(runner.get()), runner.get());
  EXPECT_EQ(GetTopLevelWindow(nullptr), nullptr);
}

TEST(WindowServicesTest, SetTopmost_TogglesOnlyTheTopmostBand) {
  const Window runner = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr);
  ASSERT_TRUE(runner) << "no display? error " << GetLastError();
  RECT before{};
  GetWindowRect(runner.get(), &before);
  std::uint32_t error = 0;
  // After each request the window is topmost exactly when asked; the first changes nothing.
  const bool steps[] = {false, true, true, false};
  for (const bool onTop : steps) {
    EXPECT_TRUE(SetTopmost(runner.get(), onTop, &error)) << "error " << error;
    EXPECT_EQ(IsTopmost(runner.get()), onTop);
  }
  RECT after{};
  GetWindowRect(runner.get(), &after);
  EXPECT_TRUE(EqualRect(&before, &after));

  // A handle whose window has been destroyed.
  const HWND gone = MakeWindow(WS_OVERLAPPEDWINDOW, nullptr).release();
  DestroyWindow(gone);
  for (HWND unusable : {static_cast<HWND>(nullptr), gone}) {
    error = 0;
    EXPECT_FALSE(SetTopmost(unusable, true, &error));
    EXPECT_EQ(error, static_cast<std::uint32_t>(ERROR_INVALID_WINDOW_HANDLE));
  }
}

TEST(WindowServicesTest, RequestQuit_ClosesTheWindowOrEndsTheMessageLoop) {
  const Window runner = MakeWindow(WS_OVERLAPPEDWINDOW, nullptr);
  ASSERT_TRUE(runner) << "no display? error " << GetLastError();
  StderrCapture capture;

  RequestQuit(runner.get());
  MSG message{};
  ASSERT_TRUE(PeekMessageW(&message, runner.get(), 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_CLOSE));
  EXPECT_EQ(message.wParam, 0u);
  EXPECT_EQ(message.lParam, 0);
  EXPECT_EQ(capture.Take(), "");

  // On a thread of its own, so the quit message cannot reach the test runner's thread.
  StderrCapture quitCapture;
  WPARAM exitCode = 1;
  std::thread([&exitCode] {
    RequestQuit(nullptr);
    MSG loopMessage{};
    while (GetMessageW(&loopMessage, nullptr, 0, 0) > 0) DispatchMessageW(&loopMessage);
    exitCode = loopMessage.wParam;
  }).join();
  EXPECT_EQ(exitCode, 0u);
  EXPECT_EQ(quitCapture.Take(),
            "[orvane_native] quit: no top-level window; asking this thread's message loop to end "
            "instead\n");
}

}  // namespace
}  // namespace orvane_native
