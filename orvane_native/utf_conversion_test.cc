// Tests of the UTF-8 <-> UTF-16 conversions, valid and ill-formed input.
#include "utf_conversion.h"

#include <gtest/gtest.h>

#include <string>

namespace orvane_native {
namespace {

struct RoundTripCase {
  const char* name;
  std::string utf8;
  std::wstring utf16;
};

TEST(UtfConversionTest, WellFormedTextConvertsBothWays) {
  const RoundTripCase cases[] = {
      {"empty", "", L""},
      {"ascii", "orvane", L"orvane"},
      {"two-byte", "caf\xC3\xA9", L"caf\u00E9"},
      {"three-byte", "\xE2\x82\xAC 5", L"\u20AC 5"},
      {"outside the BMP", "\xF0\x9F\x98\x80!", std::wstring{0xD83D, 0xDE00, L'!'}},
      {"embedded NUL", std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
  };
  for (const RoundTripCase& c : cases) {
    EXPECT_EQ(Utf16FromUtf8(c.utf8), c.utf16) << c.name;
    EXPECT_EQ(Utf8FromUtf16(c.utf16), c.utf8) << c.name;
  }
}

TEST(UtfConversionTest, IllFormedInputBecomesReplacementCharacter) {
  const std::string kReplacement8 = "\xEF\xBF\xBD";
  const wchar_t kReplacement16 = 0xFFFD;

  EXPECT_EQ(Utf8FromUtf16(std::wstring{L'a', 0xD800, L'b'}), "a" + kReplacement8 + "b");
  EXPECT_EQ(Utf8FromUtf16(std::wstring{0xDC00}), kReplacement8);
  EXPECT_EQ(Utf8FromUtf16(std::wstring{L'x', 0xD83D}), "x" + kReplacement8);

  EXPECT_EQ(Utf16FromUtf8("a\xFF"
                          "b"),
            (std::wstring{L'a', kReplacement16, L'b'}));
  EXPECT_EQ(Utf16FromUtf8("\xC3"), std::wstring(1, kReplacement16));
}

}  // namespace
}  // namespace orvane_native
