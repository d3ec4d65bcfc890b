// What a runner does around the plugin: the stand-in engine, the windows, a registrar with or
// without a view, and the plugin library loaded and registered through its export.
#ifndef RUNNER_PLUGIN_HOST_H_
#define RUNNER_PLUGIN_HOST_H_

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "flutter/encodable_value.h"
#include "orvane_embedder/standin_engine.h"
#include "orvane_native/orvane_native_plugin_c_api.h"
#include "runner/host_window.h"
#include "runner/method_call_client.h"

namespace orvane::runner {

inline constexpr wchar_t kPluginLibraryName[] = L"orvane_native_plugin.dll";

// The export's signature: the engine's registrar handle in, nothing out.
using PluginRegisterFunction = void (*)(FlutterDesktopPluginRegistrarRef);

// The plugin library in the running executable's folder.
std::wstring PluginLibraryBesideExecutable();

// Loads the library at `path`, finds the export and calls it with `registrar`. On failure returns
// false with a one-line reason in *error (when given), naming the Win32 error. The library stays
// loaded for the rest of the process: the engine, window classes and the registrar manager keep
// pointers into it, so it is never freed.
bool LoadAndRegisterPlugin(const std::wstring& path, FlutterDesktopPluginRegistrarRef registrar,
                           std::string* error);

enum class ViewMode { WithView, WithoutView };

// Contract: create, use and destroy on the platform thread, which must pump messages
// (message_loop.h; MethodCallClient pumps while it waits). Destruction runs in this order: the
// registrar (its destruction handler tears the plugin down), the windows, the engine.
class PluginHost {
  struct PassKey {
    explicit PassKey() = default;
  };

 public:
  // With a view: a top-level window, its child view, and a registrar whose view is that child.
  // Without: a registrar with no view and no window. Null on failure, with a reason in *error.
  static std::unique_ptr<PluginHost> Create(ViewMode mode, const HostWindowOptions& options,
                                            std::string* error);
  static std::unique_ptr<PluginHost> Create(ViewMode mode, std::string* error) {
    return Create(mode, HostWindowOptions(), error);
  }

  explicit PluginHost(PassKey);
  ~PluginHost();

  PluginHost(const PluginHost&) = delete;
  PluginHost& operator=(const PluginHost&) = delete;

  embedder::StandinEngine& engine() { return *engine_; }
  HostWindow* window() { return window_.get(); }                             // null without a view
  FlutterDesktopPluginRegistrarRef registrar() const { return registrar_; }  // null once destroyed

  // LoadAndRegisterPlugin with this host's registrar.
  bool LoadPlugin(const std::wstring& path, std::string* error);
  bool LoadPlugin(std::string* error) { return LoadPlugin(PluginLibraryBesideExecutable(), error); }

  // Destroys the registrar through the engine, which runs the plugin's teardown. False when it
  // was destroyed already.
  bool DestroyRegistrar();

  // A call on "orvane_native/methods", as the Dart side makes it.
  MethodReply Call(const std::string& method, const flutter::EncodableValue* arguments = nullptr,
                   std::int64_t limitMs = MethodCallClient::kDefaultReplyLimitMs) {
    return methods_->Call(method, arguments, limitMs);
  }
  MethodReply Call(const std::string& method, const flutter::EncodableValue& arguments,
                   std::int64_t limitMs = MethodCallClient::kDefaultReplyLimitMs) {
    return methods_->Call(method, &arguments, limitMs);
  }
  MethodCallClient& methods() { return *methods_; }
  MethodCallClient& events() { return *events_; }

 private:
  std::unique_ptr<embedder::StandinEngine> engine_;
  std::unique_ptr<HostWindow> window_;
  FlutterDesktopPluginRegistrarRef registrar_ = nullptr;
  std::unique_ptr<MethodCallClient> methods_;
  std::unique_ptr<MethodCallClient> events_;
};

}  // namespace orvane::runner

#endif  // RUNNER_PLUGIN_HOST_H_
