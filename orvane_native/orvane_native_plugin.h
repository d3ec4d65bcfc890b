// OrvaneNativePlugin: the root of everything native. Owns the platform-thread dispatcher, the
// event sink of the current listener and the input injector; answers the method channel; releases
// held input when the runner's window closes.
#ifndef ORVANE_NATIVE_ORVANE_NATIVE_PLUGIN_H_
#define ORVANE_NATIVE_ORVANE_NATIVE_PLUGIN_H_

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "event_relay.h"
#include "flutter/encodable_value.h"
#include "flutter/event_sink.h"
#include "flutter/event_stream_handler.h"
#include "flutter/method_call.h"
#include "flutter/method_result.h"
#include "flutter/plugin_registrar.h"
#include "flutter/plugin_registrar_windows.h"
#include "log_events.h"
#include "platform_thread_dispatcher.h"
#include "win/input_injector.h"

namespace orvane_native {

// Contract:
// - Platform thread only: registration, construction, every method call, listen and cancel, the
//   top-level window-proc delegate and destruction. Input work happens on the injector's own
//   thread, reached only by posting; the platform thread waits for it only in the delegate (at
//   most 250 ms) and in the destructor (at most about 2000 ms).
// - Ownership: the registrar owns the plugin (AddPlugin) and destroys it when the engine destroys
//   the registrar; the plugin does not own the registrar, which outlives it.
// - Events: posted from any thread to the relay, delivered on the platform thread to the sink of
//   the current listener, or dropped there when there is none; a new listener hears first the
//   last reach verdict delivered (if any), then only events posted after it listened. While
//   someone listens, every log line of the plugin is also an event.
// - Destruction order: the delegate is unregistered, then the injector (releasing held input and
//   stopping its thread); the events still pending (that release's among them) go to a listener
//   still there, the relay closes, and the event sink and the dispatcher are destroyed.
class OrvaneNativePlugin : public flutter::Plugin {
 public:
  static constexpr std::int32_t kNoDelegate = -1;
  static constexpr std::int64_t kAppTerminatingReleaseLimitMs = 250;

  // Builds the plugin, opens the method and event channels (orvane_native_plugin_c_api.h) on the
  // registrar's messenger with handlers that point at it, and hands it to the registrar.
  static void RegisterWithRegistrar(flutter::PluginRegistrarWindows* registrar);

  explicit OrvaneNativePlugin(flutter::PluginRegistrarWindows* registrar);
  ~OrvaneNativePlugin() override;

  OrvaneNativePlugin(const OrvaneNativePlugin&) = delete;
  OrvaneNativePlugin& operator=(const OrvaneNativePlugin&) = delete;

  // Answers the call exactly once. Replies go out before "quit" and "injectInput" act.
  void HandleMethodCall(const flutter::MethodCall<flutter::EncodableValue>& call,
                        std::unique_ptr<flutter::MethodResult<flutter::EncodableValue>> result);

 private:
  using Result = flutter::MethodResult<flutter::EncodableValue>;
  using StreamError = flutter::StreamHandlerError<flutter::EncodableValue>;

  // Sees every message of the runner's top-level window first; never consumes one.
  std::optional<LRESULT> HandleTopLevelWindowMessage(UINT message, WPARAM wParam);

  // The event channel's listen and cancel: hold the newest sink, or none. Never fail.
  std::unique_ptr<StreamError> OnListen(
      std::unique_ptr<flutter::EventSink<flutter::EncodableValue>>&& events);
  std::unique_ptr<StreamError> OnCancel();

  // Writes the line to the log and, while someone listens, as a log event.
  void LogLine(const std::string& message) const;

  // On the platform thread, for each event the relay hands over.
  void Deliver(const flutter::EncodableValue& event);

  // The runner's top-level window: the root of the view's window; null without a view.
  HWND TopLevelWindow() const;
  // The window the clipboard is opened with: the top-level window, else the dispatcher's own.
  HWND ClipboardOwner() const;

  void GetComputerName(Result& result) const;
  void InjectInput(const flutter::EncodableValue* arguments, Result& result);
  void SetPeerConnected(const flutter::EncodableValue* arguments, Result& result);
  void SetInputMode(const flutter::EncodableValue* arguments, Result& result);
  void ReleaseHeldInput(const flutter::EncodableValue* arguments, Result& result);
  void ClipboardRead(Result& result) const;
  void ClipboardWrite(const flutter::EncodableValue* arguments, Result& result) const;
  void SetAlwaysOnTop(const flutter::EncodableValue* arguments, Result& result) const;
  void GetDisplays(Result& result) const;
  void SetCaptureRect(const flutter::EncodableValue* arguments, Result& result);
  void ClipboardReadDetail(Result& result) const;
  void SetLocalInputPriority(const flutter::EncodableValue* arguments, Result& result);

  flutter::PluginRegistrarWindows* registrar_;
  std::int32_t windowProcDelegateId_;
  PlatformThreadDispatcher dispatcher_;
  std::unique_ptr<flutter::EventSink<flutter::EncodableValue>> eventSink_;
  // Shared with the injector's event sink, which a detached injection thread may still call.
  const std::shared_ptr<EventRelay> events_;
  // Shared with the injector's log sink, for the same reason.
  const std::shared_ptr<LogEvents> logEvents_;
  // The newest injectionReach verdict delivered, for a listener that comes later. Platform thread.
  std::optional<std::string> reachVerdict_;
  std::unique_ptr<orvane::win::InputInjector> injector_;
};

}  // namespace orvane_native

#endif  // ORVANE_NATIVE_ORVANE_NATIVE_PLUGIN_H_
