// The process-wide map from the embedder's registrar handles to their wrappers, which ties each
// wrapper's life to the embedder's registrar.
#ifndef FLUTTER_CLIENT_INCLUDE_FLUTTER_PLUGIN_REGISTRAR_MANAGER_H_
#define FLUTTER_CLIENT_INCLUDE_FLUTTER_PLUGIN_REGISTRAR_MANAGER_H_

#include <map>
#include <memory>
#include <type_traits>

#include "flutter/flutter_desktop_embedder.h"
#include "flutter/plugin_registrar.h"

namespace flutter {

// Contract: platform thread only; the map has no lock. A wrapper lives from its first lookup until
// the embedder reports its registrar destroyed, which destroys the wrapper and its plugins. The
// instance itself is never destroyed, so no wrapper is torn down during process exit.
class PluginRegistrarManager {
 public:
  static PluginRegistrarManager* GetInstance();

  PluginRegistrarManager(const PluginRegistrarManager&) = delete;
  PluginRegistrarManager& operator=(const PluginRegistrarManager&) = delete;

  // The wrapper of type T for `registrar_ref`, created on first request. Returns null if the
  // handle already has a wrapper of another type.
  template <class T>
  T* GetRegistrar(FlutterDesktopPluginRegistrarRef registrar_ref) {
    static_assert(std::is_base_of<PluginRegistrar, T>::value, "T must be a PluginRegistrar");
    auto it = registrars_.find(registrar_ref);
    if (it == registrars_.end()) {
      it = registrars_.emplace(registrar_ref, std::make_unique<T>(registrar_ref)).first;
    }
    FlutterDesktopPluginRegistrarSetDestructionHandler(registrar_ref, &OnRegistrarDestroyed);
    return dynamic_cast<T*>(it->second.get());
  }

 private:
  PluginRegistrarManager() = default;

  static void OnRegistrarDestroyed(FlutterDesktopPluginRegistrarRef registrar_ref);

  std::map<FlutterDesktopPluginRegistrarRef, std::unique_ptr<PluginRegistrar>> registrars_;
};

}  // namespace flutter

#endif  // FLUTTER_CLIENT_INCLUDE_FLUTTER_PLUGIN_REGISTRAR_MANAGER_H_
