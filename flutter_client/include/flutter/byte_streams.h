// Abstract byte streams that the standard codec reads values from and writes values to.
#ifndef FLUTTER_CLIENT_INCLUDE_FLUTTER_BYTE_STREAMS_H_
#define FLUTTER_CLIENT_INCLUDE_FLUTTER_BYTE_STREAMS_H_

#include <cstddef>
#include <cstdint>

namespace flutter {

// Reads a message front to back. A failed read reports itself and leaves its destination as it
// was, so decoding always goes on. Multi-byte numbers are little-endian, the byte order of every
// target of this library. One reader serves one call on one thread.
class ByteStreamReader {
 public:
  ByteStreamReader() = default;
  virtual ~ByteStreamReader() = default;
  ByteStreamReader(const ByteStreamReader&) = delete;
  ByteStreamReader& operator=(const ByteStreamReader&) = delete;

  // One byte, or 0 when none is left.
  virtual uint8_t ReadByte() = 0;
  // Copies `length` bytes into `buffer`, or copies nothing when fewer are left.
  virtual void ReadBytes(uint8_t* buffer, size_t length) = 0;
  // Skips forward to the next multiple of `alignment`, counted from the message's first byte.
  virtual void ReadAlignment(uint8_t alignment) = 0;

  // Added after the slots above, which keep their order: the bytes still readable, 0 once the
  // position is at or past the end. A damaged message may declare up to 2^32 - 1 elements; the
  // codec compares what a value declares with what is left, so decoding never allocates or
  // iterates beyond the message's own size plus a small constant. Every reader must say it.
  virtual size_t BytesRemaining() const = 0;

  int32_t ReadInt32();
  int64_t ReadInt64();
  double ReadDouble();
};

// Appends a message. One writer serves one call on one thread.
class ByteStreamWriter {
 public:
  ByteStreamWriter() = default;
  virtual ~ByteStreamWriter() = default;
  ByteStreamWriter(const ByteStreamWriter&) = delete;
  ByteStreamWriter& operator=(const ByteStreamWriter&) = delete;

  virtual void WriteByte(uint8_t byte) = 0;
  virtual void WriteBytes(const uint8_t* bytes, size_t length) = 0;
  // Pads with zero bytes until the message length is a multiple of `alignment`.
  virtual void WriteAlignment(uint8_t alignment) = 0;

  void WriteInt32(int32_t value);
  void WriteInt64(int64_t value);
  void WriteDouble(double value);
};

}  // namespace flutter

#endif  // FLUTTER_CLIENT_INCLUDE_FLUTTER_BYTE_STREAMS_H_
