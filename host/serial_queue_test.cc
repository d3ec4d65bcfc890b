// Tests for SerialQueue: ordering, waiting, timers, cancellation and bounded shutdown, plus a
// concurrent stress run meant for ThreadSanitizer.
#include "host/serial_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <future>
#include <memory>
#include <thread>
#include <vector>

namespace orvane::host {
namespace {

constexpr std::int64_t kGenerousMs = 5000;  // Only reached when something is broken.
constexpr std::int64_t kShortMs = 20;
constexpr std::int64_t kNsPerMs = 1'000'000;

// A latch a task can block on until the test opens it, so "busy" and "stuck" are deterministic.
struct Gate {
  std::promise<void> opened;
  std::shared_future<void> open = opened.get_future().share();
  void Open() { opened.set_value(); }
  void Wait() const { open.wait(); }
};

// Records the order of task runs; only touched on the worker, read after a PostAndWait barrier.
using Trace = std::vector<int>;

TEST(SerialQueueTest, Post_RunsTasksInOrderOnOneOtherThreadAndRefusesEmptyOnes) {
  SerialQueue queue("test");
  EXPECT_FALSE(queue.Post(nullptr));
  EXPECT_FALSE(queue.PostAndWait(nullptr, kGenerousMs));
  EXPECT_EQ(queue.PostDelayed(0, nullptr), 0u);
  Trace trace;
  std::thread::id workerId;
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(queue.Post([&trace, &workerId, i] {
      trace.push_back(i);
      workerId = std::this_thread::get_id();
    }));
  }
  ASSERT_TRUE(queue.PostAndWait([] {}, kGenerousMs));
  EXPECT_EQ(trace, (Trace{0, 1, 2, 3, 4}));
  EXPECT_NE(workerId, std::this_thread::get_id());
}

TEST(SerialQueueTest, PostAndWait_OnWorkerRunsInline) {
  SerialQueue queue("test");
  Trace trace;
  bool innerResult = false;
  ASSERT_TRUE(queue.PostAndWait(
      [&] {
        queue.Post([&trace] { trace.push_back(3); });
        innerResult = queue.PostAndWait([&trace] { trace.push_back(1); }, 0);
        trace.push_back(2);
      },
      kGenerousMs));
  ASSERT_TRUE(queue.PostAndWait([] {}, kGenerousMs));
  EXPECT_TRUE(innerResult);
  EXPECT_EQ(trace, (Trace{1, 2, 3}));
}

TEST(SerialQueueTest, PostAndWait_TimeoutGivesFalseAndTaskStillRuns) {
  Gate gate;  // Declared first: it must outlive the worker that uses it.
  SerialQueue queue("test");
  ASSERT_TRUE(queue.Post([&gate] { gate.Wait(); }));
  auto ran = std::make_shared<std::atomic<bool>>(false);
  for (const std::int64_t limitMs : {std::int64_t{0}, std::int64_t{-1}, kShortMs}) {
    EXPECT_FALSE(queue.PostAndWait([ran] { ran->store(true); }, limitMs)) << limitMs;
  }
  EXPECT_FALSE(ran->load());
  gate.Open();
  ASSERT_TRUE(queue.PostAndWait([] {}, kGenerousMs));
  EXPECT_TRUE(ran->load());
}

TEST(SerialQueueTest, Timers_RunByDeadlineAfterReadyTasks) {
  Gate started;
  Gate gate;
  Gate barrier;
  Trace trace;
  SerialQueue queue("test");
  ASSERT_TRUE(queue.Post([&] {
    started.Open();
    gate.Wait();
  }));
  started.Wait();
  // While the worker is held all three timers fall due; they run by deadline, not by id.
  const std::uint64_t late = queue.PostDelayed(2 * kNsPerMs, [&trace] { trace.push_back(3); });
  const std::uint64_t first = queue.PostDelayed(-5, [&trace] { trace.push_back(1); });
  const std::uint64_t second = queue.PostDelayed(0, [&trace] { trace.push_back(2); });
  ASSERT_TRUE(queue.Post([&trace] { trace.push_back(0); }));
  EXPECT_NE(late, 0u);
  EXPECT_LT(late, first);
  EXPECT_LT(first, second);
  std::this_thread::sleep_for(std::chrono::milliseconds(3));
  // Its deadline and id are both the largest, so it runs last of the timers.
  ASSERT_NE(queue.PostDelayed(0, [&barrier] { barrier.Open(); }), 0u);
  gate.Open();
  barrier.Wait();
  EXPECT_EQ(trace, (Trace{0, 1, 2, 3}));
}

TEST(SerialQueueTest, Cancel_OnlyRemovesScheduledTimers) {
  std::atomic<int> runs{0};
  Gate reached;
  Gate gate;
  SerialQueue queue("test");
  const std::uint64_t far = queue.PostDelayed(kGenerousMs * kNsPerMs, [&runs] { ++runs; });
  EXPECT_TRUE(queue.Cancel(far));
  EXPECT_FALSE(queue.Cancel(far));
  EXPECT_FALSE(queue.Cancel(0));
  EXPECT_FALSE(queue.Cancel(far + 1000));

  // A due timer is moved to ready behind the blocking task before that task starts, so once the
  // blocking task has been reached, the timer can no longer be cancelled but still runs.
  std::uint64_t due = 0;
  ASSERT_TRUE(queue.PostAndWait(
      [&] {
        queue.Post([&] {
          reached.Open();
          gate.Wait();
        });
        due = queue.PostDelayed(0, [&runs] { ++runs; });
      },
      kGenerousMs));
  reached.Wait();
  EXPECT_FALSE(queue.Cancel(due));
  gate.Open();
  ASSERT_TRUE(queue.PostAndWait([] {}, kGenerousMs));
  EXPECT_EQ(runs.load(), 1);
  EXPECT_FALSE(queue.Cancel(due));
}

TEST(SerialQueueTest, Shutdown_DiscardsPendingAndRefusesPosts) {
  Gate gate;
  auto queue = std::make_unique<SerialQueue>("test");
  auto runs = std::make_shared<std::atomic<int>>(0);
  ASSERT_TRUE(queue->Post([&gate] { gate.Wait(); }));
  ASSERT_TRUE(queue->Post([runs] { ++*runs; }));
  ASSERT_NE(queue->PostDelayed(0, [runs] { ++*runs; }), 0u);
  // Frees the worker only when Shutdown destroys this pending task, i.e. after discarding.
  std::shared_ptr<void> opener(nullptr, [&gate](void*) { gate.Open(); });
  ASSERT_TRUE(queue->Post([opener] {}));
  opener.reset();
  std::atomic<bool> waiterResult{true};
  std::thread waiter([&] { waiterResult = queue->PostAndWait([runs] { ++*runs; }, 2 * kShortMs); });
  std::this_thread::sleep_for(std::chrono::milliseconds(kShortMs / 2));
  EXPECT_TRUE(queue->Shutdown(kGenerousMs));
  waiter.join();
  EXPECT_FALSE(waiterResult);
  EXPECT_EQ(runs->load(), 0);

  EXPECT_FALSE(queue->Post([runs] { ++*runs; }));
  EXPECT_FALSE(queue->PostAndWait([runs] { ++*runs; }, kShortMs));
  EXPECT_EQ(queue->PostDelayed(0, [runs] { ++*runs; }), 0u);
  EXPECT_TRUE(queue->Shutdown(0));
  queue.reset();  // Returns at once: the worker is already joined.
  EXPECT_EQ(runs->load(), 0);
}

TEST(SerialQueueTest, Shutdown_FromWorkerDetachesAndStillFinishesTask) {
  auto queue = std::make_unique<SerialQueue>("test");
  auto finished = std::make_shared<std::atomic<bool>>(false);
  auto result = std::make_shared<std::atomic<int>>(-1);
  SerialQueue* const raw = queue.get();
  ASSERT_TRUE(queue->PostAndWait(
      [raw, finished, result] {
        *result = raw->Shutdown(kGenerousMs) ? 1 : 0;
        // Stopping: even the inline path refuses now.
        if (!raw->PostAndWait([] {}, 0)) finished->store(true);
      },
      kGenerousMs));
  EXPECT_EQ(result->load(), 0);
  EXPECT_TRUE(finished->load());
  EXPECT_TRUE(queue->Shutdown(0));
}

TEST(SerialQueueTest, Shutdown_StuckTaskGivesUpWithinBoundAndWorkerFinishesSafely) {
  auto started = std::make_shared<Gate>();
  auto gate = std::make_shared<Gate>();
  auto finished = std::make_shared<Gate>();
  {
    SerialQueue queue("test");
    ASSERT_TRUE(queue.Post([started, gate, finished] {
      started->Open();
      gate->Wait();
      finished->Open();
    }));
    started->Wait();
    std::atomic<bool> waited{true};
    std::thread waiter([&] { waited = queue.PostAndWait([] {}, kShortMs); });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(queue.Shutdown(kShortMs));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kGenerousMs));
    waiter.join();
    EXPECT_FALSE(waited);
  }
  // The queue object is gone; the detached worker must finish its task without touching it.
  gate->Open();
  finished->Wait();
}

