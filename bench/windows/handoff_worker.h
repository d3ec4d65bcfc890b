// A minimal one-thread task queue (a deque, a mutex, a condition variable, a worker): the least a
// hand-off to an injection thread can cost, to tell the hand-off's share of the plugin's latency
// from the rest.
#ifndef BENCH_WINDOWS_HANDOFF_WORKER_H_
#define BENCH_WINDOWS_HANDOFF_WORKER_H_

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace orvane::bench {

// Contract: Post from any thread; tasks run in order on the worker. The destructor runs what is
// queued, then joins.
class HandoffWorker {
 public:
  HandoffWorker();
  ~HandoffWorker();

  HandoffWorker(const HandoffWorker&) = delete;
  HandoffWorker& operator=(const HandoffWorker&) = delete;

  void Post(std::function<void()> task);

 private:
  void Run();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> tasks_;
  bool stopping_ = false;
  std::thread worker_;
};

}  // namespace orvane::bench

#endif  // BENCH_WINDOWS_HANDOFF_WORKER_H_
