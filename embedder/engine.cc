// The stand-in engine's state: channel callbacks, deliveries and their replies, the messages the
// plugin sent, registrars, textures and top-level window-proc delegates.
#include "engine.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace orvane::embedder {
namespace {

// Response handles are tokens, never dereferenced: the message id in pointer form. A stale or
// repeated handle is then detected by a map lookup instead of touching freed memory.
const FlutterDesktopMessageResponseHandle* ToResponseHandle(uint64_t id) {
  return reinterpret_cast<const FlutterDesktopMessageResponseHandle*>(static_cast<uintptr_t>(id));
}

uint64_t FromResponseHandle(const FlutterDesktopMessageResponseHandle* handle) {
  return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(handle));
}

std::vector<uint8_t> CopyBytes(const uint8_t* data, size_t size) {
  return size > 0 && data != nullptr ? std::vector<uint8_t>(data, data + size)
                                     : std::vector<uint8_t>();
}

// Waits up to timeout_ms for done(). A zero limit only looks: a timed wait that has already run
// out still costs a scheduler tick in some thread libraries (about a millisecond under Wine),
// which a runner polling for sent messages after every request would pay each time.
template <typename Done>
bool WaitUpTo(std::condition_variable& changed, std::unique_lock<std::mutex>& lock,
              uint32_t timeout_ms, Done done) {
  if (timeout_ms == 0) return done();
  return changed.wait_for(lock, std::chrono::milliseconds(timeout_ms), done);
}

}  // namespace

void ReleaseMessengerReference(FlutterDesktopMessenger* messenger) {
  if (messenger->references.fetch_sub(1, std::memory_order_acq_rel) == 1) {
    delete messenger;  // the last reference owns the handle
  }
}

Engine::Engine() : messenger_(std::make_unique<FlutterDesktopMessenger>().release()) {
  messenger_->engine = this;
  texture_registrar_.engine = this;
}

Engine::~Engine() {
  if (!shut_down_) {
    Shutdown();
  }
  ReleaseMessengerReference(messenger_);
}

void Engine::Shutdown() {
  if (shut_down_) {
    return;
  }
  shut_down_ = true;
  // Unanswered sends-with-reply get an empty answer while the plugins are still alive: each reply
  // function frees a holder of the plugin's, and it must run exactly once.
  std::map<uint64_t, PendingReply> unanswered;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
    unanswered.swap(pending_replies_);
  }
  for (const auto& entry : unanswered) {
    entry.second.reply(nullptr, 0, entry.second.user_data);
  }
  while (!registrars_.empty()) {
    DestroyRegistrar(registrars_.back().get());
  }
  {
    // Waits for any reply that holds the messenger lock; after this none reaches the engine.
    const std::lock_guard<std::recursive_mutex> teardown(messenger_->teardown);
    messenger_->available = false;
    messenger_->engine = nullptr;
  }
  const std::lock_guard<std::mutex> lock(mutex_);
  channel_callbacks_.clear();
  changed_.notify_all();
}

FlutterDesktopPluginRegistrar* Engine::CreateRegistrar(void* view_window) {
  if (shut_down_) {
    return nullptr;
  }
  auto registrar = std::make_unique<FlutterDesktopPluginRegistrar>();
  registrar->engine = this;
  if (view_window != nullptr) {
    registrar->view = std::make_unique<FlutterDesktopView>();
    registrar->view->window = view_window;
  }
  registrars_.push_back(std::move(registrar));
  return registrars_.back().get();
}

bool Engine::DestroyRegistrar(FlutterDesktopPluginRegistrar* registrar) {
  const auto owned = [registrar](const std::unique_ptr<FlutterDesktopPluginRegistrar>& entry) {
    return entry.get() == registrar;
  };
  if (std::find_if(registrars_.begin(), registrars_.end(), owned) == registrars_.end()) {
    return false;
  }
  if (registrar->destruction_handler != nullptr) {
    registrar->destruction_handler(registrar);
  }
#if defined(_WIN32)
  // A plugin that did not unregister its delegate must not be called after it is gone.
  window_proc_delegates_.erase(
      std::remove_if(window_proc_delegates_.begin(), window_proc_delegates_.end(),
                     [registrar](const WindowProcDelegate& d) { return d.registrar == registrar; }),
      window_proc_delegates_.end());
#endif
  registrars_.erase(std::find_if(registrars_.begin(), registrars_.end(), owned));
  if (registrars_.empty()) {
    // The callbacks' user data belonged to plugins that are gone now; a later delivery must not
    // reach them.
    const std::lock_guard<std::mutex> lock(mutex_);
    channel_callbacks_.clear();
  }
  return true;
}

