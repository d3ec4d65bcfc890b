// The plugin's diagnostic log: one line per call to the debugger output and the standard error
// stream.
#ifndef ORVANE_NATIVE_LOG_H_
#define ORVANE_NATIVE_LOG_H_

#include <string>
#include <string_view>

namespace orvane_native {

// Every line starts with this prefix.
inline constexpr std::string_view kLogPrefix = "[orvane_native] ";

// The line Log writes for a message: the prefix, the message bytes unchanged (control bytes are
// not escaped), one line feed.
std::string LogLine(std::string_view message);

// Writes LogLine(message) to OutputDebugStringA, then to the C runtime's stderr with one fputs, so
// a host sees the lines on its console and a test can capture them by redirecting stderr. A NUL
// byte in the message cuts the line there on both outputs.
//
// Contract: any thread; no lock and no state of its own. Each output receives the whole line in
// one call, so lines of two threads never interleave within a line. Failures of either output
// (no debugger, no console) are silent.
void Log(const std::string& message);

}  // namespace orvane_native

#endif  // ORVANE_NATIVE_LOG_H_
