// The texture registrar: turns texture variants into the embedder's texture records and forwards
// frame and removal requests.
#include "flutter/texture_registrar_impl.h"

#include <iostream>
#include <memory>
#include <utility>

namespace flutter {
namespace {

constexpr int64_t kInvalidTextureId = -1;
constexpr char kUnknownVariant[] = "Attempting to register unknown texture variant.";

// The embedder checks the configuration's size field; on x64 the record is 32 bytes.
static_assert(sizeof(void*) != 8 || sizeof(FlutterDesktopGpuSurfaceTextureConfig) == 32,
              "GPU surface configuration must be 32 bytes on 64-bit targets");

const FlutterDesktopPixelBuffer* CopyPixelBuffer(size_t width, size_t height, void* user_data) {
  return static_cast<const PixelBufferTexture*>(user_data)->CopyPixelBuffer(width, height);
}

const FlutterDesktopGpuSurfaceDescriptor* ObtainDescriptor(size_t width, size_t height,
                                                           void* user_data) {
  return static_cast<const GpuSurfaceTexture*>(user_data)->ObtainDescriptor(width, height);
}

// Completion function for an unregistration; owns the holder it is given.
void OnUnregistered(void* user_data) {
  const std::unique_ptr<std::function<void()>> held(static_cast<std::function<void()>*>(user_data));
  (*held)();
}

}  // namespace

TextureRegistrarImpl::TextureRegistrarImpl(FlutterDesktopTextureRegistrarRef texture_registrar_ref)
    : texture_registrar_ref_(texture_registrar_ref) {}

int64_t TextureRegistrarImpl::RegisterTexture(TextureVariant* texture) {
  FlutterDesktopTextureInfo info = {};
  if (auto* pixel_buffer =
          texture != nullptr ? std::get_if<PixelBufferTexture>(texture) : nullptr) {
    info.type = kFlutterDesktopPixelBufferTexture;
    info.pixel_buffer_config.callback = &CopyPixelBuffer;
    info.pixel_buffer_config.user_data = pixel_buffer;
  } else if (auto* gpu_surface =
                 texture != nullptr ? std::get_if<GpuSurfaceTexture>(texture) : nullptr) {
    info.type = kFlutterDesktopGpuSurfaceTexture;
    info.gpu_surface_config.struct_size = sizeof(FlutterDesktopGpuSurfaceTextureConfig);
    info.gpu_surface_config.type = gpu_surface->surface_type();
    info.gpu_surface_config.callback = &ObtainDescriptor;
    info.gpu_surface_config.user_data = gpu_surface;
  } else {
    std::cerr << kUnknownVariant << std::endl;
    return kInvalidTextureId;
  }
  return FlutterDesktopTextureRegistrarRegisterExternalTexture(texture_registrar_ref_, &info);
}

bool TextureRegistrarImpl::MarkTextureFrameAvailable(int64_t texture_id) {
  return FlutterDesktopTextureRegistrarMarkExternalTextureFrameAvailable(texture_registrar_ref_,
                                                                         texture_id);
}

bool TextureRegistrarImpl::UnregisterTexture(int64_t texture_id) {
  UnregisterTexture(texture_id, nullptr);
  return true;
}

void TextureRegistrarImpl::UnregisterTexture(int64_t texture_id, std::function<void()> callback) {
  if (!callback) {
    FlutterDesktopTextureRegistrarUnregisterExternalTexture(texture_registrar_ref_, texture_id,
                                                            nullptr, nullptr);
    return;
  }
  auto holder = std::make_unique<std::function<void()>>(std::move(callback));
  // The embedder calls OnUnregistered exactly once, which frees the holder.
  FlutterDesktopTextureRegistrarUnregisterExternalTexture(texture_registrar_ref_, texture_id,
                                                          &OnUnregistered, holder.release());
}

}  // namespace flutter
