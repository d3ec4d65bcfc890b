// injectInput end to end: frames sent as method calls come out of the real SendInput and are seen
// by low-level hooks on the observer's own thread. Wine does not map injected scan codes to
// virtual keys, so scan codes, flags and the tag are what is checked.
#include <chrono>
#include <thread>
#include <vector>

#include "runner/input_observer.h"
#include "tests/plugin/plugin_fixture.h"
#include "win/testing/test_frames.h"

namespace orvane::plugin_test {
namespace {

using runner::ObservedEvent;
using runner::ObservedKind;
namespace frames = win::test;

constexpr std::uint32_t kScanA = 0x1E;
constexpr std::uint32_t kScanRightArrow = 0x4D;  // with the extended flag
constexpr std::uint32_t kUsageRightArrow = 0x4F;
constexpr std::uint32_t kScanB = 0x30;
constexpr std::initializer_list<std::uint32_t> kWatched = {kScanA, kScanB, kScanRightArrow};
constexpr std::int64_t kSettleMs = 300;

class PluginInjectionTest : public PluginTest {
 protected:
  void SetUp() override {
    StartHost();
    ASSERT_TRUE(observer_.Start());
    Connect();
  }

  // Waits until the plugin's injected events for A, B and the right arrow reach `count`, then
  // returns them.
  std::vector<ObservedEvent> WaitForKeys(std::size_t count) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kLogWaitMs);
    std::vector<ObservedEvent> keys;
    while ((keys = TaggedKeys(observer_.Snapshot(), kWatched)).size() < count &&
           std::chrono::steady_clock::now() < deadline) {
      observer_.WaitForCount(observer_.Snapshot().size() + 1, kSettleMs);
    }
    return keys;
  }

  runner::InputObserver observer_;
};

TEST_F(PluginInjectionTest, KeyFrames_ArriveWithScanCodesFlagsAndTag) {
  Inject(frames::keyDown(frames::kUsageA));
  Inject(frames::keyDown(kUsageRightArrow));
  Inject(frames::keyUp(kUsageRightArrow));
  Inject(frames::keyUp(frames::kUsageA));

  const std::vector<ObservedEvent> keys = WaitForKeys(4);
  ASSERT_EQ(keys.size(), 4u);
  const struct {
    std::uint32_t scanCode;
    bool extended;
    bool keyUp;
  } expected[] = {{kScanA, false, false},
                  {kScanRightArrow, true, false},
                  {kScanRightArrow, true, true},
                  {kScanA, false, true}};
  for (std::size_t i = 0; i < keys.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(keys[i].scanCode, expected[i].scanCode);
    EXPECT_EQ(keys[i].extended, expected[i].extended);
    EXPECT_EQ(keys[i].keyUp, expected[i].keyUp);
    EXPECT_TRUE(keys[i].injected);
  }
}

TEST_F(PluginInjectionTest, PointerMove_LandsOnThePrimaryDisplay) {
  Inject(frames::move(0.5, 0.5));
  ASSERT_TRUE(observer_.WaitForCount(1, kLogWaitMs));
  const int centerX = GetSystemMetrics(SM_CXSCREEN) / 2;
  const int centerY = GetSystemMetrics(SM_CYSCREEN) / 2;
  bool seen = false;
  for (const ObservedEvent& event : observer_.Snapshot()) {
    if (event.kind != ObservedKind::Move || event.extraInfo != kInjectedTag) continue;
    seen = true;
    EXPECT_NEAR(event.x, centerX, 1);
    EXPECT_NEAR(event.y, centerY, 1);
  }
  EXPECT_TRUE(seen);
}

TEST_F(PluginInjectionTest, ViewMode_ReleasesWhatIsHeldAndAdmitsNoPresses) {
  Inject(frames::keyDown(frames::kUsageA));
  ASSERT_EQ(Call("setInputMode", Arg("mode", EncodableValue("view"))).kind,
            MethodReply::Kind::Success);
  Inject(frames::keyDown(frames::kUsageB));

  EXPECT_TRUE(log_.WaitFor("input: releasing held input (viewMode): 1 event(s)", kLogWaitMs));
  const std::vector<ObservedEvent> keys = WaitForKeys(2);
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[1].scanCode, kScanA);
  EXPECT_TRUE(keys[1].keyUp);
  // B was dropped: nothing more arrives.
  std::this_thread::sleep_for(std::chrono::milliseconds(kSettleMs));
  EXPECT_EQ(TaggedKeys(observer_.Snapshot(), kWatched).size(), 2u);
}

// A release names its reason, or "unspecified" when the reason is not a string; a frame that does
// not decode is answered with success, only logged, and injection goes on.
TEST_F(PluginInjectionTest, ReleaseHeldInputAndUndecodableFrames) {
  Inject(frames::keyDown(frames::kUsageA));
  ASSERT_EQ(Call("releaseHeldInput", Arg("reason", EncodableValue("demo"))).kind,
            MethodReply::Kind::Success);
  Inject("this is not json");
  Inject(frames::keyDown(frames::kUsageA));
  ASSERT_EQ(Call("releaseHeldInput", Arg("reason", 3)).kind, MethodReply::Kind::Success);

  EXPECT_TRUE(log_.WaitFor("input: releasing held input (demo): 1 event(s)", kLogWaitMs));
  EXPECT_TRUE(log_.WaitFor("input: undecodable frame (", kLogWaitMs));
  EXPECT_TRUE(log_.WaitFor("input: releasing held input (unspecified): 1 event(s)", kLogWaitMs));
  EXPECT_EQ(WaitForKeys(4).size(), 4u);
}

}  // namespace
}  // namespace orvane::plugin_test
