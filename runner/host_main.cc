// orvane-host: plays the Flutter runner and the Dart side around the plugin DLL, for the demo,
// for replaying controller sessions and for the end-to-end tests.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include "runner/command_line.h"
#include "runner/host_platform.h"
#include "runner/session.h"

namespace {

constexpr int kFailureExit = 1;
constexpr int kUsageExit = 2;

// Whether standard input has bytes waiting. Only a pipe can tell; for anything else (a file, a
// console, a closed pipe) the answer is yes and the read decides.
bool StandardInputArrived() {
  DWORD available = 0;
  if (!PeekNamedPipe(GetStdHandle(STD_INPUT_HANDLE), nullptr, 0, nullptr, &available, nullptr)) {
    return true;
  }
  return available > 0;
}

}  // namespace

int main(int argc, char** argv) {
  using orvane::runner::HostCommand;
  orvane::runner::HostOptions options;
  // Plain line feeds, so the lines compare the same on every system. Where the plugin shares this
  // C runtime, its log lines on standard error follow.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  // Standard input then buffers in the stream itself, where in_avail sees what was read ahead.
  std::ios::sync_with_stdio(false);
  std::string error;
  if (!orvane::runner::ParseCommandLine(argc, argv, options, error)) {
    std::cerr << "orvane-host: " << error << '\n' << orvane::runner::UsageText();
    return kUsageExit;
  }

  std::ifstream file;
  std::istream* in = &std::cin;
  if (options.command == HostCommand::Replay && options.sessionFile != "-") {
    file.open(options.sessionFile);
    if (!file) {
      std::cerr << "orvane-host: cannot open " << options.sessionFile << '\n';
      return kFailureExit;
    }
    in = &file;
  }

  std::string warning;
  const auto platform = orvane::runner::HostPlatform::Create(options, error, warning);
  if (!warning.empty()) std::cerr << "orvane-host: " << warning << '\n';
  if (!platform) {
    std::cerr << "orvane-host: " << error << '\n';
    return kFailureExit;
  }
  orvane::runner::SessionOptions sessionOptions;
  sessionOptions.trace = options.trace;
  sessionOptions.paced = options.paced;
  sessionOptions.summary = options.command == HostCommand::Replay;
  if (in == &std::cin) sessionOptions.inputArrived = StandardInputArrived;
  return orvane::runner::RunSession(*in, std::cout, *platform, sessionOptions);
}
