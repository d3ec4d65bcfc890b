// The scripted input system used by the injector's tests.
#include "win/fake_input_system.h"

#include <algorithm>

namespace orvane::win {

class FakeInputSystem : public InputSystem {
 public:
  explicit FakeInputSystem(std::shared_ptr<FakeInput> input) : input_(std::move(input)) {}

  ~FakeInputSystem() override {
    {
      const std::lock_guard<std::mutex> lock(input_->mutex_);
      input_->systemDestroyed_ = true;
    }
    input_->changed_.notify_all();
  }

  std::uint32_t sendInput(const std::vector<InjectEvent>& events) override {
    return input_->send(events);
  }

  std::uint32_t getLastError() override {
    const std::lock_guard<std::mutex> lock(input_->mutex_);
    return input_->lastError_;
  }

  std::int16_t getAsyncKeyState(std::int32_t virtualKey) override {
    const std::lock_guard<std::mutex> lock(input_->mutex_);
    const auto index = static_cast<std::size_t>(virtualKey);
    return index < input_->keyStates_.size() ? input_->keyStates_[index] : std::int16_t{0};
  }

  bool getPhysicalCursorPos(CursorPoint& point) override { return input_->readCursor(point); }

  std::int32_t getSystemMetrics(std::int32_t index) override {
    const std::lock_guard<std::mutex> lock(input_->mutex_);
    const auto found = input_->metrics_.find(index);
    return found == input_->metrics_.end() ? 0 : found->second;
  }

 private:
  std::shared_ptr<FakeInput> input_;
};

std::unique_ptr<InputSystem> FakeInput::makeSystem() {
  return std::make_unique<FakeInputSystem>(shared_from_this());
}

void FakeInput::pushSendCount(std::uint32_t taken) {
  const std::lock_guard<std::mutex> lock(mutex_);
  sendCounts_.push_back(taken);
}

void FakeInput::setLastError(std::uint32_t error) {
  const std::lock_guard<std::mutex> lock(mutex_);
  lastError_ = error;
}

void FakeInput::setKeyState(std::int32_t virtualKey, std::int16_t state) {
  const std::lock_guard<std::mutex> lock(mutex_);
  const auto index = static_cast<std::size_t>(virtualKey);
  if (index < keyStates_.size()) {
    keyStates_[index] = state;
  }
}

void FakeInput::setMetric(std::int32_t index, std::int32_t value) {
  const std::lock_guard<std::mutex> lock(mutex_);
  metrics_[index] = value;
}

void FakeInput::pushCursorRead(std::optional<CursorPoint> point) {
  const std::lock_guard<std::mutex> lock(mutex_);
  cursorReads_.push_back(point);
}

void FakeInput::setCursor(CursorPoint point, bool cursorFollowsMoves) {
  const std::lock_guard<std::mutex> lock(mutex_);
  cursor_ = point;
  cursorFollowsMoves_ = cursorFollowsMoves;
}

void FakeInput::setCursorReadable(bool readable) {
  const std::lock_guard<std::mutex> lock(mutex_);
  cursorReadable_ = readable;
}

void FakeInput::pauseSends() {
  const std::lock_guard<std::mutex> lock(mutex_);
  sendsPaused_ = true;
}

void FakeInput::resumeSends() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    sendsPaused_ = false;
  }
  changed_.notify_all();
}

bool FakeInput::waitPausedInSend(std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, limit, [this] { return pausedInSend_; });
}

std::uint32_t FakeInput::send(const std::vector<InjectEvent>& events) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (sendsPaused_) {
    pausedInSend_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return !sendsPaused_; });
    pausedInSend_ = false;
  }
  auto taken = static_cast<std::uint32_t>(events.size());
  if (!sendCounts_.empty()) {
    taken = std::min(taken, sendCounts_.front());
    sendCounts_.pop_front();
  }
  const std::size_t batch = batches_.size();
  batches_.push_back(events);
  for (std::size_t i = 0; i < taken; ++i) {
    track(events[i], batch);
  }
  changed_.notify_all();
  return taken;
}

void FakeInput::track(const InjectEvent& event, std::size_t batch) {
  if (event.kind == InjectEventKind::Keyboard) {
    const auto scanId =
        static_cast<std::uint16_t>(((event.flags & kKeyExtended) != 0 ? 0xE000 : 0) | event.scan);
    if ((event.flags & kKeyUp) == 0) {
      downKeys_.insert(scanId);
    } else if (downKeys_.erase(scanId) == 0) {
      strays_.push_back({batch, true, scanId});
    }
    return;
  }
  for (std::size_t button = 0; button < kButtonDownFlags.size(); ++button) {
    const std::uint32_t bit = 1u << button;
    if ((event.flags & kButtonDownFlags[button]) != 0) {
      downButtons_ |= bit;
    }
    if ((event.flags & kButtonUpFlags[button]) != 0) {
      if ((downButtons_ & bit) == 0) {
        strays_.push_back({batch, false, kButtonUpFlags[button]});
      }
      downButtons_ &= ~bit;
    }
  }
  constexpr std::uint32_t kAbsoluteMove = kMouseMove | kMouseAbsolute;
  constexpr std::int32_t kAbsoluteRange = 65535;
  if (cursorFollowsMoves_ && (event.flags & (kAbsoluteMove | kMouseVirtualDesk)) == kAbsoluteMove) {
    cursor_.x = mulDiv(event.dx, metrics_[kMetricPrimaryWidth] - 1, kAbsoluteRange);
    cursor_.y = mulDiv(event.dy, metrics_[kMetricPrimaryHeight] - 1, kAbsoluteRange);
  }
}

bool FakeInput::readCursor(CursorPoint& point) {
  const std::lock_guard<std::mutex> lock(mutex_);
  if (cursorReads_.empty()) {
    if (cursorReadable_) {
      point = cursor_;
    }
    return cursorReadable_;
  }
  const std::optional<CursorPoint> read = cursorReads_.front();
  cursorReads_.pop_front();
  if (read) {
    point = *read;
  }
  return read.has_value();
}

std::vector<std::vector<InjectEvent>> FakeInput::batches() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return batches_;
}

std::set<std::uint16_t> FakeInput::downKeys() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return downKeys_;
}

std::uint32_t FakeInput::downButtons() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return downButtons_;
}

std::vector<StrayRelease> FakeInput::strays() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return strays_;
}

bool FakeInput::waitForBatches(std::size_t count, std::chrono::milliseconds limit) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, limit, [&] { return batches_.size() >= count; });
}

bool FakeInput::waitSystemDestroyed(std::chrono::milliseconds limit) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, limit, [this] { return systemDestroyed_; });
}

}  // namespace orvane::win
