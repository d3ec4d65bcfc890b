// A scripted input system for tests: records every batch, answers with programmed counts, errors,
// cursor positions, key states and metrics, and keeps the keys and buttons the "system" believes
// are down, so tests can check that everything pressed was released.
//
// Contract: the script and the record live in a FakeInput shared by the test and by the
// FakeInputSystem that the injector owns, so the test can read them from its own thread (every
// member locks) and even after the injector, and the system it owned, are gone.
#ifndef ORVANE_WIN_FAKE_INPUT_SYSTEM_H_
#define ORVANE_WIN_FAKE_INPUT_SYSTEM_H_

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

#include "win/inject_event.h"
#include "win/input_system.h"

namespace orvane::win {

// A key-up or button-up for something the system did not believe was down.
struct StrayRelease {
  std::size_t batch = 0;  // index into batches()
  bool key = true;        // key (scanId) or mouse button (its up flag)
  std::uint32_t what = 0;
};

class FakeInput : public std::enable_shared_from_this<FakeInput> {
 public:
  static constexpr std::int32_t kDefaultWidth = 1920;
  static constexpr std::int32_t kDefaultHeight = 1080;

  // A new input system driven by this script; hand it to the injector.
  std::unique_ptr<InputSystem> makeSystem();

  // Script. Each sendInput call takes the next programmed count (capped at the batch size), or
  // the whole batch when none is left.
  void pushSendCount(std::uint32_t taken);
  void setLastError(std::uint32_t error);
  void setKeyState(std::int32_t virtualKey, std::int16_t state);
  void setMetric(std::int32_t index, std::int32_t value);
  // The next cursor reads, in order; nullopt is a failed read. When none is left, reads give the
  // current cursor, which absolute moves on the primary screen update when cursorFollowsMoves.
  void pushCursorRead(std::optional<CursorPoint> point);
  void setCursor(CursorPoint point, bool cursorFollowsMoves);
  // Unreadable, every read without a scripted answer fails (which keeps the probe quiet).
  void setCursorReadable(bool readable);
  // Makes every sendInput wait until resumeSends; pausedInSend tells whether a call is waiting.
  void pauseSends();
  void resumeSends();
  bool waitPausedInSend(std::chrono::milliseconds limit);

  // Record.
  std::vector<std::vector<InjectEvent>> batches() const;
  std::set<std::uint16_t> downKeys() const;
  std::uint32_t downButtons() const;
  std::vector<StrayRelease> strays() const;
  // Waits until at least count batches were sent, or the limit ran out.
  bool waitForBatches(std::size_t count, std::chrono::milliseconds limit) const;
  // Whether the system made by makeSystem has been destroyed, waiting up to the limit.
  bool waitSystemDestroyed(std::chrono::milliseconds limit) const;

 private:
  friend class FakeInputSystem;

  std::uint32_t send(const std::vector<InjectEvent>& events);
  void track(const InjectEvent& event, std::size_t batch);
  bool readCursor(CursorPoint& point);

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::vector<std::vector<InjectEvent>> batches_;
  std::deque<std::uint32_t> sendCounts_;
  std::uint32_t lastError_ = 0;
  std::array<std::int16_t, 256> keyStates_{};
  std::map<std::int32_t, std::int32_t> metrics_{{kMetricPrimaryWidth, kDefaultWidth},
                                                {kMetricPrimaryHeight, kDefaultHeight},
                                                {kMetricMonitorCount, 1}};
  std::deque<std::optional<CursorPoint>> cursorReads_;
  CursorPoint cursor_;
  bool cursorFollowsMoves_ = false;
  bool cursorReadable_ = true;
  bool sendsPaused_ = false;
  bool pausedInSend_ = false;
  bool systemDestroyed_ = false;
  std::set<std::uint16_t> downKeys_;
  std::uint32_t downButtons_ = 0;
  std::vector<StrayRelease> strays_;
};

}  // namespace orvane::win

#endif  // ORVANE_WIN_FAKE_INPUT_SYSTEM_H_
