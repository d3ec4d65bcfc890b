// The session driver against a scripted platform: trace and summary, and the trace while input is
// idle. Replies to each kind of request line are checked end to end by the recorded sessions.
#include "runner/session.h"

#include <gtest/gtest.h>

#include <sstream>
#include <streambuf>
#include <string>
#include <utility>
#include <vector>

#include "flutter/standard_method_codec.h"
#include "runner/output_format.h"
#include "win/inject_event.h"

namespace orvane::runner {
namespace {

ObservedEvent Key(std::uint32_t scan, bool up, bool extended = false) {
  ObservedEvent event;
  event.scanCode = scan;
  event.keyUp = up;
  event.extended = extended;
  event.injected = true;
  event.extraInfo = win::kInjectedTag;
  return event;
}

ObservedEvent Mouse(ObservedKind kind) {
  ObservedEvent event;
  event.kind = kind;
  event.injected = true;
  event.extraInfo = win::kInjectedTag;
  return event;
}

// Answers every call with success and its method name. Each delivery makes the events queued in
// `inputPerCall` observable, one batch per call; the teardown makes `teardownInput` observable.
class FakePlatform : public SessionPlatform {
 public:
  MethodReply Send(const std::string&, const std::vector<uint8_t>& message) override {
    if (!inputPerCall.empty()) {
      pending.insert(pending.end(), inputPerCall.front().begin(), inputPerCall.front().end());
      inputPerCall.erase(inputPerCall.begin());
    }
    const auto& codec = flutter::StandardMethodCodec::GetInstance();
    const auto call = codec.DecodeMethodCall(message);
    if (!call) return DecodeMethodReply({0x01});
    const flutter::EncodableValue name(call->method_name());
    return DecodeMethodReply(*codec.EncodeSuccessEnvelope(&name));
  }
  void Pump(std::uint32_t) override {}
  void SendWindowMessage(WindowMessage) override {}
  bool Running() const override { return true; }
  std::vector<ObservedEvent> TakeObserved() override { return std::move(pending); }
  void DestroyRegistrar() override {
    pending.insert(pending.end(), teardownInput.begin(), teardownInput.end());
  }

  std::vector<std::vector<ObservedEvent>> inputPerCall;
  std::vector<ObservedEvent> teardownInput;
  std::vector<ObservedEvent> pending;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string RunText(FakePlatform& platform, const std::string& session, SessionOptions options) {
  std::istringstream in(session);
  std::ostringstream out;
  EXPECT_EQ(RunSession(in, out, platform, options), 0);
  return out.str();
}

TEST(RunSession, SummaryTellsWhatWasHeldBeforeAndAfterTeardown) {
  FakePlatform platform;
  platform.inputPerCall = {
      {Key(0x2A, false), Key(0x1E, false), Key(0x1E, true)},
      {Mouse(ObservedKind::LeftDown), Key(0x1D, false, true)},
  };
  platform.teardownInput = {Key(0x2A, true), Key(0x1D, true, true)};
  const std::string out = RunText(platform,
                                  "{\"frame\": {\"t\": \"kd\"}}\n"
                                  "{\"frame\": {\"t\": \"md\"}}\n",
                                  SessionOptions{true, true, nullptr});
  const std::vector<std::string> lines = Lines(out);
  ASSERT_EQ(lines.size(), 11u);
  EXPECT_EQ(lines[1],
            R"({"injected": "key", "scan": 42, "extended": false, "up": false, "tag": true})");
  EXPECT_EQ(
      lines[5],
      R"({"injected": "mouse", "event": "left-down", "x": 0, "y": 0, "delta": 0, "tag": true})");
  EXPECT_EQ(lines[7], R"({"session": "teardown"})");
  EXPECT_EQ(lines[8],
            R"({"injected": "key", "scan": 42, "extended": false, "up": true, "tag": true})");
  EXPECT_EQ(lines[10], R"({"summary": {"requests": 2, "errors": 0, "not_implemented": 0, )"
                       R"("bad_requests": 0, "injected_keys": 6, "injected_mouse": 1, )"
                       R"("held_at_end": ["key 0x2a", "key 0xe01d", "button left"], )"
                       R"("held_after_teardown": ["button left"], "ended": "end-of-input"}})");
}

// Hands out its text one character at a time, so nothing is ever read ahead: like a pipe whose
// writer has not written yet, until the test says it has.
class TrickleBuffer : public std::streambuf {
 public:
  explicit TrickleBuffer(std::string text) : text_(std::move(text)) {}

 protected:
  int_type underflow() override {
    if (next_ >= text_.size()) return traits_type::eof();
    char* c = &text_[next_++];
    setg(c, c, c + 1);
    return traits_type::to_int_type(*c);
  }

 private:
  std::string text_;
  size_t next_ = 0;
};

TEST(RunSession, KeepsTheTraceGoingWhileWaitingForInput) {
  FakePlatform platform;
  platform.pending = {Key(0x1E, false)};
  TrickleBuffer buffer("{\"call\": \"getPermissions\"}\n");
  std::istream in(&buffer);
  std::ostringstream out;
  int polls = 0;
  SessionOptions options{true, false, nullptr};
  options.inputArrived = [&polls] { return ++polls > 3; };
  RunSession(in, out, platform, options);
  EXPECT_EQ(Lines(out.str()),
            (std::vector<std::string>{
                R"({"injected": "key", "scan": 30, "extended": false, "up": false, "tag": true})",
                R"({"reply": "success", "value": "getPermissions"})",
                R"({"session": "teardown"})",
            }));
}

}  // namespace
}  // namespace orvane::runner
