// The Windows registrar: adds the view and the runner's top-level window-procedure delegates.
#ifndef FLUTTER_CLIENT_INCLUDE_FLUTTER_PLUGIN_REGISTRAR_WINDOWS_H_
#define FLUTTER_CLIENT_INCLUDE_FLUTTER_PLUGIN_REGISTRAR_WINDOWS_H_

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "flutter/flutter_view.h"
#include "flutter/plugin_registrar.h"

namespace flutter {

// Sees a message of the runner's top-level window before the runner does; a present result means
// the message was handled and goes no further.
using WindowProcDelegate =
    std::function<std::optional<LRESULT>(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)>;

// Contract: platform thread only. Destruction runs in this order: the plugins (which may still
// unregister their delegates and use the messenger), the view, the delegates, the messenger, the
// texture registrar.
class PluginRegistrarWindows : public PluginRegistrar {
 public:
  explicit PluginRegistrarWindows(FlutterDesktopPluginRegistrarRef core_registrar);
  ~PluginRegistrarWindows() override;

  // Null when the registrar has no view.
  FlutterView* GetView() const { return view_.get(); }

  // Returns the delegate's id, counting from 1. Delegates run in ascending id order; the first
  // one that returns a result ends the dispatch.
  int32_t RegisterTopLevelWindowProcDelegate(WindowProcDelegate delegate);

  void UnregisterTopLevelWindowProcDelegate(int32_t proc_id);

 private:
  static bool OnTopLevelWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                                   void* user_data, LRESULT* result);

  std::optional<LRESULT> CallTopLevelWindowProcDelegates(HWND hwnd, UINT message, WPARAM wparam,
                                                         LPARAM lparam);

  int32_t next_delegate_id_ = 1;
  // Declared in reverse order of destruction: the view goes before the delegates.
  std::map<int32_t, WindowProcDelegate> delegates_;
  std::unique_ptr<FlutterView> view_;
};

}  // namespace flutter

#endif  // FLUTTER_CLIENT_INCLUDE_FLUTTER_PLUGIN_REGISTRAR_WINDOWS_H_
