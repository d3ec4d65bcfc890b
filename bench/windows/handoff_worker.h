// A minimal one-thread task queue (a deque, a lock, a condition variable, a worker): the least a
// hand-off to an injection thread can cost, to tell the hand-off's share of the plugin's latency
// from the rest. Two kinds of primitives: the standard library's, which the plugin's queue uses
// (under MinGW they are built on Win32 semaphores), and Win32's slim lock and condition variable,
// which MSVC's standard library is built on.
#ifndef BENCH_WINDOWS_HANDOFF_WORKER_H_
#define BENCH_WINDOWS_HANDOFF_WORKER_H_

#include <windows.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

namespace orvane::bench {

class StdSync {
 public:
  void Lock() { mutex_.lock(); }
  void Unlock() { mutex_.unlock(); }
  // Called locked; returns locked.
  void Wait() {
    std::unique_lock<std::mutex> lock(mutex_, std::adopt_lock);
    wake_.wait(lock);
    lock.release();
  }
  void Wake() { wake_.notify_one(); }

 private:
  std::mutex mutex_;
  std::condition_variable wake_;
};

class Win32Sync {
 public:
  void Lock() { AcquireSRWLockExclusive(&lock_); }
  void Unlock() { ReleaseSRWLockExclusive(&lock_); }
  void Wait() { SleepConditionVariableSRW(&wake_, &lock_, INFINITE, 0); }
  void Wake() { WakeConditionVariable(&wake_); }

 private:
  SRWLOCK lock_ = SRWLOCK_INIT;
  CONDITION_VARIABLE wake_ = CONDITION_VARIABLE_INIT;
};

// Contract: Post from any thread; tasks run in order on the worker. The destructor runs what is
// queued, then joins.
template <typename Sync>
class HandoffWorker {
 public:
  HandoffWorker() : worker_([this] { Run(); }) {}
  ~HandoffWorker() {
    sync_.Lock();
    stopping_ = true;
    sync_.Unlock();
    sync_.Wake();
    worker_.join();
  }

  HandoffWorker(const HandoffWorker&) = delete;
  HandoffWorker& operator=(const HandoffWorker&) = delete;

  void Post(std::function<void()> task) {
    sync_.Lock();
    tasks_.push_back(std::move(task));
    sync_.Unlock();
    sync_.Wake();
  }

 private:
  void Run() {
    sync_.Lock();
    for (;;) {
      while (!stopping_ && tasks_.empty()) sync_.Wait();
      if (tasks_.empty()) break;
      std::function<void()> task = std::move(tasks_.front());
      tasks_.pop_front();
      sync_.Unlock();
      task();
      sync_.Lock();
    }
    sync_.Unlock();
  }

  Sync sync_;
  std::deque<std::function<void()>> tasks_;
  bool stopping_ = false;
  std::thread worker_;
};

}  // namespace orvane::bench

#endif  // BENCH_WINDOWS_HANDOFF_WORKER_H_
