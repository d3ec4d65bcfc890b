// The Dart side of a method channel: standard-codec calls out, reply envelopes back.
#include "runner/method_call_client.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <utility>

#include "flutter/method_call.h"
#include "flutter/method_result.h"
#include "flutter/standard_method_codec.h"
#include "runner/message_loop.h"

namespace orvane::runner {

namespace {

// Copies whichever answer the codec finds in an envelope into a MethodReply.
class ReplyCapture : public flutter::MethodResult<flutter::EncodableValue> {
 public:
  explicit ReplyCapture(MethodReply& reply) : reply_(reply) {}

 protected:
  void SuccessInternal(const flutter::EncodableValue* result) override {
    reply_.kind = MethodReply::Kind::Success;
    if (result != nullptr) reply_.value = *result;
  }
  void ErrorInternal(const std::string& code, const std::string& message,
                     const flutter::EncodableValue* details) override {
    reply_.kind = MethodReply::Kind::Error;
    reply_.errorCode = code;
    reply_.errorMessage = message;
    if (details != nullptr) reply_.errorDetails = *details;
  }
  void NotImplementedInternal() override { reply_.kind = MethodReply::Kind::NotImplemented; }

 private:
  MethodReply& reply_;
};

}  // namespace

std::vector<std::uint8_t> EncodeMethodCall(const std::string& method,
                                           const flutter::EncodableValue* arguments) {
  std::unique_ptr<flutter::EncodableValue> ownedArguments;
  if (arguments != nullptr) {
    ownedArguments = std::make_unique<flutter::EncodableValue>(*arguments);
  }
  const flutter::MethodCall<flutter::EncodableValue> call(method, std::move(ownedArguments));
  return *flutter::StandardMethodCodec::GetInstance().EncodeMethodCall(call);
}

MethodReply DecodeMethodReply(const std::vector<std::uint8_t>& bytes) {
  MethodReply reply;
  reply.bytes = bytes;
  if (bytes.empty()) {
    reply.kind = MethodReply::Kind::NotImplemented;
    return reply;
  }
  ReplyCapture capture(reply);
  if (!flutter::StandardMethodCodec::GetInstance().DecodeAndProcessResponseEnvelope(
          bytes.data(), bytes.size(), &capture)) {
    reply.kind = MethodReply::Kind::Malformed;
  }
  return reply;
}

MethodReply MethodCallClient::Call(const std::string& method,
                                   const flutter::EncodableValue* arguments, std::int64_t limitMs) {
  return Send(EncodeMethodCall(method, arguments), limitMs);
}

MethodReply MethodCallClient::Send(const std::vector<std::uint8_t>& message, std::int64_t limitMs) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(limitMs);
  const std::uint64_t id = engine_.Deliver(channel_, message);
  if (id == 0) return MethodReply{};

  std::optional<std::vector<std::uint8_t>> bytes;
  // Most replies are sent before Deliver returns; others come later, from this thread's messages
  // or from another thread.
  const PumpResult pumped =
      PumpMessages(limitMs, [&] { return (bytes = engine_.TakeReply(id)).has_value(); });
  if (pumped.end == PumpEnd::Quit) {
    PostQuitMessage(pumped.quitCode);
    // Pumping again would take the quit message back; wait for the reply without pumping.
    if (!bytes) {
      const std::int64_t remainingMs =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      bytes =
          engine_.TakeReply(id, static_cast<std::uint32_t>(std::max<std::int64_t>(remainingMs, 0)));
    }
  }
  if (!bytes) return MethodReply{};
  return DecodeMethodReply(*bytes);
}

}  // namespace orvane::runner
