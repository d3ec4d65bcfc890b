// Tests of the window services against real windows (needs a display: Xvfb under Wine). Finding
// the top-level window and quitting are checked through the plugin, with and without a view.
#include "window_services.h"

#include <gtest/gtest.h>

#include <memory>

namespace orvane_native {
namespace {

using Window = std::unique_ptr<HWND__, BOOL(WINAPI*)(HWND)>;

Window MakeWindow(DWORD style) {
  return Window(CreateWindowExW(0, L"STATIC", L"", style, 10, 10, 200, 150, nullptr, nullptr,
                                nullptr, nullptr),
                &DestroyWindow);
}

bool IsTopmost(HWND window) {
  return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

TEST(WindowServicesTest, SetTopmost_TogglesOnlyTheTopmostBand) {
  const Window runner = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
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
  const HWND gone = MakeWindow(WS_OVERLAPPEDWINDOW).release();
  DestroyWindow(gone);
  for (HWND unusable : {static_cast<HWND>(nullptr), gone}) {
    error = 0;
    EXPECT_FALSE(SetTopmost(unusable, true, &error));
    EXPECT_EQ(error, static_cast<std::uint32_t>(ERROR_INVALID_WINDOW_HANDLE));
  }
}

}  // namespace
}  // namespace orvane_native
