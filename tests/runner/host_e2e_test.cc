// orvane-host run as a separate process under the real plugin: recorded sessions whose replies
// and traced input must match exactly, request lines that must be refused without harm, and
// command lines that must be refused.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/runner/host_process.h"

namespace orvane::runner::testing {
namespace {

using ::testing::HasSubstr;

// A session of a few hundred milliseconds; the limit only stops a hung runner.
constexpr std::uint32_t kRunLimitMs = 60000;

std::string ReadFile(const std::string& name) {
  std::ifstream file(std::string(ORVANE_RUNNER_SESSIONS) + "/" + name, std::ios::binary);
  EXPECT_TRUE(file) << name;
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Injection runs on the plugin's own thread, so where a trace line falls between replies varies.
// What is fixed: the order of the other lines, the order of the trace lines, and which trace
// lines come after the teardown marker.
struct Transcript {
  std::vector<std::string> lines;
  std::vector<std::string> trace;
  std::vector<std::string> teardownTrace;
};

Transcript Split(const std::string& out) {
  Transcript transcript;
  bool tornDown = false;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("{\"injected\"", 0) == 0) {
      (tornDown ? transcript.teardownTrace : transcript.trace).push_back(line);
    } else {
      tornDown = tornDown || line == R"({"session": "teardown"})";
      transcript.lines.push_back(line);
    }
  }
  return transcript;
}

// Standard error without carriage returns: a plugin with a C runtime of its own writes it in text
// mode.
std::string Unix(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  return text;
}

struct SessionCase {
  const char* name;  // sessions/NAME.jsonl is replayed, sessions/NAME.out is the expected output
  std::vector<std::string> options;
  std::vector<const char*> logLines;  // each must appear on standard error
};

void PrintTo(const SessionCase& session, std::ostream* out) { *out << session.name; }

class RecordedSession : public ::testing::TestWithParam<SessionCase> {};

TEST_P(RecordedSession, RepliesAndTraceMatchExactly) {
  const SessionCase& session = GetParam();
  std::vector<std::string> args = session.options;
  args.insert(args.end(), {"--trace", "replay", "-"});
  const HostRun run = RunHost(args, ReadFile(std::string(session.name) + ".jsonl"), kRunLimitMs);
  ASSERT_TRUE(run.finished) << run.err;
  EXPECT_EQ(run.exitCode, 0u) << run.err;

  const Transcript actual = Split(run.out);
  const Transcript expected = Split(ReadFile(std::string(session.name) + ".out"));
  EXPECT_EQ(actual.lines, expected.lines);
  EXPECT_EQ(actual.trace, expected.trace);
  EXPECT_EQ(actual.teardownTrace, expected.teardownTrace);
  for (const char* line : session.logLines) {
    EXPECT_THAT(Unix(run.err), HasSubstr(std::string(line) + "\n"));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Sessions, RecordedSession,
    ::testing::Values(
        SessionCase{"input",
                    {},
                    {"[orvane_native] input: caps-lock", "[orvane_native] input: ctrl-alt-del",
                     "[orvane_native] input: releasing held input (appTerminating): 2 event(s)"}},
        SessionCase{"methods", {}, {}},
        // Ends with Shift, A and the left button held: only the teardown releases them.
        SessionCase{
            "held", {}, {"[orvane_native] input: releasing held input (destructor): 3 event(s)"}},
        SessionCase{"no_view", {"--no-view"}, {}}),
    [](const ::testing::TestParamInfo<SessionCase>& p) { return std::string(p.param.name); });

TEST(HostRequestLines, HostileLinesAreRefusedAndTheSessionGoesOn) {
  const std::string deep(100000, '[');
  const std::string input =
      std::string("{\"call\": \"getPermissions\"\0}\n", 29) + "{\"call\": \"\xC3\x28\"}\n" +
      "{\"frame\": " + deep + "\n" + "{\"args\": " + deep + std::string(100000, ']') + "}\n" +
      std::string(1 << 20, ' ') + "{\"sleep_ms\": 1e999}\n" + "{\"call\": \"getPermissions\"}";
  const HostRun run = RunHost({"replay", "-"}, input, kRunLimitMs);
  ASSERT_TRUE(run.finished) << run.err;
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(Split(run.out).lines,
            (std::vector<std::string>{
                R"({"reply": "bad-request", "reason": "not valid JSON"})",
                R"({"reply": "bad-request", "reason": "not valid JSON"})",
                R"({"reply": "bad-request", "reason": "not valid JSON"})",
                R"({"reply": "bad-request", "reason": "nested deeper than 64 levels"})",
                R"({"reply": "bad-request", "reason": "not valid JSON"})",
                R"({"reply": "success", "value": {"inputControl": true, "screenRecording": true}})",
                R"({"session": "teardown"})",
                R"({"summary": {"requests": 6, "errors": 0, "not_implemented": 0, )"
                R"("bad_requests": 5, "injected_keys": 8, "injected_mouse": 0, "held_at_end": [], )"
                R"("held_after_teardown": [], "ended": "end-of-input"}})",
            }));
}

TEST(HostCommandLine, RefusalsSayWhy) {
  const struct {
    std::vector<std::string> args;
    std::uint32_t exitCode;
    const char* message;
  } cases[] = {
      {{}, 2, "orvane-host: no command\nusage: orvane-host"},
      {{"replay"}, 2, "orvane-host: expected replay FILE or serve"},
      {{"serve", "--fast"}, 2, "orvane-host: unknown option --fast"},
      {{"replay", "Z:/no/such/session.jsonl"}, 1, "orvane-host: cannot open"},
      {{"--plugin", "no_such_plugin.dll", "serve"},
       1,
       "orvane-host: cannot load the plugin no_such_plugin.dll: LoadLibraryW failed"},
  };
  for (const auto& c : cases) {
    const HostRun run = RunHost(c.args, "", kRunLimitMs);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.message;
    EXPECT_THAT(Unix(run.err), HasSubstr(c.message));
    EXPECT_EQ(run.out, "");
  }
}

}  // namespace
}  // namespace orvane::runner::testing
