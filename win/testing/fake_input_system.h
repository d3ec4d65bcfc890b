// A scripted input system for the injector's tests: records every batch, answers with programmed
// counts, key states, metrics and cursor positions, and tracks what the "system" believes is
// down, so a test can check that everything pressed was released.
//
// Contract: the script and the record live in a FakeInput shared by the test and by the system the
// injector owns; every member locks, so the test may read it from its own thread, also after the
// injector and its system are gone.
#ifndef ORVANE_WIN_TESTING_FAKE_INPUT_SYSTEM_H_
#define ORVANE_WIN_TESTING_FAKE_INPUT_SYSTEM_H_

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "win/inject_event.h"
#include "win/input_system.h"

namespace orvane::win {

class FakeInput : public std::enable_shared_from_this<FakeInput> {
 public:
  static constexpr std::uint32_t kLastError = 87;

  std::unique_ptr<InputSystem> makeSystem();

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
    locked([&] { paused_ = paused; });
    changed_.notify_all();
  }
  bool waitPausedInSend(std::chrono::milliseconds limit) {
    return waitFor(limit, [this] { return pausedInSend_; });
  }
  bool waitSystemDestroyed(std::chrono::milliseconds limit) {
    return waitFor(limit, [this] { return destroyed_; });
  }

  std::vector<std::vector<InjectEvent>> batches() const {
    return locked([&] { return batches_; });
  }
  std::set<std::uint16_t> downKeys() const {
    return locked([&] { return downKeys_; });
  }
  std::uint32_t downButtons() const {
    return locked([&] { return downButtons_; });
  }
  // Releases of what was not down: the key's scanId, or 0x10000 | button.
  std::vector<std::uint32_t> strays() const {
    return locked([&] { return strays_; });
  }

 private:
  friend class FakeInputSystem;
  template <typename F>
  auto locked(F f) const -> decltype(f()) {
    const std::lock_guard<std::mutex> lock(mutex_);
    return f();
  }
  template <typename P>
  bool waitFor(std::chrono::milliseconds limit, P done) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, limit, done);
  }
  std::uint32_t send(const std::vector<InjectEvent>& events);
  void track(const InjectEvent& event);

  mutable std::mutex mutex_;
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
};

}  // namespace orvane::win

#endif  // ORVANE_WIN_TESTING_FAKE_INPUT_SYSTEM_H_
