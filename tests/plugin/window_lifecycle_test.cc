// The plugin and the runner's windows: keeping the window on top, quitting, the top-level
// delegate on WM_CLOSE and WM_ENDSESSION, and teardown through the registrar's destruction.
#include <windows.h>
// After windows.h, whose types it uses.
#include <tlhelp32.h>

#include <chrono>
#include <set>

#include "runner/input_observer.h"
#include "tests/plugin/plugin_fixture.h"
#include "win/testing/test_frames.h"

namespace orvane::plugin_test {
namespace {

using Kind = MethodReply::Kind;
using runner::PumpEnd;

constexpr std::int64_t kQuitPumpMs = 3000;
constexpr std::uint32_t kScanA = 0x1E;

bool IsTopmost(HWND window) {
  return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

// The ids of this process's live threads.
std::set<DWORD> ProcessThreads() {
  std::set<DWORD> threads;
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return threads;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) threads.insert(entry.th32ThreadID);
  }
  CloseHandle(snapshot);
  return threads;
}

class PluginWindowTest : public PluginTest {
 protected:
  // Links up and presses A, so that a release has something to let go of.
  void HoldKeyA() {
    Connect();
    Inject(win::test::keyDown(win::test::kUsageA));
  }
};

TEST_F(PluginWindowTest, WithoutAView_SetAlwaysOnTopIsUnavailableAndQuitEndsTheLoop) {
  StartHost(ViewMode::WithoutView);
  EXPECT_EQ(
      Call("setAlwaysOnTop", Arg("onTop", true)).bytes,
      ErrorEnvelope("window_unavailable", "SetWindowPos on the runner's top-level window failed",
                    kInvalidWindowHandle));

  EXPECT_EQ(Call("quit").bytes, SuccessNullEnvelope());
  const runner::PumpResult pumped = runner::PumpMessages(kQuitPumpMs);
  EXPECT_EQ(pumped.end, PumpEnd::Quit);
  EXPECT_EQ(pumped.quitCode, 0);
  EXPECT_TRUE(log_.Contains(
      "[orvane_native] quit: no top-level window; asking this thread's message loop to end "
      "instead\n"));
}

TEST_F(PluginWindowTest, Quit_ReleasesHeldInputFirstThenTheRunnerCloses) {
  StartHost();
  runner::InputObserver observer;
  ASSERT_TRUE(observer.Start());
  HoldKeyA();

  EXPECT_EQ(Call("quit").bytes, SuccessNullEnvelope());
  const runner::PumpResult pumped = runner::PumpMessages(kQuitPumpMs);
  EXPECT_EQ(pumped.end, PumpEnd::Quit);

  // The delegate released the key before the runner handled WM_CLOSE...
  EXPECT_TRUE(
      log_.Contains("[orvane_native] input: releasing held input (appTerminating): 1 "
                    "event(s)\n"));
  ASSERT_TRUE(observer.WaitForCount(2, kLogWaitMs));
  const std::vector<runner::ObservedEvent> keys = TaggedKeys(observer.Snapshot(), {kScanA});
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[1].scanCode, kScanA);
  EXPECT_TRUE(keys[1].keyUp);
  // ...and did not consume it: the runner received it and closed.
  const runner::HostWindow& window = *host_->window();
  EXPECT_EQ(window.CountReceived(WM_CLOSE), 1u);
  for (const runner::ReceivedMessage& m : window.received()) EXPECT_FALSE(m.consumedByDelegate);
  EXPECT_TRUE(window.destroyed());
}

TEST_F(PluginWindowTest, EndSession_ReleasesOnlyWhenTheSessionReallyEnds) {
  StartHost();
  HoldKeyA();
  // wParam 0: the shutdown was cancelled.
  SendMessageW(TopLevel(), WM_ENDSESSION, FALSE, 0);
  ASSERT_EQ(Call("releaseHeldInput", Arg("reason", EncodableValue("probe"))).kind, Kind::Success);
  ASSERT_TRUE(log_.WaitFor("(probe)", kLogWaitMs));
  EXPECT_FALSE(log_.Contains("appTerminating"));

  HoldKeyA();
  SendMessageW(TopLevel(), WM_ENDSESSION, TRUE, 0);
  EXPECT_TRUE(log_.Contains("input: releasing held input (appTerminating): 1 event(s)"));
  EXPECT_EQ(host_->window()->CountReceived(WM_ENDSESSION), 2u);
  EXPECT_FALSE(host_->window()->destroyed());
}

