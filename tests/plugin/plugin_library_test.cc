// The built library as a runner finds it: its one export and imports from system DLLs only.
#include <filesystem>
#include <string>
#include <type_traits>

#include "orvane_native/orvane_native_plugin_c_api.h"
#include "tests/plugin/plugin_fixture.h"

namespace orvane::plugin_test {
namespace {

// The runner's view of the export must match the header's declaration.
static_assert(std::is_same_v<decltype(&OrvaneNativePluginCApiRegisterWithRegistrar),
                             runner::PluginRegisterFunction>);

TEST(PluginLibraryTest, ExportsOnlyTheRegistrationAndImportsOnlySystemLibrariesAndTheEmbedder) {
  // Never freed: other suites in this process may use the same module.
  const HMODULE module = LoadLibraryW(runner::PluginLibraryBesideExecutable().c_str());
  ASSERT_NE(module, nullptr) << "LoadLibraryW failed, GetLastError=" << GetLastError();
  const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(
      At(module, Directory(module, IMAGE_DIRECTORY_ENTRY_EXPORT).VirtualAddress));
  ASSERT_EQ(exports->NumberOfFunctions, 1u);
  ASSERT_EQ(exports->NumberOfNames, 1u);
  const auto* names = reinterpret_cast<const DWORD*>(At(module, exports->AddressOfNames));
  EXPECT_STREQ(reinterpret_cast<const char*>(At(module, names[0])), ORVANE_NATIVE_REGISTER_EXPORT);

  wchar_t system[MAX_PATH] = {};
  ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
  bool importsEmbedder = false;
  for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
           At(module, Directory(module, IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress));
       entry->Name != 0; ++entry) {
    const std::string name = reinterpret_cast<const char*>(At(module, entry->Name));
    if (_stricmp(name.c_str(), "flutter_windows.dll") == 0) {
      importsEmbedder = true;
    } else {
      EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(system) / name)) << name;
    }
  }
  EXPECT_TRUE(importsEmbedder);
}

}  // namespace
}  // namespace orvane::plugin_test
