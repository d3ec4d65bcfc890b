// External textures: the texture variants a plugin can offer and the registrar interface that
// hands them to the embedder.
#ifndef FLUTTER_CLIENT_INCLUDE_FLUTTER_TEXTURE_REGISTRAR_H_
#define FLUTTER_CLIENT_INCLUDE_FLUTTER_TEXTURE_REGISTRAR_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <utility>
#include <variant>

#include "flutter/flutter_desktop_embedder.h"

namespace flutter {

// A texture whose frames are pixel buffers produced on request for a width and height.
class PixelBufferTexture {
 public:
  using CopyBufferCallback =
      std::function<const FlutterDesktopPixelBuffer*(size_t width, size_t height)>;

  explicit PixelBufferTexture(CopyBufferCallback copy_buffer)
      : copy_buffer_(std::move(copy_buffer)) {}

  const FlutterDesktopPixelBuffer* CopyPixelBuffer(size_t width, size_t height) const {
    return copy_buffer_(width, height);
  }

 private:
  CopyBufferCallback copy_buffer_;
};

// A texture whose frames are GPU surfaces of one type, described on request.
class GpuSurfaceTexture {
 public:
  using ObtainDescriptorCallback =
      std::function<const FlutterDesktopGpuSurfaceDescriptor*(size_t width, size_t height)>;

  GpuSurfaceTexture(FlutterDesktopGpuSurfaceType surface_type,
                    ObtainDescriptorCallback obtain_descriptor)
      : surface_type_(surface_type), obtain_descriptor_(std::move(obtain_descriptor)) {}

  FlutterDesktopGpuSurfaceType surface_type() const { return surface_type_; }

  const FlutterDesktopGpuSurfaceDescriptor* ObtainDescriptor(size_t width, size_t height) const {
    return obtain_descriptor_(width, height);
  }

 private:
  FlutterDesktopGpuSurfaceType surface_type_;
  ObtainDescriptorCallback obtain_descriptor_;
};

using TextureVariant = std::variant<PixelBufferTexture, GpuSurfaceTexture>;

// Contract: the texture given to RegisterTexture must outlive its registration; the embedder may
// ask it for frames on its own threads.
class TextureRegistrar {
 public:
  virtual ~TextureRegistrar() = default;

  // Returns the new texture id, or -1 for a null or unknown texture.
  virtual int64_t RegisterTexture(TextureVariant* texture) = 0;

  virtual bool MarkTextureFrameAvailable(int64_t texture_id) = 0;

  // Always true; the texture may still be in use until the embedder lets it go.
  virtual bool UnregisterTexture(int64_t texture_id) = 0;

  // `callback`, when given, is called once when the embedder has let the texture go.
  virtual void UnregisterTexture(int64_t texture_id, std::function<void()> callback) = 0;
};

}  // namespace flutter

#endif  // FLUTTER_CLIENT_INCLUDE_FLUTTER_TEXTURE_REGISTRAR_H_
