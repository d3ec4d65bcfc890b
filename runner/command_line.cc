// Command-line parsing for orvane-host.
#include "runner/command_line.h"

#include <string_view>
#include <vector>

namespace orvane::runner {

bool ParseCommandLine(int argc, const char* const* argv, HostOptions& options, std::string& error) {
  std::vector<std::string_view> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--trace") {
      options.trace = true;
    } else if (arg == "--paced") {
      options.paced = true;
    } else if (arg == "--no-view") {
      options.noView = true;
    } else if (arg == "--plugin") {
      if (i + 1 >= argc) {
        error = "--plugin needs a path";
        return false;
      }
      options.pluginPath = argv[++i];
    } else if (arg.size() > 1 && arg[0] == '-') {
      error = "unknown option " + std::string(arg);
      return false;
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() == 2 && positional[0] == "replay") {
    options.command = HostCommand::Replay;
    options.sessionFile = std::string(positional[1]);
    return true;
  }
  if (positional.size() == 1 && positional[0] == "serve") {
    options.command = HostCommand::Serve;
    return true;
  }
  error = positional.empty() ? "no command" : "expected replay FILE or serve";
  return false;
}

const char* UsageText() {
  return "usage: orvane-host [--trace] [--paced] [--no-view] [--plugin DLL] replay FILE|-\n"
         "       orvane-host [--trace] [--paced] [--no-view] [--plugin DLL] serve\n"
         "  replay FILE  run the session's request lines (- reads standard input), then print a\n"
         "               summary line\n"
         "  serve        run request lines from standard input until it closes\n"
         "  --trace      print a line for every injected input event the hooks observe\n"
         "  --paced      send each request that has \"at_ms\" at that time after the start\n"
         "  --no-view    register the plugin without a view\n"
         "  --plugin DLL the plugin library (default: orvane_native_plugin.dll beside this "
         "program)\n";
}

}  // namespace orvane::runner
