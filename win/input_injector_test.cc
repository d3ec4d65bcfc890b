// InputInjector through its public surface, with the scripted input system: admission by state,
// once-only lines, releases and the sweep, the watchdog, the probe, time-outs and teardown.
#include "win/input_injector.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "win/injector_test_fixture.h"
#include "win/test_frames.h"

namespace orvane::win {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace std::chrono_literals;
using namespace test;

using InputInjectorTest = test::InjectorTest;

const char* const kModeLine = "input: mode control -> view";
const char* const kLinkWarning = "input: admitting a release over a link that is not connected";
const char* const kSweepAll = "input: modifier sweep releasing 8 key(s)";

TEST_F(InputInjectorTest, AdmissionFollowsLinkAndMode) {
  struct Kind {
    std::string frame;
    bool release;
    const char* translatedLine;  // what translation logs here, for frames that inject nothing
  };
  const Kind kinds[] = {
      {move(0.5, 0.5), false, nullptr},
      {buttonDown(0), false, nullptr},
      {wheel(0, 60), false, nullptr},
      {keyDown(kUsageA), false, nullptr},
      {buttonUp(1), true, "input: button-not-held"},
      {keyUp(kUsageB), true, "input: key-not-held"},
  };
  for (const bool link : {true, false}) {
    for (const InputMode mode : {InputMode::Control, InputMode::View}) {
      for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.frame + (link ? " link up " : " link down ") + inputModeText(mode));
        resetFake();
        start();
        injector_->setPeerConnected(link);
        injector_->setInputMode(mode);
        injector_->injectInput(kind.frame);
        flush();

        const bool full = link && mode == InputMode::Control;
        const bool handled = full || kind.release;
        std::vector<std::string> expected;
        if (mode == InputMode::View) {
          expected.push_back(kModeLine);
        }
        if (kind.release && !link) {
          expected.push_back(kLinkWarning);
        }
        if (handled && kind.translatedLine != nullptr) {
          expected.push_back(kind.translatedLine);
        }
        EXPECT_EQ(lines(), expected);
        EXPECT_EQ(input_->batches().size(), handled && !kind.release ? 1u : 0u);
      }
    }
  }
}

TEST_F(InputInjectorTest, ReleaseAllFrame_ReleasesInControlAndOnlySendsInView) {
  for (const bool link : {true, false}) {
    for (const InputMode mode : {InputMode::Control, InputMode::View}) {
      SCOPED_TRACE(std::string(link ? "link up " : "link down ") + inputModeText(mode));
      resetFake();
      sweepEverything();
      start();
      injector_->setPeerConnected(true);
      injector_->injectInput(keyDown(kUsageA));
      injector_->setPeerConnected(link);
      injector_->setInputMode(mode);
      injector_->injectInput(releaseAll());
      flush();

      std::vector<std::string> expected;
      if (mode == InputMode::View) {
        // Leaving control already released the key, so the frame finds nothing to send.
        expected = {kModeLine, "input: releasing held input (viewMode): 1 event(s)", kSweepAll};
      }
      if (!link) {
        expected.push_back(kLinkWarning);
      }
      if (mode == InputMode::Control) {
        expected.push_back("input: releasing held input (ra): 1 event(s)");
        expected.push_back(kSweepAll);
      }
      EXPECT_EQ(lines(), expected);
      EXPECT_THAT(input_->downKeys(), IsEmpty());
    }
  }
}

TEST_F(InputInjectorTest, ReleasesPassAfterTheLinkDropsAndAnEmptyReleaseOnlySweeps) {
  startConnected();
  injector_->injectInput(keyDown(kUsageA));
  injector_->injectInput(buttonDown(2));
  injector_->setPeerConnected(false);
  injector_->injectInput(move(0.1, 0.1));  // dropped, without a trace
  injector_->injectInput(keyUp(kUsageA));
  injector_->injectInput(buttonUp(2));
  sweepEverything();
  injector_->releaseHeldInput("unspecified");  // nothing left: only the sweep
  flush();

  EXPECT_EQ(lines(), (std::vector<std::string>{kLinkWarning, kSweepAll}));
  const auto batches = input_->batches();
  ASSERT_EQ(batches.size(), 5u);
  EXPECT_EQ(batches[4].size(), 8u);
  EXPECT_THAT(input_->downKeys(), IsEmpty());
  EXPECT_EQ(input_->downButtons(), 0u);
}

