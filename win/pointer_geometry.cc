// Pointer fractions to normalized absolute coordinates.
#include "win/pointer_geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "win/inject_event.h"

namespace orvane::win {
namespace {

// Absolute coordinates run from 0 to 65535 across the mapped area.
constexpr double kAbsoluteMax = 65535.0;
constexpr std::int32_t kMinScreenExtent = 2;

double normalizeFraction(double value) {
  if (std::isnan(value)) return 0.0;
  if (value == std::numeric_limits<double>::infinity()) return 1.0;
  // Adding 0.0 turns a negative zero into a positive one.
  return std::clamp(value, 0.0, 1.0) + 0.0;
}

std::int32_t roundAbsolute(double value) {
  // Halves away from zero; value is within 0..65535, so the result fits.
  return static_cast<std::int32_t>(std::lround(value));
}

// First-to-last pixel span of a capture edge pair; 64-bit so extreme rectangles cannot overflow.
double pixelSpan(std::int32_t low, std::int32_t high) {
  const std::int64_t span = static_cast<std::int64_t>(high) - low - 1;
  return static_cast<double>(std::max<std::int64_t>(0, span));
}

}  // namespace

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
  // Windows puts 0 on the desktop's first pixel and 65535 on its last, and maps the span between
  // linearly: pixel = n * (size - 1) / 65535. Dividing by size - 1 is that map's exact inverse, so
  // every pixel, the last column and row included, is hit after rounding. Dividing by the full
  // size would land up to one pixel short near the far edges.
  geometry.divideByFullSize = 0;
  return geometry;
}

PointerTarget mapPointer(const PointerGeometry& geometry, double x, double y) {
  x = normalizeFraction(x);
  y = normalizeFraction(y);
  PointerTarget target;
  if (geometry.primary) {
    target.ok = true;
    target.ax = roundAbsolute(x * kAbsoluteMax);
    target.ay = roundAbsolute(y * kAbsoluteMax);
    target.flags = kMouseMove | kMouseAbsolute;
    return target;
  }
  if (geometry.screenWidth < kMinScreenExtent || geometry.screenHeight < kMinScreenExtent) {
    return target;
  }
  const double px =
      geometry.captureLeft + x * pixelSpan(geometry.captureLeft, geometry.captureRight);
  const double py =
      geometry.captureTop + y * pixelSpan(geometry.captureTop, geometry.captureBottom);
  // Dividing by width - 1 puts the desktop's last pixel exactly on 65535.
  const double divisorX =
      geometry.divideByFullSize != 0 ? geometry.screenWidth : geometry.screenWidth - 1.0;
  const double divisorY =
      geometry.divideByFullSize != 0 ? geometry.screenHeight : geometry.screenHeight - 1.0;
  const double nx = (px - geometry.screenLeft) * kAbsoluteMax / divisorX;
  const double ny = (py - geometry.screenTop) * kAbsoluteMax / divisorY;
  const double clampedX = std::clamp(nx, 0.0, kAbsoluteMax);
  const double clampedY = std::clamp(ny, 0.0, kAbsoluteMax);
  target.ok = true;
  target.clamped = clampedX != nx || clampedY != ny;
  target.ax = roundAbsolute(clampedX);
  target.ay = roundAbsolute(clampedY);
  target.flags = kMouseMove | kMouseVirtualDesk | kMouseAbsolute;
  return target;
}

}  // namespace orvane::win
