// Test helper: captures what the process writes to the standard error stream while in scope, by
// pointing file descriptor 2 at a temporary file. A plugin DLL with a C++ runtime of its own shares
// msvcrt's stderr and descriptor 2 with the test executable, so lines written from any thread of
// either are caught; a file, unlike a pipe, never blocks a writer however much is logged.
#ifndef ORVANE_NATIVE_TESTING_STDERR_CAPTURE_H_
#define ORVANE_NATIVE_TESTING_STDERR_CAPTURE_H_

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <thread>

namespace orvane_native::testing {

class StderrCapture {
 public:
  StderrCapture() {
    wchar_t folder[MAX_PATH] = {};
    wchar_t path[MAX_PATH] = {};
    int file = -1;
    if (GetTempPathW(MAX_PATH, folder) == 0 || GetTempFileNameW(folder, L"olg", 0, path) == 0 ||
        _wsopen_s(&file, path, _O_WRONLY | _O_BINARY | _O_TRUNC, _SH_DENYNO, _S_IWRITE) != 0) {
      return;
    }
    path_ = path;
    std::fflush(stderr);
    saved_ = _dup(kStderr);
    _dup2(file, kStderr);
    _close(file);
    // msvcrt buffers stderr once it is a file, which would hold lines back until exit.
    std::setvbuf(stderr, nullptr, _IONBF, 0);
  }
  ~StderrCapture() {
    Restore();
    if (!path_.empty()) DeleteFileW(path_.c_str());
  }
  StderrCapture(const StderrCapture&) = delete;
  StderrCapture& operator=(const StderrCapture&) = delete;

  // Everything written so far. Read with the descriptor calls: msvcrt's fread under Wine reports
  // 0 items for a short read at the end of a file that is still being written.
  std::string Text() const {
    std::string text;
    int file = -1;
    if (_wsopen_s(&file, path_.c_str(), _O_RDONLY | _O_BINARY, _SH_DENYNO, 0) != 0) return text;
    char buffer[4096];
    for (int got = 0; (got = _read(file, buffer, sizeof(buffer))) > 0;) text.append(buffer, got);
    _close(file);
    return text;
  }

  bool Contains(std::string_view needle) const { return Text().find(needle) != std::string::npos; }

  // Lines from other threads arrive later than the call that caused them.
  bool WaitFor(std::string_view needle, std::int64_t limitMs) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (!Contains(needle)) {
      if (std::chrono::steady_clock::now() >= deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }

 private:
  void Restore() {
    if (saved_ < 0) return;
    std::fflush(stderr);
    _dup2(saved_, kStderr);
    _close(saved_);
    saved_ = -1;
  }

  static constexpr int kStderr = 2;
  std::wstring path_;
  int saved_ = -1;
};

}  // namespace orvane_native::testing

#endif  // ORVANE_NATIVE_TESTING_STDERR_CAPTURE_H_
