// CreateProcess with three pipes; each pipe has a thread of its own so no side can block another.
#include "tests/runner/host_process.h"

#include <windows.h>

#include <memory>
#include <thread>
#include <type_traits>

namespace orvane::runner::testing {

namespace {

struct HandleCloser {
  void operator()(HANDLE handle) const {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};
using Handle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

constexpr DWORD kModulePathCapacity = 4096;
constexpr DWORD kReadChunk = 4096;
constexpr UINT kTerminatedExitCode = 259;

// A pipe whose `child` end is inheritable and whose `parent` end is not.
struct Pipe {
  Handle parent;
  Handle child;
};

Pipe MakePipe(bool childReads) {
  SECURITY_ATTRIBUTES security = {sizeof(security), nullptr, TRUE};
  HANDLE read = nullptr;
  HANDLE write = nullptr;
  CreatePipe(&read, &write, &security, 0);
  Pipe pipe;
  pipe.parent.reset(childReads ? write : read);
  pipe.child.reset(childReads ? read : write);
  SetHandleInformation(pipe.parent.get(), HANDLE_FLAG_INHERIT, 0);
  return pipe;
}

void ReadAll(HANDLE from, std::string& into) {
  char buffer[kReadChunk];
  DWORD got = 0;
  while (ReadFile(from, buffer, sizeof buffer, &got, nullptr) && got > 0) {
    into.append(buffer, got);
  }
}

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

std::wstring HostPath() {
  std::wstring path(kModulePathCapacity, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), kModulePathCapacity);
  path.resize(length);
  path.erase(path.find_last_of(L"\\/") + 1);
  return path + L"orvane-host.exe";
}

}  // namespace

HostRun RunHost(const std::vector<std::string>& args, const std::string& input,
                std::uint32_t limitMs) {
  HostRun run;
  Pipe in = MakePipe(true);
  Pipe out = MakePipe(false);
  Pipe err = MakePipe(false);

  std::wstring commandLine = L"\"" + HostPath() + L"\"";
  for (const std::string& arg : args) commandLine += L" \"" + Widen(arg) + L"\"";

  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in.child.get();
  startup.hStdOutput = out.child.get();
  startup.hStdError = err.child.get();
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &info)) {
    run.err = "CreateProcessW failed, GetLastError=" + std::to_string(GetLastError());
    return run;
  }
  const Handle process(info.hProcess);
  const Handle thread(info.hThread);
  // Only the child holds these ends now, so the reads end when it does.
  in.child.reset();
  out.child.reset();
  err.child.reset();

  std::thread writer([&in, &input] {
    DWORD written = 0;
    WriteFile(in.parent.get(), input.data(), static_cast<DWORD>(input.size()), &written, nullptr);
    in.parent.reset();
  });
  std::thread outReader([&out, &run] { ReadAll(out.parent.get(), run.out); });
  std::thread errReader([&err, &run] { ReadAll(err.parent.get(), run.err); });

  run.finished = WaitForSingleObject(process.get(), limitMs) == WAIT_OBJECT_0;
  if (!run.finished) TerminateProcess(process.get(), kTerminatedExitCode);
  WaitForSingleObject(process.get(), INFINITE);
  DWORD exitCode = 0;
  GetExitCodeProcess(process.get(), &exitCode);
  run.exitCode = exitCode;
  writer.join();
  outReader.join();
  errReader.join();
  return run;
}

}  // namespace orvane::runner::testing
