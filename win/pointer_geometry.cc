// Pointer fractions to normalized absolute coordinates and back to pixels.
#include "win/pointer_geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "win/inject_event.h"

namespace orvane::win {
namespace {

constexpr double kAbsoluteMax = kAbsoluteRange;
constexpr std::int32_t kMinScreenExtent = 2;

std::int32_t roundAbsolute(double value) {
  // Halves away from zero; value is within 0..65535, so the result fits.
  return static_cast<std::int32_t>(std::lround(value));
}

// First-to-last pixel span of a capture edge pair; 64-bit so extreme rectangles cannot overflow.
double pixelSpan(std::int32_t low, std::int32_t high) {
  const std::int64_t span = static_cast<std::int64_t>(high) - low - 1;
  return static_cast<double>(std::max<std::int64_t>(0, span));
}

bool fitsInt32(std::int64_t value) {
  return value >= std::numeric_limits<std::int32_t>::min() &&
         value <= std::numeric_limits<std::int32_t>::max();
}

}  // namespace

double clampFraction(double value) {
  if (std::isnan(value)) return 0.0;
  // Adding 0.0 turns a negative zero into a positive one.
  return std::clamp(value, 0.0, 1.0) + 0.0;
}

PointerGeometry captureGeometry(const CaptureRect& capture, std::int32_t screenLeft,
                                std::int32_t screenTop, std::int32_t screenWidth,
                                std::int32_t screenHeight) {
  PointerGeometry geometry;
  geometry.primary = false;
  geometry.captureLeft = capture.left;
  geometry.captureTop = capture.top;
  geometry.captureRight = capture.right;
  geometry.captureBottom = capture.bottom;
  geometry.screenLeft = screenLeft;
  geometry.screenTop = screenTop;
  geometry.screenWidth = screenWidth;
  geometry.screenHeight = screenHeight;
  return geometry;
}

PointerTarget mapPointer(const PointerGeometry& geometry, double x, double y) {
  x = clampFraction(x);
  y = clampFraction(y);
  PointerTarget target;
  if (geometry.primary) {
    target.ok = true;
    target.ax = roundAbsolute(x * kAbsoluteMax);
    target.ay = roundAbsolute(y * kAbsoluteMax);
    target.flags = kAbsoluteMove;
    return target;
  }
  if (geometry.screenWidth < kMinScreenExtent || geometry.screenHeight < kMinScreenExtent) {
    return target;
  }
  const double px =
      geometry.captureLeft + x * pixelSpan(geometry.captureLeft, geometry.captureRight);
  const double py =
      geometry.captureTop + y * pixelSpan(geometry.captureTop, geometry.captureBottom);
  // The system puts 0 on the desktop's first pixel and 65535 on its last, linearly between:
  // dividing by size - 1 is that map's exact inverse, so every pixel, the last column and row
  // included, is hit after rounding.
  const double nx = (px - geometry.screenLeft) * kAbsoluteMax / (geometry.screenWidth - 1.0);
  const double ny = (py - geometry.screenTop) * kAbsoluteMax / (geometry.screenHeight - 1.0);
  const double clampedX = std::clamp(nx, 0.0, kAbsoluteMax);
  const double clampedY = std::clamp(ny, 0.0, kAbsoluteMax);
  target.ok = true;
  target.clamped = clampedX != nx || clampedY != ny;
  target.ax = roundAbsolute(clampedX);
  target.ay = roundAbsolute(clampedY);
  target.flags = kAbsoluteMove | kMouseVirtualDesk;
  return target;
}

std::optional<Pixel> absoluteToPixel(const AbsoluteArea& area, std::int32_t ax, std::int32_t ay) {
  if (area.width < kMinScreenExtent || area.height < kMinScreenExtent) return std::nullopt;
  const std::int64_t x =
      static_cast<std::int64_t>(area.left) + mulDiv(ax, area.width - 1, kAbsoluteRange);
  const std::int64_t y =
      static_cast<std::int64_t>(area.top) + mulDiv(ay, area.height - 1, kAbsoluteRange);
  if (!fitsInt32(x) || !fitsInt32(y)) return std::nullopt;
  return Pixel{static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)};
}

std::int32_t mulDiv(std::int32_t number, std::int32_t numerator, std::int32_t denominator) {
  constexpr std::int32_t kFailure = -1;
  if (denominator == 0) {
    return kFailure;
  }
  // |INT32_MIN * INT32_MIN| is 2^62, so the product and the absolute values fit in 64 bits.
  const std::int64_t product = static_cast<std::int64_t>(number) * numerator;
  const bool negative = (product < 0) != (denominator < 0);
  const std::uint64_t magnitude = static_cast<std::uint64_t>(product < 0 ? -product : product);
  const std::uint64_t divisor = static_cast<std::uint64_t>(
      denominator < 0 ? -static_cast<std::int64_t>(denominator) : denominator);
  std::uint64_t quotient = magnitude / divisor;
  if ((magnitude % divisor) * 2 >= divisor) {
    ++quotient;
  }
  const std::uint64_t limit =
      negative ? std::uint64_t{1} << 31 : std::uint64_t{std::numeric_limits<std::int32_t>::max()};
  if (quotient > limit) {
    return kFailure;
  }
  return negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(quotient))
                  : static_cast<std::int32_t>(quotient);
}

}  // namespace orvane::win
