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
using testing::FakeBinaryMessenger;

constexpr char kChannel[] = "orvane_native/methods";
constexpr char kInvalidRead[] = "Invalid read in StandardCodecByteStreamReader\n";
constexpr char kDuplicate[] =
    "Error: Only one of Success, Error, or NotImplemented can be called, and it can be called "
    "exactly once. Ignoring duplicate result.\n";

const StandardMethodCodec& Codec() { return StandardMethodCodec::GetInstance(); }

#if GTEST_HAS_DEATH_TEST
// Handlers on registrars that are never freed keep plain pointers to the codec and the serializer,
// and may still run while the process exits.
const StandardMethodCodec* exiting_codec = nullptr;
void EncodeAtExit() {
  if (exiting_codec->EncodeSuccessEnvelope()->size() != 2) std::abort();
}

TEST(StandardMethodCodecDeathTest, GetInstance_OutlivesStaticDestruction) {
  // A fresh process, in which the handler is registered before the codec is made and so runs after
  // the codec's own exit-time destruction, if it had one. Nothing in this program may make the
  // codec before main.
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

TEST(StandardMethodCodecTest, EncodesAndDecodesCalls) {
  EXPECT_EQ(&Codec(), &StandardMethodCodec::GetInstance(&StandardCodecSerializer::GetInstance()));
  EXPECT_EQ(*Codec().EncodeMethodCall(MethodCall<>("x", nullptr)), (Bytes{7, 1, 0x78, 0}));
  const auto call =
      Codec().EncodeMethodCall(MethodCall<>("y", std::make_unique<EncodableValue>(2)));
  EXPECT_EQ(*call, (Bytes{7, 1, 0x79, 3, 2, 0, 0, 0}));
  const auto decoded = Codec().DecodeMethodCall(*call);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->method_name(), "y");
  EXPECT_EQ(*decoded->arguments(), EncodableValue(2));
  // A call that ends after its name still has arguments: null, after one diagnostic.
  CerrCapture cerr;
  const auto bare = Codec().DecodeMethodCall(Bytes{7, 1, 0x78});
  ASSERT_TRUE(bare && bare->arguments());
  EXPECT_TRUE(bare->arguments()->IsNull());
  EXPECT_EQ(cerr.Text(), kInvalidRead);
}

// Records what the result was answered with.
class RecordingResult : public MethodResult<EncodableValue> {
 public:
  std::string answer;

 protected:
  void SuccessInternal(const EncodableValue* result) override {
    answer = result == nullptr ? "success" : "success " + std::to_string(std::get<bool>(*result));
  }
  void ErrorInternal(const std::string& code, const std::string& message,
                     const EncodableValue* details) override {
    answer = "error " + code + "/" + message + (details != nullptr ? "/details" : "");
  }
  void NotImplementedInternal() override { answer = "not implemented"; }
};

TEST(StandardMethodCodecTest, EnvelopesEncodeAndDeliver) {
  const EncodableValue yes(true);
  EXPECT_EQ(*Codec().EncodeSuccessEnvelope(), (Bytes{0, 0}));
  EXPECT_EQ(*Codec().EncodeSuccessEnvelope(&yes), (Bytes{0, 1}));
  EXPECT_EQ(*Codec().EncodeErrorEnvelope("e", "m", &yes), (Bytes{1, 7, 1, 0x65, 7, 1, 0x6D, 1}));
  EXPECT_EQ(*Codec().EncodeErrorEnvelope("bad"), (Bytes{1, 7, 3, 0x62, 0x61, 0x64, 0, 0}));
  // Alignment counts from the envelope byte: the double's payload starts at offset 8.
  const EncodableValue half(0.5);
  EXPECT_EQ(Codec().EncodeSuccessEnvelope(&half)->size(), 16u);
  const std::pair<Bytes, std::string> cases[] = {
      {{0, 0}, "success"},
      {{0, 1}, "success 1"},
      {{1, 7, 1, 0x63, 0, 0}, "error c/"},
      {{1, 7, 1, 0x63, 7, 1, 0x6D, 1}, "error c/m/details"},
      {{2}, ""},
      {{1, 3, 1, 0, 0, 0, 0, 0}, ""},  // a code that is not a string is refused
      {{1, 7, 1, 0x63, 1, 0}, ""},     // so is a message that is neither string nor null
  };
  for (const auto& [bytes, answer] : cases) {
    RecordingResult result;
    EXPECT_EQ(Codec().DecodeAndProcessResponseEnvelope(bytes.data(), bytes.size(), &result),
              !answer.empty());
    EXPECT_EQ(result.answer, answer);
  }
}

TEST(EngineMethodResultTest, AnswersOnceAndReportsMisuse) {
  std::vector<Bytes> replies;
  std::vector<bool> null_data;
  const BinaryReply record = [&](const uint8_t* data, size_t size) {
    replies.emplace_back(data == nullptr ? Bytes() : Bytes(data, data + size));
    null_data.push_back(data == nullptr);
  };
  CerrCapture cerr;
  {
    EngineMethodResult<> result(record, &Codec());
    result.Error("bad");
    result.Success();
    result.NotImplemented();
  }
  EngineMethodResult<>(record, &Codec()).NotImplemented();
  { EngineMethodResult<> unanswered(record, &Codec()); }
  EXPECT_EQ(replies, (std::vector<Bytes>{{1, 7, 3, 0x62, 0x61, 0x64, 0, 0}, {}}));
  EXPECT_EQ(null_data, (std::vector<bool>{false, true}));
  EXPECT_EQ(cerr.Text(), std::string(kDuplicate) + kDuplicate +
                             "Warning: Failed to respond to a message. This is a memory leak.\n");
}

TEST(MethodChannelTest, DispatchesCallsAndRefusesUndecodableMessages) {
  FakeBinaryMessenger messenger;
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
  ASSERT_TRUE(messenger.Deliver(kChannel, {7, 4, 0x65, 0x63, 0x68, 0x6F, 3, 9, 0, 0, 0}));
  ASSERT_TRUE(messenger.Deliver(kChannel, {3, 1, 0, 0, 0}));
  ASSERT_TRUE(messenger.Deliver(kChannel, {7, 5, 'l', 'a', 't', 'e', 'r', 0}));
  ASSERT_EQ(messenger.replies.size(), 2u);
  ASSERT_TRUE(held);
  held->Success(EncodableValue(int64_t{7}));
  ASSERT_EQ(messenger.replies.size(), 3u);
  EXPECT_EQ(messenger.replies[0].bytes, (Bytes{0, 3, 9, 0, 0, 0}));
  EXPECT_TRUE(messenger.replies[1].nullData);
  EXPECT_EQ(messenger.replies[2].bytes, (Bytes{0, 4, 7, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(calls, (std::vector<std::string>{"echo", "later"}));
  EXPECT_EQ(cerr.Text(),
            "Invalid method call; method name is not a string.\n"
            "Unable to construct method call from message on channel orvane_native/methods\n");

  MethodChannel<>(&messenger, kChannel, &Codec()).SetMethodCallHandler(nullptr);
  EXPECT_FALSE(messenger.Deliver(kChannel, {7, 1, 0x78, 0}));
}

}  // namespace
}  // namespace flutter
