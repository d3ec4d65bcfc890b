// The runner's windows: class registration, creation, and the top-level window procedure that
// routes through the engine before handling a message itself.
#include "runner/host_window.h"

#include <algorithm>

namespace orvane::runner {

namespace {

constexpr wchar_t kHostWindowClass[] = L"OrvaneHostWindow";
constexpr wchar_t kViewWindowClass[] = L"OrvaneHostView";
constexpr int kQuitExitCode = 0;

// Any address inside this module names it to GetModuleHandleExW, whichever module links this code.
const char kModuleAnchor = 0;

HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&kModuleAnchor), &module);
  return module;
}

// Registration fails harmlessly when the class exists already (a second host in the process).
void RegisterClasses(HINSTANCE instance, WNDPROC hostProc) {
  WNDCLASSEXW hostClass = {};
  hostClass.cbSize = sizeof(hostClass);
  hostClass.lpfnWndProc = hostProc;
  hostClass.hInstance = instance;
  hostClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  hostClass.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
  hostClass.lpszClassName = kHostWindowClass;
  RegisterClassExW(&hostClass);

  WNDCLASSEXW viewClass = {};
  viewClass.cbSize = sizeof(viewClass);
  viewClass.lpfnWndProc = DefWindowProcW;
  viewClass.hInstance = instance;
  viewClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  viewClass.lpszClassName = kViewWindowClass;
  RegisterClassExW(&viewClass);
}

}  // namespace

std::unique_ptr<HostWindow> HostWindow::Create(embedder::StandinEngine* engine,
                                               const HostWindowOptions& options,
                                               std::uint32_t* win32Error) {
  const HINSTANCE instance = ThisModule();
  RegisterClasses(instance, &HostWindow::WindowProc);

  auto host = std::make_unique<HostWindow>(PassKey(), engine);
  const HWND window = CreateWindowExW(
      0, kHostWindowClass, options.title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
      options.width, options.height, nullptr, nullptr, instance, host.get());
  if (window == nullptr) {
    if (win32Error != nullptr) *win32Error = GetLastError();
    return nullptr;
  }
  RECT client = {};
  GetClientRect(window, &client);
  host->view_ = CreateWindowExW(0, kViewWindowClass, L"", WS_CHILD | WS_VISIBLE, 0, 0,
                                client.right - client.left, client.bottom - client.top, window,
                                nullptr, instance, nullptr);
  if (host->view_ == nullptr) {
    if (win32Error != nullptr) *win32Error = GetLastError();
    return nullptr;  // the destructor takes the top-level window down
  }
  if (options.visible) {
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
  }
  return host;
}

HostWindow::~HostWindow() {
  if (window_ == nullptr) return;
  tearingDown_ = true;
  engine_ = nullptr;
  DestroyWindow(window_);  // takes the child view with it
}

std::size_t HostWindow::CountReceived(UINT message) const {
  return static_cast<std::size_t>(
      std::count_if(received_.begin(), received_.end(),
                    [message](const ReceivedMessage& m) { return m.message == message; }));
}

LRESULT CALLBACK HostWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    auto* host = static_cast<HostWindow*>(create->lpCreateParams);
    host->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(host));
  }
  auto* host = reinterpret_cast<HostWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (host == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  return host->Handle(window, message, wParam, lParam);
}

LRESULT HostWindow::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  std::optional<LRESULT> delegateResult;
  if (engine_ != nullptr) {
    delegateResult = engine_->RouteWindowMessage(window, message, wParam, lParam);
  }
  if (received_.size() == kMaxRecorded) received_.pop_front();
  received_.push_back(ReceivedMessage{message, wParam, lParam, delegateResult.has_value()});
  if (delegateResult) return *delegateResult;

  switch (message) {
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      if (!tearingDown_) PostQuitMessage(kQuitExitCode);
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      window_ = nullptr;
      view_ = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace orvane::runner
