// OrvaneNativePlugin's method-call surface: picks the method by name, reads its arguments and
// answers exactly once.
#include <cstdint>
#include <string>

#include "clipboard.h"
#include "computer_name.h"
#include "method_arguments.h"
#include "method_table.h"
#include "orvane_native_plugin.h"
#include "service_error.h"
#include "win/input_mode.h"
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
      RequestQuit(TopLevelWindow());
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
      ClipboardRead(*result);
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

}  // namespace orvane_native
