// OrvaneNativePlugin's method-call surface: picks the method by name, reads its arguments and
// answers exactly once.
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <utility>

#include "capabilities.h"
#include "clipboard.h"
#include "computer_name.h"
#include "displays.h"
#include "method_arguments.h"
#include "method_table.h"
#include "orvane_native_plugin.h"
#include "service_error.h"
#include "win/input_mode.h"
#include "win/local_input_period.h"
#include "win/pointer_geometry.h"
#include "window_services.h"

namespace orvane_native {

namespace {

using flutter::EncodableValue;

// Win32 error codes travel as unsigned 32-bit values widened to 64 bits, so never negative.
EncodableValue Win32ErrorDetails(std::uint32_t win32Error) {
  return EncodableValue(static_cast<std::int64_t>(win32Error));
}

void ReplyError(flutter::MethodResult<EncodableValue>& result, std::string_view code,
                std::string_view message) {
  result.Error(std::string(code), std::string(message));
}

void ReplyServiceError(flutter::MethodResult<EncodableValue>& result, const ServiceError& error) {
  if (error.win32Error) {
    result.Error(std::string(error.code), std::string(error.message),
                 Win32ErrorDetails(*error.win32Error));
  } else {
    ReplyError(result, error.code, error.message);
  }
}

EncodableValue GrantedPermissions() {
  return EncodableValue(flutter::EncodableMap{
      {EncodableValue(std::string(kScreenRecordingKey)), EncodableValue(true)},
      {EncodableValue(std::string(kInputControlKey)), EncodableValue(true)},
  });
}

EncodableValue DisplayMap(const DisplayInfo& display) {
  return EncodableValue(flutter::EncodableMap{
      {EncodableValue(std::string(kIdKey)), EncodableValue(display.id)},
      {EncodableValue(std::string(kLeftKey)), EncodableValue(display.left)},
      {EncodableValue(std::string(kTopKey)), EncodableValue(display.top)},
      {EncodableValue(std::string(kWidthKey)), EncodableValue(display.width)},
      {EncodableValue(std::string(kHeightKey)), EncodableValue(display.height)},
      {EncodableValue(std::string(kPrimaryKey)), EncodableValue(display.primary)},
  });
}

std::optional<std::int32_t> ReadCoordinate(const EncodableValue* arguments, std::string_view key) {
  const std::optional<std::int64_t> value = ReadIntegerArgument(arguments, key);
  if (!value || *value < std::numeric_limits<std::int32_t>::min() ||
      *value > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(*value);
}

// A rectangle with all four edges as 32-bit coordinates and a positive width and height.
std::optional<orvane::win::CaptureRect> ReadCaptureRect(const EncodableValue* arguments) {
  const auto left = ReadCoordinate(arguments, kLeftKey);
  const auto top = ReadCoordinate(arguments, kTopKey);
  const auto right = ReadCoordinate(arguments, kRightKey);
  const auto bottom = ReadCoordinate(arguments, kBottomKey);
  if (!left || !top || !right || !bottom || *right <= *left || *bottom <= *top) {
    return std::nullopt;
  }
  return orvane::win::CaptureRect{*left, *top, *right, *bottom};
}

struct LocalInputPriority {
  bool enabled = false;
  std::int32_t quietMs = orvane::win::kLocalInputDefaultQuietMs;
};

// Null arguments give the default (off); otherwise a bool `enabled` and, unless it is absent or
// null, a `quietMs` within range. Unlike a missing one, a quietMs of the wrong type is refused: a
// quiet time silently replaced by the default would be a surprise.
std::optional<LocalInputPriority> ReadLocalInputPriority(const EncodableValue* arguments) {
  LocalInputPriority priority;
  if (arguments == nullptr || arguments->IsNull()) return priority;
  const std::optional<bool> enabled = ReadBoolArgument(arguments, kEnabledKey);
  if (!enabled) return std::nullopt;
  priority.enabled = *enabled;
  const auto* map = std::get_if<flutter::EncodableMap>(arguments);
  const auto quiet = map->find(EncodableValue(std::string(kQuietMsKey)));
  if (quiet == map->end() || quiet->second.IsNull()) return priority;
  const std::optional<std::int64_t> quietMs = ReadIntegerArgument(arguments, kQuietMsKey);
  if (!quietMs || *quietMs < orvane::win::kLocalInputMinQuietMs ||
      *quietMs > orvane::win::kLocalInputMaxQuietMs) {
    return std::nullopt;
  }
  priority.quietMs = static_cast<std::int32_t>(*quietMs);
  return priority;
}

}  // namespace

void OrvaneNativePlugin::HandleMethodCall(
    const flutter::MethodCall<EncodableValue>& call,
    std::unique_ptr<flutter::MethodResult<EncodableValue>> result) {
  const std::optional<Method> method = FindMethod(call.method_name());
  if (!method) {
    result->NotImplemented();
    return;
  }
  const EncodableValue* arguments = call.arguments();
  switch (*method) {
    case Method::GetComputerName:
      GetComputerName(*result);
      return;
    case Method::GetPermissions:
      result->Success(GrantedPermissions());
      return;
    case Method::OpenPrivacySettings:
    case Method::SendClipboard:
      // Nothing to open or send on this platform.
      result->Success();
      return;
    case Method::Quit:
      // The reply leaves before the window starts closing.
      result->Success();
      RequestQuit(TopLevelWindow(), [this](const std::string& line) { LogLine(line); });
      return;
    case Method::InjectInput:
      InjectInput(arguments, *result);
      return;
    case Method::SetPeerConnected:
      SetPeerConnected(arguments, *result);
      return;
    case Method::SetInputMode:
      SetInputMode(arguments, *result);
      return;
    case Method::ReleaseHeldInput:
      ReleaseHeldInput(arguments, *result);
      return;
    case Method::ClipboardChangeCount:
      result->Success(EncodableValue(ClipboardChangeCount()));
      return;
    case Method::ClipboardRead:
      if (ReadBoolArgument(arguments, kDetailKey).value_or(false)) {
        ClipboardReadDetail(*result);
      } else {
        ClipboardRead(*result);
      }
      return;
    case Method::ClipboardWrite:
      ClipboardWrite(arguments, *result);
      return;
    case Method::SetAlwaysOnTop:
      SetAlwaysOnTop(arguments, *result);
      return;
    case Method::SendInput:
      ReplyError(*result, kInvalidStateCode, kSendInputMessage);
      return;
    case Method::GetDisplays:
      GetDisplays(*result);
      return;
    case Method::SetCaptureRect:
      SetCaptureRect(arguments, *result);
      return;
    case Method::GetCapabilities:
      result->Success(CapabilitiesValue());
      return;
    case Method::SetLocalInputPriority:
      SetLocalInputPriority(arguments, *result);
      return;
  }
}

void OrvaneNativePlugin::GetComputerName(Result& result) const {
  std::uint32_t win32Error = 0;
  const std::optional<std::string> name = ReadComputerName(&win32Error);
  if (!name) {
    result.Error(std::string(kComputerNameFailedCode), std::string(kComputerNameFailedMessage),
                 Win32ErrorDetails(win32Error));
    return;
  }
  result.Success(EncodableValue(*name));
}

void OrvaneNativePlugin::InjectInput(const EncodableValue* arguments, Result& result) {
  const std::string* frame = ReadStringArgument(arguments, kJsonKey);
  if (frame == nullptr) {
    ReplyError(result, kInvalidStateCode, kInjectInputMessage);
    return;
  }
  result.Success();
  injector_->injectInput(*frame);
}

void OrvaneNativePlugin::SetPeerConnected(const EncodableValue* arguments, Result& result) {
  const std::optional<bool> connected = ReadBoolArgument(arguments, kConnectedKey);
  if (!connected) {
    ReplyError(result, kInvalidStateCode, kSetPeerConnectedMessage);
    return;
  }
  injector_->setPeerConnected(*connected);
  result.Success();
}

void OrvaneNativePlugin::SetInputMode(const EncodableValue* arguments, Result& result) {
  const std::string* text = ReadStringArgument(arguments, kModeKey);
  orvane::win::InputMode mode = orvane::win::InputMode::Control;
  if (text == nullptr || !orvane::win::parseInputMode(*text, mode)) {
    ReplyError(result, kInvalidStateCode, kSetInputModeMessage);
    return;
  }
  injector_->setInputMode(mode);
  result.Success();
}

void OrvaneNativePlugin::ReleaseHeldInput(const EncodableValue* arguments, Result& result) {
  const std::string* reason = ReadStringArgument(arguments, kReasonKey);
  injector_->releaseHeldInput(reason == nullptr ? std::string(kUnspecifiedReason) : *reason);
  result.Success();
}

void OrvaneNativePlugin::ClipboardRead(Result& result) const {
  const ClipboardReadResult read = orvane_native::ClipboardRead(ClipboardOwner());
  if (read.error) {
    ReplyServiceError(result, *read.error);
  } else if (read.text) {
    result.Success(EncodableValue(*read.text));
  } else {
    result.Success();
  }
}

void OrvaneNativePlugin::ClipboardReadDetail(Result& result) const {
  const ClipboardReadResult read = orvane_native::ClipboardRead(ClipboardOwner());
  if (read.error) {
    ReplyServiceError(result, *read.error);
    return;
  }
  result.Success(EncodableValue(flutter::EncodableMap{
      {EncodableValue(std::string(kTextKey)),
       read.text ? EncodableValue(*read.text) : EncodableValue()},
      {EncodableValue(std::string(kPrivateKey)), EncodableValue(read.markedPrivate)},
  }));
}

void OrvaneNativePlugin::ClipboardWrite(const EncodableValue* arguments, Result& result) const {
  const std::string* text = ReadStringArgument(arguments, kTextKey);
  if (text == nullptr) {
    ReplyError(result, kInvalidStateCode, kClipboardWriteMessage);
    return;
  }
  const std::optional<ServiceError> error = orvane_native::ClipboardWrite(ClipboardOwner(), *text);
  if (error) {
    ReplyServiceError(result, *error);
    return;
  }
  result.Success();
}

void OrvaneNativePlugin::SetAlwaysOnTop(const EncodableValue* arguments, Result& result) const {
  const std::optional<bool> onTop = ReadBoolArgument(arguments, kOnTopKey);
  if (!onTop) {
    ReplyError(result, kInvalidStateCode, kSetAlwaysOnTopMessage);
    return;
  }
  std::uint32_t win32Error = 0;
  if (!SetTopmost(TopLevelWindow(), *onTop, &win32Error)) {
    result.Error(std::string(kWindowUnavailableCode), std::string(kWindowUnavailableMessage),
                 Win32ErrorDetails(win32Error));
    return;
  }
  result.Success();
}

void OrvaneNativePlugin::GetDisplays(Result& result) const {
  const DisplayListResult listed = ListDisplays();
  if (listed.error) {
    ReplyServiceError(result, *listed.error);
    return;
  }
  flutter::EncodableList displays;
  displays.reserve(listed.displays.size());
  for (const DisplayInfo& display : listed.displays) displays.push_back(DisplayMap(display));
  result.Success(EncodableValue(std::move(displays)));
}

void OrvaneNativePlugin::SetCaptureRect(const EncodableValue* arguments, Result& result) {
  if (arguments == nullptr || arguments->IsNull()) {
    injector_->setCaptureRect(std::nullopt);
    result.Success();
    return;
  }
  const std::optional<orvane::win::CaptureRect> capture = ReadCaptureRect(arguments);
  if (!capture) {
    ReplyError(result, kInvalidStateCode, kSetCaptureRectMessage);
    return;
  }
  injector_->setCaptureRect(*capture);
  result.Success();
}

void OrvaneNativePlugin::SetLocalInputPriority(const EncodableValue* arguments, Result& result) {
  const std::optional<LocalInputPriority> priority = ReadLocalInputPriority(arguments);
  if (!priority) {
    ReplyError(result, kInvalidStateCode, kSetLocalInputPriorityMessage);
    return;
  }
  std::uint32_t win32Error = 0;
  if (!injector_->setLocalInputPriority(priority->enabled, priority->quietMs, win32Error)) {
    result.Error(std::string(kLocalInputUnavailableCode),
                 std::string(kLocalInputUnavailableMessage), Win32ErrorDetails(win32Error));
    return;
  }
  result.Success();
}

}  // namespace orvane_native
