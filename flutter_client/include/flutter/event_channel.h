// A named channel on which this side streams events to the Dart side, started and stopped by
// "listen" and "cancel" calls.
#ifndef FLUTTER_CLIENT_INCLUDE_FLUTTER_EVENT_CHANNEL_H_
#define FLUTTER_CLIENT_INCLUDE_FLUTTER_EVENT_CHANNEL_H_

#include <cstddef>
#include <cstdint>
#include <iostream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "flutter/binary_messenger.h"
#include "flutter/encodable_value.h"
#include "flutter/event_sink.h"
#include "flutter/event_stream_handler.h"
#include "flutter/method_codec.h"

namespace flutter {

// The messenger and the codec are not owned and must outlive the installed handler and every
// sink; the channel object itself may be a temporary. Listen and cancel arrive, and the stream
// handler runs, on the platform thread.
template <typename T = EncodableValue>
class EventChannel {
 public:
  EventChannel(BinaryMessenger* messenger, const std::string& name, const MethodCodec<T>* codec)
      : messenger_(messenger), name_(name), codec_(codec) {}
  ~EventChannel() = default;
  EventChannel(const EventChannel&) = delete;
  EventChannel& operator=(const EventChannel&) = delete;

  // Installs a message handler that owns `handler` and starts idle (not listening), replacing
  // any earlier one and so releasing its stream handler; null removes the channel's handler.
  void SetStreamHandler(std::unique_ptr<StreamHandler<T>> handler) {
    if (!handler) {
      messenger_->SetMessageHandler(name_, nullptr);
      return;
    }
    auto state = std::make_shared<HandlerState>(std::move(handler), codec_, name_, messenger_);
    messenger_->SetMessageHandler(
        name_, [state](const uint8_t* message, size_t message_size, BinaryReply reply) {
          // Held here so that a stream handler which replaces this message handler while it
          // runs does not free the state under it.
          const std::shared_ptr<HandlerState> keep_alive = state;
          keep_alive->HandleMessage(message, message_size, reply);
        });
  }

 private:
  // Sends on the channel's name without a reply callback. It has no link back to the channel.
  class EventSinkImplementation : public EventSink<T> {
   public:
    EventSinkImplementation(BinaryMessenger* messenger, const std::string& name,
                            const MethodCodec<T>* codec)
        : messenger_(messenger), name_(name), codec_(codec) {}

   protected:
    void SuccessInternal(const T* event) override { Send(*codec_->EncodeSuccessEnvelope(event)); }
    void ErrorInternal(const std::string& error_code, const std::string& error_message,
                       const T* error_details) override {
      Send(*codec_->EncodeErrorEnvelope(error_code, error_message, error_details));
    }
    void EndOfStreamInternal() override { messenger_->Send(name_, nullptr, 0); }

   private:
    void Send(const std::vector<uint8_t>& message) {
      messenger_->Send(name_, message.data(), message.size());
    }

    BinaryMessenger* messenger_;
    std::string name_;
    const MethodCodec<T>* codec_;
  };

  // Shared by every copy of the installed message handler, so copies agree on `listening`.
  struct HandlerState {
    HandlerState(std::unique_ptr<StreamHandler<T>> stream_handler,
                 const MethodCodec<T>* method_codec, const std::string& channel_name,
                 BinaryMessenger* channel_messenger)
        : streamHandler(std::move(stream_handler)),
          codec(method_codec),
          name(channel_name),
          messenger(channel_messenger) {}

    void HandleMessage(const uint8_t* message, size_t message_size, const BinaryReply& reply) {
      const std::unique_ptr<MethodCall<T>> call = codec->DecodeMethodCall(message, message_size);
      if (!call) {
        std::cerr << "Unable to construct method call from message on channel: " << name << '\n';
        Reply(reply, nullptr);
        return;
      }
      if (call->method_name() == "listen") {
        Listen(call->arguments(), reply);
      } else if (call->method_name() == "cancel") {
        Cancel(call->arguments(), reply);
      } else {
        Reply(reply, nullptr);
      }
    }

    void Listen(const T* arguments, const BinaryReply& reply) {
      if (listening) {
        // The owner learns of the old stream's end before it gets the new sink.
        const std::unique_ptr<StreamHandlerError<T>> error = streamHandler->OnCancel(nullptr);
        if (error) {
          std::cerr << "Failed to cancel existing stream: " << error->error_code << ", "
                    << error->error_message << ", "
                    << static_cast<const void*>(error->error_details.get());
        }
      }
      // Stays set even when listen fails, so a later "cancel" still reaches the handler.
      listening = true;
      auto sink = std::make_unique<EventSinkImplementation>(messenger, name, codec);
      const std::unique_ptr<StreamHandlerError<T>> error =
          streamHandler->OnListen(arguments, std::move(sink));
      Reply(reply, Envelope(error.get()).get());
    }

    void Cancel(const T* arguments, const BinaryReply& reply) {
      if (!listening) {
        Reply(reply, codec->EncodeErrorEnvelope("error", "No active stream to cancel").get());
        return;
      }
      const std::unique_ptr<StreamHandlerError<T>> error = streamHandler->OnCancel(arguments);
      const std::unique_ptr<std::vector<uint8_t>> response = Envelope(error.get());
      listening = false;
      Reply(reply, response.get());
    }

    std::unique_ptr<std::vector<uint8_t>> Envelope(const StreamHandlerError<T>* error) const {
      if (error == nullptr) {
        return codec->EncodeSuccessEnvelope();
      }
      return codec->EncodeErrorEnvelope(error->error_code, error->error_message,
                                        error->error_details.get());
    }

    // `data` null: an empty reply.
    static void Reply(const BinaryReply& reply, const std::vector<uint8_t>* data) {
      if (!reply) {
        return;
      }
      if (data == nullptr || data->empty()) {
        reply(nullptr, 0);
      } else {
        reply(data->data(), data->size());
      }
    }

    const std::unique_ptr<StreamHandler<T>> streamHandler;
    const MethodCodec<T>* const codec;
    const std::string name;
    BinaryMessenger* const messenger;
    bool listening = false;
  };

  BinaryMessenger* messenger_;
  std::string name_;
  const MethodCodec<T>* codec_;
};

}  // namespace flutter

#endif  // FLUTTER_CLIENT_INCLUDE_FLUTTER_EVENT_CHANNEL_H_
