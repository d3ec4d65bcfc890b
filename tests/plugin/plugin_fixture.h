// Test fixture: a host that does what a runner does (windows, stand-in engine, registrar) with the
// real plugin DLL registered through its export, the log captured, and a way to make a Win32 call
// the plugin imports fail on demand.
#ifndef TESTS_PLUGIN_PLUGIN_FIXTURE_H_
#define TESTS_PLUGIN_PLUGIN_FIXTURE_H_

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "orvane_native/testing/stderr_capture.h"
#include "runner/plugin_host.h"
#include "win/testing/test_frames.h"

namespace orvane::plugin_test {

using flutter::EncodableMap;
using flutter::EncodableValue;
using runner::MethodReply;
using runner::ViewMode;
using Kind = MethodReply::Kind;

inline constexpr std::int64_t kLogWaitMs = 2000;

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

// While in scope, the module's calls to the function it imports under `name` go to `fake`
// instead: a Win32 failure provoked for code that has no seam for it.
class ImportPatch {
 public:
  ImportPatch(HMODULE module, const char* name, const void* fake) {
    for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
             At(module, Directory(module, IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress));
         slot_ == nullptr && entry->Name != 0; ++entry) {
      auto* names =
          reinterpret_cast<const IMAGE_THUNK_DATA64*>(At(module, entry->OriginalFirstThunk));
      auto* slots = const_cast<IMAGE_THUNK_DATA64*>(
          reinterpret_cast<const IMAGE_THUNK_DATA64*>(At(module, entry->FirstThunk)));
      for (; names->u1.AddressOfData != 0; ++names, ++slots) {
        if (IMAGE_SNAP_BY_ORDINAL64(names->u1.Ordinal)) continue;
        const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(
            At(module, static_cast<DWORD>(names->u1.AddressOfData)));
        if (std::strcmp(reinterpret_cast<const char*>(byName->Name), name) != 0) continue;
        slot_ = &slots->u1.Function;
        original_ = Write(reinterpret_cast<ULONGLONG>(fake));
        break;
      }
    }
  }
  ~ImportPatch() {
    if (slot_ != nullptr) Write(original_);
  }
  ImportPatch(const ImportPatch&) = delete;
  ImportPatch& operator=(const ImportPatch&) = delete;
  bool patched() const { return slot_ != nullptr; }

 private:
  ULONGLONG Write(ULONGLONG value) {
    DWORD protection = 0;
    VirtualProtect(slot_, sizeof(*slot_), PAGE_READWRITE, &protection);
    const ULONGLONG old = *slot_;
    *slot_ = value;
    VirtualProtect(slot_, sizeof(*slot_), protection, &protection);
    return old;
  }
  ULONGLONG* slot_ = nullptr;
  ULONGLONG original_ = 0;
};

class PluginTest : public ::testing::Test {
 protected:
  void StartHost(ViewMode mode = ViewMode::WithView) {
    std::string error;
    host_ = runner::PluginHost::Create(mode, &error);
    ASSERT_TRUE(host_) << error;
    ASSERT_TRUE(host_->LoadPlugin(&error)) << error;
  }
  static HMODULE Plugin() { return GetModuleHandleW(runner::kPluginLibraryName); }

  MethodReply Call(const std::string& method, const EncodableValue* arguments = nullptr) {
    return host_->Call(method, arguments);
  }
  MethodReply Call(const std::string& method, const EncodableValue& arguments) {
    return host_->Call(method, &arguments);
  }
  HWND TopLevel() { return host_->window()->window(); }

  // Links up and presses A, so that a release has something to let go of.
  void HoldKeyA() {
    ASSERT_EQ(Call("setPeerConnected", Arg("connected", true)).kind, Kind::Success);
    const std::string frame = win::test::keyDown(win::test::kUsageA);
    ASSERT_EQ(Call("injectInput", Arg("json", EncodableValue(frame))).kind, Kind::Success);
  }

  // Plugin teardown first, while the log is still captured.
  void TearDown() override { host_.reset(); }

  orvane_native::testing::StderrCapture log_;
  std::unique_ptr<runner::PluginHost> host_;
};

}  // namespace orvane::plugin_test

#endif  // TESTS_PLUGIN_PLUGIN_FIXTURE_H_
