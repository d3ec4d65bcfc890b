// The injector's state and everything it does on the injection thread: the frame path with its
// backlog handling, mode switches, releases with the modifier sweep, the watchdog and the reach
// probe.
//
// Contract: one InjectorCore is shared (std::shared_ptr) by its InputInjector and by every task
// posted to its queue, so a task still running on a worker left detached by a failed shutdown
// keeps the whole state alive. Apart from construction, queue(), pending() and log(), every member
// runs on the injection thread only, one task at a time, and takes no lock of its own.
//
// Frames do not travel as queue tasks: they wait in pending() and are handed out by drain tasks
// and by control tasks (runControl), each in its place (pending_frames.h). While pointer moves
// wait behind the one being handled, moves with no button held collapse into the newest one, and
// moves with a button held go out together in one SendInput call; nothing collapses or is
// batched across any other frame or task.
#ifndef ORVANE_WIN_INJECTOR_CORE_H_
#define ORVANE_WIN_INJECTOR_CORE_H_

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/serial_queue.h"
#include "win/held_input.h"
#include "win/held_input_watchdog.h"
#include "win/inject_event.h"
#include "win/inject_reject.h"
#include "win/injection_reach_probe.h"
#include "win/injector_event.h"
#include "win/input_mode.h"
#include "win/input_system.h"
#include "win/local_input_period.h"
#include "win/pending_frames.h"
#include "win/pointer_geometry.h"
#include "win/translator.h"
#include "win/wire_decoder.h"

namespace orvane::win {

// Takes one line of text; called from the injection thread and, at teardown and on a release
// time-out, from the platform thread.
using LogSink = std::function<void(const std::string&)>;

// Nanoseconds on a monotonic clock: the injector's only notion of time. Its queue's timers run on
// it, and the watchdog, the local input period and the spacing of events read it, so a test that
// moves it moves all of them together.
using InjectorClock = host::SerialQueue::Clock;

inline constexpr const char* kInjectionQueueLabel = "com.fendrel.orvane.input";

// Warnings a misbehaving controller could repeat at frame rate: each is written once in the
// injector's life and never re-armed. Refusals are the held-input record's (reportedRejects).
struct WarnedOnce {
  bool undecodableFrame = false;
  bool shortSendInput = false;
  bool clampedPointer = false;
  bool releaseOverDownLink = false;
  bool multipleMonitors = false;
  bool droppedFrames = false;
};

// Test access, defined only in win/testing/, so production code cannot name it.
class InjectorTestAccess;

class InjectorCore : public std::enable_shared_from_this<InjectorCore> {
 public:
  // logSink must be callable and inputSystem not null (checked in debug builds). Starts the
  // injection thread. Without an event sink nothing but
  // the log hears of the input's fate.
  InjectorCore(LogSink logSink, std::unique_ptr<InputSystem> inputSystem,
               double watchdogLimitSeconds, InjectorClock clock = host::SerialQueue::SteadyNowNs,
               InjectorEventSink eventSink = {});

  // Releases whatever is still held. Normally the destructor release has emptied the record;
  // when that release timed out behind a stuck SendInput and the shutdown discarded it, this runs
  // when the last task lets go of the state, on the detached worker once SendInput returns.
  ~InjectorCore();

  InjectorCore(const InjectorCore&) = delete;
  InjectorCore& operator=(const InjectorCore&) = delete;

  // A drain task hands out at most this many frames before it lets the queue's other work in.
  static constexpr std::size_t kFramesPerDrain = 64;
  // Moves one SendInput call carries at most, and frames one move may look ahead past.
  static constexpr std::size_t kMaxMovesPerSend = 256;
  static constexpr std::size_t kMaxLookahead = 4096;

  // Any thread.
  host::SerialQueue& queue() { return queue_; }
  PendingFrames& pending() { return pending_; }
  void log(const std::string& line) const;

