// The library's export: finds the registrar wrapper for the engine's handle and registers the
// plugin with it.
#include "orvane_native/orvane_native_plugin_c_api.h"

#include "flutter/plugin_registrar_manager.h"
#include "flutter/plugin_registrar_windows.h"
#include "log.h"
#include "orvane_native_plugin.h"

void OrvaneNativePluginCApiRegisterWithRegistrar(FlutterDesktopPluginRegistrarRef registrar) {
  if (registrar == nullptr) {
    // A wrapper over a null handle would pass it on to every embedder call.
    orvane_native::Log("registration skipped: the registrar handle is null");
    return;
  }
  flutter::PluginRegistrarWindows* const wrapper =
      flutter::PluginRegistrarManager::GetInstance()->GetRegistrar<flutter::PluginRegistrarWindows>(
          registrar);
  if (wrapper == nullptr) {
    orvane_native::Log("registration skipped: the registrar handle has a wrapper of another kind");
    return;
  }
  orvane_native::OrvaneNativePlugin::RegisterWithRegistrar(wrapper);
}
