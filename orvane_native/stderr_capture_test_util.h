// Test helper: captures what the process writes to the standard error stream while in scope.
#pragma once

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

namespace orvane_native {

// Points file descriptor 2 at a pipe until Take(). Capture less than kPipeBytes: nothing reads
// the pipe before Take().
class StderrCapture {
 public:
  StderrCapture() {
    std::fflush(stderr);
    if (_pipe(pipe_, kPipeBytes, _O_BINARY) != 0) return;
    saved_ = _dup(kStderr);
    _dup2(pipe_[1], kStderr);
    _close(pipe_[1]);
  }
  ~StderrCapture() { Take(); }
  StderrCapture(const StderrCapture&) = delete;
  StderrCapture& operator=(const StderrCapture&) = delete;

  // Restores the stream and returns what was captured; empty on later calls.
  std::string Take() {
    std::string captured;
    if (saved_ < 0) return captured;
    std::fflush(stderr);
    _dup2(saved_, kStderr);  // Closes the last write end, so the reads below reach the end.
    _close(saved_);
    saved_ = -1;
    char buffer[kPipeBytes];
    for (int got = 0; (got = _read(pipe_[0], buffer, kPipeBytes)) > 0;)
      captured.append(buffer, static_cast<std::size_t>(got));
    _close(pipe_[0]);
    return captured;
  }

 private:
  static constexpr int kStderr = 2;
  static constexpr unsigned kPipeBytes = 4096;
  int pipe_[2] = {-1, -1};
  int saved_ = -1;
};

}  // namespace orvane_native
