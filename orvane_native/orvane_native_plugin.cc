// OrvaneNativePlugin: registration, construction and teardown, the top-level window-proc delegate
// and the event channel's listen and cancel.
#include "orvane_native_plugin.h"

#include <string>
#include <utility>

#include "event_values.h"
#include "flutter/event_channel.h"
#include "flutter/event_stream_handler_functions.h"
#include "flutter/method_channel.h"
#include "flutter/standard_method_codec.h"
#include "log.h"
#include "orvane_native/orvane_native_plugin_c_api.h"
#include "win/input_system_win32.h"
#include "win/local_input_monitor_win32.h"
#include "window_services.h"

namespace orvane_native {

namespace {

constexpr char kAppTerminatingReason[] = "appTerminating";

}  // namespace

void OrvaneNativePlugin::RegisterWithRegistrar(flutter::PluginRegistrarWindows* registrar) {
  auto plugin = std::make_unique<OrvaneNativePlugin>(registrar);
  OrvaneNativePlugin* const raw = plugin.get();
  const flutter::StandardMethodCodec& codec = flutter::StandardMethodCodec::GetInstance();

  // The channel objects are temporaries: the handlers they install on the messenger stay.
  flutter::MethodChannel<flutter::EncodableValue> methods(registrar->messenger(),
                                                          ORVANE_NATIVE_METHOD_CHANNEL, &codec);
  methods.SetMethodCallHandler(
      [raw](const flutter::MethodCall<flutter::EncodableValue>& call,
            std::unique_ptr<flutter::MethodResult<flutter::EncodableValue>> result) {
        raw->HandleMethodCall(call, std::move(result));
      });

  flutter::EventChannel<flutter::EncodableValue> events(registrar->messenger(),
                                                        ORVANE_NATIVE_EVENT_CHANNEL, &codec);
  events.SetStreamHandler(
      std::make_unique<flutter::StreamHandlerFunctions<flutter::EncodableValue>>(
          [raw](const flutter::EncodableValue*,
                std::unique_ptr<flutter::EventSink<flutter::EncodableValue>>&& sink) {
            return raw->OnListen(std::move(sink));
          },
          [raw](const flutter::EncodableValue*) { return raw->OnCancel(); }));

  registrar->AddPlugin(std::move(plugin));
}

OrvaneNativePlugin::OrvaneNativePlugin(flutter::PluginRegistrarWindows* registrar)
    : registrar_(registrar),
      windowProcDelegateId_(kNoDelegate),
      // Platform thread only: from the dispatcher's window, which is gone before the plugin is,
      // and from the destructor.
      events_(std::make_shared<EventRelay>(
          dispatcher_, [this](const flutter::EncodableValue& event) { Deliver(event); })),
      logEvents_(std::make_shared<LogEvents>(events_)),
      injector_(std::make_unique<orvane::win::InputInjector>(
          [logEvents = logEvents_](const std::string& line) {
            Log(line);
            logEvents->Forward(line);
          },
          [events = events_](const orvane::win::InjectorEvent& event) {
            events->Post(InjectorEventValue(event));
          },
          orvane::win::makePlatformInputSystem(), orvane::win::makePlatformLocalInputMonitor())) {
  windowProcDelegateId_ = registrar_->RegisterTopLevelWindowProcDelegate(
      [this](HWND, UINT message, WPARAM wParam, LPARAM) {
        return HandleTopLevelWindowMessage(message, wParam);
      });
  if (dispatcher_.window() == nullptr) {
    Log("FATAL: the platform-thread dispatcher has no window (CreateWindowExW failed, "
        "GetLastError=" +
        std::to_string(dispatcher_.creationError()) +
        "); native-to-Dart events cannot be delivered");
  }
}

OrvaneNativePlugin::~OrvaneNativePlugin() {
  if (windowProcDelegateId_ != kNoDelegate) {
    registrar_->UnregisterTopLevelWindowProcDelegate(windowProcDelegateId_);
    windowProcDelegateId_ = kNoDelegate;
  }
  // Spelled out although member destruction would run in the same order: the injector's
  // release must happen before anything else goes.
  injector_.reset();
  // Delivered here or never: the dispatcher drops its tasks unrun.
  events_->DeliverPending();
  logEvents_->SetListening(false);
  events_->Close();
  eventSink_.reset();
}

std::optional<LRESULT> OrvaneNativePlugin::HandleTopLevelWindowMessage(UINT message,
                                                                       WPARAM wParam) {
  // A non-zero wParam means the session really ends; zero means the end was cancelled.
  const bool appTerminating = message == WM_CLOSE || (message == WM_ENDSESSION && wParam != 0);
  if (appTerminating && injector_) {
    injector_->releaseAllAndWait(kAppTerminatingReason, kAppTerminatingReleaseLimitMs);
  }
  // The injector keeps the desktop's metrics between frames; these say they may have changed.
  if ((message == WM_DISPLAYCHANGE || message == WM_SETTINGCHANGE) && injector_) {
    injector_->refreshDesktop();
  }
  // Posted, not sent at once, so it keeps its place among the events raised elsewhere.
  if (message == WM_DISPLAYCHANGE) events_->Post(DisplaysChangedValue());
  return std::nullopt;
}

std::unique_ptr<OrvaneNativePlugin::StreamError> OrvaneNativePlugin::OnListen(
    std::unique_ptr<flutter::EventSink<flutter::EncodableValue>>&& events) {
  // What is pending was raised before this listener came, so it goes to nobody; a verdict among
  // it is still remembered.
  eventSink_.reset();
  events_->DeliverPending();
  eventSink_ = std::move(events);
  logEvents_->SetListening(true);
  // Posted rather than sent at once, so it follows the listen reply and precedes later events.
  if (reachVerdict_) {
    events_->Post(
        InjectorEventValue({orvane::win::InjectorEvent::Kind::InjectionReach, *reachVerdict_}));
  }
  return nullptr;
}

std::unique_ptr<OrvaneNativePlugin::StreamError> OrvaneNativePlugin::OnCancel() {
  // The Dart side stopped listening when it sent the cancel: what is pending has nobody to go to,
  // but a verdict among it is still remembered.
  logEvents_->SetListening(false);
  eventSink_.reset();
  events_->DeliverPending();
  return nullptr;
}

void OrvaneNativePlugin::LogLine(const std::string& message) const {
  Log(message);
  logEvents_->Forward(message);
}

void OrvaneNativePlugin::Deliver(const flutter::EncodableValue& event) {
  if (const std::string* verdict = ReachVerdictOf(event)) reachVerdict_ = *verdict;
  if (!eventSink_) return;
  const DeliveringEvent delivering;
  eventSink_->Success(event);
}

HWND OrvaneNativePlugin::TopLevelWindow() const {
  const flutter::FlutterView* view = registrar_->GetView();
  return view == nullptr ? nullptr : GetTopLevelWindow(view->GetNativeWindow());
}

HWND OrvaneNativePlugin::ClipboardOwner() const {
  // Opened without an owner, an emptied clipboard has none, and SetClipboardData then fails:
  // a write would lose the user's content and report failure.
  const HWND topLevel = TopLevelWindow();
  return topLevel != nullptr ? topLevel : dispatcher_.window();
}

}  // namespace orvane_native
