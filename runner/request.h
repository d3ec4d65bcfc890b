// Parsing of one request line of a session: a method call, an input frame, raw bytes, an event
// channel listen or cancel, a pause, a message to the runner's window, or input of the host's own
// user.
#ifndef RUNNER_REQUEST_H_
#define RUNNER_REQUEST_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "flutter/encodable_value.h"

namespace orvane::runner {

// The longest pause one request may ask for, so a session file cannot stall the runner for long.
inline constexpr std::uint32_t kMaxSleepMs = 60000;
// The latest time a request may carry: a day after the session's start.
inline constexpr std::uint32_t kMaxAtMs = 86400000;
// The largest pixel coordinate a "local" request may name.
inline constexpr std::int32_t kMaxLocalPixel = 32767;

enum class RequestKind {
  MethodCall,  // "call" and "frame" on "orvane_native/methods", "listen" and "cancel" on
               // "orvane_native/events"
  Raw,         // exact bytes on `channel`
  Sleep,       // run the platform thread's message loop for `sleepMs`
  Window,      // send `windowMessage` to the top-level window
  LocalInput,  // move the pointer to `localX`, `localY` as the host's user would: untagged
};

enum class WindowMessage { Close, EndSession };

struct Request {
  RequestKind kind = RequestKind::MethodCall;
  std::string channel;                                 // MethodCall, Raw
  std::string method;                                  // MethodCall
  flutter::EncodableValue arguments;                   // MethodCall: null when the line gave none
  std::vector<uint8_t> bytes;                          // Raw
  std::uint32_t sleepMs = 0;                           // Sleep
  WindowMessage windowMessage = WindowMessage::Close;  // Window
  std::int32_t localX = 0;                             // LocalInput: primary-display pixels
  std::int32_t localY = 0;
  // Any kind: when the request was made, in milliseconds since the session's start ("at_ms").
  std::optional<std::uint32_t> atMs;
};

enum class ParseOutcome {
  Request,  // `request` holds the request
  Skip,     // a blank line or a comment line (first non-blank character '#')
  Bad,      // `reason` says why the line is not a request
};

struct ParsedLine {
  ParseOutcome outcome = ParseOutcome::Skip;
  Request request;
  std::string reason;
};

// An "injectInput" call: the request that comes at the controller's input rate.
bool IsInputFrame(const Request& request);

// Never fails in any other way than ParseOutcome::Bad, whatever the bytes of the line: invalid
// JSON, invalid UTF-8, zero bytes, unknown keys and over-deep nesting are all refused with a
// reason.
ParsedLine ParseRequestLine(std::string_view line);

}  // namespace orvane::runner

#endif  // RUNNER_REQUEST_H_
