// The desktop facts in one read, and a portable MulDiv, so geometry arithmetic is the same in
// native tests and on Windows.
#include "win/input_system.h"

#include <limits>

namespace orvane::win {

DesktopFacts readDesktopFacts(InputSystem& system) {
  DesktopFacts facts;
  facts.monitorCount = system.getSystemMetrics(kMetricMonitorCount);
  facts.virtualLeft = system.getSystemMetrics(kMetricVirtualLeft);
  facts.virtualTop = system.getSystemMetrics(kMetricVirtualTop);
  facts.virtualWidth = system.getSystemMetrics(kMetricVirtualWidth);
  facts.virtualHeight = system.getSystemMetrics(kMetricVirtualHeight);
  return facts;
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