  // Injection thread only.
  // The drain task: hands out the frames that are ready, at most kFramesPerDrain.
  void drainFrames();
  // Control task number `ordinal`: first the frames posted before it, then the report of the
  // `discarded` stale frames (when any) under `cause`, then `body`.
  void runControl(std::uint64_t ordinal, std::size_t discarded, std::string_view cause,
                  const std::function<void(InjectorCore&)>& body);
  void handleFrame(const std::string& frame);
  void setPeerConnected(bool connected) { peerConnected_ = connected; }
  // Pointer positions become fractions of `capture` on the virtual desktop; no value returns to
  // the primary display.
  void setCaptureRect(std::optional<CaptureRect> capture) {
    capture_ = capture;
    desktop_.reset();
  }
  // The desktop may have changed (displays, settings): read its facts again before the next frame
  // that needs them.
  void refreshDesktop() { desktop_.reset(); }
  void applyMode(InputMode mode);
  void releaseHeld(std::string_view reason);
  void applyWatchdog(const WatchdogVerdict& verdict);
  // The scheduled check; ownId is the timer id it was scheduled under.
  void watchdogTick(std::uint64_t ownId);
  bool watchdogPending() const { return watchdogTimerId_ != 0; }
  // Local input priority: off, or on with the quiet time (clamped into its range). Turning it off
  // ends a running period.
  void setLocalInputPriority(bool enabled, std::int32_t quietMs);
  // The host's own user touched the keyboard or mouse (the monitor's note).
  void noteLocalInput();
  // The scheduled end-of-period check; ownId is the timer id it was scheduled under.
  void localInputTick(std::uint64_t ownId);
  bool localInputActive() const { return localInput_.active(); }

 private:
  // Hands out ready frames until none is left or `limit` have been handled.
  void drainReady(std::size_t limit);
  // True when it posted one: ready frames remain.
  bool postDrainIfNeeded();
  // Decodes, writing the once-only line on refusal.
  bool decode(const std::string& frame, WireMessage& message);
  void handleMessage(const WireMessage& message);
  // A move admitted in full, with the moves waiting right behind it.
  void handleMoves(const WireMessage& first);
  // Translates a move of the run into moveBatch_, reporting its refusal and clamp.
  void appendTranslated(const WireMessage& message);
  // A frame reached translation: the watchdog hears of it.
  void noteActivity();
  // Dropped and collapsed frames, as events; `drained` tells that no frame is waiting any more.
  void reportBacklog(bool drained);
  // The mapping for a message with a position, from the desktop facts.
  PointerGeometry geometryFor(const WireMessage& message);
  // Read when first needed after a refresh, a capture change or a release.
  const DesktopFacts& desktop();
  ButtonLayout buttonLayoutFor(const WireMessage& message) const;
  void warnIfPrimaryOnSeveralMonitors();
  // Returns how many key-ups it sent.
  std::size_t sweepModifiers();
  bool sendEvents(const std::vector<InjectEvent>& events);
  // The probe follows `probed`, the batch's first event or, for a run of moves, its last one.
  void sendProbed(const std::vector<InjectEvent>& events, const InjectEvent& probed);
  // The one cursor read; empty when the position could not be read.
  std::optional<CursorPoint> readCursor();
  // The area a move's absolute coordinates span, from the desktop facts.
  AbsoluteArea areaOf(const InjectEvent& move);
  void cancelWatchdogTask();
  void reportTranslation(const InjectBatch& batch);
  void reportRefusal(InjectReject reject);
  void emit(const InjectorEvent& event) const;
  void applyLocalInputCheck(const LocalInputCheck& check);
  void cancelLocalInputTask();
  double nowSeconds() const { return secondsFromNanoseconds(clock_()); }

  friend class InjectorTestAccess;
  HeldInput& held() { return held_; }

  const LogSink logSink_;
  const InjectorClock clock_;
  const InjectorEventSink eventSink_;
  HeldInput held_;
  HeldInputWatchdog watchdog_;
  InjectionReachProbe probe_;
  bool peerConnected_ = false;
  InputMode mode_ = InputMode::Control;
  std::optional<CaptureRect> capture_;
  std::optional<DesktopFacts> desktop_;
  std::uint64_t watchdogTimerId_ = 0;
  // Owns the reusable platform record array (the injector's event scratch).
  const std::unique_ptr<InputSystem> inputSystem_;
  WarnedOnce warned_;
  // Clock time of each refusal kind's last event; -infinity until its first.
  std::array<double, kInjectRejectCount> lastRefusalEvent_;
  bool localInputEnabled_ = false;
  LocalInputPeriod localInput_;
  std::uint64_t localInputTimerId_ = 0;
  // Control tasks that have run; frames stamped with more wait (pending_frames.h).
  std::uint64_t controlsRun_ = 0;
  std::uint64_t droppedUnreported_ = 0;
  std::uint64_t collapsedUnreported_ = 0;
  double lastBacklogEvent_;
  // Reused by every run of moves: their events, and the refusal of the last one translated.
  InjectBatch moveBatch_;
  PendingFrames pending_;
  // Last, so it is destroyed first: its shutdown discards the tasks that refer to this state.
  host::SerialQueue queue_;
};

}  // namespace orvane::win

#endif  // ORVANE_WIN_INJECTOR_CORE_H_
