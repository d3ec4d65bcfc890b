// The stand-in engine: the state behind one messenger, its registrars and textures, and the records
// of the Dart side (deliveries awaiting replies, messages the plugin sent).
#ifndef EMBEDDER_ENGINE_H_
#define EMBEDDER_ENGINE_H_

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "flutter/flutter_desktop_embedder.h"
#include "orvane_embedder/embedder_control.h"

namespace orvane::embedder {
class Engine;
}  // namespace orvane::embedder

// The messenger handle. Reference counted so that it outlives the engine while plugins still hold
// replies; the teardown lock is what FlutterDesktopMessengerLock takes. It is recursive because a
// holder of the lock calls SendResponse, which takes it again to guard the engine pointer.
struct FlutterDesktopMessenger {
  std::atomic<int32_t> references{1};
  std::recursive_mutex teardown;
  std::atomic<bool> available{true};
  orvane::embedder::Engine* engine = nullptr;  // guarded by `teardown`; null after shutdown
  std::array<std::atomic<uint32_t>, kOrvaneEmbedderCallCount> calls{};

  void Count(OrvaneEmbedderCall call) { calls[call].fetch_add(1, std::memory_order_relaxed); }
};

struct FlutterDesktopView {
  void* window = nullptr;
};

struct FlutterDesktopPluginRegistrar {
  orvane::embedder::Engine* engine = nullptr;
  std::unique_ptr<FlutterDesktopView> view;  // null when the registrar has no view
  FlutterDesktopOnPluginRegistrarDestroyed destruction_handler = nullptr;
};

struct FlutterDesktopTextureRegistrar {
  orvane::embedder::Engine* engine = nullptr;
};

namespace orvane::embedder {

// Drops one reference; the last one frees the handle.
void ReleaseMessengerReference(FlutterDesktopMessenger* messenger);

// Contract: channel callbacks, registrars, delegates and deliveries are driven from the platform
// thread; responses may arrive from any thread (under the messenger lock), and the Dart side's
// records are read from any thread. No lock is held while a plugin callback runs.
class Engine {
 public:
  Engine();
  ~Engine();

  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  FlutterDesktopMessenger* messenger() const { return messenger_; }
  FlutterDesktopTextureRegistrar* texture_registrar() { return &texture_registrar_; }

  void Shutdown();

  FlutterDesktopPluginRegistrar* CreateRegistrar(void* view_window);
  bool DestroyRegistrar(FlutterDesktopPluginRegistrar* registrar);

  // Messenger side (the plugin calls these through the embedder functions).
  void SetChannelCallback(const std::string& channel, FlutterDesktopMessageCallback callback,
                          void* user_data);
  void Respond(const FlutterDesktopMessageResponseHandle* handle, const uint8_t* data, size_t size);
  void RecordSent(const char* channel, const uint8_t* data, size_t size);
  bool RecordSentWithReply(const char* channel, const uint8_t* data, size_t size,
                           FlutterDesktopBinaryReply reply, void* user_data);

  // Dart side (the host calls these through the control surface).
  uint64_t Deliver(const char* channel, const uint8_t* message, size_t message_size);
  OrvaneEmbedderReplyStatus TakeReply(uint64_t message_id, uint32_t timeout_ms,
                                      OrvaneEmbedderBytesSink sink, void* context);
  bool TakeSent(uint32_t timeout_ms, OrvaneEmbedderSentSink sink, void* context);
  bool AnswerSent(uint64_t reply_id, const uint8_t* data, size_t size);
  void SetRefuseSendWithReply(bool refuse);
  bool ChannelCallback(const std::string& channel, void** user_data) const;

  // Textures.
  int64_t RegisterTexture(const FlutterDesktopTextureInfo* info);
  bool MarkTextureFrameAvailable(int64_t texture_id) const;
  void UnregisterTexture(int64_t texture_id, FlutterDesktopOnTextureUnregistered callback,
                         void* user_data);
  int32_t TextureType(int64_t texture_id) const;

#if defined(_WIN32)
  void RegisterWindowProcDelegate(FlutterDesktopPluginRegistrar* registrar,
                                  FlutterDesktopWindowProcCallback callback, void* user_data);
  void UnregisterWindowProcDelegate(FlutterDesktopPluginRegistrar* registrar,
                                    FlutterDesktopWindowProcCallback callback);
  bool RouteWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result);
#endif

 private:
  struct ChannelCallbackEntry {
    FlutterDesktopMessageCallback callback;
    void* user_data;
  };
  struct PendingResponse {
    bool answered = false;
    std::vector<uint8_t> bytes;
  };
  struct SentMessage {
    std::string channel;
    std::vector<uint8_t> bytes;
    uint64_t reply_id;
  };
  struct PendingReply {
    FlutterDesktopBinaryReply reply;
    void* user_data;
  };
#if defined(_WIN32)
  struct WindowProcDelegate {
    FlutterDesktopPluginRegistrar* registrar;
    FlutterDesktopWindowProcCallback callback;
    void* user_data;
  };
  bool HasWindowProcDelegate(const WindowProcDelegate& delegate) const;
#endif

  FlutterDesktopMessenger* messenger_;  // one reference held until destruction
  FlutterDesktopTextureRegistrar texture_registrar_;
  bool shut_down_ = false;  // platform thread only

  // Platform thread only.
  std::vector<std::unique_ptr<FlutterDesktopPluginRegistrar>> registrars_;
#if defined(_WIN32)
  std::vector<WindowProcDelegate> window_proc_delegates_;
#endif

  mutable std::mutex mutex_;  // guards everything below
  std::condition_variable changed_;
  std::map<std::string, ChannelCallbackEntry> channel_callbacks_;
  uint64_t next_id_ = 1;
  std::map<uint64_t, PendingResponse> pending_responses_;
  std::deque<SentMessage> sent_;
  std::map<uint64_t, PendingReply> pending_replies_;
  bool refuse_send_with_reply_ = false;
  bool closing_ = false;  // set by Shutdown: no new sends-with-reply
  int64_t next_texture_id_ = 1;
  std::map<int64_t, int32_t> textures_;  // id to FlutterDesktopTextureType
};

}  // namespace orvane::embedder

#endif  // EMBEDDER_ENGINE_H_
