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
using testing::CerrCapture;

constexpr char kChannel[] = "test/channel";

// Appends `name` to a shared log when destroyed.
class DestructionRecorder {
 public:
  DestructionRecorder(std::vector<std::string>* log, std::string name)
      : log_(log), name_(std::move(name)) {}
  ~DestructionRecorder() { log_->push_back(name_); }

 private:
  std::vector<std::string>* log_;
  std::string name_;
};

// A plugin that says goodbye on the messenger and removes its handler while being destroyed.
class FarewellPlugin : public Plugin {
 public:
  FarewellPlugin(PluginRegistrar* registrar, std::vector<std::string>* log)
      : registrar_(registrar), recorder_(log, "plugin") {}
  ~FarewellPlugin() override {
    const uint8_t farewell = 1;
    registrar_->messenger()->Send(kChannel, &farewell, sizeof(farewell));
    registrar_->messenger()->SetMessageHandler(kChannel, nullptr);
  }

 private:
  PluginRegistrar* registrar_;
  DestructionRecorder recorder_;
};

TEST(PluginRegistrarManagerTest, GetRegistrar_SameHandleGivesTheSameWrapper) {
  StandinEngine engine;
  const FlutterDesktopPluginRegistrarRef handle = engine.CreateRegistrar();
  auto* manager = PluginRegistrarManager::GetInstance();

  PluginRegistrar* first = manager->GetRegistrar<PluginRegistrar>(handle);
  PluginRegistrar* second = manager->GetRegistrar<PluginRegistrar>(handle);

  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  EXPECT_EQ(engine.CallCount(kOrvaneEmbedderCallSetDestructionHandler), 2u);
}

TEST(PluginRegistrarManagerTest, RegistrarDestroyed_PluginGoesBeforeTheMessenger) {
  StandinEngine engine;
  const FlutterDesktopPluginRegistrarRef handle = engine.CreateRegistrar();
  PluginRegistrar* registrar =
      PluginRegistrarManager::GetInstance()->GetRegistrar<PluginRegistrar>(handle);
  std::vector<std::string> log;
  auto handler_state = std::make_shared<DestructionRecorder>(&log, "handler");
  registrar->messenger()->SetMessageHandler(
      "other/channel", [handler_state](const uint8_t*, size_t, BinaryReply) {});
  handler_state.reset();
  registrar->AddPlugin(std::make_unique<FarewellPlugin>(registrar, &log));

  ASSERT_TRUE(engine.DestroyRegistrar(handle));

  EXPECT_EQ(log, (std::vector<std::string>{"plugin", "handler"}));
  const auto farewell = engine.TakeSent();
  ASSERT_TRUE(farewell.has_value());
  EXPECT_EQ(farewell->channel, kChannel);
}

TEST(TextureRegistrarTest, RegistersEachVariantAndUnregistersOnce) {
  StandinEngine engine;
  PluginRegistrar registrar(engine.CreateRegistrar());
  TextureRegistrar* textures = registrar.texture_registrar();
  TextureVariant pixels(PixelBufferTexture([](size_t, size_t) { return nullptr; }));
  TextureVariant surface(GpuSurfaceTexture(kFlutterDesktopGpuSurfaceTypeDxgiSharedHandle,
                                           [](size_t, size_t) { return nullptr; }));
  CerrCapture cerr;
  EXPECT_EQ(textures->RegisterTexture(nullptr), -1);
  EXPECT_EQ(cerr.Text(), "Attempting to register unknown texture variant.\n");

  const int64_t pixels_id = textures->RegisterTexture(&pixels);
  const int64_t surface_id = textures->RegisterTexture(&surface);
  EXPECT_GT(pixels_id, 0);
  EXPECT_NE(pixels_id, surface_id);
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
