// The scripted input system used by the injector's tests.
#include "win/testing/fake_input_system.h"

#include <algorithm>

namespace orvane::win {

class FakeInputSystem : public InputSystem {
 public:
  explicit FakeInputSystem(std::shared_ptr<FakeInput> input) : in_(std::move(input)) {}
  ~FakeInputSystem() override {
    const std::lock_guard<std::mutex> lock(in_->mutex_);
    in_->systemDestroyed_ = true;
    in_->changed_.notify_all();
  }
  std::uint32_t sendInput(const std::vector<InjectEvent>& events) override {
    return in_->send(events);
  }
  std::uint32_t getLastError() override {
    const std::lock_guard<std::mutex> lock(in_->mutex_);
    return in_->lastError_;
  }
  std::int16_t getAsyncKeyState(std::int32_t virtualKey) override {
    const std::lock_guard<std::mutex> lock(in_->mutex_);
    const auto found = in_->keyStates_.find(virtualKey);
    return found == in_->keyStates_.end() ? std::int16_t{1} : found->second;
  }
  bool getPhysicalCursorPos(CursorPoint& point) override {
    const std::lock_guard<std::mutex> lock(in_->mutex_);
    if (in_->cursorReadable_) point = in_->cursor_;
    return in_->cursorReadable_;
  }
  std::int32_t getSystemMetrics(std::int32_t index) override {
    const std::lock_guard<std::mutex> lock(in_->mutex_);
    return in_->metrics_[index];
  }

 private:
  std::shared_ptr<FakeInput> in_;
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
  keyStates_[virtualKey] = state;
}

void FakeInput::setMetric(std::int32_t index, std::int32_t value) {
  const std::lock_guard<std::mutex> lock(mutex_);
  metrics_[index] = value;
}

void FakeInput::setCursor(CursorPoint point, bool readable, bool follows) {
  const std::lock_guard<std::mutex> lock(mutex_);
  cursor_ = point;
  cursorReadable_ = readable;
  cursorFollows_ = follows;
}

void FakeInput::pauseSends(bool paused) {
  const std::lock_guard<std::mutex> lock(mutex_);
  paused_ = paused;
  changed_.notify_all();
}

bool FakeInput::waitPausedInSend(std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, limit, [this] { return pausedInSend_; });
}

bool FakeInput::waitSystemDestroyed(std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, limit, [this] { return systemDestroyed_; });
}

std::uint32_t FakeInput::send(const std::vector<InjectEvent>& events) {
  std::unique_lock<std::mutex> lock(mutex_);
  pausedInSend_ = paused_;
  changed_.notify_all();
  changed_.wait(lock, [this] { return !paused_; });
  pausedInSend_ = false;
  auto taken = static_cast<std::uint32_t>(events.size());
  if (!sendCounts_.empty()) {
    taken = std::min(taken, sendCounts_.front());
    sendCounts_.pop_front();
  }
  batches_.push_back(events);
  std::for_each(events.begin(), events.begin() + taken, [this](auto& e) { track(e); });
  return taken;
}

void FakeInput::track(const InjectEvent& event) {
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
    if ((event.flags & kButtonDownFlags[button]) != 0) downButtons_ |= 1u << button;
    if ((event.flags & kButtonUpFlags[button]) != 0) {
      if ((downButtons_ & 1u << button) == 0) strays_.push_back(0x10000 | button);
      downButtons_ &= ~(1u << button);
    }
  }
  constexpr std::uint32_t kAbsoluteMove = kMouseMove | kMouseAbsolute;
  if (cursorFollows_ && (event.flags & (kAbsoluteMove | kMouseVirtualDesk)) == kAbsoluteMove) {
    cursor_.x = mulDiv(event.dx, metrics_[kMetricPrimaryWidth] - 1, 65535);
    cursor_.y = mulDiv(event.dy, metrics_[kMetricPrimaryHeight] - 1, 65535);
  }
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

std::vector<std::uint32_t> FakeInput::strays() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return strays_;
}

}  // namespace orvane::win
