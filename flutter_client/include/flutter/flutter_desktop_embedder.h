/* The embedder's plain-function interface that the platform channel layer calls: opaque handles,
 * the incoming message record, callback types and the functions, all with C linkage. */
#ifndef FLUTTER_CLIENT_INCLUDE_FLUTTER_FLUTTER_DESKTOP_EMBEDDER_H_
#define FLUTTER_CLIENT_INCLUDE_FLUTTER_FLUTTER_DESKTOP_EMBEDDER_H_

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#include <windows.h>
#endif

#if !defined(__cplusplus)
#include <stdbool.h>
#endif

/* The functions live in the embedder's DLL on Windows; the module that implements them defines
 * FLUTTER_DESKTOP_EMBEDDER_IMPL privately while it is built. */
#if defined(_WIN32)
#if defined(FLUTTER_DESKTOP_EMBEDDER_IMPL)
#define FLUTTER_DESKTOP_EXPORT __declspec(dllexport)
#else
#define FLUTTER_DESKTOP_EXPORT __declspec(dllimport)
#endif
#else
#define FLUTTER_DESKTOP_EXPORT
#endif

#if defined(__cplusplus)
extern "C" {
#endif

/* Opaque handles, owned by the embedder. */
typedef struct FlutterDesktopPluginRegistrar* FlutterDesktopPluginRegistrarRef;
typedef struct FlutterDesktopMessenger* FlutterDesktopMessengerRef;
typedef struct FlutterDesktopView* FlutterDesktopViewRef;
typedef struct FlutterDesktopTextureRegistrar* FlutterDesktopTextureRegistrarRef;

/* Identifies one incoming message that expects a response; usable for exactly one response. */
typedef struct FlutterDesktopMessageResponseHandle FlutterDesktopMessageResponseHandle;

/* One message from the Dart side. Valid only during the callback that receives it. */
typedef struct {
  size_t struct_size;
  const char* channel;
  const uint8_t* message;
  size_t message_size;
  const FlutterDesktopMessageResponseHandle* response_handle;
} FlutterDesktopMessage;

/* Called on the platform thread for each message on a channel. */
typedef void (*FlutterDesktopMessageCallback)(FlutterDesktopMessengerRef messenger,
                                              const FlutterDesktopMessage* message,
                                              void* user_data);

/* Called once with the Dart side's answer to a message sent with a reply. */
typedef void (*FlutterDesktopBinaryReply)(const uint8_t* data, size_t data_size, void* user_data);

/* Called when the embedder destroys a registrar. */
typedef void (*FlutterDesktopOnPluginRegistrarDestroyed)(
    FlutterDesktopPluginRegistrarRef registrar);

#if defined(_WIN32)
/* Called for messages of the top-level window; returning true means handled, with *result set. */
typedef bool (*FlutterDesktopWindowProcCallback)(HWND window, UINT message, WPARAM wparam,
                                                 LPARAM lparam, void* user_data, LRESULT* result);
#endif

/* --- Textures ---------------------------------------------------------------------------- */

typedef enum {
  kFlutterDesktopPixelBufferTexture = 0,
  kFlutterDesktopGpuSurfaceTexture = 1,
} FlutterDesktopTextureType;

typedef enum {
  kFlutterDesktopGpuSurfaceTypeNone = 0,
  kFlutterDesktopGpuSurfaceTypeDxgiSharedHandle = 1,
  kFlutterDesktopGpuSurfaceTypeD3d11Texture2D = 2,
} FlutterDesktopGpuSurfaceType;

typedef enum {
  kFlutterDesktopPixelFormatNone = 0,
  kFlutterDesktopPixelFormatRGBA8888 = 1,
  kFlutterDesktopPixelFormatBGRA8888 = 2,
} FlutterDesktopPixelFormat;

/* RGBA pixels of one frame; release_callback, when set, is called with release_context once the
 * embedder no longer reads the buffer. */
typedef struct {
  const uint8_t* buffer;
  size_t width;
  size_t height;
  void (*release_callback)(void* release_context);
  void* release_context;
} FlutterDesktopPixelBuffer;

typedef struct {
  size_t struct_size;
  void* handle;
  size_t width;
  size_t height;
  size_t visible_width;
  size_t visible_height;
  FlutterDesktopPixelFormat format;
  void (*release_callback)(void* release_context);
  void* release_context;
} FlutterDesktopGpuSurfaceDescriptor;

typedef const FlutterDesktopPixelBuffer* (*FlutterDesktopPixelBufferTextureCallback)(
    size_t width, size_t height, void* user_data);

typedef const FlutterDesktopGpuSurfaceDescriptor* (*FlutterDesktopGpuSurfaceTextureCallback)(
    size_t width, size_t height, void* user_data);

typedef struct {
  FlutterDesktopPixelBufferTextureCallback callback;
  void* user_data;
} FlutterDesktopPixelBufferTextureConfig;

typedef struct {
  size_t struct_size;
  FlutterDesktopGpuSurfaceType type;
  FlutterDesktopGpuSurfaceTextureCallback callback;
  void* user_data;
} FlutterDesktopGpuSurfaceTextureConfig;

typedef struct {
  FlutterDesktopTextureType type;
  union {
    FlutterDesktopPixelBufferTextureConfig pixel_buffer_config;
    FlutterDesktopGpuSurfaceTextureConfig gpu_surface_config;
  };
} FlutterDesktopTextureInfo;

typedef void (*FlutterDesktopOnTextureUnregistered)(void* user_data);

/* --- Registrar --------------------------------------------------------------------------- */

FLUTTER_DESKTOP_EXPORT FlutterDesktopMessengerRef
FlutterDesktopPluginRegistrarGetMessenger(FlutterDesktopPluginRegistrarRef registrar);

FLUTTER_DESKTOP_EXPORT FlutterDesktopTextureRegistrarRef
FlutterDesktopRegistrarGetTextureRegistrar(FlutterDesktopPluginRegistrarRef registrar);

/* Null when the registrar has no view. */
FLUTTER_DESKTOP_EXPORT FlutterDesktopViewRef
FlutterDesktopPluginRegistrarGetView(FlutterDesktopPluginRegistrarRef registrar);

/* Replaces any earlier handler of the registrar. */
FLUTTER_DESKTOP_EXPORT void FlutterDesktopPluginRegistrarSetDestructionHandler(
    FlutterDesktopPluginRegistrarRef registrar, FlutterDesktopOnPluginRegistrarDestroyed callback);

#if defined(_WIN32)
FLUTTER_DESKTOP_EXPORT HWND FlutterDesktopViewGetHWND(FlutterDesktopViewRef view);

FLUTTER_DESKTOP_EXPORT void FlutterDesktopPluginRegistrarRegisterTopLevelWindowProcDelegate(
    FlutterDesktopPluginRegistrarRef registrar, FlutterDesktopWindowProcCallback delegate,
    void* user_data);

FLUTTER_DESKTOP_EXPORT void FlutterDesktopPluginRegistrarUnregisterTopLevelWindowProcDelegate(
    FlutterDesktopPluginRegistrarRef registrar, FlutterDesktopWindowProcCallback delegate);
#endif

/* --- Messenger --------------------------------------------------------------------------- */

FLUTTER_DESKTOP_EXPORT bool FlutterDesktopMessengerSend(FlutterDesktopMessengerRef messenger,
                                                        const char* channel, const uint8_t* message,
                                                        size_t message_size);

/* True when accepted; `reply` is then called exactly once with `user_data`. */
FLUTTER_DESKTOP_EXPORT bool FlutterDesktopMessengerSendWithReply(
    FlutterDesktopMessengerRef messenger, const char* channel, const uint8_t* message,
    size_t message_size, FlutterDesktopBinaryReply reply, void* user_data);

/* `handle` must not be used again afterwards. */
FLUTTER_DESKTOP_EXPORT void FlutterDesktopMessengerSendResponse(
    FlutterDesktopMessengerRef messenger, const FlutterDesktopMessageResponseHandle* handle,
    const uint8_t* data, size_t data_length);

/* A null callback removes the channel's callback. */
FLUTTER_DESKTOP_EXPORT void FlutterDesktopMessengerSetCallback(
    FlutterDesktopMessengerRef messenger, const char* channel,
    FlutterDesktopMessageCallback callback, void* user_data);

/* Returns `messenger`, which stays valid until the matching Release, even after engine shutdown. */
FLUTTER_DESKTOP_EXPORT FlutterDesktopMessengerRef
FlutterDesktopMessengerAddRef(FlutterDesktopMessengerRef messenger);

FLUTTER_DESKTOP_EXPORT void FlutterDesktopMessengerRelease(FlutterDesktopMessengerRef messenger);

/* False once the engine behind the messenger is gone. */
FLUTTER_DESKTOP_EXPORT bool FlutterDesktopMessengerIsAvailable(
    FlutterDesktopMessengerRef messenger);

/* Returns `messenger`; engine teardown waits until the matching Unlock. */
FLUTTER_DESKTOP_EXPORT FlutterDesktopMessengerRef
FlutterDesktopMessengerLock(FlutterDesktopMessengerRef messenger);

FLUTTER_DESKTOP_EXPORT void FlutterDesktopMessengerUnlock(FlutterDesktopMessengerRef messenger);

/* --- Texture registrar ------------------------------------------------------------------- */

/* Returns the new texture id, or -1 when the texture was refused. */
FLUTTER_DESKTOP_EXPORT int64_t FlutterDesktopTextureRegistrarRegisterExternalTexture(
    FlutterDesktopTextureRegistrarRef texture_registrar,
    const FlutterDesktopTextureInfo* texture_info);

/* `callback`, when given, is called once with `user_data` after the texture is gone. */
FLUTTER_DESKTOP_EXPORT void FlutterDesktopTextureRegistrarUnregisterExternalTexture(
    FlutterDesktopTextureRegistrarRef texture_registrar, int64_t texture_id,
    FlutterDesktopOnTextureUnregistered callback, void* user_data);

FLUTTER_DESKTOP_EXPORT bool FlutterDesktopTextureRegistrarMarkExternalTextureFrameAvailable(
    FlutterDesktopTextureRegistrarRef texture_registrar, int64_t texture_id);

#if defined(__cplusplus)
}  // extern "C"
#endif

#endif  // FLUTTER_CLIENT_INCLUDE_FLUTTER_FLUTTER_DESKTOP_EMBEDDER_H_
