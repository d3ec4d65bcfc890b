// The host's monitors as the Dart side sees them, for choosing the screen the controller captures.
#ifndef ORVANE_NATIVE_DISPLAYS_H_
#define ORVANE_NATIVE_DISPLAYS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "service_error.h"

namespace orvane_native {

inline constexpr std::string_view kDisplaysUnavailableCode = "displays_unavailable";
inline constexpr std::string_view kEnumDisplayMonitorsFailedMessage = "EnumDisplayMonitors failed";
inline constexpr std::string_view kMonitorInfoFailedMessage = "GetMonitorInfoW failed";

// One monitor: its device name (UTF-8) and its rectangle in virtual-desktop pixels.
struct DisplayInfo {
  std::string id;
  std::int64_t left = 0;
  std::int64_t top = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;
  bool primary = false;
};

struct DisplayListResult {
  std::vector<DisplayInfo> displays;  // in the order the system enumerates them
  std::optional<ServiceError> error;  // set on failure; displays is then empty
};

// Every monitor, from EnumDisplayMonitors and GetMonitorInfoW. Platform thread (any thread works,
// but coordinates are physical pixels only in a per-monitor-DPI-aware thread); no state.
DisplayListResult ListDisplays();

}  // namespace orvane_native

#endif  // ORVANE_NATIVE_DISPLAYS_H_
