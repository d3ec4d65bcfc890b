// The stand-in's control surface: plain C entry points over the engine, for hosts in other modules.
#include <memory>

#include "engine.h"
#include "orvane_embedder/embedder_control.h"

// The opaque control handle is the engine itself.
struct OrvaneEmbedderEngine {
  orvane::embedder::Engine engine;
};

extern "C" {

OrvaneEmbedderEngine* OrvaneEmbedderEngineCreate(void) {
  // Ownership passes to the host, which gives it back through OrvaneEmbedderEngineDestroy.
  return std::make_unique<OrvaneEmbedderEngine>().release();
}

void OrvaneEmbedderEngineShutdown(OrvaneEmbedderEngine* engine) {
  if (engine != nullptr) {
    engine->engine.Shutdown();
  }
}

void OrvaneEmbedderEngineDestroy(OrvaneEmbedderEngine* engine) {
  const std::unique_ptr<OrvaneEmbedderEngine> owned(engine);
}

FlutterDesktopMessengerRef OrvaneEmbedderEngineGetMessenger(OrvaneEmbedderEngine* engine) {
  return engine != nullptr ? engine->engine.messenger() : nullptr;
}

FlutterDesktopPluginRegistrarRef OrvaneEmbedderCreateRegistrar(OrvaneEmbedderEngine* engine,
                                                               void* view_window) {
  return engine != nullptr ? engine->engine.CreateRegistrar(view_window) : nullptr;
}

bool OrvaneEmbedderDestroyRegistrar(OrvaneEmbedderEngine* engine,
                                    FlutterDesktopPluginRegistrarRef registrar) {
  return engine != nullptr && engine->engine.DestroyRegistrar(registrar);
}

uint64_t OrvaneEmbedderDeliverMessage(OrvaneEmbedderEngine* engine, const char* channel,
                                      const uint8_t* message, size_t message_size) {
  return engine != nullptr ? engine->engine.Deliver(channel, message, message_size) : 0;
}

OrvaneEmbedderReplyStatus OrvaneEmbedderTakeReply(OrvaneEmbedderEngine* engine, uint64_t message_id,
                                                  uint32_t timeout_ms, OrvaneEmbedderBytesSink sink,
                                                  void* context) {
  return engine != nullptr ? engine->engine.TakeReply(message_id, timeout_ms, sink, context)
                           : kOrvaneEmbedderReplyUnknown;
}

bool OrvaneEmbedderTakeSent(OrvaneEmbedderEngine* engine, uint32_t timeout_ms,
                            OrvaneEmbedderSentSink sink, void* context) {
  return engine != nullptr && engine->engine.TakeSent(timeout_ms, sink, context);
}

bool OrvaneEmbedderAnswerSent(OrvaneEmbedderEngine* engine, uint64_t reply_id, const uint8_t* data,
                              size_t size) {
  return engine != nullptr && engine->engine.AnswerSent(reply_id, data, size);
}

void OrvaneEmbedderSetRefuseSendWithReply(OrvaneEmbedderEngine* engine, bool refuse) {
  if (engine != nullptr) {
    engine->engine.SetRefuseSendWithReply(refuse);
  }
}

bool OrvaneEmbedderGetChannelCallback(OrvaneEmbedderEngine* engine, const char* channel,
                                      void** user_data) {
  return engine != nullptr && channel != nullptr &&
         engine->engine.ChannelCallback(channel, user_data);
}

uint32_t OrvaneEmbedderCallCount(OrvaneEmbedderEngine* engine, OrvaneEmbedderCall call) {
  const auto index = static_cast<size_t>(call);
  if (engine == nullptr || index >= kOrvaneEmbedderCallCount) {
    return 0;
  }
  return engine->engine.messenger()->calls[index].load();
}

int32_t OrvaneEmbedderTextureType(OrvaneEmbedderEngine* engine, int64_t texture_id) {
  constexpr int32_t kUnknown = -1;
  return engine != nullptr ? engine->engine.TextureType(texture_id) : kUnknown;
}

#if defined(_WIN32)
bool OrvaneEmbedderRouteWindowMessage(OrvaneEmbedderEngine* engine, HWND window, UINT message,
                                      WPARAM wparam, LPARAM lparam, LRESULT* result) {
  return engine != nullptr &&
         engine->engine.RouteWindowMessage(window, message, wparam, lparam, result);
}
#endif

}  // extern "C"