void Engine::SetChannelCallback(const std::string& channel, FlutterDesktopMessageCallback callback,
                                void* user_data) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (callback == nullptr) {
    channel_callbacks_.erase(channel);
  } else {
    channel_callbacks_[channel] = ChannelCallbackEntry{callback, user_data};
  }
}

void Engine::Respond(const FlutterDesktopMessageResponseHandle* handle, const uint8_t* data,
                     size_t size) {
  const std::lock_guard<std::mutex> lock(mutex_);
  const auto it = pending_responses_.find(FromResponseHandle(handle));
  if (it == pending_responses_.end() || it->second.answered) {
    messenger_->Count(kOrvaneEmbedderCallResponseHandleReused);
    return;
  }
  it->second.answered = true;
  it->second.bytes = CopyBytes(data, size);
  changed_.notify_all();
}

void Engine::RecordSent(const char* channel, const uint8_t* data, size_t size) {
  const std::lock_guard<std::mutex> lock(mutex_);
  sent_.push_back(SentMessage{channel, CopyBytes(data, size), 0});
  changed_.notify_all();
}

bool Engine::RecordSentWithReply(const char* channel, const uint8_t* data, size_t size,
                                 FlutterDesktopBinaryReply reply, void* user_data) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (refuse_send_with_reply_ || closing_ || reply == nullptr) {
    return false;
  }
  const uint64_t id = next_id_++;
  pending_replies_[id] = PendingReply{reply, user_data};
  sent_.push_back(SentMessage{channel, CopyBytes(data, size), id});
  changed_.notify_all();
  return true;
}

uint64_t Engine::Deliver(const char* channel, const uint8_t* message, size_t message_size) {
  if (shut_down_ || channel == nullptr) {
    return 0;
  }
  ChannelCallbackEntry entry{nullptr, nullptr};
  uint64_t id = 0;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    id = next_id_++;
    PendingResponse& pending = pending_responses_[id];
    const auto it = channel_callbacks_.find(channel);
    if (it == channel_callbacks_.end()) {
      pending.answered = true;  // nobody listens: the Dart side gets an empty reply
      changed_.notify_all();
      return id;
    }
    entry = it->second;
  }
  const FlutterDesktopMessage record{sizeof(FlutterDesktopMessage), channel, message, message_size,
                                     ToResponseHandle(id)};
  entry.callback(messenger_, &record, entry.user_data);
  return id;
}

OrvaneEmbedderReplyStatus Engine::TakeReply(uint64_t message_id, uint32_t timeout_ms,
                                            OrvaneEmbedderBytesSink sink, void* context) {
  std::vector<uint8_t> bytes;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    WaitUpTo(changed_, lock, timeout_ms, [this, message_id] {
      const auto it = pending_responses_.find(message_id);
      return it == pending_responses_.end() || it->second.answered;
    });
    const auto it = pending_responses_.find(message_id);
    if (it == pending_responses_.end()) {
      return kOrvaneEmbedderReplyUnknown;
    }
    if (!it->second.answered) {
      return kOrvaneEmbedderReplyPending;
    }
    bytes = std::move(it->second.bytes);
    pending_responses_.erase(it);
  }
  if (sink != nullptr) {
    sink(bytes.empty() ? nullptr : bytes.data(), bytes.size(), context);
  }
  return kOrvaneEmbedderReplyReady;
}

bool Engine::TakeSent(uint32_t timeout_ms, OrvaneEmbedderSentSink sink, void* context) {
  SentMessage sent;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!WaitUpTo(changed_, lock, timeout_ms, [this] { return !sent_.empty(); })) {
      return false;
    }
    sent = std::move(sent_.front());
    sent_.pop_front();
  }
  if (sink != nullptr) {
    sink(sent.channel.c_str(), sent.bytes.empty() ? nullptr : sent.bytes.data(), sent.bytes.size(),
         sent.reply_id, context);
  }
  return true;
}

