// The method channel end to end: calls encoded as the Dart side sends them, through the stand-in
// engine into the real plugin DLL, replies checked on the wire.
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "tests/plugin/plugin_fixture.h"

namespace orvane::plugin_test {
namespace {

using Kind = MethodReply::Kind;

constexpr char kInvalidState[] = "invalid_state";
constexpr char kSetInputModeMessage[] = "setInputMode needs `mode`: \"view\" or \"control\"";

struct ArgumentCase {
  const char* method;
  const char* key;
  EncodableValue goodValue;
  EncodableValue otherScalar;  // the scalar type the argument is not
  const char* message;
};

class PluginMethodTest : public PluginTest {
 protected:
  void SetUp() override { StartHost(); }
};

TEST_F(PluginMethodTest, ArgumentMethods_AcceptTheirArgumentAndRefuseEveryOtherShape) {
  const EncodableValue text("true");
  const EncodableValue flag(true);
  const ArgumentCase cases[] = {
      {"injectInput", "json", EncodableValue("not json at all"), flag,
       "injectInput needs a string `json` argument"},
      {"setPeerConnected", "connected", EncodableValue(false), text,
       "setPeerConnected needs a bool `connected` argument"},
      {"setInputMode", "mode", EncodableValue("control"), flag, kSetInputModeMessage},
      {"clipboardWrite", "text", EncodableValue("plugin test"), flag,
       "clipboardWrite needs a string `text` argument"},
      {"setAlwaysOnTop", "onTop", EncodableValue(false), text,
       "setAlwaysOnTop needs a bool `onTop` argument"},
  };
  for (const ArgumentCase& c : cases) {
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
  // The mode is one of the exact lower-case words.
  EXPECT_EQ(Call("setInputMode", Arg("mode", EncodableValue("view"))).bytes, SuccessNullEnvelope());
  for (const char* mode : {"View", "control ", "CONTROL", "", "viewer"}) {
    EXPECT_EQ(Call("setInputMode", Arg("mode", EncodableValue(mode))).bytes,
              ErrorEnvelope(kInvalidState, kSetInputModeMessage, std::nullopt))
        << '"' << mode << '"';
  }
}

TEST_F(PluginMethodTest, ArgumentFreeMethods_SucceedWithTheirFixedValues) {
  for (const char* method : {"openPrivacySettings", "sendClipboard", "releaseHeldInput"}) {
    EXPECT_EQ(Call(method).bytes, SuccessNullEnvelope()) << method;
  }
  const EncodableValue granted(EncodableMap{{EncodableValue("screenRecording"), true},
                                            {EncodableValue("inputControl"), true}});
  const MethodReply permissions = Call("getPermissions");
  ASSERT_EQ(permissions.kind, Kind::Success);
  EXPECT_EQ(permissions.value, granted);

  // The name's value is checked at the service level; here its type on the wire.
  const MethodReply name = Call("getComputerName");
  ASSERT_EQ(name.kind, Kind::Success) << name.errorCode;
  ASSERT_NE(std::get_if<std::string>(&name.value), nullptr);
  EXPECT_FALSE(std::get<std::string>(name.value).empty());
  // A 64-bit integer on the wire, whatever its size.
  const MethodReply count = Call("clipboardChangeCount");
  ASSERT_GE(count.bytes.size(), 2u);
  EXPECT_EQ(count.bytes[1], 4);
}

TEST_F(PluginMethodTest, SendInputIsAlwaysRefusedAndUnknownNamesAreNotImplemented) {
  const std::vector<std::uint8_t> refusal = ErrorEnvelope(
      kInvalidState,
      "sendInput is the controller's method and is handled in Dart on Windows "
      "(FlutterWebrtcPeerBridge.sendInput). The host's injection method is injectInput",
      std::nullopt);
  EXPECT_EQ(Call("sendInput").bytes, refusal);
  EXPECT_EQ(Call("sendInput", Arg("json", EncodableValue("{}"))).bytes, refusal);

  for (const char* method : {"Quit", "", "getcomputername", "sendinput", "injectInput ", "nope"}) {
    const MethodReply reply = Call(method);
    EXPECT_EQ(reply.kind, Kind::NotImplemented) << '"' << method << '"';
    EXPECT_TRUE(reply.bytes.empty());
  }
}

TEST_F(PluginMethodTest, Clipboard_HeldOpenElsewhereIsBusyAndUnchanged) {
  ASSERT_EQ(Call("clipboardWrite", Arg("text", EncodableValue("kept"))).kind, Kind::Success);
  const MethodReply before = Call("clipboardChangeCount");
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
  EXPECT_EQ(Call("clipboardWrite", Arg("text", EncodableValue("lost"))).bytes, busy);
  EXPECT_EQ(Call("clipboardChangeCount").value, before.value);
  release.set_value();
  holder.join();
  EXPECT_EQ(Call("clipboardRead").value, EncodableValue("kept"));
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
