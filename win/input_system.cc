// The desktop facts in one read.
#include "win/input_system.h"

namespace orvane::win {

DesktopFacts readDesktopFacts(InputSystem& system) {
  DesktopFacts facts;
  facts.monitorCount = system.getSystemMetrics(kMetricMonitorCount);
  facts.primaryWidth = system.getSystemMetrics(kMetricPrimaryWidth);
  facts.primaryHeight = system.getSystemMetrics(kMetricPrimaryHeight);
  facts.virtualLeft = system.getSystemMetrics(kMetricVirtualLeft);
  facts.virtualTop = system.getSystemMetrics(kMetricVirtualTop);
  facts.virtualWidth = system.getSystemMetrics(kMetricVirtualWidth);
  facts.virtualHeight = system.getSystemMetrics(kMetricVirtualHeight);
  return facts;
}

}  // namespace orvane::win