#if defined(__cpp_exceptions) || defined(_CPPUNWIND)
TEST(SerialQueueTest, ThrowingTask_IsReportedAndQueueGoesOn) {
  SerialQueue queue("test");
  EXPECT_FALSE(queue.PostAndWait([] { throw 1; }, kShortMs));
  EXPECT_TRUE(queue.PostAndWait([] {}, kGenerousMs));
}
#endif

// Many threads post, wait with short limits, schedule and cancel timers, while one shuts down.
// It asserts little beyond termination; its value is under ThreadSanitizer and ASan.
TEST(SerialQueueTest, Stress_ConcurrentUseAndShutdown) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 200;
  auto queue = std::make_unique<SerialQueue>("stress");
  auto counter = std::make_shared<std::atomic<int>>(0);
  std::atomic<bool> go{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      while (!go) std::this_thread::yield();
      for (int i = 0; i < kRounds; ++i) {
        queue->Post([counter] { ++*counter; });
        queue->PostAndWait([counter] { ++*counter; }, (i + t) % 3);
        const std::uint64_t id =
            queue->PostDelayed((i % 4) * kNsPerMs / 4, [counter] { ++*counter; });
        if (i % 2 == 0) queue->Cancel(id);
        if (t == 0 && i == kRounds / 2) queue->Shutdown(1);
      }
    });
  }
  go = true;
  for (auto& thread : threads) thread.join();
  queue.reset();
  EXPECT_GT(counter->load(), 0);
}

}  // namespace
}  // namespace orvane::host
