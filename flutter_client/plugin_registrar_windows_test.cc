// Tests of the Windows registrar over the stand-in embedder: the view and the top-level
// window-procedure delegates.
#include "flutter/plugin_registrar_windows.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

#include "flutter/plugin_registrar_manager.h"
#include "orvane_embedder/standin_engine.h"

namespace flutter {
namespace {

using orvane::embedder::StandinEngine;

constexpr UINT kMessage = WM_USER + 1;

TEST(PluginRegistrarWindowsTest, Delegates_RunInIdOrderUntilOneHandles) {
  StandinEngine engine;
  PluginRegistrarWindows registrar(engine.CreateRegistrar());
  EXPECT_EQ(registrar.GetView(), nullptr);
  std::vector<int32_t> calls;
  std::optional<LRESULT> second_result;
  const int32_t first = registrar.RegisterTopLevelWindowProcDelegate(
      [&calls](HWND, UINT, WPARAM, LPARAM) -> std::optional<LRESULT> {
        calls.push_back(1);
        return std::nullopt;
      });
  const int32_t second = registrar.RegisterTopLevelWindowProcDelegate(
      [&](HWND, UINT, WPARAM, LPARAM) { return calls.push_back(2), second_result; });
  EXPECT_NE(first, second);
  EXPECT_EQ(engine.CallCount(kOrvaneEmbedderCallRegisterWindowProcDelegate), 1u);
  EXPECT_EQ(engine.RouteWindowMessage(nullptr, kMessage, 0, 0), std::nullopt);
  second_result = 42;
  EXPECT_EQ(engine.RouteWindowMessage(nullptr, kMessage, 0, 0), 42);
  EXPECT_EQ(calls, (std::vector<int32_t>{1, 2, 1, 2}));

  registrar.UnregisterTopLevelWindowProcDelegate(first);
  registrar.UnregisterTopLevelWindowProcDelegate(second);
  EXPECT_EQ(engine.CallCount(kOrvaneEmbedderCallUnregisterWindowProcDelegate), 1u);
  EXPECT_EQ(engine.RouteWindowMessage(nullptr, kMessage, 0, 0), std::nullopt);
  EXPECT_EQ(calls.size(), 4u);
}

// Unregisters its delegate and uses the messenger while being destroyed.
class DelegatePlugin : public Plugin {
 public:
  explicit DelegatePlugin(PluginRegistrarWindows* registrar)
      : registrar_(registrar),
        id_(registrar->RegisterTopLevelWindowProcDelegate(
            [](HWND, UINT, WPARAM, LPARAM) { return std::optional<LRESULT>(); })) {}
  ~DelegatePlugin() override {
    registrar_->UnregisterTopLevelWindowProcDelegate(id_);
    registrar_->messenger()->SetMessageHandler("test/channel", nullptr);
  }

 private:
  PluginRegistrarWindows* registrar_;
  int32_t id_;
};

TEST(PluginRegistrarWindowsTest, ViewAndPluginThatReachesItsRegistrarWhileDestroyed) {
  StandinEngine engine;
  const FlutterDesktopPluginRegistrarRef handle = engine.CreateRegistrar(GetDesktopWindow());
  auto* registrar =
      PluginRegistrarManager::GetInstance()->GetRegistrar<PluginRegistrarWindows>(handle);
  ASSERT_NE(registrar->GetView(), nullptr);
  EXPECT_EQ(registrar->GetView()->GetNativeWindow(), GetDesktopWindow());
  registrar->AddPlugin(std::make_unique<DelegatePlugin>(registrar));

  ASSERT_TRUE(engine.DestroyRegistrar(handle));

  EXPECT_EQ(engine.CallCount(kOrvaneEmbedderCallUnregisterWindowProcDelegate), 1u);
  EXPECT_EQ(engine.CallCount(kOrvaneEmbedderCallSetCallback), 1u);
}

}  // namespace
}  // namespace flutter
