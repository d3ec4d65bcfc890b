// The method channel end to end: calls encoded as the Dart side sends them, through the stand-in
// engine into the real plugin DLL, replies checked on the wire.
#include <winsock2.h>

#include <future>
#include <string>
#include <thread>
#include <vector>

#include "tests/plugin/plugin_fixture.h"

namespace orvane::plugin_test {
namespace {

using Kind = MethodReply::Kind;

constexpr char kInvalidState[] = "invalid_state";
constexpr char kInjectInputMessage[] = "injectInput needs a string `json` argument";
constexpr char kSetPeerConnectedMessage[] = "setPeerConnected needs a bool `connected` argument";
constexpr char kSetInputModeMessage[] = "setInputMode needs `mode`: \"view\" or \"control\"";
constexpr char kClipboardWriteMessage[] = "clipboardWrite needs a string `text` argument";
constexpr char kSetAlwaysOnTopMessage[] = "setAlwaysOnTop needs a bool `onTop` argument";

struct ArgumentCase {
  const char* method;
  const char* key;
  EncodableValue goodValue;
  EncodableValue otherScalar;  // the scalar type the argument is not
  const char* message;
};

// Each method with its argument, a value it accepts, one of the wrong type, and its refusal.
std::vector<ArgumentCase> ArgumentCases() {
  const EncodableValue text("true");
  const EncodableValue flag(true);
  return {
      {"injectInput", "json", EncodableValue("not json at all"), flag, kInjectInputMessage},
      {"setPeerConnected", "connected", EncodableValue(false), text, kSetPeerConnectedMessage},
      {"setInputMode", "mode", EncodableValue("control"), flag, kSetInputModeMessage},
      {"clipboardWrite", "text", EncodableValue("plugin test"), flag, kClipboardWriteMessage},
      {"setAlwaysOnTop", "onTop", EncodableValue(false), text, kSetAlwaysOnTopMessage},
  };
}

class PluginMethodTest : public PluginTest {
 protected:
  void SetUp() override { StartHost(); }
};

TEST_F(PluginMethodTest, ArgumentMethods_AcceptTheirArgumentAndRefuseEveryOtherShape) {
  for (const ArgumentCase& c : ArgumentCases()) {
    SCOPED_TRACE(c.method);
    const EncodableValue key(c.key);
    // Extra keys are ignored.
    EXPECT_EQ(Call(c.method, Args({{key, c.goodValue}, {EncodableValue("extra"), 1}})).bytes,
              SuccessNullEnvelope());

    const EncodableValue badShapes[] = {
        EncodableValue(),                                                 // null arguments
        EncodableValue(flutter::EncodableList{c.goodValue}),              // a list, not a map
        Args({}),                                                         // key missing
        Args({{EncodableValue(c.key + std::string("X")), c.goodValue}}),  // other key
        Args({{key, EncodableValue()}}),                                  // null value
        Args({{key, c.otherScalar}}),
        Args({{key, EncodableValue(std::int32_t{1})}}),  // an integer is neither
        Args({{key, EncodableValue(std::int64_t{0})}}),
        Args({{EncodableValue(std::int32_t{7}), c.goodValue}}),  // key not a string
    };
    const std::vector<std::uint8_t> refusal = ErrorEnvelope(kInvalidState, c.message, std::nullopt);
    EXPECT_EQ(Call(c.method).bytes, refusal) << "no arguments";
    for (const EncodableValue& bad : badShapes) EXPECT_EQ(Call(c.method, bad).bytes, refusal);
  }
}

TEST_F(PluginMethodTest, SetInputMode_AcceptsOnlyTheExactLowerCaseWords) {
  for (const char* mode : {"view", "control"}) {
    EXPECT_EQ(Call("setInputMode", Args({{EncodableValue("mode"), EncodableValue(mode)}})).bytes,
              SuccessNullEnvelope())
        << mode;
  }
  for (const char* mode : {"View", "control ", "CONTROL", "", "viewer"}) {
    EXPECT_EQ(Call("setInputMode", Args({{EncodableValue("mode"), EncodableValue(mode)}})).bytes,
              ErrorEnvelope(kInvalidState, kSetInputModeMessage, std::nullopt))
        << '"' << mode << '"';
  }
}

TEST_F(PluginMethodTest, ArgumentFreeMethods_SucceedWithTheirFixedValues) {
  for (const char* method : {"openPrivacySettings", "sendClipboard", "releaseHeldInput"}) {
    EXPECT_EQ(Call(method).bytes, SuccessNullEnvelope()) << method;
  }
  // A reason that is not a string falls back to the default rather than being refused.
  EXPECT_EQ(Call("releaseHeldInput", Args({{EncodableValue("reason"), 5}})).bytes,
            SuccessNullEnvelope());

  const EncodableValue granted(EncodableMap{{EncodableValue("screenRecording"), true},
                                            {EncodableValue("inputControl"), true}});
  for (int i = 0; i < 2; ++i) {
    const MethodReply reply = Call("getPermissions");
    ASSERT_EQ(reply.kind, Kind::Success);
    EXPECT_EQ(reply.value, granted);
  }
}

TEST_F(PluginMethodTest, SendInput_IsAlwaysRefused) {
  const std::vector<std::uint8_t> refusal = ErrorEnvelope(
      kInvalidState,
      "sendInput is the controller's method and is handled in Dart on Windows "
      "(FlutterWebrtcPeerBridge.sendInput). The host's injection method is injectInput",
      std::nullopt);
  EXPECT_EQ(Call("sendInput").bytes, refusal);
  EXPECT_EQ(Call("sendInput", Args({{EncodableValue("json"), EncodableValue("{}")}})).bytes,
            refusal);
}

TEST_F(PluginMethodTest, UnknownNames_AreNotImplemented) {
  for (const char* method : {"Quit", "", "getcomputername", "sendinput", "injectInput ", "nope"}) {
    const MethodReply reply = Call(method);
    EXPECT_EQ(reply.kind, Kind::NotImplemented) << '"' << method << '"';
    EXPECT_TRUE(reply.bytes.empty());
  }
}

// Learned without GetComputerNameExW; cut at any domain suffix.
std::string SocketHostName() {
  constexpr int kNameBytes = 256;
  char name[kNameBytes] = {};
  WSADATA data{};
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return {};
  const bool ok = gethostname(name, kNameBytes) == 0;
  WSACleanup();
  const std::string full = ok ? name : "";
  return full.substr(0, full.find('.'));
}

TEST_F(PluginMethodTest, GetComputerName_IsTheMachinesHostName) {
  const MethodReply reply = Call("getComputerName");
  ASSERT_EQ(reply.kind, Kind::Success) << reply.errorCode;
  const auto* name = std::get_if<std::string>(&reply.value);
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(*name, SocketHostName());
}

TEST_F(PluginMethodTest, Clipboard_WriteThenReadRoundTripsAndCounts) {
  const MethodReply before = Call("clipboardChangeCount");
  ASSERT_EQ(before.kind, Kind::Success);
  // A 64-bit integer on the wire, whatever its size.
  ASSERT_GE(before.bytes.size(), 2u);
  EXPECT_EQ(before.bytes[1], 4);

  const std::string text = "h\xC3\xA9llo, \xE2\x82\xAC";  // non-ASCII survives both conversions
  EXPECT_EQ(Call("clipboardWrite", Args({{EncodableValue("text"), EncodableValue(text)}})).bytes,
            SuccessNullEnvelope());
  const MethodReply read = Call("clipboardRead");
  ASSERT_EQ(read.kind, Kind::Success);
  EXPECT_EQ(read.value, EncodableValue(text));

  const MethodReply after = Call("clipboardChangeCount");
  EXPECT_GT(std::get<std::int64_t>(after.value), std::get<std::int64_t>(before.value));
}

TEST_F(PluginMethodTest, Clipboard_HeldOpenElsewhereIsBusy) {
  // Another thread holds the clipboard open, as another application would.
  std::promise<bool> opened;
  std::promise<void> release;
  std::thread holder([&] {
    const bool ok = OpenClipboard(nullptr) != FALSE;
    opened.set_value(ok);
    if (!ok) return;
    release.get_future().wait();
    CloseClipboard();
  });
  if (!opened.get_future().get()) {
    holder.join();
    FAIL() << "the helper thread could not open the clipboard";
  }
  const std::vector<std::uint8_t> busy =
      ErrorEnvelope("clipboard_busy", "OpenClipboard failed", std::nullopt);
  EXPECT_EQ(Call("clipboardRead").bytes, busy);
  EXPECT_EQ(Call("clipboardWrite", Args({{EncodableValue("text"), EncodableValue("x")}})).bytes,
            busy);
  release.set_value();
  holder.join();
}

TEST_F(PluginMethodTest, EventChannel_ListenTwiceThenCancel_CancelWithoutListenIsRefused) {
  runner::MethodCallClient& events = host_->events();
  EXPECT_EQ(events.Call("cancel").bytes,
            ErrorEnvelope("error", "No active stream to cancel", std::nullopt));
  EXPECT_EQ(events.Call("listen").bytes, SuccessNullEnvelope());
  EXPECT_EQ(events.Call("listen").bytes, SuccessNullEnvelope());
  EXPECT_EQ(events.Call("cancel").bytes, SuccessNullEnvelope());
  EXPECT_EQ(events.Call("cancel").kind, Kind::Error);
  // Nothing is ever sent on the channel.
  EXPECT_FALSE(host_->engine().TakeSent().has_value());
}

}  // namespace
}  // namespace orvane::plugin_test