TEST_F(InputInjectorTest, OnceOnlyWarnings_AreWrittenTheFirstTimeOnly) {
  input_->setMetric(kMetricMonitorCount, 2);
  startConnected();
  for (int i = 0; i < 2; ++i) {
    injector_->injectInput("{not json");
    injector_->injectInput(R"({"t":"zz"})");
    injector_->injectInput(keyUp(kUsageB));
    injector_->injectInput(keyDown(kUsageCapsLock));
  }
  injector_->injectInput(keyDown(kUsageA));
  flush();

  EXPECT_EQ(lines(), (std::vector<std::string>{
                         "input: undecodable frame (not a JSON object); further ones are silent",
                         "input: more than one monitor — pointer coordinates are mapped onto the "
                         "PRIMARY display, so clicks land on the wrong screen if the captured "
                         "screen is not the primary one (design section 8 item 1)",
                         "input: key-not-held", "input: caps-lock"}));
  EXPECT_THAT(input_->downKeys(), ElementsAre(kScanA));
}

TEST_F(InputInjectorTest, ShortSendInput_IsReportedOnceWithItsCounts) {
  startConnected();
  input_->pushSendCount(0);
  input_->pushSendCount(1);
  input_->setLastError(87);
  injector_->injectInput(buttonDown(0));
  injector_->injectInput(buttonDown(1));
  flush();

  EXPECT_EQ(lines(), std::vector<std::string>{
                         "input: SendInput took 0 of 2 event(s), GetLastError=87 — a malformed "
                         "call, NOT a UIPI block; further ones are silent"});
  EXPECT_EQ(input_->batches().size(), 2u);
}

TEST_F(InputInjectorTest, ModeSwitch_ReleasesOnlyFromControlToView) {
  startConnected();
  injector_->injectInput(keyDown(kUsageA));
  injector_->setInputMode(InputMode::Control);  // unchanged: nothing written, nothing released
  injector_->setInputMode(InputMode::View);
  injector_->setInputMode(InputMode::View);
  injector_->injectInput(keyDown(kUsageB));  // dropped in view
  injector_->setInputMode(InputMode::Control);
  flush();

  EXPECT_EQ(lines(), (std::vector<std::string>{kModeLine,
                                               "input: releasing held input (viewMode): 1 event(s)",
                                               "input: mode view -> control"}));
  EXPECT_THAT(input_->downKeys(), IsEmpty());
}

TEST_F(InputInjectorTest, Release_ButtonsThenKeysThenModifiersThenTheSweep) {
  startConnected();
  injector_->injectInput(keyDown(kUsageRightAlt));
  injector_->injectInput(keyDown(kUsageLeftCtrl));
  injector_->injectInput(keyDown(kUsageA));
  injector_->injectInput(buttonDown(0));
  injector_->injectInput(wheel(0, 30));  // leaves a remainder, which the release discards
  flush();
  const std::size_t before = input_->batches().size();
  input_->setKeyState(0xA0, 0);         // left Shift: unknown state, swept
  input_->setKeyState(0xA3, kKeyDown);  // right Ctrl: physically down, swept
  injector_->releaseHeldInput("unspecified");
  injector_->injectInput(wheel(0, 30));  // would complete a notch had the remainder survived
  flush();

  const auto batches = input_->batches();
  ASSERT_EQ(batches.size(), before + 2);
  EXPECT_THAT(describe(batches[before]),
              ElementsAre("mouse 0004", "key 1E up", "key 1D up", "key 38 extended up"));
  EXPECT_THAT(describe(batches[before + 1]), ElementsAre("key 2A up", "key 1D extended up"));
  EXPECT_EQ(lines(), (std::vector<std::string>{"input: releasing held input (unspecified): 4 "
                                               "event(s)",
                                               "input: modifier sweep releasing 2 key(s)"}));
}

TEST_F(InputInjectorTest, ReleaseAllAndWait_TimesOutOnABusyWorkerAndStillReleases) {
  startConnected();
  input_->pauseSends();
  injector_->injectInput(keyDown(kUsageA));
  ASSERT_TRUE(input_->waitPausedInSend(10s));

  EXPECT_FALSE(injector_->releaseAllAndWait("appTerminating", 250));
  EXPECT_EQ(lines(), std::vector<std::string>{
                         "input: release-all (appTerminating) did not finish within 250ms"});

  input_->resumeSends();
  flush();
  EXPECT_THAT(lines(), Contains("input: releasing held input (appTerminating): 1 event(s)"));
  EXPECT_THAT(input_->downKeys(), IsEmpty());
  EXPECT_TRUE(injector_->releaseAllAndWait("appTerminating", 250));
}

