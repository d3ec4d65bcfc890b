// Method envelopes, the one-shot result, method dispatch and the event channel's state machine.
#include "flutter/method_channel.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "flutter/event_channel.h"
#include "flutter/event_stream_handler_functions.h"
#include "flutter/standard_method_codec.h"
#include "testing/fake_binary_messenger.h"

namespace flutter {
namespace {

using Bytes = std::vector<uint8_t>;
using testing::CerrCapture;
using testing::FakeBinaryMessenger;

constexpr char kChannel[] = "orvane_native/channel";
constexpr char kDuplicate[] =
    "Error: Only one of Success, Error, or NotImplemented can be called, and it can be called "
    "exactly once. Ignoring duplicate result.\n";

const StandardMethodCodec& Codec() { return StandardMethodCodec::GetInstance(); }

#if GTEST_HAS_DEATH_TEST
// Handlers on registrars that are never freed keep plain pointers to the codec and may still run
// while the process exits.
const StandardMethodCodec* exiting_codec = nullptr;
void EncodeAtExit() {
  if (exiting_codec->EncodeSuccessEnvelope()->size() != 2) std::abort();
}

TEST(StandardMethodCodecDeathTest, GetInstance_OutlivesStaticDestruction) {
  // Registered before the codec is made, the handler runs after any exit-time destruction of it.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        std::atexit(EncodeAtExit);
        exiting_codec = &Codec();
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}
#endif

TEST(StandardMethodCodecTest, CallsAndEnvelopesHaveExactBytes) {
  const EncodableValue yes(true);
  const EncodableValue half(0.5);
  EXPECT_EQ(*Codec().EncodeMethodCall(MethodCall<>("x", nullptr)), (Bytes{7, 1, 'x', 0}));
  EXPECT_EQ(*Codec().EncodeSuccessEnvelope(), (Bytes{0, 0}));
  EXPECT_EQ(*Codec().EncodeErrorEnvelope("e", "m", &yes), (Bytes{1, 7, 1, 'e', 7, 1, 'm', 1}));
  // Alignment counts from the envelope byte: the double's payload starts at offset 8.
  EXPECT_EQ(Codec().EncodeSuccessEnvelope(&half)->size(), 16u);
  // A reply decodes into an answer that re-encodes to its bytes; a malformed one answers nothing.
  const std::pair<Bytes, bool> replies[] = {
      {{0, 0}, true},
      {{0, 1}, true},
      {{1, 7, 1, 'c', 0, 0}, true},
      {{1, 7, 1, 'c', 7, 1, 'm', 1}, true},
      {{2}, false},
      {{1, 3, 1, 0, 0, 0, 0, 0}, false},  // a code that is not a string
      {{1, 7, 1, 'c', 1, 0}, false}};     // a message that is neither string nor null
  for (const auto& [bytes, accepted] : replies) {
    Bytes answer = {'-'};
    const CerrCapture cerr;  // a refused reply leaves the result unanswered, which warns
    EngineMethodResult<> result(
        [&answer](const uint8_t* data, size_t size) { answer.assign(data, data + size); },
        &Codec());
    EXPECT_EQ(Codec().DecodeAndProcessResponseEnvelope(bytes.data(), bytes.size(), &result),
              accepted);
    EXPECT_EQ(answer, accepted ? bytes : Bytes{'-'});
  }
}

// Also the engine result's one-shot rules: duplicates and unanswered calls are reported.
TEST(MethodChannelTest, DispatchesCallsAndRefusesUndecodableMessages) {
  FakeBinaryMessenger messenger;
  std::vector<std::string> calls;
  std::unique_ptr<MethodResult<>> held;
  MethodChannel<>(&messenger, kChannel, &Codec())
      .SetMethodCallHandler([&](const MethodCall<>& call, std::unique_ptr<MethodResult<>> result) {
        calls.push_back(call.method_name());
        if (call.method_name() == "later") {
          held = std::move(result);  // answered after the handler returned
        } else if (call.method_name() == "x") {
          result->NotImplemented();
        } else if (call.method_name() != "drop") {
          result->Success(*call.arguments());
        }
      });

  CerrCapture cerr;
  ASSERT_TRUE(messenger.Deliver(kChannel, {7, 4, 'e', 'c', 'h', 'o', 3, 9, 0, 0, 0}));
  ASSERT_TRUE(messenger.Deliver(kChannel, {3, 1, 0, 0, 0}));
  ASSERT_TRUE(messenger.Deliver(kChannel, {7, 1, 'x'}));  // arguments missing: read as null
  ASSERT_TRUE(messenger.Deliver(kChannel, {7, 4, 'd', 'r', 'o', 'p', 0}));
  ASSERT_TRUE(messenger.Deliver(kChannel, {7, 5, 'l', 'a', 't', 'e', 'r', 0}));
  ASSERT_EQ(messenger.replies.size(), 3u);
  ASSERT_TRUE(held);
  held->Error("bad");
  held->Success();
  held->NotImplemented();
  ASSERT_EQ(messenger.replies.size(), 4u);
  EXPECT_EQ(messenger.replies[0].bytes, (Bytes{0, 3, 9, 0, 0, 0}));
  EXPECT_TRUE(messenger.replies[1].nullData);
  EXPECT_TRUE(messenger.replies[2].nullData);
  EXPECT_EQ(messenger.replies[3].bytes, (Bytes{1, 7, 3, 'b', 'a', 'd', 0, 0}));
  EXPECT_EQ(calls, (std::vector<std::string>{"echo", "x", "drop", "later"}));
  EXPECT_EQ(cerr.Text(),
            "Invalid method call; method name is not a string.\n"
            "Unable to construct method call from message on channel orvane_native/channel\n"
            "Invalid read in StandardCodecByteStreamReader\n"
            "Warning: Failed to respond to a message. This is a memory leak.\n" +
                std::string(kDuplicate) + kDuplicate);

  MethodChannel<>(&messenger, kChannel, &Codec()).SetMethodCallHandler(nullptr);
  EXPECT_FALSE(messenger.Deliver(kChannel, {7, 1, 'x', 0}));
}

Bytes Error(const std::string& code, const std::string& message) {
  return *Codec().EncodeErrorEnvelope(code, message);
}

Bytes Call(const std::string& method) {
  // "?" stands for a message that is not a method call.
  return method == "?" ? Bytes{1}
                       : *Codec().EncodeMethodCall(
                             MethodCall<>(method, std::make_unique<EncodableValue>("args")));
}

// Appends a word to a space-separated list.
void Add(std::string* list, const std::string& word) { *list += (list->empty() ? "" : " ") + word; }

// A stream handler whose listen and cancel record their calls and fail on request.
struct Recorder {
  std::string events;
  std::unique_ptr<EventSink<>> sink;
  std::string fail;  // "listen" or "cancel" makes that function fail; "missing" installs none
  // Shared with the installed functions: its use count shows whether they are still alive.
  std::shared_ptr<int> alive = std::make_shared<int>();

