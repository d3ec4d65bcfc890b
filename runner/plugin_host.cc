// The runner's engine set-up and plugin loading over the embedder stand-in.
#include "runner/plugin_host.h"

#include <utility>
#include <vector>

namespace orvane::runner {

namespace {

// Long paths exist, but an executable deeper than this is not a case worth a loop.
constexpr DWORD kModulePathCapacity = 4096;

std::string Win32Failure(const char* what, DWORD code) {
  return std::string(what) + " failed, GetLastError=" + std::to_string(code);
}

}  // namespace

std::wstring PluginLibraryBesideExecutable() {
  std::vector<wchar_t> buffer(kModulePathCapacity);
  const DWORD length =
      GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  std::wstring path(buffer.data(), length < buffer.size() ? length : 0);
  const std::wstring::size_type slash = path.find_last_of(L"\\/");
  path.erase(slash == std::wstring::npos ? 0 : slash + 1);
  return path + kPluginLibraryName;
}

bool LoadAndRegisterPlugin(const std::wstring& path, FlutterDesktopPluginRegistrarRef registrar,
                           std::string* error) {
  const HMODULE library = LoadLibraryW(path.c_str());
  if (library == nullptr) {
    if (error != nullptr) *error = Win32Failure("LoadLibraryW", GetLastError());
    return false;
  }
  const FARPROC address = GetProcAddress(library, ORVANE_NATIVE_REGISTER_EXPORT);
  if (address == nullptr) {
    if (error != nullptr) *error = Win32Failure("GetProcAddress", GetLastError());
    // Nothing of the library is in use yet, so it can go again.
    FreeLibrary(library);
    return false;
  }
  // GetProcAddress returns a generic function pointer; the export's own type is restored here.
  const auto registerWithRegistrar =
      reinterpret_cast<PluginRegisterFunction>(reinterpret_cast<void (*)()>(address));
  registerWithRegistrar(registrar);
  return true;
}

PluginHost::PluginHost(PassKey) : engine_(std::make_unique<embedder::StandinEngine>()) {
  methods_ = std::make_unique<MethodCallClient>(*engine_, ORVANE_NATIVE_METHOD_CHANNEL);
  events_ = std::make_unique<MethodCallClient>(*engine_, ORVANE_NATIVE_EVENT_CHANNEL);
}

std::unique_ptr<PluginHost> PluginHost::Create(ViewMode mode, const HostWindowOptions& options,
                                               std::string* error) {
  auto host = std::make_unique<PluginHost>(PassKey());
  void* viewWindow = nullptr;
  if (mode == ViewMode::WithView) {
    std::uint32_t win32Error = 0;
    host->window_ = HostWindow::Create(host->engine_.get(), options, &win32Error);
    if (!host->window_) {
      if (error != nullptr) *error = Win32Failure("CreateWindowExW", win32Error);
      return nullptr;
    }
    viewWindow = host->window_->view();
  }
  host->registrar_ = host->engine_->CreateRegistrar(viewWindow);
  if (host->registrar_ == nullptr) {
    if (error != nullptr) *error = "the engine refused to create a registrar";
    return nullptr;
  }
  return host;
}

PluginHost::~PluginHost() {
  DestroyRegistrar();
  window_.reset();
  methods_.reset();
  events_.reset();
  engine_.reset();
}

bool PluginHost::LoadPlugin(const std::wstring& path, std::string* error) {
  if (registrar_ == nullptr) {
    if (error != nullptr) *error = "the registrar is already destroyed";
    return false;
  }
  return LoadAndRegisterPlugin(path, registrar_, error);
}

bool PluginHost::DestroyRegistrar() {
  if (registrar_ == nullptr) return false;
  const FlutterDesktopPluginRegistrarRef registrar = std::exchange(registrar_, nullptr);
  return engine_->DestroyRegistrar(registrar);
}

}  // namespace orvane::runner
