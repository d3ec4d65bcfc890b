// The quiet period of local input priority.
#include "win/local_input_period.h"

#include <algorithm>

namespace orvane::win {

namespace {

constexpr double kMillisecondsPerSecond = 1000.0;

}  // namespace

void LocalInputPeriod::setQuietMs(std::int32_t quietMs) {
  quietMs_ = std::clamp(quietMs, kLocalInputMinQuietMs, kLocalInputMaxQuietMs);
}

bool LocalInputPeriod::note(double now, bool canStart) {
  if (active_) {
    lastInput_ = now;
    return false;
  }
  if (!canStart) return false;
  active_ = true;
  lastInput_ = now;
  return true;
}

LocalInputCheck LocalInputPeriod::check(double now) {
  if (!active_) return {};
  const double quiet = quietMs_ / kMillisecondsPerSecond;
  const double elapsed = std::max(0.0, now - lastInput_);
  if (elapsed < quiet) return {LocalInputCheck::Kind::Wait, quiet - elapsed};
  active_ = false;
  return {LocalInputCheck::Kind::Ended, 0.0};
}

bool LocalInputPeriod::end() {
  const bool was = active_;
  active_ = false;
  return was;
}

}  // namespace orvane::win
