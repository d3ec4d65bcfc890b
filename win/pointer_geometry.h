// Mapping of wire pointer fractions onto the platform's normalized absolute coordinates, either
// across the primary display or through a capture rectangle onto the virtual desktop.
#ifndef ORVANE_WIN_POINTER_GEOMETRY_H_
#define ORVANE_WIN_POINTER_GEOMETRY_H_

#include <cstdint>

namespace orvane::win {

// The default maps onto the primary display.
struct PointerGeometry {
  bool primary = true;
  // Captured screen in virtual-desktop pixels; right and bottom are exclusive.
  std::int32_t captureLeft = 0;
  std::int32_t captureTop = 0;
  std::int32_t captureRight = 0;
  std::int32_t captureBottom = 0;
  // The virtual desktop's origin and size in pixels.
  std::int32_t screenLeft = 0;
  std::int32_t screenTop = 0;
  std::int32_t screenWidth = 0;
  std::int32_t screenHeight = 0;
  // Non-zero: divide by width and height; zero: by width - 1 and height - 1.
  std::int32_t divideByFullSize = 0;
};

// A captured screen in virtual-desktop pixels; right and bottom are exclusive.
struct CaptureRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
};

// The virtual-desktop mapping of `capture` on a virtual desktop with this origin and size.
PointerGeometry captureGeometry(const CaptureRect& capture, std::int32_t screenLeft,
                                std::int32_t screenTop, std::int32_t screenWidth,
                                std::int32_t screenHeight);

struct PointerTarget {
  bool ok = false;      // false only for a virtual desktop narrower or lower than 2 pixels
  std::int32_t ax = 0;  // 0..65535
  std::int32_t ay = 0;
  std::uint32_t flags = 0;  // move | absolute, plus virtual desk for the virtual-desktop mapping
  bool clamped = false;     // a position fell outside the virtual desktop and was clamped
};

// Pure: no state, no system calls. Non-finite or out-of-range fractions are normalized first
// (NaN and -inf to 0, +inf to 1).
PointerTarget mapPointer(const PointerGeometry& geometry, double x, double y);

}  // namespace orvane::win

#endif  // ORVANE_WIN_POINTER_GEOMETRY_H_
