// Request lines: what each kind becomes, and that every malformed line is refused with a reason.
#include "runner/request.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace orvane::runner {
namespace {

using flutter::EncodableList;
using flutter::EncodableMap;
using flutter::EncodableValue;

TEST(ParseRequestLine, CallConvertsArgumentsLikeTheDartSide) {
  const ParsedLine parsed = ParseRequestLine(
      R"({"call": "m", "args": {"s": "x", "b": true, "i": 7, "big": 4294967296, "d": 1.5,)"
      R"( "n": null, "l": [1, "a"], "huge": 18446744073709551615}})");
  ASSERT_EQ(parsed.outcome, ParseOutcome::Request) << parsed.reason;
  EXPECT_EQ(parsed.request.channel, "orvane_native/methods");
  EXPECT_EQ(parsed.request.method, "m");
  const EncodableMap expected = {
      {EncodableValue("s"), EncodableValue("x")},
      {EncodableValue("b"), EncodableValue(true)},
      {EncodableValue("i"), EncodableValue(int32_t{7})},
      {EncodableValue("big"), EncodableValue(int64_t{4294967296})},
      {EncodableValue("d"), EncodableValue(1.5)},
      {EncodableValue("n"), EncodableValue()},
      {EncodableValue("l"),
       EncodableValue(EncodableList{EncodableValue(int32_t{1}), EncodableValue("a")})},
      {EncodableValue("huge"), EncodableValue(18446744073709551615.0)},
  };
  EXPECT_EQ(parsed.request.arguments, EncodableValue(expected));
}

TEST(ParseRequestLine, FrameBecomesInjectInputWithTheTextInOrder) {
  for (const auto& [line, text] : {
           std::pair{R"({"frame": {"t": "mm", "y": 0.5, "x": 0.25}})",
                     R"({"t":"mm","y":0.5,"x":0.25})"},
           std::pair{R"({"frame": "not json at all"})", "not json at all"},
       }) {
    const ParsedLine parsed = ParseRequestLine(line);
    ASSERT_EQ(parsed.outcome, ParseOutcome::Request) << line;
    EXPECT_EQ(parsed.request.method, "injectInput");
    EXPECT_EQ(parsed.request.arguments,
              EncodableValue(EncodableMap{{EncodableValue("json"), EncodableValue(text)}}));
  }
}

TEST(ParseRequestLine, OtherKinds) {
  ParsedLine parsed = ParseRequestLine(R"({"raw": "00Ff", "channel": "c"})");
  ASSERT_EQ(parsed.outcome, ParseOutcome::Request);
  EXPECT_EQ(parsed.request.kind, RequestKind::Raw);
  EXPECT_EQ(parsed.request.bytes, (std::vector<uint8_t>{0x00, 0xFF}));
  EXPECT_EQ(parsed.request.channel, "c");

  parsed = ParseRequestLine(R"({"sleep_ms": 60000})");
  EXPECT_EQ(parsed.request.kind, RequestKind::Sleep);
  EXPECT_EQ(parsed.request.sleepMs, kMaxSleepMs);

  for (const char* skipped : {"", "   \r", "# a comment", "  # {\"call\": 1}"}) {
    EXPECT_EQ(ParseRequestLine(skipped).outcome, ParseOutcome::Skip) << skipped;
  }
}

TEST(ParseRequestLine, MalformedLinesAreRefusedWithAReason) {
  // Deep enough to exhaust the stack of a parser that recursed before refusing.
  constexpr size_t kDepth = 200000;
  const std::string deep = std::string(kDepth, '[') + std::string(kDepth, ']');
  const struct {
    std::string line;
    const char* reason;
  } cases[] = {
      {"{\"call\": \"m\"", "not valid JSON"},
      {"{\"call\": \"m\"} x", "not valid JSON"},
      {std::string("{\"call\": \"m\0\"}", 14), "not valid JSON"},
      {"{\"call\": \"\xff\"}", "not valid JSON"},
      {"[1]", "not a JSON object"},
      {"{}", "no request key: expected call, frame, raw, listen, cancel, sleep_ms or window"},
      {R"({"call": "m", "frame": "x"})",
       R"(more than one request in one line: "call" and "frame")"},
      {R"({"call": "m", "channel": "c"})", R"(unknown key "channel" in a "call" request)"},
      {R"({"call": 3})", "call needs a method name string"},
      {R"({"call": "m", "args": )" + deep + "}", "nested deeper than 64 levels"},
      {R"({"frame": 3})", "frame needs an object or a string"},
      {R"({"raw": "abc", "channel": "c"})", "raw needs a string of hex byte pairs"},
      {R"({"raw": "zz", "channel": "c"})", "raw needs a string of hex byte pairs"},
      {R"({"raw": "00"})", "raw needs a channel string"},
      {R"({"listen": false})", "listen must be true"},
      {R"({"sleep_ms": -1})", "sleep_ms needs a whole number from 0 to 60000"},
      {R"({"sleep_ms": 60001})", "sleep_ms needs a whole number from 0 to 60000"},
      {R"({"sleep_ms": 1.5})", "sleep_ms needs a whole number from 0 to 60000"},
      {R"({"window": "minimize"})", R"(window must be "close" or "endsession")"},
  };
  for (const auto& c : cases) {
    const ParsedLine parsed = ParseRequestLine(c.line);
    EXPECT_EQ(parsed.outcome, ParseOutcome::Bad) << c.line.substr(0, 40);
    EXPECT_EQ(parsed.reason, c.reason) << c.line.substr(0, 40);
  }
}

}  // namespace
}  // namespace orvane::runner
