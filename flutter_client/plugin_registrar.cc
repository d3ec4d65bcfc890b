// The plugin registrar: builds the messenger and the texture registrar over the embedder's handles
// and owns the plugins.
#include "flutter/plugin_registrar.h"

#include <utility>

#include "flutter/binary_messenger_impl.h"
#include "flutter/texture_registrar_impl.h"

namespace flutter {

PluginRegistrar::PluginRegistrar(FlutterDesktopPluginRegistrarRef core_registrar)
    : registrar_(core_registrar),
      texture_registrar_(std::make_unique<TextureRegistrarImpl>(
          FlutterDesktopRegistrarGetTextureRegistrar(core_registrar))),
      messenger_(std::make_unique<BinaryMessengerImpl>(
          FlutterDesktopPluginRegistrarGetMessenger(core_registrar))) {}

PluginRegistrar::~PluginRegistrar() { ClearPlugins(); }

void PluginRegistrar::AddPlugin(std::unique_ptr<Plugin> plugin) {
  plugins_.insert(std::move(plugin));
}

void PluginRegistrar::ClearPlugins() { plugins_.clear(); }

}  // namespace flutter
