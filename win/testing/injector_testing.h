// Test support for the injector: InjectorTestAccess (its test-only members, defined only here so
// production code cannot name it); FakeInput, a scripted input system that records batches, log
// lines and events and tracks what the "system" holds down (every member locks, so the test may
// read it from any thread, also after the injector is gone); FakeLocalInput, a local input monitor
// whose notes the test sends; InjectorTest, an injector on both with a clock moved by hand.
#ifndef ORVANE_WIN_TESTING_INJECTOR_TESTING_H_
#define ORVANE_WIN_TESTING_INJECTOR_TESTING_H_

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "win/inject_event.h"
#include "win/injector_core.h"
#include "win/input_injector.h"
#include "win/input_system.h"
#include "win/local_input_monitor.h"
#include "win/pointer_geometry.h"
#include "win/testing/test_frames.h"

namespace orvane::win {

class InjectorTestAccess {
 public:
  // An injector with its own watchdog limit and the one clock its queue's timers, the watchdog and
  // the local input period all read. The constructor is private to this type.
  static std::unique_ptr<InputInjector> make(LogSink logSink, InjectorEventSink eventSink,
                                             std::unique_ptr<InputSystem> inputSystem,
                                             std::unique_ptr<LocalInputMonitor> monitor,
                                             double watchdogLimitSeconds, InjectorClock clock) {
    return std::unique_ptr<InputInjector>(
        new InputInjector(std::move(logSink), std::move(eventSink), std::move(inputSystem),
                          std::move(monitor), watchdogLimitSeconds, std::move(clock)));
  }
  // Runs task on the injection thread, in order with the frames and tasks around it; false when
  // it did not finish within limitMs.
  static bool run(InputInjector& injector, std::function<void(InjectorCore&)> task,
                  std::int64_t limitMs) {
    return injector.run(std::move(task), limitMs);
  }
  static HeldInput& held(InjectorCore& core) { return core.held(); }
};

// The lock every member of a fake takes.
class Locked {
 protected:
  template <typename F>
  auto locked(F f) const -> decltype(f()) {
    const std::lock_guard<std::mutex> lock(mutex_);
    return f();
  }
  mutable std::mutex mutex_;
};

class FakeInput : public Locked, public std::enable_shared_from_this<FakeInput> {
 public:
  std::unique_ptr<InputSystem> makeSystem() { return std::make_unique<System>(shared_from_this()); }

  // Each sendInput takes the next programmed count (capped at the batch size), else everything.
  void pushSendCount(std::uint32_t taken) {
    locked([&] { sendCounts_.push_back(taken); });
  }
  // Keys never set read 1 (up, pressed since the last poll), which the modifier sweep skips.
  void setKeyState(std::int32_t vk, std::int16_t state) {
    locked([&] { keys_[vk] = state; });
  }
  void setMetric(std::int32_t index, std::int32_t value) {
    locked([&] { metrics_[index] = value; });
  }
  // Reads fail while unreadable; absolute moves on the primary screen move it when it follows.
  void setCursor(CursorPoint point, bool readable, bool follows = false) {
    locked([&] { cursor_ = point, readable_ = readable, follows_ = follows; });
  }
  // While paused every sendInput waits; waitPausedInSend tells when one is waiting.
  void pauseSends(bool paused) {
    notify([&] { paused_ = paused; });
  }
  bool waitPausedInSend(std::chrono::milliseconds limit) {
    return waitFor(limit, [this] { return pausedInSend_; });
  }
  bool waitSystemDestroyed(std::chrono::milliseconds limit) {
    return waitFor(limit, [this] { return destroyed_; });
  }

  std::vector<std::vector<InjectEvent>> batches() const { return get(&FakeInput::batches_); }
  std::set<std::uint16_t> downKeys() const { return get(&FakeInput::downKeys_); }
  std::uint32_t downButtons() const { return get(&FakeInput::downButtons_); }
  CursorPoint cursor() const { return get(&FakeInput::cursor_); }
  // Releases of what was not down: the key's scanId, or 0x10000 | button.
  std::vector<std::uint32_t> strays() const { return get(&FakeInput::strays_); }
  std::vector<std::string> lines() const { return get(&FakeInput::lines_); }
  void log(const std::string& line) {
    locked([&] { lines_.push_back(line); });
  }
  // Events as "KIND TEXT KEYS BUTTONS SWEEP", KIND being reach, released or refused, as
  // "KIND TEXT COUNT" for discarded, dropped and collapsed, and "local on" / "local off".
  std::vector<std::string> events() const { return get(&FakeInput::events_); }
  void event(const InjectorEvent& e) {
    const char* const kinds[] = {"reach ",     "released ", "refused ",
                                 "discarded ", "dropped ",  "collapsed "};
    if (e.kind == InjectorEvent::Kind::LocalInput) {
      return locked([&] { events_.push_back(e.active ? "local on" : "local off"); });
    }
    const bool counted = e.kind >= InjectorEvent::Kind::InputDiscarded;
    locked([&] {
      events_.push_back(kinds[static_cast<int>(e.kind)] + e.text + ' ' +
                        (counted ? std::to_string(e.count)
                                 : std::to_string(e.keys) + ' ' + std::to_string(e.buttons) + ' ' +
                                       std::to_string(e.sweep)));
    });
  }

