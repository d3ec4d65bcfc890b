// The plugin's diagnostic log.
#include "log.h"

#include <windows.h>

#include <cstdio>

namespace orvane_native {

std::string LogLine(std::string_view message) {
  std::string line;
  line.reserve(kLogPrefix.size() + message.size() + 1);
  line.append(kLogPrefix);
  line.append(message);
  line.push_back('\n');
  return line;
}

void Log(const std::string& message) {
  const std::string line = LogLine(message);
  OutputDebugStringA(line.c_str());
  std::fputs(line.c_str(), stderr);
  // The C runtime buffers stderr when it is a file or a pipe; a line from the injection thread
  // must not wait in that buffer until exit.
  std::fflush(stderr);
}

}  // namespace orvane_native
