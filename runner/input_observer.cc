// InputObserver: low-level keyboard and mouse hooks on a thread of their own, recording events.
#include "runner/input_observer.h"

#include <windows.h>

#include <chrono>
#include <memory>
#include <type_traits>
#include <utility>

namespace orvane::runner {

namespace {

// The hook procedures receive no context, but they run on the thread that installed them, so a
// thread-local pointer finds the observer that owns this hook thread.
thread_local InputObserver* tObserver = nullptr;

struct HookDeleter {
  void operator()(HHOOK hook) const { UnhookWindowsHookEx(hook); }
};
using HookHandle = std::unique_ptr<std::remove_pointer_t<HHOOK>, HookDeleter>;

ObservedKind MouseKind(WPARAM message, DWORD mouseData) {
  const bool second = HIWORD(mouseData) == XBUTTON2;
  switch (message) {
    case WM_XBUTTONDOWN:
      return second ? ObservedKind::X2Down : ObservedKind::X1Down;
    case WM_XBUTTONUP:
      return second ? ObservedKind::X2Up : ObservedKind::X1Up;
    case WM_MOUSEMOVE:
      return ObservedKind::Move;
    case WM_LBUTTONDOWN:
      return ObservedKind::LeftDown;
    case WM_LBUTTONUP:
      return ObservedKind::LeftUp;
    case WM_RBUTTONDOWN:
      return ObservedKind::RightDown;
    case WM_RBUTTONUP:
      return ObservedKind::RightUp;
    case WM_MBUTTONDOWN:
      return ObservedKind::MiddleDown;
    case WM_MBUTTONUP:
      return ObservedKind::MiddleUp;
    case WM_MOUSEWHEEL:
      return ObservedKind::Wheel;
    case WM_MOUSEHWHEEL:
      return ObservedKind::HWheel;
    default:
      return ObservedKind::OtherMouse;
  }
}

// Both procedures only copy the event and pass it on; anything slower delays the input itself.
LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && tObserver != nullptr) {
    const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    ObservedEvent event;
    event.kind = ObservedKind::Key;
    event.scanCode = info->scanCode;
    event.virtualKey = info->vkCode;
    event.extended = (info->flags & LLKHF_EXTENDED) != 0;
    // Wine reports a Unicode (VK_PACKET) key-up without LLKHF_UP; the message still says up.
    event.keyUp = (info->flags & LLKHF_UP) != 0 || wParam == WM_KEYUP || wParam == WM_SYSKEYUP;
    event.injected = (info->flags & LLKHF_INJECTED) != 0;
    event.extraInfo = info->dwExtraInfo;
    tObserver->Record(event);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK MouseProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && tObserver != nullptr) {
    const auto* info = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
    ObservedEvent event;
    event.kind = MouseKind(wParam, info->mouseData);
    event.x = info->pt.x;
    event.y = info->pt.y;
    if (event.kind == ObservedKind::Wheel || event.kind == ObservedKind::HWheel) {
      event.wheelDelta = static_cast<std::int16_t>(HIWORD(info->mouseData));
    }
    event.injected = (info->flags & LLMHF_INJECTED) != 0;
    event.extraInfo = info->dwExtraInfo;
    tObserver->Record(event);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

InputObserver::~InputObserver() { Stop(); }

bool InputObserver::Start(Callback onEvent) {
  if (hookThread_.joinable()) return false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    startFinished_ = false;
    hooksInstalled_ = false;
  }
  onEvent_ = std::move(onEvent);
  hookThread_ = std::thread([this] { RunHookThread(); });
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return startFinished_; });
  if (hooksInstalled_) return true;
  lock.unlock();
  hookThread_.join();
  return false;
}

void InputObserver::Stop() {
  if (!hookThread_.joinable()) return;
  PostThreadMessageW(hookThreadId_, WM_QUIT, 0, 0);
  hookThread_.join();
}

void InputObserver::RunHookThread() {
  // Give the thread its message queue before anyone can post WM_QUIT to it.
  MSG message;
  PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
  tObserver = this;
  const HMODULE module = GetModuleHandleW(nullptr);
  HookHandle keyboard(SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardProc, module, 0));
  HookHandle mouse(SetWindowsHookExW(WH_MOUSE_LL, MouseProc, module, 0));
  const bool installed = keyboard != nullptr && mouse != nullptr;
  hookThreadId_ = GetCurrentThreadId();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    startFinished_ = true;
    hooksInstalled_ = installed;
  }
  changed_.notify_all();
  if (installed) {
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  // Out of the chain first, then answer the hook calls already waiting on this thread, so that an
  // event in flight as the observer stops does not wait out the system's hook timeout.
  mouse.reset();
  keyboard.reset();
  PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
  tObserver = nullptr;
}

void InputObserver::Record(const ObservedEvent& event) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(event);
  }
  changed_.notify_all();
  if (onEvent_) onEvent_(event);
}

std::vector<ObservedEvent> InputObserver::Snapshot() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return events_;
}

std::vector<ObservedEvent> InputObserver::Take() {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::exchange(events_, {});
}

bool InputObserver::WaitForCount(std::size_t count, std::int64_t limitMs) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(limitMs > 0 ? limitMs : 0),
                           [this, count] { return events_.size() >= count; });
}

}  // namespace orvane::runner
