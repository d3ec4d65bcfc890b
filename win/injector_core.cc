// The injection thread's work: frame intake and the frame path, mode switch, release and modifier
// sweep, SendInput dispatch, watchdog scheduling and the reach probe around absolute moves.
#include "win/injector_core.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdio>
#include <limits>
#include <utility>

#include "host/dcheck.h"

namespace orvane::win {

namespace {

std::string decimal(std::uint64_t value) { return std::to_string(value); }

InjectorEvent localInputEvent(bool active) {
  InjectorEvent event;
  event.kind = InjectorEvent::Kind::LocalInput;
  event.active = active;
  return event;
}

const char* verdictText(ProbeVerdict verdict) {
  return verdict == ProbeVerdict::Reaching ? "reaching" : "discarded";
}

}  // namespace

InjectorCore::InjectorCore(LogSink logSink, std::unique_ptr<InputSystem> inputSystem,
                           double watchdogLimitSeconds, InjectorClock clock,
                           InjectorEventSink eventSink)
    : logSink_(std::move(logSink)),
      clock_(std::move(clock)),
      eventSink_(std::move(eventSink)),
      watchdog_(watchdogLimitSeconds),
      inputSystem_(std::move(inputSystem)),
      lastBacklogEvent_(-std::numeric_limits<double>::infinity()),
      queue_(kInjectionQueueLabel, clock_) {
  ORVANE_DCHECK(logSink_);
  ORVANE_DCHECK(inputSystem_ != nullptr);
  lastRefusalEvent_.fill(-std::numeric_limits<double>::infinity());
  moveBatch_.events.reserve(kMaxMovesPerSend);
}

InjectorCore::~InjectorCore() {
  if (held_.anyHeld()) {
    releaseHeld("destructor");
  }
}

void InjectorCore::log(const std::string& line) const { logSink_(line); }

void InjectorCore::emit(const InjectorEvent& event) const {
  if (eventSink_) {
    eventSink_(event);
  }
}

void InjectorCore::drainFrames() {
  pending_.drainStarted();
  drainReady(kFramesPerDrain);
  if (!postDrainIfNeeded()) {
    reportBacklog(true);  // what the limit left unreported, now that nothing more is ready
  }
}

void InjectorCore::runControl(std::uint64_t ordinal, std::size_t discarded, std::string_view cause,
                              const std::function<void(InjectorCore&)>& body) {
  // Every frame posted before this task comes first, however many a drain task left waiting.
  drainReady(std::numeric_limits<std::size_t>::max());
  if (discarded != 0) {
    log("input: discarded " + decimal(discarded) + " stale frame(s) (" + std::string(cause) + ")");
    InjectorEvent event{InjectorEvent::Kind::InputDiscarded, std::string(cause)};
    event.count = discarded;
    emit(event);
  }
  body(*this);
  // Control tasks run in the order they were stamped; max() only guards a test hook run inline.
  controlsRun_ = std::max(controlsRun_, ordinal);
  postDrainIfNeeded();
}

void InjectorCore::drainReady(std::size_t limit) {
  std::string frame;
  bool drained = false;
  for (std::size_t handled = 0; handled < limit; ++handled) {
    if (!pending_.popReady(controlsRun_, frame)) {
      drained = true;
      break;
    }
    handleFrame(frame);
  }
  reportBacklog(drained);
}

bool InjectorCore::postDrainIfNeeded() {
  if (!pending_.needsDrain(controlsRun_)) {
    return false;
  }
  queue_.Post([core = shared_from_this()] { core->drainFrames(); });
  return true;
}

bool InjectorCore::decode(const std::string& frame, WireMessage& message) {
  WireReject wireReject = WireReject::None;
  if (decodeWire(frame.data(), frame.size(), message, &wireReject)) {
    return true;
  }
  if (!warned_.undecodableFrame) {
    warned_.undecodableFrame = true;
    log(std::string("input: undecodable frame (") + wireRejectText(wireReject) +
        "); further ones are silent");
  }
  return false;
}

void InjectorCore::handleFrame(const std::string& frame) {
  WireMessage message;
  if (decode(frame, message)) {
    handleMessage(message);
  }
}

void InjectorCore::handleMessage(const WireMessage& message) {
  // While the host's own user has the input, the controller may only let go, as in view.
  const InputMode mode = localInput_.active() ? InputMode::View : mode_;
  const Admission admission = admitFrame(message.kind, peerConnected_, mode);
  if (admission == Admission::Drop) {
    return;
  }
  if (admission == Admission::ReleaseOnly && !peerConnected_ && !warned_.releaseOverDownLink) {
    warned_.releaseOverDownLink = true;
    log("input: admitting a release over a link that is not connected");
  }

  if (message.kind == WireKind::ReleaseAll) {
    // In view the controller may only let go: no sweep, no line, the watchdog left alone.
    if (mode == InputMode::View) {
      sendEvents(held_.releaseAllEvents());
    } else {
      releaseHeld("ra");
    }
    return;
  }

  if (!capture_) {
    warnIfPrimaryOnSeveralMonitors();
  }
  if (message.kind == WireKind::Move) {
    handleMoves(message);
    return;
  }

  const PointerGeometry geometry = geometryFor(message);
  const InjectBatch batch = translateMessage(held_, message, geometry, buttonLayoutFor(message));
  reportTranslation(batch);
  // Refused frames can still carry events (a repeated button-down keeps its move).
  if (!batch.events.empty()) {
    if (!probe_.probed() && InjectionReachProbe::qualifies(batch.events.front())) {
      sendProbed(batch.events, batch.events.front());
    } else {
      sendEvents(batch.events);
    }
  }
  noteActivity();
}

void InjectorCore::noteActivity() {
  // With nothing held the time plays no part, so steady hovering reads no clock.
  const bool held = held_.anyHeld();
  applyWatchdog(watchdog_.onActivity(held ? nowSeconds() : 0.0, held));
}

void InjectorCore::handleMoves(const WireMessage& first) {
  // Only moves admitted in full get here, and every frame looked at below follows this one with no
  // control task between, so the link, the mode and the capture are the same for all of them.
  WireMessage current = first;
  WireMessage next;
  bool nextIsOther = false;
  moveBatch_.events.clear();
  std::string frame;
  for (std::size_t looked = 0;
       looked < kMaxLookahead && moveBatch_.events.size() < kMaxMovesPerSend &&
       pending_.popReady(controlsRun_, frame);
       ++looked) {
    if (!decode(frame, next)) {
      break;  // Nothing collapses across another frame, not even an undecodable one.
    }
    if (next.kind != WireKind::Move) {
      nextIsOther = true;
      break;
    }
    // With no button held only the newest position matters; during a drag every point does.
    if (held_.heldButtons == 0) {
      ++collapsedUnreported_;
    } else {
      appendTranslated(current);
    }
    current = next;
  }
  appendTranslated(current);
  if (!moveBatch_.events.empty()) {
    if (!probe_.probed() && InjectionReachProbe::qualifies(moveBatch_.events.back())) {
      sendProbed(moveBatch_.events, moveBatch_.events.back());
    } else {
      sendEvents(moveBatch_.events);
    }
  }
  noteActivity();
  if (nextIsOther) {
    handleMessage(next);
  }
}

void InjectorCore::appendTranslated(const WireMessage& message) {
  translateInto(held_, message, geometryFor(message), ButtonLayout::Standard, moveBatch_);
  reportTranslation(moveBatch_);
}

void InjectorCore::reportBacklog(bool drained) {
  droppedUnreported_ += pending_.takeDropped();
  if (droppedUnreported_ == 0 && collapsedUnreported_ == 0) {
    return;
  }
  const double now = nowSeconds();
  if (!drained && now - lastBacklogEvent_ < kBacklogEventIntervalSeconds) {
    return;
  }
  lastBacklogEvent_ = now;
  if (droppedUnreported_ != 0) {
    if (!warned_.droppedFrames) {
      warned_.droppedFrames = true;
      log("input: pending input reached its cap, the oldest frames are dropped; further ones are "
          "silent");
    }
    InjectorEvent dropped{InjectorEvent::Kind::InputDropped, {}};
    dropped.count = std::exchange(droppedUnreported_, 0);
    emit(dropped);
  }
  if (collapsedUnreported_ != 0) {
    InjectorEvent collapsed{InjectorEvent::Kind::InputCollapsed, {}};
    collapsed.count = std::exchange(collapsedUnreported_, 0);
    emit(collapsed);
  }
}

void InjectorCore::warnIfPrimaryOnSeveralMonitors() {
  if (!warned_.multipleMonitors && desktop().monitorCount > 1) {
    warned_.multipleMonitors = true;
    log("input: more than one monitor — pointer coordinates are mapped onto the PRIMARY display, "
        "so clicks land on the wrong screen if the captured screen is not the primary one "
        "(design section 8 item 1)");
  }
}

const DesktopFacts& InjectorCore::desktop() {
  if (!desktop_) {
    desktop_ = readDesktopFacts(*inputSystem_);
  }
  return *desktop_;
}

PointerGeometry InjectorCore::geometryFor(const WireMessage& message) {
  const bool positioned = message.kind == WireKind::Move || message.kind == WireKind::ButtonDown ||
                          message.kind == WireKind::ButtonUp;
  if (!capture_ || !positioned) {
    return PointerGeometry{};
  }
  const DesktopFacts& facts = desktop();
  return captureGeometry(*capture_, facts.virtualLeft, facts.virtualTop, facts.virtualWidth,
                         facts.virtualHeight);
}

ButtonLayout InjectorCore::buttonLayoutFor(const WireMessage& message) const {
  // Read at the press itself, never kept: the setting can change without any message reaching the
  // plugin (SwapMouseButton broadcasts nothing), and a release follows the record of what went
  // down, not the setting.
  if (message.kind == WireKind::ButtonDown &&
      inputSystem_->getSystemMetrics(kMetricSwapButton) != 0) {
    return ButtonLayout::Swapped;
  }
  return ButtonLayout::Standard;
}

void InjectorCore::reportTranslation(const InjectBatch& batch) {
  // The held-input record keeps which refusals were met before: firstOfKind says it.
  if (batch.reject != InjectReject::None && batch.firstOfKind) {
    log(std::string("input: ") + injectRejectName(batch.reject));
  }
  if (batch.reject != InjectReject::None) {
    reportRefusal(batch.reject);
  }
  if (batch.clamped && !warned_.clampedPointer) {
    warned_.clampedPointer = true;
    log("input: a pointer position fell outside the virtual screen and was clamped — the "
        "captured geometry is stale");
  }
}

void InjectorCore::reportRefusal(InjectReject reject) {
  const auto index = static_cast<std::size_t>(reject);
  if (!eventSink_ || index >= kInjectRejectCount) {
    return;
  }
  // Unlike the log line, the event recurs: the user may try the chord again much later.
  const double now = nowSeconds();
  if (now - lastRefusalEvent_[index] < kRefusalEventIntervalSeconds) {
    return;
  }
  lastRefusalEvent_[index] = now;
  emit({InjectorEvent::Kind::InputRefused, injectRejectName(reject)});
}

void InjectorCore::sendProbed(const std::vector<InjectEvent>& events, const InjectEvent& probed) {
  const std::optional<CursorPoint> before = readCursor();
  const bool sent = sendEvents(events);
  const std::optional<CursorPoint> after = readCursor();
  if (const char* line = probe_.observe(probed, areaOf(probed), sent, before, after)) {
    log(line);
    emit({InjectorEvent::Kind::InjectionReach, verdictText(probe_.lastVerdict())});
  }
}

std::optional<CursorPoint> InjectorCore::readCursor() {
  CursorPoint point;
  if (!inputSystem_->getPhysicalCursorPos(point)) return std::nullopt;
  return point;
}

AbsoluteArea InjectorCore::areaOf(const InjectEvent& move) {
  const DesktopFacts& facts = desktop();
  if ((move.flags & kMouseVirtualDesk) != 0) {
    return {facts.virtualLeft, facts.virtualTop, facts.virtualWidth, facts.virtualHeight};
  }
  return {0, 0, facts.primaryWidth, facts.primaryHeight};
}

void InjectorCore::applyMode(InputMode mode) {
  const InputMode old = mode_;
  mode_ = mode;
  if (old != mode) {
    log(std::string("input: mode ") + inputModeText(old) + " -> " + inputModeText(mode));
  }
  if (old == InputMode::Control && mode == InputMode::View) {
    releaseHeld("viewMode");
  }
}

void InjectorCore::releaseHeld(std::string_view reason) {
  const std::vector<InjectEvent> events = held_.releaseAllEvents();
  if (!events.empty()) {
    // The line goes first, so it is in the log even if sending stalls.
    log("input: releasing held input (" + std::string(reason) +
        "): " + decimal(releaseCount(events)) + " event(s)");
    sendEvents(events);
  }
  const std::size_t sweep = sweepModifiers();
  // A release is rare and often follows a change of the session: a cheap moment to look again.
  desktop_.reset();
  cancelWatchdogTask();
  watchdog_.reset();
  probe_.rearm();
  if (!events.empty() || sweep != 0) {
    InjectorEvent released{InjectorEvent::Kind::HeldInputReleased, std::string(reason)};
    for (const InjectEvent& event : events) {
      if (!isMaskEvent(event)) {
        ++(event.kind == InjectEventKind::Keyboard ? released.keys : released.buttons);
      }
    }
    released.sweep = static_cast<std::uint32_t>(sweep);
    emit(released);
  }
}

std::size_t InjectorCore::sweepModifiers() {
  std::array<std::int16_t, kModifierCount> states{};
  for (std::size_t i = 0; i < kModifierCount; ++i) {
    states[i] = inputSystem_->getAsyncKeyState(kModifierKeys[i].virtualKey);
  }
  const std::vector<InjectEvent> events = modifierSweepEvents(states);
  const std::size_t keyUps = releaseCount(events);
  if (keyUps != 0) {
    log("input: modifier sweep releasing " + decimal(keyUps) + " key(s)");
    sendEvents(events);
  }
  return keyUps;
}

bool InjectorCore::sendEvents(const std::vector<InjectEvent>& events) {
  if (events.empty()) {
    return true;
  }
  const std::uint32_t taken = inputSystem_->sendInput(events);
  if (taken == events.size()) {
    return true;
  }
  const std::uint32_t error = inputSystem_->getLastError();
  if (!warned_.shortSendInput) {
    warned_.shortSendInput = true;
    log("input: SendInput took " + decimal(taken) + " of " + decimal(events.size()) +
        " event(s), GetLastError=" + decimal(error) +
        " — a malformed call, NOT a UIPI block; further ones are silent");
  }
  return false;
}

void InjectorCore::cancelWatchdogTask() {
  if (watchdogTimerId_ != 0) {
    queue_.Cancel(watchdogTimerId_);
    watchdogTimerId_ = 0;
  }
}

void InjectorCore::applyWatchdog(const WatchdogVerdict& verdict) {
  switch (verdict.kind) {
    case WatchdogVerdict::Kind::Idle:
      cancelWatchdogTask();
      return;
    case WatchdogVerdict::Kind::Wait:
      // A pending check keeps its deadline; it finds the later activity and reschedules itself.
      if (watchdogTimerId_ == 0) {
        // The tick learns its own id once PostDelayed returns; it cannot run before this task
        // ends, since both run on the injection thread.
        auto ownId = std::make_shared<std::uint64_t>(0);
        watchdogTimerId_ =
            queue_.PostDelayed(watchdogDelayNanoseconds(verdict.remainingSeconds),
                               [core = shared_from_this(), ownId] { core->watchdogTick(*ownId); });
        *ownId = watchdogTimerId_;
      }
      return;
    case WatchdogVerdict::Kind::Fire: {
      cancelWatchdogTask();
      constexpr std::size_t kLineSize = 128;
      std::array<char, kLineSize> seconds{};
      std::snprintf(seconds.data(), seconds.size(), "%f", watchdog_.limitSeconds());
      log(std::string("input: nothing from the controller for ") + seconds.data() +
          "s with a button or key still held");
      releaseHeld("watchdog");
      return;
    }
  }
}

void InjectorCore::watchdogTick(std::uint64_t ownId) {
  // A tick cancelled too late (already queued to run) is no longer the pending one: a later
  // check may be, and forgetting its id would leave it running with no way to cancel it.
  if (watchdogTimerId_ == ownId) {
    watchdogTimerId_ = 0;
  }
  applyWatchdog(watchdog_.check(nowSeconds(), held_.anyHeld()));
}

void InjectorCore::setLocalInputPriority(bool enabled, std::int32_t quietMs) {
  localInputEnabled_ = enabled;
  localInput_.setQuietMs(quietMs);
  if (!enabled) {
    cancelLocalInputTask();
    if (localInput_.end()) emit(localInputEvent(false));
    return;
  }
  // A running period is measured against the new quiet time from now on.
  if (localInput_.active()) {
    cancelLocalInputTask();
    applyLocalInputCheck(localInput_.check(nowSeconds()));
  }
}

void InjectorCore::noteLocalInput() {
  if (!localInputEnabled_) return;
  const bool controllerCanAct = peerConnected_ && mode_ == InputMode::Control;
  if (!localInput_.note(nowSeconds(), controllerCanAct)) return;
  log("input: local input at the host; the controller is held off until it has been quiet for " +
      decimal(static_cast<std::uint64_t>(localInput_.quietMs())) + "ms");
  emit(localInputEvent(true));
  releaseHeld("localInput");
  applyLocalInputCheck(localInput_.check(nowSeconds()));
}

void InjectorCore::localInputTick(std::uint64_t ownId) {
  // As for the watchdog: a tick cancelled too late must not forget a newer pending one.
  if (localInputTimerId_ == ownId) {
    localInputTimerId_ = 0;
  }
  applyLocalInputCheck(localInput_.check(nowSeconds()));
}

void InjectorCore::applyLocalInputCheck(const LocalInputCheck& check) {
  switch (check.kind) {
    case LocalInputCheck::Kind::Idle:
      return;
    case LocalInputCheck::Kind::Wait:
      // A pending check keeps its deadline; it finds the later input and reschedules itself, so
      // local input at the mouse's rate costs no timer work.
      if (localInputTimerId_ == 0) {
        auto ownId = std::make_shared<std::uint64_t>(0);
        localInputTimerId_ = queue_.PostDelayed(
            watchdogDelayNanoseconds(check.remainingSeconds),
            [core = shared_from_this(), ownId] { core->localInputTick(*ownId); });
        *ownId = localInputTimerId_;
      }
      return;
    case LocalInputCheck::Kind::Ended:
      cancelLocalInputTask();
      emit(localInputEvent(false));
      return;
  }
}

void InjectorCore::cancelLocalInputTask() {
  if (localInputTimerId_ != 0) {
    queue_.Cancel(localInputTimerId_);
    localInputTimerId_ = 0;
  }
}

}  // namespace orvane::win
