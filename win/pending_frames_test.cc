// PendingFrames: the release test on bytes, the stamps, the discard rules and the bound.
#include "win/pending_frames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "win/testing/test_frames.h"

namespace orvane::win {
namespace {

using namespace test;

std::vector<std::string> popAll(PendingFrames& pending, std::uint64_t controlsRun) {
  std::vector<std::string> frames;
  std::string frame;
  while (pending.popReady(controlsRun, frame)) frames.push_back(frame);
  return frames;
}

TEST(PendingFramesTest, MayBeRelease_TrueForEverySpellingOfAReleaseType) {
  const struct {
    const char* frame;
    bool release;
  } cases[] = {
      {R"({"t":"ku","hid":458756})", true},
      {R"({"t":"mu","b":0,"x":0,"y":0})", true},
      {R"({"t":"ra"})", true},
      {R"({"t":"k\u0075","hid":458756})", true},
      {R"({"t":"\u0072a"})", true},
      {R"({"t":"mm","x":0.5,"y":0.5})", false},
      {R"({"t":"kd","hid":458756})", false},
      {R"({"t":"md","b":2,"x":0,"y":0})", false},
      {R"({"t":"wh","dx":0,"dy":-120})", false},
  };
  for (const auto& c : cases) EXPECT_EQ(mayBeRelease(c.frame), c.release) << c.frame;
}

TEST(PendingFramesTest, Stamps_FramesWaitForTheControlTasksPostedBeforeThem) {
  PendingFrames pending;
  EXPECT_TRUE(pending.push("a"));   // no drain task queued yet: post one
  EXPECT_FALSE(pending.push("b"));  // one is queued
  std::uint64_t ordinal = 0;
  EXPECT_EQ(pending.beginControl(Discard::None, ordinal), 0u);
  EXPECT_EQ(ordinal, 1u);
  pending.push("c");
  EXPECT_EQ(popAll(pending, 0), (std::vector<std::string>{"a", "b"}));
  pending.drainStarted();
  EXPECT_FALSE(pending.needsDrain(0));  // "c" waits for control task 1
  EXPECT_TRUE(pending.needsDrain(1));
  EXPECT_FALSE(pending.needsDrain(1));  // marked queued by the call before
  EXPECT_EQ(popAll(pending, 1), std::vector<std::string>{"c"});
}

TEST(PendingFramesTest, Discard_AllOrAllButTheReleasesInTheirOrder) {
  for (const Discard discard : {Discard::All, Discard::AllButReleases}) {
    PendingFrames pending;
    for (const std::string& frame :
         {keyDown(kUsageA), keyUp(kUsageA), move(0.5, 0.5), buttonUp(1), releaseAll()}) {
      pending.push(frame);
    }
    std::uint64_t ordinal = 0;
    const bool all = discard == Discard::All;
    EXPECT_EQ(pending.beginControl(discard, ordinal), all ? 5u : 2u);
    const std::vector<std::string> kept = {keyUp(kUsageA), buttonUp(1), releaseAll()};
    EXPECT_EQ(popAll(pending, 1), all ? std::vector<std::string>{} : kept);
  }
}

TEST(PendingFramesTest, Bound_DropsTheOldestNonReleasesAndNeverAFittingRelease) {
  PendingFrames pending;
  pending.push(keyUp(kUsageA));
  for (std::size_t i = 0; i < kMaxPendingFrames + 2; ++i) {
    pending.push(move(0.5, static_cast<double>(i) / 1e6));
  }
  EXPECT_EQ(pending.takeDropped(), 3u);
  EXPECT_EQ(pending.takeDropped(), 0u);
  auto frames = popAll(pending, 0);
  ASSERT_EQ(frames.size(), kMaxPendingFrames);
  EXPECT_EQ(frames[0], keyUp(kUsageA));
  EXPECT_EQ(frames[1], move(0.5, 3 / 1e6));

  // A frame that alone is over the byte limit goes at once; the others stay.
  pending.push(move(0.1, 0.1));
  pending.push(std::string(kMaxPendingBytes + 1, ' ') + move(0.2, 0.2));
  EXPECT_EQ(pending.takeDropped(), 1u);
  EXPECT_EQ(popAll(pending, 0), std::vector<std::string>{move(0.1, 0.1)});

  // Releases alone are kept up to twice the frame limit.
  for (std::size_t i = 0; i < 2 * kMaxPendingFrames + 1; ++i) pending.push(keyUp(kUsageA));
  EXPECT_EQ(pending.takeDropped(), 1u);
  EXPECT_EQ(popAll(pending, 0).size(), 2 * kMaxPendingFrames);
}

}  // namespace
}  // namespace orvane::win
