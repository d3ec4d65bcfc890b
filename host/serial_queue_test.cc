// SerialQueue. Busy and stuck workers are gated, never timed.
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

constexpr std::int64_t kGenerousMs = 10'000;  // only reached when something is broken
const std::thread::id kTestThread = std::this_thread::get_id();
using Trace = std::vector<int>;

struct Gate {  // a latch a task blocks on until the test opens it
  std::promise<void> opened;
  std::shared_future<void> open = opened.get_future().share();
  void Open() { opened.set_value(); }
  void Wait() const { open.wait(); }
};

// Blocks the worker until the returned gate opens, then runs `after`; returns once it is inside.
std::shared_ptr<Gate> Block(SerialQueue& queue, SerialQueue::Task after = nullptr) {
  auto gate = std::make_shared<Gate>();
  auto inside = std::make_shared<Gate>();
  EXPECT_TRUE(queue.Post([gate, inside, after] {
    inside->Open();
    gate->Wait();
    if (after) after();
  }));
  inside->Wait();
  return gate;
}

// Two barriers: a timer that fell due behind the first one has run after the second.
void Drain(SerialQueue& queue) {
  ASSERT_TRUE(queue.PostAndWait([] {}, kGenerousMs));
  ASSERT_TRUE(queue.PostAndWait([] {}, kGenerousMs));
}

TEST(SerialQueueTest, Post_RunsInOrderOnTheWorkerAndRefusesEmptyTasks) {
  SerialQueue queue("test");
  EXPECT_FALSE(queue.Post(nullptr));
  EXPECT_FALSE(queue.PostAndWait(nullptr, kGenerousMs));
  EXPECT_EQ(queue.PostDelayed(0, nullptr), 0u);
  Trace trace;
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(queue.Post([&, i] { trace.push_back(i); }));
  // On the worker, PostAndWait runs inline; a plain Post still waits its turn.
  ASSERT_TRUE(queue.PostAndWait(
      [&] {
        queue.Post([&trace] { trace.push_back(5); });
        EXPECT_TRUE(queue.PostAndWait([&trace] { trace.push_back(3); }, 0));
        trace.push_back(std::this_thread::get_id() == kTestThread ? -1 : 4);
      },
      kGenerousMs));
  // A busy worker: PostAndWait gives false when its limit runs out; the task still runs later.
  const auto gate = Block(queue);
  for (const std::int64_t limitMs : {0, -1, 20}) {
    EXPECT_FALSE(queue.PostAndWait([&trace] { trace.push_back(6); }, limitMs)) << limitMs;
  }
  gate->Open();
  Drain(queue);
  EXPECT_EQ(trace, (Trace{0, 1, 2, 3, 4, 5, 6, 6, 6}));
}

// Timers go by the queue's clock: here one that moves only when the test moves it.
TEST(SerialQueueTest, Timers_RunOnTheQueuesClockAfterReadyTasksByDeadlineThenId) {
  constexpr std::int64_t kSecond = 1'000'000'000;
  auto now = std::make_shared<std::atomic<std::int64_t>>(100 * kSecond);
  SerialQueue queue("test", [now] { return now->load(); });
  Trace trace;
  const auto gate = Block(queue);
  // Equal deadlines go by id, whatever the order the deadlines were given in.
  for (const auto& [delay, mark] : {std::pair{20, 4}, {10, 1}, {10, 2}, {15, 3}}) {
    ASSERT_NE(queue.PostDelayed(delay * kSecond, [&trace, mark = mark] { trace.push_back(mark); }),
              0u);
  }
  ASSERT_NE(queue.PostDelayed(-5, [&trace] { trace.push_back(5); }), 0u);  // due at once
  ASSERT_TRUE(queue.Post([&trace] { trace.push_back(0); }));
  gate->Open();
  Drain(queue);
  EXPECT_EQ(trace, (Trace{0, 5}));
  now->store(115 * kSecond);
  Drain(queue);
  EXPECT_EQ(trace, (Trace{0, 5, 1, 2, 3}));
  now->store(120 * kSecond);
  Drain(queue);
  EXPECT_EQ(trace, (Trace{0, 5, 1, 2, 3, 4}));
}

