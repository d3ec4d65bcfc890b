// Tests of the messenger over the stand-in embedder: handler installation, the one-shot reply path
// from any thread and after shutdown, and sends with and without a reply.
#include "flutter/binary_messenger_impl.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "orvane_embedder/standin_engine.h"
#include "testing/cerr_capture.h"

namespace flutter {
namespace {

using orvane::embedder::StandinEngine;
using testing::CerrCapture;

constexpr char kChannel[] = "test/channel";
constexpr uint32_t kReplyWaitMs = 5000;
constexpr char kDuplicateLine[] =
    "Error: Response can be set only once. Ignoring duplicate response.\n";

const std::vector<uint8_t> kMessage = {1, 2, 3};
const std::vector<uint8_t> kAnswer = {7, 8};

void Answer(const BinaryReply& reply, const std::vector<uint8_t>& bytes) {
  reply(bytes.data(), bytes.size());
}

class BinaryMessengerImplTest : public ::testing::Test {
 protected:
  // Installs a handler that keeps the reply of the next message in `held_reply_`.
  void HoldReplies() {
    messenger_.SetMessageHandler(
        kChannel, [this](const uint8_t*, size_t, BinaryReply reply) { held_reply_ = reply; });
  }

  StandinEngine engine_;
  BinaryMessengerImpl messenger_{engine_.messenger()};
  BinaryReply held_reply_;
};

TEST_F(BinaryMessengerImplTest, SetMessageHandler_ReplacesInTheSameEntryAndClearsAlways) {
  std::vector<std::string> calls;
  messenger_.SetMessageHandler("absent", nullptr);  // the embedder is told even so
  messenger_.SetMessageHandler(
      kChannel, [&calls](const uint8_t*, size_t, BinaryReply) { calls.push_back("first"); });
  const std::optional<void*> first_entry = engine_.ChannelCallback(kChannel);
  messenger_.SetMessageHandler(
      kChannel, [&calls](const uint8_t* message, size_t size, BinaryReply) {
        calls.push_back("second:" + std::to_string(size) + ":" + std::to_string(message[0]));
      });
  const std::optional<void*> entry = engine_.ChannelCallback(kChannel);

  ASSERT_TRUE(entry.has_value());
  EXPECT_EQ(entry, first_entry);
  EXPECT_FALSE(engine_.ChannelCallback("absent").has_value());
  EXPECT_EQ(engine_.CallCount(kOrvaneEmbedderCallSetCallback), 3u);
  engine_.Deliver(kChannel, kMessage);
  EXPECT_EQ(calls, std::vector<std::string>{"second:3:1"});
}

TEST_F(BinaryMessengerImplTest, Reply_AnsweredOnceAndDuplicateDiagnosedOnce) {
  for (const std::vector<uint8_t>& answer : {kAnswer, std::vector<uint8_t>()}) {
    SCOPED_TRACE(answer.size());
    HoldReplies();
    const uint64_t id = engine_.Deliver(kChannel, kMessage);
    const BinaryReply copy = held_reply_;
    CerrCapture cerr;

    held_reply_(answer.empty() ? nullptr : answer.data(), answer.size());
    Answer(held_reply_, {9});
    Answer(copy, {9});  // copies share the one response

    EXPECT_EQ(engine_.TakeReply(id), answer);
    EXPECT_EQ(cerr.Text(), std::string(kDuplicateLine) + kDuplicateLine);
  }
  EXPECT_EQ(engine_.CallCount(kOrvaneEmbedderCallSendResponse), 2u);
  EXPECT_EQ(engine_.CallCount(kOrvaneEmbedderCallResponseHandleReused), 0u);
}

// A reply answered after shutdown, on this or another thread, or even after the engine is gone
// (its own reference keeps the messenger handle valid; the sanitizers check the rest).
TEST_F(BinaryMessengerImplTest, Reply_AfterShutdownSendsAndPrintsNothing) {
  for (const char* when : {"platform thread", "other thread", "engine destroyed"}) {
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
    const bool destroyed = std::string(when) == "engine destroyed";
    if (destroyed) {
      engine.reset();
    } else {
      engine->Shutdown();
    }
    CerrCapture cerr;

    if (std::string(when) == "platform thread") {
      Answer(held, kAnswer);
    } else {
      std::thread([reply = std::move(held)] { Answer(reply, kAnswer); }).join();
    }

    EXPECT_EQ(cerr.Text(), "");
    if (!destroyed) {
      EXPECT_EQ(engine->CallCount(kOrvaneEmbedderCallSendResponse), 0u);
    }
  }
}

TEST_F(BinaryMessengerImplTest, Reply_CopiesOnOtherThreadsReleaseTheMessengerOnce) {
  HoldReplies();
  const uint64_t id = engine_.Deliver(kChannel, kMessage);
  {
    std::thread answering([reply = held_reply_] { Answer(reply, kAnswer); });
    std::thread dropping([reply = held_reply_] {});
    held_reply_ = nullptr;
    EXPECT_EQ(engine_.TakeReply(id, kReplyWaitMs), kAnswer);
    answering.join();
    dropping.join();
  }

  EXPECT_EQ(engine_.CallCount(kOrvaneEmbedderCallMessengerAddRef), 1u);
  EXPECT_EQ(engine_.CallCount(kOrvaneEmbedderCallMessengerRelease), 1u);
}

TEST_F(BinaryMessengerImplTest, Send_WithReplyCallsItOnceOrFreesItWhenRefused) {
  for (const char* mode : {"no reply", "accepted", "refused"}) {
    SCOPED_TRACE(mode);
    const bool refused = std::string(mode) == "refused";
    engine_.SetRefuseSendWithReply(refused);
    auto alive = std::make_shared<int>(0);
    std::vector<std::vector<uint8_t>> replies;
    BinaryReply reply;
    if (std::string(mode) != "no reply") {
      reply = [alive, &replies](const uint8_t* bytes, size_t size) {
        replies.emplace_back(bytes, bytes + size);
      };
    }
    messenger_.Send(kChannel, kMessage.data(), kMessage.size(), std::move(reply));

    if (!refused) {
      const auto sent = engine_.TakeSent();
      ASSERT_TRUE(sent.has_value());
      EXPECT_EQ(sent->channel, kChannel);
      EXPECT_EQ(sent->bytes, kMessage);
      EXPECT_EQ(sent->replyId != 0, std::string(mode) == "accepted");
      if (sent->replyId != 0) {
        EXPECT_TRUE(engine_.AnswerSent(sent->replyId, kAnswer));
        EXPECT_FALSE(engine_.AnswerSent(sent->replyId, kAnswer));
      }
    }

    EXPECT_EQ(alive.use_count(), 1) << "the reply holder must be freed";
    EXPECT_EQ(replies, std::string(mode) == "accepted" ? std::vector<std::vector<uint8_t>>{kAnswer}
                                                       : std::vector<std::vector<uint8_t>>());
  }
}

}  // namespace
}  // namespace flutter