  std::unique_ptr<StreamHandler<>> Handler() {
    if (fail == "missing") return std::make_unique<StreamHandlerFunctions<>>(nullptr, nullptr);
    return std::make_unique<StreamHandlerFunctions<>>(
        [this, token = alive](const EncodableValue* arguments, std::unique_ptr<EventSink<>>&& s) {
          Add(&events, arguments == nullptr ? "listen(none)" : "listen");
          sink = std::move(s);
          return Failure("listen");
        },
        [this, token = alive](const EncodableValue* arguments) {
          Add(&events, arguments == nullptr ? "cancel(none)" : "cancel");
          return Failure("cancel");
        });
  }
  std::unique_ptr<StreamHandlerError<>> Failure(const std::string& what) const {
    return fail == what ? std::make_unique<StreamHandlerError<>>("no", what, nullptr) : nullptr;
  }
};

TEST(EventChannelTest, FollowsTheListenCancelTable) {
  std::ostringstream null_address;  // printed differently by each runtime
  null_address << static_cast<const void*>(nullptr);
  const std::pair<std::string, Bytes> names[] = {
      {"ok", {0, 0}},
      {"none", {}},
      {"idle", Error("error", "No active stream to cancel")},
      {"listen-error", Error("no", "listen")},
      {"cancel-error", Error("no", "cancel")},
      {"no-listen", Error("error", "No OnListen handler set")},
      {"no-cancel", Error("error", "No OnCancel handler set")}};
  const struct {
    const char* name;
    std::string methods;
    std::string events;  // what the handler heard
    std::string replies;
    std::string fail;
    std::string diagnostics;
  } cases[] = {
      {"cancel while idle", "cancel", "", "idle", "", ""},
      {"listen then cancel", "listen cancel", "listen cancel", "ok ok", "", ""},
      {"listen twice", "listen listen", "listen cancel(none) listen", "ok ok", "", ""},
      {"failed listen still listens", "listen cancel cancel", "listen cancel",
       "listen-error ok idle", "listen", ""},
      {"failed cancel still stops", "listen cancel cancel", "listen cancel", "ok cancel-error idle",
       "cancel", ""},
      {"failed implicit cancel", "listen listen", "listen cancel(none) listen", "ok ok", "cancel",
       "Failed to cancel existing stream: no, cancel, " + null_address.str()},
      {"other methods change nothing", "Listen cancel", "", "none idle", "", ""},
      {"missing functions", "listen cancel", "", "no-listen no-cancel", "missing", ""},
      {"not a call", "?", "", "none", "",
       "Invalid method call; method name is not a string.\n"
       "Unable to construct method call from message on channel: orvane_native/channel\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeBinaryMessenger messenger;
    Recorder recorder;
    recorder.fail = c.fail;
    EventChannel<>(&messenger, kChannel, &Codec()).SetStreamHandler(recorder.Handler());
    CerrCapture cerr;
    std::istringstream methods(c.methods);
    for (std::string method; methods >> method;) {
      ASSERT_TRUE(messenger.Deliver(kChannel, Call(method)));
    }
    EXPECT_EQ(recorder.events, c.events);
    std::string replies;
    for (const auto& reply : messenger.replies) {
      for (const auto& [name, bytes] : names) {
        if (reply.bytes == bytes) Add(&replies, name);
      }
    }
    EXPECT_EQ(replies, c.replies);
    EXPECT_EQ(cerr.Text(), c.diagnostics);
  }
}

TEST(EventChannelTest, ReplacedHandlerIsReleasedButItsSinkStillSends) {
  FakeBinaryMessenger messenger;
  Recorder first;
  Recorder second;
  EventChannel<> channel(&messenger, kChannel, &Codec());
  channel.SetStreamHandler(first.Handler());
  ASSERT_TRUE(messenger.Deliver(kChannel, Call("listen")));
  channel.SetStreamHandler(second.Handler());
  // The new handler starts idle and the old one hears nothing more.
  ASSERT_TRUE(messenger.Deliver(kChannel, Call("cancel")));
  EXPECT_EQ(messenger.replies.back().bytes, Error("error", "No active stream to cancel"));
  EXPECT_EQ(first.events, "listen");
  EXPECT_EQ(second.events, "");
  EXPECT_EQ(first.alive.use_count(), 1);
  channel.SetStreamHandler(nullptr);
  EXPECT_FALSE(messenger.Deliver(kChannel, Call("listen")));
  EXPECT_EQ(second.alive.use_count(), 1);

  // The sink has no link back to the channel: its owner decides when to stop.
  ASSERT_TRUE(first.sink);
  first.sink->Success(EncodableValue(5));
  first.sink->Error("e");
  first.sink->EndOfStream();
  ASSERT_EQ(messenger.sent.size(), 3u);
  for (const auto& message : messenger.sent) EXPECT_EQ(message.channel, kChannel);
  EXPECT_EQ(messenger.sent[0].bytes, (Bytes{0, 3, 5, 0, 0, 0}));
  EXPECT_EQ(messenger.sent[1].bytes, (Bytes{1, 7, 1, 'e', 0, 0}));
  EXPECT_TRUE(messenger.sent[2].nullData);
}

}  // namespace
}  // namespace flutter
