// The clipboard bridge on the real clipboard; busy and failure replies go through the plugin.
#include "clipboard.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

namespace orvane_native {
namespace {

using ClipboardEntry = std::pair<UINT, std::string>;  // a format and its bytes

const UINT kExclude = RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing");
const UINT kHistory = RegisterClipboardFormatW(L"CanIncludeInClipboardHistory");
const std::string kZero(4, '\0');
const std::string kOne("\1\0\0\0", 4);

std::string TextBytes(std::wstring_view text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)) +
         std::string(sizeof(wchar_t), '\0');
}

// Replaces the clipboard's content with the entries, the way another application would.
bool PutOnClipboard(const std::vector<ClipboardEntry>& entries) {
  if (!OpenClipboard(nullptr)) return false;
  bool ok = EmptyClipboard() != FALSE;
  for (const auto& [format, bytes] : entries) {
    const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    void* const data = block != nullptr ? GlobalLock(block) : nullptr;
    if (data != nullptr) {
      std::memcpy(data, bytes.data(), bytes.size());
      GlobalUnlock(block);
    }
    ok = ok && data != nullptr && SetClipboardData(format, block) != nullptr;
  }
  CloseClipboard();
  return ok;
}

TEST(ClipboardTest, ClipboardRead_HonoursPrivacyMarkers) {
  struct Case {
    const char* name;
    std::vector<ClipboardEntry> content;
    std::optional<std::string> expected;
    bool markedPrivate = false;
  };
  const std::string hello = TextBytes(L"hello");
  const Case cases[] = {
      {"plain text", {{CF_UNICODETEXT, hello}}, "hello"},
      {"excluded from monitoring", {{CF_UNICODETEXT, hello}, {kExclude, kOne}}, {}, true},
      {"history forbidden", {{CF_UNICODETEXT, hello}, {kHistory, kZero}}, {}, true},
      {"history allowed", {{CF_UNICODETEXT, hello}, {kHistory, kOne}}, "hello"},
      {"history marker too short", {{CF_UNICODETEXT, hello}, {kHistory, kZero.substr(2)}}, "hello"},
      {"empty text", {{CF_UNICODETEXT, TextBytes(L"")}}, ""},
      {"no text", {{kHistory, kOne}}, {}},
      {"unpaired surrogate",
       {{CF_UNICODETEXT, TextBytes(std::wstring{L'a', 0xD800, L'b'})}},
       "a\xEF\xBF\xBD"
       "b"},
      {"text ends at its first NUL",
       {{CF_UNICODETEXT, TextBytes(std::wstring(L"one\0two", 7))}},
       "one"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(PutOnClipboard(c.content)) << c.name;
    const ClipboardReadResult result = ClipboardRead(nullptr);
    EXPECT_FALSE(result.error.has_value()) << c.name;
    EXPECT_EQ(result.text, c.expected) << c.name;
    EXPECT_EQ(result.markedPrivate, c.markedPrivate) << c.name;
  }
}

// Each write starts from content marked private: the write must replace it, marker and all.
TEST(ClipboardTest, ClipboardWrite_ReplacesEverythingAndRoundTrips) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"line\r\nbreak \xE2\x82\xAC \xF0\x9F\x98\x80",
       "line\r\nbreak \xE2\x82\xAC \xF0\x9F\x98\x80"},
      {"a\xFF", "a\xEF\xBF\xBD"},  // ill-formed UTF-8 becomes the replacement character
  };
  for (const auto& [written, read] : cases) {
    ASSERT_TRUE(PutOnClipboard({{CF_UNICODETEXT, TextBytes(L"secret")}, {kExclude, "x"}}));
    const std::int64_t before = ClipboardChangeCount();
    EXPECT_FALSE(ClipboardWrite(nullptr, written).has_value()) << written;
    EXPECT_NE(ClipboardChangeCount(), before) << written;
    EXPECT_EQ(ClipboardRead(nullptr).text, std::optional<std::string>(read));
  }
}

}  // namespace
}  // namespace orvane_native
