// Injection-reach probe: sampling around one absolute move, classification and the verdict lines.
#include "win/injection_reach_probe.h"

namespace orvane::win {

namespace {

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
  return first.kind == InjectEventKind::Mouse && (first.flags & kAbsoluteMove) == kAbsoluteMove;
}

const char* InjectionReachProbe::observe(const InjectEvent& move, const AbsoluteArea& area,
                                         bool sent, std::optional<CursorPoint> before,
                                         std::optional<CursorPoint> after) {
  ProbeSample sample;
  if (before) {
    sample.beforeX = before->x;
    sample.beforeY = before->y;
  }
  if (after) {
    sample.afterX = after->x;
    sample.afterY = after->y;
  }
  if (sent && before && after) {
    if (const std::optional<Pixel> target = absoluteToPixel(area, move.dx, move.dy)) {
      sample.hasExpected = true;
      sample.expectedX = target->x;
      sample.expectedY = target->y;
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
