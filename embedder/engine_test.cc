// Tests of the stand-in's own promises that hosts rely on: shutdown, the messenger lock, unhandled
// channels and unanswered sends-with-reply.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "orvane_embedder/standin_engine.h"

namespace orvane::embedder {
namespace {

constexpr char kChannel[] = "test/channel";

TEST(StandinEngineTest, Deliver_WithoutCallbackIsAnsweredEmptyAndZeroAfterShutdown) {
  StandinEngine engine;
  const uint64_t id = engine.Deliver(kChannel, {1});

  EXPECT_NE(id, 0u);
  EXPECT_EQ(engine.TakeReply(id), std::vector<uint8_t>());
  EXPECT_EQ(engine.TakeReply(id), std::nullopt);
  engine.Shutdown();
  EXPECT_EQ(engine.Deliver(kChannel, {1}), 0u);
  EXPECT_EQ(engine.CreateRegistrar(), nullptr);
}

TEST(StandinEngineTest, Shutdown_WaitsForTheMessengerLockAndDestroysRegistrars) {
  StandinEngine engine;
  const FlutterDesktopMessengerRef messenger = engine.messenger();
  const FlutterDesktopPluginRegistrarRef registrar = engine.CreateRegistrar();
  static std::atomic<FlutterDesktopPluginRegistrarRef> destroyed{nullptr};
  FlutterDesktopPluginRegistrarSetDestructionHandler(
      registrar, [](FlutterDesktopPluginRegistrarRef handle) { destroyed = handle; });

  ASSERT_EQ(FlutterDesktopMessengerLock(messenger), messenger);
  std::thread shutdown([&engine] { engine.Shutdown(); });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_TRUE(FlutterDesktopMessengerIsAvailable(messenger));
  FlutterDesktopMessengerUnlock(messenger);
  shutdown.join();

  EXPECT_FALSE(FlutterDesktopMessengerIsAvailable(messenger));
  EXPECT_EQ(destroyed.load(), registrar);
  EXPECT_FALSE(engine.DestroyRegistrar(registrar));
}

TEST(StandinEngineTest, Shutdown_AnswersUnansweredSendsWithAnEmptyReply) {
  StandinEngine engine;
  static int calls = 0;
  static size_t reply_size = 1;
  const uint8_t byte = 1;
  ASSERT_TRUE(FlutterDesktopMessengerSendWithReply(
      engine.messenger(), kChannel, &byte, 1,
      [](const uint8_t*, size_t size, void*) {
        ++calls;
        reply_size = size;
      },
      nullptr));

  engine.Shutdown();

  EXPECT_EQ(calls, 1);
  EXPECT_EQ(reply_size, 0u);
  EXPECT_FALSE(FlutterDesktopMessengerSend(engine.messenger(), kChannel, &byte, 1));
}

}  // namespace
}  // namespace orvane::embedder
