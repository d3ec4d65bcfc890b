// Test fixture: a host that does what a runner does (windows, stand-in engine, registrar) with the
// real plugin DLL registered through its export, plus the reply envelopes as the wire spells them.
#ifndef TESTS_PLUGIN_PLUGIN_FIXTURE_H_
#define TESTS_PLUGIN_PLUGIN_FIXTURE_H_

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "orvane_native/stderr_capture_test_util.h"
#include "runner/input_observer.h"
#include "runner/message_loop.h"
#include "runner/plugin_host.h"

namespace orvane::plugin_test {

using flutter::EncodableMap;
using flutter::EncodableValue;
using runner::MethodReply;
using runner::ViewMode;

inline constexpr std::int64_t kLogWaitMs = 2000;
inline constexpr std::uint32_t kInvalidWindowHandle = 1400;
// The tag the plugin stamps on every input record it injects.
inline constexpr std::uintptr_t kInjectedTag = 0x4F52564E;

// The key events the plugin injected for the given scan codes, oldest first. Everything else the
// hooks saw is left out, including the modifier sweep that follows every release.
inline std::vector<runner::ObservedEvent> TaggedKeys(const std::vector<runner::ObservedEvent>& all,
                                                     std::initializer_list<std::uint32_t> scans) {
  std::vector<runner::ObservedEvent> keys;
  for (const runner::ObservedEvent& event : all) {
    const bool wanted = std::find(scans.begin(), scans.end(), event.scanCode) != scans.end();
    if (event.kind == runner::ObservedKind::Key && event.extraInfo == kInjectedTag && wanted) {
      keys.push_back(event);
    }
  }
  return keys;
}

// Standard-codec bytes written out by hand, so replies are checked against the wire format rather
// than against the codec that produced them. Strings here are shorter than 254 bytes.
inline void AppendString(std::vector<std::uint8_t>& bytes, std::string_view text) {
  constexpr std::uint8_t kStringType = 7;
  bytes.push_back(kStringType);
  bytes.push_back(static_cast<std::uint8_t>(text.size()));
  bytes.insert(bytes.end(), text.begin(), text.end());
}

inline std::vector<std::uint8_t> SuccessNullEnvelope() { return {0x00, 0x00}; }

inline std::vector<std::uint8_t> ErrorEnvelope(std::string_view code, std::string_view message,
                                               std::optional<std::int64_t> details) {
  constexpr std::uint8_t kErrorEnvelope = 1;
  constexpr std::uint8_t kNullType = 0;
  constexpr std::uint8_t kInt64Type = 4;
  constexpr int kInt64Bytes = 8;
  constexpr int kBitsPerByte = 8;
  std::vector<std::uint8_t> bytes = {kErrorEnvelope};
  AppendString(bytes, code);
  AppendString(bytes, message);
  if (!details) {
    bytes.push_back(kNullType);
    return bytes;
  }
  bytes.push_back(kInt64Type);
  const auto value = static_cast<std::uint64_t>(*details);
  for (int i = 0; i < kInt64Bytes; ++i) {
    bytes.push_back(static_cast<std::uint8_t>(value >> (kBitsPerByte * i)));
  }
  return bytes;
}

inline EncodableValue Args(
    std::initializer_list<std::pair<const EncodableValue, EncodableValue>> entries) {
  return EncodableValue(EncodableMap(entries));
}

// A map with the one argument.
inline EncodableValue Arg(const char* key, EncodableValue value) {
  return Args({{EncodableValue(key), std::move(value)}});
}

class PluginTest : public ::testing::Test {
 protected:
  void StartHost(ViewMode mode = ViewMode::WithView) {
    std::string error;
    host_ = runner::PluginHost::Create(mode, &error);
    ASSERT_TRUE(host_) << error;
    ASSERT_TRUE(host_->LoadPlugin(&error)) << error;
  }

  MethodReply Call(const std::string& method, const EncodableValue* arguments = nullptr) {
    return host_->Call(method, arguments);
  }
  MethodReply Call(const std::string& method, const EncodableValue& arguments) {
    return host_->Call(method, &arguments);
  }

  HWND TopLevel() { return host_->window()->window(); }

  void Connect() {
    ASSERT_EQ(Call("setPeerConnected", Arg("connected", true)).kind, MethodReply::Kind::Success);
  }
  void Inject(const std::string& frame) {
    ASSERT_EQ(Call("injectInput", Arg("json", EncodableValue(frame))).bytes, SuccessNullEnvelope());
  }

  // Plugin teardown first, while the log is still captured.
  void TearDown() override { host_.reset(); }

  orvane_native::StderrCapture log_;
  std::unique_ptr<runner::PluginHost> host_;
};

}  // namespace orvane::plugin_test

#endif  // TESTS_PLUGIN_PLUGIN_FIXTURE_H_
