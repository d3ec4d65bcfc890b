// A drag's moves queued far behind the input worker, then a disconnect and a release: the release
// comes after at most the batch in progress, and nothing stale reaches the desktop after it.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "tests/plugin/plugin_fixture.h"

namespace orvane::plugin_test {
namespace {

using runner::ObservedEvent;
using runner::ObservedKind;
using PluginStaleInputTest = PluginTest;

constexpr std::int64_t kSettleMs = 10000;
constexpr std::int64_t kQuietMs = 300;
// One SendInput call of a drag (256 moves) and the hooks' own lag behind it.
constexpr std::ptrdiff_t kMovesInFlight = 2 * 256;

bool IsKeyUpOfA(const ObservedEvent& e) {
  return e.kind == ObservedKind::Key && e.scanCode == 0x1E && e.keyUp;
}

TEST_F(PluginStaleInputTest, DisconnectAndRelease_BehindQueuedMoves_ReleaseNextNothingStaleAfter) {
  for (const std::size_t queued : {5000u, 20000u}) {
    SCOPED_TRACE(queued);
    StartHost();
    HoldKeyA();
    InjectAndWait(win::test::buttonDown(0),
                  [](const ObservedEvent& e) { return e.kind == ObservedKind::LeftDown; });
    runner::InputObserver observer;
    ASSERT_TRUE(observer.Start());
    for (std::size_t i = 0; i < queued; ++i) {
      const std::string frame = win::test::move(i % 2 == 0 ? 0.25 : 0.75, 0.5);
      ASSERT_EQ(Call("injectInput", Arg("json", EncodableValue(frame))).kind, Kind::Success);
    }
    const std::size_t beforeCall = observer.Snapshot().size();
    ASSERT_EQ(Call("setPeerConnected", Arg("connected", false)).kind, Kind::Success);
    ASSERT_EQ(Call("releaseHeldInput", Arg("reason", EncodableValue("peerDisconnected"))).kind,
              Kind::Success);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kSettleMs);
    std::vector<ObservedEvent> seen = observer.Snapshot();
    while (std::none_of(seen.begin(), seen.end(), IsKeyUpOfA) &&
           std::chrono::steady_clock::now() < deadline) {
      observer.WaitForCount(seen.size() + 1, kQuietMs);
      seen = observer.Snapshot();
    }
    // Then until nothing more comes for a while: a stale move would be among it.
    while (observer.WaitForCount(seen.size() + 1, kQuietMs)) seen = observer.Snapshot();
    const auto keyUp = std::find_if(seen.begin(), seen.end(), IsKeyUpOfA);
    ASSERT_NE(keyUp, seen.end()) << "A never came up";
    for (auto after = keyUp; after != seen.end(); ++after) {
      EXPECT_NE(after->kind, ObservedKind::Move) << "a move after the release";
    }
    // What was on its way at the call: the moves of the SendInput call in progress.
    const auto movesAfterCall =
        std::count_if(seen.begin() + static_cast<std::ptrdiff_t>(beforeCall), seen.end(),
                      [](const ObservedEvent& e) { return e.kind == ObservedKind::Move; });
    EXPECT_LE(movesAfterCall, kMovesInFlight);
    host_.reset();
  }
}

}  // namespace
}  // namespace orvane::plugin_test
