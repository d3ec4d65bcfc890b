// HookStamps: the runner's input observer with a clock reading per injected event.
#include "bench/windows/hook_stamps.h"

#include <windows.h>

#include <chrono>

namespace orvane::bench {

namespace {

std::int64_t Frequency() {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return frequency.QuadPart;
}

}  // namespace

std::int64_t Ticks() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

double TicksToMicros(std::int64_t ticks) {
  constexpr double kMicrosPerSecond = 1e6;
  static const std::int64_t frequency = Frequency();
  return static_cast<double>(ticks) * kMicrosPerSecond / static_cast<double>(frequency);
}

bool HookStamps::Start() {
  return observer_.Start([this](const runner::ObservedEvent& event) { Add(event); });
}

void HookStamps::Add(const runner::ObservedEvent& event) {
  // The clock first: this runs while the system waits for the hook, before anything else.
  const std::int64_t now = Ticks();
  if (!event.injected) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stamps_.push_back(now);
    keyUps_.push_back(event.kind == runner::ObservedKind::Key && event.keyUp);
  }
  changed_.notify_all();
}

void HookStamps::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  stamps_.clear();
  keyUps_.clear();
  // The observer keeps its own record of every event; nothing here reads it.
  observer_.Take();
}

std::size_t HookStamps::Count() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return stamps_.size();
}

bool HookStamps::WaitForCount(std::size_t count, std::int64_t limitMs) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(limitMs),
                           [this, count] { return stamps_.size() >= count; });
}

std::int64_t HookStamps::At(std::size_t index) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return stamps_[index];
}

bool HookStamps::WaitForKeyUp(std::size_t from, std::int64_t limitMs, std::int64_t& at) const {
  std::unique_lock<std::mutex> lock(mutex_);
  std::size_t index = from;
  const bool found = changed_.wait_for(lock, std::chrono::milliseconds(limitMs), [&] {
    while (index < keyUps_.size() && !keyUps_[index]) ++index;
    return index < keyUps_.size();
  });
  if (found) at = stamps_[index];
  return found;
}

bool HookStamps::WaitForQuiet(std::int64_t quietMs, std::int64_t limitMs,
                              std::int64_t& last) const {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  std::unique_lock<std::mutex> lock(mutex_);
  while (std::chrono::steady_clock::now() < deadline) {
    const std::size_t seen = stamps_.size();
    if (!changed_.wait_for(lock, std::chrono::milliseconds(quietMs),
                           [&] { return stamps_.size() > seen; })) {
      last = stamps_.empty() ? 0 : stamps_.back();
      return true;
    }
  }
  return false;
}

}  // namespace orvane::bench
