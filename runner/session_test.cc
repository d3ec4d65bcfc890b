// The session driver's pacing, against a clock that only its own waits move; what the requests do
// to the plugin is replayed by the recorded sessions.
#include "runner/session.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace orvane::runner {
namespace {

using std::chrono::milliseconds;
using std::chrono::nanoseconds;

// A runner whose message loop takes exactly the time it is given, and no time otherwise.
class FakePlatform : public SessionPlatform {
 public:
  struct Sent {
    std::vector<uint8_t> message;
    nanoseconds at;
  };

  MethodReply Send(const std::string&, const std::vector<uint8_t>& message) override {
    sent.push_back({message, now});
    MethodReply reply;
    reply.kind = MethodReply::Kind::Success;
    return reply;
  }
  void Pump(std::uint32_t ms) override { now += milliseconds(ms); }
  void SendWindowMessage(WindowMessage) override {}
  void InjectLocalInput(std::int32_t, std::int32_t) override {}
  bool Running() const override { return true; }
  std::vector<ObservedEvent> TakeObserved() override { return {}; }
  std::vector<std::vector<uint8_t>> TakeEvents() override { return {}; }
  void DestroyRegistrar() override {}

  nanoseconds now{milliseconds(5000)};
  std::vector<Sent> sent;
};

struct SessionRun {
  std::vector<FakePlatform::Sent> sent;
  nanoseconds start;
  std::string out;
};

SessionRun RunPaced(const std::string& session, bool paced) {
  FakePlatform platform;
  SessionOptions options;
  options.paced = paced;
  options.clock = [&platform] { return platform.now; };
  std::istringstream in(session);
  std::ostringstream out;
  const nanoseconds start = platform.now;
  RunSession(in, out, platform, options);
  return {platform.sent, start, out.str()};
}

// A 1 kHz pointer, a request without a time, a pause, and a long silence.
constexpr char kSession[] =
    "{\"call\": \"a\", \"at_ms\": 0}\n"
    "{\"call\": \"b\", \"at_ms\": 1}\n"
    "{\"call\": \"c\", \"at_ms\": 2}\n"
    "{\"call\": \"d\"}\n"
    "{\"call\": \"e\", \"at_ms\": 2}\n"
    "{\"sleep_ms\": 7}\n"
    "{\"call\": \"f\", \"at_ms\": 5}\n"
    "{\"call\": \"g\", \"at_ms\": 10000}\n";

// Paced, each request leaves at its time and no earlier; unpaced, only the pause takes time.
TEST(PacedSession, RequestsLeaveInOrderAndNotBeforeTheirTime) {
  const char methods[] = "abcdefg";
  const std::pair<bool, std::vector<std::int64_t>> modes[] = {{true, {0, 1, 2, 2, 2, 9, 10000}},
                                                              {false, {0, 0, 0, 0, 0, 7, 7}}};
  for (const auto& [paced, atMs] : modes) {
    const SessionRun run = RunPaced(kSession, paced);
    ASSERT_EQ(run.sent.size(), atMs.size()) << run.out;
    for (std::size_t i = 0; i < run.sent.size(); ++i) {
      EXPECT_EQ(run.sent[i].message, EncodeMethodCall(std::string(1, methods[i]))) << i;
      EXPECT_EQ(run.sent[i].at - run.start, milliseconds(atMs[i])) << paced << methods[i];
    }
  }
}

}  // namespace
}  // namespace orvane::runner
