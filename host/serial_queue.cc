// SerialQueue: one worker thread, a ready list and a deadline-ordered timer set, all guarded by
// one mutex in a State shared with the worker and with waiting tasks.
#include "host/serial_queue.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <limits>
#include <map>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <utility>

namespace orvane::host {

namespace {

using SteadyClock = std::chrono::steady_clock;
using TimerKey = std::pair<std::int64_t, std::uint64_t>;  // (deadline ns, timer id)

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kNsPerMs = 1'000'000;
// Some thread libraries (MinGW's among them) turn a steady deadline into a wall-clock one and
// overflow on far deadlines, which would make the wait return at once and the caller spin. Waiting
// in slices of at most this long keeps every single wait in range; the loops re-check anyway.
constexpr std::chrono::hours kLongestSingleWait{1};

// Real time, for waits with a limit.
std::int64_t NowNs() { return SerialQueue::SteadyNowNs(); }

std::int64_t SaturatingDeadline(std::int64_t nowNs, std::int64_t delayNs) {
  if (delayNs <= 0) return nowNs;
  return delayNs > kMax - nowNs ? kMax : nowNs + delayNs;
}

std::int64_t DeadlineFromLimitMs(std::int64_t limitMs) {
  if (limitMs <= 0) return NowNs();
  const std::int64_t delayNs = limitMs > kMax / kNsPerMs ? kMax : limitMs * kNsPerMs;
  return SaturatingDeadline(NowNs(), delayNs);
}

// Waits on cv until notified or until deadlineNs on `clock` (whichever first, spurious wake-ups
// allowed). The rest of the way is waited in real time, which for a test's clock is only a bound.
template <typename NowFunction>
void WaitUntil(std::condition_variable& cv, std::unique_lock<std::mutex>& lock,
               std::int64_t deadlineNs, const NowFunction& clock) {
  const std::int64_t remainingNs = deadlineNs - clock();
  if (remainingNs <= 0) return;
  const auto slice =
      std::min<std::chrono::nanoseconds>(std::chrono::nanoseconds(remainingNs), kLongestSingleWait);
  cv.wait_for(lock, slice);
}

// Waits until done() holds or deadlineNs passes; returns done() at that moment.
template <typename Predicate>
bool WaitFor(std::condition_variable& cv, std::unique_lock<std::mutex>& lock,
             std::int64_t deadlineNs, Predicate done) {
  while (!done() && NowNs() < deadlineNs) WaitUntil(cv, lock, deadlineNs, NowNs);
  return done();
}

}  // namespace

struct SerialQueue::State {
  explicit State(Clock timerClock) : clock(std::move(timerClock)) {}

  const Clock clock;  // the timers' clock
  std::mutex mutex;
  // The worker is the only thread that waits on wake, so notifying one always reaches it, even
  // while other threads wait on finished.
  std::condition_variable wake;
  // PostAndWait callers and Shutdown wait here for a task's completion or the worker's exit.
  std::condition_variable finished;
  std::deque<Task> ready;
  std::map<TimerKey, Task> timers;
  std::unordered_map<std::uint64_t, std::int64_t> timerIndex;
  std::uint64_t nextTimerId = 1;
  bool stopping = false;
  std::atomic<std::thread::id> workerThreadId{};
  bool workerExited = false;
  std::thread worker;
  bool shutDown = false;

  // The worker's loop; the caller keeps this State alive until it returns.
  void RunWorker(const std::string& label);
  // Appends the tasks of all due timers to ready, in (deadline, id) order. Needs mutex.
  void MoveDueTimers();
};

namespace {

void RunGuarded(const std::string& label, const SerialQueue::Task& task) {
#if defined(__cpp_exceptions) || defined(_CPPUNWIND)
  try {
    task();
  } catch (...) {
    std::fprintf(stderr, "%s: a task ended with an exception; the queue goes on\n", label.c_str());
  }
#else
  static_cast<void>(label);  // Only the exception report names the queue.
  task();
#endif
}

}  // namespace

void SerialQueue::State::MoveDueTimers() {
  const std::int64_t now = clock();
  while (!timers.empty() && timers.begin()->first.first <= now) {
    auto first = timers.begin();
    timerIndex.erase(first->first.second);
    ready.push_back(std::move(first->second));
    timers.erase(first);
  }
}

void SerialQueue::State::RunWorker(const std::string& label) {
  workerThreadId.store(std::this_thread::get_id());
  std::unique_lock<std::mutex> lock(mutex);
  while (!stopping) {
    if (!timers.empty()) MoveDueTimers();
    if (ready.empty()) {
      if (timers.empty()) {
        wake.wait(lock);
      } else {
        WaitUntil(wake, lock, timers.begin()->first.first, clock);
      }
      continue;
    }
    Task task = std::move(ready.front());
    ready.pop_front();
    lock.unlock();
    RunGuarded(label, task);
    task = nullptr;  // Destroy it (it may run arbitrary code) before taking the lock again.
    lock.lock();
  }
  // Forget the id before leaving, so a later thread that reuses it is not taken for the worker.
  workerThreadId.store(std::thread::id());
  workerExited = true;
  lock.unlock();
  finished.notify_all();
}

std::int64_t SerialQueue::SteadyNowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(SteadyClock::now().time_since_epoch())
      .count();
}

