// Over the stand-in embedder: the messenger's handlers, replies and sends, the registrar, its
// manager and the texture facade.
#include "flutter/plugin_registrar.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "flutter/binary_messenger_impl.h"
#include "flutter/plugin_registrar_manager.h"
#include "orvane_embedder/standin_engine.h"
#include "testing/fake_binary_messenger.h"

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
  auto alive = std::make_shared<int>();
  messenger_.SetMessageHandler(kChannel, [this, alive](const uint8_t*, size_t, BinaryReply reply) {
    held_ = std::move(reply);
  });
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
  // Removing the handler unregisters the channel and frees the handler at once.
  messenger_.SetMessageHandler(kChannel, nullptr);
  EXPECT_EQ(engine_.ChannelCallback(kChannel), std::nullopt);
  EXPECT_EQ(alive.use_count(), 1);
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

TEST(PluginRegistrarManagerTest, OneWrapperPerHandle_PluginGoesBeforeTheMessenger) {
  StandinEngine engine;
  const FlutterDesktopPluginRegistrarRef handle = engine.CreateRegistrar();
  auto* manager = PluginRegistrarManager::GetInstance();
  PluginRegistrar* registrar = manager->GetRegistrar<PluginRegistrar>(handle);
  ASSERT_NE(registrar, nullptr);
  EXPECT_EQ(manager->GetRegistrar<PluginRegistrar>(handle), registrar);
  std::vector<std::string> log;
  // The handler's state records when the messenger lets it go.
  std::shared_ptr<void> handler_state(nullptr, [&log](void*) { log.push_back("handler"); });
  registrar->messenger()->SetMessageHandler(
      "kept/channel", [handler_state](const uint8_t*, size_t, BinaryReply) {});
  handler_state.reset();
  // Says goodbye on the messenger and removes a handler while being destroyed.
  registrar->AddPlugin(std::make_unique<testing::FarewellPlugin>([registrar, &log] {
    log.push_back("plugin");
    const uint8_t farewell = 1;
    registrar->messenger()->Send(kChannel, &farewell, sizeof(farewell));
    registrar->messenger()->SetMessageHandler("other/channel", nullptr);
  }));

  ASSERT_TRUE(engine.DestroyRegistrar(handle));

  EXPECT_EQ(log, (std::vector<std::string>{"plugin", "handler"}));
  const auto farewell = engine.TakeSent();
  ASSERT_TRUE(farewell.has_value());
  EXPECT_EQ(farewell->channel, kChannel);
}

TEST(TextureRegistrarTest, RegistersEachVariantAndUnregistersOnce) {
  StandinEngine engine;
  PluginRegistrar registrar(engine.CreateRegistrar());
  TextureRegistrar* textures = registrar.texture_registrar();
  TextureVariant pixels(PixelBufferTexture([](size_t, size_t) { return nullptr; }));
  TextureVariant surface(GpuSurfaceTexture(kFlutterDesktopGpuSurfaceTypeDxgiSharedHandle,
                                           [](size_t, size_t) { return nullptr; }));
  CerrCapture cerr;
  EXPECT_EQ(textures->RegisterTexture(nullptr), -1);
  EXPECT_EQ(cerr.Text(), "Attempting to register unknown texture variant.\n");

  const int64_t pixels_id = textures->RegisterTexture(&pixels);
  const int64_t surface_id = textures->RegisterTexture(&surface);
  EXPECT_GT(pixels_id, 0);
  EXPECT_EQ(engine.TextureType(pixels_id), kFlutterDesktopPixelBufferTexture);
  EXPECT_EQ(engine.TextureType(surface_id), kFlutterDesktopGpuSurfaceTexture);
  EXPECT_TRUE(textures->MarkTextureFrameAvailable(pixels_id));
  int completions = 0;
  textures->UnregisterTexture(pixels_id, [&completions] { ++completions; });
  EXPECT_EQ(completions, 1);
  EXPECT_FALSE(textures->MarkTextureFrameAvailable(pixels_id));
  EXPECT_TRUE(textures->UnregisterTexture(surface_id));
  EXPECT_EQ(engine.TextureType(surface_id), -1);
}

}  // namespace
}  // namespace flutter
