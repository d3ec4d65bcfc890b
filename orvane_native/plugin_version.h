// The plugin's version, as getCapabilities reports it. The build refuses to configure when it
// differs from the `version` of pubspec.yaml (orvane_native/CMakeLists.txt), so the two cannot
// drift apart.
#ifndef ORVANE_NATIVE_PLUGIN_VERSION_H_
#define ORVANE_NATIVE_PLUGIN_VERSION_H_

#include <string_view>

namespace orvane_native {

inline constexpr std::string_view kPluginVersion = "0.1.0";

}  // namespace orvane_native

#endif  // ORVANE_NATIVE_PLUGIN_VERSION_H_
