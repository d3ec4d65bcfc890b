// The command line of orvane-host: a command (replay FILE, serve) and its options.
#ifndef RUNNER_COMMAND_LINE_H_
#define RUNNER_COMMAND_LINE_H_

#include <string>

namespace orvane::runner {

enum class HostCommand { Replay, Serve };

struct HostOptions {
  HostCommand command = HostCommand::Serve;
  std::string sessionFile;  // Replay: a path, or "-" for standard input
  std::string pluginPath;   // empty: the plugin DLL beside the executable
  bool noView = false;      // register the plugin without a view
  bool trace = false;       // print the observed input
  bool paced = false;       // send requests at their "at_ms"
};

// Options may stand before or after the command. False, with `error` set, on anything else.
bool ParseCommandLine(int argc, const char* const* argv, HostOptions& options, std::string& error);

// The usage text, several lines, ending with a line feed.
const char* UsageText();

}  // namespace orvane::runner

#endif  // RUNNER_COMMAND_LINE_H_
