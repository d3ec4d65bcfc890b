// PendingFrames: a deque of stamped frames under one lock.
#include "win/pending_frames.h"

#include <algorithm>
#include <utility>

namespace orvane::win {

bool mayBeRelease(std::string_view frame) {
  return frame.find('u') != std::string_view::npos || frame.find("ra") != std::string_view::npos;
}

bool PendingFrames::push(std::string frame) {
  const bool protectedRelease = frame.size() <= kMaxProtectedFrameBytes && mayBeRelease(frame);
  const std::lock_guard<std::mutex> hold(lock_);
  if (!protectedRelease && frame.size() > kMaxPendingBytes) {
    // It could never fit: dropping older frames to make room would lose them for nothing.
    ++dropped_;
  } else {
    bytes_ += frame.size();
    unprotected_ += protectedRelease ? 0 : 1;
    frames_.push_back({std::move(frame), controlsPosted_, protectedRelease});
    boundLocked();
  }
  if (drainQueued_) {
    return false;
  }
  drainQueued_ = true;
  return true;
}

std::size_t PendingFrames::beginControl(Discard discard, std::uint64_t& ordinal) {
  std::deque<Frame> discarded;
  {
    const std::lock_guard<std::mutex> hold(lock_);
    if (discard == Discard::All) {
      discarded.swap(frames_);
      bytes_ = 0;
      unprotected_ = 0;
    } else if (discard == Discard::AllButReleases) {
      const auto kept = std::stable_partition(frames_.begin(), frames_.end(),
                                              [](const Frame& f) { return f.protectedRelease; });
      for (auto at = kept; at != frames_.end(); ++at) {
        bytes_ -= at->text.size();
        discarded.push_back(std::move(*at));
      }
      frames_.erase(kept, frames_.end());
      unprotected_ = 0;
    }
    ordinal = ++controlsPosted_;
  }
  // The texts are freed here, outside the lock.
  return discarded.size();
}

void PendingFrames::drainStarted() {
  const std::lock_guard<std::mutex> hold(lock_);
  drainQueued_ = false;
}

bool PendingFrames::popReady(std::uint64_t controlsRun, std::string& frame) {
  const std::lock_guard<std::mutex> hold(lock_);
  if (!readyLocked(controlsRun)) {
    return false;
  }
  frame = std::move(frames_.front().text);
  bytes_ -= frame.size();
  unprotected_ -= frames_.front().protectedRelease ? 0 : 1;
  frames_.pop_front();
  return true;
}

bool PendingFrames::needsDrain(std::uint64_t controlsRun) {
  const std::lock_guard<std::mutex> hold(lock_);
  if (drainQueued_ || !readyLocked(controlsRun)) {
    return false;
  }
  drainQueued_ = true;
  return true;
}

std::uint64_t PendingFrames::takeDropped() {
  const std::lock_guard<std::mutex> hold(lock_);
  return std::exchange(dropped_, 0);
}

bool PendingFrames::readyLocked(std::uint64_t controlsRun) const {
  return !frames_.empty() && frames_.front().controlsBefore <= controlsRun;
}

void PendingFrames::boundLocked() {
  const auto over = [this](std::size_t factor) {
    return frames_.size() > factor * kMaxPendingFrames || bytes_ > factor * kMaxPendingBytes;
  };
  auto searchFrom = frames_.begin();
  while (over(1) && unprotected_ != 0) {
    searchFrom =
        std::find_if(searchFrom, frames_.end(), [](const Frame& f) { return !f.protectedRelease; });
    bytes_ -= searchFrom->text.size();
    searchFrom = frames_.erase(searchFrom);
    --unprotected_;
    ++dropped_;
  }
  // Only possible releases are left over the limit. They are small, but a controller sending
  // nothing else must not grow the backlog without end either: past twice the limit the newest go.
  while (over(2)) {
    bytes_ -= frames_.back().text.size();
    frames_.pop_back();
    ++dropped_;
  }
}

}  // namespace orvane::win
