// The controller's frames waiting for the injection thread, kept apart from the queue's other
// tasks so that a disconnect or a release can drop the stale ones at once instead of waiting for
// them, and so that a backlog is bounded in frames and in bytes.
//
// Contract:
// - One producer: push, beginControl and the rest of the producer side are called from one thread
//   (the platform thread), in the order the injector's callers made their calls. The consumer
//   side (drainStarted, popReady, needsDrain, takeDropped) is called from the injection thread
//   only. Both sides take the one lock, never while calling out.
// - Ordering: each frame is stamped with the number of control tasks (link and mode changes,
//   releases, capture changes, waits) posted before it. popReady hands out the oldest frame only
//   once every control task posted before it has run, so frames and control tasks keep exactly
//   the order in which they were posted; dropping and discarding only remove frames, they never
//   reorder what remains.
// - Discard: beginControl removes, before stamping the control task, every frame still waiting
//   (Discard::All) or every frame that cannot be a release (Discard::AllButReleases). A frame
//   already handed out by popReady is in progress and is never discarded.
// - Bound: at most kMaxPendingFrames frames and kMaxPendingBytes bytes of text wait. Beyond that
//   the oldest frames that cannot be a release are dropped and counted. Frames that may be a
//   release are never dropped while they stay within twice those limits.
// - Never decodes: whether a frame may be a release is told from its bytes alone (mayBeRelease).
#ifndef ORVANE_WIN_PENDING_FRAMES_H_
#define ORVANE_WIN_PENDING_FRAMES_H_

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>

namespace orvane::win {

// At 1 kHz, four seconds of input; a controller's frames are well under 1 KiB, so the byte limit
// only ever bites on oversized frames.
inline constexpr std::size_t kMaxPendingFrames = 4096;
inline constexpr std::size_t kMaxPendingBytes = 4u << 20;
// A release frame larger than this is not protected from the bound: no controller pads one that
// far.
inline constexpr std::size_t kMaxProtectedFrameBytes = 1024;

// True unless the bytes prove that the frame is none of "ku", "mu" or "ra". Every JSON spelling
// of those type names holds a 'u' (literally or in a \u escape) or the two bytes "ra", so a frame
// with neither is certainly not a release; anything else is treated as one.
bool mayBeRelease(std::string_view frame);

enum class Discard { None, AllButReleases, All };

class PendingFrames {
 public:
  // Producer. Queues the frame; true when the caller must post a drain task (none is queued).
  bool push(std::string frame);
  // Producer. Applies the discard rule, then stamps a new control task. Returns how many frames
  // were discarded; `ordinal` receives the control task's number (1, 2, ...).
  std::size_t beginControl(Discard discard, std::uint64_t& ordinal);

  // Consumer: a drain task has started, so the next push must post another.
  void drainStarted();
  // Consumer. Moves the oldest frame into `frame` when every control task posted before it has
  // run (controlsRun is how many have); false when there is none or it must wait.
  bool popReady(std::uint64_t controlsRun, std::string& frame);
  // Consumer. True when a frame is ready and no drain task is queued: the caller must post one,
  // and this call has marked it queued.
  bool needsDrain(std::uint64_t controlsRun);
  // Consumer. Frames dropped by the bound since the last call.
  std::uint64_t takeDropped();

 private:
  struct Frame {
    std::string text;
    std::uint64_t controlsBefore;
    bool protectedRelease;
  };

  bool readyLocked(std::uint64_t controlsRun) const;
  void boundLocked();

  std::mutex lock_;
  std::deque<Frame> frames_;
  std::size_t bytes_ = 0;
  // Frames that cannot be a release, which the bound drops first.
  std::size_t unprotected_ = 0;
  std::uint64_t controlsPosted_ = 0;
  std::uint64_t dropped_ = 0;
  bool drainQueued_ = false;
};

}  // namespace orvane::win

#endif  // ORVANE_WIN_PENDING_FRAMES_H_
