// The session driver while standard input is idle: the trace keeps flowing before the next request
// line arrives. Replies, trace and summary are checked end to end by the recorded sessions.
#include "runner/session.h"

#include <gtest/gtest.h>

#include <sstream>
#include <streambuf>
#include <string>
#include <utility>
#include <vector>

#include "flutter/standard_method_codec.h"
#include "win/inject_event.h"

namespace orvane::runner {
namespace {

// Answers every call with success and its method name; `pending` is the input the hooks saw.
class FakePlatform : public SessionPlatform {
 public:
  MethodReply Send(const std::string&, const std::vector<uint8_t>& message) override {
    const auto& codec = flutter::StandardMethodCodec::GetInstance();
    const flutter::EncodableValue name(codec.DecodeMethodCall(message)->method_name());
    return DecodeMethodReply(*codec.EncodeSuccessEnvelope(&name));
  }
  void Pump(std::uint32_t) override {}
  void SendWindowMessage(WindowMessage) override {}
  bool Running() const override { return true; }
  std::vector<ObservedEvent> TakeObserved() override { return std::move(pending); }
  void DestroyRegistrar() override {}

  std::vector<ObservedEvent> pending;
};

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
  ObservedEvent key;
  key.scanCode = 0x1E;
  key.injected = true;
  key.extraInfo = win::kInjectedTag;
  platform.pending = {key};
  TrickleBuffer buffer("{\"call\": \"getPermissions\"}\n");
  std::istream in(&buffer);
  std::ostringstream out;
  int polls = 0;
  SessionOptions options{true, false, nullptr};
  options.inputArrived = [&polls] { return ++polls > 3; };
  RunSession(in, out, platform, options);
  EXPECT_EQ(
      out.str(),
      "{\"injected\": \"key\", \"scan\": 30, \"extended\": false, \"up\": false, \"tag\": true}\n"
      "{\"reply\": \"success\", \"value\": \"getPermissions\"}\n"
      "{\"session\": \"teardown\"}\n");
}

}  // namespace
}  // namespace orvane::runner
