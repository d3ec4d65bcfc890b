// Tests of the messenger over the stand-in embedder: handler installation, the one-shot reply path
// from any thread and after shutdown, and sends with and without a reply.
#include "flutter/binary_messenger_impl.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "orvane_embedder/standin_engine.h"
#include "testing/cerr_capture.h"

namespace flutter {
namespace {

using Bytes = std::vector<uint8_t>;
using orvane::embedder::StandinEngine;
using testing::CerrCapture;

constexpr char kChannel[] = "test/channel";
constexpr uint32_t kReplyWaitMs = 5000;
const Bytes kMessage = {1, 2, 3};
const Bytes kAnswer = {7, 8};

void Answer(const BinaryReply& reply, const Bytes& bytes) {
  reply(bytes.empty() ? nullptr : bytes.data(), bytes.size());
}

class BinaryMessengerImplTest : public ::testing::Test {
 protected:
  StandinEngine engine_;
  BinaryMessengerImpl messenger_{engine_.messenger()};
  BinaryReply held_;
};

TEST_F(BinaryMessengerImplTest, Reply_OnceFromAnyThreadAndDuplicatesDiagnosed) {
  messenger_.SetMessageHandler(kChannel, [](const uint8_t*, size_t, BinaryReply) { FAIL(); });
  messenger_.SetMessageHandler(
      kChannel, [this](const uint8_t*, size_t, BinaryReply reply) { held_ = std::move(reply); });
  for (const Bytes& answer : {kAnswer, Bytes()}) {
    SCOPED_TRACE(answer.size());
    const uint64_t id = engine_.Deliver(kChannel, kMessage);
    CerrCapture cerr;
    // A copy answers on another thread; every copy shares the one response.
    std::thread([reply = held_, &answer] { Answer(reply, answer); }).join();
    Answer(held_, {9});
    EXPECT_EQ(engine_.TakeReply(id, kReplyWaitMs), answer);
    EXPECT_EQ(cerr.Text(), "Error: Response can be set only once. Ignoring duplicate response.\n");
  }
  held_ = nullptr;
  EXPECT_EQ(engine_.CallCount(kOrvaneEmbedderCallSendResponse), 2u);
  EXPECT_EQ(engine_.CallCount(kOrvaneEmbedderCallResponseHandleReused), 0u);
  EXPECT_EQ(engine_.CallCount(kOrvaneEmbedderCallMessengerAddRef), 2u);
  EXPECT_EQ(engine_.CallCount(kOrvaneEmbedderCallMessengerRelease), 2u);
}

// A reply answered on another thread after shutdown, or even after the engine is gone (its own
// reference keeps the messenger handle valid; the sanitizers check the rest).
TEST_F(BinaryMessengerImplTest, Reply_AfterShutdownSendsAndPrintsNothing) {
  for (const std::string when : {"engine shut down", "engine destroyed"}) {
    SCOPED_TRACE(when);
    auto engine = std::make_unique<StandinEngine>();
    BinaryReply held;
    {
      BinaryMessengerImpl messenger(engine->messenger());
      messenger.SetMessageHandler(kChannel, [&held](const uint8_t*, size_t, BinaryReply reply) {
        held = std::move(reply);
      });
      engine->Deliver(kChannel, kMessage);
    }
    if (when == "engine destroyed") {
      engine.reset();
    } else {
      engine->Shutdown();
    }
    CerrCapture cerr;
    std::thread([reply = std::move(held)] { Answer(reply, kAnswer); }).join();
    EXPECT_EQ(cerr.Text(), "");
    if (engine) {
      EXPECT_EQ(engine->CallCount(kOrvaneEmbedderCallSendResponse), 0u);
    }
  }
}

TEST_F(BinaryMessengerImplTest, Send_WithReplyCallsItOnceOrFreesItWhenRefused) {
  for (const std::string mode : {"no reply", "accepted", "refused"}) {
    SCOPED_TRACE(mode);
    engine_.SetRefuseSendWithReply(mode == "refused");
    auto alive = std::make_shared<int>(0);
    std::vector<Bytes> replies;
    BinaryReply reply;
    if (mode != "no reply") {
      reply = [alive, &replies](const uint8_t* bytes, size_t size) {
        replies.emplace_back(bytes, bytes + size);
      };
    }
    messenger_.Send(kChannel, kMessage.data(), kMessage.size(), std::move(reply));
    const auto sent = engine_.TakeSent();
    ASSERT_EQ(sent.has_value(), mode != "refused");
    if (sent) {
      EXPECT_EQ(sent->channel, kChannel);
      EXPECT_EQ(sent->bytes, kMessage);
      EXPECT_EQ(sent->replyId != 0, mode == "accepted");
      EXPECT_EQ(engine_.AnswerSent(sent->replyId, kAnswer), mode == "accepted");
      EXPECT_FALSE(engine_.AnswerSent(sent->replyId, kAnswer));
    }
    EXPECT_EQ(alive.use_count(), 1) << "the reply holder must be freed";
    EXPECT_EQ(replies, mode == "accepted" ? std::vector<Bytes>{kAnswer} : std::vector<Bytes>());
  }
}

}  // namespace
}  // namespace flutter
