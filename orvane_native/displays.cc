// Monitor enumeration with EnumDisplayMonitors and GetMonitorInfoW.
#include "displays.h"

#include <windows.h>

#include <cwchar>
#include <string_view>
#include <utility>

#include "utf_conversion.h"

namespace orvane_native {

namespace {

struct Enumeration {
  std::vector<DisplayInfo> displays;
  std::optional<DWORD> monitorInfoError;
};

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM context) {
  auto& enumeration = *reinterpret_cast<Enumeration*>(context);
  MONITORINFOEXW info{};
  info.cbSize = sizeof(info);
  if (!GetMonitorInfoW(monitor, &info)) {
    enumeration.monitorInfoError = GetLastError();
    return FALSE;
  }
  DisplayInfo display;
  display.id =
      Utf8FromUtf16(std::wstring_view(info.szDevice, wcsnlen(info.szDevice, CCHDEVICENAME)));
  display.left = info.rcMonitor.left;
  display.top = info.rcMonitor.top;
  display.width = static_cast<std::int64_t>(info.rcMonitor.right) - info.rcMonitor.left;
  display.height = static_cast<std::int64_t>(info.rcMonitor.bottom) - info.rcMonitor.top;
  display.primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
  enumeration.displays.push_back(std::move(display));
  return TRUE;
}

}  // namespace

DisplayListResult ListDisplays() {
  Enumeration enumeration;
  SetLastError(ERROR_SUCCESS);
  const BOOL finished =
      EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&enumeration));
  DisplayListResult result;
  if (enumeration.monitorInfoError) {
    result.error = ServiceError{kDisplaysUnavailableCode, kMonitorInfoFailedMessage,
                                *enumeration.monitorInfoError};
  } else if (!finished) {
    result.error =
        ServiceError{kDisplaysUnavailableCode, kEnumDisplayMonitorsFailedMessage, GetLastError()};
  } else {
    result.displays = std::move(enumeration.displays);
  }
  return result;
}

}  // namespace orvane_native
