// orvane-host as a process under the real plugin: recorded sessions and refused command lines.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <ostream>
#include <regex>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace orvane::runner::testing {
namespace {

using ::testing::HasSubstr;

std::string Slurp(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  EXPECT_TRUE(file) << path;
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

struct HostRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs orvane-host.exe from this executable's folder with `args` (no quoting needed) and `input`
// as its standard input. A hung runner is stopped by the test's time limit.
HostRun RunHost(const std::string& args, const std::string& input) {
  char self[MAX_PATH] = {};
  std::string folder(self, GetModuleFileNameA(nullptr, self, MAX_PATH));
  folder.erase(folder.find_last_of("\\/") + 1);
  const std::string files = folder + "host_e2e.";
  std::ofstream(files + "in", std::ios::binary) << input;
  const std::string redirect = " <" + files + "in >" + files + "out 2>" + files + "err";
  HostRun run;
  run.exitCode = std::system((folder + "orvane-host.exe " + args + redirect).c_str());
  run.out = Slurp(files + "out");
  run.err = Slurp(files + "err");
  // A plugin with a C runtime of its own writes standard error in text mode.
  run.err.erase(std::remove(run.err.begin(), run.err.end(), '\r'), run.err.end());
  return run;
}

// Injection runs on the plugin's own thread, so where a trace or event line falls between replies
// varies: those lines are set apart, each marked with its phase, so their order and phase count.
using Lines = std::vector<std::string>;
using Transcript = std::tuple<Lines, Lines, Lines>;
Transcript Split(const std::string& out) {
  Transcript transcript;
  std::string phase = "session: ";
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("{\"injected\"", 0) == 0) {
      std::get<1>(transcript).push_back(phase + line);
    } else if (line.rfind("{\"event\"", 0) == 0) {
      std::get<2>(transcript).push_back(phase + line);
    } else {
      if (line == R"({"session": "teardown"})") phase = "teardown: ";
      std::get<0>(transcript).push_back(line);
    }
  }
  return transcript;
}

struct SessionCase {
  const char* name;  // FOLDER/NAME.jsonl is replayed, FOLDER/NAME.out is the expected output
  const char* options;
  std::vector<const char*> logLines;  // each must appear on standard error, as a whole line
                                      // when it ends in a line feed
  const char* folder = ORVANE_RUNNER_SESSIONS;
};

// Names the case in the test's name, which otherwise shows the case's bytes.
void PrintTo(const SessionCase& session, std::ostream* out) { *out << session.name; }

class RecordedSession : public ::testing::TestWithParam<SessionCase> {};

TEST_P(RecordedSession, RepliesAndTraceMatchExactly) {
  const SessionCase& session = GetParam();
  const std::string files = std::string(session.folder) + "/" + session.name;
  const HostRun run =
      RunHost(std::string(session.options) + " --trace replay -", Slurp(files + ".jsonl"));
  EXPECT_EQ(run.exitCode, 0) << run.err;

  EXPECT_EQ(Split(run.out), Split(Slurp(files + ".out")));
  for (const char* line : session.logLines) EXPECT_THAT(run.err, HasSubstr(line));
}

