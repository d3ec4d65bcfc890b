// Post-to-start latency and throughput of SerialQueue, against a minimal mutex + condition
// variable hand-off measured the same way in the same run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "host/serial_queue.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kBatch = 1000;
constexpr double kMedian = 0.5;
constexpr double kP99 = 0.99;

// The least a one-thread queue can be: a deque, a mutex, a condition variable, a worker.
class MinimalQueue {
 public:
  MinimalQueue() : worker_([this] { Run(); }) {}
  ~MinimalQueue() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_one();
    worker_.join();
  }
  MinimalQueue(const MinimalQueue&) = delete;
  MinimalQueue& operator=(const MinimalQueue&) = delete;

  bool Post(std::function<void()> task) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      tasks_.push_back(std::move(task));
    }
    wake_.notify_one();
    return true;
  }

 private:
  void Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
      if (stopping_) return;
      std::function<void()> task = std::move(tasks_.front());
      tasks_.pop_front();
      lock.unlock();
      task();
      lock.lock();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> tasks_;
  bool stopping_ = false;
  std::thread worker_;
};

struct SerialQueueUnderTest {
  bool Post(std::function<void()> task) { return queue.Post(std::move(task)); }
  orvane::host::SerialQueue queue{"bench"};
};

double Percentile(std::vector<double>& samples, double fraction) {
  const auto index = static_cast<std::size_t>(fraction * static_cast<double>(samples.size() - 1));
  std::nth_element(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(index),
                   samples.end());
  return samples[index];
}

void SpinUntil(const std::atomic<int>& value, int target) {
  while (value.load(std::memory_order_acquire) != target) std::this_thread::yield();
}

// One task at a time on an idle queue: the time from Post until the task starts, which includes
// waking the sleeping worker.
template <typename Queue>
void BM_PostToStartLatency(benchmark::State& state) {
  Queue queue;
  std::vector<double> samplesNs;
  std::atomic<int> done{0};
  Clock::time_point started;
  int posted = 0;
  for (auto _ : state) {
    const Clock::time_point posting = Clock::now();
    queue.Post([&] {
      started = Clock::now();
      done.fetch_add(1, std::memory_order_release);
    });
    SpinUntil(done, ++posted);
    samplesNs.push_back(std::chrono::duration<double, std::nano>(started - posting).count());
  }
  if (samplesNs.empty()) return;
  state.counters["median_ns"] = Percentile(samplesNs, kMedian);
  state.counters["p99_ns"] = Percentile(samplesNs, kP99);
}

// Bursts of kBatch tasks posted back to back, then waited for: tasks per second end to end.
template <typename Queue>
void BM_Throughput(benchmark::State& state) {
  Queue queue;
  std::atomic<int> done{0};
  for (auto _ : state) {
    done.store(0, std::memory_order_relaxed);
    for (int i = 0; i < kBatch; ++i) {
      queue.Post([&done] { done.fetch_add(1, std::memory_order_release); });
    }
    SpinUntil(done, kBatch);
  }
  state.SetItemsProcessed(state.iterations() * kBatch);
}

BENCHMARK_TEMPLATE(BM_PostToStartLatency, MinimalQueue)->UseRealTime();
BENCHMARK_TEMPLATE(BM_PostToStartLatency, SerialQueueUnderTest)->UseRealTime();
BENCHMARK_TEMPLATE(BM_Throughput, MinimalQueue)->UseRealTime();
BENCHMARK_TEMPLATE(BM_Throughput, SerialQueueUnderTest)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
