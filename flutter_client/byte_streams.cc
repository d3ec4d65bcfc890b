// The fixed-width conveniences of the abstract streams and the in-memory buffer streams.
#include "flutter/byte_streams.h"

#include <cstring>
#include <iostream>

#include "codec_diagnostics.h"
#include "flutter/byte_buffer_streams.h"

namespace flutter {

namespace internal {

void ReportInvalidRead() { std::cerr << "Invalid read in StandardCodecByteStreamReader\n"; }

}  // namespace internal

namespace {

// Reads sizeof(T) bytes into a zero-initialised T, which stays zero when the read fails.
template <typename T>
T ReadNumber(ByteStreamReader* reader) {
  uint8_t bytes[sizeof(T)] = {};
  reader->ReadBytes(bytes, sizeof(T));
  T value{};
  std::memcpy(&value, bytes, sizeof(T));
  return value;
}

template <typename T>
void WriteNumber(ByteStreamWriter* writer, T value) {
  uint8_t bytes[sizeof(T)];
  std::memcpy(bytes, &value, sizeof(T));
  writer->WriteBytes(bytes, sizeof(T));
}

}  // namespace

int32_t ByteStreamReader::ReadInt32() { return ReadNumber<int32_t>(this); }
int64_t ByteStreamReader::ReadInt64() { return ReadNumber<int64_t>(this); }
double ByteStreamReader::ReadDouble() { return ReadNumber<double>(this); }

void ByteStreamWriter::WriteInt32(int32_t value) { WriteNumber(this, value); }
void ByteStreamWriter::WriteInt64(int64_t value) { WriteNumber(this, value); }
void ByteStreamWriter::WriteDouble(double value) { WriteNumber(this, value); }

ByteBufferStreamReader::ByteBufferStreamReader(const uint8_t* bytes, size_t size)
    : bytes_(bytes), size_(size) {}

uint8_t ByteBufferStreamReader::ReadByte() {
  if (position_ >= size_) {
    internal::ReportInvalidRead();
    return 0;
  }
  return bytes_[position_++];
}

void ByteBufferStreamReader::ReadBytes(uint8_t* buffer, size_t length) {
  // Compared as a remainder so that a huge length cannot wrap the sum. Alignment may have moved
  // the position past the end: then even an empty read is a read past the end.
  if (position_ > size_ || length > size_ - position_) {
    internal::ReportInvalidRead();
    return;
  }
  if (length > 0) {
    std::memcpy(buffer, bytes_ + position_, length);
    position_ += length;
  }
}

void ByteBufferStreamReader::ReadAlignment(uint8_t alignment) {
  if (alignment == 0) {
    return;
  }
  const size_t misalignment = position_ % alignment;
  if (misalignment != 0) {
    position_ += alignment - misalignment;
  }
}

size_t ByteBufferStreamReader::BytesRemaining() const {
  return position_ < size_ ? size_ - position_ : 0;
}

ByteBufferStreamWriter::ByteBufferStreamWriter(std::vector<uint8_t>* buffer) : buffer_(buffer) {}

void ByteBufferStreamWriter::WriteByte(uint8_t byte) { buffer_->push_back(byte); }

void ByteBufferStreamWriter::WriteBytes(const uint8_t* bytes, size_t length) {
  if (length > 0) {
    buffer_->insert(buffer_->end(), bytes, bytes + length);
  }
}

void ByteBufferStreamWriter::WriteAlignment(uint8_t alignment) {
  if (alignment == 0) {
    return;
  }
  while (buffer_->size() % alignment != 0) {
    WriteByte(0);
  }
}

}  // namespace flutter
