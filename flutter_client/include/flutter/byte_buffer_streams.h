// Byte streams over in-memory buffers: a reader over a caller's bytes, a writer that appends to a
// caller's vector.
#ifndef FLUTTER_CLIENT_INCLUDE_FLUTTER_BYTE_BUFFER_STREAMS_H_
#define FLUTTER_CLIENT_INCLUDE_FLUTTER_BYTE_BUFFER_STREAMS_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "flutter/byte_streams.h"

namespace flutter {

// Reads from (bytes, size), which must outlive the reader. A read past the end writes
// "Invalid read in StandardCodecByteStreamReader" to standard error and does not move.
class ByteBufferStreamReader : public ByteStreamReader {
 public:
  ByteBufferStreamReader(const uint8_t* bytes, size_t size);

  uint8_t ReadByte() override;
  void ReadBytes(uint8_t* buffer, size_t length) override;
  // May move the position past the end; later reads then fail.
  void ReadAlignment(uint8_t alignment) override;
  size_t BytesRemaining() const override;

 private:
  const uint8_t* bytes_;
  size_t size_;
  size_t position_ = 0;
};

// Appends to `buffer`, which must outlive the writer.
class ByteBufferStreamWriter : public ByteStreamWriter {
 public:
  explicit ByteBufferStreamWriter(std::vector<uint8_t>* buffer);

  void WriteByte(uint8_t byte) override;
  void WriteBytes(const uint8_t* bytes, size_t length) override;
  void WriteAlignment(uint8_t alignment) override;

 private:
  std::vector<uint8_t>* buffer_;
};

}  // namespace flutter

#endif  // FLUTTER_CLIENT_INCLUDE_FLUTTER_BYTE_BUFFER_STREAMS_H_
