#include "win/pointer_geometry.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <vector>

namespace orvane::win {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

// A desktop at (left, top) of width x height with a 1920 x 1080 capture at (cl, ct).
PointerGeometry desk(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height,
                     std::int32_t cl = 0, std::int32_t ct = 0) {
  return {false, cl, ct, cl + 1920, ct + 1080, left, top, width, height};
}

TEST(MapPointer, BothMappingsRoundHalvesAwayFromZeroAndClamp) {
  struct Case {
    PointerGeometry geometry;
    double x, y;
    std::int32_t ax, ay;
    bool clamped;
    bool ok = true;
  };
  const PointerGeometry primary;
  const std::vector<Case> cases = {
      {primary, 0.5, 0.25, 32768, 16384, false},  // 32767.5 and 16383.75
      {primary, 0.0, 1.0, 0, 65535, false},
      {primary, -0.0, 7.0, 0, 65535, false},
      {primary, -3.0, kInf, 0, 65535, false},
      {primary, kNaN, -kInf, 0, 0, false},
      {desk(0, 0, 1920, 1080), 1.0, 1.0, 65535, 65535, false},
      {desk(0, 0, 1920, 1080), kNaN, kInf, 0, 65535, false},
      {desk(-1920, 0, 3840, 1080), 0.0, 0.0, 32776, 0, false},
      {desk(0, 0, 1920, 1080, -1920), 0.5, 0.5, 0, 32768, true},    // left of the desktop
      {desk(0, 0, 1920, 1080, 0, 1080), 0.0, 0.5, 0, 65535, true},  // below it
      // A second monitor above the primary one: the desktop's top is -1080.
      {desk(0, -1080, 1920, 2160), 0.0, 0.0, 0, 32783, false},                // 1080 x 65535 / 2159
      {desk(0, -1080, 1920, 2160, 0, -1080), 0.5, 1.0, 32768, 32752, false},  // pixel -1
      // Inverted (every x on the left edge, pixel 500) and extreme capture rectangles.
      {{false, 500, 0, 100, 1080, 0, 0, 1920, 1080}, 0.7, 0.0, 17075, 0, false},
      {{false, kMin, 0, kMax, 1080, 0, 0, 1920, 1080}, 1.0, 0.0, 65535, 0, true},
      // A virtual desktop smaller than two pixels either way fails: all zeros.
      {desk(0, 0, 1, 1080), 0.5, 0.5, 0, 0, false, false},
      {desk(0, 0, -5, 1080), 0.5, 0.5, 0, 0, false, false},
      {desk(0, 0, 1920, 1), 0.5, 0.5, 0, 0, false, false},
      {desk(0, 0, 1920, 0), 0.5, 0.5, 0, 0, false, false},
  };
  for (const Case& c : cases) {
    const PointerTarget target = mapPointer(c.geometry, c.x, c.y);
    EXPECT_EQ(target.ok, c.ok) << c.x;
    EXPECT_EQ(target.ax, c.ax) << c.x;
    EXPECT_EQ(target.ay, c.ay) << c.y;
    EXPECT_EQ(target.clamped, c.clamped) << c.x;
    EXPECT_EQ(target.flags, !c.ok ? 0U : c.geometry.primary ? 0x8001U : 0xC001U);
  }
}

// The inverse lands every first, middle and last pixel of a capture back where the mapping aimed.
TEST(AbsoluteToPixel, InvertsTheMappingOnEveryEdge) {
  const AbsoluteArea desktop{-1280, -768, 3200, 1848};
  const CaptureRect capture{-1280, 0, 0, 1024};
  const PointerGeometry geometry =
      captureGeometry(capture, desktop.left, desktop.top, desktop.width, desktop.height);
  for (const auto& [x, y] : {Pixel{0, 1023}, Pixel{640, 300}, Pixel{1279, 0}}) {
    const PointerTarget target = mapPointer(geometry, x / 1279.0, y / 1023.0);
    const std::optional<Pixel> pixel = absoluteToPixel(desktop, target.ax, target.ay);
    ASSERT_TRUE(pixel.has_value()) << x;
    EXPECT_EQ(pixel->x, capture.left + x);
    EXPECT_EQ(pixel->y, capture.top + y);
  }
  EXPECT_FALSE(absoluteToPixel({0, 0, 1, 1080}, 0, 0));
  EXPECT_FALSE(absoluteToPixel({0, 0, 1920, 1}, 0, 0));
  EXPECT_FALSE(absoluteToPixel({kMax - 10, 0, 1920, 1080}, 65535, 0));  // beyond 32 bits
  EXPECT_FALSE(absoluteToPixel({0, kMax - 10, 1920, 1080}, 0, 65535));
  EXPECT_TRUE(absoluteToPixel({kMax - 1919, kMax - 1079, 1920, 1080}, 65535, 65535));
}

TEST(MulDiv, MatchesWin32Semantics) {
  const std::int32_t cases[][4] = {
      {32768, 1919, 65535, 960},  // 959.5146 rounds up
      {1, 1, 2, 1},               // halves round away from zero
      {2, 1, 5, 0},               // and less than a half rounds toward it
      {-1, 1, 2, -1},
      {1, -3, 2, -2},
      {3, 1, -2, -2},
      {-3, -1, -2, -2},
      {5, 7, 0, -1},
      {kMax, kMax, 1, -1},       // zero divisor, overflow
      {kMax, kMax, kMax, kMax},  // the 64-bit product carries it
      {kMin, 1, 1, kMin},
      {kMin, 3, 2, -1},  // below INT32_MIN
      {0, 5, -3, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(mulDiv(c[0], c[1], c[2]), c[3]) << c[0] << " * " << c[1] << " / " << c[2];
  }
}

}  // namespace
}  // namespace orvane::win
