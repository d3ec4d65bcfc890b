// Tests of the platform-thread dispatcher: ordering, thread, coalesced wakes and teardown.
#include "platform_thread_dispatcher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace orvane_native {
namespace {

// Dispatches the window's queued messages; returns how many there were.
int PumpWindow(HWND window) {
  int count = 0;
  MSG message{};
  while (PeekMessageW(&message, window, 0, 0, PM_REMOVE)) {
    DispatchMessageW(&message);
    ++count;
  }
  return count;
}

// Dispatches at most one queued message of the window.
bool PumpOne(HWND window) {
  MSG message{};
  if (!PeekMessageW(&message, window, 0, 0, PM_REMOVE)) return false;
  DispatchMessageW(&message);
  return true;
}

TEST(PlatformThreadDispatcherTest, Construction_CreatesAMessageOnlyWindowOfItsClass) {
  const PlatformThreadDispatcher first;
  const PlatformThreadDispatcher second;
  ASSERT_NE(first.window(), nullptr) << "error " << first.creationError();
  ASSERT_NE(second.window(), nullptr) << "error " << second.creationError();
  EXPECT_NE(first.window(), second.window());
  EXPECT_EQ(first.creationError(), 0u);

  wchar_t className[64] = {};
  GetClassNameW(first.window(), className, 64);
  EXPECT_EQ(std::wstring(className), L"OrvaneNativeDispatcherWindow");
  EXPECT_EQ(GetWindowThreadProcessId(first.window(), nullptr), GetCurrentThreadId());
  EXPECT_FALSE(IsWindowVisible(first.window()));
  EXPECT_EQ(SendMessageW(first.window(), PlatformThreadDispatcher::kWakeMessage, 0, 0), 0);
}

TEST(PlatformThreadDispatcherTest, Post_RunsTasksFromOtherThreadsOnTheWindowThreadInOrder) {
  constexpr int kPosters = 4;
  constexpr int kTasksPerPoster = 200;
  constexpr int kTotal = kPosters * kTasksPerPoster;
  PlatformThreadDispatcher dispatcher;
  ASSERT_NE(dispatcher.window(), nullptr);

  struct Run {
    int poster;
    int sequence;
    DWORD thread;
  };
  std::vector<Run> runs;  // Written by tasks only, so only on this thread.
  std::vector<std::thread> posters;
  for (int poster = 0; poster < kPosters; ++poster) {
    posters.emplace_back([&dispatcher, &runs, poster] {
      for (int sequence = 0; sequence < kTasksPerPoster; ++sequence) {
        dispatcher.Post([&runs, poster, sequence] {
          runs.push_back({poster, sequence, GetCurrentThreadId()});
        });
      }
    });
  }
  // Drain while the posters post, so posts race with drains; the deadline only guards a hang.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (runs.size() < static_cast<std::size_t>(kTotal) &&
         std::chrono::steady_clock::now() < deadline) {
    if (PumpWindow(dispatcher.window()) == 0) std::this_thread::yield();
  }
  for (std::thread& poster : posters) poster.join();
  PumpWindow(dispatcher.window());

  ASSERT_EQ(runs.size(), static_cast<std::size_t>(kTotal));
  std::vector<int> next(kPosters, 0);
  for (const Run& run : runs) {
    EXPECT_EQ(run.thread, GetCurrentThreadId());
    EXPECT_EQ(run.sequence, next[run.poster]) << "poster " << run.poster;
    next[run.poster] = run.sequence + 1;
  }
}

TEST(PlatformThreadDispatcherTest, Post_CoalescesWakesAndDefersTasksPostedByATask) {
  PlatformThreadDispatcher dispatcher;
  ASSERT_NE(dispatcher.window(), nullptr);
  std::string trace;
  EXPECT_TRUE(dispatcher.Post([&] {
    trace += 'a';
    dispatcher.Post([&] { trace += 'c'; });
  }));
  EXPECT_TRUE(dispatcher.Post([&] { trace += 'b'; }));
  EXPECT_FALSE(dispatcher.Post(nullptr));
  EXPECT_EQ(trace, "");

  EXPECT_TRUE(PumpOne(dispatcher.window()));
  EXPECT_EQ(trace, "ab");
  EXPECT_TRUE(PumpOne(dispatcher.window()));
  EXPECT_EQ(trace, "abc");
  EXPECT_FALSE(PumpOne(dispatcher.window()));
}

TEST(PlatformThreadDispatcherTest, Destruction_DropsQueuedTasksAndLaterPosts) {
  int ran = 0;
  int destroyed = 0;
  HWND window = nullptr;
  {
    PlatformThreadDispatcher dispatcher;
    window = dispatcher.window();
    ASSERT_NE(window, nullptr);
    // A task whose captured state posts from its destructor, as an owner torn down with the task
    // would: during destruction that post must be refused, not deadlock or run.
    class PostsOnDestruction {
     public:
      PostsOnDestruction(PlatformThreadDispatcher* dispatcher, int* ran, int* destroyed)
          : dispatcher_(dispatcher), ran_(ran), destroyed_(destroyed) {}
      ~PostsOnDestruction() {
        ++*destroyed_;
        EXPECT_FALSE(dispatcher_->Post([ran = ran_] { ++*ran; }));
      }
      PostsOnDestruction(const PostsOnDestruction&) = delete;
      PostsOnDestruction& operator=(const PostsOnDestruction&) = delete;
      void Run() { ++*ran_; }

     private:
      PlatformThreadDispatcher* const dispatcher_;
      int* const ran_;
      int* const destroyed_;
    };
    auto state = std::make_shared<PostsOnDestruction>(&dispatcher, &ran, &destroyed);
    dispatcher.Post([state] { state->Run(); });
    state.reset();
    dispatcher.Post([&ran] { ++ran; });
  }
  EXPECT_EQ(destroyed, 1);
  // The wake message left behind finds no window and no dispatcher.
  PumpWindow(window);
  EXPECT_EQ(ran, 0);
  EXPECT_FALSE(IsWindow(window));
}

}  // namespace
}  // namespace orvane_native
