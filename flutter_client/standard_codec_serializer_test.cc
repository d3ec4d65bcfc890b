// Tests of value ordering, the standard encoding's bytes, alignment, round trips and the handling
// of damaged and hostile input.
#include "flutter/standard_codec_serializer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "flutter/byte_buffer_streams.h"
#include "testing/cerr_capture.h"

namespace flutter {
namespace {

using Bytes = std::vector<uint8_t>;
using testing::CerrCapture;

constexpr char kInvalidRead[] = "Invalid read in StandardCodecByteStreamReader\n";

Bytes Encode(const EncodableValue& value, Bytes prefix = {}) {
  ByteBufferStreamWriter writer(&prefix);
  StandardCodecSerializer::GetInstance().WriteValue(value, &writer);
  return prefix;
}

EncodableValue Decode(const Bytes& bytes, size_t start = 0) {
  ByteBufferStreamReader reader(bytes.data(), bytes.size());
  for (size_t i = 0; i < start; ++i) {
    reader.ReadByte();
  }
  return StandardCodecSerializer::GetInstance().ReadValue(&reader);
}

TEST(EncodableValueTest, OrdersByAlternativeThenByValue) {
  const CustomEncodableValue custom(std::string("opaque"));
  // Strictly ascending; NaN sorts after numbers and string bytes compare unsigned.
  const std::vector<EncodableValue> ascending = {
      EncodableValue(),
      EncodableValue(false),
      EncodableValue(true),
      EncodableValue(int32_t{-5}),
      EncodableValue(int32_t{3}),
      EncodableValue(int64_t{-9}),
      EncodableValue(std::numeric_limits<int64_t>::max()),
      EncodableValue(-0.5),
      EncodableValue(2.0),
      EncodableValue(std::numeric_limits<double>::quiet_NaN()),
      EncodableValue("a"),
      EncodableValue("ab"),
      EncodableValue(std::string("\x7f")),
      EncodableValue(std::string("\x80")),
      EncodableValue(Bytes{1}),
      EncodableValue(Bytes{1, 0}),
      EncodableValue(std::vector<int32_t>{-1}),
      EncodableValue(std::vector<int64_t>{}),
      EncodableValue(std::vector<double>{1.0}),
      EncodableValue(EncodableList{EncodableValue(1)}),
      EncodableValue(EncodableList{EncodableValue(1), EncodableValue()}),
      EncodableValue(EncodableList{EncodableValue(2)}),
      EncodableValue(EncodableMap{{EncodableValue("a"), EncodableValue(1)}}),
      EncodableValue(EncodableMap{{EncodableValue("a"), EncodableValue(2)}}),
      EncodableValue(EncodableMap{{EncodableValue("b"), EncodableValue(0)}}),
      EncodableValue(custom),
      EncodableValue(std::vector<float>{0.5f}),
      EncodableValue(std::vector<float>{std::numeric_limits<float>::quiet_NaN()})};
  for (size_t i = 0; i < ascending.size(); ++i) {
    SCOPED_TRACE(i);
    if (i + 1 < ascending.size()) {
      EXPECT_LT(ascending[i], ascending[i + 1]);
      EXPECT_FALSE(ascending[i + 1] < ascending[i]);
      EXPECT_NE(ascending[i], ascending[i + 1]);
    }
    EXPECT_FALSE(ascending[i] < ascending[i]);
  }
  // A custom value is equal only to itself: a copy is a new holder.
  const EncodableValue holder(custom);
  EXPECT_EQ(holder, holder);
  EXPECT_NE(holder, EncodableValue(holder));
  // NaN keys from the wire must keep the map's order consistent: all NaNs are one key.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const EncodableMap map = {{EncodableValue(nan), EncodableValue(1)},
                            {EncodableValue(1.0), EncodableValue(2)},
                            {EncodableValue(-nan), EncodableValue(3)}};
  EXPECT_EQ(map.size(), 2u);
  EXPECT_EQ(map.begin()->first, EncodableValue(1.0));
}

struct EncodingCase {
  const char* name;
  EncodableValue value;
  Bytes bytes;
};

TEST(StandardCodecSerializerTest, EncodesEachTypeAndRoundTrips) {
  const Bytes double_one = {6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F};
  const std::vector<EncodingCase> cases = {
      {"null", EncodableValue(), {0}},
      {"true", EncodableValue(true), {1}},
      {"false", EncodableValue(false), {2}},
      {"int32", EncodableValue(5), {3, 5, 0, 0, 0}},
      {"int64", EncodableValue(int64_t{-1}), {4, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
      {"double", EncodableValue(1.0), double_one},
      {"string", EncodableValue("abc"), {7, 3, 0x61, 0x62, 0x63}},
      {"empty string", EncodableValue(""), {7, 0}},
      {"bytes", EncodableValue(Bytes{9, 8}), {8, 2, 9, 8}},
      {"int32 list", EncodableValue(std::vector<int32_t>{1}), {9, 1, 0, 0, 1, 0, 0, 0}},
      {"empty int32 list", EncodableValue(std::vector<int32_t>{}), {9, 0, 0, 0}},
      {"int64 list",
       EncodableValue(std::vector<int64_t>{2}),
       {10, 1, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0}},
      {"double list", EncodableValue(std::vector<double>{}), {11, 0, 0, 0, 0, 0, 0, 0}},
      {"float list", EncodableValue(std::vector<float>{1.0f}), {14, 1, 0, 0, 0, 0, 0x80, 0x3F}},
      {"list",
       EncodableValue(EncodableList{EncodableValue(true), EncodableValue()}),
       {12, 2, 1, 0}},
      {"map in key order",
       EncodableValue(EncodableMap{{EncodableValue("b"), EncodableValue(1)},
                                   {EncodableValue("a"), EncodableValue(true)}}),
       {13, 2, 7, 1, 0x61, 1, 7, 1, 0x62, 3, 1, 0, 0, 0}},
      {"int key before string key",
       EncodableValue(EncodableMap{{EncodableValue("0"), EncodableValue()},
                                   {EncodableValue(1), EncodableValue()}}),
       {13, 2, 3, 1, 0, 0, 0, 0, 7, 1, 0x30, 0}},
      // Alignment is counted from the buffer start, also inside lists and for empty typed lists.
      {"nested empty double list",
       EncodableValue(EncodableList{EncodableValue(std::vector<double>{}), EncodableValue(true)}),
       {12, 2, 11, 0, 0, 0, 0, 0, 1}},
      {"nested double",
       EncodableValue(EncodableList{EncodableValue(1.0)}),
       {12, 1, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F}},
  };
  for (const EncodingCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Encode(c.value), c.bytes);
    EXPECT_EQ(Decode(c.bytes), c.value);
  }
}

TEST(StandardCodecSerializerTest, AlignsFromTheBufferStartAfterAnyPrefix) {
  for (size_t prefix = 0; prefix < 9; ++prefix) {
    SCOPED_TRACE(prefix);
    const Bytes bytes = Encode(EncodableValue(std::vector<int32_t>{7}), Bytes(prefix, 0xAA));
    const size_t element = (prefix + 2 + 3) / 4 * 4;  // after type and size, rounded up
    ASSERT_EQ(bytes.size(), element + 4);
    EXPECT_EQ(bytes[element], 7);
    EXPECT_EQ(Decode(bytes, prefix), EncodableValue(std::vector<int32_t>{7}));
  }
}

TEST(StandardCodecSerializerTest, SizesSwitchWidthAtTheirBoundaries) {
  const std::vector<std::pair<size_t, Bytes>> cases = {
      {0, {0}},
      {253, {0xFD}},
      {254, {0xFE, 0xFE, 0x00}},
      {65535, {0xFE, 0xFF, 0xFF}},
      {65536, {0xFF, 0x00, 0x00, 0x01, 0x00}},
      {0xFFFFFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
  };
  const StandardCodecSerializer& codec = StandardCodecSerializer::GetInstance();
  for (const auto& [size, bytes] : cases) {
    SCOPED_TRACE(size);
    Bytes written;
    ByteBufferStreamWriter writer(&written);
    codec.WriteSize(size, &writer);
    EXPECT_EQ(written, bytes);
    ByteBufferStreamReader reader(bytes.data(), bytes.size());
    EXPECT_EQ(codec.ReadSize(&reader), size);
  }
  // The size prefix of a real string, on both sides of each boundary.
  for (const size_t length : {253u, 254u, 65535u, 65536u}) {
    SCOPED_TRACE(length);
    const EncodableValue text(std::string(length, 'x'));
    EXPECT_EQ(Decode(Encode(text)), text);
  }
}

EncodableValue RandomValue(std::mt19937& random, int depth) {
  const int kinds = depth > 0 ? 13 : 11;
  auto number = [&random](int range) { return static_cast<int>(random() % range); };
  switch (number(kinds)) {
    case 0:
      return EncodableValue();
    case 1:
      return EncodableValue(number(2) == 0);
    case 2:
      return EncodableValue(static_cast<int32_t>(random()));
    case 3:
      return EncodableValue(static_cast<int64_t>(random()) << 31);
    case 4:
      return EncodableValue(number(1000) / 8.0 - 60);
    case 5:
      return EncodableValue(std::string(number(300), static_cast<char>(random())));
    case 6:
      return EncodableValue(Bytes(number(40), static_cast<uint8_t>(random())));
    case 7:
      return EncodableValue(std::vector<int32_t>(number(5), -3));
    case 8:
      return EncodableValue(std::vector<int64_t>(number(5), int64_t{1} << 40));
    case 9:
      return EncodableValue(std::vector<double>(number(5), 0.25));
    case 10:
      return EncodableValue(std::vector<float>(number(5), -1.5f));
    case 11: {
      EncodableList list;
      for (int i = number(6); i > 0; --i) list.push_back(RandomValue(random, depth - 1));
      return EncodableValue(std::move(list));
    }
    default: {
      EncodableMap map;
      for (int i = number(6); i > 0; --i) {
        map.emplace(RandomValue(random, 0), RandomValue(random, depth - 1));
      }
      return EncodableValue(std::move(map));
    }
  }
}

TEST(StandardCodecSerializerTest, RandomNestedValuesRoundTrip) {
  std::mt19937 random(20261206);
  for (int round = 0; round < 500; ++round) {
    SCOPED_TRACE(round);
    const EncodableValue value = RandomValue(random, 4);
    // An odd prefix moves every aligned payload.
    const Bytes bytes = Encode(value, Bytes(round % 8, 0));
    CerrCapture cerr;
    EXPECT_EQ(Decode(bytes, round % 8), value);
    EXPECT_EQ(cerr.Text(), "");
  }
}

struct DamagedCase {
  const char* name;
  Bytes bytes;
  EncodableValue expected;
  std::string diagnostics;
};

TEST(StandardCodecSerializerTest, DamagedInputDecodesWithExactDiagnostics) {
  const std::string kUnknown = "Unknown type in StandardCodecSerializer::ReadValueOfType: ";
  constexpr uint8_t kFill = StandardCodecSerializer::kMaxTruncationFill;
  std::string fill_lines;
  for (int i = 0; i < kFill; ++i) fill_lines += kInvalidRead;
  const std::vector<DamagedCase> cases = {
      {"empty buffer", {}, EncodableValue(), kInvalidRead},
      {"short string", {7, 5, 0x61, 0x62}, EncodableValue(std::string(5, '\0')), kInvalidRead},
      {"short int32", {3, 1, 2}, EncodableValue(0), kInvalidRead},
      {"double past end", {6, 0}, EncodableValue(0.0), kInvalidRead},
      {"empty int32 list without padding",
       {9, 0},
       EncodableValue(std::vector<int32_t>{}),
       kInvalidRead},
      {"empty double list without padding",
       {11, 0},
       EncodableValue(std::vector<double>{}),
       kInvalidRead},
      {"list loses two elements",
       {12, 3, 1},
       EncodableValue(EncodableList{EncodableValue(true), EncodableValue(), EncodableValue()}),
       std::string(kInvalidRead) + kInvalidRead},
      {"short size", {7, 0xFE, 1}, EncodableValue(""), kInvalidRead},
      {"type 5 reads as a string", {5, 1, 0x39}, EncodableValue("9"), ""},
      {"unknown type", {0x0F}, EncodableValue(), kUnknown + "15\n"},
      {"unknown type inside a list",
       {12, 2, 0xC8, 1},
       EncodableValue(EncodableList{EncodableValue(), EncodableValue(true)}),
       kUnknown + "200\n"},
      {"first duplicate key wins",
       {13, 2, 1, 3, 1, 0, 0, 0, 1, 3, 2, 0, 0, 0},
       EncodableValue(EncodableMap{{EncodableValue(true), EncodableValue(1)}}),
       ""},
      {"trailing bytes ignored", {1, 2, 3}, EncodableValue(true), ""},
      // A short tail is still filled; a longer claim on an exhausted message is cut with one line.
      {"string fill at the limit",
       {7, kFill},
       EncodableValue(std::string(kFill, '\0')),
       kInvalidRead},
      {"string claim past the limit", {7, kFill + 1}, EncodableValue(""), kInvalidRead},
      {"list fill at the limit", {12, kFill}, EncodableValue(EncodableList(kFill)), fill_lines},
      {"list claim past the limit",
       {12, kFill + 2, 1},
       EncodableValue(EncodableList{EncodableValue(true)}),
       kInvalidRead},
  };
  for (const DamagedCase& c : cases) {
    SCOPED_TRACE(c.name);
    CerrCapture cerr;
    EXPECT_EQ(Decode(c.bytes), c.expected);
    EXPECT_EQ(cerr.Text(), c.diagnostics);
  }
}

TEST(StandardCodecSerializerTest, CustomValueWritesNullAndExplains) {
  CerrCapture cerr;
  EXPECT_EQ(Encode(EncodableValue(CustomEncodableValue(42))), Bytes{0});
  EXPECT_EQ(cerr.Text(),
            "Unhandled custom type in StandardCodecSerializer::WriteValue. Custom types require "
            "codec extensions.\n");
}

// Every sized type with a forged size of 2^32 - 1 inside a message of at most 64 bytes must decode
// to something no larger than the message, with a handful of diagnostic lines.
TEST(StandardCodecSerializerTest, HostileSizesStayBounded) {
  const Bytes huge = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  const Bytes sized_types = {5, 7, 8, 9, 10, 11, 12, 13, 14};
  const Bytes fillers = {0x00, 0x01, 0x0C, 0x0D};
  for (const uint8_t type : sized_types) {
    for (const uint8_t filler : fillers) {
      SCOPED_TRACE(::testing::Message() << int{type} << "/" << int{filler});
      Bytes message = {type};
      message.insert(message.end(), huge.begin(), huge.end());
      message.insert(message.end(), 58, filler);
      CerrCapture cerr;
      const EncodableValue value = Decode(message);
      EXPECT_LE(cerr.Lines(), 64u * (StandardCodecSerializer::kMaxTruncationFill + 1));
      EXPECT_LE(Encode(value).size(), 64u * (StandardCodecSerializer::kMaxTruncationFill + 2));
    }
  }
  // Lists nested in lists, each claiming 2^32 - 1 elements.
  Bytes nested;
  for (int i = 0; i < 10; ++i) {
    nested.push_back(12);
    nested.insert(nested.end(), huge.begin(), huge.end());
  }
  CerrCapture cerr;
  const EncodableValue value = Decode(nested);
  EXPECT_EQ(cerr.Lines(), 10u);
  EXPECT_EQ(Encode(value).size(), 10u * 2);  // each level holds only the next
}

TEST(StandardCodecSerializerTest, DeepNestingIsCutWithOneLine) {
  const int depth = StandardCodecSerializer::kMaxNestingDepth;
  Bytes message;
  for (int i = 0; i < 20 * depth; ++i) {
    message.insert(message.end(), {12, 1});
  }
  CerrCapture cerr;
  const EncodableValue value = Decode(message);
  EXPECT_EQ(cerr.Text(), "Nesting too deep in StandardCodecSerializer::ReadValueOfType: 12\n");
  const EncodableValue* level = &value;
  for (int i = 0; i < depth; ++i) {
    const auto* list = std::get_if<EncodableList>(level);
    ASSERT_NE(list, nullptr) << i;
    level = &list->front();
  }
  EXPECT_TRUE(level->IsNull());
}

}  // namespace
}  // namespace flutter
