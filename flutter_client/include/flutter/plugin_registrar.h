// The plugin's registrar: owns the messenger, the texture registrar and the plugins added to it,
// over the embedder's registrar handle.
#ifndef FLUTTER_CLIENT_INCLUDE_FLUTTER_PLUGIN_REGISTRAR_H_
#define FLUTTER_CLIENT_INCLUDE_FLUTTER_PLUGIN_REGISTRAR_H_

#include <memory>
#include <set>

#include "flutter/binary_messenger.h"
#include "flutter/flutter_desktop_embedder.h"
#include "flutter/texture_registrar.h"

namespace flutter {

// The base of plugins; a registrar owns them and destroys them before anything else of its own.
class Plugin {
 public:
  virtual ~Plugin() = default;
};

// Contract: created, used and destroyed on the platform thread. Destruction runs in this order:
// the plugins (which may still use the messenger), then the messenger, then the texture
// registrar.
class PluginRegistrar {
 public:
  // `core_registrar` is not owned and must outlive this object.
  explicit PluginRegistrar(FlutterDesktopPluginRegistrarRef core_registrar);
  virtual ~PluginRegistrar();

  PluginRegistrar(const PluginRegistrar&) = delete;
  PluginRegistrar& operator=(const PluginRegistrar&) = delete;

  BinaryMessenger* messenger() const { return messenger_.get(); }
  TextureRegistrar* texture_registrar() const { return texture_registrar_.get(); }

  // Takes ownership of `plugin`, keeping it until the registrar is destroyed.
  void AddPlugin(std::unique_ptr<Plugin> plugin);

 protected:
  FlutterDesktopPluginRegistrarRef registrar() const { return registrar_; }

  // Destroys every plugin now, so a derived registrar can do it while its own parts are intact.
  void ClearPlugins();

 private:
  FlutterDesktopPluginRegistrarRef registrar_;
  // Declared in reverse order of destruction.
  std::unique_ptr<TextureRegistrar> texture_registrar_;
  std::unique_ptr<BinaryMessenger> messenger_;
  std::set<std::unique_ptr<Plugin>> plugins_;
};

}  // namespace flutter

#endif  // FLUTTER_CLIENT_INCLUDE_FLUTTER_PLUGIN_REGISTRAR_H_
