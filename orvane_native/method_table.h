// The method surface's names and fixed texts: the methods in the order a call's name is
// tested, their argument keys, and the error codes and messages of their replies.
#ifndef ORVANE_NATIVE_METHOD_TABLE_H_
#define ORVANE_NATIVE_METHOD_TABLE_H_

#include <optional>
#include <string_view>
#include <vector>

namespace orvane_native {

enum class Method {
  GetComputerName,
  GetPermissions,
  OpenPrivacySettings,
  Quit,
  InjectInput,
  SetPeerConnected,
  SetInputMode,
  ReleaseHeldInput,
  ClipboardChangeCount,
  ClipboardRead,
  ClipboardWrite,
  SendClipboard,
  SetAlwaysOnTop,
  SendInput,
  GetDisplays,
  SetCaptureRect,
  GetCapabilities,
  SetLocalInputPriority,
};

// The method named exactly `name` (case-sensitive bytes); no value for any other name, which is
// answered with not implemented. Any thread.
std::optional<Method> FindMethod(std::string_view name);

// Every method name, in table order: what getCapabilities lists, so it cannot miss a method.
std::vector<std::string_view> MethodNames();

// Argument keys.
inline constexpr std::string_view kJsonKey = "json";
inline constexpr std::string_view kConnectedKey = "connected";
inline constexpr std::string_view kModeKey = "mode";
inline constexpr std::string_view kReasonKey = "reason";
inline constexpr std::string_view kTextKey = "text";
inline constexpr std::string_view kOnTopKey = "onTop";
// "clipboardRead" with {"detail": true} answers {"text": ..., "private": ...}.
inline constexpr std::string_view kDetailKey = "detail";
inline constexpr std::string_view kPrivateKey = "private";
// "setCaptureRect" takes a rectangle and "getDisplays" answers with them: virtual-desktop pixels.
inline constexpr std::string_view kLeftKey = "left";
inline constexpr std::string_view kTopKey = "top";
inline constexpr std::string_view kRightKey = "right";
inline constexpr std::string_view kBottomKey = "bottom";
// Each monitor "getDisplays" lists.
inline constexpr std::string_view kIdKey = "id";
inline constexpr std::string_view kWidthKey = "width";
inline constexpr std::string_view kHeightKey = "height";
inline constexpr std::string_view kPrimaryKey = "primary";

// "setLocalInputPriority".
inline constexpr std::string_view kEnabledKey = "enabled";
inline constexpr std::string_view kQuietMsKey = "quietMs";

// "getPermissions" answers with both granted; nothing is queried on this platform.
inline constexpr std::string_view kScreenRecordingKey = "screenRecording";
inline constexpr std::string_view kInputControlKey = "inputControl";

// A release asked for without a string reason.
inline constexpr std::string_view kUnspecifiedReason = "unspecified";

// Error codes and messages.
inline constexpr std::string_view kInvalidStateCode = "invalid_state";
inline constexpr std::string_view kInjectInputMessage =
    "injectInput needs a string `json` argument";
inline constexpr std::string_view kSetPeerConnectedMessage =
    "setPeerConnected needs a bool `connected` argument";
inline constexpr std::string_view kSetInputModeMessage =
    "setInputMode needs `mode`: \"view\" or \"control\"";
inline constexpr std::string_view kClipboardWriteMessage =
    "clipboardWrite needs a string `text` argument";
inline constexpr std::string_view kSetAlwaysOnTopMessage =
    "setAlwaysOnTop needs a bool `onTop` argument";
inline constexpr std::string_view kSendInputMessage =
    "sendInput is the controller's method and is handled in Dart on Windows "
    "(FlutterWebrtcPeerBridge.sendInput). The host's injection method is injectInput";
inline constexpr std::string_view kSetCaptureRectMessage =
    "setCaptureRect needs integer `left`, `top`, `right` and `bottom` with right > left and "
    "bottom > top, or null arguments for the primary display";
inline constexpr std::string_view kSetLocalInputPriorityMessage =
    "setLocalInputPriority needs a bool `enabled` and, if sent, an integer `quietMs` from 100 to "
    "60000, or null arguments for the default (off)";
inline constexpr std::string_view kLocalInputUnavailableCode = "local_input_unavailable";
inline constexpr std::string_view kLocalInputUnavailableMessage = "SetWindowsHookExW failed";
inline constexpr std::string_view kComputerNameFailedCode = "computer_name_failed";
inline constexpr std::string_view kComputerNameFailedMessage =
    "GetComputerNameExW(ComputerNamePhysicalDnsHostname) failed";
inline constexpr std::string_view kWindowUnavailableCode = "window_unavailable";
inline constexpr std::string_view kWindowUnavailableMessage =
    "SetWindowPos on the runner's top-level window failed";

}  // namespace orvane_native

#endif  // ORVANE_NATIVE_METHOD_TABLE_H_
