// Tests of the registrar, the registrar manager and the texture facade over the stand-in embedder.
#include "flutter/plugin_registrar.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "flutter/plugin_registrar_manager.h"
#include "orvane_embedder/standin_engine.h"
#include "testing/cerr_capture.h"

namespace flutter {
namespace {

using orvane::embedder::StandinEngine;

// Says goodbye on the messenger and removes a handler while being destroyed.
class FarewellPlugin : public Plugin {
 public:
  FarewellPlugin(PluginRegistrar* registrar, std::vector<std::string>* log)
      : registrar_(registrar), log_(log) {}
  ~FarewellPlugin() override {
    log_->push_back("plugin");
    const uint8_t farewell = 1;
    registrar_->messenger()->Send("test/channel", &farewell, sizeof(farewell));
    registrar_->messenger()->SetMessageHandler("other/channel", nullptr);
  }

 private:
  PluginRegistrar* registrar_;
  std::vector<std::string>* log_;
};

TEST(PluginRegistrarManagerTest, OneWrapperPerHandle_PluginGoesBeforeTheMessenger) {
  StandinEngine engine;
  const FlutterDesktopPluginRegistrarRef handle = engine.CreateRegistrar();
  auto* manager = PluginRegistrarManager::GetInstance();
  PluginRegistrar* registrar = manager->GetRegistrar<PluginRegistrar>(handle);
  ASSERT_NE(registrar, nullptr);
  EXPECT_EQ(manager->GetRegistrar<PluginRegistrar>(handle), registrar);
  std::vector<std::string> log;
  // The handler's state records when the messenger lets it go.
  std::shared_ptr<void> handler_state(nullptr, [&log](void*) { log.push_back("handler"); });
  registrar->messenger()->SetMessageHandler(
      "kept/channel", [handler_state](const uint8_t*, size_t, BinaryReply) {});
  handler_state.reset();
  registrar->AddPlugin(std::make_unique<FarewellPlugin>(registrar, &log));

  ASSERT_TRUE(engine.DestroyRegistrar(handle));

  EXPECT_EQ(log, (std::vector<std::string>{"plugin", "handler"}));
  const auto farewell = engine.TakeSent();
  ASSERT_TRUE(farewell.has_value());
  EXPECT_EQ(farewell->channel, "test/channel");
}

TEST(TextureRegistrarTest, RegistersEachVariantAndUnregistersOnce) {
  StandinEngine engine;
  PluginRegistrar registrar(engine.CreateRegistrar());
  TextureRegistrar* textures = registrar.texture_registrar();
  TextureVariant pixels(PixelBufferTexture([](size_t, size_t) { return nullptr; }));
  TextureVariant surface(GpuSurfaceTexture(kFlutterDesktopGpuSurfaceTypeDxgiSharedHandle,
                                           [](size_t, size_t) { return nullptr; }));
  testing::CerrCapture cerr;
  EXPECT_EQ(textures->RegisterTexture(nullptr), -1);
  EXPECT_EQ(cerr.Text(), "Attempting to register unknown texture variant.\n");

  const int64_t pixels_id = textures->RegisterTexture(&pixels);
  const int64_t surface_id = textures->RegisterTexture(&surface);
  EXPECT_GT(pixels_id, 0);
  EXPECT_EQ(engine.TextureType(pixels_id), kFlutterDesktopPixelBufferTexture);
  EXPECT_EQ(engine.TextureType(surface_id), kFlutterDesktopGpuSurfaceTexture);
  EXPECT_TRUE(textures->MarkTextureFrameAvailable(pixels_id));
  int completions = 0;
  textures->UnregisterTexture(pixels_id, [&completions] { ++completions; });
  EXPECT_EQ(completions, 1);
  EXPECT_FALSE(textures->MarkTextureFrameAvailable(pixels_id));
  EXPECT_TRUE(textures->UnregisterTexture(surface_id));
  EXPECT_EQ(engine.TextureType(surface_id), -1);
}

}  // namespace
}  // namespace flutter
