// The event channel end to end: what the real plugin DLL sends on "orvane_native/events", byte
// for byte, to whom, and what a stalled platform thread and the teardown do to it.
#include <cstdint>
#include <string>
#include <vector>

#include "orvane_native/orvane_native_plugin_c_api.h"
#include "runner/message_loop.h"
#include "tests/plugin/plugin_fixture.h"

namespace orvane::plugin_test {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kUsageLeftAlt = 0xE2;
constexpr std::uint32_t kUsageDelete = 0x4C;

// The standard codec's pieces of an event: a success envelope around a map, string keys first.
Bytes Envelope(std::uint8_t entries) { return {0x00, 0x0D, entries}; }
Bytes Str(const std::string& text) {
  Bytes bytes{0x07, static_cast<std::uint8_t>(text.size())};
  bytes.insert(bytes.end(), text.begin(), text.end());
  return bytes;
}
Bytes I64(std::uint8_t value) { return {0x04, value, 0, 0, 0, 0, 0, 0, 0}; }
Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}
Bytes Named(const std::string& event, const std::string& key, const std::string& value) {
  return Cat({Envelope(2), Str("event"), Str(event), Str(key), Str(value)});
}
// Under Wine no modifier reads as down, so every sweep sends all eight key-ups.
Bytes Released(const std::string& reason, std::uint8_t keys) {
  return Cat({Envelope(5), Str("buttons"), I64(0), Str("event"), Str("heldInputReleased"),
              Str("keys"), I64(keys), Str("reason"), Str(reason), Str("sweep"), I64(8)});
}

class PluginEventTest : public PluginTest {
 protected:
  void SetUp() override { StartHost(); }

  void Stream(const char* method) {
    ASSERT_EQ(host_->events().Call(method).bytes, (Bytes{0, 0})) << method;
  }
  void Release(const char* reason) {
    ASSERT_EQ(Call("releaseHeldInput", Arg("reason", EncodableValue(reason))).kind, Kind::Success);
  }
  void Frame(const std::string& frame) {
    ASSERT_EQ(Call("injectInput", Arg("json", EncodableValue(frame))).kind, Kind::Success);
  }
  // Waits on the injection thread's work without running the platform thread's messages.
  void ReleaseAndWait() { SendMessageW(TopLevel(), WM_ENDSESSION, TRUE, 0); }

  // Runs the platform thread until `count` messages were sent, then takes them.
  std::vector<Bytes> Sent(std::size_t count) {
    std::vector<Bytes> sent;
    runner::PumpMessages(10'000, [&] {
      while (auto message = host_->engine().TakeSent()) {
        EXPECT_EQ(message->channel, ORVANE_NATIVE_EVENT_CHANNEL);
        sent.push_back(message->bytes);
      }
      return sent.size() >= count;
    });
    return sent;
  }
};

// Only the current listener hears events, only those raised after it listened, in order; a
// steady stream of frames that reach the desktop raises none.
TEST_F(PluginEventTest, Events_ExactBytesInOrderOnlyToTheCurrentListener) {
  HoldKeyA();
  ReleaseAndWait();  // no listener: dropped
  Stream("listen");
  SetCursorPos(100, 100);
  for (const std::string& frame :
       {win::test::move(0, 0), win::test::move(0.01, 0.01), win::test::keyDown(win::test::kUsageA),
        win::test::keyUp(win::test::kUsageA), win::test::keyDown(win::test::kUsageLeftCtrl),
        win::test::keyDown(kUsageLeftAlt), win::test::keyDown(kUsageDelete)}) {
    Frame(frame);
  }
  Release("heard");
  // The display change is raised on this thread: only after the release's event is it ordered.
  EXPECT_EQ(Sent(3), (std::vector<Bytes>{Named("injectionReach", "verdict", "reaching"),
                                         Named("inputRefused", "refusal", "ctrl-alt-del"),
                                         Released("heard", 2)}));
  SendMessageW(TopLevel(), WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
  EXPECT_EQ(Sent(1), std::vector<Bytes>{Cat({Envelope(1), Str("event"), Str("displaysChanged")})});
  Stream("listen");  // replaced
  Release("again");
  EXPECT_EQ(Sent(1), std::vector<Bytes>{Released("again", 0)});
  Stream("cancel");
  Release("cancelled");
  ReleaseAndWait();
  Stream("listen");
  Release("later");
  EXPECT_EQ(Sent(1), std::vector<Bytes>{Released("later", 0)});
  EXPECT_FALSE(host_->engine().TakeSent());
}

// A platform thread that runs no messages holds at most the cap; the teardown delivers what is
// pending, its own release last, while the listener is still there, and nothing after.
TEST_F(PluginEventTest, Events_BoundedWhileThePlatformThreadIsAwayAndDeliveredAtTeardown) {
  constexpr int kReleases = 66;  // with the teardown's own: three over the cap of 64
  Stream("listen");
  for (int i = 0; i < kReleases; ++i) Release("n");
  ASSERT_TRUE(host_->DestroyRegistrar());
  std::vector<Bytes> sent;
  while (auto message = host_->engine().TakeSent()) sent.push_back(message->bytes);
  ASSERT_EQ(sent.size(), 65u);
  EXPECT_EQ(sent.front(),
            Cat({Envelope(2), Str("count"), I64(3), Str("event"), Str("eventsDropped")}));
  EXPECT_EQ(sent[1], Released("n", 0));
  EXPECT_EQ(sent.back(), Released("destructor", 0));
}

}  // namespace
}  // namespace orvane::plugin_test
