// The lines orvane-host prints on standard output: replies, refusals of request lines, trace
// lines of observed input, the plugin's events. Each is one line of JSON without the line feed.
#ifndef RUNNER_OUTPUT_FORMAT_H_
#define RUNNER_OUTPUT_FORMAT_H_

#include <string>
#include <string_view>
#include <vector>

#include "runner/input_observer.h"
#include "runner/method_call_client.h"

namespace orvane::runner {

// {"reply": "success", "value": V}, {"reply": "error", "code": C, "message": M, "details": D},
// {"reply": "notImplemented"}, {"reply": "malformed", "hex": H} for bytes that are no reply
// envelope, or {"reply": "no-reply"} when nothing came back in time.
std::string ReplyLine(const MethodReply& reply);

// {"reply_hex": H} with the bytes that came back for a raw request, or {"reply": "no-reply"}.
std::string RawReplyLine(const MethodReply& reply);

// {"event": V} for an event the plugin sent (a success envelope), {"event_hex": H} for any other
// bytes on the event channel.
std::string EventLine(const std::vector<uint8_t>& bytes);

// {"reply": "bad-request", "reason": R}
std::string BadRequestLine(std::string_view reason);

// {"reply": "done"}: the answer to requests the runner carries out itself (sleep_ms, window).
std::string DoneLine();

// {"session": "teardown"}: the plugin's teardown starts; input traced after it is its release.
std::string TeardownLine();

// {"injected": "key", "scan": S, "extended": E, "up": U, "tag": T} or
// {"injected": "mouse", "event": "move"|"left-down"|..., "x": X, "y": Y, "delta": D, "tag": T}.
std::string TraceLine(const ObservedEvent& event);

// "move", "left-down", ..., "wheel", "hwheel", "other"; "key" for key events.
const char* EventName(ObservedKind kind);

}  // namespace orvane::runner

#endif  // RUNNER_OUTPUT_FORMAT_H_
