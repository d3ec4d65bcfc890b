// The seam through which the injector learns that the host's own user is at the keyboard or
// mouse, and the rule for what counts as that user's input.
//
// Contract: the injector owns its monitor and calls start and stop on its owner's thread (the
// platform thread). A running monitor calls its note on a thread of its own, never on the
// platform or the injection thread; the note must not block (it posts to the injection thread).
// Once stop returns, no note runs and none will.
#ifndef ORVANE_WIN_LOCAL_INPUT_MONITOR_H_
#define ORVANE_WIN_LOCAL_INPUT_MONITOR_H_

#include <cstdint>
#include <functional>

namespace orvane::win {

class LocalInputMonitor {
 public:
  using Note = std::function<void()>;

  // Stops the monitor.
  virtual ~LocalInputMonitor() = default;

  // Starts observing, calling note for every input event that counts as the host user's
  // (LocalInputFilter). True, changing nothing, when already running. False with the system's
  // error code when observing could not start; the monitor then stays stopped.
  virtual bool start(Note note, std::uint32_t& error) = 0;
  // Stops observing; nothing when not running.
  virtual void stop() = 0;
};

// A pointer that moved less than this far on both axes is noise (a nudged desk, a loose mouse),
// not the host's user.
inline constexpr std::int32_t kLocalMoveThresholdPixels = 4;

// Which input events count as the host's user: everything that does not carry our tag (physical
// input, and input other programs inject), except pointer moves shorter than the threshold.
// Used on the monitor's thread only.
class LocalInputFilter {
 public:
  // Where the pointer is when observing starts; without it the first move only sets the anchor.
  void anchorAt(std::int32_t x, std::int32_t y);

  bool keyCounts(std::uint64_t extraInfo) const;
  // A move ends at (x, y). Our own moves and counted ones become the anchor that later moves are
  // measured from; untagged moves that stay within the threshold do not, so slow drift adds up.
  bool moveCounts(std::uint64_t extraInfo, std::int32_t x, std::int32_t y);
  // Buttons and wheels.
  bool mouseCounts(std::uint64_t extraInfo) const;

 private:
  bool anchored_ = false;
  std::int32_t anchorX_ = 0;
  std::int32_t anchorY_ = 0;
};

}  // namespace orvane::win

#endif  // ORVANE_WIN_LOCAL_INPUT_MONITOR_H_
