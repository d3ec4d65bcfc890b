/* The plugin library's only entry: a runner calls it once per engine to register the plugin. */
#ifndef ORVANE_NATIVE_INCLUDE_ORVANE_NATIVE_ORVANE_NATIVE_PLUGIN_C_API_H_
#define ORVANE_NATIVE_INCLUDE_ORVANE_NATIVE_ORVANE_NATIVE_PLUGIN_C_API_H_

/* Only the registrar handle, declared as the embedder declares it: an application's registrant
 * includes this header beside the embedder's own headers, so it must define nothing else. */
typedef struct FlutterDesktopPluginRegistrar* FlutterDesktopPluginRegistrarRef;

/* The library defines FLUTTER_PLUGIN_IMPL privately while it is built. */
#if defined(FLUTTER_PLUGIN_IMPL)
#define FLUTTER_PLUGIN_EXPORT __declspec(dllexport)
#else
#define FLUTTER_PLUGIN_EXPORT __declspec(dllimport)
#endif

/* The channels the plugin opens on the registrar's messenger, as the Dart side names them. */
#define ORVANE_NATIVE_METHOD_CHANNEL "orvane_native/methods"
#define ORVANE_NATIVE_EVENT_CHANNEL "orvane_native/events"

/* The name of the export below, for a runner that loads the library and finds it with
 * GetProcAddress. */
#define ORVANE_NATIVE_REGISTER_EXPORT "OrvaneNativePluginCApiRegisterWithRegistrar"

#if defined(__cplusplus)
extern "C" {
#endif

/* Builds the plugin for the engine's registrar, opens ORVANE_NATIVE_METHOD_CHANNEL and
 * ORVANE_NATIVE_EVENT_CHANNEL, and hands the plugin to the registrar, which destroys it when the
 * engine destroys the registrar. Call on the platform thread. A null handle registers nothing. */
FLUTTER_PLUGIN_EXPORT void OrvaneNativePluginCApiRegisterWithRegistrar(
    FlutterDesktopPluginRegistrarRef registrar);

#if defined(__cplusplus)
}  // extern "C"
#endif

#endif /* ORVANE_NATIVE_INCLUDE_ORVANE_NATIVE_ORVANE_NATIVE_PLUGIN_C_API_H_ */
