// Injection-reach probe: sampling around one absolute move, classification and the verdict lines.
#include "win/injection_reach_probe.h"

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

const char* InjectionReachProbe::observe(InputSystem& system, const InjectEvent& first, bool sent,
                                         CursorPoint before, bool beforeRead) {
  CursorPoint after;
  const bool afterRead = system.getPhysicalCursorPos(after);

  ProbeSample sample;
  sample.beforeX = before.x;
  sample.beforeY = before.y;
  sample.afterX = after.x;
  sample.afterY = after.y;
  // A virtual-desktop move aims at coordinates the primary screen's size cannot predict.
  if (sent && beforeRead && afterRead && (first.flags & kMouseVirtualDesk) == 0) {
    const std::int32_t width = system.getSystemMetrics(kMetricPrimaryWidth);
    const std::int32_t height = system.getSystemMetrics(kMetricPrimaryHeight);
    if (width >= kMinimumScreenSize && height >= kMinimumScreenSize) {
      sample.expectedX = mulDiv(first.dx, width - 1, kAbsoluteRange);
      sample.expectedY = mulDiv(first.dy, height - 1, kAbsoluteRange);
      sample.hasExpected = true;
    }
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