 private:
  struct System : InputSystem {
    explicit System(std::shared_ptr<FakeInput> input) : in(std::move(input)) {}
    ~System() override {
      in->notify([this] { in->destroyed_ = true; });
    }
    std::uint32_t sendInput(const std::vector<InjectEvent>& events) override {
      return in->send(events);
    }
    std::uint32_t getLastError() override { return 87; }
    std::int16_t getAsyncKeyState(std::int32_t vk) override {
      return in->locked([&] { return in->keys_.count(vk) != 0 ? in->keys_[vk] : std::int16_t{1}; });
    }
    bool getPhysicalCursorPos(CursorPoint& point) override {
      return in->locked([&] { return in->readable_ && (point = in->cursor_, true); });
    }
    std::int32_t getSystemMetrics(std::int32_t index) override {
      return in->locked([&] { return in->metrics_[index]; });
    }
    std::shared_ptr<FakeInput> in;
  };

  template <typename T>
  T get(T FakeInput::*member) const {
    return locked([&] { return this->*member; });
  }
  template <typename F>
  void notify(F f) {
    locked(f);
    changed_.notify_all();
  }
  template <typename P>
  bool waitFor(std::chrono::milliseconds limit, P done) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, limit, done);
  }

  std::uint32_t send(const std::vector<InjectEvent>& events) {
    std::unique_lock<std::mutex> lock(mutex_);
    pausedInSend_ = paused_;
    changed_.notify_all();
    changed_.wait(lock, [this] { return !paused_; });
    pausedInSend_ = false;
    auto taken = static_cast<std::uint32_t>(events.size());
    if (!sendCounts_.empty()) taken = std::min(taken, sendCounts_.front()), sendCounts_.pop_front();
    batches_.push_back(events);
    std::for_each(events.begin(), events.begin() + taken, [this](auto& e) { track(e); });
    return taken;
  }

  void track(const InjectEvent& event) {
    if (event.kind == InjectEventKind::Keyboard) {
      const auto scanId =
          static_cast<std::uint16_t>(((event.flags & kKeyExtended) != 0 ? 0xE000 : 0) | event.scan);
      if ((event.flags & kKeyUp) == 0) {
        downKeys_.insert(scanId);
      } else if (downKeys_.erase(scanId) == 0) {
        strays_.push_back(scanId);
      }
      return;
    }
    for (std::uint32_t button = 0; button < kButtonDownFlags.size(); ++button) {
      // The extra buttons share their flags and differ in mouseData.
      if (kButtonMouseData[button] != 0 && event.mouseData != kButtonMouseData[button]) continue;
      if ((event.flags & kButtonDownFlags[button]) != 0) downButtons_ |= 1u << button;
      if ((event.flags & kButtonUpFlags[button]) != 0) {
        if ((downButtons_ & 1u << button) == 0) strays_.push_back(0x10000 | button);
        downButtons_ &= ~(1u << button);
      }
    }
    if (follows_ && (event.flags & kAbsoluteMove) == kAbsoluteMove) {
      const bool desk = (event.flags & kMouseVirtualDesk) != 0;
      const AbsoluteArea area =
          desk ? AbsoluteArea{metrics_[kMetricVirtualLeft], metrics_[kMetricVirtualTop],
                              metrics_[kMetricVirtualWidth], metrics_[kMetricVirtualHeight]}
               : AbsoluteArea{0, 0, metrics_[kMetricPrimaryWidth], metrics_[kMetricPrimaryHeight]};
      if (const std::optional<Pixel> pixel = absoluteToPixel(area, event.dx, event.dy)) {
        cursor_ = {pixel->x, pixel->y};
      }
    }
  }

  std::condition_variable changed_;
  std::vector<std::vector<InjectEvent>> batches_;
  std::deque<std::uint32_t> sendCounts_;
  std::map<std::int32_t, std::int16_t> keys_;
  std::map<std::int32_t, std::int32_t> metrics_{
      {kMetricPrimaryWidth, 1920}, {kMetricPrimaryHeight, 1080}, {kMetricMonitorCount, 1}};
  CursorPoint cursor_;
  bool readable_ = false, follows_ = false;
  bool paused_ = false, pausedInSend_ = false, destroyed_ = false;
  std::set<std::uint16_t> downKeys_;
  std::uint32_t downButtons_ = 0;
  std::vector<std::uint32_t> strays_;
  std::vector<std::string> lines_;
  std::vector<std::string> events_;
};

