// orvane-host's runner: windows, engine, plugin and hook observer on the platform thread.
#include "runner/host_platform.h"

#include <windows.h>

#include <utility>

#include "runner/message_loop.h"
#include "runner/method_call_client.h"

namespace orvane::runner {

namespace {

constexpr char kDefaultPluginText[] = "orvane_native_plugin.dll beside orvane-host.exe";

std::wstring WideFromAnsi(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int length =
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
  if (length > 0) {
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  }
  return wide;
}

}  // namespace

std::unique_ptr<HostPlatform> HostPlatform::Create(const HostOptions& options, std::string& error,
                                                   std::string& warning) {
  auto platform = std::make_unique<HostPlatform>(PassKey());
  // Started first, so the trace holds everything the plugin injects from its first moment. Only
  // the trace and the replay's summary read it, and while the hooks are in, every injected event
  // waits for the hook thread (under Wine that cut serve's rate for input frames by about half).
  if ((options.trace || options.command == HostCommand::Replay) && !platform->observer_.Start()) {
    warning = "the low-level input hooks could not be installed: no trace";
  }
  HostWindowOptions windowOptions;
  windowOptions.visible = true;
  platform->host_ = PluginHost::Create(options.noView ? ViewMode::WithoutView : ViewMode::WithView,
                                       windowOptions, &error);
  if (!platform->host_) return nullptr;
  if (options.noView) {
    // A runner without a view has no Flutter window whose procedure would hand its messages to
    // the plugins' top-level delegates, so this window passes none on: a WM_CLOSE here closes
    // the runner without the plugin's appTerminating release.
    std::uint32_t win32Error = 0;
    platform->ownWindow_ = HostWindow::Create(nullptr, windowOptions, &win32Error);
    if (!platform->ownWindow_) {
      error = "CreateWindowExW failed, GetLastError=" + std::to_string(win32Error);
      return nullptr;
    }
  }
  const std::wstring path = options.pluginPath.empty() ? PluginLibraryBesideExecutable()
                                                       : WideFromAnsi(options.pluginPath);
  std::string loadError;
  if (!platform->host_->LoadPlugin(path, &loadError)) {
    error = "cannot load the plugin " +
            (options.pluginPath.empty() ? std::string(kDefaultPluginText) : options.pluginPath) +
            ": " + loadError;
    return nullptr;
  }
  return platform;
}

MethodReply HostPlatform::Send(const std::string& channel, const std::vector<uint8_t>& message) {
  return MethodCallClient(host_->engine(), channel).Send(message);
}

void HostPlatform::Pump(std::uint32_t ms) {
  // WM_QUIT ends a runner's message loop: the window's WM_DESTROY posts it, and so does the
  // plugin's "quit" when it finds no window. Later pumps only serve the plugin's teardown.
  if (PumpMessages(ms).end == PumpEnd::Quit) quit_ = true;
}

void HostPlatform::SendWindowMessage(WindowMessage message) {
  HostWindow* window = Window();
  if (window == nullptr || window->destroyed()) return;
  if (message == WindowMessage::Close) {
    SendMessageW(window->window(), WM_CLOSE, 0, 0);
  } else {
    // wParam TRUE: the session is really ending; lParam 0: the system is shutting down.
    SendMessageW(window->window(), WM_ENDSESSION, TRUE, 0);
  }
}

void HostPlatform::InjectLocalInput(std::int32_t x, std::int32_t y) {
  // Absolute coordinates run from 0 to 65535 across the primary display, its last pixel at 65535.
  constexpr int kAbsoluteMax = 65535;
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = width > 1 ? MulDiv(x, kAbsoluteMax, width - 1) : 0;
  input.mi.dy = height > 1 ? MulDiv(y, kAbsoluteMax, height - 1) : 0;
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  // No dwExtraInfo: without the plugin's tag the input counts as the host user's.
  SendInput(1, &input, static_cast<int>(sizeof(INPUT)));
}

bool HostPlatform::Running() const {
  const HostWindow* window = Window();
  return !quit_ && window != nullptr && !window->destroyed();
}

std::vector<ObservedEvent> HostPlatform::TakeObserved() {
  std::vector<ObservedEvent> injected;
  for (const ObservedEvent& event : observer_.Take()) {
    // Input from a person at the host's own keyboard and mouse is not part of the session.
    if (event.injected) injected.push_back(event);
  }
  return injected;
}

std::vector<std::vector<uint8_t>> HostPlatform::TakeEvents() {
  std::vector<std::vector<uint8_t>> events;
  // The plugin sends on no other channel; anything else is not part of the session.
  while (auto sent = host_->engine().TakeSent()) {
    if (sent->channel == ORVANE_NATIVE_EVENT_CHANNEL) events.push_back(std::move(sent->bytes));
  }
  return events;
}

void HostPlatform::DestroyRegistrar() { host_->DestroyRegistrar(); }

HostWindow* HostPlatform::Window() const { return ownWindow_ ? ownWindow_.get() : host_->window(); }

}  // namespace orvane::runner
