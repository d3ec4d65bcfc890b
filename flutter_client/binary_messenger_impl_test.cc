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

TEST_F(BinaryMessengerImplTest, SetMessageHandler_SecondReplacesFirstInTheSameEntry) {
  std::vector<std::string> calls;
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
  EXPECT_EQ(engine_.CallCount(kOrvaneEmbedderCallSetCallback), 2u);

  // The user data is the stored handler itself.
  (*static_cast<const BinaryMessageHandler*>(*entry))(kMessage.data(), kMessage.size(), nullptr);
  engine_.Deliver(kChannel, kMessage);
  EXPECT_EQ(calls, (std::vector<std::string>{"second:3:1", "second:3:1"}));
}

TEST_F(BinaryMessengerImplTest, SetMessageHandler_ClearingAnAbsentHandlerStillTellsTheEmbedder) {
  messenger_.SetMessageHandler(kChannel, nullptr);

  EXPECT_EQ(engine_.CallCount(kOrvaneEmbedderCallSetCallback), 1u);
  EXPECT_FALSE(engine_.ChannelCallback(kChannel).has_value());
}

TEST_F(BinaryMessengerImplTest, Reply_AnsweredOnceAndDuplicateDiagnosedOnce) {
  HoldReplies();
  const uint64_t id = engine_.Deliver(kChannel, kMessage);
  const BinaryReply copy = held_reply_;
  CerrCapture cerr;

  Answer(held_reply_, kAnswer);
  Answer(held_reply_, {9});
  Answer(copy, {9});  // copies share the one response

  EXPECT_EQ(engine_.TakeReply(id), kAnswer);
  EXPECT_EQ(cerr.Text(), std::string(kDuplicateLine) + kDuplicateLine);
  EXPECT_EQ(engine_.CallCount(kOrvaneEmbedderCallSendResponse), 1u);
  EXPECT_EQ(engine_.CallCount(kOrvaneEmbedderCallResponseHandleReused), 0u);
}

TEST_F(BinaryMessengerImplTest, Reply_EmptyReplyArrivesAsNoBytes) {
  HoldReplies();
  const uint64_t id = engine_.Deliver(kChannel, kMessage);

  held_reply_(nullptr, 0);

  EXPECT_EQ(engine_.TakeReply(id), std::vector<uint8_t>());
}

TEST_F(BinaryMessengerImplTest, Reply_AfterShutdownSendsAndPrintsNothing) {
  for (const bool from_other_thread : {false, true}) {
    SCOPED_TRACE(from_other_thread ? "other thread" : "platform thread");
    StandinEngine engine;
    BinaryMessengerImpl messenger(engine.messenger());
    BinaryReply held;
    messenger.SetMessageHandler(
        kChannel, [&held](const uint8_t*, size_t, BinaryReply reply) { held = std::move(reply); });
    engine.Deliver(kChannel, kMessage);
    engine.Shutdown();
    CerrCapture cerr;

    if (from_other_thread) {
      std::thread([reply = std::move(held)] { Answer(reply, kAnswer); }).join();
    } else {
      Answer(held, kAnswer);
    }

    EXPECT_EQ(cerr.Text(), "");
    EXPECT_EQ(engine.CallCount(kOrvaneEmbedderCallSendResponse), 0u);
  }
}

TEST_F(BinaryMessengerImplTest, Reply_OutlivesTheEngineAndIsDroppedFromAnotherThread) {
  BinaryReply held;
  {
    StandinEngine engine;
    BinaryMessengerImpl messenger(engine.messenger());
    messenger.SetMessageHandler(
        kChannel, [&held](const uint8_t*, size_t, BinaryReply reply) { held = std::move(reply); });
    engine.Deliver(kChannel, kMessage);
  }
  CerrCapture cerr;

  // The reply's own reference keeps the messenger handle valid; the sanitizers check the rest.
  std::thread([reply = std::move(held)] { Answer(reply, kAnswer); }).join();

  EXPECT_EQ(cerr.Text(), "");
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

TEST_F(BinaryMessengerImplTest, Send_WithoutReplyReachesTheDartSide) {
  messenger_.Send(kChannel, kMessage.data(), kMessage.size());

  const auto sent = engine_.TakeSent();
  ASSERT_TRUE(sent.has_value());
  EXPECT_EQ(sent->channel, kChannel);
  EXPECT_EQ(sent->bytes, kMessage);
  EXPECT_EQ(sent->replyId, 0u);
}

TEST_F(BinaryMessengerImplTest, Send_WithReplyCallsItOnceOrFreesItWhenRefused) {
  for (const bool refused : {false, true}) {
    SCOPED_TRACE(refused ? "refused" : "accepted");
    engine_.SetRefuseSendWithReply(refused);
    auto alive = std::make_shared<int>(0);
    std::vector<std::vector<uint8_t>> replies;
    messenger_.Send(kChannel, kMessage.data(), kMessage.size(),
                    [alive, &replies](const uint8_t* reply, size_t size) {
                      replies.emplace_back(reply, reply + size);
                    });

    if (!refused) {
      const auto sent = engine_.TakeSent();
      ASSERT_TRUE(sent.has_value());
      EXPECT_TRUE(engine_.AnswerSent(sent->replyId, kAnswer));
      EXPECT_FALSE(engine_.AnswerSent(sent->replyId, kAnswer));
    }

    EXPECT_EQ(alive.use_count(), 1) << "the reply holder must be freed";
    EXPECT_EQ(replies, refused ? std::vector<std::vector<uint8_t>>()
                               : std::vector<std::vector<uint8_t>>{kAnswer});
  }
}

}  // namespace
}  // namespace flutter
