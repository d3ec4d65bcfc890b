// Tests of value ordering, the standard encoding's bytes and alignment, and the handling of damaged
// and hostile input.
#include "flutter/standard_codec_serializer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "flutter/byte_buffer_streams.h"
#include "testing/cerr_capture.h"

namespace flutter {
namespace {

using Bytes = std::vector<uint8_t>;
using V = EncodableValue;
using testing::CerrCapture;

constexpr char kInvalidRead[] = "Invalid read in StandardCodecByteStreamReader\n";
const StandardCodecSerializer& Codec() { return StandardCodecSerializer::GetInstance(); }

Bytes Encode(const V& value) {
  Bytes bytes;
  ByteBufferStreamWriter writer(&bytes);
  Codec().WriteValue(value, &writer);
  return bytes;
}

V Decode(const Bytes& bytes) {
  ByteBufferStreamReader reader(bytes.data(), bytes.size());
  return Codec().ReadValue(&reader);
}

TEST(EncodableValueTest, OrdersByAlternativeThenByValue) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const CustomEncodableValue custom(std::string("opaque"));
  // Strictly ascending; NaN sorts after numbers and string bytes compare unsigned.
  const std::vector<V> ascending = {V(),
                                    V(false),
                                    V(true),
                                    V(int32_t{-5}),
                                    V(int32_t{3}),
                                    V(int64_t{-9}),
                                    V(std::numeric_limits<int64_t>::max()),
                                    V(-0.5),
                                    V(2.0),
                                    V(nan),
                                    V("a"),
                                    V("ab"),
                                    V(std::string("\x7f")),
                                    V(std::string("\x80")),
                                    V(Bytes{1}),
                                    V(Bytes{1, 0}),
                                    V(std::vector<int32_t>{-1}),
                                    V(std::vector<int64_t>{}),
                                    V(std::vector<double>{1.0}),
                                    V(EncodableList{V(1)}),
                                    V(EncodableList{V(1), V()}),
                                    V(EncodableList{V(2)}),
                                    V(EncodableMap{{V("a"), V(1)}}),
                                    V(EncodableMap{{V("a"), V(2)}}),
                                    V(EncodableMap{{V("b"), V(0)}}),
                                    V(custom),
                                    V(std::vector<float>{0.5f}),
                                    V(std::vector<float>{std::numeric_limits<float>::quiet_NaN()})};
  for (size_t i = 0; i + 1 < ascending.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_LT(ascending[i], ascending[i + 1]);
    EXPECT_FALSE(ascending[i + 1] < ascending[i]);
    EXPECT_NE(ascending[i], ascending[i + 1]);
    EXPECT_FALSE(ascending[i] < ascending[i]);
  }
  // A custom value is equal only to itself: a copy is a new holder.
  const V holder(custom);
  EXPECT_EQ(holder, holder);
  EXPECT_NE(holder, V(holder));
  // NaN keys from the wire must keep the map's order consistent: all NaNs are one key.
  const EncodableMap map = {{V(nan), V(1)}, {V(1.0), V(2)}, {V(-nan), V(3)}};
  EXPECT_EQ(map.size(), 2u);
  EXPECT_EQ(map.begin()->first, V(1.0));
}

TEST(StandardCodecSerializerTest, EncodesEachTypeAndDecodesItBack) {
  const struct {
    const char* name;
    V value;
    Bytes bytes;
  } cases[] = {
      {"null", V(), {0}},
      {"true", V(true), {1}},
      {"false", V(false), {2}},
      {"int32", V(5), {3, 5, 0, 0, 0}},
      {"int64", V(int64_t{-1}), {4, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
      {"double", V(1.0), {6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F}},
      {"string", V("abc"), {7, 3, 0x61, 0x62, 0x63}},
      {"empty string", V(""), {7, 0}},
      {"bytes", V(Bytes{9, 8}), {8, 2, 9, 8}},
      {"int32 list", V(std::vector<int32_t>{1}), {9, 1, 0, 0, 1, 0, 0, 0}},
      {"empty int32 list", V(std::vector<int32_t>{}), {9, 0, 0, 0}},
      {"int64 list", V(std::vector<int64_t>{2}), {10, 1, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0}},
      {"double list", V(std::vector<double>{}), {11, 0, 0, 0, 0, 0, 0, 0}},
      {"float list", V(std::vector<float>{1.0f}), {14, 1, 0, 0, 0, 0, 0x80, 0x3F}},
      {"list", V(EncodableList{V(true), V()}), {12, 2, 1, 0}},
      {"map in key order",
       V(EncodableMap{{V("b"), V(1)}, {V("a"), V(true)}}),
       {13, 2, 7, 1, 0x61, 1, 7, 1, 0x62, 3, 1, 0, 0, 0}},
      {"int key before string key",
       V(EncodableMap{{V("0"), V()}, {V(1), V()}}),
       {13, 2, 3, 1, 0, 0, 0, 0, 7, 1, 0x30, 0}},
      // Alignment counts from the buffer start, not the value's, also for empty typed lists.
      {"nested empty double list",
       V(EncodableList{V(std::vector<double>{}), V(true)}),
       {12, 2, 11, 0, 0, 0, 0, 0, 1}},
      {"nested double",
       V(EncodableList{V(1.0)}),
       {12, 1, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F}},
      {"nested int32 list",
       V(EncodableList{V(std::vector<int32_t>{7})}),
       {12, 1, 9, 1, 7, 0, 0, 0}},
      {"long string", V(std::string(254, 'x')),
       [] {
         Bytes bytes = {7, 0xFE, 0xFE, 0};
         bytes.resize(258, 'x');
         return bytes;
       }()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CerrCapture cerr;
    EXPECT_EQ(Encode(c.value), c.bytes);
    EXPECT_EQ(Decode(c.bytes), c.value);
    EXPECT_EQ(cerr.Text(), "");
  }
}

TEST(StandardCodecSerializerTest, SizesSwitchWidthAtTheirBoundaries) {
  const std::pair<size_t, Bytes> cases[] = {
      {0, {0}},
      {253, {0xFD}},
      {254, {0xFE, 0xFE, 0x00}},
      {65535, {0xFE, 0xFF, 0xFF}},
      {65536, {0xFF, 0x00, 0x00, 0x01, 0x00}},
      {0xFFFFFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
  };
  for (const auto& [size, bytes] : cases) {
    SCOPED_TRACE(size);
    Bytes written;
    ByteBufferStreamWriter writer(&written);
    Codec().WriteSize(size, &writer);
    EXPECT_EQ(written, bytes);
    ByteBufferStreamReader reader(bytes.data(), bytes.size());
    EXPECT_EQ(Codec().ReadSize(&reader), size);
  }
}

TEST(StandardCodecSerializerTest, DamagedInputDecodesWithExactDiagnostics) {
  const std::string kUnknown = "Unknown type in StandardCodecSerializer::ReadValueOfType: ";
  const std::string kTwoReads = std::string(kInvalidRead) + kInvalidRead;
  constexpr uint8_t kFill = StandardCodecSerializer::kMaxTruncationFill;
  std::string fill_lines;
  for (int i = 0; i < kFill; ++i) fill_lines += kInvalidRead;
  const struct {
    const char* name;
    Bytes bytes;
    V expected;
    std::string diagnostics;
  } cases[] = {
      {"empty buffer", {}, V(), kInvalidRead},
      {"short string", {7, 5, 0x61, 0x62}, V(std::string(5, '\0')), kInvalidRead},
      {"short int32", {3, 1, 2}, V(0), kInvalidRead},
      {"double past end", {6, 0}, V(0.0), kInvalidRead},
      {"empty int32 list without padding", {9, 0}, V(std::vector<int32_t>{}), kInvalidRead},
      {"empty double list, short padding", {11, 0, 0}, V(std::vector<double>{}), kInvalidRead},
      {"empty byte list at the end", {8, 0}, V(Bytes{}), ""},
      {"list loses two elements", {12, 3, 1}, V(EncodableList{V(true), V(), V()}), kTwoReads},
      {"short size", {7, 0xFE, 1}, V(""), kInvalidRead},
      {"type 5 reads as a string", {5, 1, 0x39}, V("9"), ""},
      {"unknown type", {0x0F}, V(), kUnknown + "15\n"},
      {"unknown type inside a list",
       {12, 2, 0xC8, 1},
       V(EncodableList{V(), V(true)}),
       kUnknown + "200\n"},
      {"first duplicate key wins",
       {13, 2, 1, 3, 1, 0, 0, 0, 1, 3, 2, 0, 0, 0},
       V(EncodableMap{{V(true), V(1)}}),
       ""},
      {"trailing bytes ignored", {1, 2, 3}, V(true), ""},
      // A short tail is still filled; a longer claim on an exhausted message is cut with one line.
      {"string fill at the limit", {7, kFill}, V(std::string(kFill, '\0')), kInvalidRead},
      {"string claim past the limit", {7, kFill + 1}, V(""), kInvalidRead},
      {"list fill at the limit", {12, kFill}, V(EncodableList(kFill)), fill_lines},
      {"list claim past the limit", {12, kFill + 2, 1}, V(EncodableList{V(true)}), kInvalidRead},
      {"map fill at the limit", {13, kFill}, V(EncodableMap{{V(), V()}}), fill_lines + fill_lines},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CerrCapture cerr;
    EXPECT_EQ(Decode(c.bytes), c.expected);
    EXPECT_EQ(cerr.Text(), c.diagnostics);
  }
}

TEST(StandardCodecSerializerTest, CustomValueWritesNullAndExplains) {
  CerrCapture cerr;
  EXPECT_EQ(Encode(V(CustomEncodableValue(42))), Bytes{0});
  EXPECT_EQ(cerr.Text(),
            "Unhandled custom type in StandardCodecSerializer::WriteValue. Custom types require "
            "codec extensions.\n");
}

// Every sized type with a forged size of 2^32 - 1 inside a message of 64 bytes must decode to
// something no larger than the bound, with no more diagnostic lines.
TEST(StandardCodecSerializerTest, HostileSizesStayBounded) {
  const Bytes huge = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  const size_t bound = 64 * (StandardCodecSerializer::kMaxTruncationFill + 2);
  for (const int type : {5, 7, 8, 9, 10, 11, 12, 13, 14}) {
    for (const int filler : {0x00, 0x01, 0x0C, 0x0D}) {
      SCOPED_TRACE(::testing::Message() << type << "/" << filler);
      Bytes message = {static_cast<uint8_t>(type)};
      message.insert(message.end(), huge.begin(), huge.end());
      message.insert(message.end(), 58, static_cast<uint8_t>(filler));
      CerrCapture cerr;
      const V value = Decode(message);
      EXPECT_LE(cerr.Lines(), bound);
      EXPECT_LE(Encode(value).size(), bound);
    }
  }
  // Lists nested in lists, each claiming 2^32 - 1 elements: each level holds only the next.
  Bytes nested;
  for (int i = 0; i < 10; ++i) {
    nested.push_back(12);
    nested.insert(nested.end(), huge.begin(), huge.end());
  }
  CerrCapture cerr;
  EXPECT_EQ(Encode(Decode(nested)).size(), 10u * 2);
  EXPECT_EQ(cerr.Lines(), 10u);
}

TEST(StandardCodecSerializerTest, DeepNestingIsCutWithOneLine) {
  const int depth = StandardCodecSerializer::kMaxNestingDepth;
  Bytes message;
  for (int i = 0; i < 20 * depth; ++i) message.insert(message.end(), {12, 1});
  CerrCapture cerr;
  const V value = Decode(message);
  EXPECT_EQ(cerr.Text(), "Nesting too deep in StandardCodecSerializer::ReadValueOfType: 12\n");
  const V* level = &value;
  for (int i = 0; i < depth; ++i) {
    const auto* list = std::get_if<EncodableList>(level);
    ASSERT_NE(list, nullptr) << i;
    level = &list->front();
  }
  EXPECT_TRUE(level->IsNull());
}

}  // namespace
}  // namespace flutter
