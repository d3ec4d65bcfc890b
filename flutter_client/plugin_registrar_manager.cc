// The registrar manager: the one instance and the embedder's registrar-destroyed callback.
#include "flutter/plugin_registrar_manager.h"

#include <utility>

namespace flutter {

PluginRegistrarManager* PluginRegistrarManager::GetInstance() {
  // Deliberately never deleted: the wrappers die only when the embedder destroys their registrars.
  static PluginRegistrarManager* const instance = new PluginRegistrarManager();
  return instance;
}

void PluginRegistrarManager::OnRegistrarDestroyed(FlutterDesktopPluginRegistrarRef registrar_ref) {
  auto& registrars = GetInstance()->registrars_;
  const auto it = registrars.find(registrar_ref);
  if (it == registrars.end()) {
    return;
  }
  // Out of the map before it is destroyed, so the plugins' destructors never see a half-erased
  // entry.
  const std::unique_ptr<PluginRegistrar> wrapper = std::move(it->second);
  registrars.erase(it);
}

}  // namespace flutter