// A scripted local input monitor: the test plays the hook thread by calling note().
class FakeLocalInput : public Locked, public std::enable_shared_from_this<FakeLocalInput> {
 public:
  std::unique_ptr<LocalInputMonitor> makeMonitor() {
    return std::make_unique<Monitor>(shared_from_this());
  }
  // The next starts fail with this error code (0: they succeed).
  void failStarts(std::uint32_t error) {
    locked([&] { failure_ = error; });
  }
  bool running() const {
    return locked([&] { return running_; });
  }
  int starts() const {
    return locked([&] { return starts_; });
  }
  // One input event that counts as the host user's; false when the monitor is not running.
  bool note() {
    LocalInputMonitor::Note note = locked([&] { return running_ ? note_ : nullptr; });
    if (note) note();
    return static_cast<bool>(note);
  }

 private:
  struct Monitor : LocalInputMonitor {
    explicit Monitor(std::shared_ptr<FakeLocalInput> input) : in(std::move(input)) {}
    ~Monitor() override { stop(); }
    bool start(Note note, std::uint32_t& error) override {
      return in->locked([&] {
        if (in->running_) return true;
        if (in->failure_ != 0) {
          error = in->failure_;
          return false;
        }
        ++in->starts_;
        in->note_ = std::move(note);
        in->running_ = true;
        return true;
      });
    }
    void stop() override {
      in->locked([&] { in->running_ = false, in->note_ = nullptr; });
    }
    std::shared_ptr<FakeLocalInput> in;
  };

  LocalInputMonitor::Note note_;
  bool running_ = false;
  int starts_ = 0;
  std::uint32_t failure_ = 0;
};

namespace test {

class InjectorTest : public ::testing::Test {
 protected:
  static constexpr std::int64_t kLimitMs = 10'000;

  void SetUp() override { start(); }
  // A fresh script and injector (link up unless told otherwise) at time 0.
  void start(bool connected = true) {
    injector_.reset();
    input_ = std::make_shared<FakeInput>();
    local_ = std::make_shared<FakeLocalInput>();
    now_->store(0);
    injector_ = InjectorTestAccess::make(
        [input = input_](const std::string& line) { input->log(line); },
        [input = input_](const InjectorEvent& event) { input->event(event); }, input_->makeSystem(),
        local_->makeMonitor(), kWatchdogLimitSeconds, [now = now_] { return now->load(); });
    injector_->setPeerConnected(connected);
  }
  void run(std::function<void(InjectorCore&)> task) {
    ASSERT_TRUE(InjectorTestAccess::run(*injector_, std::move(task), kLimitMs));
  }
  void flush() {
    run([](InjectorCore&) {});
  }
  std::vector<std::string> lines() const { return input_->lines(); }
  void setNow(double seconds) { now_->store(std::llround(seconds * 1e9)); }
  // Moves the clock; the timers it makes due (the watchdog's, the local input period's) have run
  // when this returns: the worker moves them to run right behind the first flush.
  void advanceTo(double seconds) {
    setNow(seconds);
    flush();
    flush();
  }
  bool watchdogPending() {
    bool pending = false;
    run([&pending](InjectorCore& core) { pending = core.watchdogPending(); });
    return pending;
  }

  std::shared_ptr<std::atomic<std::int64_t>> now_ = std::make_shared<std::atomic<std::int64_t>>(0);
  std::shared_ptr<FakeInput> input_;
  std::shared_ptr<FakeLocalInput> local_;
  std::unique_ptr<InputInjector> injector_;
};

}  // namespace test
}  // namespace orvane::win

#endif  // ORVANE_WIN_TESTING_INJECTOR_TESTING_H_
