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

// Registers a delegate that records its calls, and on destruction unregisters it and uses the
// messenger, as a real plugin does while its registrar is being destroyed.
class DelegatePlugin : public Plugin {
 public:
  DelegatePlugin(PluginRegistrarWindows* registrar, std::vector<int>* calls, int name,
                 std::optional<LRESULT>* result)
      : registrar_(registrar),
        id_(registrar->RegisterTopLevelWindowProcDelegate([=](HWND, UINT, WPARAM, LPARAM) {
          calls->push_back(name);
          return *result;
        })) {}
  ~DelegatePlugin() override {
    registrar_->UnregisterTopLevelWindowProcDelegate(id_);
    registrar_->messenger()->SetMessageHandler("test/channel", nullptr);
  }

 private:
  PluginRegistrarWindows* registrar_;
  int32_t id_;
};

TEST(PluginRegistrarWindowsTest, DelegatesRunInOrderUntilOneHandlesAndLeaveWithTheirPlugins) {
  orvane::embedder::StandinEngine engine;
  EXPECT_EQ(PluginRegistrarWindows(engine.CreateRegistrar()).GetView(), nullptr);
  const FlutterDesktopPluginRegistrarRef handle = engine.CreateRegistrar(GetDesktopWindow());
  auto* registrar =
      PluginRegistrarManager::GetInstance()->GetRegistrar<PluginRegistrarWindows>(handle);
  ASSERT_NE(registrar->GetView(), nullptr);
  EXPECT_EQ(registrar->GetView()->GetNativeWindow(), GetDesktopWindow());
  std::vector<int> calls;
  std::optional<LRESULT> unhandled;
  std::optional<LRESULT> second_result;
  registrar->AddPlugin(std::make_unique<DelegatePlugin>(registrar, &calls, 1, &unhandled));
  registrar->AddPlugin(std::make_unique<DelegatePlugin>(registrar, &calls, 2, &second_result));
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
