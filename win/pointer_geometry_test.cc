// Both pointer mappings, with their rounding, clamping and non-finite guards.
#include "win/pointer_geometry.h"

#include <gtest/gtest.h>

#include <limits>
#include <utility>
#include <vector>

namespace orvane::win {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(MapPointer, PrimaryDisplayRoundsHalvesAwayFromZero) {
  const std::vector<std::pair<double, std::int32_t>> cases = {
      {0.0, 0},  {1.0, 65535}, {0.5, 32768}, {0.25, 16384}, {-0.0, 0},
      {-3.0, 0}, {7.0, 65535}, {kNaN, 0},    {kInf, 65535}, {-kInf, 0}};
  for (const auto& [fraction, expected] : cases) {
    const PointerTarget target = mapPointer(PointerGeometry{}, fraction, 0.75);
    EXPECT_TRUE(target.ok);
    EXPECT_EQ(target.ax, expected) << fraction;
    EXPECT_EQ(target.ay, 49151) << fraction;
    EXPECT_EQ(target.flags, 0x8001U);
    EXPECT_FALSE(target.clamped);
  }
}

// A 1920 x 1080 capture at (captureLeft, captureTop) on a desktop at (left, top) of width x height.
PointerGeometry virtualDesktop(std::int32_t left, std::int32_t top, std::int32_t width,
                               std::int32_t height, std::int32_t captureLeft = 0,
                               std::int32_t captureTop = 0) {
  PointerGeometry geometry;
  geometry.primary = false;
  geometry.captureLeft = captureLeft;
  geometry.captureTop = captureTop;
  geometry.captureRight = captureLeft + 1920;
  geometry.captureBottom = captureTop + 1080;
  geometry.screenLeft = left;
  geometry.screenTop = top;
  geometry.screenWidth = width;
  geometry.screenHeight = height;
  return geometry;
}

TEST(MapPointer, VirtualDesktopMapsTheCaptureRectangle) {
  struct Case {
    PointerGeometry geometry;
    double x, y;
    std::int32_t ax, ay;
    bool clamped;
  };
  const PointerGeometry single = virtualDesktop(0, 0, 1920, 1080);
  PointerGeometry fullSize = single;
  fullSize.divideByFullSize = 1;
  PointerGeometry inverted = single;
  inverted.captureLeft = 500;
  inverted.captureRight = 100;
  PointerGeometry extreme = single;
  extreme.captureLeft = std::numeric_limits<std::int32_t>::min();
  extreme.captureRight = std::numeric_limits<std::int32_t>::max();
  // A second monitor above the primary one: the desktop starts at y -1080.
  const PointerGeometry lowerOfTwo = virtualDesktop(0, -1080, 1920, 2160);
  const PointerGeometry upperOfTwo = virtualDesktop(0, -1080, 1920, 2160, 0, -1080);
  PointerGeometry upperFullSize = upperOfTwo;
  upperFullSize.divideByFullSize = 1;
  const std::vector<Case> cases = {
      {single, 1.0, 1.0, 65535, 65535, false},
      {virtualDesktop(-1920, 0, 3840, 1080), 0.0, 0.0, 32776, 0, false},
      {virtualDesktop(0, 0, 1920, 1080, -1920), 0.5, 0.5, 0, 32768, true},
      {fullSize, 1.0, 1.0, 65501, 65474, false},
      {inverted, 0.7, 0.0, 17075, 0, false},  // every x lands on the left edge, pixel 500
      {extreme, 1.0, 0.0, 65535, 0, true},
      {single, kNaN, kInf, 0, 65535, false},
      {lowerOfTwo, 0.0, 0.0, 0, 32783, false},         // 1080 x 65535 / 2159 = 32782.68
      {upperOfTwo, 0.5, 1.0, 32768, 32752, false},     // pixel -1, 1079 x 65535 / 2159
      {upperFullSize, 0.5, 1.0, 32750, 32737, false},  // 1079 x 65535 / 2160
      {virtualDesktop(0, 0, 1920, 1080, 0, 1080), 0.0, 0.5, 0, 65535, true},  // below the desktop
  };
  for (const Case& c : cases) {
    const PointerTarget target = mapPointer(c.geometry, c.x, c.y);
    EXPECT_TRUE(target.ok);
    EXPECT_EQ(target.ax, c.ax) << c.x;
    EXPECT_EQ(target.ay, c.ay) << c.y;
    EXPECT_EQ(target.clamped, c.clamped) << c.x;
    EXPECT_EQ(target.flags, 0xC001U);
  }
}

TEST(MapPointer, VirtualDesktopSmallerThanTwoPixelsFails) {
  for (const std::int32_t extent : {1, 0, -5}) {
    for (const PointerGeometry& geometry :
         {virtualDesktop(0, 0, extent, 1080), virtualDesktop(0, 0, 1920, extent)}) {
      const PointerTarget target = mapPointer(geometry, 0.5, 0.5);
      EXPECT_FALSE(target.ok);
      EXPECT_EQ(target.ax, 0);
      EXPECT_EQ(target.flags, 0U);
    }
  }
}

}  // namespace
}  // namespace orvane::win
