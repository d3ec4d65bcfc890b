// The platform's normalized absolute coordinates (0..65535 across the primary display or the
// virtual desktop): the mapping of wire pointer fractions onto them, its inverse back to pixels,
// and the MulDiv arithmetic both rest on, in one place.
#ifndef ORVANE_WIN_POINTER_GEOMETRY_H_
#define ORVANE_WIN_POINTER_GEOMETRY_H_

#include <cstdint>
#include <optional>

namespace orvane::win {

// An absolute coordinate runs from 0 on the mapped area's first pixel to this on its last.
inline constexpr std::int32_t kAbsoluteRange = 65535;

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
  std::int32_t ax = 0;  // 0..kAbsoluteRange
  std::int32_t ay = 0;
  std::uint32_t flags = 0;  // move | absolute, plus virtual desk for the virtual-desktop mapping
  bool clamped = false;     // a position fell outside the virtual desktop and was clamped
};

// A pointer fraction made safe to map: clamped into 0..1 with negative zero made positive; +inf
// gives 1, -inf and NaN give 0.
double clampFraction(double value);

// Pure: no state, no system calls. Fractions go through clampFraction first.
PointerTarget mapPointer(const PointerGeometry& geometry, double x, double y);

// The area absolute coordinates span, in pixels: the primary display (origin 0, 0) or the
// virtual desktop.
struct AbsoluteArea {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

struct Pixel {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

// The inverse: the pixel the system puts an absolute coordinate on. Empty for an area narrower or
// lower than 2 pixels, or a pixel outside the 32-bit range.
std::optional<Pixel> absoluteToPixel(const AbsoluteArea& area, std::int32_t ax, std::int32_t ay);

// MulDiv's exact semantics on every platform: number * numerator in 64 bits, divided by
// denominator with halves rounded away from zero; -1 for a zero denominator or a result outside
// the 32-bit range.
std::int32_t mulDiv(std::int32_t number, std::int32_t numerator, std::int32_t denominator);

}  // namespace orvane::win

#endif  // ORVANE_WIN_POINTER_GEOMETRY_H_
