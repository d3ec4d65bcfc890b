// The session driver: request lines in, reply and trace lines out, teardown at the end.
#include "runner/session.h"

#include <chrono>
#include <optional>
#include <string>

#include "runner/output_format.h"
#include "runner/session_summary.h"

namespace orvane::runner {

namespace {

// Injection runs on the plugin's own thread, so the trace of a request trails its reply. Before and
// after teardown the driver waits for the input to settle: until no event came for kQuietMs, or
// kSettleLimitMs in all.
constexpr std::uint32_t kQuietMs = 300;
constexpr std::uint32_t kSettleLimitMs = 3000;
// The message loop runs in slices this long during a pause, so the trace keeps flowing.
constexpr std::uint32_t kSliceMs = 20;
// Window messages are served after every request, but during a run of input frames at most this
// often: under Wine each look at the message queue is a round trip to the Wine server, which cost
// more than everything else the runner does for a frame (measured: frames the plugin dropped went
// from about 5,900 to 13,000 a second without it).
constexpr std::chrono::milliseconds kFramePumpInterval{5};

class Driver {
 public:
  Driver(std::ostream& out, SessionPlatform& platform, const SessionOptions& options)
      : out_(out),
        platform_(platform),
        options_(options),
        start_(options_.clock()),
        lastPump_(start_) {}

  void Handle(const std::string& line) {
    const ParsedLine parsed = ParseRequestLine(line);
    if (parsed.outcome == ParseOutcome::Skip) return;
    summary_.CountRequest();
    std::string reason = parsed.reason;
    if (parsed.outcome == ParseOutcome::Bad || !InOrder(parsed.request, reason)) {
      summary_.CountBadRequest();
      Print(BadRequestLine(reason));
      return;
    }
    const Request& request = parsed.request;
    if (options_.paced && request.atMs) {
      WaitUntil(start_ + std::chrono::milliseconds(*request.atMs));
    }
    switch (request.kind) {
      case RequestKind::MethodCall: {
        const MethodReply reply =
            platform_.Send(request.channel, EncodeMethodCall(request.method, &request.arguments));
        summary_.CountReply(reply.kind);
        Print(ReplyLine(reply));
        break;
      }
      case RequestKind::Raw:
        Print(RawReplyLine(platform_.Send(request.channel, request.bytes)));
        break;
      case RequestKind::Sleep:
        Sleep(request.sleepMs);
        Print(DoneLine());
        break;
      case RequestKind::Window:
        platform_.SendWindowMessage(request.windowMessage);
        Print(DoneLine());
        break;
      case RequestKind::LocalInput:
        platform_.InjectLocalInput(request.localX, request.localY);
        Print(DoneLine());
        break;
    }
    const std::chrono::nanoseconds now = options_.clock();
    if (!IsInputFrame(request) || now - lastPump_ >= kFramePumpInterval) {
      platform_.Pump(0);
      lastPump_ = now;
    }
    DrainTrace();
  }

  // Waiting for input: the loop and the trace go on.
  void Idle() {
    platform_.Pump(kSliceMs);
    DrainTrace();
  }

  // Waits for the input to settle, tears the plugin down, waits again, and prints the summary.
  void Finish(const std::string& ended) {
    Settle();
    summary_.MarkTeardown();
    // Marks where the trace of the plugin's teardown begins.
    Print(TeardownLine());
    platform_.DestroyRegistrar();
    Settle();
    if (options_.summary) Print(summary_.Line(ended));
  }

 private:
  void Print(const std::string& line) { out_ << line << '\n' << std::flush; }

  // Prints the trace, then the plugin's events, which it raises after the input they concern.
  // Returns whether anything came.
  bool DrainTrace() {
    const std::vector<ObservedEvent> observed = platform_.TakeObserved();
    for (const ObservedEvent& event : observed) {
      summary_.Observe(event);
      if (options_.trace) Print(TraceLine(event));
    }
    const std::vector<std::vector<uint8_t>> events = platform_.TakeEvents();
    for (const std::vector<uint8_t>& event : events) {
      summary_.Hear(event);
      Print(EventLine(event));
    }
    return !observed.empty() || !events.empty();
  }

  // A request's time may only stay or grow; the first one sets the start of the order.
  bool InOrder(const Request& request, std::string& reason) {
    if (!request.atMs) return true;
    if (lastAtMs_ && *request.atMs < *lastAtMs_) {
      reason = "at_ms " + std::to_string(*request.atMs) +
               " is earlier than the previous request's " + std::to_string(*lastAtMs_);
      return false;
    }
    lastAtMs_ = request.atMs;
    return true;
  }

  // Keeps the loop and the trace going until the clock reaches `deadline`, never returning
  // before it.
  void WaitUntil(std::chrono::nanoseconds deadline) {
    for (auto now = options_.clock(); now < deadline; now = options_.clock()) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
      platform_.Pump(left < kSliceMs ? static_cast<std::uint32_t>(left) : kSliceMs);
      DrainTrace();
    }
  }

  void Sleep(std::uint32_t ms) {
    WaitUntil(options_.clock() + std::chrono::milliseconds(ms));
    DrainTrace();
  }

  void Settle() {
    std::uint32_t quiet = 0;
    for (std::uint32_t waited = 0; quiet < kQuietMs && waited < kSettleLimitMs;
         waited += kSliceMs) {
      platform_.Pump(kSliceMs);
      quiet = DrainTrace() ? 0 : quiet + kSliceMs;
    }
  }

  std::ostream& out_;
  SessionPlatform& platform_;
  const SessionOptions options_;
  const std::chrono::nanoseconds start_;
  std::chrono::nanoseconds lastPump_;
  std::optional<std::uint32_t> lastAtMs_;
  SessionSummary summary_;
};

}  // namespace

std::chrono::nanoseconds SteadyNow() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
}

int RunSession(std::istream& in, std::ostream& out, SessionPlatform& platform,
               const SessionOptions& options) {
  Driver driver(out, platform, options);
  std::string line;
  while (platform.Running()) {
    if (options.inputArrived && in.rdbuf()->in_avail() <= 0 && !options.inputArrived()) {
      driver.Idle();
      continue;
    }
    if (!std::getline(in, line)) break;
    driver.Handle(line);
  }
  driver.Finish(platform.Running() ? "end-of-input" : "quit");
  return 0;
}

}  // namespace orvane::runner
