// The scripted input system used by the injector's tests.
#include "win/testing/fake_input_system.h"

#include <algorithm>

namespace orvane::win {

class FakeInputSystem : public InputSystem {
 public:
  explicit FakeInputSystem(std::shared_ptr<FakeInput> input) : in_(std::move(input)) {}
  ~FakeInputSystem() override {
    in_->locked([this] { in_->destroyed_ = true; });
    in_->changed_.notify_all();
  }
  std::uint32_t sendInput(const std::vector<InjectEvent>& events) override {
    return in_->send(events);
  }
  std::uint32_t getLastError() override { return FakeInput::kLastError; }
  std::int16_t getAsyncKeyState(std::int32_t vk) override {
    return in_->locked(
        [&] { return in_->keys_.count(vk) != 0 ? in_->keys_[vk] : std::int16_t{1}; });
  }
  bool getPhysicalCursorPos(CursorPoint& point) override {
    return in_->locked([&] {
      if (in_->readable_) point = in_->cursor_;
      return in_->readable_;
    });
  }
  std::int32_t getSystemMetrics(std::int32_t index) override {
    return in_->locked([&] { return in_->metrics_[index]; });
  }

 private:
  std::shared_ptr<FakeInput> in_;
};

std::unique_ptr<InputSystem> FakeInput::makeSystem() {
  return std::make_unique<FakeInputSystem>(shared_from_this());
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
  if (follows_ && (event.flags & (kAbsoluteMove | kMouseVirtualDesk)) == kAbsoluteMove) {
    cursor_.x = mulDiv(event.dx, metrics_[kMetricPrimaryWidth] - 1, 65535);
    cursor_.y = mulDiv(event.dy, metrics_[kMetricPrimaryHeight] - 1, 65535);
  }
}

}  // namespace orvane::win