TEST(SerialQueueTest, Cancel_RemovesOnlyScheduledTimersWhichThenNeverRun) {
  SerialQueue queue("test");
  auto runs = std::make_shared<std::atomic<int>>(0);
  const auto gate = Block(queue);
  const std::uint64_t far =
      queue.PostDelayed(std::int64_t{3600} * 1'000'000'000, [runs] { ++*runs; });
  const std::uint64_t due = queue.PostDelayed(0, [runs] { *runs += 10; });
  const std::uint64_t tie = queue.PostDelayed(-1, [runs] { *runs += 100; });
  EXPECT_TRUE(queue.Cancel(due));
  EXPECT_TRUE(queue.Cancel(far));
  EXPECT_FALSE(queue.Cancel(far));
  EXPECT_FALSE(queue.Cancel(0));
  EXPECT_FALSE(queue.Cancel(tie + 1));
  gate->Open();
  Drain(queue);
  EXPECT_EQ(runs->load(), 100);     // only the timer left scheduled
  EXPECT_FALSE(queue.Cancel(tie));  // already run

  // A due timer moved to run behind a busy task can no longer be cancelled, and still runs.
  std::uint64_t moved = 0;
  ASSERT_TRUE(
      queue.PostAndWait([&] { moved = queue.PostDelayed(0, [runs] { ++*runs; }); }, kGenerousMs));
  const auto busy = Block(queue);  // the worker moved the due timer to run before taking this
  EXPECT_FALSE(queue.Cancel(moved));
  busy->Open();
  Drain(queue);
  EXPECT_EQ(runs->load(), 101);
}

TEST(SerialQueueTest, Shutdown_DiscardsPendingWorkAndRefusesPosts) {
  auto queue = std::make_unique<SerialQueue>("test");
  auto runs = std::make_shared<std::atomic<int>>(0);
  const auto gate = Block(*queue);
  ASSERT_TRUE(queue->Post([runs] { ++*runs; }));
  ASSERT_NE(queue->PostDelayed(0, [runs] { ++*runs; }), 0u);
  // Frees the worker only when Shutdown destroys this pending task, i.e. after discarding.
  std::shared_ptr<void> opener(nullptr, [gate](void*) { gate->Open(); });
  ASSERT_TRUE(queue->Post([opener] {}));
  opener.reset();
  EXPECT_TRUE(queue->Shutdown(kGenerousMs));
  EXPECT_FALSE(queue->Post([runs] { ++*runs; }));
  EXPECT_FALSE(queue->PostAndWait([runs] { ++*runs; }, 0));
  EXPECT_EQ(queue->PostDelayed(0, [runs] { ++*runs; }), 0u);
  EXPECT_TRUE(queue->Shutdown(0));
  queue.reset();  // returns at once: the worker is already joined
  EXPECT_EQ(runs->load(), 0);
}

TEST(SerialQueueTest, Shutdown_GivesUpOnABusyWorkerWhichStillFinishes) {
  auto queue = std::make_unique<SerialQueue>("test");
  auto finished = std::make_shared<Gate>();
  const auto gate = Block(*queue, [finished] { finished->Open(); });
  std::atomic<bool> waited{true};
  std::thread waiter([&] { waited = queue->PostAndWait([] {}, 50); });
  EXPECT_FALSE(queue->Shutdown(0));  // busy: gives up at once and detaches
  waiter.join();
  EXPECT_FALSE(waited);  // refused, or discarded unrun
  queue.reset();
  gate->Open();  // the detached worker finishes its task without the queue object
  finished->Wait();

  // A thread cannot join itself: from the worker, Shutdown detaches and even inline posts fail.
  SerialQueue self("test");
  std::atomic<int> result{-1};
  ASSERT_TRUE(self.PostAndWait(
      [&] { result = self.Shutdown(kGenerousMs) + 2 * self.PostAndWait([] {}, 0); }, kGenerousMs));
  EXPECT_EQ(result.load(), 0);
}

#if defined(__cpp_exceptions) || defined(_CPPUNWIND)
TEST(SerialQueueTest, ThrowingTask_IsReportedAndTheQueueGoesOn) {
  SerialQueue queue("test");
  EXPECT_FALSE(queue.PostAndWait([] { throw 1; }, 20));
  EXPECT_TRUE(queue.PostAndWait([] {}, kGenerousMs));
}
#endif

}  // namespace
}  // namespace orvane::host
