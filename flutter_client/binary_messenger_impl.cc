// The binary messenger over the embedder's messenger handle, with the one-shot reply path that is
// safe to use from any thread and after the engine is gone.
#include "flutter/binary_messenger_impl.h"

#include <iostream>
#include <memory>
#include <utility>

namespace flutter {
namespace {

constexpr char kDuplicateResponse[] =
    "Error: Response can be set only once. Ignoring duplicate response.";

// Holds the messenger lock for one scope: engine teardown waits until it is released.
class ScopedMessengerLock {
 public:
  explicit ScopedMessengerLock(FlutterDesktopMessengerRef messenger)
      : messenger_(FlutterDesktopMessengerLock(messenger)) {}
  ~ScopedMessengerLock() { FlutterDesktopMessengerUnlock(messenger_); }

  ScopedMessengerLock(const ScopedMessengerLock&) = delete;
  ScopedMessengerLock& operator=(const ScopedMessengerLock&) = delete;

 private:
  FlutterDesktopMessengerRef messenger_;
};

// The state of one incoming message, shared by every copy of its reply. It holds one reference to
// the messenger handle, so a late reply never touches a released handle; the shared_ptr's atomic
// count lets copies die on any thread and still release exactly once.
class ReplyState {
 public:
  ReplyState(FlutterDesktopMessengerRef messenger,
             const FlutterDesktopMessageResponseHandle* response_handle)
      : messenger_(FlutterDesktopMessengerAddRef(messenger)), response_handle_(response_handle) {}
  ~ReplyState() { FlutterDesktopMessengerRelease(messenger_); }

  ReplyState(const ReplyState&) = delete;
  ReplyState& operator=(const ReplyState&) = delete;

  void Respond(const uint8_t* reply, size_t reply_size) {
    const ScopedMessengerLock lock(messenger_);
    if (!FlutterDesktopMessengerIsAvailable(messenger_)) {
      return;  // The engine is gone; nobody is waiting for the answer.
    }
    // Read and cleared only under the messenger lock, so copies answering from two threads still
    // give one response.
    if (response_handle_ == nullptr) {
      std::cerr << kDuplicateResponse << std::endl;
      return;
    }
    FlutterDesktopMessengerSendResponse(messenger_, response_handle_, reply, reply_size);
    response_handle_ = nullptr;
  }

 private:
  FlutterDesktopMessengerRef messenger_;
  const FlutterDesktopMessageResponseHandle* response_handle_;
};

// Embedder callback for every channel; `user_data` is the stored handler.
void ForwardToHandler(FlutterDesktopMessengerRef messenger, const FlutterDesktopMessage* message,
                      void* user_data) {
  auto state = std::make_shared<ReplyState>(messenger, message->response_handle);
  // A copy, so a handler that replaces or removes its own channel's handler keeps running on a
  // live object.
  const BinaryMessageHandler handler = *static_cast<const BinaryMessageHandler*>(user_data);
  handler(message->message, message->message_size,
          [state](const uint8_t* reply, size_t reply_size) { state->Respond(reply, reply_size); });
}

// Embedder reply function for Send with a reply; owns the heap holder it is given.
void ForwardReply(const uint8_t* data, size_t data_size, void* user_data) {
  const std::unique_ptr<BinaryReply> held(static_cast<BinaryReply*>(user_data));
  (*held)(data, data_size);
}

}  // namespace

BinaryMessengerImpl::BinaryMessengerImpl(FlutterDesktopMessengerRef core_messenger)
    : messenger_(core_messenger) {}

BinaryMessengerImpl::~BinaryMessengerImpl() = default;

void BinaryMessengerImpl::Send(const std::string& channel, const uint8_t* message,
                               size_t message_size, BinaryReply reply) const {
  if (!reply) {
    FlutterDesktopMessengerSend(messenger_, channel.c_str(), message, message_size);
    return;
  }
  auto holder = std::make_unique<BinaryReply>(std::move(reply));
  if (FlutterDesktopMessengerSendWithReply(messenger_, channel.c_str(), message, message_size,
                                           &ForwardReply, holder.get())) {
    // Accepted: the embedder calls ForwardReply once, which frees the holder.
    static_cast<void>(holder.release());
  }
}

void BinaryMessengerImpl::SetMessageHandler(const std::string& channel,
                                            BinaryMessageHandler handler) {
  if (!handler) {
    handlers_.erase(channel);
    FlutterDesktopMessengerSetCallback(messenger_, channel.c_str(), nullptr, nullptr);
    return;
  }
  BinaryMessageHandler& stored = handlers_[channel];
  stored = std::move(handler);
  FlutterDesktopMessengerSetCallback(messenger_, channel.c_str(), &ForwardToHandler, &stored);
}

}  // namespace flutter
