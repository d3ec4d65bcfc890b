/* The stand-in embedder's control surface: what a host (a test or the runner) uses to play the
 * engine and the Dart side around a plugin. Plain C, so no C++ object crosses the DLL boundary:
 * bytes are handed to caller callbacks, which copy them. */
#ifndef EMBEDDER_INCLUDE_ORVANE_EMBEDDER_EMBEDDER_CONTROL_H_
#define EMBEDDER_INCLUDE_ORVANE_EMBEDDER_EMBEDDER_CONTROL_H_

#include "flutter/flutter_desktop_embedder.h"

#if defined(__cplusplus)
extern "C" {
#endif

/* One engine: a messenger, a texture registrar, its registrars and the Dart side's records. */
typedef struct OrvaneEmbedderEngine OrvaneEmbedderEngine;

typedef enum {
  kOrvaneEmbedderReplyReady = 0,   /* the reply was handed to the sink and forgotten */
  kOrvaneEmbedderReplyPending = 1, /* no reply yet within the wait */
  kOrvaneEmbedderReplyUnknown = 2, /* no such message, or its reply was already taken */
} OrvaneEmbedderReplyStatus;

/* Embedder calls the stand-in counts, for tests that check how the channel layer uses it. */
typedef enum {
  kOrvaneEmbedderCallSetCallback = 0,
  kOrvaneEmbedderCallSendResponse = 1,
  kOrvaneEmbedderCallResponseHandleReused = 2, /* a response for a handle already answered */
  kOrvaneEmbedderCallMessengerAddRef = 3,
  kOrvaneEmbedderCallMessengerRelease = 4,
  kOrvaneEmbedderCallSetDestructionHandler = 5,
  kOrvaneEmbedderCallRegisterWindowProcDelegate = 6,
  kOrvaneEmbedderCallUnregisterWindowProcDelegate = 7,
  kOrvaneEmbedderCallCount = 8,
} OrvaneEmbedderCall;

/* Receives bytes that stay valid only during the call. */
typedef void (*OrvaneEmbedderBytesSink)(const uint8_t* data, size_t size, void* context);

/* Receives one message the plugin sent; `reply_id` is 0 for a send without reply, else the id to
 * answer with OrvaneEmbedderAnswerSent. Pointers are valid only during the call. */
typedef void (*OrvaneEmbedderSentSink)(const char* channel, const uint8_t* data, size_t size,
                                       uint64_t reply_id, void* context);

/* Engine lifetime. Shutdown answers unanswered sends-with-reply with an empty reply while the
 * plugins are still alive, then destroys the live registrars (newest first, calling their
 * destruction handlers) and makes the messenger unavailable, waiting for any holder of the
 * messenger lock. Destroy shuts down when that has not happened and frees the engine; the
 * messenger handle lives on until its last Release. */
FLUTTER_DESKTOP_EXPORT OrvaneEmbedderEngine* OrvaneEmbedderEngineCreate(void);
FLUTTER_DESKTOP_EXPORT void OrvaneEmbedderEngineShutdown(OrvaneEmbedderEngine* engine);
FLUTTER_DESKTOP_EXPORT void OrvaneEmbedderEngineDestroy(OrvaneEmbedderEngine* engine);

FLUTTER_DESKTOP_EXPORT FlutterDesktopMessengerRef
OrvaneEmbedderEngineGetMessenger(OrvaneEmbedderEngine* engine);

/* A registrar with a view over `view_window` (an HWND on Windows), or without a view when it is
 * null. Null after shutdown. */
FLUTTER_DESKTOP_EXPORT FlutterDesktopPluginRegistrarRef
OrvaneEmbedderCreateRegistrar(OrvaneEmbedderEngine* engine, void* view_window);

/* Calls the registrar's destruction handler, then forgets its window-proc delegates and frees it;
 * when it was the last registrar, every channel callback is removed too. Returns false when the
 * registrar is not a live one of this engine. */
FLUTTER_DESKTOP_EXPORT bool OrvaneEmbedderDestroyRegistrar(
    OrvaneEmbedderEngine* engine, FlutterDesktopPluginRegistrarRef registrar);

/* Delivers a message from the Dart side on `channel`, calling the channel's callback on the
 * calling thread (the platform thread). Returns the message id for OrvaneEmbedderTakeReply; a
 * channel without a callback is answered at once with an empty reply. Returns 0 after shutdown. */
FLUTTER_DESKTOP_EXPORT uint64_t OrvaneEmbedderDeliverMessage(OrvaneEmbedderEngine* engine,
                                                             const char* channel,
                                                             const uint8_t* message,
                                                             size_t message_size);

/* Waits up to `timeout_ms` for the reply to a delivered message (it may come from any thread);
 * when ready, hands its bytes to `sink` and forgets it. */
FLUTTER_DESKTOP_EXPORT OrvaneEmbedderReplyStatus
OrvaneEmbedderTakeReply(OrvaneEmbedderEngine* engine, uint64_t message_id, uint32_t timeout_ms,
                        OrvaneEmbedderBytesSink sink, void* context);

/* Waits up to `timeout_ms` for the oldest message the plugin sent and hands it to `sink`.
 * Returns false when there was none. */
FLUTTER_DESKTOP_EXPORT bool OrvaneEmbedderTakeSent(OrvaneEmbedderEngine* engine,
                                                   uint32_t timeout_ms, OrvaneEmbedderSentSink sink,
                                                   void* context);

/* Answers a send-with-reply: calls the plugin's reply function on the calling thread. Returns
 * false when the id is unknown or already answered. */
FLUTTER_DESKTOP_EXPORT bool OrvaneEmbedderAnswerSent(OrvaneEmbedderEngine* engine,
                                                     uint64_t reply_id, const uint8_t* data,
                                                     size_t size);

/* While set, FlutterDesktopMessengerSendWithReply refuses (returns false). */
FLUTTER_DESKTOP_EXPORT void OrvaneEmbedderSetRefuseSendWithReply(OrvaneEmbedderEngine* engine,
                                                                 bool refuse);

/* True when `channel` has a callback; its user data is stored in `*user_data` when not null. */
FLUTTER_DESKTOP_EXPORT bool OrvaneEmbedderGetChannelCallback(OrvaneEmbedderEngine* engine,
                                                             const char* channel, void** user_data);

FLUTTER_DESKTOP_EXPORT uint32_t OrvaneEmbedderCallCount(OrvaneEmbedderEngine* engine,
                                                        OrvaneEmbedderCall call);

/* The type of a registered texture (FlutterDesktopTextureType), or -1 when unknown. */
FLUTTER_DESKTOP_EXPORT int32_t OrvaneEmbedderTextureType(OrvaneEmbedderEngine* engine,
                                                         int64_t texture_id);

#if defined(_WIN32)
/* Routes one message of the top-level window through the registered delegates in registration
 * order, on the calling thread. True when one handled it, with its result in `*result`. */
FLUTTER_DESKTOP_EXPORT bool OrvaneEmbedderRouteWindowMessage(OrvaneEmbedderEngine* engine,
                                                             HWND window, UINT message,
                                                             WPARAM wparam, LPARAM lparam,
                                                             LRESULT* result);
#endif

#if defined(__cplusplus)
}  // extern "C"
#endif

#endif  // EMBEDDER_INCLUDE_ORVANE_EMBEDDER_EMBEDDER_CONTROL_H_
