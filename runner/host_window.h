// The runner's windows: a top-level window holding a child view window. Every message of the
// top-level window goes through the engine's top-level delegates before the window handles it.
#ifndef RUNNER_HOST_WINDOW_H_
#define RUNNER_HOST_WINDOW_H_

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "orvane_embedder/standin_engine.h"

namespace orvane::runner {

struct HostWindowOptions {
  std::wstring title = L"orvane-host";
  bool visible = false;  // tests keep it hidden; the demo shows it
  int width = 800;
  int height = 600;
};

// One message the top-level window received, in arrival order.
struct ReceivedMessage {
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  // A delegate returned a result, so the window did not handle the message itself.
  bool consumedByDelegate = false;
};

// Contract:
// - Create, use and destroy on one thread, which must pump messages (message_loop.h): both
//   windows belong to it.
// - Each message of the top-level window is first routed through the engine's registered
//   top-level delegates (as an engine does for its runner). When one returns a result, that is
//   the window's answer. Otherwise the window handles the message: WM_CLOSE destroys the window,
//   WM_DESTROY ends the thread's message loop with PostQuitMessage(0), the rest goes to
//   DefWindowProcW.
// - Every message is recorded after routing, so a caller can check that one still reached the
//   runner after the delegates saw it. Only the newest kMaxRecorded are kept, so a long session
//   does not grow without bound.
// - The engine is not owned. It must outlive the window, or be detached first.
// - The destructor destroys windows that still exist without routing and without posting WM_QUIT,
//   so tearing a host down leaves the thread's queue as it was.
class HostWindow {
  struct PassKey {
    explicit PassKey() = default;
  };

 public:
  static constexpr std::size_t kMaxRecorded = 4096;

  // Null on failure, with the Win32 error in *win32Error when given. `engine` may be null (no
  // routing).
  static std::unique_ptr<HostWindow> Create(embedder::StandinEngine* engine,
                                            const HostWindowOptions& options,
                                            std::uint32_t* win32Error = nullptr);
  HostWindow(PassKey, embedder::StandinEngine* engine) : engine_(engine) {}
  ~HostWindow();

  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  // The top-level window and its child view; null once the window is destroyed.
  HWND window() const { return window_; }
  HWND view() const { return view_; }
  bool destroyed() const { return window_ == nullptr; }

  // Stops routing messages through the engine (call before the engine goes away).
  void DetachEngine() { engine_ = nullptr; }

  const std::deque<ReceivedMessage>& received() const { return received_; }
  std::size_t CountReceived(UINT message) const;
  void ClearReceived() { received_.clear(); }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  embedder::StandinEngine* engine_;
  HWND window_ = nullptr;
  HWND view_ = nullptr;
  bool tearingDown_ = false;
  std::deque<ReceivedMessage> received_;
};

}  // namespace orvane::runner

#endif  // RUNNER_HOST_WINDOW_H_
