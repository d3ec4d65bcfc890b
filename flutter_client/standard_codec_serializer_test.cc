// Value ordering, the standard encoding's bytes and alignment, and damaged and hostile input.
#include "flutter/standard_codec_serializer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "flutter/byte_buffer_streams.h"
#include "testing/fake_binary_messenger.h"

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

// "07 0161" gives {7, 1, 0x61}.
Bytes Hex(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
  Bytes bytes;
  for (size_t i = 0; i + 1 < text.size(); i += 2) {
    bytes.push_back(static_cast<uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

TEST(EncodableValueTest, OrdersByAlternativeThenByValue) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const CustomEncodableValue custom(std::string("opaque"));
  // Strictly ascending; NaN sorts after numbers and string bytes compare unsigned.
  // clang-format off
  const std::vector<V> ascending = {
      V(), V(false), V(true), V(int32_t{-5}), V(int32_t{3}), V(int64_t{-9}),
      V(std::numeric_limits<int64_t>::max()), V(-0.5), V(2.0), V(nan), V("a"), V("ab"),
      V(std::string("\x7f")), V(std::string("\x80")), V(Bytes{1}), V(Bytes{1, 0}),
      V(std::vector<int32_t>{-1}), V(std::vector<int64_t>{}), V(std::vector<double>{1.0}),
      V(EncodableList{V(1)}), V(EncodableList{V(1), V()}), V(EncodableList{V(2)}),
      V(EncodableMap{{V("a"), V(1)}}), V(EncodableMap{{V("a"), V(2)}}),
      V(EncodableMap{{V("b"), V(0)}}), V(custom), V(std::vector<float>{0.5f}),
      V(std::vector<float>{std::numeric_limits<float>::quiet_NaN()})};
  // clang-format on
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

// Each case decodes from its bytes with exactly its diagnostics; a clean one also encodes to them.
TEST(StandardCodecSerializerTest, DecodesAndEncodesExactBytes) {
  const std::string kRead = kInvalidRead;
  const std::string kUnknown = "Unknown type in StandardCodecSerializer::ReadValueOfType: ";
  constexpr size_t kFill = StandardCodecSerializer::kMaxTruncationFill;
  std::string fill_lines;
  for (size_t i = 0; i < kFill; ++i) fill_lines += kRead;
  const std::string long_string = "07 FEFE00" + std::string(2 * 254, 'A');
  const auto zeros = [](size_t count) { return std::string(2 * count, '0'); };
  const struct {
    const char* name;
    std::string hex;
    V value;
    std::string diagnostics;
    bool encodes = true;
  } cases[] = {
      {"null", "00", V(), ""},
      {"true", "01", V(true), ""},
      {"false", "02", V(false), ""},
      {"int32", "03 05000000", V(5), ""},
      {"int64", "04 FFFFFFFFFFFFFFFF", V(int64_t{-1}), ""},
      {"double", "06 00000000000000 000000000000F03F", V(1.0), ""},
      {"string", "07 03 616263", V("abc"), ""},
      {"empty string", "07 00", V(""), ""},
      // Sizes switch width at 254 and at 65536.
      {"253 bytes", "08 FD" + zeros(253), V(Bytes(253)), ""},
      {"long string", long_string, V(std::string(254, '\xAA')), ""},
      {"65535 bytes", "08 FEFFFF" + zeros(65535), V(Bytes(65535)), ""},
      {"65536 bytes", "08 FF00000100" + zeros(65536), V(Bytes(65536)), ""},
      {"bytes", "08 02 0908", V(Bytes{9, 8}), ""},
      {"int32 list", "09 01 0000 01000000", V(std::vector<int32_t>{1}), ""},
      {"empty int32 list", "09 00 0000", V(std::vector<int32_t>{}), ""},
      {"int64 list", "0A 01 000000000000 0200000000000000", V(std::vector<int64_t>{2}), ""},
      {"empty double list", "0B 00 000000000000", V(std::vector<double>{}), ""},
      {"float list", "0E 01 0000 0000803F", V(std::vector<float>{1.0f}), ""},
      {"list", "0C 02 01 00", V(EncodableList{V(true), V()}), ""},
      {"map in key order", "0D 02 070161 01 070162 0301000000",
       V(EncodableMap{{V("b"), V(1)}, {V("a"), V(true)}}), ""},
      {"int key before string key", "0D 02 0301000000 00 070130 00",
       V(EncodableMap{{V("0"), V()}, {V(1), V()}}), ""},
      // Alignment counts from the buffer start, not the value's, also for empty typed lists.
      {"nested empty double list", "0C 02 0B00 00000000 01",
       V(EncodableList{V(std::vector<double>{}), V(true)}), ""},
      {"nested double", "0C 01 06 0000000000 000000000000F03F", V(EncodableList{V(1.0)}), ""},
      {"nested int32 list", "0C 01 09 01 07000000", V(EncodableList{V(std::vector<int32_t>{7})}),
       ""},
      // Damaged input: zeros and nulls for what is missing, one line per failed read.
      {"empty buffer", "", V(), kRead, false},
      {"short string", "07 05 6162", V(std::string(5, '\0')), kRead, false},
      {"short int32", "03 0102", V(0), kRead, false},
      {"double past end", "06 00", V(0.0), kRead, false},
      {"empty int32 list without padding", "09 00", V(std::vector<int32_t>{}), kRead, false},
      {"empty double list, short padding", "0B 00 00", V(std::vector<double>{}), kRead, false},
      {"empty byte list at the end", "08 00", V(Bytes{}), ""},
      {"list loses two elements", "0C 03 01", V(EncodableList{V(true), V(), V()}), kRead + kRead,
       false},
      {"short size", "07 FE01", V(""), kRead, false},
      {"type 5 reads as a string", "05 01 39", V("9"), "", false},
      {"unknown type", "0F", V(), kUnknown + "15\n", false},
      {"unknown type inside a list", "0C 02 C8 01", V(EncodableList{V(), V(true)}),
       kUnknown + "200\n", false},
      {"first duplicate key wins", "0D 02 01 0301000000 01 0302000000",
       V(EncodableMap{{V(true), V(1)}}), "", false},
      {"trailing bytes ignored", "01 0203", V(true), "", false},
      // A short tail is still filled; a longer claim on an exhausted message is cut with one line.
      {"string fill at the limit", "07 10", V(std::string(kFill, '\0')), kRead, false},
      {"string claim past the limit", "07 11", V(""), kRead, false},
      {"list fill at the limit", "0C 10", V(EncodableList(kFill)), fill_lines, false},
      {"list claim past the limit", "0C 12 01", V(EncodableList{V(true)}), kRead, false},
      {"map fill at the limit", "0D 10", V(EncodableMap{{V(), V()}}), fill_lines + fill_lines,
       false},
  };
  static_assert(kFill == 0x10, "the limit cases above spell the limit in hex");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CerrCapture cerr;
    EXPECT_EQ(Decode(Hex(c.hex)), c.value);
    EXPECT_EQ(c.encodes ? Encode(c.value) : Hex(c.hex), Hex(c.hex));
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

// A forged size of 2^32 - 1 in a 64-byte message decodes within the bound, in values and lines.
TEST(StandardCodecSerializerTest, HostileSizesAndNestingStayBounded) {
  const size_t bound = 64 * (StandardCodecSerializer::kMaxTruncationFill + 2);
  for (const uint8_t type : Bytes{5, 7, 8, 9, 10, 11, 12, 13, 14}) {
    for (const uint8_t filler : Bytes{0x00, 0x01, 0x0C, 0x0D}) {
      SCOPED_TRACE(::testing::Message() << int{type} << "/" << int{filler});
      Bytes message = {type, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
      message.insert(message.end(), 58, filler);
      CerrCapture cerr;
      const V value = Decode(message);
      const std::string text = cerr.Text();
      EXPECT_LE(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')), bound);
      EXPECT_LE(Encode(value).size(), bound);
    }
  }
  // Nesting deeper than the limit is cut with one line.
  const int depth = StandardCodecSerializer::kMaxNestingDepth;
  Bytes message;
  for (int i = 0; i < 20 * depth; ++i) message.insert(message.end(), {12, 1});
  const CerrCapture cerr;
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
