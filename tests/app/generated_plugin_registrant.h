// The application's plugin registrant, shaped as a generated one.
#ifndef TESTS_APP_GENERATED_PLUGIN_REGISTRANT_H_
#define TESTS_APP_GENERATED_PLUGIN_REGISTRANT_H_

#include <string>

#include "flutter/flutter_desktop_embedder.h"

// The engine's side: one registrar per plugin name.
class PluginRegistry {
 public:
  virtual ~PluginRegistry() = default;
  virtual FlutterDesktopPluginRegistrarRef GetRegistrarForPlugin(const std::string& plugin) = 0;
};

void RegisterPlugins(PluginRegistry* registry);

#endif  // TESTS_APP_GENERATED_PLUGIN_REGISTRANT_H_
