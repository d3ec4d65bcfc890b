// Decodes arbitrary bytes as one value, then checks that the value re-encodes stably and that
// its size stays within the decoder's bound.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <vector>

#include "flutter/byte_buffer_streams.h"
#include "flutter/standard_codec_serializer.h"

namespace {

// A decoded value can outgrow its message only by the zero fill of truncated values: at most
// kMaxTruncationFill doubles (plus type, size and padding) per two bytes of input.
constexpr size_t kGrowthPerByte = 8 * flutter::StandardCodecSerializer::kMaxTruncationFill;
constexpr size_t kGrowthSlack = 16;

// Into a buffer kept across inputs: under the sanitizers every allocation records a stack.
void Encode(const flutter::EncodableValue& value, std::vector<uint8_t>* bytes) {
  bytes->clear();
  flutter::ByteBufferStreamWriter writer(bytes);
  flutter::StandardCodecSerializer::GetInstance().WriteValue(value, &writer);
}

flutter::EncodableValue Decode(const uint8_t* data, size_t size) {
  flutter::ByteBufferStreamReader reader(data, size);
  return flutter::StandardCodecSerializer::GetInstance().ReadValue(&reader);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  // Damaged input writes a line per problem; keep the fuzzer's output readable and fast.
  std::cerr.rdbuf(nullptr);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::vector<uint8_t>& encoded = *new std::vector<uint8_t>();
  static std::vector<uint8_t>& reencoded = *new std::vector<uint8_t>();
  Encode(Decode(data, size), &encoded);
  if (encoded.size() > kGrowthSlack + kGrowthPerByte * size) {
    std::abort();
  }
  // Bytes rather than values are compared, so a NaN (unequal to itself) still checks.
  Encode(Decode(encoded.data(), encoded.size()), &reencoded);
  if (reencoded != encoded) {
    std::abort();
  }
  return 0;
}
