// The built library as a runner finds it: loadable beside the executable, one export under its
// unmangled name, and imports only from system DLLs and the embedder's.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <type_traits>

#include "orvane_native/orvane_native_plugin_c_api.h"
#include "runner/plugin_host.h"

namespace orvane::plugin_test {
namespace {

// The runner's view of the export must match the header's declaration.
static_assert(std::is_same_v<decltype(&OrvaneNativePluginCApiRegisterWithRegistrar),
                             runner::PluginRegisterFunction>);

const IMAGE_NT_HEADERS64* NtHeaders(HMODULE module) {
  const auto* base = reinterpret_cast<const std::uint8_t*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE) return nullptr;
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(base + dos->e_lfanew);
  return nt->Signature == IMAGE_NT_SIGNATURE ? nt : nullptr;
}

bool IsSystemDll(const std::string& name) {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  return length > 0 && std::filesystem::exists(std::filesystem::path(folder) / name);
}

class PluginLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryW(runner::PluginLibraryBesideExecutable().c_str());
    ASSERT_NE(module_, nullptr) << "LoadLibraryW failed, GetLastError=" << GetLastError();
    nt_ = NtHeaders(module_);
    ASSERT_NE(nt_, nullptr);
  }
  // Never freed: other suites in this process may use the same module.

  const std::uint8_t* At(DWORD rva) const {
    return reinterpret_cast<const std::uint8_t*>(module_) + rva;
  }

  HMODULE module_ = nullptr;
  const IMAGE_NT_HEADERS64* nt_ = nullptr;
};

TEST_F(PluginLibraryTest, ExportsExactlyTheRegistrationFunction) {
  const FARPROC found = GetProcAddress(module_, runner::kPluginRegisterExport);
  ASSERT_NE(found, nullptr);

  const IMAGE_DATA_DIRECTORY& directory =
      nt_->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  ASSERT_NE(directory.VirtualAddress, 0u);
  const auto* exports =
      reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(At(directory.VirtualAddress));
  ASSERT_EQ(exports->NumberOfFunctions, 1u);
  ASSERT_EQ(exports->NumberOfNames, 1u);
  const auto* names = reinterpret_cast<const DWORD*>(At(exports->AddressOfNames));
  EXPECT_STREQ(reinterpret_cast<const char*>(At(names[0])), runner::kPluginRegisterExport);
  const auto* functions = reinterpret_cast<const DWORD*>(At(exports->AddressOfFunctions));
  EXPECT_EQ(reinterpret_cast<const void*>(At(functions[0])), reinterpret_cast<const void*>(found));
}

TEST_F(PluginLibraryTest, ImportsOnlySystemLibrariesAndTheEmbedder) {
  const IMAGE_DATA_DIRECTORY& directory =
      nt_->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  ASSERT_NE(directory.VirtualAddress, 0u);
  bool importsEmbedder = false;
  for (const auto* entry =
           reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(At(directory.VirtualAddress));
       entry->Name != 0; ++entry) {
    const std::string name = reinterpret_cast<const char*>(At(entry->Name));
    if (_stricmp(name.c_str(), "flutter_windows.dll") == 0) {
      importsEmbedder = true;
      continue;
    }
    EXPECT_TRUE(IsSystemDll(name)) << name;
  }
  EXPECT_TRUE(importsEmbedder);
}

}  // namespace
}  // namespace orvane::plugin_test
