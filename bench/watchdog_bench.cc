// The watchdog's lateness: from the moment its limit runs out after the last translated frame to
// the moment its release starts (its log line), at a short limit, idle and while frames for other
// work arrive (a controller whose link is down goes on sending pointer moves, which are dropped
// before translation). Beside it, a queue timer's own lateness, the floor, in the same two cases.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bench/null_input_system.h"
#include "host/serial_queue.h"
#include "win/injector_core.h"

namespace orvane::win {
namespace {

double nowSeconds() { return secondsFromNanoseconds(host::SerialQueue::SteadyNowNs()); }

constexpr double kLimitSeconds = 0.02;
constexpr int kRuns = 100;
constexpr double kMillisPerSecond = 1000.0;
constexpr double kMedian = 0.5;
constexpr auto kFrameInterval = std::chrono::milliseconds(1);  // a 1 kHz pointer
constexpr auto kReleaseLimit = std::chrono::seconds(5);
constexpr char kKeyDown[] = R"({"t":"kd","hid":458756})";
constexpr char kPointerMove[] = R"({"t":"mm","x":0.5,"y":0.25})";
constexpr char kWatchdogLine[] = "input: nothing from the controller";

// Posts a dropped frame to the queue every kFrameInterval while it lives.
class FrameFeeder {
 public:
  FrameFeeder(std::shared_ptr<InjectorCore> core, bool running) : core_(std::move(core)) {
    if (running) thread_ = std::thread([this] { Run(); });
  }
  ~FrameFeeder() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  FrameFeeder(const FrameFeeder&) = delete;
  FrameFeeder& operator=(const FrameFeeder&) = delete;

 private:
  void Run() {
    while (!stop_) {
      core_->queue().Post([core = core_] { core->handleFrame(kPointerMove); });
      std::this_thread::sleep_for(kFrameInterval);
    }
  }

  std::shared_ptr<InjectorCore> core_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// A moment on the steady clock in seconds, handed from the injection thread to the bench.
class Moment {
 public:
  void Set(double seconds) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      seconds_ = seconds;
    }
    changed_.notify_all();
  }
  // Waits for the moment and takes it; a negative value when none came.
  double Take() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, kReleaseLimit, [this] { return seconds_ >= 0.0; });
    const double seconds = seconds_;
    seconds_ = -1.0;
    return seconds;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  double seconds_ = -1.0;
};

double Median(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  return samples[static_cast<std::size_t>(kMedian * static_cast<double>(samples.size() - 1))];
}

void Report(benchmark::State& state, const std::vector<double>& latenessMs) {
  if (latenessMs.size() != static_cast<std::size_t>(kRuns)) {
    state.SkipWithError("a release never came");
    return;
  }
  state.counters["p50_late_ms"] = Median(latenessMs);
  state.counters["max_late_ms"] = *std::max_element(latenessMs.begin(), latenessMs.end());
  state.counters["limit_ms"] = kLimitSeconds * kMillisPerSecond;
  state.SetLabel(state.range(0) != 0 ? "frames for other work" : "idle");
}

// A key held over a link that then goes down: nothing translated follows, so the watchdog fires
// one limit after the key-down.
void BM_WatchdogLateness(benchmark::State& state) {
  auto released = std::make_shared<Moment>();
  // The clock's last reading: in the key-down's frame, the start of the watchdog's timer.
  auto lastReading = std::make_shared<std::atomic<double>>(0.0);
  auto core = std::make_shared<InjectorCore>(
      [released](const std::string& line) {
        if (line.rfind(kWatchdogLine, 0) == 0) released->Set(nowSeconds());
      },
      std::make_unique<NullInputSystem>(), kLimitSeconds,
      [lastReading] {
        const std::int64_t now = host::SerialQueue::SteadyNowNs();
        lastReading->store(secondsFromNanoseconds(now));
        return now;
      });
  std::vector<double> latenessMs;
  for (auto _ : state) {
    const FrameFeeder feeder(core, state.range(0) != 0);
    for (int run = 0; run < kRuns; ++run) {
      auto activity = std::make_shared<std::atomic<double>>(0.0);
      core->queue().Post([core, activity, lastReading] {
        core->setPeerConnected(true);
        core->handleFrame(kKeyDown);
        activity->store(lastReading->load());
        core->setPeerConnected(false);
      });
      const double releaseStart = released->Take();
      if (releaseStart < 0.0) break;
      latenessMs.push_back((releaseStart - activity->load() - kLimitSeconds) * kMillisPerSecond);
    }
  }
  Report(state, latenessMs);
}
BENCHMARK(BM_WatchdogLateness)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// The floor: a timer of the same length on the same kind of queue, from its posting to its run.
void BM_QueueTimerLateness(benchmark::State& state) {
  auto core = std::make_shared<InjectorCore>([](const std::string&) {},
                                             std::make_unique<NullInputSystem>(), kLimitSeconds);
  auto ran = std::make_shared<Moment>();
  std::vector<double> latenessMs;
  for (auto _ : state) {
    const FrameFeeder feeder(core, state.range(0) != 0);
    for (int run = 0; run < kRuns; ++run) {
      const double posted = nowSeconds();
      core->queue().PostDelayed(watchdogDelayNanoseconds(kLimitSeconds),
                                [ran] { ran->Set(nowSeconds()); });
      const double start = ran->Take();
      if (start < 0.0) break;
      latenessMs.push_back((start - posted - kLimitSeconds) * kMillisPerSecond);
    }
  }
  Report(state, latenessMs);
}
BENCHMARK(BM_QueueTimerLateness)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvane::win

BENCHMARK_MAIN();
