// Both pointer mappings, with their rounding, clamping and non-finite guards.
#include "win/pointer_geometry.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace orvane::win {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(MapPointer, PrimaryDisplayRoundsHalvesAwayFromZero) {
  struct Case {
    double fraction;
    std::int32_t expected;
  };
  const std::vector<Case> cases = {{0.0, 0},      {1.0, 65535}, {0.5, 32768}, {0.25, 16384},
                                   {-0.0, 0},     {-3.0, 0},    {7.0, 65535}, {kNaN, 0},
                                   {kInf, 65535}, {-kInf, 0}};
  for (const Case& c : cases) {
    const PointerTarget target = mapPointer(PointerGeometry{}, c.fraction, 1.0 - 0.25);
    EXPECT_TRUE(target.ok);
    EXPECT_EQ(target.ax, c.expected) << c.fraction;
    EXPECT_EQ(target.ay, 49151) << c.fraction;
    EXPECT_EQ(target.flags, 0x8001U);
    EXPECT_FALSE(target.clamped);
  }
}

PointerGeometry virtualDesktop(std::int32_t screenLeft, std::int32_t screenWidth) {
  PointerGeometry geometry;
  geometry.primary = false;
  geometry.captureRight = 1920;
  geometry.captureBottom = 1080;
  geometry.screenLeft = screenLeft;
  geometry.screenWidth = screenWidth;
  geometry.screenHeight = 1080;
  return geometry;
}

TEST(MapPointer, VirtualDesktopMapsTheCaptureRectangle) {
  struct Case {
    PointerGeometry geometry;
    double x;
    double y;
    std::int32_t ax;
    std::int32_t ay;
    bool clamped;
  };
  PointerGeometry leftOfOrigin = virtualDesktop(0, 1920);
  leftOfOrigin.captureLeft = -1920;
  leftOfOrigin.captureRight = 0;
  PointerGeometry fullSize = virtualDesktop(0, 1920);
  fullSize.divideByFullSize = 1;
  PointerGeometry inverted = virtualDesktop(0, 1920);
  inverted.captureLeft = 500;
  inverted.captureRight = 100;
  PointerGeometry extreme = virtualDesktop(0, 1920);
  extreme.captureLeft = std::numeric_limits<std::int32_t>::min();
  extreme.captureRight = std::numeric_limits<std::int32_t>::max();
  const std::vector<Case> cases = {
      {virtualDesktop(0, 1920), 1.0, 1.0, 65535, 65535, false},
      {virtualDesktop(0, 1920), 0.0, 0.0, 0, 0, false},
      {virtualDesktop(-1920, 3840), 0.0, 0.0, 32776, 0, false},
      {virtualDesktop(-1920, 3840), 1.0, 1.0, 65535, 65535, false},
      {leftOfOrigin, 0.5, 0.5, 0, 32768, true},
      {fullSize, 1.0, 1.0, 65501, 65474, false},
      {inverted, 0.7, 0.0, 17075, 0, false},  // every x lands on the left edge, pixel 500
      {extreme, 1.0, 0.0, 65535, 0, true},
      {virtualDesktop(0, 1920), kNaN, kInf, 0, 65535, false},
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
    PointerGeometry narrow = virtualDesktop(0, extent);
    PointerGeometry low = virtualDesktop(0, 1920);
    low.screenHeight = extent;
    for (const PointerGeometry& geometry : {narrow, low}) {
      const PointerTarget target = mapPointer(geometry, 0.5, 0.5);
      EXPECT_FALSE(target.ok);
      EXPECT_EQ(target.ax, 0);
      EXPECT_EQ(target.flags, 0U);
    }
  }
}

}  // namespace
}  // namespace orvane::win
