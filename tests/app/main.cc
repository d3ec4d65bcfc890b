// The application's runner: a top-level window with a child view, the engine, the plugins
// registered through the registrant, and one call from the Dart side. Exits with 0 when the plugin
// registered and answered "getPermissions" with both permissions granted.
#include <orvane_native/orvane_native_plugin_c_api.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "generated_plugin_registrant.h"
#include "orvane_embedder/standin_engine.h"

namespace {

// Every plugin gets a registrar over the view window.
class EngineRegistry : public PluginRegistry {
 public:
  EngineRegistry(orvane::embedder::StandinEngine& engine, HWND view)
      : engine_(engine), view_(view) {}

  FlutterDesktopPluginRegistrarRef GetRegistrarForPlugin(const std::string& plugin) override {
    plugins_.push_back(plugin);
    return engine_.CreateRegistrar(view_);
  }
  const std::vector<std::string>& plugins() const { return plugins_; }

 private:
  orvane::embedder::StandinEngine& engine_;
  HWND view_;
  std::vector<std::string> plugins_;
};

// Standard codec bytes, as the Dart side writes them: a string is type 7, its length and its bytes.
void AppendString(std::vector<uint8_t>& bytes, const std::string& text) {
  bytes.push_back(7);
  bytes.push_back(static_cast<uint8_t>(text.size()));
  bytes.insert(bytes.end(), text.begin(), text.end());
}

// A method call: its name, then null for no arguments.
std::vector<uint8_t> EncodeCall(const std::string& method) {
  std::vector<uint8_t> bytes;
  AppendString(bytes, method);
  bytes.push_back(0);
  return bytes;
}

// A success envelope holding a two-entry map (type 13) of keys to true (type 1), in key order.
std::vector<uint8_t> GrantedReply() {
  std::vector<uint8_t> bytes{0, 13, 2};
  for (const char* key : {"inputControl", "screenRecording"}) {
    AppendString(bytes, key);
    bytes.push_back(1);
  }
  return bytes;
}

int Fail(const char* what) {
  std::fprintf(stderr, "orvane_native_app: %s\n", what);
  return 1;
}

int Run(HWND view) {
  orvane::embedder::StandinEngine engine;
  EngineRegistry registry(engine, view);
  RegisterPlugins(&registry);
  if (registry.plugins() != std::vector<std::string>{"OrvaneNativePluginCApi"}) {
    return Fail("the registrant did not ask for the plugin's registrar");
  }
  if (!engine.ChannelCallback(ORVANE_NATIVE_METHOD_CHANNEL)) {
    return Fail("the plugin did not open its method channel");
  }
  const uint64_t id = engine.Deliver(ORVANE_NATIVE_METHOD_CHANNEL, EncodeCall("getPermissions"));
  const auto reply = engine.TakeReply(id, 5000);
  if (!reply) {
    return Fail("no reply to getPermissions");
  }
  if (*reply != GrantedReply()) {
    std::fprintf(stderr, "orvane_native_app: reply:");
    for (const uint8_t byte : *reply) {
      std::fprintf(stderr, " %02x", static_cast<unsigned>(byte));
    }
    return Fail("\ngetPermissions answered something else");
  }
  // Destroys the registrar, which tears the plugin down, as closing the application does.
  engine.Shutdown();
  return 0;
}

}  // namespace

int main() {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = DefWindowProcW;
  window_class.hInstance = instance;
  window_class.lpszClassName = L"OrvaneNativeAppWindow";
  if (RegisterClassW(&window_class) == 0) {
    return Fail("cannot register the window class");
  }
  const HWND window =
      CreateWindowExW(0, window_class.lpszClassName, L"orvane_native app", WS_OVERLAPPEDWINDOW,
                      CW_USEDEFAULT, CW_USEDEFAULT, 640, 480, nullptr, nullptr, instance, nullptr);
  const HWND view = window == nullptr
                        ? nullptr
                        : CreateWindowExW(0, window_class.lpszClassName, L"", WS_CHILD | WS_VISIBLE,
                                          0, 0, 640, 480, window, nullptr, instance, nullptr);
  if (view == nullptr) {
    return Fail("cannot create the runner's windows");
  }
  const int result = Run(view);
  DestroyWindow(window);
  if (result == 0) {
    std::puts("orvane_native_app: registered; getPermissions granted both");
  }
  return result;
}
