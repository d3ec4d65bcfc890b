// Tests of the method envelopes, the one-shot result and method-channel dispatch.
#include "flutter/method_channel.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "flutter/standard_method_codec.h"
#include "testing/cerr_capture.h"
#include "testing/fake_binary_messenger.h"

namespace flutter {
namespace {

using Bytes = std::vector<uint8_t>;
using testing::CerrCapture;

constexpr char kChannel[] = "orvane_native/methods";
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
  // A fresh process, where the handler is registered before the codec is made and so runs after
  // any exit-time destruction of it. Nothing in this program may make the codec before main.
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

// Records the answer as the envelope an engine result would send, or "refused".
class RecordingResult : public MethodResult<EncodableValue> {
 public:
  Bytes answer = {'-'};

 protected:
  void SuccessInternal(const EncodableValue* result) override {
    answer = *Codec().EncodeSuccessEnvelope(result);
  }
  void ErrorInternal(const std::string& code, const std::string& message,
                     const EncodableValue* details) override {
    answer = *Codec().EncodeErrorEnvelope(code, message, details);
  }
  void NotImplementedInternal() override { answer.clear(); }
};

TEST(StandardMethodCodecTest, CallsAndEnvelopesHaveExactBytes) {
  const EncodableValue yes(true);
  const EncodableValue half(0.5);
  EXPECT_EQ(*Codec().EncodeMethodCall(MethodCall<>("x", nullptr)), (Bytes{7, 1, 'x', 0}));
  EXPECT_EQ(*Codec().EncodeSuccessEnvelope(), (Bytes{0, 0}));
  EXPECT_EQ(*Codec().EncodeErrorEnvelope("e", "m", &yes), (Bytes{1, 7, 1, 'e', 7, 1, 'm', 1}));
  // Alignment counts from the envelope byte: the double's payload starts at offset 8.
  EXPECT_EQ(Codec().EncodeSuccessEnvelope(&half)->size(), 16u);
  // Replies decode into the same answer; a malformed one is refused and answers nothing.
  const std::pair<Bytes, bool> replies[] = {
      {{0, 0}, true},
      {{0, 1}, true},
      {{1, 7, 1, 'c', 0, 0}, true},
      {{1, 7, 1, 'c', 7, 1, 'm', 1}, true},
      {{2}, false},
      {{1, 3, 1, 0, 0, 0, 0, 0}, false},  // a code that is not a string
      {{1, 7, 1, 'c', 1, 0}, false},      // a message that is neither string nor null
  };
  for (const auto& [bytes, accepted] : replies) {
    RecordingResult result;
    EXPECT_EQ(Codec().DecodeAndProcessResponseEnvelope(bytes.data(), bytes.size(), &result),
              accepted);
    EXPECT_EQ(result.answer, accepted ? bytes : Bytes{'-'});
  }
}

TEST(EngineMethodResultTest, AnswersOnceAndReportsMisuse) {
  std::vector<Bytes> replies;
  const BinaryReply record = [&replies](const uint8_t* data, size_t size) {
    replies.push_back(data == nullptr ? Bytes{'-'} : Bytes(data, data + size));
  };
  CerrCapture cerr;
  {
    EngineMethodResult<> result(record, &Codec());
    result.Error("bad");
    result.Success();
    result.NotImplemented();
  }
  EngineMethodResult<>(record, &Codec()).NotImplemented();  // a null, empty reply
  { EngineMethodResult<> unanswered(record, &Codec()); }
  EXPECT_EQ(replies, (std::vector<Bytes>{{1, 7, 3, 'b', 'a', 'd', 0, 0}, {'-'}}));
  EXPECT_EQ(cerr.Text(), std::string(kDuplicate) + kDuplicate +
                             "Warning: Failed to respond to a message. This is a memory leak.\n");
}

TEST(MethodChannelTest, DispatchesCallsAndRefusesUndecodableMessages) {
  testing::FakeBinaryMessenger messenger;
  std::vector<std::string> calls;
  std::unique_ptr<MethodResult<>> held;
  MethodChannel<>(&messenger, kChannel, &Codec())
      .SetMethodCallHandler([&](const MethodCall<>& call, std::unique_ptr<MethodResult<>> result) {
        calls.push_back(call.method_name());
        if (call.method_name() == "later") {
          held = std::move(result);  // answered after the handler returned
        } else {
          result->Success(*call.arguments());
        }
      });

  CerrCapture cerr;
  ASSERT_TRUE(messenger.Deliver(kChannel, {7, 4, 'e', 'c', 'h', 'o', 3, 9, 0, 0, 0}));
  ASSERT_TRUE(messenger.Deliver(kChannel, {3, 1, 0, 0, 0}));
  ASSERT_TRUE(messenger.Deliver(kChannel, {7, 1, 'x'}));  // arguments present, null
  ASSERT_TRUE(messenger.Deliver(kChannel, {7, 5, 'l', 'a', 't', 'e', 'r', 0}));
  ASSERT_EQ(messenger.replies.size(), 3u);
  ASSERT_TRUE(held);
  held->Success(EncodableValue(int64_t{7}));
  ASSERT_EQ(messenger.replies.size(), 4u);
  EXPECT_EQ(messenger.replies[0].bytes, (Bytes{0, 3, 9, 0, 0, 0}));
  EXPECT_TRUE(messenger.replies[1].nullData);
  EXPECT_EQ(messenger.replies[2].bytes, (Bytes{0, 0}));
  EXPECT_EQ(messenger.replies[3].bytes, (Bytes{0, 4, 7, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(calls, (std::vector<std::string>{"echo", "x", "later"}));
  EXPECT_EQ(cerr.Text(),
            "Invalid method call; method name is not a string.\n"
            "Unable to construct method call from message on channel orvane_native/methods\n"
            "Invalid read in StandardCodecByteStreamReader\n");

  MethodChannel<>(&messenger, kChannel, &Codec()).SetMethodCallHandler(nullptr);
  EXPECT_FALSE(messenger.Deliver(kChannel, {7, 1, 'x', 0}));
}

}  // namespace
}  // namespace flutter