SerialQueue::SerialQueue(std::string label, Clock clock)
    : label_(std::move(label)), state_(std::make_shared<State>(std::move(clock))) {
  state_->worker = std::thread([state = state_, label = label_] { state->RunWorker(label); });
  // The worker stores the same id itself; storing it here too means PostAndWait recognises the
  // worker even before the worker has got that far.
  state_->workerThreadId.store(state_->worker.get_id());
}

SerialQueue::~SerialQueue() { Shutdown(kDestructorShutdownLimitMs); }

bool SerialQueue::Post(Task task) {
  if (!task) return false;
  {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->stopping) return false;
    state_->ready.push_back(std::move(task));
  }
  state_->wake.notify_one();
  return true;
}

bool SerialQueue::PostAndWait(Task task, std::int64_t limitMs) {
  if (!task) return false;
  if (state_->workerThreadId.load() == std::this_thread::get_id()) {
    {
      std::lock_guard<std::mutex> lock(state_->mutex);
      if (state_->stopping) return false;
    }
    task();
    return true;
  }
  auto completed = std::make_shared<bool>(false);  // Guarded by state->mutex.
  Task wrapper = [task = std::move(task), completed, state = state_]() {
    task();
    {
      std::lock_guard<std::mutex> lock(state->mutex);
      *completed = true;
    }
    state->finished.notify_all();
  };
  if (!Post(std::move(wrapper))) return false;
  const std::int64_t deadline = DeadlineFromLimitMs(limitMs);
  std::unique_lock<std::mutex> lock(state_->mutex);
  return WaitFor(state_->finished, lock, deadline, [&completed] { return *completed; });
}

std::uint64_t SerialQueue::PostDelayed(std::int64_t delayNs, Task task) {
  if (!task) return 0;
  std::uint64_t id = 0;
  {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->stopping) return 0;
    const std::int64_t deadline = SaturatingDeadline(state_->clock(), delayNs);
    id = state_->nextTimerId++;
    state_->timers.emplace(TimerKey{deadline, id}, std::move(task));
    state_->timerIndex.emplace(id, deadline);
  }
  state_->wake.notify_one();
  return id;
}

bool SerialQueue::Cancel(std::uint64_t timerId) {
  Task removed;
  {
    std::lock_guard<std::mutex> lock(state_->mutex);
    const auto indexed = state_->timerIndex.find(timerId);
    if (indexed == state_->timerIndex.end()) return false;
    const auto timer = state_->timers.find(TimerKey{indexed->second, timerId});
    if (timer != state_->timers.end()) {
      removed = std::move(timer->second);
      state_->timers.erase(timer);
    }
    state_->timerIndex.erase(indexed);
  }
  return true;
}

bool SerialQueue::Shutdown(std::int64_t limitMs) {
  const std::int64_t deadline = DeadlineFromLimitMs(limitMs);
  std::deque<Task> discardedReady;
  std::map<TimerKey, Task> discardedTimers;
  std::unique_lock<std::mutex> lock(state_->mutex);
  state_->stopping = true;
  discardedReady.swap(state_->ready);
  discardedTimers.swap(state_->timers);
  state_->timerIndex.clear();
  const bool alreadyShutDown = state_->shutDown;
  state_->shutDown = true;
  lock.unlock();
  if (alreadyShutDown) return true;
  state_->wake.notify_one();
  // Discarded tasks are destroyed here, outside the lock: destroying one may run arbitrary code.
  discardedReady.clear();
  discardedTimers.clear();

  if (state_->worker.get_id() == std::this_thread::get_id()) {
    state_->worker.detach();
    return false;
  }
  lock.lock();
  const bool exited =
      WaitFor(state_->finished, lock, deadline, [this] { return state_->workerExited; });
  lock.unlock();
  if (exited) {
    state_->worker.join();
  } else {
    // The worker is still inside a task; it leaves by itself and keeps State alive until then.
    state_->worker.detach();
  }
  return exited;
}

}  // namespace orvane::host
