// Test helper: captures what the process writes to the standard error stream while in scope.
#pragma once

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

namespace orvane_native {

// Redirects file descriptor 2 into a pipe until Take() restores it. Output must stay below the
// pipe's buffer size, since nothing reads the pipe until Take().
class StderrCapture {
 public:
  StderrCapture() {
    std::fflush(stderr);
    saved_ = _dup(kStderr);
    if (_pipe(pipe_, kPipeBytes, _O_BINARY) == 0) _dup2(pipe_[kWriteEnd], kStderr);
  }
  ~StderrCapture() { Take(); }
  StderrCapture(const StderrCapture&) = delete;
  StderrCapture& operator=(const StderrCapture&) = delete;

  // Restores the stream and returns everything captured; empty on later calls.
  std::string Take() {
    if (saved_ < 0) return {};
    std::fflush(stderr);
    _dup2(saved_, kStderr);
    _close(saved_);
    saved_ = -1;
    std::string captured;
    if (pipe_[kWriteEnd] < 0) return captured;
    _close(pipe_[kWriteEnd]);
    char buffer[kPipeBytes];
    int got = 0;
    while ((got = _read(pipe_[kReadEnd], buffer, sizeof(buffer))) > 0) {
      captured.append(buffer, static_cast<std::size_t>(got));
    }
    _close(pipe_[kReadEnd]);
    return captured;
  }

 private:
  static constexpr int kStderr = 2;
  static constexpr unsigned kPipeBytes = 4096;
  static constexpr int kReadEnd = 0;
  static constexpr int kWriteEnd = 1;

  int saved_ = -1;
  int pipe_[2] = {-1, -1};
};

}  // namespace orvane_native
