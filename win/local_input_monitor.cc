// What counts as the host user's input.
#include "win/local_input_monitor.h"

#include <cstdlib>

#include "win/inject_event.h"

namespace orvane::win {

namespace {

std::int64_t distance(std::int32_t a, std::int32_t b) {
  return std::abs(static_cast<std::int64_t>(a) - b);
}

}  // namespace

void LocalInputFilter::anchorAt(std::int32_t x, std::int32_t y) {
  anchored_ = true;
  anchorX_ = x;
  anchorY_ = y;
}

bool LocalInputFilter::keyCounts(std::uint64_t extraInfo) const {
  return extraInfo != kInjectedTag;
}

bool LocalInputFilter::moveCounts(std::uint64_t extraInfo, std::int32_t x, std::int32_t y) {
  const bool ours = extraInfo == kInjectedTag;
  const bool far = anchored_ && (distance(x, anchorX_) >= kLocalMoveThresholdPixels ||
                                 distance(y, anchorY_) >= kLocalMoveThresholdPixels);
  const bool counts = !ours && far;
  if (ours || counts || !anchored_) anchorAt(x, y);
  return counts;
}

bool LocalInputFilter::mouseCounts(std::uint64_t extraInfo) const {
  return extraInfo != kInjectedTag;
}

}  // namespace orvane::win
