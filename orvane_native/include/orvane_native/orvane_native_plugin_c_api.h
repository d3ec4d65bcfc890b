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

#if defined(__cplusplus)
extern "C" {
#endif

/* Builds the plugin for the engine's registrar, opens "orvane_native/methods" and
 * "orvane_native/events", and hands the plugin to the registrar, which destroys it when the engine
 * destroys the registrar. Call on the platform thread. A null handle registers nothing. */
FLUTTER_PLUGIN_EXPORT void OrvaneNativePluginCApiRegisterWithRegistrar(
    FlutterDesktopPluginRegistrarRef registrar);

#if defined(__cplusplus)
}  // extern "C"
#endif

#endif /* ORVANE_NATIVE_INCLUDE_ORVANE_NATIVE_ORVANE_NATIVE_PLUGIN_C_API_H_ */
