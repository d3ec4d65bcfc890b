// Tests of the clipboard bridge against the system's real clipboard.
#include "clipboard.h"

#include <gtest/gtest.h>

#include <cstring>
#include <future>
#include <thread>
#include <vector>

namespace orvane_native {
namespace {

struct ClipboardEntry {
  UINT format;
  std::string bytes;
};

UINT ExcludeFormat() {
  return RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing");
}
UINT HistoryFormat() { return RegisterClipboardFormatW(L"CanIncludeInClipboardHistory"); }

std::string TextBytes(std::wstring_view text) {
  std::string bytes(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
  bytes.append(sizeof(wchar_t), '\0');
  return bytes;
}

std::string ValueBytes(std::uint32_t value) {
  return std::string(reinterpret_cast<const char*>(&value), sizeof(value));
}

// Replaces the clipboard's content with the entries, the way another application would.
bool PutOnClipboard(const std::vector<ClipboardEntry>& entries) {
  if (!OpenClipboard(nullptr)) return false;
  bool ok = EmptyClipboard() != FALSE;
  for (const ClipboardEntry& entry : entries) {
    const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, entry.bytes.size());
    void* const data = block != nullptr ? GlobalLock(block) : nullptr;
    if (data == nullptr) {
      if (block != nullptr) GlobalFree(block);
      ok = false;
      continue;
    }
    std::memcpy(data, entry.bytes.data(), entry.bytes.size());
    GlobalUnlock(block);
    if (SetClipboardData(entry.format, block) == nullptr) {
      GlobalFree(block);
      ok = false;
    }
  }
  CloseClipboard();
  return ok;
}

// Another thread's window holds the clipboard open until the object is destroyed.
class ClipboardHolder {
 public:
  ClipboardHolder() {
    std::promise<bool> opened;
    thread_ = std::thread([this, &opened] {
      const HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                          nullptr, nullptr);
      const bool holdsClipboard = OpenClipboard(window) != FALSE;
      opened.set_value(window != nullptr && holdsClipboard);
      release_.get_future().wait();
      if (holdsClipboard) CloseClipboard();
      DestroyWindow(window);
    });
    holding_ = opened.get_future().get();
  }
  ~ClipboardHolder() {
    release_.set_value();
    thread_.join();
  }

  bool holding() const { return holding_; }

 private:
  std::promise<void> release_;
  std::thread thread_;
  bool holding_ = false;
};

TEST(ClipboardTest, ClipboardRead_HonoursPrivacyMarkers) {
  struct Case {
    const char* name;
    std::vector<ClipboardEntry> content;
    std::optional<std::string> expected;
  };
  const std::string hello = TextBytes(L"hello");
  const Case cases[] = {
      {"plain text", {{CF_UNICODETEXT, hello}}, "hello"},
      {"excluded from monitoring", {{CF_UNICODETEXT, hello}, {ExcludeFormat(), ValueBytes(1)}}, {}},
      {"history forbidden", {{CF_UNICODETEXT, hello}, {HistoryFormat(), ValueBytes(0)}}, {}},
      {"history allowed", {{CF_UNICODETEXT, hello}, {HistoryFormat(), ValueBytes(1)}}, "hello"},
      {"history marker too short",
       {{CF_UNICODETEXT, hello}, {HistoryFormat(), std::string(2, '\0')}},
       "hello"},
      {"empty text", {{CF_UNICODETEXT, TextBytes(L"")}}, ""},
      {"no text", {{HistoryFormat(), ValueBytes(1)}}, {}},
      {"text ends at its first NUL",
       {{CF_UNICODETEXT, TextBytes(std::wstring(L"one\0two", 7))}},
       "one"},
      {"unpaired surrogate",
       {{CF_UNICODETEXT, TextBytes(std::wstring{L'a', 0xD800, L'b'})}},
       "a\xEF\xBF\xBD"
       "b"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(PutOnClipboard(c.content)) << c.name;
    const ClipboardReadResult result = ClipboardRead(nullptr);
    EXPECT_FALSE(result.error.has_value()) << c.name;
    EXPECT_EQ(result.text, c.expected) << c.name;
  }
}

TEST(ClipboardTest, ClipboardWrite_RoundTripsAndMovesTheChangeCount) {
  const std::string texts[] = {
      "plain",
      "",
      "grinning \xF0\x9F\x98\x80 and clef \xF0\x9D\x84\x9E",
      "line\r\nbreak \xE2\x82\xAC",
  };
  for (const std::string& text : texts) {
    const std::int64_t before = ClipboardChangeCount();
    EXPECT_FALSE(ClipboardWrite(nullptr, text).has_value()) << text;
    EXPECT_NE(ClipboardChangeCount(), before) << text;
    const ClipboardReadResult result = ClipboardRead(nullptr);
    EXPECT_FALSE(result.error.has_value());
    EXPECT_EQ(result.text, std::optional<std::string>(text));
  }
}

TEST(ClipboardTest, ClipboardWrite_ReplacesPrivateContentWithPlainText) {
  ASSERT_TRUE(PutOnClipboard({{CF_UNICODETEXT, TextBytes(L"secret")}, {ExcludeFormat(), "x"}}));
  ASSERT_FALSE(ClipboardWrite(nullptr, "public").has_value());
  EXPECT_FALSE(IsClipboardFormatAvailable(ExcludeFormat()));
  EXPECT_EQ(ClipboardRead(nullptr).text, std::optional<std::string>("public"));
}

TEST(ClipboardTest, ClipboardHeldByAnotherWindow_IsBusyAndUnchanged) {
  ASSERT_TRUE(PutOnClipboard({{CF_UNICODETEXT, TextBytes(L"kept")}}));
  {
    const ClipboardHolder holder;
    ASSERT_TRUE(holder.holding());
    const std::int64_t before = ClipboardChangeCount();

    const ClipboardReadResult read = ClipboardRead(nullptr);
    ASSERT_TRUE(read.error.has_value());
    EXPECT_EQ(read.error->code, "clipboard_busy");
    EXPECT_EQ(read.error->message, "OpenClipboard failed");
    EXPECT_FALSE(read.error->win32Error.has_value());
    EXPECT_FALSE(read.text.has_value());

    const std::optional<ServiceError> write = ClipboardWrite(nullptr, "lost");
    ASSERT_TRUE(write.has_value());
    EXPECT_EQ(write->code, "clipboard_busy");
    EXPECT_EQ(write->message, "OpenClipboard failed");
    EXPECT_FALSE(write->win32Error.has_value());
    EXPECT_EQ(ClipboardChangeCount(), before);
  }
  EXPECT_EQ(ClipboardRead(nullptr).text, std::optional<std::string>("kept"));
}

}  // namespace
}  // namespace orvane_native
