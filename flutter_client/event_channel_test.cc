// Tests of the event channel's listen/cancel state machine, its sinks and handler replacement.
#include "flutter/event_channel.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "flutter/event_stream_handler_functions.h"
#include "flutter/standard_method_codec.h"
#include "testing/cerr_capture.h"
#include "testing/fake_binary_messenger.h"

namespace flutter {
namespace {

using Bytes = std::vector<uint8_t>;
using testing::CerrCapture;
using testing::FakeBinaryMessenger;

constexpr char kChannel[] = "orvane_native/events";
const Bytes kSuccess = {0, 0};
const StandardMethodCodec& Codec() { return StandardMethodCodec::GetInstance(); }
// Bytes rather than an encoding: nothing here may make the codec before main (see the codec's
// exit test).
const Bytes kNoActiveStream = {1,   7,   5,   'e', 'r', 'r', 'o', 'r', 7,   26,  'N', 'o', ' ',
                               'a', 'c', 't', 'i', 'v', 'e', ' ', 's', 't', 'r', 'e', 'a', 'm',
                               ' ', 't', 'o', ' ', 'c', 'a', 'n', 'c', 'e', 'l', 0};

// How the standard library prints a null address differs between runtimes.
std::string NullAddress() {
  std::ostringstream text;
  text << static_cast<const void*>(nullptr);
  return text.str();
}

Bytes Call(const std::string& method, const EncodableValue* arguments = nullptr) {
  return *Codec().EncodeMethodCall(
      MethodCall<>(method, arguments ? std::make_unique<EncodableValue>(*arguments) : nullptr));
}

// A stream handler whose listen and cancel record their calls and fail on request.
struct Recorder {
  std::vector<std::string> events;
  std::unique_ptr<EventSink<>> sink;
  bool failListen = false;
  bool failCancel = false;
  // Shared with the installed functions: its use count shows whether they are still alive.
  std::shared_ptr<int> alive = std::make_shared<int>();

