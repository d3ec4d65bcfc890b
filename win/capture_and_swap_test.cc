// Where pointer input lands with a capture rectangle on a virtual desktop of several monitors. A
// degenerate desktop is refused by the geometry and translator tables; swapped buttons are flipped
// under the injector model.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "win/input_injector.h"
#include "win/testing/injector_testing.h"
#include "win/testing/test_frames.h"

namespace orvane::win {
namespace {

using ::testing::ElementsAre;
using namespace test;
using CaptureAndSwapTest = InjectorTest;

constexpr std::uint32_t kVirtualMove = kMouseMove | kMouseVirtualDesk | kMouseAbsolute;
const char* const kMonitorsWarning =
    "input: more than one monitor — pointer coordinates are mapped onto the PRIMARY display, so "
    "clicks land on the wrong screen if the captured screen is not the primary one (design "
    "section 8 item 1)";

// A 1920x1080 primary at the origin, a 1280x1024 monitor to its left and a 1024x768 one above it:
// the virtual desktop spans x -1280..1919 and y -768..1079.
constexpr CaptureRect kPrimary{0, 0, 1920, 1080};
constexpr CaptureRect kLeft{-1280, 0, 0, 1024};
constexpr CaptureRect kAbove{0, -768, 1024, 0};

void setVirtualDesktop(FakeInput& input, CaptureRect bounds) {
  input.setMetric(kMetricVirtualLeft, bounds.left);
  input.setMetric(kMetricVirtualTop, bounds.top);
  input.setMetric(kMetricVirtualWidth, bounds.right - bounds.left);
  input.setMetric(kMetricVirtualHeight, bounds.bottom - bounds.top);
}

TEST_F(CaptureAndSwapTest, CaptureRect_CornersOfEachMonitorLandOnTheirPixels) {
  setVirtualDesktop(*input_, {-1280, -768, 1920, 1080});
  input_->setCursor({}, true, true);
  for (const CaptureRect& screen : {kPrimary, kLeft, kAbove}) {
    injector_->setCaptureRect(screen);
    const struct {
      double x, y;
      CursorPoint pixel;
    } points[] = {
        {0.0, 0.0, {screen.left, screen.top}},
        {1.0, 0.0, {screen.right - 1, screen.top}},
        {0.0, 1.0, {screen.left, screen.bottom - 1}},
        {1.0, 1.0, {screen.right - 1, screen.bottom - 1}},
        // The second pixel of each axis: the neighbours of an edge are told apart.
        {1.0 / (screen.right - screen.left - 1),
         1.0 / (screen.bottom - screen.top - 1),
         {screen.left + 1, screen.top + 1}},
    };
    for (const auto& p : points) {
      SCOPED_TRACE(std::to_string(screen.left) + "," + std::to_string(screen.top) + " at " +
                   std::to_string(p.x) + "," + std::to_string(p.y));
      injector_->injectInput(move(p.x, p.y));
      flush();
      EXPECT_EQ(input_->batches().back().front().flags, kVirtualMove);
      // Where the fake system, mapping as Windows does, put the cursor.
      const CursorPoint at = input_->cursor();
      EXPECT_EQ(at.x, p.pixel.x);
      EXPECT_EQ(at.y, p.pixel.y);
    }
  }
  EXPECT_THAT(lines(), ElementsAre("input: injection is reaching the desktop"));
}

TEST_F(CaptureAndSwapTest, CaptureRect_FollowsADisplayChangeAndReturnsToThePrimaryMapping) {
  input_->setMetric(kMetricMonitorCount, 2);
  setVirtualDesktop(*input_, {-1280, -768, 1920, 1080});
  injector_->setCaptureRect(kPrimary);
  injector_->injectInput(move(1.0, 1.0));
  flush();
  // The other monitors are unplugged: the same rectangle now spans the whole virtual desktop.
  setVirtualDesktop(*input_, kPrimary);
  injector_->injectInput(buttonDown(0, 0.0, 0.0));
  injector_->injectInput(buttonUp(0, 1.0, 1.0));
  flush();
  const auto batches = input_->batches();
  for (std::size_t i = 0; i < 3; ++i) {
    const std::int32_t expected = i == 1 ? 0 : 65535;
    EXPECT_EQ(std::make_pair(batches[i][0].dx, batches[i][0].dy),
              std::make_pair(expected, expected));
    EXPECT_EQ(batches[i][0].flags, kVirtualMove) << "presses and releases use the capture too";
  }
  EXPECT_TRUE(lines().empty()) << "the monitors warning belongs to the primary mapping only";

  injector_->setCaptureRect(std::nullopt);
  injector_->injectInput(move(0.5, 0.5));
  flush();
  EXPECT_EQ(input_->batches().back().front().flags, kMouseMove | kMouseAbsolute);
  EXPECT_THAT(lines(), ElementsAre(kMonitorsWarning));
}

}  // namespace
}  // namespace orvane::win
