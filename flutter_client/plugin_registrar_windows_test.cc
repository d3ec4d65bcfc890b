// The Windows registrar's top-level window-procedure delegates; the plugin suites use its view.
#include "flutter/plugin_registrar_windows.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

#include "flutter/plugin_registrar_manager.h"
#include "orvane_embedder/standin_engine.h"
#include "testing/fake_binary_messenger.h"

namespace flutter {
namespace {

TEST(PluginRegistrarWindowsTest, DelegatesRunInOrderUntilOneHandlesAndLeaveWithTheirPlugins) {
  orvane::embedder::StandinEngine engine;
  const FlutterDesktopPluginRegistrarRef handle = engine.CreateRegistrar(GetDesktopWindow());
  auto* registrar =
      PluginRegistrarManager::GetInstance()->GetRegistrar<PluginRegistrarWindows>(handle);
  std::vector<int> calls;
  std::optional<LRESULT> unhandled;
  std::optional<LRESULT> second_result;
  // Each plugin unregisters its delegate and uses the messenger while its registrar goes away.
  for (auto* result : {&unhandled, &second_result}) {
    const int name = result == &unhandled ? 1 : 2;
    const int32_t id = registrar->RegisterTopLevelWindowProcDelegate(
        [&calls, name, result](HWND, UINT, WPARAM, LPARAM) {
          calls.push_back(name);
          return *result;
        });
    registrar->AddPlugin(std::make_unique<testing::FarewellPlugin>([registrar, id] {
      registrar->UnregisterTopLevelWindowProcDelegate(id);
      registrar->messenger()->SetMessageHandler("test/channel", nullptr);
    }));
  }
  EXPECT_EQ(engine.CallCount(kOrvaneEmbedderCallRegisterWindowProcDelegate), 1u);
  EXPECT_EQ(engine.RouteWindowMessage(nullptr, WM_USER, 0, 0), std::nullopt);
  second_result = 42;
  EXPECT_EQ(engine.RouteWindowMessage(nullptr, WM_USER, 0, 0), 42);
  EXPECT_EQ(calls, (std::vector<int>{1, 2, 1, 2}));

  ASSERT_TRUE(engine.DestroyRegistrar(handle));

  EXPECT_EQ(engine.CallCount(kOrvaneEmbedderCallUnregisterWindowProcDelegate), 1u);
  EXPECT_EQ(engine.CallCount(kOrvaneEmbedderCallSetCallback), 2u);
  EXPECT_EQ(engine.RouteWindowMessage(nullptr, WM_USER, 0, 0), std::nullopt);
  EXPECT_EQ(calls.size(), 4u);
}

}  // namespace
}  // namespace flutter
