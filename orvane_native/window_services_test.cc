// Tests of the window services against real windows (needs a display: Xvfb under Wine).
#include "window_services.h"

#include <gtest/gtest.h>

#include <thread>

#include "stderr_capture_test_util.h"

namespace orvane_native {
namespace {

constexpr wchar_t kTestWindowClass[] = L"OrvaneNativeServicesTestWindow";

// A window of a plain test class that is destroyed with the object.
class TestWindow {
 public:
  TestWindow(DWORD style, HWND parent) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kTestWindowClass;
    RegisterClassExW(&windowClass);
    window_ = CreateWindowExW(0, kTestWindowClass, L"test", style, 10, 10, 200, 150, parent,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  ~TestWindow() {
    if (window_ != nullptr) DestroyWindow(window_);
  }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  HWND get() const { return window_; }

 private:
  HWND window_ = nullptr;
};

bool IsTopmost(HWND window) {
  return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

TEST(WindowServicesTest, GetTopLevelWindow_FindsTheRootOfTheView) {
  const TestWindow runner(WS_OVERLAPPEDWINDOW, nullptr);
  ASSERT_NE(runner.get(), nullptr) << "no display? error " << GetLastError();
  const TestWindow view(WS_CHILD | WS_VISIBLE, runner.get());
  ASSERT_NE(view.get(), nullptr);
  const TestWindow nested(WS_CHILD | WS_VISIBLE, view.get());
  ASSERT_NE(nested.get(), nullptr);

  EXPECT_EQ(GetTopLevelWindow(view.get()), runner.get());
  EXPECT_EQ(GetTopLevelWindow(nested.get()), runner.get());
  EXPECT_EQ(GetTopLevelWindow(runner.get()), runner.get());
  EXPECT_EQ(GetTopLevelWindow(nullptr), nullptr);
}

TEST(WindowServicesTest, SetTopmost_TogglesTheTopmostBand) {
  const TestWindow runner(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr);
  ASSERT_NE(runner.get(), nullptr) << "no display? error " << GetLastError();
  RECT before{};
  GetWindowRect(runner.get(), &before);
  std::uint32_t error = 0;

  ASSERT_FALSE(IsTopmost(runner.get()));
  EXPECT_TRUE(SetTopmost(runner.get(), false, &error));
  EXPECT_FALSE(IsTopmost(runner.get()));

  EXPECT_TRUE(SetTopmost(runner.get(), true, &error));
  EXPECT_TRUE(IsTopmost(runner.get()));
  EXPECT_TRUE(SetTopmost(runner.get(), true, &error));
  EXPECT_TRUE(IsTopmost(runner.get()));

  EXPECT_TRUE(SetTopmost(runner.get(), false, &error));
  EXPECT_FALSE(IsTopmost(runner.get()));

  RECT after{};
  GetWindowRect(runner.get(), &after);
  EXPECT_TRUE(EqualRect(&before, &after));
}

TEST(WindowServicesTest, SetTopmost_FailsWithoutAUsableWindow) {
  std::uint32_t error = 0;
  EXPECT_FALSE(SetTopmost(nullptr, true, &error));
  EXPECT_EQ(error, static_cast<std::uint32_t>(ERROR_INVALID_WINDOW_HANDLE));

  HWND gone = nullptr;
  {
    const TestWindow runner(WS_OVERLAPPEDWINDOW, nullptr);
    gone = runner.get();
  }
  ASSERT_NE(gone, nullptr);
  error = 0;
  EXPECT_FALSE(SetTopmost(gone, true, &error));
  EXPECT_EQ(error, static_cast<std::uint32_t>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST(WindowServicesTest, RequestQuit_PostsCloseToTheWindow) {
  const TestWindow runner(WS_OVERLAPPEDWINDOW, nullptr);
  ASSERT_NE(runner.get(), nullptr) << "no display? error " << GetLastError();
  StderrCapture capture;

  RequestQuit(runner.get());

  MSG message{};
  ASSERT_TRUE(PeekMessageW(&message, runner.get(), 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_CLOSE));
  EXPECT_EQ(message.wParam, 0u);
  EXPECT_EQ(message.lParam, 0);
  EXPECT_FALSE(PeekMessageW(&message, runner.get(), 0, 0, PM_REMOVE));
  EXPECT_EQ(capture.Take(), "");
}

TEST(WindowServicesTest, RequestQuit_WithoutWindowEndsThisThreadsMessageLoop) {
  StderrCapture capture;
  // On a thread of its own, so the quit message cannot reach the test runner's thread.
  WPARAM exitCode = 1;
  std::thread platformThread([&exitCode] {
    RequestQuit(nullptr);
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    exitCode = message.wParam;
  });
  platformThread.join();

  EXPECT_EQ(exitCode, 0u);
  EXPECT_EQ(capture.Take(),
            "[orvane_native] quit: no top-level window; asking this thread's message loop to end "
            "instead\n");
}

}  // namespace
}  // namespace orvane_native
