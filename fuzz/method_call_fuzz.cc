// Delivers arbitrary bytes as an incoming message to a method channel and to an event channel
// over an in-memory messenger, and checks that each message is answered exactly once.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <vector>

#include "flutter/event_channel.h"
#include "flutter/event_stream_handler_functions.h"
#include "flutter/method_channel.h"
#include "flutter/standard_method_codec.h"
#include "testing/fake_binary_messenger.h"

namespace {

constexpr char kMethods[] = "fuzz/methods";
constexpr char kEvents[] = "fuzz/events";

struct Channels {
  Channels() {
    const flutter::StandardMethodCodec& codec = flutter::StandardMethodCodec::GetInstance();
    flutter::MethodChannel<>(&messenger, kMethods, &codec)
        .SetMethodCallHandler(
            [](const flutter::MethodCall<>& call, std::unique_ptr<flutter::MethodResult<>> result) {
              // Exercise every kind of answer, chosen by the call itself.
              switch (call.method_name().size() % 3) {
                case 0:
                  result->Success(*call.arguments());
                  break;
                case 1:
                  result->Error(call.method_name(), call.method_name(), *call.arguments());
                  break;
                default:
                  result->NotImplemented();
                  break;
              }
            });
    flutter::EventChannel<>(&messenger, kEvents, &codec)
        .SetStreamHandler(std::make_unique<flutter::StreamHandlerFunctions<>>(
            [this](const flutter::EncodableValue* arguments,
                   std::unique_ptr<flutter::EventSink<>>&& events) {
              sink = std::move(events);
              sink->Success(*arguments);
              return std::unique_ptr<flutter::StreamHandlerError<>>();
            },
            [](const flutter::EncodableValue*) {
              return std::unique_ptr<flutter::StreamHandlerError<>>();
            }));
  }

  flutter::testing::FakeBinaryMessenger messenger;
  std::unique_ptr<flutter::EventSink<>> sink;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  // Damaged input writes a line per problem; keep the fuzzer's output readable and fast.
  std::cerr.rdbuf(nullptr);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Channels channels;
  flutter::testing::FakeBinaryMessenger& messenger = channels.messenger;
  const std::vector<uint8_t> message(data, data + size);
  messenger.replies.clear();
  messenger.sent.clear();
  if (!messenger.Deliver(kMethods, message) || !messenger.Deliver(kEvents, message) ||
      messenger.replies.size() != 2) {
    std::abort();
  }
  return 0;
}
