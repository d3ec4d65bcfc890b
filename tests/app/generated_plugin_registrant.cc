#include "generated_plugin_registrant.h"

#include <orvane_native/orvane_native_plugin_c_api.h>

void RegisterPlugins(PluginRegistry* registry) {
  OrvaneNativePluginCApiRegisterWithRegistrar(
      registry->GetRegistrarForPlugin("OrvaneNativePluginCApi"));
}
