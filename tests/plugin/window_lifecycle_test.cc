// The plugin and the runner's windows: on top, the delegate, the clipboard's owner, teardown.
#include <windows.h>
// After windows.h, whose types it uses.
#include <tlhelp32.h>

#include <set>

#include "orvane_native/platform_thread_dispatcher.h"
#include "tests/plugin/plugin_fixture.h"

namespace orvane::plugin_test {
namespace {

// The ids of this process's live threads.
std::set<DWORD> ProcessThreads() {
  std::set<DWORD> threads;
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) threads.insert(entry.th32ThreadID);
  }
  CloseHandle(snapshot);
  return threads;
}

using PluginWindowTest = PluginTest;

// A reason that is not a string is "unspecified"; a cancelled end of the session releases nothing.
// Releases run in order with injection, so each finds A held again.
TEST_F(PluginWindowTest, Releases_NameTheirReasonAndTeardownEndsEveryPluginThread) {
  const std::set<DWORD> before = ProcessThreads();
  StartHost();
  const std::set<DWORD> during = ProcessThreads();
  EXPECT_GT(during.size(), before.size());
  HoldKeyA();
  SendMessageW(TopLevel(), WM_ENDSESSION, FALSE, 0);
  EXPECT_EQ(Call("releaseHeldInput", Arg("reason", EncodableValue(3))).kind, Kind::Success);
  HoldKeyA();
  ASSERT_TRUE(host_->DestroyRegistrar());

  EXPECT_EQ(host_->engine().CallCount(kOrvaneEmbedderCallUnregisterWindowProcDelegate), 1u);
  for (const char* reason : {"(unspecified)", "(destructor)"}) {
    EXPECT_TRUE(LogContains(std::string("input: releasing held input ") + reason + ": 1 event(s)"))
        << Log();
  }
  const std::set<DWORD> after = ProcessThreads();
  for (const DWORD id : during) {
    EXPECT_TRUE(before.count(id) == 1 || after.count(id) == 0) << "thread " << id;
  }
  // The runner still closes normally, with no delegate left to see it.
  SendMessageW(TopLevel(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(host_->window()->destroyed());
  EXPECT_FALSE(LogContains("appTerminating"));
}

// A second engine in the process gets a plugin and dispatcher window of its own: the window class
// the first plugin registered serves it too.
TEST_F(PluginWindowTest, SetAlwaysOnTop_TogglesOnlyTheTopmostBandAlsoWithASecondEngine) {
  StartHost();
  std::string error;
  const auto second = runner::PluginHost::Create(ViewMode::WithoutView, &error);
  ASSERT_TRUE(second && second->LoadPlugin(&error)) << error;
  RECT before{};
  GetWindowRect(TopLevel(), &before);
  for (const bool onTop : {false, true, true, false}) {
    EXPECT_EQ(Call("setAlwaysOnTop", Arg("onTop", onTop)).kind, Kind::Success);
    EXPECT_EQ((GetWindowLongPtrW(TopLevel(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, onTop);
  }
  RECT after{};
  GetWindowRect(TopLevel(), &after);
  EXPECT_TRUE(EqualRect(&before, &after));
  EXPECT_EQ(second->Call("getPermissions").kind, Kind::Success);
  EXPECT_FALSE(LogContains("FATAL"));
}

// Opened without an owner, an emptied clipboard has no owner and SetClipboardData fails on
// Windows: without a view the plugin's own window owns it.
TEST_F(PluginWindowTest, ClipboardWrite_WithoutAView_IsOwnedByThePluginsWindow) {
  StartHost(ViewMode::WithoutView);
  ASSERT_EQ(Call("clipboardWrite", Arg("text", EncodableValue("no view"))).kind, Kind::Success);
  const HWND dispatcher = FindWindowExW(
      HWND_MESSAGE, nullptr, orvane_native::PlatformThreadDispatcher::kWindowClassName, nullptr);
  ASSERT_NE(dispatcher, nullptr);
  EXPECT_EQ(GetClipboardOwner(), dispatcher);
  EXPECT_EQ(Call("clipboardRead").value, EncodableValue("no view"));
}

// A CBT hook that makes every window creation on its thread fail, with a known last error.
LRESULT CALLBACK RefuseWindows(int code, WPARAM wParam, LPARAM lParam) {
  if (code != HCBT_CREATEWND) return CallNextHookEx(nullptr, code, wParam, lParam);
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return 1;
}

TEST_F(PluginWindowTest, DispatcherWithoutWindow_LogsTheFatalLineAndKeepsServing) {
  std::string error;
  host_ = runner::PluginHost::Create(ViewMode::WithView, &error);
  ASSERT_TRUE(host_) << error;
  const HHOOK hook = SetWindowsHookExW(WH_CBT, &RefuseWindows, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  const bool loaded = host_->LoadPlugin(&error);
  UnhookWindowsHookEx(hook);
  ASSERT_TRUE(loaded) << error;
  // Plain decimal, no padding or sign.
  EXPECT_TRUE(LogContains(
      "[orvane_native] FATAL: the platform-thread dispatcher has no window (CreateWindowExW "
      "failed, GetLastError=1400); native-to-Dart events cannot be delivered\n"))
      << Log();
  EXPECT_EQ(Call("getPermissions").kind, Kind::Success);
}

}  // namespace
}  // namespace orvane::plugin_test
