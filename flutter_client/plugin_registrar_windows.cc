// The Windows registrar: the view wrapper and the dispatch of top-level window messages to the
// plugins' delegates.
#include "flutter/plugin_registrar_windows.h"

#include <utility>

namespace flutter {

PluginRegistrarWindows::PluginRegistrarWindows(FlutterDesktopPluginRegistrarRef core_registrar)
    : PluginRegistrar(core_registrar) {
  const FlutterDesktopViewRef view = FlutterDesktopPluginRegistrarGetView(core_registrar);
  if (view != nullptr) {
    view_ = std::make_unique<FlutterView>(view);
  }
}

PluginRegistrarWindows::~PluginRegistrarWindows() {
  // Plugins first, while the view, the delegates and the messenger they use are still intact.
  ClearPlugins();
  if (!delegates_.empty()) {
    // Left behind by a plugin: the embedder must not call back into this dying wrapper.
    FlutterDesktopPluginRegistrarUnregisterTopLevelWindowProcDelegate(registrar(),
                                                                      &OnTopLevelWindowProc);
  }
}

int32_t PluginRegistrarWindows::RegisterTopLevelWindowProcDelegate(WindowProcDelegate delegate) {
  if (delegates_.empty()) {
    FlutterDesktopPluginRegistrarRegisterTopLevelWindowProcDelegate(registrar(),
                                                                    &OnTopLevelWindowProc, this);
  }
  const int32_t id = next_delegate_id_++;
  delegates_[id] = std::move(delegate);
  return id;
}

void PluginRegistrarWindows::UnregisterTopLevelWindowProcDelegate(int32_t proc_id) {
  if (delegates_.erase(proc_id) > 0 && delegates_.empty()) {
    FlutterDesktopPluginRegistrarUnregisterTopLevelWindowProcDelegate(registrar(),
                                                                      &OnTopLevelWindowProc);
  }
}

bool PluginRegistrarWindows::OnTopLevelWindowProc(HWND hwnd, UINT message, WPARAM wparam,
                                                  LPARAM lparam, void* user_data, LRESULT* result) {
  const std::optional<LRESULT> handled =
      static_cast<PluginRegistrarWindows*>(user_data)->CallTopLevelWindowProcDelegates(
          hwnd, message, wparam, lparam);
  if (!handled) {
    return false;
  }
  *result = *handled;
  return true;
}

std::optional<LRESULT> PluginRegistrarWindows::CallTopLevelWindowProcDelegates(HWND hwnd,
                                                                               UINT message,
                                                                               WPARAM wparam,
                                                                               LPARAM lparam) {
  // Walks by id rather than by iterator, and calls a copy, so a delegate may unregister itself or
  // others while it runs.
  for (auto it = delegates_.begin(); it != delegates_.end();) {
    const int32_t id = it->first;
    const WindowProcDelegate delegate = it->second;
    if (std::optional<LRESULT> result = delegate(hwnd, message, wparam, lparam)) {
      return result;
    }
    it = delegates_.upper_bound(id);
  }
  return std::nullopt;
}

}  // namespace flutter
