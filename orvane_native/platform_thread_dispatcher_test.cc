// The platform-thread dispatcher (thread, order, lost wakes, teardown) and the event relay.
#include "platform_thread_dispatcher.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "event_relay.h"

namespace orvane_native {
namespace {

// Dispatches the window's queued messages; returns how many there were.
int Pump(HWND window) {
  int count = 0;
  for (MSG message{}; PeekMessageW(&message, window, 0, 0, PM_REMOVE); ++count) {
    DispatchMessageW(&message);
  }
  return count;
}

TEST(PlatformThreadDispatcherTest, Post_RunsTasksFromOtherThreadsOnTheWindowThreadInOrder) {
  constexpr std::size_t kPosters = 4;
  constexpr std::size_t kTasksPerPoster = 200;
  PlatformThreadDispatcher dispatcher;
  ASSERT_NE(dispatcher.window(), nullptr);
  // Each poster's next sequence number, advanced only by tasks that run on this thread in order.
  std::vector<std::size_t> next(kPosters);
  std::size_t ran = 0;
  const DWORD windowThread = GetCurrentThreadId();
  std::vector<std::thread> posters;
  for (std::size_t poster = 0; poster < kPosters; ++poster) {
    posters.emplace_back([&, poster] {
      for (std::size_t sequence = 0; sequence < kTasksPerPoster; ++sequence) {
        dispatcher.Post([&, poster, sequence] {
          if (GetCurrentThreadId() == windowThread && next[poster] == sequence) ++next[poster];
          ++ran;
        });
      }
    });
  }
  // Drain while the posters post, so posts race with drains; the deadline only guards a hang.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (ran < kPosters * kTasksPerPoster && std::chrono::steady_clock::now() < deadline) {
    if (Pump(dispatcher.window()) == 0) std::this_thread::yield();
  }
  for (std::thread& poster : posters) poster.join();
  EXPECT_EQ(next, std::vector<std::size_t>(kPosters, kTasksPerPoster));
}

TEST(PlatformThreadDispatcherTest, Post_SurvivesALostWakeAndDefersTasksPostedByATask) {
  PlatformThreadDispatcher dispatcher;
  const HWND window = dispatcher.window();
  ASSERT_NE(window, nullptr) << "error " << dispatcher.creationError();
  constexpr UINT kWake = PlatformThreadDispatcher::kWakeMessage;
  EXPECT_EQ(SendMessageW(window, kWake, 0, 0), 0);  // nothing queued: nothing happens
  EXPECT_FALSE(dispatcher.Post(nullptr));
  std::string trace;
  ASSERT_TRUE(dispatcher.Post([&] { trace += 'a'; }));
  // A modal loop or a message filter takes the wake message without dispatching it.
  MSG message{};
  ASSERT_TRUE(PeekMessageW(&message, window, kWake, kWake, PM_REMOVE));
  ASSERT_TRUE(dispatcher.Post([&] {
    trace += 'b';
    dispatcher.Post([&] { trace += 'c'; });
  }));
  // The next wake runs everything queued before it; what a task posts waits for a later wake.
  ASSERT_TRUE(PeekMessageW(&message, window, kWake, kWake, PM_REMOVE));
  DispatchMessageW(&message);
  EXPECT_EQ(trace, "ab");
  Pump(window);
  EXPECT_EQ(trace, "abc");
}

TEST(PlatformThreadDispatcherTest, Destruction_DropsQueuedTasksAndPostsItCauses) {
  int ran = 0;
  bool lateTaskRefused = false;
  HWND window = nullptr;
  {
    PlatformThreadDispatcher dispatcher;
    window = dispatcher.window();
    ASSERT_NE(window, nullptr);
    // State that posts when it is destroyed, as an owner torn down with its task would.
    std::shared_ptr<void> postsWhenDropped(
        nullptr, [&](void*) { lateTaskRefused = !dispatcher.Post([&ran] { ++ran; }); });
    dispatcher.Post([&ran, postsWhenDropped] { ++ran; });
    postsWhenDropped.reset();
    dispatcher.Post([&ran] { ++ran; });
  }
  EXPECT_TRUE(lateTaskRefused);
  // The wake message left behind finds neither window nor dispatcher.
  Pump(window);
  EXPECT_EQ(ran, 0);
  EXPECT_FALSE(IsWindow(window));
}

// The relay queues one drain task at a time: a later post's wake must run it if its own was lost.
TEST(EventRelayTest, Post_OneDrainTaskSurvivesALostWakeAndCloseDropsEverything) {
  PlatformThreadDispatcher dispatcher;
  std::string got;
  const auto relay = std::make_shared<EventRelay>(
      dispatcher,
      [&](const flutter::EncodableValue& event) { got += std::get<std::string>(event); });
  MSG message{};
  const auto post = [&](const char* event) { relay->Post(flutter::EncodableValue(event)); };
  const auto takeWake = [&] {
    return PeekMessageW(&message, dispatcher.window(), 0, 0, PM_REMOVE);
  };
  post("a");
  ASSERT_TRUE(takeWake());  // taken undispatched, as a modal loop may
  post("b");
  ASSERT_TRUE(takeWake());
  DispatchMessageW(&message);
  post("c");
  relay->Close();
  post("d");
  while (takeWake()) DispatchMessageW(&message);
  EXPECT_EQ(got, "ab");
}

}  // namespace
}  // namespace orvane_native
