// Runs orvane-host as a separate process with a given standard input, collecting its standard
// output and standard error apart.
#ifndef TESTS_RUNNER_HOST_PROCESS_H_
#define TESTS_RUNNER_HOST_PROCESS_H_

#include <cstdint>
#include <string>
#include <vector>

namespace orvane::runner::testing {

struct HostRun {
  bool finished = false;  // false: it was still running at the limit and was terminated
  std::uint32_t exitCode = 0;
  std::string out;
  std::string err;
};

// Starts orvane-host.exe from the test executable's folder with `args`, writes `input` to its
// standard input and closes it, and waits at most limitMs for it to end.
HostRun RunHost(const std::vector<std::string>& args, const std::string& input,
                std::uint32_t limitMs);

}  // namespace orvane::runner::testing

#endif  // TESTS_RUNNER_HOST_PROCESS_H_
