// The session driver: plays the Dart side from request lines, prints one reply line per request,
// the trace of observed input, the events the plugin sends while listened to, and at the end of a
// replay a summary line.
#ifndef RUNNER_SESSION_H_
#define RUNNER_SESSION_H_

#include <chrono>
#include <cstdint>
#include <functional>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "runner/input_observer.h"
#include "runner/method_call_client.h"
#include "runner/request.h"

namespace orvane::runner {

// What the driver needs from the runner around the plugin. Every operation runs on the platform
// thread, the thread that created the window and registered the plugin.
class SessionPlatform {
 public:
  virtual ~SessionPlatform() = default;

  // Delivers a message from the Dart side on `channel` and returns the reply, running the message
  // loop while it waits.
  virtual MethodReply Send(const std::string& channel, const std::vector<uint8_t>& message) = 0;

  // Runs the message loop for `ms` milliseconds (0: only what is already queued). Every wait of
  // the driver (pauses, pacing, settling) is made of these calls.
  virtual void Pump(std::uint32_t ms) = 0;

  virtual void SendWindowMessage(WindowMessage message) = 0;

  // Moves the pointer to the pixel (x, y) of the primary display with input that does not carry
  // the plugin's tag, from this thread: what the host's own user does with the mouse.
  virtual void InjectLocalInput(std::int32_t x, std::int32_t y) = 0;

  // False once the application has quit: its top-level window is gone or its message loop met
  // WM_QUIT.
  virtual bool Running() const = 0;

  // Injected input the hooks observed since the last call, oldest first.
  virtual std::vector<ObservedEvent> TakeObserved() = 0;

  // The messages the plugin sent on its event channel since the last call, oldest first.
  virtual std::vector<std::vector<uint8_t>> TakeEvents() = 0;

  // Destroys the plugin's registrar as an engine does at exit, running the plugin's teardown.
  virtual void DestroyRegistrar() = 0;
};

// A monotonic clock; the driver measures pauses and the pace of a session with it.
using SessionClock = std::function<std::chrono::nanoseconds()>;

// The steady clock since an arbitrary epoch.
std::chrono::nanoseconds SteadyNow();

struct SessionOptions {
  bool trace = false;    // print a line per observed event
  bool summary = false;  // print the summary line at the end
  // Send a request that carries "at_ms" no earlier than that long after the session's start
  // (RunSession's call). Unpaced, requests go as fast as they are read.
  bool paced = false;
  SessionClock clock = SteadyNow;
  // When set, tells whether the input stream has bytes to read beyond its own buffer; while it
  // has none, the driver keeps the message loop and the trace going instead of blocking in a read.
  // True also when it cannot tell: the read then decides.
  std::function<bool()> inputArrived;
};

// Reads request lines from `in` until it ends or the application quits, then tears the plugin down,
// printing {"session": "teardown"} first. A request whose "at_ms" is earlier than the one before
// it is a bad request, paced or not.
// Lines go to `out`, flushed one by one. Returns the process exit code: 0.
int RunSession(std::istream& in, std::ostream& out, SessionPlatform& platform,
               const SessionOptions& options);

}  // namespace orvane::runner

#endif  // RUNNER_SESSION_H_
