// Writing and reading values in the standard message encoding, with decoding bounded by the
// message's own size.
#include "flutter/standard_codec_serializer.h"

#include <algorithm>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "codec_diagnostics.h"

namespace flutter {

namespace {

// Type bytes of the encoding.
constexpr uint8_t kTypeNull = 0;
constexpr uint8_t kTypeTrue = 1;
constexpr uint8_t kTypeFalse = 2;
constexpr uint8_t kTypeInt32 = 3;
constexpr uint8_t kTypeInt64 = 4;
constexpr uint8_t kTypeLargeInt = 5;  // never written; read as a string
constexpr uint8_t kTypeFloat64 = 6;
constexpr uint8_t kTypeString = 7;
constexpr uint8_t kTypeUInt8List = 8;
constexpr uint8_t kTypeInt32List = 9;
constexpr uint8_t kTypeInt64List = 10;
constexpr uint8_t kTypeFloat64List = 11;
constexpr uint8_t kTypeList = 12;
constexpr uint8_t kTypeMap = 13;
constexpr uint8_t kTypeFloat32List = 14;

// Size prefixes: below kSize16Marker the byte is the size itself.
constexpr uint8_t kSize16Marker = 254;
constexpr uint8_t kSize32Marker = 255;
constexpr size_t kSize16Max = 0xFFFF;
constexpr unsigned kBitsPerByte = 8;

// How deep the current thread is inside nested lists and maps being read.
thread_local int nesting_depth = 0;

class NestingScope {
 public:
  NestingScope() { ++nesting_depth; }
  ~NestingScope() { --nesting_depth; }
  NestingScope(const NestingScope&) = delete;
  NestingScope& operator=(const NestingScope&) = delete;
  bool TooDeep() const { return nesting_depth > StandardCodecSerializer::kMaxNestingDepth; }
};

template <typename T>
void WriteTypedList(const std::vector<T>& list, uint8_t type, const StandardCodecSerializer& codec,
                    ByteStreamWriter* stream) {
  stream->WriteByte(type);
  codec.WriteSize(list.size(), stream);
  if constexpr (sizeof(T) > 1) {
    stream->WriteAlignment(sizeof(T));
  }
  if (!list.empty()) {
    stream->WriteBytes(reinterpret_cast<const uint8_t*>(list.data()), list.size() * sizeof(T));
  }
}

// Reads `count` elements of T (after aligning for them) into a zero-filled container. Declared
// bytes beyond what the message holds are zero-filled only for a short tail; a larger claim is
// refused with one diagnostic and an empty container, so a forged size cannot allocate.
template <typename Container>
Container ReadFixedElements(ByteStreamReader* stream, size_t count) {
  using Element = typename Container::value_type;
  if constexpr (sizeof(Element) > 1) {
    stream->ReadAlignment(sizeof(Element));
  }
  // count is below 2^32, so the product fits in 64 bits.
  const uint64_t length = static_cast<uint64_t>(count) * sizeof(Element);
  if (length > stream->BytesRemaining() && count > StandardCodecSerializer::kMaxTruncationFill) {
    internal::ReportInvalidRead();
    return Container();
  }
  Container elements(count, Element{});
  // Also for no elements: padding that runs past the end is a truncated read like any other.
  stream->ReadBytes(reinterpret_cast<uint8_t*>(elements.data()), static_cast<size_t>(length));
  return elements;
}

// True when the message is exhausted and more elements remain than a truncated tail may fill
// with nulls; writes the one diagnostic for the rest.
bool StopReadingElements(ByteStreamReader* stream, size_t elements_left) {
  if (stream->BytesRemaining() == 0 &&
      elements_left > StandardCodecSerializer::kMaxTruncationFill) {
    internal::ReportInvalidRead();
    return true;
  }
  return false;
}

}  // namespace

const StandardCodecSerializer& StandardCodecSerializer::GetInstance() {
  // Never destroyed: codecs and channels keep plain pointers to it to the end of the process.
  static const StandardCodecSerializer& instance = *new StandardCodecSerializer();
  return instance;
}

EncodableValue StandardCodecSerializer::ReadValue(ByteStreamReader* stream) const {
  const uint8_t type = stream->ReadByte();
  return ReadValueOfType(type, stream);
}

void StandardCodecSerializer::WriteValue(const EncodableValue& value,
                                         ByteStreamWriter* stream) const {
  if (const auto* flag = std::get_if<bool>(&value)) {
    stream->WriteByte(*flag ? kTypeTrue : kTypeFalse);
  } else if (const auto* int32 = std::get_if<int32_t>(&value)) {
    stream->WriteByte(kTypeInt32);
    stream->WriteInt32(*int32);
  } else if (const auto* int64 = std::get_if<int64_t>(&value)) {
    stream->WriteByte(kTypeInt64);
    stream->WriteInt64(*int64);
  } else if (const auto* number = std::get_if<double>(&value)) {
    stream->WriteByte(kTypeFloat64);
    stream->WriteAlignment(sizeof(double));
    stream->WriteDouble(*number);
  } else if (const auto* string = std::get_if<std::string>(&value)) {
    stream->WriteByte(kTypeString);
    WriteSize(string->size(), stream);
    if (!string->empty()) {
      stream->WriteBytes(reinterpret_cast<const uint8_t*>(string->data()), string->size());
    }
  } else if (const auto* bytes = std::get_if<std::vector<uint8_t>>(&value)) {
    WriteTypedList(*bytes, kTypeUInt8List, *this, stream);
  } else if (const auto* int32s = std::get_if<std::vector<int32_t>>(&value)) {
    WriteTypedList(*int32s, kTypeInt32List, *this, stream);
  } else if (const auto* int64s = std::get_if<std::vector<int64_t>>(&value)) {
    WriteTypedList(*int64s, kTypeInt64List, *this, stream);
  } else if (const auto* doubles = std::get_if<std::vector<double>>(&value)) {
    WriteTypedList(*doubles, kTypeFloat64List, *this, stream);
  } else if (const auto* floats = std::get_if<std::vector<float>>(&value)) {
    WriteTypedList(*floats, kTypeFloat32List, *this, stream);
  } else if (const auto* list = std::get_if<EncodableList>(&value)) {
    stream->WriteByte(kTypeList);
    WriteSize(list->size(), stream);
    for (const EncodableValue& element : *list) {
      WriteValue(element, stream);
    }
  } else if (const auto* map = std::get_if<EncodableMap>(&value)) {
    stream->WriteByte(kTypeMap);
    WriteSize(map->size(), stream);
    for (const auto& [key, entry] : *map) {
      WriteValue(key, stream);
      WriteValue(entry, stream);
    }
  } else if (std::holds_alternative<CustomEncodableValue>(value)) {
    // The receiver reads null; the line tells the sender why.
    stream->WriteByte(kTypeNull);
    std::cerr << "Unhandled custom type in StandardCodecSerializer::WriteValue. "
              << "Custom types require codec extensions.\n";
  } else {
    stream->WriteByte(kTypeNull);
  }
}

EncodableValue StandardCodecSerializer::ReadValueOfType(uint8_t type,
                                                        ByteStreamReader* stream) const {
  switch (type) {
    case kTypeNull:
      return EncodableValue();
    case kTypeTrue:
      return EncodableValue(true);
    case kTypeFalse:
      return EncodableValue(false);
    case kTypeInt32:
      return EncodableValue(stream->ReadInt32());
    case kTypeInt64:
      return EncodableValue(stream->ReadInt64());
    case kTypeFloat64:
      stream->ReadAlignment(sizeof(double));
      return EncodableValue(stream->ReadDouble());
    case kTypeLargeInt:
    case kTypeString:
      return EncodableValue(ReadFixedElements<std::string>(stream, ReadSize(stream)));
    case kTypeUInt8List:
      return EncodableValue(ReadFixedElements<std::vector<uint8_t>>(stream, ReadSize(stream)));
    case kTypeInt32List:
      return EncodableValue(ReadFixedElements<std::vector<int32_t>>(stream, ReadSize(stream)));
    case kTypeInt64List:
      return EncodableValue(ReadFixedElements<std::vector<int64_t>>(stream, ReadSize(stream)));
    case kTypeFloat64List:
      return EncodableValue(ReadFixedElements<std::vector<double>>(stream, ReadSize(stream)));
    case kTypeFloat32List:
      return EncodableValue(ReadFixedElements<std::vector<float>>(stream, ReadSize(stream)));
    case kTypeList: {
      const NestingScope scope;
      if (scope.TooDeep()) {
        break;
      }
      const size_t count = ReadSize(stream);
      EncodableList list;
      // Every element present takes at least its type byte.
      list.reserve(std::min(count, stream->BytesRemaining()));
      for (size_t i = 0; i < count && !StopReadingElements(stream, count - i); ++i) {
        list.push_back(ReadValue(stream));
      }
      return EncodableValue(std::move(list));
    }
    case kTypeMap: {
      const NestingScope scope;
      if (scope.TooDeep()) {
        break;
      }
      const size_t count = ReadSize(stream);
      EncodableMap map;
      for (size_t i = 0; i < count && !StopReadingElements(stream, count - i); ++i) {
        EncodableValue key = ReadValue(stream);
        EncodableValue entry = ReadValue(stream);
        // The first occurrence of a key wins.
        map.try_emplace(std::move(key), std::move(entry));
      }
      return EncodableValue(std::move(map));
    }
    default:
      std::cerr << "Unknown type in StandardCodecSerializer::ReadValueOfType: "
                << static_cast<unsigned>(type) << '\n';
      return EncodableValue();
  }
  std::cerr << "Nesting too deep in StandardCodecSerializer::ReadValueOfType: "
            << static_cast<unsigned>(type) << '\n';
  return EncodableValue();
}

void StandardCodecSerializer::WriteSize(size_t size, ByteStreamWriter* stream) const {
  if (size < kSize16Marker) {
    stream->WriteByte(static_cast<uint8_t>(size));
    return;
  }
  const bool fits16 = size <= kSize16Max;
  stream->WriteByte(fits16 ? kSize16Marker : kSize32Marker);
  const size_t width = fits16 ? sizeof(uint16_t) : sizeof(uint32_t);
  uint8_t bytes[sizeof(uint32_t)];
  for (size_t i = 0; i < width; ++i) {
    bytes[i] = static_cast<uint8_t>(size >> (kBitsPerByte * i));
  }
  stream->WriteBytes(bytes, width);
}

size_t StandardCodecSerializer::ReadSize(ByteStreamReader* stream) const {
  const uint8_t marker = stream->ReadByte();
  if (marker < kSize16Marker) {
    return marker;
  }
  const size_t width = marker == kSize16Marker ? sizeof(uint16_t) : sizeof(uint32_t);
  uint8_t bytes[sizeof(uint32_t)] = {};
  stream->ReadBytes(bytes, width);
  size_t size = 0;
  for (size_t i = 0; i < width; ++i) {
    size |= static_cast<size_t>(bytes[i]) << (kBitsPerByte * i);
  }
  return size;
}

}  // namespace flutter
