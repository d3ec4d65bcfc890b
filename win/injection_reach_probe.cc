// Injection-reach probe: sampling around one absolute move, classification and the verdict lines.
#include "win/injection_reach_probe.h"

#include <limits>

namespace orvane::win {

namespace {

// The normalized range of an absolute move.
constexpr std::int32_t kAbsoluteRange = 65535;
// A screen narrower or lower than this gives no usable target.
constexpr std::int32_t kMinimumScreenSize = 2;

bool within(std::int32_t a, std::int32_t b) {
  const std::int64_t difference = static_cast<std::int64_t>(a) - b;
  return difference >= -kProbeTolerancePixels && difference <= kProbeTolerancePixels;
}

bool fitsInt32(std::int64_t value) {
  return value >= std::numeric_limits<std::int32_t>::min() &&
         value <= std::numeric_limits<std::int32_t>::max();
}

// Where the move aims, by the inverse of the mapping that produced it; false when that cannot
// be told (degenerate screen, or a move whose kind does not match the geometry).
bool expectedPixel(InputSystem& system, const InjectEvent& move, const PointerGeometry& geometry,
                   std::int32_t& x, std::int32_t& y) {
  const bool virtualDesk = (move.flags & kMouseVirtualDesk) != 0;
  if (virtualDesk != !geometry.primary) {
    return false;
  }
  if (!virtualDesk) {
    const std::int32_t width = system.getSystemMetrics(kMetricPrimaryWidth);
    const std::int32_t height = system.getSystemMetrics(kMetricPrimaryHeight);
    if (width < kMinimumScreenSize || height < kMinimumScreenSize) return false;
    x = mulDiv(move.dx, width - 1, kAbsoluteRange);
    y = mulDiv(move.dy, height - 1, kAbsoluteRange);
    return true;
  }
  if (geometry.screenWidth < kMinimumScreenSize || geometry.screenHeight < kMinimumScreenSize) {
    return false;
  }
  // Windows maps 0..65535 onto the first..last pixel. Taken for a mapping that divided by the
  // full size, this is off by under a pixel, well inside the tolerance.
  const std::int64_t pixelX = static_cast<std::int64_t>(geometry.screenLeft) +
                              mulDiv(move.dx, geometry.screenWidth - 1, kAbsoluteRange);
  const std::int64_t pixelY = static_cast<std::int64_t>(geometry.screenTop) +
                              mulDiv(move.dy, geometry.screenHeight - 1, kAbsoluteRange);
  if (!fitsInt32(pixelX) || !fitsInt32(pixelY)) return false;
  x = static_cast<std::int32_t>(pixelX);
  y = static_cast<std::int32_t>(pixelY);
  return true;
}

}  // namespace

ProbeVerdict classifyProbe(const ProbeSample& sample) {
  if (!sample.hasExpected) {
    return ProbeVerdict::Inconclusive;
  }
  // A move onto (nearly) the current position proves nothing either way.
  if (within(sample.expectedX, sample.beforeX) && within(sample.expectedY, sample.beforeY)) {
    return ProbeVerdict::Inconclusive;
  }
  if (sample.afterX == sample.beforeX && sample.afterY == sample.beforeY) {
    return ProbeVerdict::Discarded;
  }
  // Moved, but not to the target: someone else moved it too.
  if (!within(sample.afterX, sample.expectedX) || !within(sample.afterY, sample.expectedY)) {
    return ProbeVerdict::Inconclusive;
  }
  return ProbeVerdict::Reaching;
}

bool InjectionReachProbe::qualifies(const InjectEvent& first) {
  constexpr std::uint32_t kAbsoluteMove = kMouseMove | kMouseAbsolute;
  return first.kind == InjectEventKind::Mouse && (first.flags & kAbsoluteMove) == kAbsoluteMove;
}

const char* InjectionReachProbe::observe(InputSystem& system, const InjectEvent& first,
                                         const PointerGeometry& geometry, bool sent,
                                         CursorPoint before, bool beforeRead) {
  CursorPoint after;
  const bool afterRead = system.getPhysicalCursorPos(after);

  ProbeSample sample;
  sample.beforeX = before.x;
  sample.beforeY = before.y;
  sample.afterX = after.x;
  sample.afterY = after.y;
  if (sent && beforeRead && afterRead) {
    sample.hasExpected = expectedPixel(system, first, geometry, sample.expectedX, sample.expectedY);
  }

  const ProbeVerdict verdict = classifyProbe(sample);
  if (probed_ || verdict == ProbeVerdict::Inconclusive) {
    return nullptr;
  }
  probed_ = true;
  if (verdict == lastVerdict_) {
    return nullptr;
  }
  lastVerdict_ = verdict;
  return verdict == ProbeVerdict::Reaching ? kProbeReachingLine : kProbeDiscardedLine;
}

}  // namespace orvane::win
