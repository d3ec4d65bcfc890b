// The method table: names in the order a call's name is tested.
#include "method_table.h"

#include <array>
#include <cstddef>
#include <utility>

namespace orvane_native {

namespace {

constexpr std::size_t kMethodCount = 18;

constexpr std::array<std::pair<std::string_view, Method>, kMethodCount> kMethods = {{
    {"getComputerName", Method::GetComputerName},
    {"getPermissions", Method::GetPermissions},
    {"openPrivacySettings", Method::OpenPrivacySettings},
    {"quit", Method::Quit},
    {"injectInput", Method::InjectInput},
    {"setPeerConnected", Method::SetPeerConnected},
    {"setInputMode", Method::SetInputMode},
    {"releaseHeldInput", Method::ReleaseHeldInput},
    {"clipboardChangeCount", Method::ClipboardChangeCount},
    {"clipboardRead", Method::ClipboardRead},
    {"clipboardWrite", Method::ClipboardWrite},
    {"sendClipboard", Method::SendClipboard},
    {"setAlwaysOnTop", Method::SetAlwaysOnTop},
    {"sendInput", Method::SendInput},
    {"getDisplays", Method::GetDisplays},
    {"setCaptureRect", Method::SetCaptureRect},
    {"getCapabilities", Method::GetCapabilities},
    {"setLocalInputPriority", Method::SetLocalInputPriority},
}};

}  // namespace

std::optional<Method> FindMethod(std::string_view name) {
  for (const auto& [methodName, method] : kMethods) {
    if (methodName == name) return method;
  }
  return std::nullopt;
}

std::vector<std::string_view> MethodNames() {
  std::vector<std::string_view> names;
  names.reserve(kMethods.size());
  for (const auto& entry : kMethods) names.push_back(entry.first);
  return names;
}

}  // namespace orvane_native
