// InputInjector on the scripted input system: lines, releases, watchdog, probe and teardown.
#include "win/input_injector.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "win/testing/injector_testing.h"

namespace orvane::win {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace std::chrono_literals;
using namespace test;
using Lines = std::vector<std::string>;
using InputInjectorTest = InjectorTest;
using Kind = WatchdogVerdict::Kind;

const char* const kModeLine = "input: mode control -> view";
const char* const kLinkWarning = "input: admitting a release over a link that is not connected";
const char* const kMonitorsWarning =
    "input: more than one monitor — pointer coordinates are mapped onto the PRIMARY display, so "
    "clicks land on the wrong screen if the captured screen is not the primary one (design "
    "section 8 item 1)";

// In view a release-all frame only sends what is held: no line, no sweep, watchdog untouched.
TEST_F(InputInjectorTest, ReleaseAllFrame_FullReleaseInControlOnlySendsInView) {
  for (const bool link : {true, false}) {
    for (const InputMode mode : {InputMode::Control, InputMode::View}) {
      SCOPED_TRACE(std::string(link ? "link up " : "link down ") + inputModeText(mode));
      start(link);
      run([mode](InjectorCore& core) {
        core.applyMode(mode);
        InjectorTestAccess::held(core).pressKey(0x001E);
        core.applyWatchdog({Kind::Wait, kWatchdogLimitSeconds});
      });
      for (const ModifierKey& key : kModifierKeys) input_->setKeyState(key.virtualKey, 0);
      injector_->injectInput(releaseAll());
      flush();
      const bool control = mode == InputMode::Control;
      Lines expected = control ? Lines{} : Lines{kModeLine};
      if (!link) expected.push_back(kLinkWarning);
      if (control) expected.push_back("input: releasing held input (ra): 1 event(s)");
      if (control) expected.push_back("input: modifier sweep releasing 8 key(s)");
      EXPECT_EQ(lines(), expected);
      const auto batches = input_->batches();
      ASSERT_EQ(batches.size(), control ? 2u : 1u);
      EXPECT_THAT(describe(batches[0]), ElementsAre("key 1E up"));
      EXPECT_EQ(watchdogPending(), !control);
    }
  }
}

TEST_F(InputInjectorTest, OnceOnlyWarnings_AreWrittenTheFirstTimeOnly) {
  input_->setMetric(kMetricMonitorCount, 2);
  for (int i = 0; i < 2; ++i) input_->pushSendCount(0);  // the first button-down and move
  for (int i = 0; i < 2; ++i) {
    for (const std::string& frame :
         {std::string("{not json"), std::string(R"({"t":"zz"})"), keyUp(kUsageB),
          keyDown(kUsageCapsLock), buttonDown(0), move(0.5, 0.5)}) {
      injector_->injectInput(frame);
    }
  }
  flush();  // a disconnect would discard what is still waiting
  injector_->setPeerConnected(false);
  injector_->injectInput(keyUp(kUsageA));
  injector_->injectInput(buttonUp(2));
  flush();
  EXPECT_EQ(lines(), (Lines{"input: undecodable frame (not a JSON object); further ones are silent",
                            kMonitorsWarning, "input: key-not-held", "input: caps-lock",
                            "input: SendInput took 0 of 2 event(s), GetLastError=87 — a "
                            "malformed call, NOT a UIPI block; further ones are silent",
                            "input: button-already-held", kLinkWarning, "input: button-not-held"}));
}

TEST_F(InputInjectorTest, ReleaseAllAndWait_TimesOutOnABusyWorkerAndStillReleases) {
  input_->pauseSends(true);
  injector_->injectInput(keyDown(kUsageA));
  ASSERT_TRUE(input_->waitPausedInSend(10s));
  EXPECT_FALSE(injector_->releaseAllAndWait("appTerminating", 250));
  EXPECT_EQ(lines(), Lines{"input: release-all (appTerminating) did not finish within 250ms"});
  input_->pauseSends(false);
  flush();
  EXPECT_THAT(lines(), Contains("input: releasing held input (appTerminating): 1 event(s)"));
  EXPECT_THAT(input_->downKeys(), IsEmpty());
}

// Only control -> view releases; the check is pending only while something is held.
TEST_F(InputInjectorTest, ModeSwitchAndWatchdog_ReleaseOnlyIntoViewAndCheckOnlyWhileHeld) {
  injector_->injectInput(move(0.2, 0.2));
  EXPECT_FALSE(watchdogPending());
  injector_->injectInput(keyDown(kUsageA));
  EXPECT_TRUE(watchdogPending());
  injector_->injectInput(keyUp(kUsageA));  // the last key-up cancels the check
  EXPECT_FALSE(watchdogPending());
  injector_->injectInput(buttonDown(1));
  injector_->setInputMode(InputMode::Control);  // unchanged: nothing written, nothing released
  EXPECT_TRUE(watchdogPending());
  injector_->setInputMode(InputMode::View);
  EXPECT_FALSE(watchdogPending());
  injector_->setInputMode(InputMode::View);
  injector_->setInputMode(InputMode::Control);
  EXPECT_FALSE(watchdogPending());
  EXPECT_EQ(lines(), (Lines{kModeLine, "input: releasing held input (viewMode): 1 event(s)",
                            "input: mode view -> control"}));
}

// Frames that reach translation, refused ones included, are activity.
TEST_F(InputInjectorTest, Watchdog_FiresAfterSilenceSinceTheLastTranslatedFrame) {
  const std::pair<std::string, bool> cases[] = {
      {move(0.5, 0.5), true}, {keyUp(kUsageB), true}, {"{not json", false}, {"", false}};
  for (const auto& [frame, counts] : cases) {
    SCOPED_TRACE(frame.empty() ? "dropped by admission" : frame);
    start();
    injector_->injectInput(keyDown(kUsageA));
    flush();
    setNow(5.0);
    if (frame.empty()) injector_->setPeerConnected(false);
    injector_->injectInput(frame.empty() ? move(0.5, 0.5) : frame);
    flush();
    advanceTo(12.0);
    EXPECT_EQ(input_->downKeys().empty(), !counts);
    advanceTo(15.0);
    EXPECT_THAT(lines(), Contains("input: nothing from the controller for 10.000000s with a "
                                  "button or key still held"));
    EXPECT_THAT(lines(), Contains("input: releasing held input (watchdog): 1 event(s)"));
    EXPECT_THAT(input_->downKeys(), IsEmpty());
    EXPECT_FALSE(watchdogPending());
  }
}

// A tick queued before the key-up cancelled it still runs; it must keep the newer check's id.
TEST_F(InputInjectorTest, Watchdog_StaleTickLeavesOneCancellableCheck) {
  run([](InjectorCore& core) {
    core.handleFrame(keyDown(kUsageA));
    core.applyWatchdog({});
    core.applyWatchdog({Kind::Wait, 0.0});  // due now: queued behind the next two
    core.queue().Post([&core] { core.handleFrame(keyUp(kUsageA)); });
    core.queue().Post([&core] { core.handleFrame(keyDown(kUsageA)); });
  });
  flush();
  injector_->injectInput(keyUp(kUsageA));
  int scheduled = 0;
  run([&scheduled](InjectorCore& core) {
    for (std::uint64_t id = 1; id < 16; ++id) scheduled += core.queue().Cancel(id) ? 1 : 0;
  });
  EXPECT_EQ(scheduled, 0);
}

void setVirtualDesktop(FakeInput& input, CaptureRect bounds) {
  input.setMetric(kMetricVirtualLeft, bounds.left);
  input.setMetric(kMetricVirtualTop, bounds.top);
  input.setMetric(kMetricVirtualWidth, bounds.right - bounds.left);
  input.setMetric(kMetricVirtualHeight, bounds.bottom - bounds.top);
}

// The geometry table checks each pixel; here, the injector maps onto the capture and desktop of
// now.
TEST_F(InputInjectorTest, CaptureRect_FollowsADisplayChangeAndReturnsToThePrimaryMapping) {
  input_->setMetric(kMetricMonitorCount, 2);
  input_->setCursor({}, true, true);
  // 1280x1024 left of a 1920x1080 primary, 1024x768 above it; the left one is captured.
  setVirtualDesktop(*input_, {-1280, -768, 1920, 1080});
  const CaptureRect left{-1280, 0, 0, 1024};
  injector_->setCaptureRect(left);
  injector_->injectInput(move(0.0, 1.0));
  flush();
  EXPECT_EQ(std::make_pair(input_->cursor().x, input_->cursor().y), std::make_pair(-1280, 1023));
  // The other monitors are unplugged: the same rectangle now spans the whole virtual desktop. The
  // old metrics hold until the runner's window hears of the change.
  setVirtualDesktop(*input_, left);
  injector_->injectInput(move(0.0, 1.0));
  injector_->refreshDesktop();
  injector_->injectInput(buttonDown(0, 1.0, 0.0));
  injector_->injectInput(buttonUp(0, 0.0, 1.0));
  flush();
  const auto batches = input_->batches();
  ASSERT_EQ(batches.size(), 4u);
  EXPECT_EQ(batches[1][0].dy, batches[0][0].dy);
  EXPECT_EQ(std::make_pair(batches[2][0].dx, batches[2][0].dy), std::make_pair(65535, 0));
  EXPECT_EQ(std::make_pair(batches[3][0].dx, batches[3][0].dy), std::make_pair(0, 65535));
  for (const auto& batch : batches) {
    EXPECT_EQ(batch[0].flags, kMouseMove | kMouseVirtualDesk | kMouseAbsolute);
  }
  EXPECT_EQ(lines(), Lines{kProbeReachingLine}) << "the monitors warning is the primary mapping's";

  injector_->setCaptureRect(std::nullopt);
  injector_->injectInput(move(0.5, 0.5));
  flush();
  EXPECT_EQ(input_->batches().back().front().flags, kMouseMove | kMouseAbsolute);
  EXPECT_EQ(lines(), (Lines{kProbeReachingLine, kMonitorsWarning}));
}

// Events come for verdict changes, releases that sent something, and refusals at most once per
// kind per second of the injector's clock; never for a frame that simply reaches the desktop.
TEST_F(InputInjectorTest, Events_VerdictChangesReleasesAndRefusalsOncePerSecondPerKind) {
  input_->setCursor({10, 10}, true, true);
  injector_->injectInput(move(0.5, 0.5));
  flush();  // so that the next move does not collapse it
  for (const std::string& frame :
       {move(0.6, 0.6), keyDown(kUsageCapsLock), keyDown(kUsageCapsLock), keyUp(kUsageB)}) {
    injector_->injectInput(frame);
  }
  for (const double at : {0.999, 1.0}) {
    flush();
    setNow(at);
    injector_->injectInput(keyDown(kUsageCapsLock));
  }
  flush();
  injector_->releaseHeldInput("unspecified");  // nothing held, nothing swept: no event
  flush();
  input_->setCursor({10, 10}, true);
  for (const std::string& frame : {move(0.9, 0.9), keyDown(kUsageA), buttonDown(2)}) {
    injector_->injectInput(frame);
  }
  flush();
  input_->setKeyState(0xA0, 0);
  injector_->setInputMode(InputMode::View);
  flush();
  EXPECT_EQ(input_->events(),
            (Lines{"reach reaching 0 0 0", "refused caps-lock 0 0 0", "refused key-not-held 0 0 0",
                   "refused caps-lock 0 0 0", "reach discarded 0 0 0", "released viewMode 1 1 1"}));
}

// Frames still queued are discarded by the destructor; a worker stuck in SendInput past both
// limits is left behind and releases once it returns.
TEST_F(InputInjectorTest, Destruction_ReleasesEvenAfterAStuckSendInput) {
  for (const bool stuck : {false, true}) {
    start();
    input_->pauseSends(true);
    injector_->injectInput(keyDown(kUsageA));
    ASSERT_TRUE(input_->waitPausedInSend(10s));
    injector_->injectInput(keyDown(kUsageB));
    // The destructor waits 1000 ms for its release: 200 ms in, it has long discarded B.
    std::thread unpause([this, stuck] {
      if (!stuck) {
        std::this_thread::sleep_for(200ms);
        input_->pauseSends(false);
      }
    });
    injector_.reset();
    unpause.join();
    EXPECT_EQ(input_->waitSystemDestroyed(0ms), !stuck);
    input_->pauseSends(false);
    ASSERT_TRUE(input_->waitSystemDestroyed(10s));
    const Lines expected = stuck ? Lines{"input: the injection thread did not stop within 1000ms",
                                         "input: releasing held input (destructor): 1 event(s)"}
                                 : Lines{"input: discarded 1 stale frame(s) (destructor)",
                                         "input: releasing held input (destructor): 1 event(s)"};
    EXPECT_EQ(lines(), expected);
    EXPECT_THAT(input_->downKeys(), IsEmpty());
  }
}

// While a send is stuck, frames queue up behind it. Each call that ends the controller's control
// discards them (a disconnect keeps possible releases), runs next, and later frames run after it.
TEST_F(InputInjectorTest, StaleFrames_DiscardedByEachCallThatEndsControl) {
  struct Case {
    const char* cause;
    std::function<void(InputInjector&)> call;
    std::size_t discarded;
    bool laterFrameRuns;
  };
  const Case cases[] = {
      {"unspecified", [](InputInjector& i) { i.releaseHeldInput("unspecified"); }, 4, true},
      {"appTerminating", [](InputInjector& i) { i.releaseAllAndWait("appTerminating", 0); }, 4,
       true},
      {"viewMode", [](InputInjector& i) { i.setInputMode(InputMode::View); }, 4, false},
      {"peerDisconnected", [](InputInjector& i) { i.setPeerConnected(false); }, 3, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cause);
    start();
    input_->pauseSends(true);
    injector_->injectInput(keyDown(kUsageA));
    ASSERT_TRUE(input_->waitPausedInSend(10s));
    for (const std::string& frame : {keyDown(kUsageB), buttonDown(0), move(0.3, 0.3)}) {
      injector_->injectInput(frame);
    }
    injector_->injectInput(keyUp(kUsageA));  // a disconnect keeps it: nothing else lets A go
    c.call(*injector_);
    injector_->injectInput(keyDown(kUsageB));
    input_->pauseSends(false);
    flush();
    std::vector<std::vector<std::string>> sent;
    for (const auto& batch : input_->batches()) sent.push_back(describe(batch));
    std::vector<std::vector<std::string>> expected = {{"key 1E down"}, {"key 1E up"}};
    if (c.laterFrameRuns) expected.push_back({"key 30 down"});
    EXPECT_EQ(sent, expected);
    EXPECT_THAT(lines(), Contains("input: discarded " + std::to_string(c.discarded) +
                                  " stale frame(s) (" + c.cause + ")"));
    EXPECT_THAT(input_->events(),
                Contains(std::string("discarded ") + c.cause + ' ' + std::to_string(c.discarded)));
  }
}

// Behind a move, waiting hover moves collapse into the newest; during a drag every move is sent,
// in one call; nothing collapses across another frame.
TEST_F(InputInjectorTest, WaitingMoves_HoverCollapsesDragSharesOneSend) {
  input_->pauseSends(true);
  injector_->injectInput(keyDown(kUsageA));
  ASSERT_TRUE(input_->waitPausedInSend(10s));
  for (const std::string& frame :
       {move(0.0, 0.0), move(0.25, 0.0), move(0.5, 0.0), wheel(0, 120), move(0.75, 0.0),
        buttonDown(0, 1.0, 0.0), move(0.0, 1.0), move(0.5, 1.0), buttonUp(0, 1.0, 1.0)}) {
    injector_->injectInput(frame);
  }
  input_->pauseSends(false);
  flush();
  std::vector<std::vector<std::string>> sent;
  for (const auto& batch : input_->batches()) {
    std::vector<std::string> line;
    for (const InjectEvent& e : batch) {
      const bool absolute = (e.flags & kMouseAbsolute) != 0;
      line.push_back(e.kind == InjectEventKind::Keyboard ? "key"
                     : absolute         ? std::to_string(e.dx) + ',' + std::to_string(e.dy)
                     : e.mouseData != 0 ? "wheel"
                                        : "button");
    }
    sent.push_back(line);
  }
  EXPECT_EQ(sent, (std::vector<std::vector<std::string>>{{"key"},
                                                         {"32768,0"},
                                                         {"wheel"},
                                                         {"49151,0"},
                                                         {"65535,0", "button"},
                                                         {"0,65535", "32768,65535"},
                                                         {"65535,65535", "button"}}));
  EXPECT_THAT(input_->events(), Contains("collapsed  2"));
}

}  // namespace
}  // namespace orvane::win
