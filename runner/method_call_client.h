// The Dart side of a method channel, played by a host: encodes calls with the standard method
// codec, delivers them through the stand-in engine and decodes the reply envelopes.
#ifndef RUNNER_METHOD_CALL_CLIENT_H_
#define RUNNER_METHOD_CALL_CLIENT_H_

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "flutter/encodable_value.h"
#include "orvane_embedder/standin_engine.h"

namespace orvane::runner {

struct MethodReply {
  enum class Kind {
    Success,
    Error,
    NotImplemented,  // the empty reply
    NoReply,         // none came within the limit, or the engine is shut down
    Malformed,       // bytes that are not a reply envelope
  };

  Kind kind = Kind::NoReply;
  flutter::EncodableValue value;  // Success: the result (null when there is none)
  std::string errorCode;          // Error: the code and the message (empty when null on the wire)
  std::string errorMessage;
  flutter::EncodableValue errorDetails;  // Error: null when absent
  std::vector<std::uint8_t> bytes;       // the reply exactly as it came
};

// The bytes the Dart side sends for a call: the name, then the arguments (null when absent).
std::vector<std::uint8_t> EncodeMethodCall(const std::string& method,
                                           const flutter::EncodableValue* arguments = nullptr);

// Decodes a reply envelope: an empty reply is NotImplemented. Never fails: bytes that are no
// envelope give Malformed.
MethodReply DecodeMethodReply(const std::vector<std::uint8_t>& bytes);

// Contract: platform thread only (the thread that owns the engine's registrars and the windows),
// since delivering runs the plugin's handler on the calling thread. While it waits for a reply it
// pumps the thread's messages; a WM_QUIT it meets is posted again, so the owner's loop still ends.
// The engine is not owned and must outlive the client.
class MethodCallClient {
 public:
  static constexpr std::int64_t kDefaultReplyLimitMs = 5000;

  MethodCallClient(embedder::StandinEngine& engine, std::string channel)
      : engine_(engine), channel_(std::move(channel)) {}

  // Encodes and sends one call, then waits up to limitMs for its reply.
  MethodReply Call(const std::string& method, const flutter::EncodableValue* arguments = nullptr,
                   std::int64_t limitMs = kDefaultReplyLimitMs);
  MethodReply Call(const std::string& method, const flutter::EncodableValue& arguments,
                   std::int64_t limitMs = kDefaultReplyLimitMs) {
    return Call(method, &arguments, limitMs);
  }

  // Sends bytes as they are (a call encoded elsewhere, or a malformed one on purpose).
  MethodReply Send(const std::vector<std::uint8_t>& message,
                   std::int64_t limitMs = kDefaultReplyLimitMs);

  const std::string& channel() const { return channel_; }

 private:
  embedder::StandinEngine& engine_;
  std::string channel_;
};

}  // namespace orvane::runner

#endif  // RUNNER_METHOD_CALL_CLIENT_H_
