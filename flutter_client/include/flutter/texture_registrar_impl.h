// The texture registrar over the embedder's texture registrar handle.
#ifndef FLUTTER_CLIENT_INCLUDE_FLUTTER_TEXTURE_REGISTRAR_IMPL_H_
#define FLUTTER_CLIENT_INCLUDE_FLUTTER_TEXTURE_REGISTRAR_IMPL_H_

#include "flutter/texture_registrar.h"

namespace flutter {

class TextureRegistrarImpl : public TextureRegistrar {
 public:
  // `texture_registrar_ref` is not owned and must outlive this object.
  explicit TextureRegistrarImpl(FlutterDesktopTextureRegistrarRef texture_registrar_ref);
  ~TextureRegistrarImpl() override = default;

  TextureRegistrarImpl(const TextureRegistrarImpl&) = delete;
  TextureRegistrarImpl& operator=(const TextureRegistrarImpl&) = delete;

  int64_t RegisterTexture(TextureVariant* texture) override;
  bool MarkTextureFrameAvailable(int64_t texture_id) override;
  bool UnregisterTexture(int64_t texture_id) override;
  void UnregisterTexture(int64_t texture_id, std::function<void()> callback) override;

 private:
  FlutterDesktopTextureRegistrarRef texture_registrar_ref_;
};

}  // namespace flutter

#endif  // FLUTTER_CLIENT_INCLUDE_FLUTTER_TEXTURE_REGISTRAR_IMPL_H_
