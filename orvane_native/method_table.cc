// The method table: names in the order a call's name is tested.
#include "method_table.h"

#include <array>
#include <cstddef>
#include <utility>

namespace orvane_native {

namespace {

constexpr std::size_t kMethodCount = 17;

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
    {"setLocalInputPriority", Method::SetLocalInputPriority},
}};

}  // namespace

std::optional<Method> FindMethod(std::string_view name) {
  for (const auto& [methodName, method] : kMethods) {
    if (methodName == name) return method;
  }
  return std::nullopt;
}

}  // namespace orvane_native
