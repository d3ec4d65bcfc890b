// Local input seen through WH_KEYBOARD_LL and WH_MOUSE_LL on a hook thread of their own.
#include "win/local_input_monitor_win32.h"

#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <type_traits>
#include <utility>

namespace orvane::win {

namespace {

class Win32LocalInputMonitor;

// Hook procedures get no context, but they run on the thread that installed them.
thread_local Win32LocalInputMonitor* tMonitor = nullptr;

struct HookDeleter {
  void operator()(HHOOK hook) const { UnhookWindowsHookEx(hook); }
};
using HookHandle = std::unique_ptr<std::remove_pointer_t<HHOOK>, HookDeleter>;

// A global low-level hook wants the module that holds its procedure: this library, whichever
// executable loaded it. Any address of the module's own data names it.
const char kModuleAnchor = 0;

HMODULE ownModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&kModuleAnchor), &module);
  return module;
}

class Win32LocalInputMonitor final : public LocalInputMonitor {
 public:
  ~Win32LocalInputMonitor() override { stop(); }

  bool start(Note note, std::uint32_t& error) override {
    if (thread_.joinable()) return true;
    note_ = std::move(note);
    started_ = false;
    error_ = 0;
    thread_ = std::thread([this] { run(); });
    std::unique_lock<std::mutex> lock(mutex_);
    startedChanged_.wait(lock, [this] { return started_; });
    if (error_ == 0) return true;
    error = error_;
    lock.unlock();
    thread_.join();
    return false;
  }

  void stop() override {
    if (!thread_.joinable()) return;
    PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    thread_.join();
  }

  void onKey(const KBDLLHOOKSTRUCT& info) {
    if (filter_.keyCounts(info.dwExtraInfo)) note_();
  }

  void onMouse(WPARAM message, const MSLLHOOKSTRUCT& info) {
    const bool counts = message == WM_MOUSEMOVE
                            ? filter_.moveCounts(info.dwExtraInfo, info.pt.x, info.pt.y)
                            : filter_.mouseCounts(info.dwExtraInfo);
    if (counts) note_();
  }

 private:
  void run() {
    // The message queue must exist before stop can post WM_QUIT to it.
    MSG message;
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    threadId_ = GetCurrentThreadId();
    tMonitor = this;
    // Physical pixels, as the mouse hook reports them.
    POINT cursor{};
    if (GetPhysicalCursorPos(&cursor)) filter_.anchorAt(cursor.x, cursor.y);
    const HMODULE module = ownModule();
    HookHandle keyboard(SetWindowsHookExW(WH_KEYBOARD_LL, keyboardProc, module, 0));
    HookHandle mouse(keyboard ? SetWindowsHookExW(WH_MOUSE_LL, mouseProc, module, 0) : nullptr);
    const std::uint32_t error = mouse ? 0 : GetLastError();
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      // A failure without a code still has to read as one.
      error_ = mouse ? 0 : (error != 0 ? error : ERROR_HOOK_NOT_INSTALLED);
      started_ = true;
    }
    startedChanged_.notify_all();
    if (mouse) {
      while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
      }
    }
    // Out of the chain first, then answer the hook calls already waiting on this thread, so that
    // an event in flight as the setting goes off does not wait out the system's hook timeout.
    mouse.reset();
    keyboard.reset();
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
    tMonitor = nullptr;
  }

  static LRESULT CALLBACK keyboardProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && tMonitor != nullptr) {
      tMonitor->onKey(*reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }

  static LRESULT CALLBACK mouseProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && tMonitor != nullptr) {
      tMonitor->onMouse(wParam, *reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }

  Note note_;
  LocalInputFilter filter_;  // hook thread only
  std::thread thread_;
  DWORD threadId_ = 0;  // written before start returns, read by stop
  std::mutex mutex_;
  std::condition_variable startedChanged_;
  bool started_ = false;
  std::uint32_t error_ = 0;
};

}  // namespace

std::unique_ptr<LocalInputMonitor> makePlatformLocalInputMonitor() {
  return std::make_unique<Win32LocalInputMonitor>();
}

}  // namespace orvane::win
