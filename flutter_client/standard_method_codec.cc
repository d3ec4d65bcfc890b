// The standard method codec: framing of calls and reply envelopes, and the per-serializer registry.
#include "flutter/standard_method_codec.h"

#include <iostream>
#include <map>
#include <mutex>
#include <utility>

#include "flutter/byte_buffer_streams.h"

namespace flutter {

namespace {

constexpr uint8_t kEnvelopeSuccess = 0;
constexpr uint8_t kEnvelopeError = 1;

}  // namespace

const StandardMethodCodec& StandardMethodCodec::GetInstance(
    const StandardCodecSerializer* serializer) {
  if (serializer == nullptr) {
    serializer = &StandardCodecSerializer::GetInstance();
  }
  // Channels keep plain pointers to codecs, also handlers of registrars that are never freed and
  // may run during exit: a codec is never replaced and never destroyed, nor is the registry.
  static std::mutex& mutex = *new std::mutex();
  static auto& codecs = *new std::map<const StandardCodecSerializer*, const StandardMethodCodec*>();
  const std::lock_guard<std::mutex> lock(mutex);
  const StandardMethodCodec*& codec = codecs[serializer];
  if (codec == nullptr) {
    codec = new StandardMethodCodec(serializer);
  }
  return *codec;
}

StandardMethodCodec::StandardMethodCodec(const StandardCodecSerializer* serializer)
    : serializer_(serializer) {}

std::unique_ptr<MethodCall<EncodableValue>> StandardMethodCodec::DecodeMethodCallInternal(
    const uint8_t* message, size_t message_size) const {
  ByteBufferStreamReader reader(message, message_size);
  EncodableValue name = serializer_->ReadValue(&reader);
  auto* method_name = std::get_if<std::string>(&name);
  if (method_name == nullptr) {
    std::cerr << "Invalid method call; method name is not a string.\n";
    return nullptr;
  }
  auto arguments = std::make_unique<EncodableValue>(serializer_->ReadValue(&reader));
  return std::make_unique<MethodCall<EncodableValue>>(*method_name, std::move(arguments));
}

std::unique_ptr<std::vector<uint8_t>> StandardMethodCodec::EncodeMethodCallInternal(
    const MethodCall<EncodableValue>& method_call) const {
  auto bytes = std::make_unique<std::vector<uint8_t>>();
  ByteBufferStreamWriter writer(bytes.get());
  serializer_->WriteValue(EncodableValue(method_call.method_name()), &writer);
  serializer_->WriteValue(
      method_call.arguments() != nullptr ? *method_call.arguments() : EncodableValue(), &writer);
  return bytes;
}

std::unique_ptr<std::vector<uint8_t>> StandardMethodCodec::EncodeSuccessEnvelopeInternal(
    const EncodableValue* result) const {
  auto bytes = std::make_unique<std::vector<uint8_t>>();
  ByteBufferStreamWriter writer(bytes.get());
  writer.WriteByte(kEnvelopeSuccess);
  serializer_->WriteValue(result != nullptr ? *result : EncodableValue(), &writer);
  return bytes;
}

std::unique_ptr<std::vector<uint8_t>> StandardMethodCodec::EncodeErrorEnvelopeInternal(
    const std::string& error_code, const std::string& error_message,
    const EncodableValue* error_details) const {
  auto bytes = std::make_unique<std::vector<uint8_t>>();
  ByteBufferStreamWriter writer(bytes.get());
  writer.WriteByte(kEnvelopeError);
  serializer_->WriteValue(EncodableValue(error_code), &writer);
  serializer_->WriteValue(error_message.empty() ? EncodableValue() : EncodableValue(error_message),
                          &writer);
  serializer_->WriteValue(error_details != nullptr ? *error_details : EncodableValue(), &writer);
  return bytes;
}

bool StandardMethodCodec::DecodeAndProcessResponseEnvelopeInternal(
    const uint8_t* response, size_t response_size, MethodResult<EncodableValue>* result) const {
  ByteBufferStreamReader reader(response, response_size);
  switch (reader.ReadByte()) {
    case kEnvelopeSuccess: {
      const EncodableValue value = serializer_->ReadValue(&reader);
      if (value.IsNull()) {
        result->Success();
      } else {
        result->Success(value);
      }
      return true;
    }
    case kEnvelopeError: {
      const EncodableValue code = serializer_->ReadValue(&reader);
      const EncodableValue message = serializer_->ReadValue(&reader);
      const EncodableValue details = serializer_->ReadValue(&reader);
      // A sender's type error must not take the process down: refuse the envelope instead.
      const auto* code_text = std::get_if<std::string>(&code);
      const auto* message_text = std::get_if<std::string>(&message);
      if (code_text == nullptr || (message_text == nullptr && !message.IsNull())) {
        return false;
      }
      const std::string empty;
      const std::string& message_or_empty = message_text != nullptr ? *message_text : empty;
      if (details.IsNull()) {
        result->Error(*code_text, message_or_empty);
      } else {
        result->Error(*code_text, message_or_empty, details);
      }
      return true;
    }
    default:
      return false;
  }
}

}  // namespace flutter
