// Injection-reach probe: notices when Windows silently discards injected input (the foreground
// window belongs to a process of higher integrity) from its only visible effect, an absolute move
// that leaves the cursor where it was.
//
// Contract: owned by the injector and used on its injection thread only. It makes no system call
// (the injector reads the cursor around the send and hands the readings in), changes no input and
// no result; it only yields a diagnostic line when its verdict changes.
#ifndef ORVANE_WIN_INJECTION_REACH_PROBE_H_
#define ORVANE_WIN_INJECTION_REACH_PROBE_H_

#include <cstdint>
#include <optional>

#include "win/inject_event.h"
#include "win/input_system.h"
#include "win/pointer_geometry.h"

namespace orvane::win {

enum class ProbeVerdict : std::int32_t { Reaching = 0, Discarded = 1, Inconclusive = 2 };

// One check: the cursor before and after an absolute move, and where the move aimed.
struct ProbeSample {
  std::int32_t beforeX = 0;
  std::int32_t beforeY = 0;
  std::int32_t expectedX = 0;
  std::int32_t expectedY = 0;
  std::int32_t afterX = 0;
  std::int32_t afterY = 0;
  bool hasExpected = false;
};

// Pixels of slack between where a move aimed and where the cursor is found.
inline constexpr std::int64_t kProbeTolerancePixels = 2;

ProbeVerdict classifyProbe(const ProbeSample& sample);

inline constexpr const char* kProbeReachingLine = "input: injection is reaching the desktop";
inline constexpr const char* kProbeDiscardedLine =
    "input: injected input is being discarded — the pointer did not move. This is UIPI: the "
    "foreground window belongs to a process of higher integrity than Orvane (Task Manager, "
    "regedit, an installer, anything started as administrator). Neither SendInput's return value "
    "nor GetLastError reports it. Run Orvane elevated, or install a signed uiAccess='true' build "
    "under Program Files, to control those windows";

class InjectionReachProbe {
 public:
  // True when a batch starting with this event is worth probing: an absolute pointer move.
  static bool qualifies(const InjectEvent& first);

  bool probed() const { return probed_; }
  ProbeVerdict lastVerdict() const { return lastVerdict_; }

  // After a batch whose probed event qualified: classifies the cursor readings taken before and
  // after the send (empty when a read failed) against where `move` aims on `area`, the area its
  // coordinates span, and concludes. Returns the line to write, or nullptr when the verdict is
  // inconclusive, already reached since the last arming, or the same as the last one reported.
  const char* observe(const InjectEvent& move, const AbsoluteArea& area, bool sent,
                      std::optional<CursorPoint> before, std::optional<CursorPoint> after);

  // Probe again on the next qualifying move; the last verdict is kept so only changes are logged.
  void rearm() { probed_ = false; }

 private:
  bool probed_ = false;
  // Starts as "none yet" (the Inconclusive value), so the first verdict is always written.
  ProbeVerdict lastVerdict_ = ProbeVerdict::Inconclusive;
};

}  // namespace orvane::win

#endif  // ORVANE_WIN_INJECTION_REACH_PROBE_H_
