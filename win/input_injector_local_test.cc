// Local input priority through the injector: the monitor, the takeover and the quiet time.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win/input_injector.h"
#include "win/testing/injector_testing.h"

namespace orvane::win {
namespace {

using ::testing::ElementsAre;
using namespace test;
using Lines = std::vector<std::string>;

const char* const kTakeoverLine =
    "input: local input at the host; the controller is held off until it has been quiet for "
    "2000ms";

class LocalInputTest : public InjectorTest {
 protected:
  void enable(bool enabled, std::int32_t quietMs = kLocalInputDefaultQuietMs) {
    std::uint32_t error = 0;
    ASSERT_TRUE(injector_->setLocalInputPriority(enabled, quietMs, error));
  }
  // The host's user touches the mouse at `at`; the note is handled before this returns.
  void localAt(double at) {
    setNow(at);
    ASSERT_TRUE(local_->note());
    flush();
  }
  bool active() {
    bool active = false;
    run([&active](InjectorCore& core) { active = core.localInputActive(); });
    return active;
  }
};

TEST_F(LocalInputTest, Takeover_ReleasesAtOnceAndAdmitsOnlyReleasesUntilQuiet) {
  enable(true);
  for (const std::string& frame : {keyDown(kUsageLeftCtrl), keyDown(kUsageA), buttonDown(0)}) {
    injector_->injectInput(frame);
  }
  flush();
  const std::size_t pressed = input_->batches().size();
  input_->setKeyState(0xA0, 0);  // left Shift reads as unknown: the sweep lifts it
  localAt(1.0);
  EXPECT_EQ(lines(), (Lines{kTakeoverLine, "input: releasing held input (localInput): 3 event(s)",
                            "input: modifier sweep releasing 1 key(s)"}));
  EXPECT_EQ(input_->events(), (Lines{"local on", "released localInput 2 1 1"}));
  auto batches = input_->batches();
  ASSERT_EQ(batches.size(), pressed + 2);
  EXPECT_THAT(describe(batches[pressed]),
              ElementsAre("mouse 0004", "key 1E up", "vk E8 down", "vk E8 up", "key 1D up"));
  EXPECT_THAT(describe(batches[pressed + 1]), ElementsAre("vk E8 down", "vk E8 up", "key 2A up"));

  // Presses are dropped; a release passes as in view, an "ra" without line or sweep.
  for (const std::string& frame :
       {keyDown(kUsageB), buttonDown(1), move(0.1, 0.1), wheel(0, 120), releaseAll()}) {
    injector_->injectInput(frame);
  }
  injector_->injectInput(keyUp(kUsageB));
  localAt(2.5);  // extends the period to 4.5
  advanceTo(4.4);
  EXPECT_TRUE(active());
  EXPECT_EQ(input_->batches().size(), pressed + 2);
  EXPECT_EQ(lines().back(), "input: key-not-held");
  advanceTo(4.5);
  EXPECT_FALSE(active());
  injector_->injectInput(keyDown(kUsageB));
  flush();
  EXPECT_THAT(describe(input_->batches().back()), ElementsAre("key 30 down"));
  EXPECT_EQ(input_->events(), (Lines{"local on", "released localInput 2 1 1",
                                     "refused key-not-held 0 0 0", "local off"}));
  EXPECT_EQ(lines().size(), 4u) << "one line per period start, none at its end";
}

// Only input while the controller could act starts a period; the setting drives the monitor.
TEST_F(LocalInputTest, Setting_StartsOnlyWhenTheControllerCouldActAndDrivesTheMonitor) {
  EXPECT_FALSE(local_->note()) << "off by default: no monitor running";
  enable(true);
  EXPECT_TRUE(local_->running());
  injector_->setInputMode(InputMode::View);
  localAt(1.0);
  injector_->setInputMode(InputMode::Control);
  injector_->setPeerConnected(false);
  localAt(2.0);
  EXPECT_FALSE(active());
  injector_->setPeerConnected(true);
  localAt(3.0);
  EXPECT_TRUE(active());
  setNow(3.5);
  enable(true, 100);  // a shorter quiet time applies to the running period at once
  EXPECT_FALSE(active());
  localAt(4.0);
  enable(false);  // ends the running period, then stops the monitor
  EXPECT_FALSE(local_->running());
  EXPECT_FALSE(active());
  EXPECT_EQ(input_->events(), (Lines{"local on", "local off", "local on", "local off"}));

  local_->failStarts(1428);
  std::uint32_t error = 0;
  EXPECT_FALSE(injector_->setLocalInputPriority(true, 2000, error));
  EXPECT_EQ(error, 1428u);
  local_->failStarts(0);
  enable(true);
  EXPECT_EQ(local_->starts(), 2);
  injector_.reset();
  EXPECT_FALSE(local_->running()) << "gone after teardown";
}

}  // namespace
}  // namespace orvane::win