TEST_F(PluginWindowTest, RegistrarDestruction_TearsThePluginDownWithinItsBounds) {
  const std::set<DWORD> before = ProcessThreads();
  StartHost();
  const std::set<DWORD> during = ProcessThreads();
  HoldKeyA();
  embedder::StandinEngine& engine = host_->engine();
  ASSERT_EQ(engine.CallCount(kOrvaneEmbedderCallRegisterWindowProcDelegate), 1u);

  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(host_->DestroyRegistrar());
  const auto elapsed = std::chrono::steady_clock::now() - start;
  // 1000 ms for the last release plus 1000 ms for the worker, at most.
  EXPECT_LT(elapsed, std::chrono::milliseconds(2500));

  EXPECT_EQ(engine.CallCount(kOrvaneEmbedderCallUnregisterWindowProcDelegate), 1u);
  EXPECT_TRUE(log_.Contains("input: releasing held input (destructor): 1 event(s)"));
  // Every thread the plugin started has ended.
  const std::set<DWORD> after = ProcessThreads();
  for (const DWORD id : during) {
    if (before.count(id) == 0) {
      EXPECT_EQ(after.count(id), 0u) << "thread " << id;
    }
  }
  EXPECT_GT(during.size(), before.size());

  // The runner still closes normally, with no delegate left to see it.
  SendMessageW(TopLevel(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(host_->window()->destroyed());
  EXPECT_FALSE(log_.Contains("appTerminating"));
  EXPECT_EQ(runner::PumpMessages(kQuitPumpMs).end, PumpEnd::Quit);
}

// A second engine in the process gets a plugin and dispatcher window of its own: the window class
// the first plugin registered serves it too.
TEST_F(PluginWindowTest, SetAlwaysOnTop_TogglesTheTopLevelWindowAlsoWithASecondEngine) {
  StartHost();
  std::string error;
  const std::unique_ptr<runner::PluginHost> second =
      runner::PluginHost::Create(ViewMode::WithoutView, &error);
  ASSERT_TRUE(second) << error;
  ASSERT_TRUE(second->LoadPlugin(&error)) << error;

  ASSERT_FALSE(IsTopmost(TopLevel()));
  for (const bool onTop : {true, false, true}) {
    EXPECT_EQ(Call("setAlwaysOnTop", Arg("onTop", onTop)).bytes, SuccessNullEnvelope());
    EXPECT_EQ(IsTopmost(TopLevel()), onTop);
  }
  EXPECT_EQ(second->Call("setAlwaysOnTop", Arg("onTop", true)).errorCode, "window_unavailable");
  EXPECT_FALSE(log_.Contains("FATAL"));
}

// Makes every window creation on this thread fail, with a known last error, while in scope.
class FailWindowCreation {
 public:
  FailWindowCreation() : hook_(SetWindowsHookExW(WH_CBT, &Refuse, nullptr, GetCurrentThreadId())) {}
  ~FailWindowCreation() {
    if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
  }
  FailWindowCreation(const FailWindowCreation&) = delete;
  FailWindowCreation& operator=(const FailWindowCreation&) = delete;
  bool installed() const { return hook_ != nullptr; }

 private:
  static LRESULT CALLBACK Refuse(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
      SetLastError(kInvalidWindowHandle);
      return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }
  HHOOK hook_;
};

TEST_F(PluginWindowTest, DispatcherWithoutWindow_LogsTheFatalLineAndKeepsServing) {
  std::string error;
  host_ = runner::PluginHost::Create(ViewMode::WithView, &error);
  ASSERT_TRUE(host_) << error;
  {
    FailWindowCreation refuse;
    ASSERT_TRUE(refuse.installed());
    ASSERT_TRUE(host_->LoadPlugin(&error)) << error;
  }
  // The hook leaves ERROR_INVALID_WINDOW_HANDLE behind: plain decimal, no padding or sign.
  EXPECT_TRUE(log_.Contains(
      "[orvane_native] FATAL: the platform-thread dispatcher has no window (CreateWindowExW "
      "failed, GetLastError=1400); native-to-Dart events cannot be delivered\n"))
      << log_.Text();
  EXPECT_EQ(Call("getPermissions").kind, Kind::Success);
}

}  // namespace
}  // namespace orvane::plugin_test
