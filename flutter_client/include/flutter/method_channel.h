// A named channel on which the Dart side calls methods of this side.
#ifndef FLUTTER_CLIENT_INCLUDE_FLUTTER_METHOD_CHANNEL_H_
#define FLUTTER_CLIENT_INCLUDE_FLUTTER_METHOD_CHANNEL_H_

#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <utility>

#include "flutter/binary_messenger.h"
#include "flutter/encodable_value.h"
#include "flutter/engine_method_result.h"
#include "flutter/method_call.h"
#include "flutter/method_codec.h"
#include "flutter/method_result.h"

namespace flutter {

// Runs on the platform thread. The call lives only until the handler returns; a handler that
// answers later keeps the result, which it owns.
template <typename T = EncodableValue>
using MethodCallHandler =
    std::function<void(const MethodCall<T>& call, std::unique_ptr<MethodResult<T>> result)>;

// The messenger and the codec are not owned and must outlive the installed handler; the channel
// object itself may be a temporary.
template <typename T = EncodableValue>
class MethodChannel {
 public:
  MethodChannel(BinaryMessenger* messenger, const std::string& name, const MethodCodec<T>* codec)
      : messenger_(messenger), name_(name), codec_(codec) {}
  ~MethodChannel() = default;
  MethodChannel(const MethodChannel&) = delete;
  MethodChannel& operator=(const MethodChannel&) = delete;

  // Installs `handler` for the channel's name, replacing any earlier one; an empty handler
  // removes it. An undecodable message gets an empty (not implemented) reply and two diagnostic
  // lines; the handler is not called.
  void SetMethodCallHandler(MethodCallHandler<T> handler) const {
    if (!handler) {
      messenger_->SetMessageHandler(name_, nullptr);
      return;
    }
    const MethodCodec<T>* codec = codec_;
    auto shared_handler = std::make_shared<const MethodCallHandler<T>>(std::move(handler));
    messenger_->SetMessageHandler(name_, [shared_handler, codec, name = name_](
                                             const uint8_t* message, size_t message_size,
                                             BinaryReply reply) {
      // Held here so that a handler which replaces itself while it runs stays alive.
      const std::shared_ptr<const MethodCallHandler<T>> running_handler = shared_handler;
      auto result = std::make_unique<EngineMethodResult<T>>(std::move(reply), codec);
      const std::unique_ptr<MethodCall<T>> call = codec->DecodeMethodCall(message, message_size);
      if (!call) {
        std::cerr << "Unable to construct method call from message on channel " << name << '\n';
        result->NotImplemented();
        return;
      }
      (*running_handler)(*call, std::move(result));
    });
  }

 private:
  BinaryMessenger* messenger_;
  std::string name_;
  const MethodCodec<T>* codec_;
};

}  // namespace flutter

#endif  // FLUTTER_CLIENT_INCLUDE_FLUTTER_METHOD_CHANNEL_H_
