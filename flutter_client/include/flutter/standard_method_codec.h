// The method codec over the standard message encoding: calls, success and error envelopes.
#ifndef FLUTTER_CLIENT_INCLUDE_FLUTTER_STANDARD_METHOD_CODEC_H_
#define FLUTTER_CLIENT_INCLUDE_FLUTTER_STANDARD_METHOD_CODEC_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "flutter/encodable_value.h"
#include "flutter/method_codec.h"
#include "flutter/standard_codec_serializer.h"

namespace flutter {

// Wire layout: a call is the name as a string value then the arguments (null when absent); a
// success reply is 0x00 then the value; an error reply is 0x01, the code, the message (null when
// empty) and the details (null when absent). Alignment counts from the envelope's first byte.
class StandardMethodCodec : public MethodCodec<EncodableValue> {
 public:
  // The codec for `serializer` (null: the default serializer). One codec per serializer, created
  // on first request and kept to the end of the process; safe to call from any thread.
  static const StandardMethodCodec& GetInstance(
      const StandardCodecSerializer* serializer = nullptr);

  // `serializer` must outlive the codec; prefer GetInstance, which shares one codec per serializer.
  explicit StandardMethodCodec(const StandardCodecSerializer* serializer);

 protected:
  std::unique_ptr<MethodCall<EncodableValue>> DecodeMethodCallInternal(
      const uint8_t* message, size_t message_size) const override;
  std::unique_ptr<std::vector<uint8_t>> EncodeMethodCallInternal(
      const MethodCall<EncodableValue>& method_call) const override;
  std::unique_ptr<std::vector<uint8_t>> EncodeSuccessEnvelopeInternal(
      const EncodableValue* result) const override;
  std::unique_ptr<std::vector<uint8_t>> EncodeErrorEnvelopeInternal(
      const std::string& error_code, const std::string& error_message,
      const EncodableValue* error_details) const override;
  // An error envelope whose code, or non-null message, is not a string is refused (false).
  bool DecodeAndProcessResponseEnvelopeInternal(
      const uint8_t* response, size_t response_size,
      MethodResult<EncodableValue>* result) const override;

 private:
  const StandardCodecSerializer* serializer_;
};

}  // namespace flutter

#endif  // FLUTTER_CLIENT_INCLUDE_FLUTTER_STANDARD_METHOD_CODEC_H_
