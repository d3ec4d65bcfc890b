// The platform-thread dispatcher: a message-only window draining a locked task list.
#include "platform_thread_dispatcher.h"

#include <utility>

namespace orvane_native {

namespace {

// Any address inside this module names the module to GetModuleHandleExW, so the class and window
// belong to the library that holds this code, not to the executable that loaded it.
const char kModuleAnchor = 0;
constexpr DWORD kModuleLookupFlags =
    GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
constexpr wchar_t kEmptyTitle[] = L"";

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(kModuleLookupFlags, reinterpret_cast<LPCWSTR>(&kModuleAnchor), &module);
  return module;
}

}  // namespace

PlatformThreadDispatcher::PlatformThreadDispatcher() {
  const HMODULE module = ThisModule();
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = &PlatformThreadDispatcher::WindowProc;
  windowClass.hInstance = module;
  windowClass.lpszClassName = kWindowClassName;
  // Fails harmlessly when another dispatcher of this module already registered the class.
  RegisterClassExW(&windowClass);
  window_ = CreateWindowExW(0, kWindowClassName, kEmptyTitle, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            module, nullptr);
  if (window_ == nullptr) {
    // Read before any other call can overwrite it: the plugin reports this code.
    creationError_ = GetLastError();
    return;
  }
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

PlatformThreadDispatcher::~PlatformThreadDispatcher() {
  HWND ownWindow = nullptr;
  std::vector<Task> dropped;
  {
    const std::lock_guard<std::mutex> guard(lock_);
    ownWindow = std::exchange(window_, nullptr);
    dropped.swap(tasks_);
  }
  if (ownWindow != nullptr) {
    // Cleared first, so a wake message still in the queue finds no dispatcher.
    SetWindowLongPtrW(ownWindow, GWLP_USERDATA, 0);
    DestroyWindow(ownWindow);
    // A class registered by a library outlives the library's unloading; a stale class would hand
    // a reloaded library's windows to a procedure that is gone. Fails harmlessly while another
    // dispatcher's window still uses the class.
    UnregisterClassW(kWindowClassName, ThisModule());
  }
  // The dropped tasks are destroyed here, outside the lock: a destructor that posts is refused
  // instead of deadlocking.
}

bool PlatformThreadDispatcher::Post(Task task) {
  if (!task) return false;
  const std::lock_guard<std::mutex> guard(lock_);
  if (window_ == nullptr) return false;
  tasks_.push_back(std::move(task));
  // No coalescing: a wake known to be pending may still be taken from the queue undispatched,
  // which would strand this task. Posted under the lock, so destruction cannot destroy the window
  // between the check and the post; PostMessageW does not wait for the window's thread. If it
  // fails (a full message queue), the task stays queued for the next wake.
  PostMessageW(window_, kWakeMessage, 0, 0);
  return true;
}

void PlatformThreadDispatcher::Wake() {
  const std::lock_guard<std::mutex> guard(lock_);
  if (window_ != nullptr) PostMessageW(window_, kWakeMessage, 0, 0);
}

HWND PlatformThreadDispatcher::window() const {
  const std::lock_guard<std::mutex> guard(lock_);
  return window_;
}

void PlatformThreadDispatcher::DrainTasks() {
  std::vector<Task> ready;
  {
    const std::lock_guard<std::mutex> guard(lock_);
    ready.swap(tasks_);
  }
  for (Task& task : ready) task();
}

LRESULT CALLBACK PlatformThreadDispatcher::WindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                                      LPARAM lParam) {
  if (message != kWakeMessage) return DefWindowProcW(hwnd, message, wParam, lParam);
  auto* const dispatcher =
      reinterpret_cast<PlatformThreadDispatcher*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (dispatcher != nullptr) dispatcher->DrainTasks();
  return 0;
}

}  // namespace orvane_native
