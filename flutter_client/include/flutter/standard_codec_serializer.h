// The standard message encoding: turns an EncodableValue into bytes and back.
#ifndef FLUTTER_CLIENT_INCLUDE_FLUTTER_STANDARD_CODEC_SERIALIZER_H_
#define FLUTTER_CLIENT_INCLUDE_FLUTTER_STANDARD_CODEC_SERIALIZER_H_

#include <cstddef>
#include <cstdint>

#include "flutter/byte_streams.h"
#include "flutter/encodable_value.h"

namespace flutter {

// Stateless; one instance may serve every thread. Decoding never fails outright: damaged input
// yields zeros and nulls with one line per problem on standard error.
//
// Decoding is bounded whatever sizes a damaged message declares. A string or typed list whose
// bytes are not all in the message is zero-filled only while it declares at most
// kMaxTruncationFill elements, else it decodes empty; a list or map stops reading once the message
// is exhausted with more than kMaxTruncationFill elements still declared; containers nest at most
// kMaxNestingDepth deep. Each refusal writes one line. So a message of n bytes decodes into at
// most n * (kMaxTruncationFill + 1) values and as many diagnostic lines, with work in the same
// proportion and recursion no deeper than kMaxNestingDepth.
class StandardCodecSerializer {
 public:
  // Enough to keep the zero padding of a message that lost its last few bytes.
  static constexpr size_t kMaxTruncationFill = 16;
  // Far beyond any real value; keeps a hostile message from exhausting the stack.
  static constexpr int kMaxNestingDepth = 128;

  StandardCodecSerializer() = default;
  virtual ~StandardCodecSerializer() = default;
  StandardCodecSerializer(const StandardCodecSerializer&) = delete;
  StandardCodecSerializer& operator=(const StandardCodecSerializer&) = delete;

  // The process-wide instance, created on first use and kept to the end of the process.
  static const StandardCodecSerializer& GetInstance();

  // Writes the type byte and the payload; nested values go through this virtual call again.
  virtual void WriteValue(const EncodableValue& value, ByteStreamWriter* stream) const;

  // Reads the payload of a value whose type byte was just read. An unknown type byte writes a
  // diagnostic and yields null, leaving the reader just after the type byte.
  virtual EncodableValue ReadValueOfType(uint8_t type, ByteStreamReader* stream) const;

  // Reads one type byte and its value.
  EncodableValue ReadValue(ByteStreamReader* stream) const;

  // Sizes below 254 take one byte, up to 65535 three, beyond that five; only the low 32 bits of
  // a size are written.
  void WriteSize(size_t size, ByteStreamWriter* stream) const;
  size_t ReadSize(ByteStreamReader* stream) const;
};

}  // namespace flutter

#endif  // FLUTTER_CLIENT_INCLUDE_FLUTTER_STANDARD_CODEC_SERIALIZER_H_