bool Engine::AnswerSent(uint64_t reply_id, const uint8_t* data, size_t size) {
  PendingReply pending{nullptr, nullptr};
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    const auto it = pending_replies_.find(reply_id);
    if (it == pending_replies_.end()) {
      return false;
    }
    pending = it->second;
    pending_replies_.erase(it);
  }
  pending.reply(size > 0 ? data : nullptr, data != nullptr ? size : 0, pending.user_data);
  return true;
}

void Engine::SetRefuseSendWithReply(bool refuse) {
  const std::lock_guard<std::mutex> lock(mutex_);
  refuse_send_with_reply_ = refuse;
}

bool Engine::ChannelCallback(const std::string& channel, void** user_data) const {
  const std::lock_guard<std::mutex> lock(mutex_);
  const auto it = channel_callbacks_.find(channel);
  if (it == channel_callbacks_.end()) {
    return false;
  }
  if (user_data != nullptr) {
    *user_data = it->second.user_data;
  }
  return true;
}

int64_t Engine::RegisterTexture(const FlutterDesktopTextureInfo* info) {
  constexpr int64_t kRefused = -1;
  if (info == nullptr || (info->type != kFlutterDesktopPixelBufferTexture &&
                          info->type != kFlutterDesktopGpuSurfaceTexture)) {
    return kRefused;
  }
  const std::lock_guard<std::mutex> lock(mutex_);
  const int64_t id = next_texture_id_++;
  textures_[id] = static_cast<int32_t>(info->type);
  return id;
}

bool Engine::MarkTextureFrameAvailable(int64_t texture_id) const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return textures_.count(texture_id) > 0;
}

void Engine::UnregisterTexture(int64_t texture_id, FlutterDesktopOnTextureUnregistered callback,
                               void* user_data) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    textures_.erase(texture_id);
  }
  if (callback != nullptr) {
    callback(user_data);
  }
}

int32_t Engine::TextureType(int64_t texture_id) const {
  constexpr int32_t kUnknown = -1;
  const std::lock_guard<std::mutex> lock(mutex_);
  const auto it = textures_.find(texture_id);
  return it == textures_.end() ? kUnknown : it->second;
}

#if defined(_WIN32)
void Engine::RegisterWindowProcDelegate(FlutterDesktopPluginRegistrar* registrar,
                                        FlutterDesktopWindowProcCallback callback,
                                        void* user_data) {
  for (WindowProcDelegate& existing : window_proc_delegates_) {
    if (existing.registrar == registrar && existing.callback == callback) {
      existing.user_data = user_data;
      return;
    }
  }
  window_proc_delegates_.push_back(WindowProcDelegate{registrar, callback, user_data});
}

void Engine::UnregisterWindowProcDelegate(FlutterDesktopPluginRegistrar* registrar,
                                          FlutterDesktopWindowProcCallback callback) {
  window_proc_delegates_.erase(
      std::remove_if(window_proc_delegates_.begin(), window_proc_delegates_.end(),
                     [registrar, callback](const WindowProcDelegate& d) {
                       return d.registrar == registrar && d.callback == callback;
                     }),
      window_proc_delegates_.end());
}

bool Engine::HasWindowProcDelegate(const WindowProcDelegate& delegate) const {
  return std::any_of(window_proc_delegates_.begin(), window_proc_delegates_.end(),
                     [&delegate](const WindowProcDelegate& d) {
                       return d.registrar == delegate.registrar &&
                              d.callback == delegate.callback && d.user_data == delegate.user_data;
                     });
}

bool Engine::RouteWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                LRESULT* result) {
  // A snapshot, so delegates may unregister while the message is routed; one removed meanwhile is
  // skipped rather than called with stale user data.
  const std::vector<WindowProcDelegate> snapshot = window_proc_delegates_;
  for (const WindowProcDelegate& delegate : snapshot) {
    if (!HasWindowProcDelegate(delegate)) {
      continue;
    }
    LRESULT handled_result = 0;
    if (delegate.callback(window, message, wparam, lparam, delegate.user_data, &handled_result)) {
      if (result != nullptr) {
        *result = handled_result;
      }
      return true;
    }
  }
  return false;
}
#endif

}  // namespace orvane::embedder
