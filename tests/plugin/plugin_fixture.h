// Test fixture: a runner's host around the real plugin DLL, registered by its export, and its log.
#ifndef TESTS_PLUGIN_PLUGIN_FIXTURE_H_
#define TESTS_PLUGIN_PLUGIN_FIXTURE_H_

#include <fcntl.h>
#include <gtest/gtest.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include "runner/input_observer.h"
#include "runner/plugin_host.h"
#include "win/testing/test_frames.h"

namespace orvane::plugin_test {

using flutter::EncodableMap;
using flutter::EncodableValue;
using runner::MethodReply;
using runner::ViewMode;
using Kind = MethodReply::Kind;

// A map with the one argument.
inline EncodableValue Arg(const char* key, EncodableValue value) {
  return EncodableValue(EncodableMap{{EncodableValue(key), std::move(value)}});
}

// The loaded module's image, read through its relative virtual addresses.
inline const std::uint8_t* At(HMODULE module, DWORD rva) {
  return reinterpret_cast<const std::uint8_t*>(module) + rva;
}
inline const IMAGE_DATA_DIRECTORY& Directory(HMODULE module, int entry) {
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(At(module, dos->e_lfanew));
  return nt->OptionalHeader.DataDirectory[entry];
}

// While in scope, the module's calls to the imported function `real` go to `fake` instead: a
// Win32 failure provoked for code that has no seam for it.
class ImportPatch {
 public:
  template <typename Function>
  ImportPatch(HMODULE module, Function* real, Function* fake)
      : original_(reinterpret_cast<ULONGLONG>(real)) {
    for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
             At(module, Directory(module, IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress));
         slot_ == nullptr && entry->Name != 0; ++entry) {
      for (auto* slot = reinterpret_cast<const ULONGLONG*>(At(module, entry->FirstThunk));
           slot_ == nullptr && *slot != 0; ++slot) {
        if (*slot == reinterpret_cast<ULONGLONG>(real)) slot_ = const_cast<ULONGLONG*>(slot);
      }
    }
    // Left writable: undoing the patch writes the slot again.
    DWORD protection = 0;
    if (slot_ == nullptr || !VirtualProtect(slot_, sizeof(*slot_), PAGE_READWRITE, &protection)) {
      slot_ = nullptr;
      ADD_FAILURE() << "the module's import of the function cannot be patched";
    } else {
      *slot_ = reinterpret_cast<ULONGLONG>(fake);
    }
  }
  ~ImportPatch() {
    if (slot_ != nullptr) *slot_ = original_;
  }
  ImportPatch(const ImportPatch&) = delete;
  ImportPatch& operator=(const ImportPatch&) = delete;

 private:
  ULONGLONG* slot_ = nullptr;
  ULONGLONG original_;
};

// Each test's standard error goes to a temporary file: the plugin DLL shares msvcrt's descriptor 2
// with the test executable, so lines from any thread of either are caught, and a file, unlike a
// pipe, never blocks a writer.
class PluginTest : public ::testing::Test {
 protected:
  PluginTest() {
    wchar_t folder[MAX_PATH] = {};
    int file = -1;
    if (GetTempPathW(MAX_PATH, folder) == 0 || GetTempFileNameW(folder, L"olg", 0, logPath_) == 0 ||
        _wsopen_s(&file, logPath_, _O_WRONLY | _O_BINARY | _O_TRUNC, _SH_DENYNO, _S_IWRITE) != 0) {
      return;
    }
    std::fflush(stderr);
    savedStderr_ = _dup(2);
    _dup2(file, 2);
    _close(file);
    // msvcrt buffers stderr once it is a file, which would hold lines back until exit.
    std::setvbuf(stderr, nullptr, _IONBF, 0);
  }
  ~PluginTest() override {
    if (savedStderr_ < 0) return;
    std::fflush(stderr);
    _dup2(savedStderr_, 2);
    _close(savedStderr_);
    DeleteFileW(logPath_);
  }
  // Plugin teardown first, while the log is still captured.
  void TearDown() override { host_.reset(); }

  // Read with the descriptor calls: msvcrt's fread under Wine reports 0 items for a short read at
  // the end of a file that is still being written.
  std::string Log() const {
    std::string text;
    int file = -1;
    if (_wsopen_s(&file, logPath_, _O_RDONLY | _O_BINARY, _SH_DENYNO, 0) != 0) return text;
    char buffer[4096];
    for (int got = 0; (got = _read(file, buffer, sizeof(buffer))) > 0;) text.append(buffer, got);
    _close(file);
    return text;
  }
  bool LogContains(std::string_view text) const { return Log().find(text) != std::string::npos; }

  void StartHost(ViewMode mode = ViewMode::WithView) {
    std::string error;
    host_ = runner::PluginHost::Create(mode, &error);
    ASSERT_TRUE(host_ && host_->LoadPlugin(&error)) << error;
  }
  template <typename... Args>
  MethodReply Call(const Args&... args) {
    return host_->Call(args...);
  }
  HWND TopLevel() { return host_->window()->window(); }

  // Links up and presses A, so that a release has something to let go of.
  void HoldKeyA() {
    ASSERT_EQ(Call("setPeerConnected", Arg("connected", true)).kind, Kind::Success);
    InjectAndWait(win::test::keyDown(win::test::kUsageA), [](const runner::ObservedEvent& e) {
      return e.kind == runner::ObservedKind::Key && e.scanCode == 0x1E && !e.keyUp;
    });
  }

  // Injects the frame and waits until input it caused reached the system, so that a release or a
  // disconnect after it finds it done instead of discarding it as stale.
  void InjectAndWait(const std::string& frame,
                     const std::function<bool(const runner::ObservedEvent&)>& arrived) {
    // Its own hooks, gone on return: hooks left in would slow every later SendInput of the test.
    runner::InputObserver observer;
    ASSERT_TRUE(observer.Start()) << "the hooks could not be installed";
    ASSERT_EQ(Call("injectInput", Arg("json", EncodableValue(frame))).kind, Kind::Success);
    constexpr auto kLimit = std::chrono::seconds(10);
    const auto deadline = std::chrono::steady_clock::now() + kLimit;
    for (;;) {
      for (const runner::ObservedEvent& event : observer.Snapshot()) {
        if (event.injected && arrived(event)) return;
      }
      ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the frame's input never arrived";
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }

  std::unique_ptr<runner::PluginHost> host_;

 private:
  wchar_t logPath_[MAX_PATH] = {};
  int savedStderr_ = -1;
};

}  // namespace orvane::plugin_test

#endif  // TESTS_PLUGIN_PLUGIN_FIXTURE_H_
