// The method channel end to end into the real plugin DLL; every refusal and failure exactly.
#include <cstring>
#include <future>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/plugin/plugin_fixture.h"

namespace orvane::plugin_test {
namespace {

constexpr char kInvalidState[] = "invalid_state";
constexpr char kSetInputModeMessage[] = "setInputMode needs `mode`: \"view\" or \"control\"";
// Above INT32_MAX: a reply that took it for a signed 32-bit value would carry a negative number.
constexpr DWORD kHighError = 0x8000FFFF;
// A success carrying null, byte for byte.
const std::vector<std::uint8_t> kNullSuccess{0, 0};

void ExpectError(const MethodReply& reply, const std::string& code, const std::string& message,
                 const EncodableValue& details = EncodableValue()) {
  EXPECT_EQ(reply.kind, Kind::Error);
  EXPECT_EQ(reply.errorCode, code);
  EXPECT_EQ(reply.errorMessage, message);
  EXPECT_EQ(reply.errorDetails, details);
}

class PluginMethodTest : public PluginTest {
 protected:
  void SetUp() override { StartHost(); }
};

TEST_F(PluginMethodTest, ArgumentMethods_AcceptTheirArgumentAndRefuseEveryOtherShape) {
  const struct {
    const char* method;
    const char* key;
    EncodableValue good;
    EncodableValue otherScalar;  // the scalar type the argument is not
    const char* message;
  } cases[] = {
      {"injectInput", "json", EncodableValue("not json at all"), EncodableValue(true),
       "injectInput needs a string `json` argument"},
      {"setPeerConnected", "connected", EncodableValue(false), EncodableValue("true"),
       "setPeerConnected needs a bool `connected` argument"},
      {"setInputMode", "mode", EncodableValue("control"), EncodableValue(true),
       kSetInputModeMessage},
      {"clipboardWrite", "text", EncodableValue("plugin test"), EncodableValue(true),
       "clipboardWrite needs a string `text` argument"},
      {"setAlwaysOnTop", "onTop", EncodableValue(false), EncodableValue("true"),
       "setAlwaysOnTop needs a bool `onTop` argument"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.method);
    // Extra keys are ignored.
    const EncodableValue extra(
        EncodableMap{{EncodableValue(c.key), c.good}, {EncodableValue("x"), 1}});
    EXPECT_EQ(Call(c.method, extra).bytes, kNullSuccess);
    ExpectError(Call(c.method), kInvalidState, c.message);
    for (const EncodableValue& bad : {
             EncodableValue(), EncodableValue(flutter::EncodableList{c.good}),  // not a map
             EncodableValue(EncodableMap{}), Arg("other", c.good), Arg(c.key, EncodableValue()),
             Arg(c.key, c.otherScalar), Arg(c.key, EncodableValue(std::int32_t{1})),
             Arg(c.key, EncodableValue(std::int64_t{0})),
             EncodableValue(EncodableMap{{EncodableValue(7), c.good}}),  // key not a string
         }) {
      ExpectError(Call(c.method, bad), kInvalidState, c.message);
    }
  }
  // The mode is one of the exact lower-case words ("view" is replayed by the input session).
  for (const char* mode : {"control ", "CONTROL", "", "viewer"}) {
    ExpectError(Call("setInputMode", Arg("mode", EncodableValue(mode))), kInvalidState,
                kSetInputModeMessage);
  }
}

TEST_F(PluginMethodTest, FixedAnswersRefusalsAndUnknownNames) {
  for (const char* method : {"openPrivacySettings", "sendClipboard", "releaseHeldInput"}) {
    EXPECT_EQ(Call(method).bytes, kNullSuccess) << method;
  }
  // The DNS host name, not the upper-case NetBIOS name.
  char name[256] = {};
  DWORD size = sizeof(name);
  ASSERT_TRUE(GetComputerNameExA(ComputerNameDnsHostname, name, &size));
  EXPECT_EQ(Call("getComputerName").value, EncodableValue(std::string(name)));
  EXPECT_TRUE(std::holds_alternative<std::int64_t>(Call("clipboardChangeCount").value));
  ExpectError(Call("sendInput", Arg("json", EncodableValue("{}"))), kInvalidState,
              "sendInput is the controller's method and is handled in Dart on Windows "
              "(FlutterWebrtcPeerBridge.sendInput). The host's injection method is injectInput");
  // Not implemented is the empty reply.
  for (const char* method : {"Quit", "", "getcomputername", "sendinput", "injectInput ", "nope"}) {
    EXPECT_EQ(Call(method).kind, Kind::NotImplemented) << '"' << method << '"';
  }
}

// Four edges; an edge left null is missing.
EncodableValue Rect(EncodableValue left, EncodableValue top, EncodableValue right,
                    EncodableValue bottom) {
  EncodableMap map;
  const std::pair<const char*, EncodableValue> edges[] = {
      {"left", left}, {"top", top}, {"right", right}, {"bottom", bottom}};
  for (const auto& [key, value] : edges) {
    if (!value.IsNull()) map.emplace(EncodableValue(key), value);
  }
  return EncodableValue(map);
}

TEST_F(PluginMethodTest, SetCaptureRect_TakesFourIntegerEdgesOfEitherWidthOrNull) {
  constexpr char kMessage[] =
      "setCaptureRect needs integer `left`, `top`, `right` and `bottom` with right > left and "
      "bottom > top, or null arguments for the primary display";
  const EncodableValue wide(std::int64_t{-1024});
  // The recorded display session sets an ordinary rectangle and null.
  EXPECT_EQ(Call("setCaptureRect", Rect(wide, -768, 0, 1)).bytes, kNullSuccess);
  const EncodableValue beyond32(std::int64_t{0x80000000LL});
  for (const EncodableValue& bad : {
           Rect(0, 10, 1280, 9),
           Rect(0, 0, 1280, EncodableValue()),
           Rect(0, 0, beyond32, 1024),
           Rect(0.0, 0, 1280, 1024),
           Rect("0", 0, 1280, 1024),
           Rect(false, 0, 1280, 1024),
           EncodableValue(EncodableMap{}),
           EncodableValue(flutter::EncodableList{0, 0, 1280, 1024}),
       }) {
    ExpectError(Call("setCaptureRect", bad), kInvalidState, kMessage);
  }
}

// Failures the system cannot be made to produce here are provoked at the plugin's imports.
BOOL WINAPI FailComputerName(COMPUTER_NAME_FORMAT, LPWSTR, LPDWORD) {
  SetLastError(kHighError);
  return FALSE;
}
BOOL WINAPI ReportNoComputerName(COMPUTER_NAME_FORMAT, LPWSTR, LPDWORD size) {
  *size = 0;
  SetLastError(ERROR_MORE_DATA);
  return FALSE;
}
HANDLE WINAPI FailSetClipboardData(UINT, HANDLE) {
  SetLastError(kHighError);
  return nullptr;
}
BOOL WINAPI FailEnumDisplayMonitors(HDC, LPCRECT, MONITORENUMPROC, LPARAM) {
  SetLastError(kHighError);
  return FALSE;
}
BOOL WINAPI FailGetMonitorInfo(HMONITOR, LPMONITORINFO) {
  SetLastError(kHighError);
  return FALSE;
}

TEST_F(PluginMethodTest, SystemFailures_AreReportedWithTheirWin32Code) {
  constexpr char kNameFailed[] = "GetComputerNameExW(ComputerNamePhysicalDnsHostname) failed";
  const EncodableValue highError(std::int64_t{kHighError});
  const HMODULE plugin = GetModuleHandleW(runner::kPluginLibraryName);
  ASSERT_EQ(Call("clipboardWrite", Arg("text", EncodableValue("before"))).kind, Kind::Success);
  for (const auto& [fake, details] :
       {std::pair{&FailComputerName, highError},
        std::pair{&ReportNoComputerName, EncodableValue(std::int64_t{ERROR_INVALID_DATA})}}) {
    const ImportPatch patch(plugin, &GetComputerNameExW, fake);
    ExpectError(Call("getComputerName"), "computer_name_failed", kNameFailed, details);
  }
  {
    const ImportPatch patch(plugin, &SetClipboardData, &FailSetClipboardData);
    ExpectError(Call("clipboardWrite", Arg("text", EncodableValue("lost"))),
                "clipboard_write_failed", "SetClipboardData failed", highError);
  }
  {
    const ImportPatch patch(plugin, &EnumDisplayMonitors, &FailEnumDisplayMonitors);
    ExpectError(Call("getDisplays"), "displays_unavailable", "EnumDisplayMonitors failed",
                highError);
  }
  {
    const ImportPatch patch(plugin, &GetMonitorInfoW, &FailGetMonitorInfo);
    ExpectError(Call("getDisplays"), "displays_unavailable", "GetMonitorInfoW failed", highError);
  }
  // The failed write had emptied the clipboard already: no text, answered with null.
  EXPECT_EQ(Call("clipboardRead").bytes, kNullSuccess);
}

TEST_F(PluginMethodTest, Clipboard_HeldOpenElsewhereIsBusyAndUnchanged) {
  ASSERT_EQ(Call("clipboardWrite", Arg("text", EncodableValue("kept"))).kind, Kind::Success);
  const EncodableValue count = Call("clipboardChangeCount").value;
  // Another thread holds the clipboard open, as another application would.
  std::promise<bool> opened;
  std::promise<void> release;
  std::thread holder([&] {
    opened.set_value(OpenClipboard(nullptr) != FALSE);
    release.get_future().wait();
    CloseClipboard();
  });
  EXPECT_TRUE(opened.get_future().get());
  ExpectError(Call("clipboardRead"), "clipboard_busy", "OpenClipboard failed");
  ExpectError(Call("clipboardRead", Arg("detail", true)), "clipboard_busy", "OpenClipboard failed");
  ExpectError(Call("clipboardWrite", Arg("text", EncodableValue("lost"))), "clipboard_busy",
              "OpenClipboard failed");
  EXPECT_EQ(Call("clipboardChangeCount").value, count);
  release.set_value();
  holder.join();
  EXPECT_EQ(Call("clipboardRead").value, EncodableValue("kept"));
}

// The detailed read tells content marked private from no text; the plain read cannot.
TEST_F(PluginMethodTest, ClipboardReadDetail_TellsPrivateContentFromNoText) {
  const auto detail = [](EncodableValue text, bool markedPrivate) {
    return EncodableValue(EncodableMap{{EncodableValue("private"), EncodableValue(markedPrivate)},
                                       {EncodableValue("text"), std::move(text)}});
  };
  ASSERT_EQ(Call("clipboardWrite", Arg("text", EncodableValue("shown"))).kind, Kind::Success);
  // The recorded Dart-side session reads plain text in detail.
  EXPECT_EQ(Call("clipboardRead", Arg("detail", false)).value, EncodableValue("shown"));
  // Another application puts text there marked as not to be monitored.
  const auto put = [](UINT format, const std::wstring& units) {
    const std::size_t bytes = (units.size() + 1) * sizeof(wchar_t);
    const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    void* const data = block != nullptr ? GlobalLock(block) : nullptr;
    if (data != nullptr) std::memcpy(data, units.c_str(), bytes);
    if (data != nullptr) GlobalUnlock(block);
    return data != nullptr && SetClipboardData(format, block) != nullptr;
  };
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  EXPECT_TRUE(put(CF_UNICODETEXT, L"hidden"));
  EXPECT_TRUE(put(RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing"), L""));
  CloseClipboard();
  EXPECT_EQ(Call("clipboardRead", Arg("detail", true)).value, detail(EncodableValue(), true));
  EXPECT_EQ(Call("clipboardRead").bytes, kNullSuccess);
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
  EXPECT_EQ(Call("clipboardRead", Arg("detail", true)).value, detail(EncodableValue(), false));
}

}  // namespace
}  // namespace orvane::plugin_test
