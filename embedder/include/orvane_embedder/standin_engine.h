// Header-only C++ owner of one stand-in engine over the C control surface. It is compiled into the
// host's own module, so every std type here lives on the host's heap.
#ifndef EMBEDDER_INCLUDE_ORVANE_EMBEDDER_STANDIN_ENGINE_H_
#define EMBEDDER_INCLUDE_ORVANE_EMBEDDER_STANDIN_ENGINE_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "orvane_embedder/embedder_control.h"

namespace orvane::embedder {

// A message the plugin sent to the Dart side; `replyId` is 0 when it wants no reply.
struct SentMessage {
  std::string channel;
  std::vector<uint8_t> bytes;
  uint64_t replyId = 0;
};

// Contract: the platform-thread operations (registrars, Deliver, RouteWindowMessage, Shutdown)
// are called from one thread; TakeReply and TakeSent may be called from any thread.
class StandinEngine {
 public:
  StandinEngine() : engine_(OrvaneEmbedderEngineCreate()) {}
  ~StandinEngine() { OrvaneEmbedderEngineDestroy(engine_); }

  StandinEngine(const StandinEngine&) = delete;
  StandinEngine& operator=(const StandinEngine&) = delete;

  OrvaneEmbedderEngine* get() const { return engine_; }
  FlutterDesktopMessengerRef messenger() const { return OrvaneEmbedderEngineGetMessenger(engine_); }

  // `view_window` is the view's HWND on Windows; null gives a registrar without a view.
  FlutterDesktopPluginRegistrarRef CreateRegistrar(void* view_window = nullptr) {
    return OrvaneEmbedderCreateRegistrar(engine_, view_window);
  }
  bool DestroyRegistrar(FlutterDesktopPluginRegistrarRef registrar) {
    return OrvaneEmbedderDestroyRegistrar(engine_, registrar);
  }
  void Shutdown() { OrvaneEmbedderEngineShutdown(engine_); }

  // Delivers a Dart-side message on the calling thread; returns its id (0 after shutdown).
  uint64_t Deliver(const std::string& channel, const std::vector<uint8_t>& message) {
    return OrvaneEmbedderDeliverMessage(engine_, channel.c_str(),
                                        message.empty() ? nullptr : message.data(), message.size());
  }

  // The reply to a delivered message, waiting up to `timeout_ms`; nothing while none has come.
  std::optional<std::vector<uint8_t>> TakeReply(uint64_t message_id, uint32_t timeout_ms = 0) {
    std::vector<uint8_t> bytes;
    if (OrvaneEmbedderTakeReply(engine_, message_id, timeout_ms, &CopyBytes, &bytes) !=
        kOrvaneEmbedderReplyReady) {
      return std::nullopt;
    }
    return bytes;
  }

  // The oldest message the plugin sent, waiting up to `timeout_ms`.
  std::optional<SentMessage> TakeSent(uint32_t timeout_ms = 0) {
    SentMessage sent;
    if (!OrvaneEmbedderTakeSent(engine_, timeout_ms, &CopySent, &sent)) {
      return std::nullopt;
    }
    return sent;
  }

  bool AnswerSent(uint64_t reply_id, const std::vector<uint8_t>& bytes) {
    return OrvaneEmbedderAnswerSent(engine_, reply_id, bytes.empty() ? nullptr : bytes.data(),
                                    bytes.size());
  }
  void SetRefuseSendWithReply(bool refuse) {
    OrvaneEmbedderSetRefuseSendWithReply(engine_, refuse);
  }

  // The user data of the channel's callback, or nothing when the channel has none.
  std::optional<void*> ChannelCallback(const std::string& channel) const {
    void* user_data = nullptr;
    if (!OrvaneEmbedderGetChannelCallback(engine_, channel.c_str(), &user_data)) {
      return std::nullopt;
    }
    return user_data;
  }

  uint32_t CallCount(OrvaneEmbedderCall call) const {
    return OrvaneEmbedderCallCount(engine_, call);
  }
  int32_t TextureType(int64_t texture_id) const {
    return OrvaneEmbedderTextureType(engine_, texture_id);
  }

#if defined(_WIN32)
  // The result of the first delegate that handled the message, or nothing.
  std::optional<LRESULT> RouteWindowMessage(HWND window, UINT message, WPARAM wparam,
                                            LPARAM lparam) {
    LRESULT result = 0;
    if (!OrvaneEmbedderRouteWindowMessage(engine_, window, message, wparam, lparam, &result)) {
      return std::nullopt;
    }
    return result;
  }
#endif

 private:
  static void CopyBytes(const uint8_t* data, size_t size, void* context) {
    auto* bytes = static_cast<std::vector<uint8_t>*>(context);
    if (size > 0) {
      bytes->assign(data, data + size);
    }
  }
  static void CopySent(const char* channel, const uint8_t* data, size_t size, uint64_t reply_id,
                       void* context) {
    auto* sent = static_cast<SentMessage*>(context);
    sent->channel = channel;
    CopyBytes(data, size, &sent->bytes);
    sent->replyId = reply_id;
  }

  OrvaneEmbedderEngine* engine_;
};

}  // namespace orvane::embedder

#endif  // EMBEDDER_INCLUDE_ORVANE_EMBEDDER_STANDIN_ENGINE_H_
