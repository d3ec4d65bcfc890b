// The application's runner: a window with a view, the engine, the registrant and one call; exits
// with 0 when the plugin registered and answered "getPermissions" with a success.
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
struct EngineRegistry : PluginRegistry {
  EngineRegistry(orvane::embedder::StandinEngine& e, HWND v) : engine(e), view(v) {}
  FlutterDesktopPluginRegistrarRef GetRegistrarForPlugin(const std::string& plugin) override {
    plugins.push_back(plugin);
    return engine.CreateRegistrar(view);
  }
  orvane::embedder::StandinEngine& engine;
  HWND view;
  std::vector<std::string> plugins;
};

// Standard codec bytes as the Dart side writes them: a string (type 7), its length and its bytes,
// then null (0) for no arguments. The recorded method session checks the reply's bytes; here it
// is enough that it is a success (0).
constexpr char kCall[] = "\x07\x0egetPermissions\x00";
const std::vector<uint8_t> kCallBytes(kCall, kCall + sizeof kCall - 1);

int Fail(const char* what) {
  std::fprintf(stderr, "orvane_native_app: %s\n", what);
  return 1;
}

}  // namespace

int main() {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = DefWindowProcW;
  window_class.hInstance = instance;
  window_class.lpszClassName = L"OrvaneNativeAppWindow";
  RegisterClassW(&window_class);  // a failure shows as windows that cannot be created
  const HWND window =
      CreateWindowExW(0, window_class.lpszClassName, L"orvane_native app", WS_OVERLAPPEDWINDOW,
                      CW_USEDEFAULT, CW_USEDEFAULT, 640, 480, nullptr, nullptr, instance, nullptr);
  // A child of no window is refused.
  const HWND view = CreateWindowExW(0, window_class.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 0, 0,
                                    640, 480, window, nullptr, instance, nullptr);
  if (view == nullptr) return Fail("cannot create the runner's windows");
  orvane::embedder::StandinEngine engine;
  EngineRegistry registry(engine, view);
  RegisterPlugins(&registry);
  if (registry.plugins != std::vector<std::string>{"OrvaneNativePluginCApi"}) {
    return Fail("the registrant did not ask for the plugin's registrar");
  }
  const auto reply =
      engine.TakeReply(engine.Deliver(ORVANE_NATIVE_METHOD_CHANNEL, kCallBytes), 5000);
  if (!reply || reply->empty() || reply->front() != 0) {
    return Fail("getPermissions went unanswered or answered something else");
  }
  // Destroys the registrar, which tears the plugin down, as closing the application does.
  engine.Shutdown();
  return 0;
}