TEST_F(InputInjectorTest, Watchdog_PendingOnlyWhileSomethingIsHeld) {
  startConnected();
  injector_->injectInput(move(0.2, 0.2));
  EXPECT_FALSE(injector_->watchdogPendingForTesting(kFlushLimitMs));
  injector_->injectInput(keyDown(kUsageA));
  EXPECT_TRUE(injector_->watchdogPendingForTesting(kFlushLimitMs));
  injector_->injectInput(keyUp(kUsageA));  // the last key-up cancels the check
  EXPECT_FALSE(injector_->watchdogPendingForTesting(kFlushLimitMs));

  injector_->injectInput(buttonDown(1));
  injector_->injectInput(keyUp(kUsageB));  // refused, but still activity while held
  EXPECT_TRUE(injector_->watchdogPendingForTesting(kFlushLimitMs));
  injector_->setInputMode(InputMode::View);  // any release cancels it
  EXPECT_FALSE(injector_->watchdogPendingForTesting(kFlushLimitMs));
}

TEST_F(InputInjectorTest, Watchdog_SlidesWithFramesAndFiresAfterSilence) {
  startConnected(kShortWatchdogSeconds);
  injector_->injectInput(keyDown(kUsageA));
  // Frames every 50 ms for 1.5 s: several checks run, none finds a whole limit of silence.
  for (int i = 0; i < 30; ++i) {
    injector_->injectInput(move(0.01 * i, 0.5));
    std::this_thread::sleep_for(50ms);
  }
  flush();
  EXPECT_THAT(lines(), IsEmpty());
  EXPECT_THAT(input_->downKeys(), ElementsAre(kScanA));

  // Then silence: the next check fires and the key comes up.
  EXPECT_TRUE(input_->waitForBatches(input_->batches().size() + 1, 10s));
  EXPECT_EQ(lines(), (std::vector<std::string>{"input: nothing from the controller for 0.500000s "
                                               "with a button or key still held",
                                               "input: releasing held input (watchdog): 1 "
                                               "event(s)"}));
  EXPECT_THAT(input_->downKeys(), IsEmpty());
}

TEST_F(InputInjectorTest, Probe_ReportsChangesAndRearmsOnRelease) {
  input_->setCursorReadable(true);
  input_->setCursor({10, 10}, true);
  startConnected();
  injector_->injectInput(move(0.5, 0.5));
  injector_->injectInput(move(0.1, 0.1));  // concluded: not probed again
  flush();
  EXPECT_EQ(lines(), std::vector<std::string>{kProbeReachingLine});

  injector_->releaseHeldInput("unspecified");
  injector_->injectInput(move(0.7, 0.7));  // re-armed, same verdict: silent
  flush();
  EXPECT_EQ(lines().size(), 1u);

  input_->setCursor({10, 10}, false);  // from now on the cursor no longer moves
  injector_->releaseHeldInput("unspecified");
  injector_->injectInput(keyDown(kUsageA));  // a key batch is not probed
  injector_->injectInput(move(0.9, 0.9));
  flush();
  EXPECT_THAT(lines(), Contains(std::string(kProbeDiscardedLine)));
}

TEST_F(InputInjectorTest, Destruction_HandlesQueuedFramesThenReleases) {
  startConnected();
  input_->pauseSends();
  injector_->injectInput(keyDown(kUsageA));
  ASSERT_TRUE(input_->waitPausedInSend(10s));
  for (int i = 0; i < 50; ++i) {
    injector_->injectInput(move(0.3, 0.3));
  }
  injector_->injectInput(keyDown(kUsageB));
  std::thread resume([this] {
    std::this_thread::sleep_for(100ms);
    input_->resumeSends();
  });
  injector_.reset();
  resume.join();

  EXPECT_THAT(lines(), Contains("input: releasing held input (destructor): 2 event(s)"));
  EXPECT_THAT(input_->downKeys(), IsEmpty());
  EXPECT_TRUE(input_->waitSystemDestroyed(0ms));
}

TEST_F(InputInjectorTest, Destruction_GivesUpOnAStuckWorkerWithoutFreeingItsState) {
  startConnected();
  input_->pauseSends();
  injector_->injectInput(keyDown(kUsageA));
  ASSERT_TRUE(input_->waitPausedInSend(10s));
  injector_->injectInput(keyDown(kUsageB));  // discarded by the shutdown, never decoded

  const auto started = std::chrono::steady_clock::now();
  injector_.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - started, 10s);
  EXPECT_EQ(lines(),
            std::vector<std::string>{"input: the injection thread did not stop within 1000ms"});
  EXPECT_FALSE(input_->waitSystemDestroyed(0ms));

  // The stuck task finishes on the detached worker against state that is still alive.
  input_->resumeSends();
  EXPECT_TRUE(input_->waitSystemDestroyed(10s));
  EXPECT_THAT(input_->downKeys(), ElementsAre(kScanA));
}

}  // namespace
}  // namespace orvane::win