INSTANTIATE_TEST_SUITE_P(
    Sessions, RecordedSession,
    ::testing::Values(
        SessionCase{"input",
                    "",
                    {"[orvane_native] input: ctrl-alt-del\n",
                     "[orvane_native] input: releasing held input (appTerminating): 2 event(s)\n"}},
        SessionCase{"methods", "", {}},
        // Ends with Shift, A and the left button held: only the teardown releases them.
        SessionCase{
            "held", "", {"[orvane_native] input: releasing held input (destructor): 3 event(s)\n"}},
        SessionCase{"no_view",
                    "--no-view",
                    {"[orvane_native] quit: no top-level window; asking this thread's message "
                     "loop to end instead\n"}},
        // A runner without a view passes no window message to the plugin.
        SessionCase{"no_view_close",
                    "--no-view",
                    {"[orvane_native] input: releasing held input (destructor): 1 event(s)\n"}},
        // Capabilities, the detailed clipboard read, and the verdict a late listener learns.
        SessionCase{
            "dart_side", "", {"[orvane_native] input: injection is reaching the desktop\n"}},
        // Where injected moves land on scripts/wine-run's two monitors, through a capture and the
        // primary mapping; the monitors warning comes only once the primary mapping is back.
        SessionCase{"displays",
                    "",
                    {"[orvane_native] input: injection is reaching the desktop\n[orvane_native] "
                     "input: more than one monitor"},
                    ORVANE_RUNNER_EXAMPLES},
        // Typed text (accents, an emoji, Enter, Tab), the side buttons and the text refusals.
        SessionCase{"typing",
                    "",
                    {"[orvane_native] input: text-control-character\n",
                     "[orvane_native] input: text-with-modifier-held\n"},
                    ORVANE_RUNNER_EXAMPLES},
        // The example of the events a listener gets: a refusal and a watchdog release.
        SessionCase{"events",
                    "",
                    {"[orvane_native] input: releasing held input (watchdog): 3 event(s)\n"},
                    ORVANE_RUNNER_EXAMPLES}),
    [](const ::testing::TestParamInfo<SessionCase>& p) { return std::string(p.param.name); });

// Mouse trace lines without their position.
Lines WithoutPositions(const Lines& trace) {
  static const std::regex kPosition(R"("x": -?[0-9]+, "y": -?[0-9]+, )");
  Lines stripped;
  for (const std::string& line : trace) stripped.push_back(std::regex_replace(line, kPosition, ""));
  return stripped;
}

// The person at the host takes over. Replies and events match exactly. The traced input matches
// as a whole but not in order or position: while the plugin's own hooks are in the chain, Wine may
// hand the runner's hooks a key and a button of one batch in either order, and the controller's
// button comes up before or after the local move has landed.
TEST(HostLocalInput, TakeoverReleasesAtOnceAndHoldsTheControllerOffUntilQuiet) {
  const std::string files = std::string(ORVANE_RUNNER_EXAMPLES) + "/local";
  const HostRun run = RunHost("--trace replay -", Slurp(files + ".jsonl"));
  EXPECT_EQ(run.exitCode, 0) << run.err;

  const auto [replies, trace, events] = Split(run.out);
  const auto [expectedReplies, expectedTrace, expectedEvents] = Split(Slurp(files + ".out"));
  EXPECT_EQ(replies, expectedReplies);
  EXPECT_EQ(events, expectedEvents);
  EXPECT_THAT(WithoutPositions(trace),
              ::testing::UnorderedElementsAreArray(WithoutPositions(expectedTrace)));
  EXPECT_THAT(run.err, HasSubstr("[orvane_native] input: releasing held input (localInput): 2 "
                                 "event(s)\n"));
}

TEST(HostCommandLine, RefusalsSayWhy) {
  const struct {
    const char* args;
    int exitCode;
    const char* message;
  } cases[] = {
      {"", 2, "orvane-host: no command\nusage: orvane-host"},
      {"replay", 2, "orvane-host: expected replay FILE or serve"},
      {"serve --fast", 2, "orvane-host: unknown option --fast"},
      {"replay Z:/no/such/session.jsonl", 1, "orvane-host: cannot open"},
      {"--plugin no_such_plugin.dll serve", 1,
       "orvane-host: cannot load the plugin no_such_plugin.dll: LoadLibraryW failed"},
  };
  for (const auto& c : cases) {
    const HostRun run = RunHost(c.args, "");
    EXPECT_EQ(run.exitCode, c.exitCode) << c.message;
    EXPECT_THAT(run.err, HasSubstr(c.message));
    EXPECT_EQ(run.out, "");
  }
}

}  // namespace
}  // namespace orvane::runner::testing
