// The stand-in embedder's own promises that hosts rely on.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "orvane_embedder/standin_engine.h"

namespace orvane::embedder {
namespace {

constexpr char kChannel[] = "test/channel";

TEST(StandinEngineTest, Shutdown_WaitsForTheMessengerLockAndEndsEverything) {
  StandinEngine engine;
  const FlutterDesktopMessengerRef messenger = engine.messenger();
  // A channel without a callback is answered at once, with an empty reply, exactly once.
  const uint64_t id = engine.Deliver(kChannel, {1});
  EXPECT_EQ(engine.TakeReply(id), std::vector<uint8_t>());
  EXPECT_EQ(engine.TakeReply(id), std::nullopt);
  const FlutterDesktopPluginRegistrarRef registrar = engine.CreateRegistrar();
  static std::atomic<FlutterDesktopPluginRegistrarRef> destroyed{nullptr};
  FlutterDesktopPluginRegistrarSetDestructionHandler(
      registrar, [](FlutterDesktopPluginRegistrarRef handle) { destroyed = handle; });
  static std::atomic<int> empty_replies{0};
  const uint8_t byte = 1;
  ASSERT_TRUE(FlutterDesktopMessengerSendWithReply(
      messenger, kChannel, &byte, 1,
      [](const uint8_t*, size_t size, void*) { empty_replies += size == 0 ? 1 : 100; }, nullptr));

  ASSERT_EQ(FlutterDesktopMessengerLock(messenger), messenger);
  std::thread shutdown([&engine] { engine.Shutdown(); });
  // A shutdown that does not wait may go unnoticed here, but is never reported falsely.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_TRUE(FlutterDesktopMessengerIsAvailable(messenger));
  FlutterDesktopMessengerUnlock(messenger);
  shutdown.join();

  EXPECT_FALSE(FlutterDesktopMessengerIsAvailable(messenger));
  EXPECT_EQ(destroyed.load(), registrar);
  EXPECT_FALSE(engine.DestroyRegistrar(registrar));
  EXPECT_EQ(empty_replies.load(), 1);  // the unanswered send got one empty reply
  EXPECT_FALSE(FlutterDesktopMessengerSend(messenger, kChannel, &byte, 1));
  EXPECT_EQ(engine.Deliver(kChannel, {1}), 0u);
  EXPECT_EQ(engine.CreateRegistrar(), nullptr);
}

}  // namespace
}  // namespace orvane::embedder
