// Request lines: call arguments converted as the Dart side sends them, and refusals no session file
// can hold.
#include "runner/request.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace orvane::runner {
namespace {

using flutter::EncodableMap;
using flutter::EncodableValue;

TEST(ParseRequestLine, CallConvertsArgumentsLikeTheDartSide) {
  const ParsedLine parsed = ParseRequestLine(
      R"({"call": "m", "args": {"i": 7, "big": 4294967296, "d": 1.5, "n": null, "l": [1, "a"],)"
      R"( "huge": 18446744073709551615}})");
  ASSERT_EQ(parsed.outcome, ParseOutcome::Request) << parsed.reason;
  const EncodableMap expected = {
      {EncodableValue("i"), EncodableValue(int32_t{7})},
      {EncodableValue("big"), EncodableValue(int64_t{4294967296})},
      {EncodableValue("d"), EncodableValue(1.5)},
      {EncodableValue("n"), EncodableValue()},
      {EncodableValue("l"),
       EncodableValue(flutter::EncodableList{EncodableValue(int32_t{1}), EncodableValue("a")})},
      {EncodableValue("huge"), EncodableValue(18446744073709551615.0)},
  };
  EXPECT_EQ(parsed.request.arguments, EncodableValue(expected));
}

// Every other refusal is checked end to end by the recorded "methods" session.
TEST(ParseRequestLine, LinesNoFileCanHoldAreRefused) {
  // Deep enough to exhaust the stack of a parser that recursed before refusing.
  constexpr size_t kDepth = 200000;
  const std::string deep = std::string(kDepth, '[') + std::string(kDepth, ']');
  const std::pair<std::string, const char*> cases[] = {
      {std::string("{\"call\": \"m\0\"}", 14), "not valid JSON"},
      {"{\"call\": \"\xff\"}", "not valid JSON"},
      {R"({"call": "m", "args": )" + deep + "}", "nested deeper than 64 levels"},
  };
  for (const auto& [line, reason] : cases) {
    const ParsedLine parsed = ParseRequestLine(line);
    EXPECT_EQ(parsed.outcome, ParseOutcome::Bad) << line.substr(0, 40);
    EXPECT_EQ(parsed.reason, reason) << line.substr(0, 40);
  }
}

TEST(ParseRequestLine, LocalTakesTwoWholePixelsInRange) {
  const std::pair<const char*, bool> cases[] = {
      {R"({"local": {"x": 0, "y": 32767}})", true},
      {R"({"local": {"x": 32768, "y": 0}})", false},
      {R"({"local": {"x": -1, "y": 0}})", false},
      {R"({"local": {"x": 1.5, "y": 0}})", false},
      {R"({"local": {"x": 1, "y": 2, "z": 3}})", false},
      {R"({"local": [1, 2]})", false},
  };
  for (const auto& [line, accepted] : cases) {
    const ParsedLine parsed = ParseRequestLine(line);
    EXPECT_EQ(parsed.outcome, accepted ? ParseOutcome::Request : ParseOutcome::Bad) << line;
    if (accepted) {
      EXPECT_EQ(std::make_pair(parsed.request.localX, parsed.request.localY),
                std::make_pair(0, 32767));
    }
  }
}

}  // namespace
}  // namespace orvane::runner
