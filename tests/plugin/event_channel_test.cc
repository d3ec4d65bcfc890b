// The event channel end to end: the real plugin DLL's events, byte for byte, to whom and when.
#include <cstdint>
#include <string>
#include <vector>

#include "runner/message_loop.h"
#include "tests/plugin/plugin_fixture.h"

namespace orvane::plugin_test {
namespace {

using Bytes = std::vector<std::uint8_t>;
using win::test::keyDown;

// An event as the standard codec writes it: a success envelope around a map with string keys.
Bytes Event(std::uint8_t entries, std::initializer_list<Bytes> parts) {
  Bytes all{0x00, 0x0D, entries};
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}
Bytes S(const std::string& text) {
  Bytes bytes{0x07, static_cast<std::uint8_t>(text.size())};
  bytes.insert(bytes.end(), text.begin(), text.end());
  return bytes;
}
Bytes I64(std::uint8_t value) { return {0x04, value, 0, 0, 0, 0, 0, 0, 0}; }
// Under Wine no modifier reads as down, so every sweep sends all eight key-ups.
Bytes Released(const std::string& reason, std::uint8_t keys) {
  return Event(5, {S("buttons"), I64(0), S("event"), S("heldInputReleased"), S("keys"), I64(keys),
                   S("reason"), S(reason), S("sweep"), I64(8)});
}

// A log line as its event carries it: the message, without the prefix and the line feed.
Bytes Line(const std::string& message) {
  return Event(2, {S("event"), S("log"), S("line"), S(message)});
}
constexpr char kSweepLine[] = "input: modifier sweep releasing 8 key(s)";

class PluginEventTest : public PluginTest {
 protected:
  void Stream(const char* method) { EXPECT_EQ(host_->events().Call(method).bytes, (Bytes{0, 0})); }
  void Do(const char* method, const char* key, const EncodableValue& value) {
    EXPECT_EQ(Call(method, Arg(key, value)).kind, Kind::Success);
  }
  // Waits for the input thread's work without running the platform thread's messages.
  void ReleaseAndWait() { SendMessageW(TopLevel(), WM_ENDSESSION, TRUE, 0); }
  // Runs the platform thread until `count` messages were sent; takes them.
  std::vector<Bytes> Sent(std::size_t count) {
    std::vector<Bytes> sent;
    runner::PumpMessages(10'000, [&] {
      while (auto message = host_->engine().TakeSent()) sent.push_back(message->bytes);
      return sent.size() >= count;
    });
    return sent;
  }
};

// A listener hears only what was raised after it listened, log lines included, and a later one the
// last verdict first; a platform thread that runs no messages holds at most 64 events, delivered at
// teardown, its own release last. Refusals and the watchdog are replayed by the events session.
TEST_F(PluginEventTest, Events_ExactBytesInOrderToTheCurrentListenerBoundedAndAtTeardown) {
  StartHost();
  HoldKeyA();
  ReleaseAndWait();  // raised before anyone listens: never heard
  Stream("listen");
  SetCursorPos(100, 100);
  // Each frame is waited for: a release discards what still waits, and moves waiting together
  // would collapse.
  for (const std::string& frame : {win::test::move(0, 0), win::test::move(0.01, 0.01),
                                   keyDown(win::test::kUsageA), keyDown(win::test::kUsageB)}) {
    InjectAndWait(frame, [](const runner::ObservedEvent& e) {
      return e.kind == runner::ObservedKind::Move ||
             (e.kind == runner::ObservedKind::Key && !e.keyUp);
    });
  }
  Do("releaseHeldInput", "reason", EncodableValue("heard"));
  const Bytes reaching = Event(2, {S("event"), S("injectionReach"), S("verdict"), S("reaching")});
  EXPECT_EQ(Sent(5), (std::vector<Bytes>{Line("input: injection is reaching the desktop"), reaching,
                                         Line("input: releasing held input (heard): 2 event(s)"),
                                         Line(kSweepLine), Released("heard", 2)}));
  SendMessageW(TopLevel(), WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
  EXPECT_EQ(Sent(1), std::vector<Bytes>{Event(1, {S("event"), S("displaysChanged")})});
  Stream("listen");  // replaces the listener, which learns the verdict first
  EXPECT_EQ(Sent(1), std::vector<Bytes>{reaching});
  for (int i = 0; i < 66; ++i) Do("releaseHeldInput", "reason", EncodableValue("n"));
  ASSERT_TRUE(host_->DestroyRegistrar());
  const std::vector<Bytes> sent = Sent(65);
  ASSERT_EQ(sent.size(), 65u);
  EXPECT_FALSE(host_->engine().TakeSent());
  // 67 releases, each a sweep line and an event: the oldest 70 of the 134 are dropped.
  EXPECT_EQ(sent[0], Event(2, {S("count"), I64(70), S("event"), S("eventsDropped")}));
  EXPECT_EQ(sent[1], Line(kSweepLine));
  EXPECT_EQ(sent[2], Released("n", 0));
  EXPECT_EQ(sent.back(), Released("destructor", 0));
}

}  // namespace
}  // namespace orvane::plugin_test
