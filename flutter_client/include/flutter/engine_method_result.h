// The method result handed to handlers for calls from the Dart side: it encodes the answer with
// the channel's codec and sends it through the messenger's reply callback, once.
#ifndef FLUTTER_CLIENT_INCLUDE_FLUTTER_ENGINE_METHOD_RESULT_H_
#define FLUTTER_CLIENT_INCLUDE_FLUTTER_ENGINE_METHOD_RESULT_H_

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "flutter/binary_messenger.h"
#include "flutter/encodable_value.h"
#include "flutter/method_codec.h"
#include "flutter/method_result.h"

namespace flutter {

namespace internal {

// Holds the reply callback of one incoming message until it is used, which can happen once. Not
// locked: one answer at a time.
class ReplySlot {
 public:
  explicit ReplySlot(BinaryReply reply);
  // An unused callback is dropped with a warning; the Dart caller then never gets a reply.
  ~ReplySlot();
  ReplySlot(const ReplySlot&) = delete;
  ReplySlot& operator=(const ReplySlot&) = delete;

  // Sends `data` (null: an empty reply), or writes a diagnostic when the callback was used.
  void SendResponseData(const std::vector<uint8_t>* data);

 private:
  BinaryReply reply_;
};

}  // namespace internal

// The codec must outlive the result.
template <typename T = EncodableValue>
class EngineMethodResult : public MethodResult<T> {
 public:
  EngineMethodResult(BinaryReply reply, const MethodCodec<T>* codec)
      : reply_slot_(std::move(reply)), codec_(codec) {}

 protected:
  void SuccessInternal(const T* result) override {
    const auto data = codec_->EncodeSuccessEnvelope(result);
    reply_slot_.SendResponseData(data.get());
  }
  void ErrorInternal(const std::string& error_code, const std::string& error_message,
                     const T* error_details) override {
    const auto data = codec_->EncodeErrorEnvelope(error_code, error_message, error_details);
    reply_slot_.SendResponseData(data.get());
  }
  void NotImplementedInternal() override { reply_slot_.SendResponseData(nullptr); }

 private:
  internal::ReplySlot reply_slot_;
  const MethodCodec<T>* codec_;
};

}  // namespace flutter

#endif  // FLUTTER_CLIENT_INCLUDE_FLUTTER_ENGINE_METHOD_RESULT_H_
