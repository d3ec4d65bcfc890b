// The session driver: request lines in, reply and trace lines out, teardown at the end.
#include "runner/session.h"

#include <chrono>
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

class Driver {
 public:
  Driver(std::ostream& out, SessionPlatform& platform, const SessionOptions& options)
      : out_(out), platform_(platform), options_(options) {}

  void Handle(const std::string& line) {
    const ParsedLine parsed = ParseRequestLine(line);
    if (parsed.outcome == ParseOutcome::Skip) return;
    summary_.CountRequest();
    if (parsed.outcome == ParseOutcome::Bad) {
      summary_.CountBadRequest();
      Print(BadRequestLine(parsed.reason));
      return;
    }
    const Request& request = parsed.request;
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
    }
    platform_.Pump(0);
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
    for (const std::vector<uint8_t>& event : events) Print(EventLine(event));
    return !observed.empty() || !events.empty();
  }

  void Sleep(std::uint32_t ms) {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    for (auto now = Clock::now(); now < end; now = Clock::now()) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count();
      platform_.Pump(left < kSliceMs ? static_cast<std::uint32_t>(left) : kSliceMs);
      DrainTrace();
    }
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
  SessionSummary summary_;
};

}  // namespace

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