  std::unique_ptr<StreamHandler<>> Handler() {
    return std::make_unique<StreamHandlerFunctions<>>(
        [this, token = alive](const EncodableValue* arguments,
                              std::unique_ptr<EventSink<>>&& events_sink) {
          events.push_back(arguments == nullptr ? "listen(none)" : "listen");
          sink = std::move(events_sink);
          return failListen ? std::make_unique<StreamHandlerError<>>("no", "listen", nullptr)
                            : nullptr;
        },
        [this, token = alive](const EncodableValue* arguments) {
          events.push_back(arguments == nullptr ? "cancel(none)" : "cancel");
          return failCancel ? std::make_unique<StreamHandlerError<>>("no", "cancel", nullptr)
                            : nullptr;
        });
  }
};

// Each case: the methods called in turn, what the handler heard and the replies, named below.
struct StepCase {
  const char* name;
  std::string methods;
  std::string events;
  std::string replies;
  std::string fail;  // "listen" or "cancel" makes that function fail
  std::string diagnostics;
};

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream stream(text);
  for (std::string word; stream >> word;) words.push_back(word);
  return words;
}

TEST(EventChannelTest, FollowsTheListenCancelTable) {
  const std::vector<std::pair<std::string, Bytes>> names = {
      {"ok", kSuccess},
      {"none", Bytes()},
      {"idle", kNoActiveStream},
      {"listen-error", *Codec().EncodeErrorEnvelope("no", "listen")},
      {"cancel-error", *Codec().EncodeErrorEnvelope("no", "cancel")}};
  const std::vector<StepCase> cases = {
      {"cancel while idle", "cancel", "", "idle", "", ""},
      {"listen then cancel", "listen cancel", "listen cancel", "ok ok", "", ""},
      {"listen twice", "listen listen", "listen cancel(none) listen", "ok ok", "", ""},
      {"failed listen still listens", "listen cancel cancel", "listen cancel",
       "listen-error ok idle", "listen", ""},
      {"failed cancel still stops", "listen cancel cancel", "listen cancel", "ok cancel-error idle",
       "cancel", ""},
      {"failed implicit cancel", "listen listen", "listen cancel(none) listen", "ok ok", "cancel",
       "Failed to cancel existing stream: no, cancel, " + NullAddress()},
      {"other methods change nothing", "Listen cancel", "", "none idle", "", ""},
  };
  const EncodableValue arguments("args");
  for (const StepCase& c : cases) {
    SCOPED_TRACE(c.name);
    FakeBinaryMessenger messenger;
    Recorder recorder;
    recorder.failListen = c.fail == "listen";
    recorder.failCancel = c.fail == "cancel";
    EventChannel<>(&messenger, kChannel, &Codec()).SetStreamHandler(recorder.Handler());
    CerrCapture cerr;
    for (const std::string& method : Words(c.methods)) {
      ASSERT_TRUE(messenger.Deliver(kChannel, Call(method, &arguments)));
    }
    EXPECT_EQ(recorder.events, Words(c.events));
    std::string replies;
    for (const auto& reply : messenger.replies) {
      for (const auto& [name, bytes] : names) {
        if (reply.bytes == bytes) replies += (replies.empty() ? "" : " ") + name;
      }
    }
    EXPECT_EQ(replies, c.replies);
    EXPECT_EQ(cerr.Text(), c.diagnostics);
  }
}

TEST(EventChannelTest, UndecodableMessageAndMissingFunctions) {
  FakeBinaryMessenger messenger;
  EventChannel<>(&messenger, kChannel, &Codec())
      .SetStreamHandler(std::make_unique<StreamHandlerFunctions<>>(nullptr, nullptr));
  CerrCapture cerr;
  ASSERT_TRUE(messenger.Deliver(kChannel, {1}));
  ASSERT_TRUE(messenger.Deliver(kChannel, Call("listen")));
  ASSERT_TRUE(messenger.Deliver(kChannel, Call("cancel")));
  ASSERT_EQ(messenger.replies.size(), 3u);
  EXPECT_TRUE(messenger.replies[0].nullData);
  EXPECT_EQ(messenger.replies[1].bytes,
            *Codec().EncodeErrorEnvelope("error", "No OnListen handler set"));
  EXPECT_EQ(messenger.replies[2].bytes,
            *Codec().EncodeErrorEnvelope("error", "No OnCancel handler set"));
  EXPECT_EQ(cerr.Text(),
            "Invalid method call; method name is not a string.\n"
            "Unable to construct method call from message on channel: orvane_native/events\n");
}

TEST(EventChannelTest, SinkSendsEventsErrorsAndEndOfStream) {
  FakeBinaryMessenger messenger;
  Recorder recorder;
  EventChannel<>(&messenger, kChannel, &Codec()).SetStreamHandler(recorder.Handler());
  ASSERT_TRUE(messenger.Deliver(kChannel, Call("listen")));
  ASSERT_TRUE(messenger.Deliver(kChannel, Call("cancel")));
  ASSERT_TRUE(recorder.sink);
  // The sink does not know about the cancel: its owner decides when to stop.
  recorder.sink->Success();
  recorder.sink->Success(EncodableValue(5));
  recorder.sink->Error("e");
  recorder.sink->EndOfStream();
  ASSERT_EQ(messenger.sent.size(), 4u);
  for (const auto& message : messenger.sent) EXPECT_EQ(message.channel, kChannel);
  EXPECT_EQ(messenger.sent[0].bytes, kSuccess);
  EXPECT_EQ(messenger.sent[1].bytes, (Bytes{0, 3, 5, 0, 0, 0}));
  EXPECT_EQ(messenger.sent[2].bytes, (Bytes{1, 7, 1, 'e', 0, 0}));
  EXPECT_TRUE(messenger.sent[3].nullData);
}

TEST(EventChannelTest, ReplacingOrRemovingTheHandlerReleasesIt) {
  FakeBinaryMessenger messenger;
  Recorder first;
  Recorder second;
  EventChannel<> channel(&messenger, kChannel, &Codec());
  channel.SetStreamHandler(first.Handler());
  ASSERT_TRUE(messenger.Deliver(kChannel, Call("listen")));
  channel.SetStreamHandler(second.Handler());
  // The new handler starts idle and the old one hears nothing more.
  ASSERT_TRUE(messenger.Deliver(kChannel, Call("cancel")));
  EXPECT_EQ(messenger.replies.back().bytes, kNoActiveStream);
  EXPECT_EQ(first.events, std::vector<std::string>{"listen"});
  EXPECT_TRUE(second.events.empty());
  EXPECT_EQ(first.alive.use_count(), 1);

  channel.SetStreamHandler(nullptr);
  EXPECT_FALSE(messenger.Deliver(kChannel, Call("listen")));
  EXPECT_EQ(second.alive.use_count(), 1);
}

}  // namespace
}  // namespace flutter
